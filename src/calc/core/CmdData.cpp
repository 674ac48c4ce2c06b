// Strings, lists, tags, types and conversions.
#include "calc/core/CommandTable.h"
#include "calc/core/Integer.h"

#include <algorithm>

namespace Calc {

namespace {

constexpr uint16_t AStrList = AString | AList;

size_t sizeOf(const Value &v)
{
    return v.type() == Type::String ? v.str().size() : v.items().size();
}

// 1-based index argument within 1..n
size_t indexAt(Engine &e, size_t level, size_t n)
{
    const int64_t i = intAt(e, level, INT32_MIN, INT32_MAX);
    if (i < 1 || static_cast<size_t>(i) > n)
        throw CalcError(Err::BadArgumentValue);
    return static_cast<size_t>(i);
}

// The list a GET/PUT works on: the object itself, or the list stored in a
// named variable.
Value targetList(Engine &e, const Value &v)
{
    if (v.type() == Type::List)
        return v;
    if (v.isName()) {
        Value content = e.recall(v);
        if (content.type() != Type::List)
            throw CalcError(Err::BadArgumentType);
        return content;
    }
    throw CalcError(Err::BadArgumentType);
}

void get(Engine &e, bool incremental)
{
    const Value list = targetList(e, e.level(2));
    const auto &items = list.items();
    if (e.level(1).type() == Type::List) {
        // { n } index form
        const auto &ix = e.level(1).items();
        if (ix.size() != 1 || !isRealArg(ix[0]))
            throw CalcError(Err::BadArgumentValue);
        e.replace(1, ix[0]);
    }
    const size_t i = indexAt(e, 1, items.size());
    const Value element = items[i - 1];
    if (incremental) {
        const size_t next = i == items.size() ? 1 : i + 1;
        e.setFlag(-64, i == items.size());
        e.replace(1, Value::real(static_cast<int64_t>(next)));
        e.push(element);
    } else {
        e.replace(2, element);
    }
}

void put(Engine &e, bool incremental)
{
    const Value target = e.level(3);
    const Value list = targetList(e, target);
    if (e.level(2).type() == Type::List) {
        const auto &ix = e.level(2).items();
        if (ix.size() != 1 || !isRealArg(ix[0]))
            throw CalcError(Err::BadArgumentValue);
        e.levelRef(2) = ix[0];
    }
    std::vector<Value> items = list.items();
    const size_t i = indexAt(e, 2, items.size());
    items[i - 1] = e.level(1);
    Value result = Value::list(std::move(items));
    const size_t next = i == items.size() ? 1 : i + 1;
    if (target.isName()) {
        e.store(target, result);
        result = target;
    }
    if (incremental) {
        e.setFlag(-64, i == list.items().size());
        e.drop(3);
        e.push(result);
        e.push(Value::real(static_cast<int64_t>(i == list.items().size() ? 1 : i + 1)));
    } else {
        e.drop(3);
        if (!target.isName())
            e.push(result);
    }
    (void)next;
}

// GET, GETI, PUT and PUTI on a variable: the array or the list it holds.
void getOfVariable(Engine &e, bool incremental)
{
    if (e.recall(e.level(2)).type() == Type::Array)
        getArrayElement(e, incremental);
    else
        get(e, incremental);
}

void putOfVariable(Engine &e, bool incremental)
{
    if (e.recall(e.level(3)).type() == Type::Array)
        putArrayElement(e, incremental);
    else
        put(e, incremental);
}

int typeNumber(const Value &v)
{
    switch (v.type()) {
    case Type::Real:
        return 0;
    case Type::Complex:
        return 1;
    case Type::String:
        return 2;
    case Type::List:
        return 5;
    case Type::GlobalName:
        return 6;
    case Type::LocalName:
        return 7;
    case Type::Program:
        return 8;
    case Type::Algebraic:
        return 9;
    case Type::Binary:
        return 10;
    case Type::Tagged:
        return 12;
    case Type::Directory:
        return 15;
    case Type::Array:
        return v.asArray()->isComplex() ? 4 : 3;
    case Type::Grob:
        return 11;
    case Type::Unit:
        return 13;
    case Type::Integer:
        return 28;
    case Type::Character:
        return 24;
    case Type::Command: {
        const CommandInfo &ci = commandInfo(v.commandId());
        return (ci.def.flags & (Function | Constant)) ? 18 : 19;
    }
    default:
        return 27;
    }
}

bool lessForSort(const Value &a, const Value &b)
{
    if (a.type() == Type::Real && b.type() == Type::Real)
        return compare(a.asReal(), b.asReal()) < 0;
    if (a.type() == Type::String && b.type() == Type::String)
        return a.str() < b.str();
    // exact integers sort among themselves and with reals by value
    if ((a.type() == Type::Integer || a.type() == Type::Real) &&
        (b.type() == Type::Integer || b.type() == Type::Real)) {
        if (a.type() == Type::Integer && b.type() == Type::Integer)
            return compareIntegers(a, b) < 0;
        const std::string ta = a.type() == Type::Integer ? integerText(a) : formatRealExact(a.asReal());
        const std::string tb = b.type() == Type::Integer ? integerText(b) : formatRealExact(b.asReal());
        Real x, y;
        parseReal(ta, x);
        parseReal(tb, y);
        return compare(x, y) < 0;
    }
    throw CalcError(Err::BadArgumentType);
}

void reduceList(Engine &e, int op)
{
    const auto &items = e.level(1).items();
    if (items.empty())
        throw CalcError(Err::BadArgumentValue);
    Value acc = items[0];
    for (size_t i = 1; i < items.size(); ++i)
        acc = arith(e, op, acc, items[i]);
    e.replace(1, std::move(acc));
}

void explode(Engine &e, const std::vector<Value> &items)
{
    const std::vector<Value> copy = items;
    e.drop(1);
    for (const Value &v : copy)
        e.push(v);
    e.push(Value::real(static_cast<int64_t>(copy.size())));
}

void strToObjects(Engine &e)
{
    const std::string text = e.level(1).str();
    const Value prog = e.compile(text);
    e.drop(1);
    e.scheduleEval(prog);
}

// ---- ↑MATCH and ↓MATCH ---------------------------------------------------------

// An algebraic as a tree: each node one item of the postfix form and the
// nodes of its arguments.
struct Node
{
    Value head;
    std::vector<Node> kids;
};

std::vector<Node> treeOf(const Value &v)
{
    std::vector<Node> stack;
    const std::vector<Value> items =
        v.type() == Type::Algebraic ? v.items() : std::vector<Value>{v.withQuoted(false)};
    for (const Value &x : items) {
        size_t n = 0;
        if (x.type() == Type::Command)
            n = static_cast<size_t>(commandArity(x.commandId()));
        else if (x.isName())
            n = static_cast<size_t>(x.callArgs());
        if (n > stack.size())
            throw CalcError(Err::BadArgumentValue);
        Node node{x, {}};
        node.kids.assign(std::make_move_iterator(stack.end() - static_cast<long>(n)),
                         std::make_move_iterator(stack.end()));
        stack.resize(stack.size() - n);
        stack.push_back(std::move(node));
    }
    return stack;
}

void flatten(const Node &n, std::vector<Value> &out)
{
    for (const Node &k : n.kids)
        flatten(k, out);
    out.push_back(n.head);
}

Value valueOfTree(const Node &n)
{
    std::vector<Value> items;
    flatten(n, items);
    if (items.size() == 1) {
        const Value &v = items.front();
        if (v.isName() && v.callArgs() == 0)
            return v.withQuoted(true);
        if (v.type() == Type::Real || v.type() == Type::Complex || v.type() == Type::Integer)
            return v;
    }
    return Value::algebraic(std::move(items));
}

bool sameTree(const Node &a, const Node &b)
{
    if (a.kids.size() != b.kids.size())
        return false;
    const bool names = a.head.isName() && b.head.isName();
    if (names ? a.head.asName() != b.head.asName() || a.head.callArgs() != b.head.callArgs()
              : !same(a.head, b.head))
        return false;
    for (size_t i = 0; i < a.kids.size(); ++i)
        if (!sameTree(a.kids[i], b.kids[i]))
            return false;
    return true;
}

bool isWildcard(const Node &n)
{
    return n.kids.empty() && n.head.isName() && n.head.callArgs() == 0 &&
           n.head.nameText().size() > 1 && n.head.nameText()[0] == '&';
}

using Bindings = std::vector<std::pair<const NameObj *, const Node *>>;

// Whether expr has the shape of pattern, whose &names stand for any
// subexpression (the same one wherever a name comes back).
bool matches(const Node &pattern, const Node &expr, Bindings &b)
{
    if (isWildcard(pattern)) {
        for (const auto &[name, bound] : b)
            if (name == pattern.head.asName())
                return sameTree(*bound, expr);
        b.emplace_back(pattern.head.asName(), &expr);
        return true;
    }
    if (pattern.kids.size() != expr.kids.size())
        return false;
    Node headOnly{pattern.head, {}};
    Node exprHead{expr.head, {}};
    if (!sameTree(headOnly, exprHead))
        return false;
    for (size_t i = 0; i < pattern.kids.size(); ++i)
        if (!matches(pattern.kids[i], expr.kids[i], b))
            return false;
    return true;
}

Node substitute(const Node &repl, const Bindings &b)
{
    if (isWildcard(repl))
        for (const auto &[name, bound] : b)
            if (name == repl.head.asName())
                return *bound;
    Node out{repl.head, {}};
    for (const Node &k : repl.kids)
        out.kids.push_back(substitute(k, b));
    return out;
}

// The answers of a rule's condition, one per instance of it (the condition
// with the wildcards of one match put in). A rewrite that meets an instance
// not answered yet stops with NeedAnswer; the instance is evaluated as the
// calculator's program would be, and the rewrite runs again from the start.
struct Answers
{
    std::vector<std::pair<Value, bool>> known;
    Value pending;
};
struct NeedAnswer
{
};

// Replaces every subexpression that matches: from the top down (an outer
// match is replaced whole) or from the bottom up (arguments first). With a
// condition, only matches whose condition instance is true are replaced.
Node rewrite(const Node &expr, const Node &pattern, const Node &repl, const Node *cond,
             Answers &answers, bool topDown, bool &any)
{
    auto tryHere = [&](const Node &n, Node &out) {
        Bindings b;
        if (!matches(pattern, n, b))
            return false;
        if (cond) {
            const Value instance = valueOfTree(substitute(*cond, b));
            const auto known = std::find_if(answers.known.begin(), answers.known.end(),
                                            [&](const auto &a) { return same(a.first, instance); });
            if (known == answers.known.end()) {
                answers.pending = instance;
                throw NeedAnswer{};
            }
            if (!known->second)
                return false;
        }
        out = substitute(repl, b);
        any = true;
        return true;
    };
    Node out;
    if (topDown && tryHere(expr, out))
        return out;
    Node rebuilt{expr.head, {}};
    for (const Node &k : expr.kids)
        rebuilt.kids.push_back(rewrite(k, pattern, repl, cond, answers, topDown, any));
    if (!topDown && tryHere(rebuilt, out))
        return out;
    return rebuilt;
}

// One ↑MATCH or ↓MATCH: each condition instance the rewrite meets is
// evaluated to a number (as a test clause is, with ->NUM) by the evaluator,
// never by a call from here, so a condition that runs long can be halted.
class MatchRun : public Continuation
{
public:
    // trees: the expression, the pattern, the replacement and the condition
    // (or nothing), each a single tree.
    MatchRun(std::vector<std::vector<Node>> trees, bool topDown, std::vector<Value> args)
        : m_trees(std::move(trees))
        , m_topDown(topDown)
        , m_args(std::move(args))
    {
    }

