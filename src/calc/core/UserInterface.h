#pragma once

#include "calc/core/Object.h"

#include <functional>
#include <string>
#include <vector>

namespace Calc {

// What the commands that talk to the user (DISP, CLLCD, FREEZE, MSGBOX,
// PROMPT, INPUT, CHOOSE, INFORM, WAIT, KEY, BEEP, TMENU, MENU, PVIEW) ask of
// whatever shows the calculator: the terminal of qvrpl or the calculator
// window.
//
// The engine calls these on the thread that runs it. A window on another
// thread implements the blocking calls by handing the request over and
// waiting for the answer. Every blocking call must return soon after
// cancel() has been called (from any thread): the engine calls cancel() when
// it is interrupted (the ON key), and then treats the call's answer as an
// interruption, whatever it was. Texts are calculator bytes.
class UserInterface
{
public:
    virtual ~UserInterface() = default;

    // ---- output (never blocks for long) -------------------------------------
    // DISP: text on display line 1 (top) to 7 or 8; the object as given and
    // its text (a string without quotes, others in their ->STR form). A GROB
    // object is drawn with its top left corner at the top of the screen.
    virtual void display(const Value &object, const std::string &text, int line) = 0;
    virtual void clearDisplay() = 0; // CLLCD
    // FREEZE: areas 1 status, 2 stack, 4 menu (sums combine) keep what the
    // program drew until the next key.
    virtual void freeze(int areas) = 0;
    // PVIEW and the PICT commands: the graphics picture was changed or shown.
    virtual void showPicture(const Value &grob) { (void)grob; }
    // LCD->: the screen as a GROB (131 x 64 on the 48 series, 131 x 80 on
    // the 49 family); a null Value gives a blank picture. ->LCD shows a GROB
    // through display() on line 1.
    virtual Value screen() { return Value(); }
    // PROMPT: text shown in the status area; the engine then halts the
    // program (CONT resumes it).
    virtual void prompt(const std::string &text) = 0;
    virtual void beep(double hertz, double seconds) = 0;

    struct MenuKey
    {
        std::string label; // what the soft key shows
        Value action;      // what pressing it evaluates (or a {label action} pair's action)
    };
    // TMENU, MENU: the soft keys to show; empty: the built-in menu numbered
    // menuNumber (0 the last, 1 CST, ...).
    virtual void setMenu(const std::vector<MenuKey> &keys, double menuNumber) = 0;
    // RCLMENU: the number of the menu shown (0 when the menu is a TMENU list).
    virtual Real menuShown() const { return Real{}; }

    // ---- blocking requests ---------------------------------------------------
    enum class Answer { Ok, Cancelled, Interrupted };

    // MSGBOX: shows text until acknowledged.
    virtual Answer messageBox(const std::string &text) = 0;

    struct InputRequest
    {
        std::string prompt;
        std::string commandLine; // initial text
        int cursorRow = 1;       // 1-based row and column of the cursor
        int cursorColumn = 0;    // 0: at the end
        bool algebraic = false;  // ALG entry mode
        bool alpha = false;      // alpha lock on
        bool verify = false;     // V: the text must compile
        // Checks an entered text: "" when acceptable, else the error text to
        // show (the request then stays open).
        std::function<std::string(const std::string &)> check;
    };
    // INPUT: the text entered (Ok) or a cancel.
    virtual Answer input(const InputRequest &request, std::string &text) = 0;

    // CHOOSE: the items' labels; choice is 1-based (in: the highlighted
    // item, out: the one chosen).
    virtual Answer choose(const std::string &title, const std::vector<std::string> &items,
                          int &choice) = 0;

    struct InformField
    {
        std::string label;
        std::string help;
        std::vector<int> types; // allowed TYPE numbers; empty: any
        std::string value;      // current value's text, "" for none
        std::string reset;      // reset value's text
    };
    struct InformRequest
    {
        std::string title;
        std::vector<InformField> fields;
        int columns = 1;
        int tab = 3;
        // Checks a field's text: "" when acceptable (an empty text is "no
        // value"), else the error text to show.
        std::function<std::string(size_t field, const std::string &)> check;
    };
    // INFORM: values holds each field's final text ("" none) on Ok.
    virtual Answer inform(const InformRequest &request, std::vector<std::string> &values) = 0;

    // WAIT with a positive time: pauses; Interrupted when cancelled.
    virtual Answer wait(double seconds) = 0;
    // WAIT 0 (or -1): waits for a key; its code is rc.p (row, column,
    // shift plane) as a text, e.g. "11.1".
    virtual Answer waitKey(std::string &keyCode) = 0;
    // KEY: the code of a key pressed since the last call, "" for none.
    virtual std::string key() = 0;

    // Makes the blocking call in progress (or the next one) return soon.
    // Any thread.
    virtual void cancel() = 0;
};

} // namespace Calc
