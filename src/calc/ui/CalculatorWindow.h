#pragma once

#include "calc/machine/Machine.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;

namespace Calc {

// What the calculator window asks of whoever owns the calculator (the
// library's session): the machine to show, and the state file commands.
class CalculatorHost
{
public:
    virtual ~CalculatorHost() = default;
    virtual std::shared_ptr<Machine> machine() const = 0;
    virtual QString stateFile() const = 0;
    // Switches to another state file; false with *error when it cannot be
    // used (the calculator then goes on as it was).
    virtual bool openStateFile(const QString &path, QString *error) = 0;
    virtual bool saveState(QString *error) = 0;
    virtual bool saveStateAs(const QString &path, QString *error) = 0;
    // The user closed the window.
    virtual void windowClosed() = 0;
};

class CalculatorFace;

// The window "QEmu48": the calculator's screen and keyboard. It draws what
// the machine shows and sends the keys pressed on it, with the mouse or the
// computer's keyboard; it keeps no state of the calculator itself.
class CalculatorWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit CalculatorWindow(CalculatorHost &host, QWidget *parent = nullptr);
    ~CalculatorWindow() override;

    // Shows the host's machine (after it was created or replaced).
    void attachMachine();
    // Forgets the host (which is going away); the window shows nothing more.
    void detach();
    CalculatorFace *face() const { return m_face; }
    // Whoever owns the calculator; none once detached.
    CalculatorHost *host() const { return m_host; }

    // The menu commands without their file dialogs (tests call these).
    bool openStateFile(const QString &path);
    bool saveStateAs(const QString &path);
    bool saveState();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void updateTitle();
    void showFailure(const QString &what, const QString &error);

    CalculatorHost *m_host;
    CalculatorFace *m_face = nullptr;
};

// The painted calculator: body, screen with annunciators, and keys.
class CalculatorFace : public QWidget
{
    Q_OBJECT

public:
    explicit CalculatorFace(QWidget *parent = nullptr);
    void setMachine(std::shared_ptr<Machine> machine);
    std::shared_ptr<Machine> machine() const { return m_machine; }
    int zoom() const { return m_zoom; }
    // Where a key is drawn, in this widget's coordinates.
    QRect keyRect(const KeyDef &k) const;
    QRect lcdRect() const;
    // Presses and releases a key as a click on it would.
    void clickKey(const KeyDef &k);
    // A computer key pressed: true when it meant a calculator key.
    bool typeKey(int qtKey, const QString &text);
    // Text pasted into the command line as it is (Ctrl+V).
    void pasteText(const QString &text);
    QSize sizeHint() const override;

signals:
    void screenChanged();

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;

private:
    const KeyDef *keyAtPoint(const QPoint &p) const;
    void press(const KeyDef &k);
    void release();
    const KeyDef *keyByAction(const std::string &action) const;
    const KeyDef *keyByAlpha(char letter) const;

    std::shared_ptr<Machine> m_machine;
    const KeyDef *m_pressed = nullptr;
    int m_zoom = 3;
};

} // namespace Calc
