#pragma once

#include "link/XModemServer.h"
#include "shell/TransferOptions.h"

#include <QWidget>

#include <atomic>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

// The object's name as the window shows it: the file part of path, in
// capitals and without its extension when the options say so.
QString TransferObjectName(const QString &path, const TransferOptions &options);
// Whole percent of done out of total (0 for an empty total).
int TransferPercent(qint64 done, qint64 total);

// The window of one send to the calculator: the object file, the object's
// name, the session's status, the transfer's progress and the blocks sent.
// It owns the session, so every send connects anew. Cancel (or Escape) stops
// a transfer under way; the calculator is then left as it was.
class TTransferDialog : public QWidget
{
    Q_OBJECT
public:
    explicit TTransferDialog(QWidget *parent = nullptr);
    ~TTransferDialog() override;

    TXModemServer &Session() { return m_session; }
    bool Connected() const { return m_connected; }
    // The user stopped the transfer with Cancel.
    bool Cancelled() const { return m_cancelled; }

    // Connects (the port and speed of the settings) when not connected,
    // puts the object file on the calculator as the temporary variable,
    // has the calculator recall it to level 1 and purge the variable, and
    // ends the server. Errors are LinkError exceptions; a transfer that
    // fails without one, or that the user cancelled, returns false.
    bool Send(const QString &target);

    // A transfer thread's report (kinds of TransferReport).
    void ThreadReport(const QString &text, int kind, qint64 total, qint64 done);

    QLabel *LabelFileName = nullptr;
    QLabel *FileName = nullptr;
    QLabel *LabelObjectName = nullptr;
    QLabel *ObjectName = nullptr;
    QLabel *LabelStatus = nullptr;
    QLabel *StatusPanel = nullptr;
    QGroupBox *GroupTransfer = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QLabel *Percent = nullptr;
    QLabel *LabelPacket = nullptr;
    QLabel *Packets = nullptr;
    QPushButton *Cancel = nullptr;

signals:
    // Kind 3: the transfer has ended.
    void transferEnded();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setStatus(const QString &text);
    void showStatus(const QString &text);
    void fitTexts();

    TXModemServer m_session;
    // set from a transfer thread too, by a connection error
    std::atomic<bool> m_connected{false};
    bool m_cancelled = false;
    int m_packets = 0;
    QString m_connectingText;
};
