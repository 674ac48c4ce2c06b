#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// The About window: our picture over the whole window, the version, the
// credits and a dedication; a click anywhere closes it. Stripped to its
// picture, it is also the splash shown while the main window starts.
class TAboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutDialog(QWidget *parent = nullptr);

    // "v" and the program's four-part version.
    static QString VersionText(const QString &fileVersion = QStringLiteral(QUORVANE_VERSION));

    // The splash: the picture alone, borderless and above every window,
    // shown and painted at once. It closes and frees itself closeDelay
    // milliseconds after startCloseTimer().
    static TAboutDialog *ShowSplash();
    void startCloseTimer(int closeDelay = 250);

    QLabel *versionLabel() const { return m_version; }
    QLabel *creditsLabel() const { return m_credits; }
    QLabel *dedicationLabel() const { return m_about; }
    QLabel *logoLabel() const { return m_logo; }
    bool isSplash() const { return m_splash; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_version = nullptr;
    QLabel *m_credits = nullptr;
    QLabel *m_about = nullptr;
    QLabel *m_logo = nullptr;
    QTimer *m_closeTimer = nullptr;
    bool m_splash = false;
};
