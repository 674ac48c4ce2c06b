#pragma once

#include <QObject>

class QSocketNotifier;

namespace Calc {

// SIGTERM, SIGINT and SIGHUP (a session that ends, kill, Ctrl+C in the
// terminal) become the signal stopRequested on the window's thread, so that
// the calculator can keep its memory before it ends. One at a time per
// process.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

signals:
    void stopRequested(int signalNumber);

private:
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace Calc
