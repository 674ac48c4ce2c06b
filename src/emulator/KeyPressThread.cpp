#include "emulator/KeyPressThread.h"

#include "emulator/EmulatorLibrary.h"
#include "emulator/Emu48Proc.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

#include <atomic>

namespace {

struct KeyEntry
{
    unsigned char character;
    KeyPosition key;
};

// The 48GX keyboard: letters are the keys that carry them in alpha mode.
constexpr KeyEntry Map48[] = {
    {'A', {1, 4}},  {'B', {8, 4}},  {'C', {8, 3}},  {'D', {8, 2}},  {'E', {8, 1}},  {'F', {8, 0}},
    {'G', {2, 4}},  {'H', {7, 4}},  {'I', {7, 3}},  {'J', {7, 2}},  {'K', {7, 1}},  {'L', {7, 0}},
    {'M', {0, 4}},  {'N', {6, 4}},  {'O', {6, 3}},  {'P', {6, 2}},  {'Q', {6, 1}},  {'R', {6, 0}},
    {'S', {3, 4}},  {'T', {5, 4}},  {'U', {5, 3}},  {'V', {5, 2}},  {'W', {5, 1}},  {'X', {5, 0}},
    {'Y', {4, 3}},  {'Z', {4, 2}},  {0x09, {3, 5}}, {'7', {3, 3}},  {'8', {3, 2}},  {'9', {3, 1}},
    {'/', {3, 0}},  {0x10, {2, 5}}, {'4', {2, 3}},  {'5', {2, 2}},  {'6', {2, 1}},  {'*', {2, 0}},
    {0x13, {1, 5}}, {'1', {1, 3}},  {'2', {1, 2}},  {'3', {1, 1}},  {'-', {1, 0}},  {OnKey, {0, 15}},
    {'0', {0, 3}},  {'.', {0, 2}},  {' ', {0, 1}},  {'+', {0, 0}},  {0x0D, {4, 4}}, {0x01, {4, 1}},
    {0x02, {4, 0}},
};

// The 49G, 49g+ and 50g keyboard.
constexpr KeyEntry Map49[] = {
    {'A', {5, 0}},  {'B', {5, 1}},  {'C', {5, 2}},  {'D', {5, 3}},  {'E', {5, 4}},  {'F', {5, 5}},
    {'G', {5, 7}},  {'H', {4, 7}},  {'I', {3, 7}},  {'J', {2, 7}},  {'K', {1, 7}},  {'L', {0, 7}},
    {'M', {4, 6}},  {'N', {3, 6}},  {'O', {2, 6}},  {'P', {1, 6}},  {'Q', {4, 5}},  {'R', {3, 5}},
    {'S', {2, 5}},  {'T', {1, 5}},  {'U', {0, 5}},  {'V', {4, 4}},  {'W', {3, 4}},  {'X', {2, 4}},
    {'Y', {1, 4}},  {'Z', {0, 4}},  {0x09, {7, 3}}, {'7', {3, 3}},  {'8', {2, 3}},  {'9', {1, 3}},
    {0x10, {7, 2}}, {'4', {3, 2}},  {'5', {2, 2}},  {'6', {1, 2}},  {'*', {0, 3}},  {0x13, {7, 1}},
    {'1', {3, 1}},  {'2', {2, 1}},  {'3', {1, 1}},  {'-', {0, 2}},  {OnKey, {0, 15}}, {'0', {3, 0}},
    {'.', {2, 0}},  {' ', {1, 0}},  {'+', {0, 1}},  {0x0D, {0, 0}}, {0x02, {0, 6}},
};

template<size_t N>
std::optional<KeyPosition> lookUp(const KeyEntry (&map)[N], unsigned char c)
{
    for (const KeyEntry &entry : map)
        if (entry.character == c)
            return entry.key;
    return std::nullopt;
}

std::atomic<TKeyPressThread::PauseProc> g_pause{nullptr};

void pause(int milliseconds)
{
    if (TKeyPressThread::PauseProc proc = g_pause.load())
        proc(milliseconds);
    else
        QThread::msleep(milliseconds);
}

} // namespace

std::optional<KeyPosition> KeyMap48(unsigned char c)
{
    return lookUp(Map48, c);
}

std::optional<KeyPosition> KeyMap49(unsigned char c)
{
    return lookUp(Map49, c);
}

int KeyMap48Size()
{
    return int(std::size(Map48));
}

int KeyMap49Size()
{
    return int(std::size(Map49));
}

TKeyPressThread::TKeyPressThread(const QByteArray &text, std::function<void()> completion, QObject *parent)
    : QThread(parent)
    , m_text(text)
    , m_completion(std::move(completion))
{
}

void TKeyPressThread::SetPause(PauseProc proc)
{
    g_pause.store(proc);
}

void TKeyPressThread::run()
{
    char previous = 0;
    for (const char c : std::as_const(m_text)) {
        if (c == previous)
            pause(250);
        previous = c;
        const auto key = CalculatorFamily() == 'X' ? KeyMap49(uchar(c)) : KeyMap48(uchar(c));
        if (!key)
            continue; // no key for it on this keyboard: nothing to type
        const int32_t mask = int32_t(1) << key->inBit;
        Emu48().EmuSimulateKey(EMU48_KEY_PRESSED, key->outLine, mask);
        Emu48().EmuSimulateKey(EMU48_KEY_RELEASED, key->outLine, mask);
    }
    if (m_completion) {
        pause(600);
        QMetaObject::invokeMethod(QCoreApplication::instance(), m_completion, Qt::BlockingQueuedConnection);
    }
}

void PressKeys(const QByteArray &text, std::function<void()> completion)
{
    TKeyPressThread thread(text, std::move(completion));
    thread.start();
    // The window keeps painting (and a completion can reach this thread)
    // while the keys go in; the user's input waits until typing is over.
    while (!thread.wait(10)) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}
