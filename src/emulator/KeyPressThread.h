#pragma once

#include <QByteArray>
#include <QThread>

#include <functional>
#include <optional>

// Typing into the calculator. The library takes keys only as positions in the
// keyboard matrix, so each character is looked up in the map of the model's
// keyboard and its key pressed and released at once.

// The character that stands for the calculator's ON key (Cancel, and the
// interrupt of a running program) in the texts typed into it.
constexpr char OnKey = '\x1B';

struct KeyPosition
{
    int outLine = 0;
    int inBit = 0;
    bool operator==(const KeyPosition &) const = default;
};

// The key of character c on the 48 series' keyboard, and on the 49 family's;
// none for a character that has no key there.
std::optional<KeyPosition> KeyMap48(unsigned char c);
std::optional<KeyPosition> KeyMap49(unsigned char c);
// Entries of each map (49 and 47).
int KeyMap48Size();
int KeyMap49Size();

// Types a text on a thread of its own. The model is asked again for every
// character, so a calculator switched meanwhile gets its own keys. A
// character typed twice in a row waits 250 ms first, or the calculator would
// take the two presses as one; nothing else waits.
class TKeyPressThread : public QThread
{
    Q_OBJECT
public:
    explicit TKeyPressThread(const QByteArray &text,
                             std::function<void()> completion = {},
                             QObject *parent = nullptr);

    // How the thread waits between two presses of the same key (tests record
    // the pauses instead of sleeping). Process-wide; nullptr: really sleep.
    using PauseProc = void (*)(int milliseconds);
    static void SetPause(PauseProc pause);

protected:
    void run() override; // the typing itself

private:
    QByteArray m_text;
    std::function<void()> m_completion;
};

// Types text and returns once every key has been pressed and released; the
// window keeps painting meanwhile. completion, when given, runs on this
// (the user-interface) thread 600 ms after the last key.
void PressKeys(const QByteArray &text, std::function<void()> completion = {});
