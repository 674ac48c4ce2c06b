// Evaluation, variables and directories, flags and modes, errors, program
// control, list procedures and time.
#include "calc/core/CommandTable.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace Calc {

int typeNumberOf(const Value &v);

namespace {

constexpr uint16_t K = KeepTags;
constexpr uint16_t NL = NoLastArg;

// ---- evaluation ------------------------------------------------------------

// Restores normal (symbolic) results once the evaluation ->NUM asked for is
// done, or when an error drops it.
class NumericScope : public Continuation
{
public:
    void resume(Engine &e) override
    {
        e.leaveNumeric();
        e.popFrame();
    }
    void unwind(Engine &e) override { e.leaveNumeric(); }
};

bool isTrue(const Value &v)
{
    if (v.type() == Type::Real)
        return !v.asReal().isZero();
    if (v.type() == Type::Binary)
        return v.asBinary() != 0;
    if (v.type() == Type::Integer)
        return integerText(v) != "0";
    throw CalcError(Err::BadArgumentType);
}

// ---- variables ---------------------------------------------------------------

void storeArith(Engine &e, int op)
{
    // 'name' obj STO+ : content op obj; obj 'name' STO+ : obj op content
    const bool nameFirst = e.level(2).isName();
    const Value name = nameFirst ? e.level(2) : e.level(1);
    const Value obj = nameFirst ? e.level(1) : e.level(2);
    if (!name.isName())
        throw CalcError(Err::BadArgumentType);
    if (op == ops().add && nameFirst) {
        // the everyday way to append to a list ('L' 5 STO+): the variable's
        // list grows in place when nothing else holds it
        if (Value *slot = e.storeSlot(name); slot && slot->type() == Type::List) {
            Value joined = joinLists(e, *slot, obj);
            *slot = std::move(joined);
            e.drop(2);
            return;
        }
    }
    const Value content = e.recall(name);
    Value r;
    if (op == ops().add && (content.type() == Type::List || obj.type() == Type::List)) {
        Value first = nameFirst ? content : obj;
        r = joinLists(e, first, nameFirst ? obj : content);
    } else {
        r = nameFirst ? listArith(e, op, content, obj) : listArith(e, op, obj, content);
    }
    e.store(name, r);
    e.drop(2);
}

// DEFINE: 'NAME=expr' stores expr (a number as itself); 'F(X,Y)=expr' stores
// the user function « → X Y 'expr' », whose names X and Y are its locals.
void define(Engine &e)
{
    const std::vector<Value> &items = e.level(1).items();
    if (items.size() < 3 || items.back().type() != Type::Command ||
        items.back().commandId() != ops().equation)
        throw CalcError(Err::InvalidDefinition);
    // the left side: a name, or a function name after its argument names
    size_t k = 0;
    while (k < items.size() && items[k].isName() && items[k].callArgs() == 0)
        ++k;
    std::vector<Value> params;
    Value name;
    if (k >= 1 && k < items.size() && items[k].isName() &&
        items[k].callArgs() == static_cast<int>(k)) {
        params.assign(items.begin(), items.begin() + static_cast<long>(k));
        name = items[k];
        ++k;
    } else if (k >= 1) {
        name = items[0];
        k = 1;
    } else {
        throw CalcError(Err::InvalidDefinition);
    }
    std::vector<Value> body(items.begin() + static_cast<long>(k), items.end() - 1);
    if (body.empty())
        throw CalcError(Err::InvalidDefinition);
    const Value var = Value::name(name.asName(), Type::GlobalName, true).withCallArgs(0);
    if (params.empty()) {
        Value v = body.size() == 1 && !body[0].isName() && body[0].type() != Type::Command
                      ? body[0]
                      : Value::algebraic(std::move(body));
        e.store(var, v);
        e.drop(1);
        return;
    }
    // the body's names that are parameters become local names
    for (Value &x : body)
        for (const Value &p : params)
            if (x.isName() && x.asName() == p.asName())
                x = Value::name(x.asName(), Type::LocalName, false).withCallArgs(x.callArgs());
    std::vector<Value> prog;
    prog.push_back(Value::command(OpLocals, static_cast<int>(params.size())));
    for (const Value &p : params)
        prog.push_back(Value::name(p.asName(), Type::LocalName, false));
    prog.push_back(Value::algebraic(std::move(body)));
    e.store(var, Value::program(std::move(prog)));
    e.drop(1);
}

void incr(Engine &e, bool up)
{
    const Value name = e.level(1);
    const Value content = e.recall(name);
    if (!isRealArg(content))
        throw CalcError(Err::BadArgumentType);
    // an integer variable counts in integers
    const Value one = content.type() == Type::Integer ? integerValue(1) : Value::real(1);
    const Value r = arith(e, up ? ops().add : ops().sub, content, one);
    e.store(name, r);
    e.replace(1, r);
}

std::vector<Value> namesOf(Engine &e, const Value &v)
{
    if (v.isName())
        return {v};
    std::vector<Value> out;
    for (const Value &x : v.items()) {
        if (!x.isName())
            throw CalcError(Err::BadArgumentType);
        out.push_back(x);
    }
    (void)e;
    return out;
}

Value varsList(Engine &e, int type, const std::vector<int> *types)
{
    std::vector<Value> out;
    for (const auto &var : e.currentDir()->vars) {
        const int t = typeNumberOf(var.value);
        if (type >= 0 && t != type)
            continue;
        if (types && std::find(types->begin(), types->end(), t) == types->end())
            continue;
        out.push_back(Value::name(var.name, Type::GlobalName, false));
    }
    return Value::list(std::move(out));
}

// ---- flags ----------------------------------------------------------------------

int flagArg(Engine &e)
{
    const int64_t n = intAt(e, 1, -e.maxFlag(), e.maxFlag());
    if (n == 0)
        throw CalcError(Err::BadArgumentValue);
    return static_cast<int>(n);
}

void setFlagChecked(Engine &e, int n, bool on)
{
    e.setFlag(n, on);
}

void displayMode(Engine &e, bool f49, bool f50, bool digits)
{
    if (digits) {
        const int64_t n = intAt(e, 1, INT32_MIN, INT32_MAX);
        const int d = static_cast<int>(n < 0 ? 0 : (n > 11 ? 11 : n));
        e.drop(1);
        for (int i = 0; i < 4; ++i)
            e.setFlag(-53 - i, (d >> i) & 1);
    }
    e.setFlag(-49, f49);
    e.setFlag(-50, f50);
}

// ---- list procedures ----------------------------------------------------------

// List procedures leave each evaluation's results on the stack, as the
// calculators do, and gather everything above where they started at the end.
class Collector : public Continuation
{
protected:
    size_t m_base = 0;

