#include "formats/XModemBlocks.h"

#include "formats/NibbleText.h"

namespace XModem {

Check CheckAskedBy(char ask)
{
    return ask == AskCrc ? Check::CrcArc : ask == AskKermit ? Check::Kermit : Check::Sum;
}

std::uint8_t Sum(const QByteArray &data)
{
    std::uint8_t s = 0;
    for (char c : data)
        s = std::uint8_t(s + std::uint8_t(c));
    return s;
}

std::uint16_t CrcArc(const QByteArray &data)
{
    std::uint16_t crc = 0;
    for (char c : data) {
        crc ^= std::uint8_t(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? std::uint16_t((crc >> 1) ^ 0xA001) : std::uint16_t(crc >> 1);
    }
    return crc;
}

QByteArray CheckBytes(const QByteArray &data, Check check)
{
    QByteArray out;
    switch (check) {
    case Check::Sum:
        out.append(char(Sum(data)));
        break;
    case Check::CrcArc: {
        const std::uint16_t c = CrcArc(data);
        out.append(char(c & 0xFF)).append(char(c >> 8));
        break;
    }
    case Check::Kermit: {
        const std::uint16_t c = HpCrc(data);
        out.append(char(c >> 8)).append(char(c & 0xFF));
        break;
    }
    }
    return out;
}

} // namespace XModem
