#pragma once

#include "calc/core/Engine.h"
#include "calc/core/StateFile.h"
#include "calc/core/UserInterface.h"
#include "calc/machine/Keyboard.h"
#include "calc/machine/Lcd.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Calc {

struct TaskDone
{
    bool finished = false;
    bool result = false;
};

// What the calculator shows: the dot matrix and the annunciators above it,
// with the text the dots were drawn from (for tests and tooltips).
struct Screen
{
    LcdPicture lcd;
    // The text lines of the picture above the menu, top to bottom, in
    // calculator bytes; a line the program drew as a picture is empty.
    std::vector<std::string> lines;
    std::array<std::string, 6> menu;
    bool leftShift = false;
    bool rightShift = false;
    bool alpha = false;
    bool busy = false;
    bool halted = false;
    uint64_t serial = 0;
};

// One calculator: its model, memory (the Engine), keyboard, command line,
// soft menus and screen. It computes on a thread of its own; keys from any
// thread are queued and taken in order, as the real keyboard buffer does.
//
// Ready means idle at the top level (no program running, nothing being
// edited by a program's INPUT or WAIT), waiting for a key, with no key or
// task queued: exactly what register 28 bit 15 reports.
class Machine : public UserInterface
{
public:
    explicit Machine(Model model);
    ~Machine() override;
    Machine(const Machine &) = delete;
    Machine &operator=(const Machine &) = delete;

    Model model() const { return m_model; }
    char letter() const { return modelLetter(m_model); }
    int lcdWidth() const { return 131; }
    int lcdHeight() const { return m_model == Model::HP48GX ? 64 : 80; }

    // Before start() only: the memory to start from. False (and no change)
    // when the bytes are not a state of this machine's model.
    bool loadState(const std::string &bytes);

    // Before start() only: the memory and menu of a state file. False (and
    // no change) when the state is of another model.
    bool restore(const MachineState &state);
    // Memory and menu for a state file: before start() or in a task of
    // runWhenIdle.
    MachineState capture() const;

    void start();
    // Interrupts a running program and ends the thread; keys queued are
    // dropped. Harmless when not started.
    void stop();
    bool started() const { return m_thread.joinable(); }

    // Thread-safe keyboard. A press of ON while a program runs interrupts it
    // at once; every other press is queued.
    void pressKey(int out, int inMask);
    void releaseKey(int out, int inMask);
    // Characters (calculator bytes) from the computer's keyboard, queued
    // behind the keys: an opening « { [ ( " or ' types its pair as the
    // calculator's key does, a closing one typed where the line already holds
    // it steps over it, anything else goes into the command line as it is.
    // paste: the text goes in unchanged, pairs and all.
    void typeCharacters(const std::string &calcBytes, bool paste = false);
    bool isReady() const { return m_ready.load(); }
    // Blocks until ready or the limit passes; true when ready.
    bool waitReady(int limitMs) const;

    // Runs task on the machine's thread once it is ready (waiting at most
    // limitMs for that) and returns its result; false when the machine is not
    // started or stayed busy. The screen is drawn again afterwards.
    bool runWhenIdle(const std::function<bool(Engine &)> &task, int limitMs);

    Screen currentScreen() const;
    // Called on the machine's thread after every new picture.
    void setScreenListener(std::function<void()> f);
    // Called on the machine's thread when a program halts.
    void setHaltListener(std::function<void()> f);

    // ---- the user-interface commands (the engine calls these on the
    // machine's thread while a program runs) ---------------------------------
    void display(const Value &object, const std::string &text, int line) override;
    void showPicture(const Value &grob) override;
    // LCD->: the dots shown now as a picture
    Value screen() override;
    void clearDisplay() override;
    void freeze(int areas) override;
    void prompt(const std::string &text) override;
    void beep(double hertz, double seconds) override;
    // keys: TMENU's soft keys; none: menu number menuNumber (0 the last menu,
    // 1 the custom menu, 2 VAR, 41.01 run and debug ...). Throws CalcError
    // on a number that names no menu.
    void setMenu(const std::vector<MenuKey> &keys, double menuNumber) override;
    Real menuShown() const override;
    Answer messageBox(const std::string &text) override;
    Answer input(const InputRequest &request, std::string &text) override;
    Answer choose(const std::string &title, const std::vector<std::string> &items,
                  int &choice) override;
    Answer inform(const InformRequest &request, std::vector<std::string> &values) override;
    Answer wait(double seconds) override;
    Answer waitKey(std::string &keyCode) override;
    std::string key() override;
    void cancel() override;

private:
    struct Event
    {
        int out = -1;
        int mask = 0;
        std::function<bool(Engine &)> task;
        std::shared_ptr<TaskDone> done;
    };
    struct MenuItem
    {
        std::string label;
        Value action;
        bool isDir = false;
        std::string command; // of a built-in menu: a command, "#..." or "menu:NAME"
    };
    enum class MenuKind { Var, Custom, List, Builtin, Debug };