    void noteDepth(Engine &e)
    {
        if (e.depth() < m_base)
            m_base = e.depth();
    }
    void finish(Engine &e)
    {
        noteDepth(e);
        auto &s = e.stack();
        std::vector<Value> results(s.begin() + static_cast<long>(m_base), s.end());
        s.resize(m_base);
        e.popFrame();
        e.push(Value::list(std::move(results)));
    }
};

class DoList : public Collector
{
public:
    DoList(std::vector<Value> lists, Value fn)
        : m_lists(std::move(lists))
        , m_fn(std::move(fn))
    {
    }

    void start(Engine &e)
    {
        m_len = m_lists.empty() ? 0 : m_lists[0].items().size();
        for (const Value &l : m_lists)
            if (l.items().size() != m_len)
                throw CalcError(Err::InvalidDimension);
        m_base = e.depth();
        e.pushContinuation(this);
        next(e);
    }
    void resume(Engine &e) override
    {
        noteDepth(e);
        ++m_index;
        next(e);
    }

private:
    void next(Engine &e)
    {
        if (m_index >= m_len) {
            finish(e);
            return;
        }
        for (const Value &l : m_lists)
            e.push(l.items()[m_index]);
        e.scheduleEval(m_fn);
    }
    std::vector<Value> m_lists;
    Value m_fn;
    size_t m_len = 0;
    size_t m_index = 0;
};

class DoSubs : public Collector
{
public:
    DoSubs(Value list, size_t n, Value fn)
        : m_list(std::move(list))
        , m_n(n)
        , m_fn(std::move(fn))
    {
    }

