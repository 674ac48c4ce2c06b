// The keyboards of the three models. Positions in the matrix are the ones the
// editor types through (the evaluation key, the soft keys, backspace ...);
// labels are UTF-8 for the window, actions are calculator bytes.
#include "calc/machine/Keyboard.h"

namespace Calc {

namespace {

struct Plane
{
    const char *label;
    const char *action;
};

KeyDef key(int out, int bit, int row, int col, int span, Plane main, char alpha,
           Plane left = {"", ""}, Plane right = {"", ""})
{
    KeyDef k;
    k.out = out;
    k.bit = bit;
    k.row = row;
    k.col = col;
    k.span = span;
    k.label = main.label;
    k.action = main.action;
    k.alpha = alpha;
    k.leftLabel = left.label;
    k.leftAction = left.action;
    k.rightLabel = right.label;
    k.rightAction = right.action;
    k.small = row <= 1 || (row == 2 && span == 5);
    return k;
}

// Six soft keys across the top; in alpha mode they type A to F.
void softKeys(std::vector<KeyDef> &keys, const int (&pos)[6][2])
{
    static const char *const actions[6] = {"#F1", "#F2", "#F3", "#F4", "#F5", "#F6"};
    for (int i = 0; i < 6; ++i)
        // the shifts reach the soft key too: store into and recall a variable
        keys.push_back(key(pos[i][0], pos[i][1], 0, i * 5, 5, {"", actions[i]}, char('A' + i),
                           {"", actions[i]}, {"", actions[i]}));
}

KeyboardLayout make48gx()
{
    KeyboardLayout l{Model::HP48GX, 9, {}};
    auto &k = l.keys;
    softKeys(k, {{1, 4}, {8, 4}, {8, 3}, {8, 2}, {8, 1}, {8, 0}});
    k.push_back(key(2, 4, 1, 0, 5, {"MTH", "menu:MTH"}, 'G', {"RAD", "#RAD"}));
    k.push_back(key(7, 4, 1, 5, 5, {"PRG", "menu:PRG"}, 'H', {"", ""}, {"", ""}));
    k.push_back(key(7, 3, 1, 10, 5, {"CST", "#CST"}, 'I', {"MODES", "menu:MODES"}));
    k.push_back(key(7, 2, 1, 15, 5, {"VAR", "#VAR"}, 'J', {"MEMORY", "menu:MEMORY"}));
    k.push_back(key(7, 1, 1, 20, 5, {"\u25B2", "#UP"}, 'K'));
    k.push_back(key(7, 0, 1, 25, 5, {"NXT", "#NXT"}, 'L', {"PREV", "#PREV"}));
    k.push_back(key(0, 4, 2, 0, 5, {"'", "#QUOTE"}, 'M', {"UP", "#UPDIR"}, {"HOME", "#HOME"}));
    k.push_back(key(6, 4, 2, 5, 5, {"STO", "STO"}, 'N', {"DEF", "DEFINE"}, {"RCL", "RCL"}));
    k.push_back(key(6, 3, 2, 10, 5, {"EVAL", "#EVAL"}, 'O', {"\u2192NUM", "\x8DNUM"}));
    k.push_back(key(6, 2, 2, 15, 5, {"\u25C0", "#LEFT"}, 'P'));
    k.push_back(key(6, 1, 2, 20, 5, {"\u25BC", "#DOWN"}, 'Q', {"EDIT", "#EDIT"}));
    k.push_back(key(6, 0, 2, 25, 5, {"\u25B6", "#RIGHT"}, 'R', {"", ""}, {"SWAP", "SWAP"}));
    k.push_back(key(3, 4, 3, 0, 5, {"SIN", "SIN"}, 'S', {"ASIN", "ASIN"}));
    k.push_back(key(5, 4, 3, 5, 5, {"COS", "COS"}, 'T', {"ACOS", "ACOS"}));
    k.push_back(key(5, 3, 3, 10, 5, {"TAN", "TAN"}, 'U', {"ATAN", "ATAN"}));
    k.push_back(key(5, 2, 3, 15, 5, {"\u221Ax", "\x83"}, 'V', {"x\u00B2", "SQ"}, {"\u02E3\u221Ay", "XROOT"}));
    k.push_back(key(5, 1, 3, 20, 5, {"y\u02E3", "^"}, 'W', {"10\u02E3", "ALOG"}, {"LOG", "LOG"}));
    k.push_back(key(5, 0, 3, 25, 5, {"1/x", "INV"}, 'X', {"e\u02E3", "EXP"}, {"LN", "LN"}));
    k.push_back(key(4, 4, 4, 0, 10, {"ENTER", "#ENTER"}, 0, {"", ""}, {"\u2192NUM", "\x8DNUM"}));
    k.push_back(key(4, 3, 4, 10, 5, {"+/-", "#NEG"}, 'Y', {"EDIT", "#EDIT"}));
    k.push_back(key(4, 2, 4, 15, 5, {"EEX", "#EEX"}, 'Z', {"PURG", "PURGE"}));
    k.push_back(key(4, 1, 4, 20, 5, {"DEL", "#DEL"}, 0, {"CLEAR", "#CLEAR"}));
    k.push_back(key(4, 0, 4, 25, 5, {"\u2190", "#BKSP"}, 0, {"DROP", "DROP"}));
    k.push_back(key(3, 5, 5, 0, 6, {"\u03B1", "#ALPHA"}, 0, {"USER", "#ALPHA"}));
    k.push_back(key(3, 3, 5, 6, 6, {"7", "=7"}, 0));
    k.push_back(key(3, 2, 5, 12, 6, {"8", "=8"}, 0));
    k.push_back(key(3, 1, 5, 18, 6, {"9", "=9"}, 0));
    k.push_back(key(3, 0, 5, 24, 6, {"\u00F7", "/"}, 0, {"( )", "=(|)"}, {"#", "=#"}));
    k.push_back(key(2, 5, 6, 0, 6, {"", "#LS"}, 0));
    k.push_back(key(2, 3, 6, 6, 6, {"4", "=4"}, 0));
    k.push_back(key(2, 2, 6, 12, 6, {"5", "=5"}, 0));
    k.push_back(key(2, 1, 6, 18, 6, {"6", "=6"}, 0));
    k.push_back(key(2, 0, 6, 24, 6, {"\u00D7", "*"}, 0, {"[ ]", "=[|]"}, {"_", "=_"}));
    k.push_back(key(1, 5, 7, 0, 6, {"", "#RS"}, 0));
    k.push_back(key(1, 3, 7, 6, 6, {"1", "=1"}, 0));
    k.push_back(key(1, 2, 7, 12, 6, {"2", "=2"}, 0));
    k.push_back(key(1, 1, 7, 18, 6, {"3", "=3"}, 0));
    k.push_back(key(1, 0, 7, 24, 6, {"-", "-"}, 0, {"\u00AB \u00BB", "=\xAB | \xBB"}, {"\" \"", "=\"|\""}));
    k.push_back(key(0, 15, 8, 0, 6, {"ON", "#ON"}, 0, {"CONT", "#CONT"}, {"", ""}));
    k.push_back(key(0, 3, 8, 6, 6, {"0", "=0"}, 0, {"=", "=="}, {"\u2192", "=\x8D"}));
    k.push_back(key(0, 2, 8, 12, 6, {".", "=."}, 0, {",", "=,"}, {"\u21B5", "=\n"}));
    k.push_back(key(0, 1, 8, 18, 6, {"SPC", "= "}, 0, {"\u03C0", "=\x87"}, {"\u2220", "=\x80"}));
    k.push_back(key(0, 0, 8, 24, 6, {"+", "+"}, 0, {"{ }", "={ | }"}, {": :", "=:|:"}));
    return l;
}

// The 49G and the 49g+/50g share their matrix; the faces differ in the row
// under the menu keys (the 49G has no EVAL key of its own: it is the right
// shift of SYMB there).
KeyboardLayout make49(Model model)
{
    const bool is50 = model == Model::HP50G;
    KeyboardLayout l{model, 10, {}};
    auto &k = l.keys;
    softKeys(k, {{5, 0}, {5, 1}, {5, 2}, {5, 3}, {5, 4}, {5, 5}});
    k.push_back(key(5, 7, 1, 0, 5, {"APPS", "menu:APPS"}, 'G', {"FILES", "#VAR"}));
    k.push_back(key(4, 7, 1, 5, 5, {"MODE", "menu:MODES"}, 'H'));
    k.push_back(key(3, 7, 1, 10, 5, {"TOOL", "menu:TOOL"}, 'I'));
    k.push_back(key(6, 1, 1, 20, 5, {"\u25B2", "#UP"}, 0));
    k.push_back(key(2, 7, 2, 0, 5, {"VAR", "#VAR"}, 'J', {"UPDIR", "#UPDIR"}, {"HOME", "#HOME"}));
    k.push_back(key(1, 7, 2, 5, 5, {"STO\u25B6", "STO"}, 'K', {"RCL", "RCL"}, {"PURGE", "PURGE"}));
    k.push_back(key(0, 7, 2, 10, 5, {"NXT", "#NXT"}, 'L', {"PREV", "#PREV"}, {"MENU", "menu:CST"}));
    k.push_back(key(6, 2, 2, 15, 5, {"\u25C0", "#LEFT"}, 0));
    k.push_back(key(6, 3, 2, 20, 5, {"\u25BC", "#DOWN"}, 0));
    k.push_back(key(6, 0, 2, 25, 5, {"\u25B6", "#RIGHT"}, 0));
    if (is50) {
        k.push_back(key(4, 6, 3, 0, 6, {"HIST", "#EDIT"}, 'M', {"CMD", ""}, {"UNDO", ""}));
        k.push_back(key(3, 6, 3, 6, 6, {"EVAL", "#EVAL"}, 'N', {"PRG", "menu:PRG"}, {"CHARS", ""}));
        k.push_back(key(2, 6, 3, 12, 6, {"'", "#QUOTE"}, 'O', {"MTRW", ""}, {"EQW", ""}));
        k.push_back(key(1, 6, 3, 18, 6, {"SYMB", "menu:MTH"}, 'P', {"MTH", "menu:MTH"}, {"CAT", ""}));
    } else {
        k.push_back(key(4, 6, 3, 0, 6, {"HIST", "#EDIT"}, 'M', {"CMD", ""}, {"UNDO", ""}));
        k.push_back(key(3, 6, 3, 6, 6, {"'", "#QUOTE"}, 'N', {"PRG", "menu:PRG"}, {"CHARS", ""}));
        k.push_back(key(2, 6, 3, 12, 6, {"EQW", ""}, 'O', {"MTRW", ""}, {"MATH", "menu:MTH"}));
        k.push_back(key(1, 6, 3, 18, 6, {"SYMB", "menu:MTH"}, 'P', {"CAT", ""}, {"EVAL", "#EVAL"}));
    }
    k.push_back(key(0, 6, 3, 24, 6, {"\u232B", "#BKSP"}, 0, {"DEL", "#DEL"}, {"CLEAR", "#CLEAR"}));
    k.push_back(key(4, 5, 4, 0, 6, {"y\u02E3", "^"}, 'Q', {"e\u02E3", "EXP"}, {"LN", "LN"}));
    k.push_back(key(3, 5, 4, 6, 6, {"\u221Ax", "\x83"}, 'R', {"x\u00B2", "SQ"}, {"\u02E3\u221Ay", "XROOT"}));
    k.push_back(key(2, 5, 4, 12, 6, {"SIN", "SIN"}, 'S', {"ASIN", "ASIN"}));
    k.push_back(key(1, 5, 4, 18, 6, {"COS", "COS"}, 'T', {"ACOS", "ACOS"}));
    k.push_back(key(0, 5, 4, 24, 6, {"TAN", "TAN"}, 'U', {"ATAN", "ATAN"}));
    k.push_back(key(4, 4, 5, 0, 6, {"EEX", "#EEX"}, 'V', {"10\u02E3", "ALOG"}, {"LOG", "LOG"}));
    k.push_back(key(3, 4, 5, 6, 6, {"+/-", "#NEG"}, 'W', {"\u2260", "=\x8B"}, {"=", "=="}));
    k.push_back(key(2, 4, 5, 12, 6, {"X", "=X"}, 'X', {"\u2264", "=\x89"}, {"<", "=<"}));
    k.push_back(key(1, 4, 5, 18, 6, {"1/x", "INV"}, 'Y', {"\u2265", "=\x8A"}, {">", "=>"}));
    k.push_back(key(0, 4, 5, 24, 6, {"\u00F7", "/"}, 'Z', {"ABS", "ABS"}, {"ARG", "ARG"}));
    k.push_back(key(7, 3, 6, 0, 6, {"ALPHA", "#ALPHA"}, 0, {"USER", "#ALPHA"}));
    k.push_back(key(3, 3, 6, 6, 6, {"7", "=7"}, 0));
    k.push_back(key(2, 3, 6, 12, 6, {"8", "=8"}, 0));
    k.push_back(key(1, 3, 6, 18, 6, {"9", "=9"}, 0));
    k.push_back(key(0, 3, 6, 24, 6, {"\u00D7", "*"}, 0, {"[ ]", "=[|]"}, {"\" \"", "=\"|\""}));
    k.push_back(key(7, 2, 7, 0, 6, {"", "#LS"}, 0));
    k.push_back(key(3, 2, 7, 6, 6, {"4", "=4"}, 0));
    k.push_back(key(2, 2, 7, 12, 6, {"5", "=5"}, 0));
    k.push_back(key(1, 2, 7, 18, 6, {"6", "=6"}, 0));
    k.push_back(key(0, 2, 7, 24, 6, {"-", "-"}, 0, {"( )", "=(|)"}, {"_", "=_"}));
    k.push_back(key(7, 1, 8, 0, 6, {"", "#RS"}, 0));
    k.push_back(key(3, 1, 8, 6, 6, {"1", "=1"}, 0));
    k.push_back(key(2, 1, 8, 12, 6, {"2", "=2"}, 0));
    k.push_back(key(1, 1, 8, 18, 6, {"3", "=3"}, 0));
    k.push_back(key(0, 1, 8, 24, 6, {"+", "+"}, 0, {"{ }", "={ | }"}, {"\u00AB \u00BB", "=\xAB | \xBB"}));
    k.push_back(key(0, 15, 9, 0, 6, {"ON", "#ON"}, 0, {"CONT", "#CONT"}, {"OFF", ""}));
    k.push_back(key(3, 0, 9, 6, 6, {"0", "=0"}, 0, {"\u221E", "=\x9F"}, {"\u2192", "=\x8D"}));
    k.push_back(key(2, 0, 9, 12, 6, {".", "=."}, 0, {": :", "=:|:"}, {"\u21B5", "=\n"}));
    k.push_back(key(1, 0, 9, 18, 6, {"SPC", "= "}, 0, {"\u03C0", "=\x87"}, {",", "=,"}));
    k.push_back(key(0, 0, 9, 24, 6, {"ENTER", "#ENTER"}, 0, {"ANS", ""}, {"\u2192NUM", "\x8DNUM"}));
    return l;
}

} // namespace

const KeyboardLayout &keyboardOf(Model model)
{
    static const KeyboardLayout gx = make48gx();
    static const KeyboardLayout g49 = make49(Model::HP49G);
    static const KeyboardLayout g50 = make49(Model::HP50G);
    switch (model) {
    case Model::HP48GX:
        return gx;
    case Model::HP49G:
        return g49;
    case Model::HP50G:
        break;
    }
    return g50;
}

const KeyDef *keyAt(Model model, int out, int bit)
{
    for (const KeyDef &k : keyboardOf(model).keys)
        if (k.out == out && k.bit == bit)
            return &k;
    return nullptr;
}

char modelLetter(Model model)
{
    switch (model) {
    case Model::HP48GX:
        return 'G';
    case Model::HP49G:
        return 'X';
    case Model::HP50G:
        break;
    }
    return 'Q';
}

bool modelFromLetter(char letter, Model &model)
{
    switch (letter) {
    case 'G':
        model = Model::HP48GX;
        return true;
    case 'X':
        model = Model::HP49G;
        return true;
    case 'Q':
        model = Model::HP50G;
        return true;
    default:
        return false;
    }
}

} // namespace Calc
