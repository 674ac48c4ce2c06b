// The commands that talk to the user: they go through the engine's
// UserInterface (the terminal of qvrpl, the calculator window).
#include "calc/core/CommandTable.h"
#include "calc/core/UserInterface.h"

namespace Calc {

int typeNumberOf(const Value &v);

namespace {

using UI = UserInterface;

int novalId()
{
    static const int id = findCommand("NOVAL");
    return id;
}

// A small whole number inside a list argument; anything else is refused.
int smallInt(const Value &v)
{
    if (!isRealArg(v))
        throw CalcError(Err::BadArgumentType);
    bool ok = false;
    const int64_t i = intPart(realOfNumber(v)).toInt(&ok);
    if (!ok || i < -100000 || i > 100000)
        throw CalcError(Err::BadArgumentValue);
    return static_cast<int>(i);
}

bool isNoval(const Value &v)
{
    return v.type() == Type::Command && v.commandId() == novalId();
}

// Strings show without their quotes; everything else as ->STR gives it.
std::string shown(Engine &e, const Value &v)
{
    if (v.type() == Type::String)
        return v.str();
    return e.toText(v);
}

// The editable text of a value (strings keep their quotes).
std::string editText(Engine &e, const Value &v)
{
    if (v.isNull() || isNoval(v))
        return std::string();
    return e.toText(v);
}

// What an unanswered request means: an interrupt stops the program as the
// ON key does; a cancel is the caller's to handle.
bool answered(Engine &e, UI::Answer a)
{
    if (a == UI::Answer::Interrupted) {
        e.requestInterrupt();
        return false;
    }
    return a == UI::Answer::Ok;
}

std::string syntaxCheck(Engine &e, const std::string &text)
{
    try {
        e.compile(text);
        return std::string();
    } catch (const CalcError &err) {
        return err.message;
    }
}

void input(Engine &e)
{
    UI::InputRequest req;
    req.prompt = shown(e, e.level(2));
    const Value spec = e.level(1);
    if (spec.type() == Type::String) {
        req.commandLine = spec.str();
    } else {
        for (const Value &item : spec.items()) {
            if (item.type() == Type::String) {
                req.commandLine = item.str();
            } else if (isRealArg(item)) {
                req.cursorColumn = smallInt(item);
            } else if (item.type() == Type::List && item.items().size() == 2) {
                req.cursorRow = smallInt(item.items()[0]);
                req.cursorColumn = smallInt(item.items()[1]);
            } else if (item.isName()) {
                const std::string &n = item.nameText();
                if (n == "ALG")
                    req.algebraic = true;
                else if (n == "V")
                    req.verify = true;
                else if (n == "\x8C") // alpha
                    req.alpha = true;
                else
                    throw CalcError(Err::BadArgumentValue);
            } else {
                throw CalcError(Err::BadArgumentType);
            }
        }
    }
    if (req.verify)
        req.check = [&e](const std::string &t) { return syntaxCheck(e, t); };
    UI *ui = e.userInterface();
    std::string text;
    const UI::Answer a = ui ? ui->input(req, text) : UI::Answer::Cancelled;
    e.drop(2);
    if (a == UI::Answer::Cancelled) {
        // CANCEL abandons the program, as on the calculator
        e.requestAbandon();
        return;
    }
    if (answered(e, a))
        e.push(Value::string(std::move(text)));
}

void choose(Engine &e)
{
    const std::string title = shown(e, e.level(3));
    const std::vector<Value> items = e.level(2).items();
    int pos = static_cast<int>(intAt(e, 1, 0, INT32_MAX));
    std::vector<std::string> labels;
    std::vector<Value> results;
    for (const Value &it : items) {
        if (it.type() == Type::List && it.items().size() == 2) {
            labels.push_back(shown(e, it.items()[0]));
            results.push_back(it.items()[1]);
        } else {
            labels.push_back(shown(e, it));
            results.push_back(it);
        }
    }
    if (pos < 0 || pos > static_cast<int>(items.size()))
        throw CalcError(Err::BadArgumentValue);
    UI *ui = e.userInterface();
    int choice = pos;
    const UI::Answer a =
        ui && !items.empty() ? ui->choose(title, labels, choice) : UI::Answer::Cancelled;
    e.drop(3);
    if (a == UI::Answer::Interrupted) {
        answered(e, a);
        return;
    }
    // pos 0 shows the list for looking only: nothing can be chosen
    if (a == UI::Answer::Ok && pos > 0 && choice >= 1 && choice <= static_cast<int>(items.size())) {
        e.push(results[static_cast<size_t>(choice - 1)]);
        e.push(Value::real(1));
    } else {
        e.push(Value::real(0));
    }
}

void inform(Engine &e)
{
    UI::InformRequest req;
    req.title = shown(e, e.level(5));
    const std::vector<Value> fields = e.level(4).items();
    const Value format = e.level(3);
    const std::vector<Value> resets = e.level(2).items();
    const std::vector<Value> initial = e.level(1).items();
    if (format.type() == Type::List) {
        const auto &f = format.items();
        if (!f.empty())
            req.columns = std::max(1, smallInt(f[0]));
        if (f.size() > 1)
            req.tab = smallInt(f[1]);
    }
    std::vector<size_t> slot; // field number -> index in fields
    for (size_t i = 0; i < fields.size(); ++i) {
        const Value &f = fields[i];
        UI::InformField field;
        if (f.type() == Type::String) {
            field.label = f.str();
        } else if (f.type() == Type::List) {
            if (f.items().empty())
                continue; // an empty slot keeps a place in the layout
            const auto &p = f.items();
            field.label = shown(e, p[0]);
            if (p.size() > 1)
                field.help = shown(e, p[1]);
            for (size_t k = 2; k < p.size(); ++k)
                field.types.push_back(smallInt(p[k]));
        } else {
            throw CalcError(Err::BadArgumentType);
        }
        const size_t n = req.fields.size();
        if (n < initial.size())
            field.value = editText(e, initial[n]);
        if (n < resets.size())
            field.reset = editText(e, resets[n]);
        req.fields.push_back(std::move(field));
        slot.push_back(i);
    }
    const std::vector<UI::InformField> &fs = req.fields;
    req.check = [&e, &fs](size_t index, const std::string &text) -> std::string {
        if (text.empty() || index >= fs.size())
            return std::string();
        Value prog;
        try {
            prog = e.compile(text);
        } catch (const CalcError &err) {
            return err.message;
        }
        if (prog.items().size() != 1)
            return CalcError(Err::InvalidSyntax).message;
        const auto &types = fs[index].types;
        auto takes = [&types](int t) { return std::find(types.begin(), types.end(), t) != types.end(); };
        const int t = typeNumberOf(prog.items()[0]);
        // a field of reals takes an exact integer typed into it, as a real
        if (!types.empty() && !takes(t) && !(t == 28 && takes(0)))
            return CalcError(Err::BadArgumentType).message;
        return std::string();
    };
    UI *ui = e.userInterface();
    std::vector<std::string> values;
    const UI::Answer a = ui ? ui->inform(req, values) : UI::Answer::Cancelled;
    if (a == UI::Answer::Interrupted) {
        e.drop(5);
        answered(e, a);
        return;
    }
    if (a != UI::Answer::Ok) {
        e.drop(5);
        e.push(Value::real(0));
        return;
    }
    std::vector<Value> out;
    for (size_t i = 0; i < req.fields.size(); ++i) {
        const std::string text = i < values.size() ? values[i] : std::string();
        if (text.empty() || !req.check(i, text).empty()) {
            out.push_back(Value::command(novalId()));
            continue;
        }
        Value v = e.compile(text).items()[0];
        const auto &types = req.fields[i].types;
        if (v.type() == Type::Integer && !types.empty() &&
            std::find(types.begin(), types.end(), 28) == types.end())
            v = Value::real(realOfArg(e, v));
        out.push_back(std::move(v));
    }
    e.drop(5);
    e.push(Value::list(std::move(out)));
    e.push(Value::real(1));
}

Value keyCodeValue(const std::string &code)
{
    Real r;
    if (code.empty() || !parseReal(code, r))
        return Value::real(0);
    return Value::real(r);
}

std::vector<UI::MenuKey> menuKeys(Engine &e, const std::vector<Value> &items)
{
    std::vector<UI::MenuKey> keys;
    for (const Value &it : items) {
        UI::MenuKey k;
        if (it.type() == Type::List && it.items().size() >= 1) {
            k.label = shown(e, it.items()[0]);
            if (it.items().size() > 1)
                k.action = it.items()[1];
        } else if (it.isName()) {
            k.label = it.nameText();
            k.action = it;
        } else {
            k.label = shown(e, it);
            k.action = it;
        }
        keys.push_back(std::move(k));
    }
    return keys;
}

const CommandDef defs[] = {
    {"DISP",
     2,
     {AReal, AAny},
     0,
     [](Engine &e) {
         const int line = static_cast<int>(intAt(e, 1, INT32_MIN, INT32_MAX));
         const int last = e.is49() ? 8 : 7;
         const Value obj = e.level(2);
         const std::string text = shown(e, obj);
         e.drop(2);
         if (UI *ui = e.userInterface())
             ui->display(obj, text, std::clamp(line, 1, last));
     }},
    {"LCD→",
     0,
     {},
     0,
     [](Engine &e) {
         UI *ui = e.userInterface();
         Value shot = ui ? ui->screen() : Value();
         if (shot.type() != Type::Grob)
             shot = Value::grob(new GrobObj(131, e.is49() ? 80 : 64));
         e.push(std::move(shot));
     }},
    {"→LCD",
     1,
     {AGrob},
     0,
     [](Engine &e) {
         const Value g = e.level(1);
         e.drop(1);
         if (UI *ui = e.userInterface())
             ui->display(g, std::string(), 1);
     }},
    {"CLLCD",
     0,
     {},
     0,
     [](Engine &e) {
         if (UI *ui = e.userInterface())
             ui->clearDisplay();
     }},
    {"FREEZE",
     1,
     {AReal},
     0,
     [](Engine &e) {
         const int areas = static_cast<int>(intAt(e, 1, INT32_MIN, INT32_MAX));
         e.drop(1);
         if (UI *ui = e.userInterface())
             ui->freeze(areas);
     }},
    {"MSGBOX",
     1,
     {AString},
     0,
     [](Engine &e) {
         const std::string text = e.level(1).str();
         e.drop(1);
         if (UI *ui = e.userInterface())
             answered(e, ui->messageBox(text));
     }},
    {"PROMPT",
     1,
     {AAny},
     0,
     [](Engine &e) {
         const std::string text = shown(e, e.level(1));
         e.drop(1);
         if (UI *ui = e.userInterface())
             ui->prompt(text);
         e.requestHalt();
     }},
    {"INPUT", 2, {AString | AList, AString}, 0, input},
    {"CHOOSE", 3, {AReal, AList, AString}, 0, choose},
    {"INFORM",
     -1,
     {},
     0,
     [](Engine &e) {
         e.need(5);
         for (size_t level = 1; level <= 4; ++level)
             if (e.level(level).type() != Type::List)
                 throw CalcError(Err::BadArgumentType);
         if (e.level(5).type() != Type::String)
             throw CalcError(Err::BadArgumentType);
         inform(e);
     }},
    {"NOVAL", 0, {}, 0, [](Engine &e) { e.push(Value::command(novalId())); }},
    {"WAIT",
     1,
     {AReal},
     0,
     [](Engine &e) {
         const Real t = realAt(e, 1);
         e.drop(1);
         UI *ui = e.userInterface();
         if (t.isZero() || t.isNegative()) {
             std::string code;
             const UI::Answer a = ui ? ui->waitKey(code) : UI::Answer::Cancelled;
             if (answered(e, a))
                 e.push(keyCodeValue(code));
             else if (a == UI::Answer::Cancelled)
                 e.requestInterrupt(); // no keyboard: nothing can end the wait
             return;
         }
         if (ui)
             answered(e, ui->wait(t.toDouble()));
     }},
    {"KEY",
     0,
     {},
     0,
     [](Engine &e) {
         UI *ui = e.userInterface();
         const std::string code = ui ? ui->key() : std::string();
         if (code.empty()) {
             e.push(Value::real(0));
             return;
         }
         e.push(keyCodeValue(code));
         e.push(Value::real(1));
     }},
    {"BEEP",
     2,
     {AReal, AReal},
     0,
     [](Engine &e) {
         const double hz = realAt(e, 2).toDouble();
         const double s = realAt(e, 1).toDouble();
         e.drop(2);
         if (UI *ui = e.userInterface())
             ui->beep(hz, s);
     }},
    {"TMENU",
     1,
     {AList | AReal},
     0,
     [](Engine &e) {
         const Value v = e.level(1);
         e.drop(1);
         UI *ui = e.userInterface();
         if (!ui)
             return;
         if (v.type() == Type::List)
             ui->setMenu(menuKeys(e, v.items()), 0);
         else
             ui->setMenu({}, v.asReal().toDouble());
     }},
    {"MENU",
     1,
     {AList | AReal},
     0,
     [](Engine &e) {
         const Value v = e.level(1);
         if (v.type() == Type::List)
             e.store(Value::global("CST"), v); // a list given to MENU becomes CST
         e.drop(1);
         UI *ui = e.userInterface();
         if (!ui)
             return;
         if (v.type() == Type::List)
             ui->setMenu(menuKeys(e, v.items()), 1);
         else
             ui->setMenu({}, v.asReal().toDouble());
     }},
};

} // namespace

CommandGroup userCommands()
{
    return group(defs);
}

} // namespace Calc