    void start(Engine &e)
    {
        const size_t len = m_list.items().size();
        m_count = len >= m_n ? len - m_n + 1 : 0;
        m_base = e.depth();
        e.pushContinuation(this);
        next(e);
    }
    void resume(Engine &e) override
    {
        noteDepth(e);
        ++m_index;
        next(e);
    }
    size_t index() const { return m_index + 1; }
    size_t count() const { return m_count; }

private:
    void next(Engine &e)
    {
        if (m_index >= m_count) {
            finish(e);
            return;
        }
        for (size_t k = 0; k < m_n; ++k)
            e.push(m_list.items()[m_index + k]);
        e.scheduleEval(m_fn);
    }
    Value m_list;
    size_t m_n;
    Value m_fn;
    size_t m_count = 0;
    size_t m_index = 0;
};

class Stream : public Continuation
{
public:
    Stream(Value list, Value fn)
        : m_list(std::move(list))
        , m_fn(std::move(fn))
    {
    }
    void start(Engine &e)
    {
        e.push(m_list.items()[0]);
        e.pushContinuation(this);
        next(e);
    }
    void resume(Engine &e) override { next(e); }

private:
    void next(Engine &e)
    {
        if (m_index >= m_list.items().size()) {
            e.popFrame();
            return;
        }
        e.push(m_list.items()[m_index++]);
        e.scheduleEval(m_fn);
    }
    Value m_list;
    Value m_fn;
    size_t m_index = 1;
};

class Seq : public Collector
{
public:
    Seq(Value expr, const NameObj *var, Real from, Real to, Real step)
        : m_expr(std::move(expr))
        , m_var(var)
        , m_value(from)
        , m_to(to)
        , m_step(step)
    {
    }
    void start(Engine &e)
    {
        m_base = e.depth();
        if (m_step.isZero())
            throw CalcError(Err::BadArgumentValue);
        e.pushContinuation(this);
        m_local = e.bindLocal(m_var, Value::real(m_value));
        m_bound = true;
        next(e);
    }
    void resume(Engine &e) override
    {
        noteDepth(e);
        RealCondition c = RealCondition::Ok;
        m_value = e.checked(add(m_value, m_step, c), c);
        next(e);
    }
    void unwind(Engine &e) override
    {
        if (m_bound)
            e.unbindLocals(m_local);
    }

private:
    void next(Engine &e)
    {
        const int cmp = compare(m_value, m_to);
        if (m_step.isNegative() ? cmp < 0 : cmp > 0) {
            e.unbindLocals(m_local);
            m_bound = false;
            finish(e);
            return;
        }
        if (Value *l = e.findLocal(m_var))
            *l = Value::real(m_value);
        e.scheduleEval(m_expr);
    }
    Value m_expr;
    NameRef m_var;
    Real m_value, m_to, m_step;
    uint32_t m_local = 0;
    bool m_bound = false;
};

// MAP: each element of a list, of its inner lists in turn, or of an array,
// replaced by what the function leaves for it.
class MapRun : public Continuation
{
public:
    MapRun(Value fn, const ArrayObj *array)
        : m_fn(std::move(fn))
    {
        if (array)
            m_dims = array->dims;
    }

    void start(Engine &e, const Value &list)
    {
        m_levels.push_back({list, 0, {}});
        e.pushContinuation(this);
        next(e);
    }
    void resume(Engine &e) override
    {
        collect(e);
        next(e);
    }

private:
    struct Level
    {
        Value list;
        size_t index;
        std::vector<Value> out;
    };

    void collect(Engine &e)
    {
        auto &s = e.stack();
        if (s.size() < m_base)
            m_base = s.size();
        Level &top = m_levels.back();
        for (size_t i = m_base; i < s.size(); ++i)
            top.out.push_back(std::move(s[i]));
        s.resize(m_base);
        ++top.index;
    }

