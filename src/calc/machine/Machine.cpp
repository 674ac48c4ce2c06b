// The calculator's own operating layer over the Engine: keys, command line,
// soft menus, the screen, and the thread everything runs on.
#include "calc/machine/Machine.h"

#include "calc/core/Errors.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cmath>

namespace Calc {

namespace {

constexpr int Columns = 21; // 131 dots / 6-dot cells

struct BuiltinMenu
{
    const char *name;
    int number;
    std::vector<const char *> items; // commands, or "#..." machine functions
};

// The built-in menus the keyboard reaches, six keys to a page. MTH and PRG
// open their sub-menus as on the calculators ("menu:NAME", drawn with a
// folder tab); the others hold the everyday commands of their topic.
const std::vector<BuiltinMenu> &builtinMenus()
{
    static const std::vector<BuiltinMenu> menus = {
        {"MTH", 3, {"menu:VECTR", "menu:MATR", "menu:LIST", "menu:HYP", "menu:REAL", "menu:BASE", "menu:PROB"}},
        {"VECTR", 0, {"ABS", "DOT", "CROSS", "V\x8D", "\x8DV2", "\x8DV3"}},
        {"MATR", 0, {"\x8D" "ARRY", "ARRY\x8D", "CON", "IDN", "TRN", "RDM", "DET", "RNRM", "CNRM", "SIZE", "GET",
                     "PUT"}},
        {"LIST", 0, {"\x8DLIST", "LIST\x8D", "SORT", "REVLIST", "ADD", "SIZE", "HEAD", "TAIL", "POS", "SUB",
                     "GET", "PUT"}},
        {"HYP", 0, {"SINH", "ASINH", "COSH", "ACOSH", "TANH", "ATANH", "EXPM", "LNP1"}},
        {"REAL", 0, {"%", "%CH", "%T", "MIN", "MAX", "MOD", "ABS", "SIGN", "MANT", "XPON", "IP", "FP", "RND",
                     "TRNC", "FLOOR", "CEIL", "D\x8DR", "R\x8D" "D"}},
        {"BASE", 0, {"HEX", "DEC", "OCT", "BIN", "STWS", "RCWS", "R\x8D" "B", "B\x8DR", "AND", "OR", "XOR", "NOT"}},
        {"PROB", 0, {"COMB", "PERM", "!", "RAND", "RDZ"}},
        {"PRG", 22, {"menu:STACK", "menu:MEM", "menu:OBJ", "menu:DISP", "menu:CTRL", "menu:BRCH", "menu:TEST",
                     "menu:TYPE", "menu:LIST"}},
        {"STACK", 0, {"DUP", "SWAP", "DROP", "OVER", "ROT", "DEPTH", "PICK", "ROLL", "ROLLD", "DUPN", "DROPN",
                      "CLEAR"}},
        {"MEM", 0, {"PURGE", "VARS", "ORDER", "PATH", "CRDIR", "PGDIR", "HOME", "UPDIR"}},
        {"OBJ", 0, {"OBJ\x8D", "\x8D" "ARRY", "\x8DLIST", "\x8DSTR", "\x8DTAG", "DTAG", "SIZE", "TYPE",
                    "VTYPE"}},
        {"DISP", 0, {"DISP", "CLLCD", "FREEZE", "\x8DLCD", "LCD\x8D", "PICT"}},
        {"CTRL", 0, {"HALT", "KILL", "WAIT", "KEY", "BEEP", "PROMPT", "INPUT", "MSGBOX", "CHOOSE", "DOERR",
                     "ERRN", "ERRM"}},
        {"BRCH", 0, {"IF", "CASE", "START", "FOR", "DO", "WHILE", "THEN", "ELSE", "END", "NEXT", "STEP", "IFERR"}},
        {"TEST", 0, {"==", "\x8B", "<", ">", "\x89", "\x8A", "AND", "OR", "XOR", "NOT", "SAME", "TYPE"}},
        {"TYPE", 0, {"OBJ\x8D", "\x8D" "ARRY", "\x8DLIST", "\x8DSTR", "\x8DTAG", "TYPE", "VTYPE"}},
        {"MODES", 60, {"DEG", "RAD", "GRAD", "STD", "FIX", "SCI", "ENG", "BIN", "OCT", "DEC", "HEX",
                       "STWS"}},
        {"MEMORY", 59, {"VARS", "ORDER", "PURGE", "CRDIR", "PGDIR", "PATH", "HOME", "UPDIR"}},
        {"APPS", 0, {"PATH", "VARS", "CRDIR", "PGDIR", "HOME", "UPDIR"}},
        {"TOOL", 0, {"#EDIT", "RCL", "STO", "PURGE", "CLEAR", "DEPTH"}},
    };
    return menus;
}

const BuiltinMenu *builtinMenu(const std::string &name)
{
    for (const BuiltinMenu &m : builtinMenus())
        if (name == m.name)
            return &m;
    return nullptr;
}

const char *const DebugLabels[6] = {"DBUG", "SST", "SST\x8F", "NEXT", "HALT", "KILL"};

std::string oneLine(std::string s)
{
    for (char &c : s)
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    return s;
}

std::string fit(const std::string &s, size_t width)
{
    if (s.size() <= width)
        return s;
    return s.substr(0, width - 3) + "...";
}

} // namespace

Machine::Machine(Model model)
    : m_model(model)
    , m_engine(model)
{
    m_screen.lcd = LcdPicture(lcdWidth(), lcdHeight());
    m_engine.setUserInterface(this);
}

Machine::~Machine()
{
    stop();
    m_engine.setUserInterface(nullptr);
}

bool Machine::loadState(const std::string &bytes)
{
    if (started())
        return false;
    Engine probe(m_model);
    if (!probe.loadState(bytes) || probe.model() != m_model)
        return false;
    return m_engine.loadState(bytes);
}

bool Machine::restore(const MachineState &state)
{
    // the 49g+ and 48gII letters run as a 50g
    const Model want = state.modelLetter == 'G'   ? Model::HP48GX
                       : state.modelLetter == 'X' ? Model::HP49G
                                                  : Model::HP50G;
    if (started() || want != m_model)
        return false;
    m_engine.restoreState(state);
    std::vector<MenuKey> keys;
    if (state.customMenu.type() == Type::List) {
        for (const Value &v : state.customMenu.items()) {
            if (v.type() != Type::List || v.items().size() != 2)
                continue;
            const Value &label = v.items()[0];
            keys.push_back({label.type() == Type::String ? label.str() : m_engine.toText(label),
                            v.items()[1]});
        }
    }
    try {
        setMenu(keys, state.menu.toDouble());
    } catch (const CalcError &) {
        selectMenu(MenuKind::Var);
    }
    return true;
}

Real Machine::menuShown() const
{
    int number = 0;
    switch (m_menuKind) {
    case MenuKind::Var:
        number = 2;
        break;
    case MenuKind::Custom:
        number = 1;
        break;
    case MenuKind::Debug:
        number = 41;
        break;
    case MenuKind::Builtin:
        if (const BuiltinMenu *m = builtinMenu(m_menuName))
            number = m->number;
        break;
    case MenuKind::List:
        break;
    }
    Real menu;
    parseReal(number == 0 ? "0" : std::to_string(number) + "." + (m_menuPage + 1 < 10 ? "0" : "")
                                      + std::to_string(m_menuPage + 1),
              menu);
    return menu;
}

MachineState Machine::capture() const
{
    MachineState s;
    m_engine.captureState(s);
    s.modelLetter = letter();
    if (m_menuKind == MenuKind::List) {
        std::vector<Value> items;
        for (const MenuKey &k : m_menuKeys)
            items.push_back(Value::list({Value::string(k.label), k.action}));
        s.customMenu = Value::list(std::move(items));
    }
    s.menu = menuShown();
    return s;
}

void Machine::start()
{
    if (started())
        return;
    m_stop = false;
    m_thread = std::thread([this] { threadMain(); });
}

void Machine::stop()
{
    if (!started())
        return;
    {
        std::lock_guard lk(m_mx);
        m_stop = true;
        m_queue.clear();
    }
    m_cv.notify_all();
    // a program that was just starting clears an earlier interrupt: repeat
    // it until the thread has seen the stop
    while (!m_finished.load()) {
        m_engine.requestInterrupt();
        m_cv.notify_all();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    m_thread.join();
    m_finished = false;
    m_ready = false;
}

void Machine::pressKey(int out, int inMask)
{
    int bit = -1;
    for (int b = 0; b < 16; ++b)
        if (inMask == (1 << b))
            bit = b;
    if (bit < 0 || !keyAt(m_model, out, bit))
        return;
    std::lock_guard lk(m_mx);
    if (out == 0 && bit == 15) {
        if (m_running.load()) {
            // attention: stop the program now instead of queueing behind it
            m_engine.requestInterrupt();
            return;
        }
    }
    Event e;
    e.out = out;
    e.mask = inMask;
    m_queue.push_back(std::move(e));
    m_ready = false;
    m_cv.notify_all();
}

void Machine::typeCharacters(const std::string &calcBytes, bool paste)
{
    if (calcBytes.empty())
        return;
    Event e;
    e.done = std::make_shared<TaskDone>(); // nobody waits for it
    e.task = [this, calcBytes, paste](Engine &) {
        if (paste)
            insertText(calcBytes);
        else
            for (const char c : calcBytes)
                typeCharacter(c);
        return true;
    };
    std::lock_guard lk(m_mx);
    m_queue.push_back(std::move(e));
    m_ready = false;
    m_cv.notify_all();
}

void Machine::typeCharacter(char c)
{
    // A closing character typed where the line holds it already (the key
    // typed the pair) steps over it; « } ] ) stand after a blank.
    const bool spaced = c == '\xBB' || c == '}' || c == ']' || c == ')';
    if (m_editing && (spaced || c == '"' || c == '\'')) {
        size_t at = m_cursor;
        while (spaced && at < m_cmd.size() && m_cmd[at] == ' ')
            ++at;
        if (at < m_cmd.size() && m_cmd[at] == c) {
            m_cursor = at + 1;
            return;
        }
    }
    // An opening character: what the calculator's key for it types.
    if (c == '\'') {
        typeText("'|'");
        return;
    }
    for (const KeyDef &k : keyboardOf(m_model).keys)
        for (const std::string *action : {&k.action, &k.leftAction, &k.rightAction})
            if (action->size() > 2 && (*action)[0] == '=' && (*action)[1] == c
                && action->find('|') != std::string::npos) {
                typeText(action->substr(1));
                return;
            }
    insertText(std::string(1, c));
}

void Machine::releaseKey(int, int)
{
    // Keys act when pressed; no key of this machine repeats or chords.
}

bool Machine::waitReady(int limitMs) const
{
    std::unique_lock lk(m_mx);
    return m_cv.wait_for(lk, std::chrono::milliseconds(limitMs), [this] { return m_ready.load(); });
}

bool Machine::runWhenIdle(const std::function<bool(Engine &)> &task, int limitMs)
{
    if (!started())
        return false;
    auto done = std::make_shared<TaskDone>();
    std::unique_lock lk(m_mx);
    if (!m_cv.wait_for(lk, std::chrono::milliseconds(limitMs), [this] { return m_ready.load() || m_stop; })
        || m_stop)
        return false;
    Event e;
    e.task = task;
    e.done = done;
    m_queue.push_back(std::move(e));
    m_ready = false;
    m_cv.notify_all();
    // the task itself is short: it only moves an object or the memory
    m_cv.wait(lk, [&] { return done->finished || m_stop; });
    return done->finished && done->result;
}

Screen Machine::currentScreen() const
{
    std::lock_guard lk(m_screenMx);
    return m_screen;
}

void Machine::setScreenListener(std::function<void()> f)
{
    std::lock_guard lk(m_screenMx);
    m_screenListener = std::move(f);
}

void Machine::setHaltListener(std::function<void()> f)
{
    std::lock_guard lk(m_screenMx);
    m_haltListener = std::move(f);
}

void Machine::threadMain()
{
    render();
    for (;;) {
        Event e;
        {
            std::unique_lock lk(m_mx);
            while (m_queue.empty() && !m_stop) {
                m_ready = true;
                m_cv.notify_all();
                m_cv.wait(lk);
            }
            if (m_stop)
                break;
            e = std::move(m_queue.front());
            m_queue.pop_front();
            m_ready = false;
        }
        if (e.task) {
            bool ok = false;
            try {
                ok = e.task(m_engine);
            } catch (const CalcError &) {
                ok = false;
            }
            render();
            std::lock_guard lk(m_mx);
            e.done->finished = true;
            e.done->result = ok;
            m_cv.notify_all();
            continue;
        }
        const int mask = e.mask;
        int bit = 0;
        while (bit < 15 && mask != (1 << bit))
            ++bit;
        if (const KeyDef *k = keyAt(m_model, e.out, bit)) {
            try {
                handleKey(*k);
            } catch (const CalcError &err) {
                m_message = {"Error:", err.message};
            }
        }
        render();
    }
    std::lock_guard lk(m_mx);
    m_ready = false;
    m_finished = true;
    m_cv.notify_all();
}

// ---- keys ---------------------------------------------------------------------

void Machine::handleKey(const KeyDef &k)
{
    if (k.action == "#LS") {
        m_shift = m_shift == 1 ? 0 : 1;
        return;
    }
    if (k.action == "#RS") {
        m_shift = m_shift == 2 ? 0 : 2;
        return;
    }
    if (k.action == "#ALPHA") {
        if (m_shift == 1) {
            // USER: once for the next key, twice locked, a third time off
            m_shift = 0;
            if (!m_engine.flag(-62)) {
                m_engine.setFlag(-62, true);
                m_userOnce = true;
            } else if (m_userOnce) {
                m_userOnce = false;
            } else {
                m_engine.setFlag(-62, false);
            }
            return;
        }
        m_shift = 0;
        m_alpha = (m_alpha + 1) % 3;
        return;
    }
    const int shift = m_shift;
    m_shift = 0;
    if (m_engine.flag(-62) && !(m_alpha && k.alpha && shift != 2)) {
        // user mode: a key that ASN or STOKEYS assigned runs its object
        const bool once = m_userOnce;
        if (once) {
            m_engine.setFlag(-62, false);
            m_userOnce = false;
        }
        if (const Value *assigned = userKey(keyCode(k, shift + 1))) {
            const Value object = *assigned;
            if (m_editing)
                perform("#ENTER", 0);
            evaluateItem(object);
            return;
        }
    }
    m_message.clear();
    if (m_nested == 0) {
        // what a program drew stays until the next key
        m_userDisplay = false;
        m_userPicture = Value();
        m_frozen = 0;
    }
    if (m_alpha && k.alpha && shift != 2) {
        const char c = shift == 1 ? static_cast<char>(k.alpha - 'A' + 'a') : k.alpha;
        if (m_alpha == 1)
            m_alpha = 0;
        typeText(std::string(1, c));
        return;
    }
    const std::string &action = shift == 1 ? k.leftAction : shift == 2 ? k.rightAction : k.action;
    if (m_alpha == 1)
        m_alpha = 0;
    perform(action, shift);
}

const Value *Machine::userKey(const std::string &code) const
{
    Real want;
    if (!parseReal(code, want))
        return nullptr;
    const std::vector<Value> &keys = m_engine.userKeys();
    // { S obj key obj key ... }: an S first keeps the standard keys
    size_t i = !keys.empty() && keys.front().isName() && keys.front().nameText() == "S" ? 1 : 0;
    for (; i + 1 < keys.size(); i += 2)
        if (keys[i + 1].type() == Type::Real && keys[i + 1].asReal() == want)
            return &keys[i];
    return nullptr;
}

void Machine::perform(const std::string &action, int shift)
{
    if (action.empty())
        return;
    if (action[0] == '=') {
        typeText(action.substr(1));
        return;
    }
    if (action.compare(0, 5, "menu:") == 0) {
        const std::string name = action.substr(5);
        if (name == "CST")
            selectMenu(MenuKind::Custom);
        else
            selectMenu(MenuKind::Builtin, name);
        return;
    }
    if (action[0] != '#') {
        commandKey(action);
        return;
    }
    const std::string f = action.substr(1);
    if (f.size() == 2 && f[0] == 'F' && f[1] >= '1' && f[1] <= '6') {
        softKey(f[1] - '1', shift);
    } else if (f == "ENTER") {
        m_alpha = 0;
        if (m_editing)
            enterCommandLine();
        else
            runCommand("DUP");
    } else if (f == "BKSP") {
        if (!m_editing) {
            runCommand("DROP");
        } else if (m_cursor > 0) {
            m_cmd.erase(--m_cursor, 1);
            if (m_cmd.empty())
                cancelEdit(); // erasing the last character ends the line
        } else if (m_cmd.empty()) {
            cancelEdit();
        }
    } else if (f == "DEL") {
        if (m_editing && m_cursor < m_cmd.size())
            m_cmd.erase(m_cursor, 1);
    } else if (f == "CLEAR") {
        if (m_editing)
            cancelEdit();
        else
            runCommand("CLEAR");
    } else if (f == "EVAL") {
        commandKey("EVAL");
    } else if (f == "QUOTE") {
        typeText("'|'");
    } else if (f == "NEG") {
        toggleSign();
    } else if (f == "EEX") {
        const bool afterDigit = m_editing && m_cursor > 0 && std::isdigit(static_cast<unsigned char>(m_cmd[m_cursor - 1]));
        typeText(afterDigit ? "E" : "1E");
    } else if (f == "ON") {
        m_alpha = 0;
        if (m_editing)
            cancelEdit();
    } else if (f == "CONT") {
        if (m_engine.hasHalted())
            runEngine([this] { return m_engine.resumeHalted(); });
    } else if (f == "LEFT") {
        if (m_editing && m_cursor > 0)
            --m_cursor;
    } else if (f == "RIGHT") {
        if (!m_editing)
            runCommand("SWAP");
        else if (m_cursor < m_cmd.size())
            ++m_cursor;
    } else if (f == "UP") {
        if (m_editing)
            moveLine(-1);
    } else if (f == "DOWN") {
        if (m_editing)
            moveLine(1);
        else
            editLevel1();
    } else if (f == "EDIT") {
        if (!m_editing)
            editLevel1();
    } else if (f == "VAR") {
        selectMenu(MenuKind::Var);
    } else if (f == "CST") {
        selectMenu(MenuKind::Custom);
    } else if (f == "NXT" || f == "PREV") {
        const size_t n = menuItems().size();
        const int pages = std::max<int>(1, static_cast<int>((n + 5) / 6));
        m_menuPage = (m_menuPage + (f == "NXT" ? 1 : pages - 1)) % pages;
    } else if (f == "UPDIR") {
        commandKey("UPDIR");
    } else if (f == "HOME") {
        commandKey("HOME");
    } else if (f == "RAD") {
        commandKey(m_engine.angleMode() == AngleMode::Radians ? "DEG" : "RAD");
    }
}

void Machine::softKey(int index, int shift)
{
    if (m_menuKind == MenuKind::Debug) {
        debugKey(index);
        return;
    }
    const std::vector<MenuItem> items = menuItems();
    const size_t i = static_cast<size_t>(m_menuPage) * 6 + static_cast<size_t>(index);
    if (i >= items.size())
        return;
    const MenuItem &item = items[i];
    if (m_menuKind == MenuKind::Var) {
        const std::string &name = item.label;
        if (shift == 1)
            commandKey("'" + name + "' STO");
        else if (shift == 2)
            commandKey("'" + name + "' RCL");
        else
            commandKey(name);
        return;
    }
    if (m_menuKind == MenuKind::Builtin) {
        perform(item.command, shift);
        return;
    }
    // a custom menu: {label action} items may give one action per shift
    Value action = item.action;
    if (action.type() == Type::List && action.items().size() == 3)
        action = action.items()[static_cast<size_t>(shift)];
    else if (shift != 0)
        return;
    if (action.type() == Type::String) {
        typeText(action.str());
        return;
    }
    if (m_editing && inProgramMode()) {
        insertWord(oneLine(m_engine.toText(action.isName() ? action.withQuoted(false) : action)));
        return;
    }
    if (m_editing && !enterCommandLine())
        return;
    evaluateItem(action);
}

void Machine::debugKey(int index)
{
    if (m_editing && inProgramMode()) {
        if (index >= 4)
            insertWord(DebugLabels[index]);
        return;
    }
    if (m_editing && !enterCommandLine())
        return;
    switch (index) {
    case 0: { // DBUG: the program on level 1, halted before its first object
        if (m_engine.depth() == 0) {
            m_message = {"DBUG Error:", errorText(Err::TooFewArguments)};
            return;
        }
        Value prog = m_engine.level(1);
        if (prog.isName()) {
            try {
                prog = m_engine.recall(prog);
            } catch (const CalcError &e) {
                m_message = {"DBUG Error:", e.message};
                return;
            }
        }
        if (prog.type() != Type::Program) {
            m_message = {"DBUG Error:", errorText(Err::BadArgumentType)};
            return;
        }
        m_engine.drop(1);
        runEngine([&] { return m_engine.debug(prog); });
        return;
    }
    case 1:
    case 2: {
        if (!m_engine.hasHalted())
            return;
        const std::vector<Value> next = m_engine.haltedNext(1);
        const Engine::Status s = runEngine(
            [&] { return index == 1 ? m_engine.stepHalted() : m_engine.stepIntoHalted(); });
        if (!next.empty() && s != Engine::Status::Error)
            m_message = {fit(oneLine(m_engine.toText(next.front())), Columns)};
        return;
    }
    case 3: {
        const std::vector<Value> next = m_engine.haltedNext(2);
        m_message.clear();
        for (const Value &v : next)
            m_message.push_back(fit(oneLine(m_engine.toText(v)), Columns));
        return;
    }
    case 4:
        return; // HALT only means something inside a program
    case 5:
        m_engine.killHalted();
        return;
    default:
        return;
    }
}

// ---- the command line ---------------------------------------------------------

void Machine::typeText(const std::string &text)
{
    if (!m_editing) {
        m_editing = true;
        m_editReplaces = false;
        m_cmd.clear();
        m_cursor = 0;
    }
    const size_t bar = text.find('|');
    const std::string t = bar == std::string::npos ? text : text.substr(0, bar) + text.substr(bar + 1);
    m_cmd.insert(m_cursor, t);
    m_cursor += bar == std::string::npos ? t.size() : bar;
}

void Machine::insertText(const std::string &text)
{
    if (!m_editing) {
        m_editing = true;
        m_editReplaces = false;
        m_cmd.clear();
        m_cursor = 0;
    }
    m_cmd.insert(m_cursor, text);
    m_cursor += text.size();
}

void Machine::insertWord(const std::string &word)
{
    std::string t;
    if (m_editing && m_cursor > 0 && m_cmd[m_cursor - 1] != ' ' && m_cmd[m_cursor - 1] != '\n')
        t = " ";
    t += word + " ";
    typeText(t);
}

// Program and algebraic entry: command keys type their names instead of
// running, as while writing « ... » or '...' on the calculator.
bool Machine::inProgramMode() const
{
    return m_editing && entryMode() == Entry::Program;
}

Machine::Entry Machine::entryMode() const
{
    if (!m_editing)
        return Entry::Immediate;
    int open = 0;
    int quotes = 0;
    bool inString = false;
    // what matters is whether the cursor sits inside « » or ' '
    for (size_t i = 0; i < m_cursor && i < m_cmd.size(); ++i) {
        const char c = m_cmd[i];
        if (c == '"')
            inString = !inString;
        if (inString)
            continue;
        if (c == '\xAB')
            ++open;
        else if (c == '\xBB')
            --open;
        else if (c == '\'')
            ++quotes;
    }
    if (open > 0)
        return Entry::Program;
    return quotes % 2 == 1 ? Entry::Algebraic : Entry::Immediate;
}

void Machine::cancelEdit()
{
    m_editing = false;
    m_editReplaces = false;
    m_cmd.clear();
    m_cursor = 0;
}

bool Machine::enterCommandLine()
{
    Value prog;
    try {
        prog = m_engine.compile(m_cmd);
    } catch (const CalcError &e) {
        // the line stays, with the cursor where the fault is
        m_message = {e.message};
        if (e.position >= 0)
            m_cursor = std::min(static_cast<size_t>(e.position), m_cmd.size());
        return false;
    }
    const bool replaces = m_editReplaces;
    cancelEdit();
    if (replaces && m_engine.depth() > 0)
        m_engine.drop(1);
    const Engine::Status s = runEngine([&] { return m_engine.evaluate(prog); });
    return s == Engine::Status::Done;
}

void Machine::editLevel1()
{
    if (m_engine.depth() == 0)
        return;
    m_cmd = m_engine.toText(m_engine.level(1));
    m_editing = true;
    m_editReplaces = true;
    m_cursor = 0;
}

void Machine::toggleSign()
{
    if (!m_editing) {
        commandKey("NEG");
        return;
    }
    size_t s = m_cursor;
    while (s > 0 && (std::isdigit(static_cast<unsigned char>(m_cmd[s - 1])) || m_cmd[s - 1] == '.'))
        --s;
    if (s == m_cursor) {
        insertWord("NEG");
        return;
    }
    if (s > 0 && m_cmd[s - 1] == '-') {
        m_cmd.erase(s - 1, 1);
        --m_cursor;
    } else {
        m_cmd.insert(s, "-");
        ++m_cursor;
    }
}

void Machine::moveLine(int delta)
{
    const size_t lineStart = m_cursor == 0 ? 0 : m_cmd.rfind('\n', m_cursor - 1) + 1;
    const size_t col = m_cursor - lineStart;
    if (delta < 0) {
        if (lineStart == 0) {
            m_cursor = 0;
            return;
        }
        const size_t prevEnd = lineStart - 1;
        const size_t prevStart = prevEnd == 0 ? 0 : m_cmd.rfind('\n', prevEnd - 1) + 1;
        m_cursor = std::min(prevStart + col, prevEnd);
    } else {
        const size_t end = m_cmd.find('\n', m_cursor);
        if (end == std::string::npos) {
            m_cursor = m_cmd.size();
            return;
        }
        const size_t nextStart = end + 1;
        size_t nextEnd = m_cmd.find('\n', nextStart);
        if (nextEnd == std::string::npos)
            nextEnd = m_cmd.size();
        m_cursor = std::min(nextStart + col, nextEnd);
    }
}

// ---- running --------------------------------------------------------------------

Engine::Status Machine::runEngine(const std::function<Engine::Status()> &f)
{
    if (m_nested > 0)
        return Engine::Status::Done; // a program is waiting in a dialog: no second run
    m_cancel = false;
    m_userDisplay = false;
    m_userPicture = Value();
    m_frozen = 0;
    {
        std::lock_guard lk(m_mx);
        if (m_stop)
            return Engine::Status::Interrupted;
        m_running = true;
    }
    render();
    const Engine::Status s = f();
    {
        // an ON that came after the end must not stop the next program
        std::lock_guard lk(m_mx);
        m_running = false;
    }
    if (!m_frozen) {
        m_userDisplay = false;
        m_userPicture = Value();
    }
    if (s == Engine::Status::Error) {
        // The calculators name the failing command above the message.
        const CalcError &error = m_engine.lastError();
        const std::string command = error.command.value_or(std::string());
        m_message = {command.empty() ? std::string("Error:") : command + " Error:", error.message};
    }
    if (s == Engine::Status::Halted) {
        std::function<void()> notify;
        {
            std::lock_guard lk(m_screenMx);
            notify = m_haltListener;
        }
        if (notify)
            notify();
    }
    return s;
}

void Machine::runCommand(const std::string &calcText)
{
    runEngine([&] { return m_engine.enter(calcText); });
}

void Machine::commandKey(const std::string &calcText)
{
    if (m_editing && inProgramMode()) {
        insertWord(calcText);
        return;
    }
    if (m_editing && entryMode() == Entry::Algebraic) {
        // inside '...' operators and functions are written as in algebra;
        // other commands end the line and run
        static const char *const infix[] = {"+", "-", "*", "/", "^"};
        static const char *const prefix[] = {"SIN", "COS", "TAN", "ASIN", "ACOS", "ATAN", "\x83",
                                             "SQ", "INV", "EXP", "LN", "LOG", "ALOG", "ABS", "ARG",
                                             "NEG", "XROOT"};
        for (const char *op : infix)
            if (calcText == op) {
                typeText(calcText);
                return;
            }
        for (const char *fn : prefix)
            if (calcText == fn) {
                typeText(calcText + "(|)");
                return;
            }
    }
    if (m_editing && !enterCommandLine())
        return;
    runCommand(calcText);
}

void Machine::evaluateItem(const Value &action)
{
    runEngine([&] { return m_engine.evaluate(action); });
}

// ---- menus ------------------------------------------------------------------------

void Machine::selectMenu(MenuKind kind, const std::string &name, std::vector<MenuKey> keys)
{
    if (kind == MenuKind::Builtin && !builtinMenu(name))
        return;
    m_lastMenuKind = m_menuKind;
    m_lastMenuName = m_menuName;
    m_lastMenuKeys = m_menuKeys;
    m_menuKind = kind;
    m_menuName = name;
    m_menuKeys = std::move(keys);
    m_menuPage = 0;
}

void Machine::setMenu(const std::vector<MenuKey> &keys, double menuNumber)
{
    if (!keys.empty()) {
        selectMenu(MenuKind::List, {}, keys);
        return;
    }
    const int number = static_cast<int>(menuNumber);
    const int page = std::max(0, static_cast<int>(std::lround((menuNumber - number) * 100)) - 1);
    if (number == 0) {
        const MenuKind k = m_lastMenuKind;
        const std::string n = m_lastMenuName;
        const std::vector<MenuKey> l = m_lastMenuKeys;
        selectMenu(k, n, l);
    } else if (number == 1) {
        selectMenu(MenuKind::Custom);
    } else if (number == 2) {
        selectMenu(MenuKind::Var);
    } else if (number == 41) {
        selectMenu(MenuKind::Debug);
    } else {
        const BuiltinMenu *found = nullptr;
        for (const BuiltinMenu &m : builtinMenus())
            if (m.number == number)
                found = &m;
        if (!found)
            throw CalcError(Err::BadArgumentValue);
        selectMenu(MenuKind::Builtin, found->name);
    }
    m_menuPage = page;
}

std::vector<Machine::MenuItem> Machine::menuItems() const
{
    std::vector<MenuItem> items;
    auto fromList = [&](const Value &list) {
        if (list.type() != Type::List)
            return;
        for (const Value &v : list.items()) {
            MenuItem it;
            it.action = v;
            Value label = v;
            if (v.type() == Type::List && !v.items().empty()) {
                label = v.items()[0];
                it.action = v.items().size() > 1 ? v.items()[1] : Value();
            }
            if (label.type() == Type::String)
                it.label = label.str();
            else if (label.isName())
                it.label = label.nameText();
            else
                it.label = oneLine(m_engine.toText(label));
            items.push_back(std::move(it));
        }
    };
    switch (m_menuKind) {
    case MenuKind::Var:
        for (const auto &var : m_engine.currentDir()->vars) {
            MenuItem it;
            it.label = var.name->text;
            it.action = Value::name(var.name, Type::GlobalName, false);
            it.isDir = var.value.type() == Type::Directory;
            items.push_back(std::move(it));
        }
        break;
    case MenuKind::Custom: {
        const DirObj *d = m_engine.currentDir();
        const NameRef cst = internName("CST");
        // CST is looked up from the current directory towards HOME
        for (size_t i = m_engine.path().size(); i-- > 0;) {
            d = m_engine.path()[i];
            for (const auto &var : d->vars)
                if (var.name == cst) {
                    fromList(var.value);
                    return items;
                }
        }
        break;
    }
    case MenuKind::List:
        for (const MenuKey &k : m_menuKeys)
            items.push_back({k.label, k.action, false, {}});
        break;
    case MenuKind::Builtin:
        if (const BuiltinMenu *m = builtinMenu(m_menuName))
            for (const char *c : m->items) {
                const std::string item = c;
                if (item.compare(0, 5, "menu:") == 0)
                    items.push_back({item.substr(5), Value(), true, item});
                else
                    items.push_back({item, Value(), false, item});
            }
        break;
    case MenuKind::Debug:
        for (const char *l : DebugLabels)
            items.push_back({l, Value(), false, {}});
        break;
    }
    return items;
}

// ---- the screen ----------------------------------------------------------------------

void Machine::render()
{
    const int w = lcdWidth();
    const int h = lcdHeight();
    const int rows = h / LcdPicture::CellHeight;
    const int menuRow = rows - 1;
    Screen s;
    s.lcd = LcdPicture(w, h);
    s.lines.assign(static_cast<size_t>(menuRow), std::string());

    // header: a message, or the modes and the current path
    if (!m_message.empty()) {
        s.lines[0] = m_message[0];
        if (m_message.size() > 1)
            s.lines[1] = m_message[1];
    } else {
        std::string modes;
        switch (m_engine.angleMode()) {
        case AngleMode::Radians:
            modes = "RAD";
            break;
        case AngleMode::Grads:
            modes = "GRAD";
            break;
        default:
            modes = "DEG";
            break;
        }
        switch (m_engine.binaryBase()) {
        case 2:
            modes += " BIN";
            break;
        case 8:
            modes += " OCT";
            break;
        case 10:
            modes += " DEC";
            break;
        default:
            modes += " HEX";
            break;
        }
        // the 49 family's header tells exact mode (R=) from approximate (R~)
        if (m_engine.is49())
            modes += m_engine.exactMode() ? " R=" : " R~";
        if (m_engine.hasHalted()) {
            modes.resize(Columns - 4, ' ');
            modes += "HALT";
        }
        s.lines[0] = modes;
        std::string path = "{ HOME";
        for (const NameObj *n : m_engine.pathNames())
            if (n->text != "HOME")
                path += " " + n->text;
        s.lines[1] = fit(path + " }", Columns);
    }

    // the command line at the bottom of the stack area
    const int stackTop = 2;
    int bottom = menuRow; // first row below the stack area
    int cursorRow = -1;
    int cursorCol = 0;
    if (m_editing) {
        std::vector<std::string> lines;
        size_t start = 0;
        size_t curLine = 0;
        size_t curCol = 0;
        for (;;) {
            const size_t e = m_cmd.find('\n', start);
            const size_t end = e == std::string::npos ? m_cmd.size() : e;
            if (m_cursor >= start && m_cursor <= end) {
                curLine = lines.size();
                curCol = m_cursor - start;
            }
            lines.push_back(m_cmd.substr(start, end - start));
            if (e == std::string::npos)
                break;
            start = e + 1;
        }
        const int avail = menuRow - stackTop;
        const int shown = std::min<int>(avail, static_cast<int>(lines.size()));
        // keep the cursor's line in view
        int first = std::max(0, static_cast<int>(lines.size()) - shown);
        if (static_cast<int>(curLine) < first)
            first = static_cast<int>(curLine);
        bottom = menuRow - shown;
        for (int i = 0; i < shown; ++i) {
            const size_t li = static_cast<size_t>(first + i);
            std::string text = lines[li];
            size_t offset = 0;
            if (li == curLine && curCol >= static_cast<size_t>(Columns))
                offset = curCol - static_cast<size_t>(Columns) + 1;
            text = text.substr(std::min(offset, text.size()), Columns);
            s.lines[static_cast<size_t>(bottom + i)] = text;
            if (li == curLine) {
                cursorRow = bottom + i;
                cursorCol = static_cast<int>(curCol - offset);
            }
        }
    }
    // the stack levels, level 1 lowest
    for (int row = bottom - 1, level = 1; row >= stackTop; --row, ++level) {
        std::string prefix = std::to_string(level) + ":";
        std::string text;
        if (static_cast<size_t>(level) <= m_engine.depth()) {
            const size_t room = Columns - prefix.size() - 1;
            text = fit(oneLine(m_engine.toText(m_engine.level(static_cast<size_t>(level)))), room);
        }
        const size_t pad = Columns - prefix.size() - text.size();
        s.lines[static_cast<size_t>(row)] = prefix + std::string(pad, ' ') + text;
    }
    if (m_overlay) {
        drawOverlay(s, menuRow);
        cursorRow = -1;
    } else if (m_userDisplay && !(m_editing && m_nested)) {
        s.lines = m_userLines;
        s.lines.resize(static_cast<size_t>(menuRow));
        cursorRow = -1;
    }
    for (size_t i = 0; i < s.lines.size(); ++i)
        s.lcd.drawText(0, static_cast<int>(i) * LcdPicture::CellHeight, s.lines[i]);
    if (m_userDisplay && !m_overlay && m_userPicture.type() == Type::Grob) {
        const GrobObj *g = m_userPicture.asGrob();
        const int gw = std::min<int>(static_cast<int>(g->width), w);
        const int gh = std::min<int>(static_cast<int>(g->height), menuRow * LcdPicture::CellHeight);
        for (int y = 0; y < gh; ++y)
            for (int x = 0; x < gw; ++x)
                s.lcd.setDot(x, y, g->pixel(x, y));
    }
    if (m_overlay && m_overlayInverse >= 0)
        s.lcd.invert(0, m_overlayInverse * LcdPicture::CellHeight, w, LcdPicture::CellHeight);
    if (cursorRow >= 0)
        s.lcd.invert(cursorCol * LcdPicture::CellWidth, cursorRow * LcdPicture::CellHeight,
                     LcdPicture::CellWidth, LcdPicture::CellHeight - 1);

    // six soft-menu labels: white on black tabs
    std::vector<MenuItem> items = menuItems();
    if (m_overlay) {
        items.clear();
        for (const std::string &l : m_overlayMenu)
            items.push_back({l, Value(), false, {}});
    }
    const int pages = std::max<int>(1, static_cast<int>((items.size() + 5) / 6));
    if (m_menuPage >= pages)
        m_menuPage = 0;
    const int page = m_overlay ? 0 : m_menuPage;
    const int y = menuRow * LcdPicture::CellHeight;
    for (int i = 0; i < 6; ++i) {
        const size_t idx = static_cast<size_t>(page * 6 + i);
        const int x = i * 22;
        if (idx >= items.size() || items[idx].label.empty()) {
            s.lcd.fill(x, y + 1, 21, 7, true);
            s.lcd.fill(x + 1, y + 1, 19, 6, false);
            continue;
        }
        const MenuItem &it = items[idx];
        const std::string label = it.label.substr(0, 5);
        s.menu[static_cast<size_t>(i)] = label;
        s.lcd.fill(x, y + 1, 21, 7, true);
        if (it.isDir)
            s.lcd.fill(x + 12, y + 1, 9, 1, false); // the folder tab
        s.lcd.drawSmall(x + 1 + (20 - LcdPicture::smallWidth(label)) / 2, y + 2, label, false);
    }

    s.leftShift = m_shift == 1;
    s.rightShift = m_shift == 2;
    s.alpha = m_alpha != 0;
    s.busy = m_running.load();
    s.halted = m_engine.hasHalted();
    std::function<void()> notify;
    {
        std::lock_guard lk(m_screenMx);
        s.serial = m_screen.serial + 1;
        m_screen = std::move(s);
        notify = m_screenListener;
    }
    if (notify)
        notify();
}

} // namespace Calc
