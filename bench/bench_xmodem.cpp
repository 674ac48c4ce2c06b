// A 100 KB object put onto the simulated calculator over a pseudo-terminal
// pair, through the editor's serial line (QSerialPort) and the calculator's
// XModem server: wall time of the whole put and of its block transfer, and
// the bytes on the line per payload byte. The block transfer itself never
// sleeps on the happy path; the command before it drains the line (200 ms).
// Run by hand: build/bin/bench_xmodem [kilobytes]
#include "calc/core/BinaryObject.h"
#include "calc/core/Engine.h"
#include "calc/service/LinkServer.h"
#include "link/SerialChannel.h"
#include "link/XModemServer.h"
#include "link/YModem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {

// Counts the bytes that reach the calculator.
class CountingLine : public Calc::ServerLine
{
public:
    explicit CountingLine(int fd)
        : m_line(fd)
    {
    }
    int read(char *b, int n, int t) override
    {
        const int got = m_line.read(b, n, t);
        if (got > 0)
            bytesIn += got;
        return got;
    }
    bool write(const std::string &bytes) override
    {
        bytesOut += long(bytes.size());
        return m_line.write(bytes);
    }
    void discard() override { m_line.discard(); }
    std::atomic<long> bytesIn{0}, bytesOut{0};

private:
    Calc::FdLine m_line;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int kilobytes = argc > 1 ? std::atoi(argv[1]) : 100;

    std::string slave, error;
    const int fd = Calc::OpenPseudoTerminal(&slave, &error);
    if (fd < 0) {
        std::fprintf(stderr, "bench_xmodem: %s\n", error.c_str());
        return 1;
    }
    CountingLine line(fd);
    std::mutex mx;
    Calc::Engine engine;
    Calc::EngineLinkCalculator calculator([&](const std::function<bool(Calc::Engine &)> &task) {
        std::lock_guard lk(mx);
        return task(engine);
    });
    Calc::LinkServer server(line, calculator);
    server.start();

    QTemporaryDir dir;
    const QString path = dir.filePath("BIG.HP");
    const std::string file =
        Calc::writeObjectFile(Calc::Value::string(std::string(size_t(kilobytes) * 1024 - 13, 'x')), false);
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(file.data(), qint64(file.size())) != qint64(file.size())) {
            std::fprintf(stderr, "bench_xmodem: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }

    TXModemServer session;
    session.SetSpeed(115200);
    QElapsedTimer transfer;
    qint64 transferMs = 0;
    QObject::connect(&session, &TXModemServer::transferReport, [&](const QString &, int kind) {
        if (kind == ReportStatus && !transfer.isValid())
            transfer.start();
        if (kind == ReportEnded)
            transferMs = transfer.elapsed();
    });
    try {
        session.Connect(QString::fromStdString(slave));
        const long before = line.bytesIn;
        // Connecting fetched the version as a file; only the put's blocks count.
        transfer.invalidate();
        QElapsedTimer wall;
        wall.start();
        const bool ok = session.Put("BIG", path);
        const qint64 putMs = wall.elapsed();
        const long onLine = line.bytesIn - before;
        session.Quit();
        std::printf("bench_xmodem: %zu bytes put: %s\n", file.size(), ok ? "ok" : "FAILED");
        std::printf("  whole put (command, packet, blocks): %lld ms\n", static_cast<long long>(putMs));
        std::printf("  block transfer alone:                %lld ms (%.0f KB/s)\n",
                    static_cast<long long>(transferMs),
                    transferMs > 0 ? double(file.size()) / 1024.0 / (double(transferMs) / 1000.0) : 0.0);
        std::printf("  bytes to the calculator per payload byte: %.4f\n", double(onLine) / double(file.size()));
        server.stop();
        return ok ? 0 : 1;
    } catch (const LinkError &e) {
        std::fprintf(stderr, "bench_xmodem: %s\n", qPrintable(e.text()));
        server.stop();
        return 1;
    }
}