    void next(Engine &e)
    {
        for (;;) {
            Level &top = m_levels.back();
            if (top.index >= top.list.items().size()) {
                Value done = Value::list(std::move(top.out));
                m_levels.pop_back();
                if (m_levels.empty()) {
                    e.popFrame();
                    if (!m_dims.empty()) {
                        // an array stays an array of numbers
                        std::vector<Value> elems = done.items();
                        for (Value &v : elems) {
                            if (v.type() == Type::Integer)
                                v = Value::real(integerToReal(e, v));
                            else if (v.type() != Type::Real && v.type() != Type::Complex)
                                throw CalcError(Err::BadArgumentType);
                        }
                        promoteToComplex(elems);
                        done = Value::array(m_dims, std::move(elems));
                    }
                    e.push(std::move(done));
                    return;
                }
                m_levels.back().out.push_back(std::move(done));
                ++m_levels.back().index;
                continue;
            }
            const Value &item = top.list.items()[top.index];
            if (item.type() == Type::List) {
                if (m_levels.size() >= MaxNesting)
                    throw CalcError(Err::InsufficientMemory);
                m_levels.push_back({item, 0, {}});
                continue;
            }
            m_base = e.depth();
            e.push(item);
            const size_t frames = e.returnDepth();
            e.scheduleEval(m_fn);
            if (e.returnDepth() != frames)
                return; // its evaluation runs first; resume collects
            collect(e);
        }
    }