    void start(Engine &e)
    {
        m_start = e.depth();
        e.pushContinuation(this);
        attempt(e);
    }
    void resume(Engine &e) override
    {
        if (e.depth() <= m_base)
            throw CalcError(Err::TooFewArguments);
        const Value &r = e.level(1);
        bool t = false;
        if (r.type() == Type::Real)
            t = !r.asReal().isZero();
        else if (r.type() == Type::Binary)
            t = r.asBinary() != 0;
        else if (r.type() == Type::Integer)
            t = integerText(r) != "0";
        else
            throw CalcError(Err::BadArgumentType);
        e.drop(e.depth() - m_base);
        m_answers.known.emplace_back(std::move(m_answers.pending), t);
        attempt(e);
    }
    void unwind(Engine &e) override
    {
        // a condition that fails gives the arguments back, unless last
        // arguments are off
        if (e.depth() > m_start)
            e.drop(e.depth() - m_start);
        if (!e.flag(-55))
            for (const Value &a : m_args)
                e.push(a);
    }

private:
    void attempt(Engine &e)
    {
        bool any = false;
        Node result;
        try {
            result = rewrite(m_trees[0][0], m_trees[1][0], m_trees[2][0],
                             m_trees.size() > 3 ? &m_trees[3][0] : nullptr, m_answers, m_topDown, any);
        } catch (const NeedAnswer &) {
            static const int toNum = findCommand("\x8DNUM");
            m_base = e.depth();
            e.push(m_answers.pending);
            e.scheduleEval(Value::command(toNum));
            return;
        }
        e.popFrame();
        e.push(valueOfTree(result));
        e.push(truth(any));
    }