    void threadMain();
    void handleKey(const KeyDef &k);
    // The object ASN assigned to the key rc.p, or none.
    const Value *userKey(const std::string &code) const;
    void perform(const std::string &action, int shift);
    void softKey(int index, int shift);
    void render();

    // command line
    void typeText(const std::string &text);
    void insertText(const std::string &text); // no "|" caret marker
    void typeCharacter(char c);
    void insertWord(const std::string &word);
    enum class Entry { Immediate, Program, Algebraic };
    Entry entryMode() const;
    bool inProgramMode() const;
    void cancelEdit();
    bool enterCommandLine();
    void editLevel1();
    void toggleSign();
    void moveLine(int delta);

    // running
    Engine::Status runEngine(const std::function<Engine::Status()> &f);
    void runCommand(const std::string &calcText);
    void commandKey(const std::string &calcText);
    void evaluateItem(const Value &action);
    void debugKey(int index);

    // menus
    std::vector<MenuItem> menuItems() const;
    void selectMenu(MenuKind kind, const std::string &name = {},
                    std::vector<MenuKey> keys = {});
    // a key typed while a program waits in INPUT, CHOOSE ...; none when
    // cancelled or stopped
    const KeyDef *nextKey();
    std::string keyCode(const KeyDef &k, int plane) const;
    void drawOverlay(Screen &s, int menuRow);

    Model m_model;
    Engine m_engine;

    // queue and ready bit
    mutable std::mutex m_mx;
    mutable std::condition_variable m_cv;
    std::deque<Event> m_queue;
    std::atomic<bool> m_ready{false};
    std::atomic<bool> m_running{false};
    bool m_stop = false;
    std::atomic<bool> m_finished{false};
    std::thread m_thread;

    // screen
    mutable std::mutex m_screenMx;
    Screen m_screen;
    std::function<void()> m_screenListener;
    std::function<void()> m_haltListener;

    // state of the keyboard and the command line (machine thread only)
    int m_shift = 0; // 0 none, 1 left, 2 right
    int m_alpha = 0; // 0 off, 1 one letter, 2 locked
    bool m_userOnce = false; // USER pressed once: user mode for one key
    bool m_editing = false;
    bool m_editReplaces = false; // the line edits level 1 (EDIT)
    std::string m_cmd;
    size_t m_cursor = 0;
    std::vector<std::string> m_message; // shown in the header until a key

    // soft menu
    MenuKind m_menuKind = MenuKind::Var;
    std::string m_menuName;
    std::vector<MenuKey> m_menuKeys;
    int m_menuPage = 0;
    MenuKind m_lastMenuKind = MenuKind::Var;
    std::string m_lastMenuName;
    std::vector<MenuKey> m_lastMenuKeys;

    // what programs put on the screen
    bool m_userDisplay = false; // DISP or CLLCD drew over the stack
    int m_frozen = 0;           // FREEZE areas kept after the program
    std::vector<std::string> m_userLines;
    Value m_userPicture; // a GROB drawn from the top left over the lines
    // a dialog of a running program (MSGBOX, CHOOSE, INFORM)
    bool m_overlay = false;
    std::vector<std::string> m_overlayLines;
    int m_overlayInverse = -1;
    std::array<std::string, 6> m_overlayMenu;
    int m_nested = 0; // inside a program's INPUT, CHOOSE ...: no engine runs
    std::atomic<bool> m_cancel{false};
};

} // namespace Calc