    Value m_fn;
    std::vector<uint32_t> m_dims;
    std::vector<Level> m_levels;
    size_t m_base = 0;
};

bool isCallable(const Value &v)
{
    return v.type() == Type::Program || v.type() == Type::Command || v.isName() ||
           v.type() == Type::Algebraic;
}

// ---- time ---------------------------------------------------------------------------

// The calculator's clock: the computer's, moved by →DATE and →TIME.
std::tm localNow(const Engine &e)
{
    const std::time_t t = std::time(nullptr) + e.clockOffset();
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

Real decimal(int64_t whole, int64_t frac, int64_t scale)
{
    RealCondition c = RealCondition::Ok;
    return add(Real::fromInt(whole), div(Real::fromInt(frac), Real::fromInt(scale), c), c);
}

const CommandDef defs[] = {
    {"EVAL",
     1,
     {AAny},
     K,
     [](Engine &e) {
         const Value v = e.pop();
         e.scheduleEval(v);
     }},
    {"IFT",
     2,
     {AAny, AReal | ABin},
     NL | ListWise,
     [](Engine &e) {
         const bool t = isTrue(e.level(2));
         const Value obj = e.level(1);
         e.drop(2);
         if (t)
             e.scheduleEval(obj);
     }},
    {"IFTE",
     3,
     {AAny, AAny, AReal | ABin},
     NL | ListWise | Function,
     [](Engine &e) {
         const bool t = isTrue(e.level(3));
         const Value obj = t ? e.level(2) : e.level(1);
         e.drop(3);
         e.scheduleEval(obj);
     }},
    {"→NUM",
     1,
     {AAny & ~AList},
     ListWise,
     [](Engine &e) {
         const Value v = e.pop();
         if (v.type() == Type::Real || v.type() == Type::Complex) {
             e.push(v);
             return;
         }
         if (v.type() == Type::Integer) {
             e.push(Value::real(integerToReal(e, v)));
             return;
         }
         e.enterNumeric();
         e.pushContinuation(new NumericScope);
         e.scheduleEval(v);
     }},
    // variables and directories
    {"STO",
     2,
     {AName, AAny},
     K,
     [](Engine &e) {
         e.store(e.level(1), e.level(2));
         e.drop(2);
     },
     0,
     {{{ACmd, AAny}, storePict}}},
    {"RCL",
     1,
     {AName},
     0,
     [](Engine &e) { e.replace(1, e.recall(e.level(1))); },
     0,
     {{{ACmd}, recallPict}}},
    {"PURGE",
     1,
     {AName | AList},
     0,
     [](Engine &e) {
         for (const Value &n : namesOf(e, e.level(1)))
             e.purge(n);
         e.drop(1);
     }},
    {"STO+", 2, {AAny, AAny}, 0, [](Engine &e) { storeArith(e, ops().add); }},
    {"STO-", 2, {AAny, AAny}, 0, [](Engine &e) { storeArith(e, ops().sub); }},
    {"STO*", 2, {AAny, AAny}, 0, [](Engine &e) { storeArith(e, ops().mul); }},
    {"STO/", 2, {AAny, AAny}, 0, [](Engine &e) { storeArith(e, ops().div); }},
    {"INCR", 1, {AName}, 0, [](Engine &e) { incr(e, true); }},
    {"DEFINE", 1, {AAlg}, 0, define},
    // the bytes left of the calculator's memory budget
    {"MEM", 0, {}, 0, [](Engine &e) { e.push(Value::real(static_cast<int64_t>(e.memoryFree()))); }},
    {"DECR", 1, {AName}, 0, [](Engine &e) { incr(e, false); }},
    {"CRDIR",
     1,
     {AGlobal},
     0,
     [](Engine &e) {
         e.createDir(e.level(1).asName());
         e.drop(1);
     }},
    {"PGDIR",
     1,
     {AGlobal},
     0,
     [](Engine &e) {
         const NameObj *n = e.level(1).asName();
         DirObj *dir = e.currentDir();
         auto *var = dir->find(n);
         if (!var)
             throw CalcError(Err::UndefinedName);
         if (var->value.type() != Type::Directory)
             throw CalcError(Err::BadArgumentType);
         for (DirObj *d : e.path())
             if (d == var->value.asDir())
                 throw CalcError(Err::ObjectInUse);
         for (auto it = dir->vars.begin(); it != dir->vars.end(); ++it)
             if (it->name == n) {
                 dir->vars.erase(it);
                 break;
             }
         e.drop(1);
     }},
    {"UPDIR", 0, {}, 0, [](Engine &e) { e.upDir(); }},
    {"HOME", 0, {}, 0, [](Engine &e) { e.homeDir(); }},
    {"PATH",
     0,
     {},
     0,
     [](Engine &e) {
         std::vector<Value> out{Value::global("HOME", false)};
         for (const NameObj *n : e.pathNames())
             out.push_back(Value::name(n, Type::GlobalName, false));
         e.push(Value::list(std::move(out)));
     }},
    {"VARS", 0, {}, 0, [](Engine &e) { e.push(varsList(e, -1, nullptr)); }},
    {"TVARS",
     1,
     {AReal | AList},
     0,
     [](Engine &e) {
         const Value &t = e.level(1);
         Value r;
         if (t.type() == Type::Real) {
             r = varsList(e, static_cast<int>(intAt(e, 1)), nullptr);
         } else {
             std::vector<int> types;
             for (const Value &x : t.items()) {
                 if (!isRealArg(x))
                     throw CalcError(Err::BadArgumentType);
                 bool ok = false;
                 types.push_back(static_cast<int>(realOfArg(e, x).toInt(&ok)));
             }
             r = varsList(e, -1, &types);
         }
         e.replace(1, r);
     }},
    {"ORDER",
     1,
     {AList},
     0,
     [](Engine &e) {
         DirObj *dir = e.currentDir();
         std::vector<DirObj::Var> front;
         for (const Value &n : namesOf(e, e.level(1))) {
             for (auto it = dir->vars.begin(); it != dir->vars.end(); ++it)
                 if (it->name == n.asName()) {
                     front.push_back(*it);
                     dir->vars.erase(it);
                     break;
                 }
         }
         dir->vars.insert(dir->vars.begin(), front.begin(), front.end());
         e.drop(1);
     }},
    {"VTYPE",
     1,
     {AName},
     0,
     [](Engine &e) {
         const NameObj *n = e.level(1).asName();
         Value *v = e.findLocal(n);
         if (!v && e.level(1).type() == Type::GlobalName)
             v = e.findGlobal(n);
         e.replace(1, Value::real(v ? typeNumberOf(*v) : -1));
     }},
    // flags and modes
    {"SF",
     1,
     {AReal},
     0,
     [](Engine &e) {
         setFlagChecked(e, flagArg(e), true);
         e.drop(1);
     }},
    {"CF",
     1,
     {AReal},
     0,
     [](Engine &e) {
         setFlagChecked(e, flagArg(e), false);
         e.drop(1);
     }},
    {"FS?", 1, {AReal}, 0, [](Engine &e) { e.replace(1, truth(e.flag(flagArg(e)))); }},
    {"FC?", 1, {AReal}, 0, [](Engine &e) { e.replace(1, truth(!e.flag(flagArg(e)))); }},
    {"FS?C",
     1,
     {AReal},
     0,
     [](Engine &e) {
         const int n = flagArg(e);
         const bool was = e.flag(n);
         setFlagChecked(e, n, false);
         e.replace(1, truth(was));
     }},
    {"FC?C",
     1,
     {AReal},
     0,
     [](Engine &e) {
         const int n = flagArg(e);
         const bool was = e.flag(n);
         setFlagChecked(e, n, false);
         e.replace(1, truth(!was));
     }},
    {"RCLF",
     0,
     {},
     0,
     [](Engine &e) {
         std::vector<Value> out{Value::binary(e.flagWord(true, 0)),
                                Value::binary(e.flagWord(false, 0))};
         if (e.is49()) {
             out.push_back(Value::binary(e.flagWord(true, 1)));
             out.push_back(Value::binary(e.flagWord(false, 1)));
         }
         e.push(Value::list(std::move(out)));
     }},
    {"STOF",
     1,
     {ABin | AList},
     0,
     [](Engine &e) {
         const Value &v = e.level(1);
         if (v.type() == Type::Binary) {
             e.setFlagWord(true, 0, v.asBinary());
         } else {
             const auto &items = v.items();
             for (size_t i = 0; i < items.size() && i < 4; ++i) {
                 if (items[i].type() != Type::Binary)
                     throw CalcError(Err::BadArgumentType);
                 e.setFlagWord(i % 2 == 0, static_cast<int>(i / 2), items[i].asBinary());
             }
         }
         e.drop(1);
     }},
    {"STD", 0, {}, 0, [](Engine &e) { displayMode(e, false, false, false); }},
    {"FIX", 1, {AReal}, 0, [](Engine &e) { displayMode(e, true, false, true); }},
    {"SCI", 1, {AReal}, 0, [](Engine &e) { displayMode(e, false, true, true); }},
    {"ENG", 1, {AReal}, 0, [](Engine &e) { displayMode(e, true, true, true); }},
    {"EXACT", 0, {}, 0, [](Engine &e) { e.setFlag(-105, false); }},
    {"APPROX", 0, {}, 0, [](Engine &e) { e.setFlag(-105, true); }},
    // errors
    {"DOERR",
     1,
     {AReal | ABin | AString},
     NL,
     [](Engine &e) {
         const Value v = e.pop();
         if (v.type() == Type::String)
             throw CalcError(Err::UserError, v.str());
         const uint32_t n = v.type() == Type::Binary
                                ? static_cast<uint32_t>(v.asBinary())
                                : static_cast<uint32_t>(intPart(v.asReal()).toInt());
         throw CalcError(n, errorText(n));
     }},
    {"ERRN", 0, {}, 0, [](Engine &e) { e.push(Value::binary(e.errorNumber())); }},
    {"ERRM", 0, {}, 0, [](Engine &e) { e.push(Value::string(e.errorMessage())); }},
    {"ERR0", 0, {}, 0, [](Engine &e) { e.setError(0, std::string()); }},
    {"LASTARG",
     0,
     {},
     0,
     [](Engine &e) {
         if (e.flag(-55))
             throw CalcError(Err::LastArgDisabled);
         const std::vector<Value> args = e.lastArgs();
         for (const Value &v : args)
             e.push(v);
     }},
    // program control
    {"HALT", 0, {}, 0, [](Engine &e) { e.requestHalt(); }},
    {"CONT", 0, {}, 0, [](Engine &e) { e.requestCont(); }},
    {"KILL", 0, {}, 0, [](Engine &e) { e.requestKill(); }},
    // list procedures
    {"DOLIST",
     2,
     {AProgram | ACmd | AName, AAny},
     NL,
     [](Engine &e) {
         const Value fn = e.level(1);
         size_t n = 1;
         size_t used = 1;
         if (isRealArg(e.level(2))) {
             n = static_cast<size_t>(intAt(e, 2, 1, 1 << 20));
             used = 2;
         }
         e.need(used + n);
         std::vector<Value> lists;
         for (size_t k = n; k >= 1; --k) {
             const Value &l = e.level(used + k);
             if (l.type() != Type::List)
                 throw CalcError(Err::BadArgumentType);
             lists.push_back(l);
         }
         e.drop(used + n);
         auto *d = new DoList(std::move(lists), fn);
         Value keep = makeHeap(d, Type::Native);
         d->start(e);
     }},
    {"MAP",
     2,
     {AProgram | ACmd | AName, AList | AArray},
     NL,
     [](Engine &e) {
         const Value fn = e.level(1);
         const Value over = e.level(2);
         e.drop(2);
         const bool array = over.type() == Type::Array;
         auto *m = new MapRun(fn, array ? over.asArray() : nullptr);
         Value keep = makeHeap(m, Type::Native);
         m->start(e, array ? Value::list(over.asArray()->elems) : over);
     }},
    {"DOSUBS",
     3,
     {AProgram | ACmd | AName, AReal, AList},
     NL,
     [](Engine &e) {
         const Value fn = e.level(1);
         const size_t n = static_cast<size_t>(intAt(e, 2, 1, 1 << 20));
         const Value list = e.level(3);
         e.drop(3);
         auto *d = new DoSubs(list, n, fn);
         Value keep = makeHeap(d, Type::Native);
         d->start(e);
     }},
    {"NSUB",
     0,
     {},
     0,
     [](Engine &e) {
         DoSubs *d = e.innermost<DoSubs>();
         if (!d)
             throw CalcError(Err::UndefinedLocalName);
         e.push(Value::real(static_cast<int64_t>(d->index())));
     }},
    {"ENDSUB",
     0,
     {},
     0,
     [](Engine &e) {
         DoSubs *d = e.innermost<DoSubs>();
         if (!d)
             throw CalcError(Err::UndefinedLocalName);
         e.push(Value::real(static_cast<int64_t>(d->count())));
     }},
    {"STREAM",
     2,
     {AProgram | ACmd | AName, AList},
     NL,
     [](Engine &e) {
         const Value fn = e.level(1);
         const Value list = e.level(2);
         if (list.items().empty())
             throw CalcError(Err::BadArgumentValue);
         e.drop(2);
         auto *s = new Stream(list, fn);
         Value keep = makeHeap(s, Type::Native);
         s->start(e);
     }},
    {"SEQ",
     -1,
     {},
     NL,
     [](Engine &e) {
         // expr var from to step SEQ
         e.need(5);
         const Value expr = e.level(5);
         const Value var = e.level(4);
         if (!var.isName() || !isRealArg(e.level(3)) || !isRealArg(e.level(2)) ||
             !isRealArg(e.level(1)) || !isCallable(expr))
             throw CalcError(Err::BadArgumentType);
         const Real from = realAt(e, 3);
         const Real to = realAt(e, 2);
         const Real step = realAt(e, 1);
         e.saveLastArgs(5);
         e.drop(5);
         auto *s = new Seq(expr, var.asName(), from, to, step);
         Value keep = makeHeap(s, Type::Native);
         s->start(e);
     }},
    // time
    {"TICKS",
     0,
     {},
     0,
     [](Engine &e) {
         const auto now = std::chrono::system_clock::now().time_since_epoch();
         const auto us = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
         e.push(Value::binary(static_cast<uint64_t>(us) * 8192 / 1000000));
     }},
    {"TIME",
     0,
     {},
     0,
     [](Engine &e) {
         const std::tm t = localNow(e);
         e.push(Value::real(decimal(t.tm_hour, t.tm_min * 100 + t.tm_sec, 10000)));
     }},
    {"DATE",
     0,
     {},
     0,
     [](Engine &e) {
         const std::tm t = localNow(e);
         const int a = e.flag(-42) ? t.tm_mday : t.tm_mon + 1;
         const int b = e.flag(-42) ? t.tm_mon + 1 : t.tm_mday;
         e.push(Value::real(decimal(a, b * 10000 + (t.tm_year + 1900), 1000000)));
     }},
};

} // namespace

CommandGroup programCommands()
{
    return group(defs);
}

} // namespace Calc