    std::vector<std::vector<Node>> m_trees;
    Answers m_answers;
    bool m_topDown;
    std::vector<Value> m_args;
    size_t m_start = 0;
    size_t m_base = 0;
};

void match(Engine &e, bool topDown)
{
    const Value rule = e.level(1);
    const Value expr = e.level(2);
    if (rule.items().size() != 2 && rule.items().size() != 3)
        throw CalcError(Err::BadArgumentValue);
    for (const Value &x : rule.items())
        if (!x.isSymbolic() && x.type() != Type::Real && x.type() != Type::Complex &&
            x.type() != Type::Integer)
            throw CalcError(Err::BadArgumentType);
    std::vector<std::vector<Node>> trees{treeOf(expr)};
    for (const Value &x : rule.items())
        trees.push_back(treeOf(x));
    for (const auto &t : trees)
        if (t.size() != 1)
            throw CalcError(Err::BadArgumentValue);
    auto *m = new MatchRun(std::move(trees), topDown, {expr, rule});
    Value keep = makeHeap(m, Type::Native);
    e.drop(2);
    m->start(e);
}

const CommandDef defs[] = {
    {"SIZE",
     1,
     {AStrList | ASym},
     0,
     [](Engine &e) {
         const Value &v = e.level(1);
         if (v.type() == Type::String || v.type() == Type::List)
             e.replace(1, Value::real(static_cast<int64_t>(sizeOf(v))));
         else if (v.type() == Type::Algebraic)
             e.replace(1, Value::real(static_cast<int64_t>(v.items().size())));
         else
             e.replace(1, Value::real(1));
     },
     0,
     {{{AGrob | ACmd}, sizeOfPicture}, {{AArray}, sizeOfArray}}},
    {"HEAD",
     1,
     {AStrList},
     0,
     [](Engine &e) {
         const Value &v = e.level(1);
         if (sizeOf(v) == 0)
             throw CalcError(Err::BadArgumentValue);
         if (v.type() == Type::String)
             e.replace(1, Value::string(v.str().substr(0, 1)));
         else
             e.replace(1, v.items().front());
     }},
    {"TAIL",
     1,
     {AStrList},
     0,
     [](Engine &e) {
         const Value &v = e.level(1);
         if (sizeOf(v) == 0)
             throw CalcError(Err::BadArgumentValue);
         if (v.type() == Type::String)
             e.replace(1, Value::string(v.str().substr(1)));
         else
             e.replace(1, Value::list(std::vector<Value>(v.items().begin() + 1, v.items().end())));
     }},
    {"SUB",
     3,
     {AReal, AReal, AStrList},
     0,
     [](Engine &e) {
         const Value &v = e.level(3);
         const int64_t n = static_cast<int64_t>(sizeOf(v));
         int64_t a = std::max<int64_t>(intAt(e, 2, INT64_MIN / 2, INT64_MAX / 2), 1);
         int64_t b = std::min<int64_t>(intAt(e, 1, INT64_MIN / 2, INT64_MAX / 2), n);
         Value r;
         if (v.type() == Type::String)
             r = Value::string(a > b ? std::string() : v.str().substr(a - 1, b - a + 1));
         else
             r = Value::list(
                 a > b ? std::vector<Value>()
                       : std::vector<Value>(v.items().begin() + (a - 1), v.items().begin() + b));
         e.replace(3, std::move(r));
     },
     0,
     {{{AAny, AAny, AGrob | ACmd}, subOfPicture}, {{AAny, AAny, AArray}, subOfArray}}},
    {"POS",
     2,
     {AAny, AStrList},
     0,
     [](Engine &e) {
         const Value &v = e.level(2);
         const Value &x = e.level(1);
         int64_t pos = 0;
         if (v.type() == Type::String) {
             if (x.type() != Type::String)
                 throw CalcError(Err::BadArgumentType);
             const size_t p = v.str().find(x.str());
             pos = p == std::string::npos ? 0 : static_cast<int64_t>(p) + 1;
         } else {
             const auto &items = v.items();
             for (size_t i = 0; i < items.size(); ++i)
                 if (same(items[i], x)) {
                     pos = static_cast<int64_t>(i) + 1;
                     break;
                 }
         }
         e.replace(2, Value::real(pos));
     }},
    {"REPL",
     3,
     {AAny, AReal, AStrList},
     0,
     [](Engine &e) {
         const Value &v = e.level(3);
         const Value &x = e.level(1);
         const int64_t n = static_cast<int64_t>(sizeOf(v));
         const int64_t p = intAt(e, 2, 1, n + 1);
         Value r;
         if (v.type() == Type::String) {
             if (x.type() != Type::String)
                 throw CalcError(Err::BadArgumentType);
             std::string s = v.str();
             const std::string &w = x.str();
             const size_t at = static_cast<size_t>(p - 1);
             if (at + w.size() > s.size())
                 s.resize(at + w.size());
             s.replace(at, w.size(), w);
             r = Value::string(std::move(s));
         } else {
             if (x.type() != Type::List)
                 throw CalcError(Err::BadArgumentType);
             std::vector<Value> items = v.items();
             const size_t at = static_cast<size_t>(p - 1);
             const auto &w = x.items();
             if (at + w.size() > items.size())
                 items.resize(at + w.size());
             std::copy(w.begin(), w.end(), items.begin() + at);
             r = Value::list(std::move(items));
         }
         e.replace(3, std::move(r));
     },
     0,
     {{{AAny, AAny, AGrob | ACmd}, replOfPicture}, {{AArray, AAny, AArray}, replOfArray}}},
    {"→STR",
     1,
     {AAny & ~AChar},
     KeepTags,
     [](Engine &e) {
         const Value &v = e.level(1);
         if (v.type() == Type::String)
             return;
         e.replace(1, Value::string(e.toText(v)));
     },
     0,
     {{{AChar}, strOfCharacter}}},
    {"STR→", 1, {AString}, 0, strToObjects},
    {"NUM",
     1,
     {AString},
     0,
     [](Engine &e) {
         const std::string &s = e.level(1).str();
         if (s.empty())
             throw CalcError(Err::BadArgumentValue);
         e.replace(1, Value::real(static_cast<unsigned char>(s[0])));
     },
     0,
     {{{AChar}, numOfCharacter}}},
    {"CHR",
     1,
     {AReal},
     0,
     [](Engine &e) {
         const int64_t c = intAt(e, 1, INT32_MIN, INT32_MAX);
         e.replace(1, Value::string(std::string(1, static_cast<char>(c & 0xFF))));
     }},
    {"SREV",
     1,
     {AString},
     0,
     [](Engine &e) {
         std::string s = e.level(1).str();
         std::reverse(s.begin(), s.end());
         e.replace(1, Value::string(std::move(s)));
     }},
    {"→LIST",
     1,
     {AReal},
     0,
     [](Engine &e) {
         const size_t n = static_cast<size_t>(intAt(e, 1, 0, Engine::MaxStack));
         e.need(n + 1);
         auto &s = e.stack();
         std::vector<Value> items(s.end() - 1 - n, s.end() - 1);
         e.replace(n + 1, Value::list(std::move(items)));
     }},
    {"LIST→", 1, {AList}, 0, [](Engine &e) { explode(e, e.level(1).items()); }},
    {"OBJ→",
     1,
     {AAny & ~(AArray | AUnit | AChar)},
     KeepTags,
     [](Engine &e) {
         const Value v = e.level(1);
         switch (v.type()) {
         case Type::List:
             explode(e, v.items());
             return;
         case Type::Program:
             if (!e.is49())
                 throw CalcError(Err::BadArgumentType);
             explode(e, v.items());
             return;
         case Type::Complex:
             e.replace(1, Value::real(v.asComplex()->re));
             e.push(Value::real(v.asComplex()->im));
             return;
         case Type::String:
             strToObjects(e);
             return;
         case Type::Tagged:
             e.replace(1, v.asTagged()->value);
             e.push(Value::string(v.asTagged()->tag));
             return;
         case Type::Real: {
             if (!e.is49())
                 throw CalcError(Err::BadArgumentType);
             const Real r = v.asReal();
             e.replace(1, Value::real(Real{r.mant, 0}));
             e.push(Value::real(r.isZero() ? 0 : r.exp));
             return;
         }
         case Type::Algebraic: {
             // the arguments of the outermost function, their count, the function
             const auto &items = v.items();
             const Value top = items.back();
             int args = 0;
             if (top.type() == Type::Command)
                 args = commandArity(top.commandId());
             else if (top.isName())
                 args = top.callArgs();
             std::vector<std::vector<Value>> parts(static_cast<size_t>(args));
             // split items[0..n-1) into args subexpressions, from the end
             size_t end = items.size() - 1;
             for (int a = args - 1; a >= 0; --a) {
                 int need = 1;
                 size_t i = end;
                 while (need > 0 && i > 0) {
                     --i;
                     const Value &it = items[i];
                     int k = 0;
                     if (it.type() == Type::Command)
                         k = commandArity(it.commandId());
                     else if (it.isName())
                         k = it.callArgs();
                     need += k - 1;
                 }
                 parts[static_cast<size_t>(a)].assign(items.begin() + static_cast<long>(i),
                                                      items.begin() + static_cast<long>(end));
                 end = i;
             }
             e.drop(1);
             for (auto &p : parts) {
                 if (p.size() == 1 && (p[0].isName() && p[0].callArgs() == 0))
                     e.push(p[0].withQuoted(true));
                 else if (p.size() == 1 && p[0].type() != Type::Command)
                     e.push(p[0]);
                 else
                     e.push(Value::algebraic(std::move(p)));
             }
             e.push(Value::real(args));
             e.push(top.isName() ? top.withCallArgs(0).withQuoted(true) : top);
             return;
         }
         default:
             throw CalcError(Err::BadArgumentType);
         }
     },
     0,
     {{{AArray}, objOfArray}, {{AUnit}, objOfUnit}, {{AChar}, strOfCharacter}}},
    {"GET",
     2,
     {AReal | AList, AList},
     0,
     [](Engine &e) { get(e, false); },
     0,
     {{{AReal | AList, AArray}, [](Engine &e) { getArrayElement(e, false); }},
      {{AReal | AList, AName}, [](Engine &e) { getOfVariable(e, false); }}}},
    {"GETI",
     2,
     {AReal | AList, AList},
     0,
     [](Engine &e) { get(e, true); },
     0,
     {{{AReal | AList, AArray}, [](Engine &e) { getArrayElement(e, true); }},
      {{AReal | AList, AName}, [](Engine &e) { getOfVariable(e, true); }}}},
    {"PUT",
     3,
     {AAny, AReal | AList, AList},
     0,
     [](Engine &e) { put(e, false); },
     0,
     {{{AAny, AReal | AList, AArray}, [](Engine &e) { putArrayElement(e, false); }},
      {{AAny, AReal | AList, AName}, [](Engine &e) { putOfVariable(e, false); }}}},
    {"PUTI",
     3,
     {AAny, AReal | AList, AList},
     0,
     [](Engine &e) { put(e, true); },
     0,
     {{{AAny, AReal | AList, AArray}, [](Engine &e) { putArrayElement(e, true); }},
      {{AAny, AReal | AList, AName}, [](Engine &e) { putOfVariable(e, true); }}}},
    {"REVLIST",
     1,
     {AList},
     0,
     [](Engine &e) {
         std::vector<Value> items = e.level(1).items();
         std::reverse(items.begin(), items.end());
         e.replace(1, Value::list(std::move(items)));
     }},
    {"SORT",
     1,
     {AList},
     0,
     [](Engine &e) {
         std::vector<Value> items = e.level(1).items();
         std::stable_sort(items.begin(), items.end(), lessForSort);
         e.replace(1, Value::list(std::move(items)));
     }},
    {"↑MATCH", 2, {AList, ASym | AReal | AComplex}, 0, [](Engine &e) { match(e, false); }},
    {"↓MATCH", 2, {AList, ASym | AReal | AComplex}, 0, [](Engine &e) { match(e, true); }},
    {"ADD",
     2,
     {AAny, AAny},
     0,
     [](Engine &e) {
         Value r = listArith(e, ops().add, e.level(2), e.level(1));
         e.replace(2, std::move(r));
     }},
    {"ΣLIST", 1, {AList}, 0, [](Engine &e) { reduceList(e, ops().add); }},
    {"ΠLIST", 1, {AList}, 0, [](Engine &e) { reduceList(e, ops().mul); }},
    {"ΔLIST",
     1,
     {AList},
     0,
     [](Engine &e) {
         const auto &items = e.level(1).items();
         if (items.size() < 2)
             throw CalcError(Err::BadArgumentValue);
         std::vector<Value> out;
         for (size_t i = 1; i < items.size(); ++i)
             out.push_back(arith(e, ops().sub, items[i], items[i - 1]));
         e.replace(1, Value::list(std::move(out)));
     }},
    {"TYPE",
     1,
     {AAny},
     KeepTags,
     [](Engine &e) { e.replace(1, Value::real(typeNumber(e.level(1)))); }},
    {"→TAG",
     2,
     {AString | AName | AReal, AAny},
     KeepTags,
     [](Engine &e) {
         const Value &t = e.level(1);
         std::string tag = t.type() == Type::String ? t.str()
                           : t.isName()             ? t.nameText()
                                                    : e.toText(t);
         Value obj = e.level(2);
         e.replace(2, Value::tagged(std::move(tag), std::move(obj)));
     }},
    {"DTAG",
     1,
     {AAny},
     KeepTags,
     [](Engine &e) {
         Value v = e.level(1);
         while (v.type() == Type::Tagged) {
             Value inner = v.asTagged()->value;
             v = std::move(inner);
         }
         e.replace(1, std::move(v));
     }},
};

} // namespace

int typeNumberOf(const Value &v)
{
    return typeNumber(v);
}

CommandGroup dataCommands()
{
    return group(defs);
}

} // namespace Calc
