#pragma once

#include <QByteArray>

#include <cstdint>

// What both ends of an XModem line agree on: the control bytes, the three
// checks a receiver can ask for, and how each is written after a block's
// data. The editor's sender (src/link) and the calculator's own server
// (qvcalc --serial) use the same.
namespace XModem {
constexpr char SOH = 0x01;
constexpr char STX = 0x02;
constexpr char EOT = 0x04;
constexpr char ACK = 0x06;
constexpr char NAK = 0x15;
constexpr char CAN = 0x18;
constexpr char AskCrc = 'C';    // CRC-16/ARC
constexpr char AskKermit = 'D'; // CRC-16/KERMIT (the calculators' own CRC)

// The check the receiver asked for with its first byte.
enum class Check { Sum, CrcArc, Kermit };
// The check that a receiver's first byte asks for (anything else: the sum).
Check CheckAskedBy(char ask);

std::uint8_t Sum(const QByteArray &data);
// Reflected polynomial 0xA001, initial value 0, no final inversion.
std::uint16_t CrcArc(const QByteArray &data);
// The check bytes of data: the sum; CRC-16/ARC low byte first; the Kermit
// CRC (HpCrc) high byte first.
QByteArray CheckBytes(const QByteArray &data, Check check);
} // namespace XModem
