#include "calc/core/Engine.h"
#include "calc/core/UserInterface.h"

#include "calc/core/Commands.h"
#include "calc/core/Integer.h"
#include "calc/core/Compiler.h"
#include "calc/core/Decompiler.h"
#include "formats/Transfer.h"

#include <algorithm>
#include <chrono>

namespace Calc {

Engine::Engine(Model model)
    : m_model(model)
{
    reset();
}

Engine::~Engine() = default;

void Engine::reset()
{
    m_stack.clear();
    m_rs.clear();
    m_locals.clear();
    m_halted.clear();
    m_lastArgs.clear();
    m_pict = Value();
    m_home = Value::directory(new DirObj);
    m_path = {m_home.asDir()};
    m_pathNames.clear();
    m_sysFlags[0] = m_sysFlags[1] = 0;
    m_userFlags[0] = m_userFlags[1] = 0;
    // word size 64: flags -5 to -10 hold 63
    for (int f = 5; f <= 10; ++f)
        setFlag(-f, true);
    // the 49 family resets to exact mode (flag -105 clear): integers typed
    // without a point stay integers
    m_errn = 0;
    m_errm.clear();
    m_seed = 999500333083533ULL;
    m_clockOffset = 0;
    m_userKeys.clear();
}

// ---- stack ------------------------------------------------------------------

Value Engine::pop()
{
    need(1);
    Value v = std::move(m_stack.back());
    m_stack.pop_back();
    return v;
}

void Engine::drop(size_t n)
{
    need(n);
    if (n == 1)
        m_stack.pop_back(); // the everyday case, without resize's general path
    else
        m_stack.resize(m_stack.size() - n);
}

void Engine::replace(size_t n, Value v)
{
    need(n);
    if (n == 0) {
        push(std::move(v));
        return;
    }
    m_stack.resize(m_stack.size() - n + 1);
    m_stack.back() = std::move(v);
}

void Engine::growStack()
{
    // the stack doubles: room for it must be left in the budget
    const size_t more = std::max<size_t>(m_stack.capacity(), 64) * sizeof(Value);
    checkMemory(more + stacksBytes());
    m_stack.reserve(m_stack.capacity() + more / sizeof(Value));
}

size_t Engine::stacksBytes() const
{
    return m_stack.capacity() * sizeof(Value) + m_rs.capacity() * sizeof(Frame) +
           m_locals.capacity() * sizeof(LocalVar) + m_lastArgs.capacity() * sizeof(Value);
}

size_t Engine::memoryFree() const
{
    const size_t used = memoryInUse() + stacksBytes();
    const size_t budget = memoryBudget();
    return used < budget ? budget - used : 0;
}

// ---- flags ------------------------------------------------------------------

bool Engine::flag(int n) const
{
    const bool sys = n < 0;
    const int i = (sys ? -n : n) - 1;
    if (i < 0 || i >= 128)
        return false;
    const uint64_t *w = sys ? m_sysFlags : m_userFlags;
    return (w[i / 64] >> (i % 64)) & 1;
}

void Engine::setFlag(int n, bool on)
{
    const bool sys = n < 0;
    const int i = (sys ? -n : n) - 1;
    if (i < 0 || i >= 128)
        return;
    uint64_t *w = sys ? m_sysFlags : m_userFlags;
    if (on)
        w[i / 64] |= uint64_t(1) << (i % 64);
    else
        w[i / 64] &= ~(uint64_t(1) << (i % 64));
}

uint64_t Engine::flagWord(bool system, int part) const
{
    return (system ? m_sysFlags : m_userFlags)[part & 1];
}

void Engine::setFlagWord(bool system, int part, uint64_t v)
{
    (system ? m_sysFlags : m_userFlags)[part & 1] = v;
}

AngleMode Engine::angleMode() const
{
    if (flag(-17))
        return AngleMode::Radians;
    if (flag(-18))
        return AngleMode::Grads;
    return AngleMode::Degrees;
}

int Engine::wordSize() const
{
    int v = 0;
    for (int f = 5; f <= 10; ++f)
        if (flag(-f))
            v |= 1 << (f - 5);
    return v + 1;
}

int Engine::binaryBase() const
{
    const bool f11 = flag(-11);
    const bool f12 = flag(-12);
    if (f11 && f12)
        return 16;
    if (f11)
        return 8;
    if (f12)
        return 2;
    return 10;
}

NumberFormat Engine::numberFormat() const
{
    NumberFormat f;
    const bool f49 = flag(-49);
    const bool f50 = flag(-50);
    f.mode = f49 && f50 ? DisplayMode::Eng
             : f49      ? DisplayMode::Fix
             : f50      ? DisplayMode::Sci
                        : DisplayMode::Std;
    int d = 0;
    for (int i = 0; i < 4; ++i)
        if (flag(-53 - i))
            d |= 1 << i;
    f.digits = d > 11 ? 11 : d;
    f.trailingDot = is49();
    f.commaMark = flag(-51);
    return f;
}

Real Engine::checked(const Real &r, const RealCondition &c)
{
    switch (c) {
    case RealCondition::Ok:
        return r;
    case RealCondition::PositiveUnderflow:
    case RealCondition::NegativeUnderflow: {
        const bool neg = c == RealCondition::NegativeUnderflow;
        if (flag(-20))
            throw CalcError(neg ? Err::NegativeUnderflow : Err::PositiveUnderflow);
        setFlag(neg ? -24 : -23, true);
        return Real{};
    }
    case RealCondition::Overflow:
        if (flag(-21))
            throw CalcError(Err::Overflow);
        setFlag(-25, true);
        return Real::maxReal(r.isNegative());
    case RealCondition::Infinite:
        if (!flag(-22))
            throw CalcError(Err::InfiniteResult);
        setFlag(-26, true);
        return Real::maxReal(r.isNegative());
    case RealCondition::Undefined:
        throw CalcError(Err::UndefinedResult);
    }
    return r;
}

// ---- text -------------------------------------------------------------------

std::string Engine::toText(const Value &v) const
{
    TextStyle st;
    st.number = numberFormat();
    st.base = binaryBase();
    st.wordSize = wordSize();
    st.is49 = is49();
    st.polar = flag(-16);
    st.angle = angleMode();
    return decompile(v, st, true);
}

std::string Engine::realText(const Real &r) const
{
    return formatReal(r, numberFormat());
}

Value Engine::compile(std::string_view text) const
{
    return compile(text, flag(-51), angleMode());
}

Value Engine::compile(std::string_view text, bool commaMark, AngleMode angle) const
{
    CompileOptions opt;
    opt.is49 = is49();
    opt.commaMark = commaMark;
    opt.binaryBase = binaryBase();
    opt.angle = angle;
    opt.exact = exactMode();
    return compileText(text, opt);
}

// ---- variables ----------------------------------------------------------------

Value *Engine::findLocal(const NameObj *n)
{
    for (auto it = m_locals.rbegin(); it != m_locals.rend(); ++it)
        if (it->name == n)
            return &it->value;
    return nullptr;
}

Value *Engine::findGlobal(const NameObj *n)
{
    for (auto it = m_path.rbegin(); it != m_path.rend(); ++it)
        if (auto *var = (*it)->find(n))
            return &var->value;
    return nullptr;
}

void Engine::store(const Value &name, const Value &v)
{
    const NameObj *n = name.asName();
    if (Value *l = findLocal(n)) {
        *l = v;
        return;
    }
    if (name.type() == Type::LocalName)
        throw CalcError(Err::UndefinedLocalName);
    DirObj *dir = currentDir();
    Value stored = v;
    if (v.type() == Type::Directory) {
        // a directory value becomes a subdirectory of its own
        for (DirObj *d : m_path)
            if (d == v.asDir())
                throw CalcError(Err::DirectoryRecursion);
        if (m_path.size() + v.depth() > MaxDirDepth)
            throw CalcError(Err::InsufficientMemory);
        stored = Value::directory(v.asDir()->clone());
    }
    if (auto *var = dir->find(n)) {
        if (var->value.type() == Type::Directory)
            throw CalcError(Err::DirectoryNotAllowed);
        var->value = std::move(stored);
        return;
    }
    dir->vars.insert(dir->vars.begin(), DirObj::Var{n, std::move(stored)});
}

Value *Engine::storeSlot(const Value &name)
{
    const NameObj *n = name.asName();
    if (Value *l = findLocal(n))
        return l;
    if (name.type() == Type::LocalName)
        return nullptr;
    auto *var = currentDir()->find(n);
    if (!var || var->value.type() == Type::Directory)
        return nullptr;
    return &var->value;
}

Value Engine::recall(const Value &name)
{
    const NameObj *n = name.asName();
    if (Value *l = findLocal(n))
        return *l;
    if (name.type() == Type::LocalName)
        throw CalcError(Err::UndefinedLocalName);
    Value *g = findGlobal(n);
    if (!g)
        throw CalcError(Err::UndefinedName);
    if (g->type() == Type::Directory)
        return Value::directory(g->asDir()->clone());
    return *g;
}

void Engine::purge(const Value &name)
{
    const NameObj *n = name.asName();
    if (name.type() == Type::LocalName || findLocal(n))
        throw CalcError(Err::BadArgumentType);
    DirObj *dir = currentDir();
    for (auto it = dir->vars.begin(); it != dir->vars.end(); ++it) {
        if (it->name != n)
            continue;
        if (it->value.type() == Type::Directory && !it->value.asDir()->vars.empty())
            throw CalcError(Err::NonEmptyDirectory);
        dir->vars.erase(it);
        return;
    }
    // purging a name that does not exist is not an error
}

void Engine::createDir(const NameObj *n)
{
    if (m_path.size() >= MaxDirDepth)
        throw CalcError(Err::InsufficientMemory);
    DirObj *dir = currentDir();
    if (dir->find(n))
        throw CalcError(Err::NameConflict);
    dir->vars.insert(dir->vars.begin(), DirObj::Var{n, Value::directory(new DirObj)});
}

void Engine::enterDir(DirObj *d, const NameObj *n)
{
    m_path.push_back(d);
    m_pathNames.push_back(n);
}

void Engine::upDir()
{
    if (m_path.size() > 1) {
        m_path.pop_back();
        m_pathNames.pop_back();
    }
}

void Engine::homeDir()
{
    m_path.resize(1);
    m_pathNames.clear();
}

void Engine::setPath(const std::vector<NameRef> &names)
{
    m_path = {home()};
    m_pathNames.clear();
    for (const NameRef &n : names) {
        auto *var = currentDir()->find(n);
        if (!var || var->value.type() != Type::Directory)
            break;
        enterDir(var->value.asDir(), n);
    }
}

uint32_t Engine::bindLocal(const NameObj *n, Value v)
{
    if (m_locals.size() >= MaxLocals)
        throw CalcError(Err::InsufficientMemory);
    m_locals.push_back({n, std::move(v)});
    return static_cast<uint32_t>(m_locals.size() - 1);
}

void Engine::bindProgramLocals(const Value &holder, std::vector<LocalVar> vars)
{
    if (m_locals.size() + vars.size() > MaxLocals)
        throw CalcError(Err::InsufficientMemory);
    // the frame of the program that runs LOCAL: below the top sequence, past
    // the loops whose bodies it runs in
    size_t at = m_rs.size();
    if (at > 0 && m_rs[at - 1].kind == FrameKind::Seq)
        --at;
    while (at >= 2 && m_rs[at - 1].kind == FrameKind::Loop && m_rs[at - 2].kind == FrameKind::Seq)
        at -= 2;
    // the variables go below those of the frames above, whose bases move up
    uint32_t base = static_cast<uint32_t>(m_locals.size());
    for (size_t j = at; j < m_rs.size(); ++j) {
        const Frame &f = m_rs[j];
        if (f.kind == FrameKind::Locals || f.kind == FrameKind::Trap ||
            (f.kind == FrameKind::Loop && f.isFor))
            base = std::min(base, f.localBase);
    }
    const uint32_t n = static_cast<uint32_t>(vars.size());
    for (size_t j = at; j < m_rs.size(); ++j)
        if (m_rs[j].localBase >= base)
            m_rs[j].localBase += n;
    m_locals.insert(m_locals.begin() + base, std::make_move_iterator(vars.begin()),
                    std::make_move_iterator(vars.end()));
    Frame scope;
    scope.kind = FrameKind::Locals;
    scope.localBase = base;
    scope.hold = holder;
    m_rs.insert(m_rs.begin() + static_cast<ptrdiff_t>(at), std::move(scope));
}

void Engine::unbindLocals(uint32_t base)
{
    if (m_locals.size() > base)
        m_locals.resize(base);
}

namespace {

// The same reference (the same heap object, or the same inline value):
// copying one over the other would change nothing.
bool sameReference(const Value &a, const Value &b)
{
    if (a.type() != b.type() || a.quoted() != b.quoted() || a.callArgs() != b.callArgs())
        return false;
    if (a.isHeap())
        return a.object() == b.object();
    return a.asBinary() == b.asBinary() && a.role() == b.role();
}

} // namespace

void Engine::saveLastArgs(int n)
{
    m_lastArgGrown = -1;
    const size_t count = static_cast<size_t>(n);
    const Value *args = &*(m_stack.end() - n);
    if (m_lastArgs.size() == count) {
        // a loop saves the same objects again and again (the string it
        // builds, the literal it adds): copying only what differs spares
        // the reference counting
        for (size_t i = 0; i < count; ++i)
            if (!sameReference(m_lastArgs[i], args[i]))
                m_lastArgs[i] = args[i];
        return;
    }
    m_lastArgs.assign(args, args + n);
}

const std::vector<Value> &Engine::lastArgs() const
{
    if (m_lastArgGrown >= 0) {
        // the argument as it was saved: the first elements of what it became
        Value &v = m_lastArgs[static_cast<size_t>(m_lastArgGrown)];
        const size_t n = m_lastArgGrownSize;
        if (v.type() == Type::List)
            v = Value::list(std::vector<Value>(v.items().begin(),
                                               v.items().begin() + static_cast<long>(n)));
        else
            v = Value::string(v.str().substr(0, n));
        m_lastArgGrown = -1;
    }
    return m_lastArgs;
}

bool Engine::mayGrow(const Value &v, size_t oldSize)
{
    const int refs = v.object()->refCount();
    if (refs == 1)
        return true;
    if (refs != 2)
        return false;
    for (size_t i = 0; i < m_lastArgs.size(); ++i) {
        if (m_lastArgs[i].object() != v.object())
            continue;
        if (m_lastArgGrown < 0) {
            m_lastArgGrown = static_cast<int>(i);
            m_lastArgGrownSize = oldSize;
        }
        return m_lastArgGrown == static_cast<int>(i);
    }
    return false;
}

// ---- random numbers -----------------------------------------------------------------

Real Engine::nextRandom()
{
    // The calculators' linear congruential generator over 15 digits.
    const unsigned __int128 a = 2851130928467ULL;
    m_seed = static_cast<uint64_t>((a * m_seed) % 1000000000000000ULL);
    RealCondition c = RealCondition::Ok;
    Real r =
        div(Real::fromInt(static_cast<int64_t>(m_seed / 1000)), Real::fromInt(1000000000000LL), c);
    return r;
}

void Engine::seedRandom(const Real &seed)
{
    if (seed.isZero()) {
        m_seed =
            static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) %
            1000000000000000ULL;
    } else {
        const int64_t m = seed.mant < 0 ? -seed.mant : seed.mant;
        m_seed = static_cast<uint64_t>(m) * 1000 + 1;
    }
    if (m_seed % 2 == 0)
        ++m_seed;
}

// ---- evaluation ------------------------------------------------------------------

void Engine::pushSeq(const Value &holder, uint32_t begin, uint32_t end)
{
    if (m_rs.size() >= MaxReturnDepth)
        throw CalcError(Err::InsufficientMemory);
    Frame f;
    f.kind = FrameKind::Seq;
    f.seq = holder.asSeq();
    f.hold = holder;
    f.pc = begin;
    f.end = end;
    m_rs.push_back(std::move(f));
}

void Engine::pushContinuation(Continuation *c)
{
    if (m_rs.size() >= MaxReturnDepth)
        throw CalcError(Err::InsufficientMemory);
    Frame f;
    f.kind = FrameKind::Native;
    f.hold = makeHeap(c, Type::Native);
    m_rs.push_back(std::move(f));
}

void Engine::requestInterrupt()
{
    m_interrupt.store(true, std::memory_order_relaxed);
    // a program waiting for the user (INPUT, WAIT ...) must wake up to see it
    if (UserInterface *ui = userInterface())
        ui->cancel();
}

const Value &Engine::pict()
{
    if (m_pict.isNull())
        m_pict = Value::grob(new GrobObj(131, is49() ? 80 : 64));
    return m_pict;
}

GrobObj *Engine::drawablePict()
{
    pict();
    // drawn in place only while nothing else shares it
    if (m_pict.object()->refCount() > 1)
        m_pict = Value::grob(m_pict.asGrob()->clone());
    return const_cast<GrobObj *>(m_pict.asGrob());
}

void Engine::popFrame()
{
    m_rs.pop_back();
}

void Engine::scheduleEval(const Value &v)
{
    evalNow(v);
}

void Engine::evalNow(const Value &v)
{
    switch (v.type()) {
    case Type::Program:
        if (!v.items().empty())
            pushSeq(v, 0, static_cast<uint32_t>(v.items().size()));
        return;
    case Type::List:
    case Type::Algebraic: {
        if (v.items().empty()) {
            if (v.type() == Type::List)
                push(v);
            return;
        }
        if (v.type() == Type::List && needsLink(v.items())) {
            const Value linked = Value::program(linkStructures(v.items()));
            pushSeq(linked, 0, static_cast<uint32_t>(linked.items().size()));
            return;
        }
        pushSeq(v, 0, static_cast<uint32_t>(v.items().size()));
        return;
    }
    case Type::GlobalName:
    case Type::LocalName:
        evalName(v);
        return;
    case Type::Tagged:
        evalNow(v.asTagged()->value);
        return;
    case Type::Command:
        execCommand(SIZE_MAX, v);
        return;
    default:
        push(v);
        return;
    }
}

void Engine::evalName(const Value &v)
{
    const NameObj *n = v.asName();
    if (v.type() == Type::LocalName) {
        if (Value *l = findLocal(n)) {
            push(*l);
            return;
        }
        throw CalcError(Err::UndefinedLocalName);
    }
    if (Value *l = findLocal(n)) {
        // a global name that a local of the same spelling shadows at run time
        push(*l);
        return;
    }
    Value *g = findGlobal(n);
    if (!g) {
        if (numericResults())
            throw CalcError(Err::UndefinedName); // ->NUM needs a value for every name
        const int args = v.callArgs();
        if (args > 0) {
            // an undefined user function stays symbolic: 'F(X)'
            need(static_cast<size_t>(args));
            std::vector<Value> items;
            for (int i = args; i >= 1; --i) {
                const Value &a = level(static_cast<size_t>(i));
                if (a.type() == Type::Algebraic)
                    items.insert(items.end(), a.items().begin(), a.items().end());
                else
                    items.push_back(a.isName() ? a.withQuoted(false) : a);
            }
            items.push_back(v.withQuoted(false));
            replace(static_cast<size_t>(args), Value::algebraic(std::move(items)));
            return;
        }
        push(v.withQuoted(true).withCallArgs(0));
        return;
    }
    switch (g->type()) {
    case Type::Directory:
        enterDir(g->asDir(), n);
        return;
    case Type::GlobalName:
    case Type::LocalName: {
        // a variable holding a name: follow the chain without recursing, and
        // stop a chain that comes back on itself
        Value content = *g;
        for (int hops = 0; content.isName(); ++hops) {
            if (hops > 64)
                throw CalcError(Err::CircularReference);
            if (content.type() == Type::LocalName) {
                evalName(content);
                return;
            }
            if (Value *l = findLocal(content.asName())) {
                push(*l);
                return;
            }
            Value *next = findGlobal(content.asName());
            if (!next) {
                push(content.withQuoted(true));
                return;
            }
            if (next->type() == Type::Directory) {
                enterDir(next->asDir(), content.asName());
                return;
            }
            content = *next;
        }
        if (content.type() == Type::Program || content.type() == Type::Algebraic)
            evalNow(content);
        else
            push(content);
        return;
    }
    case Type::Program:
    case Type::Algebraic: {
        const Value content = *g; // the variable may be changed while it runs
        evalNow(content);
        return;
    }
    default:
        push(*g);
        return;
    }
}

void Engine::execSeqItem(size_t fi, const Value &v)
{
    switch (v.type()) {
    case Type::Command:
        execCommand(fi, v);
        return;
    case Type::GlobalName:
    case Type::LocalName:
        if (v.quoted())
            push(v);
        else
            evalName(v);
        return;
    default:
        push(v);
        return;
    }
}

namespace {

bool popFlag(Engine &e)
{
    e.need(1);
    const Value &v = e.level(1);
    bool result;
    if (v.type() == Type::Real)
        result = !v.asReal().isZero();
    else if (v.type() == Type::Binary)
        result = v.asBinary() != 0;
    else if (v.type() == Type::Integer)
        result = integerText(v) != "0";
    else
        throw CalcError(Err::BadArgumentType);
    e.drop(1);
    return result;
}

Real popReal(Engine &e)
{
    e.need(1);
    const Value &v = e.level(1);
    if (v.type() == Type::Integer) {
        const Real r = integerToReal(e, v);
        e.drop(1);
        return r;
    }
    if (v.type() != Type::Real)
        throw CalcError(Err::BadArgumentType);
    const Real r = v.asReal();
    e.drop(1);
    return r;
}

} // namespace

void Engine::execCommand(size_t fi, const Value &v)
{
    const int id = v.commandId();
    m_runningCommand = id;
    if (id < OpFirstOrdinary && fi != SIZE_MAX) {
        Frame &f = m_rs[fi];
        if (id == OpLocals) {
            const uint32_t n = static_cast<uint32_t>(v.role());
            const SeqObj *seq = f.seq;
            const uint32_t namesAt = f.pc;
            // the names and the body must follow (a list rebuilt by hand may lack them)
            if (n == 0 || namesAt + n >= seq->items.size())
                throw CalcError(Err::InvalidSyntax);
            for (uint32_t k = 0; k < n; ++k)
                if (seq->items[namesAt + k].type() != Type::LocalName)
                    throw CalcError(Err::InvalidSyntax);
            need(n);
            const Value body = seq->items[namesAt + n];
            const Value holder = f.hold;
            m_rs[fi].pc = namesAt + n + 1;
            Frame scope;
            scope.kind = FrameKind::Locals;
            scope.localBase = static_cast<uint32_t>(m_locals.size());
            // level n goes to the first name
            for (uint32_t k = 0; k < n; ++k)
                bindLocal(seq->items[namesAt + k].asName(), level(n - k));
            drop(n);
            m_rs.push_back(std::move(scope));
            if (body.type() == Type::Program || body.type() == Type::Algebraic)
                evalNow(body);
            else if (body.isName())
                evalName(body.withQuoted(false));
            else
                push(body);
            return;
        }
        switch (v.role()) {
        case RoleJump:
            f.pc = v.target();
            return;
        case RoleJumpIfFalse:
            // A test clause that leaves an algebraic (IF 'X>3' THEN, WHILE
            // 'N<5' REPEAT) is evaluated to a number first, as ->NUM does; the
            // jump then runs again on that number.
            if (need(1), level(1).isSymbolic()) {
                static const int toNum = findCommand("\x8DNUM");
                m_rs[fi].pc -= 1;
                execCommand(SIZE_MAX, Value::command(toNum));
                return;
            }
            if (!popFlag(*this))
                m_rs[fi].pc = v.target();
            return;
        case RoleIferr: {
            // run the protected clause as a Seq of its own above a trap
            const uint32_t thenAt = v.target();
            const Value thenWord = f.seq->items[thenAt];
            const uint32_t body = f.pc;
            const uint32_t handler = thenAt + 1;
            f.pc = thenWord.target();
            Frame trap;
            trap.kind = FrameKind::Trap;
            trap.pc = handler;
            trap.localBase = static_cast<uint32_t>(m_locals.size());
            const SeqObj *seq = f.seq;
            trap.seq = seq;
            m_rs.push_back(std::move(trap));
            Frame inner;
            inner.kind = FrameKind::Seq;
            inner.seq = seq;
            inner.pc = body;
            inner.end = thenAt;
            m_rs.push_back(std::move(inner));
            return;
        }
        case RoleIferrThen:
            // only reached when the protected clause ran as plain code
            f.pc = v.target();
            return;
        default:
            break;
        }
        if (id == OpSTART || id == OpFOR) {
            need(2);
            // the bounds are compared as reals; a FOR that starts from an
            // exact integer counts in integers, as the 49 family does
            const Value exactStart = level(2).type() == Type::Integer ? level(2) : Value();
            for (size_t l = 1; l <= 2; ++l)
                if (level(l).type() == Type::Integer)
                    levelRef(l) = Value::real(integerToReal(*this, level(l)));
            const Value &a = level(2);
            const Value &b = level(1);
            if (a.type() != Type::Real || b.type() != Type::Real)
                throw CalcError(Err::BadArgumentType);
            const uint32_t closeAt = v.target();
            const uint32_t bodyAt = f.pc + (id == OpFOR ? 1 : 0);
            const Value holder = f.hold;
            const SeqObj *seq = f.seq;
            Frame loop;
            loop.kind = FrameKind::Loop;
            loop.isFor = id == OpFOR;
            loop.pc = bodyAt;
            loop.end = closeAt;
            loop.seq = seq;
            loop.counter = a.asReal();
            loop.limit = b.asReal();
            loop.localBase = static_cast<uint32_t>(m_locals.size());
            if (id == OpFOR)
                bindLocal(seq->items[f.pc].asName(),
                          exactStart.isNull() ? Value::real(loop.counter) : exactStart);
            drop(2);
            m_rs[fi].pc = closeAt + 1;
            if (m_rs.size() + 2 >= MaxReturnDepth)
                throw CalcError(Err::InsufficientMemory);
            m_rs.push_back(std::move(loop));
            Frame body;
            body.kind = FrameKind::Seq;
            body.seq = seq;
            body.pc = bodyAt;
            body.end = closeAt;
            m_rs.push_back(std::move(body));
            return;
        }
        // IF, CASE, DO, WHILE, UNTIL, END without a jump: nothing to do
        return;
    }
    const CommandInfo &ci = commandInfo(id);
    if (!ci.implemented) {
        if (ci.def.flags & Structure)
            throw CalcError(Err::InvalidSyntax);
        throw CalcError(Err::NotImplemented, "Not implemented yet: " + ci.name);
    }
    const CommandDef &d = ci.def;
    const int argc = d.argc;
    if (argc <= 0) {
        d.fn(*this);
        return;
    }
    if (m_stack.size() < static_cast<size_t>(argc))
        throw CalcError(Err::TooFewArguments);
    CommandFn fn = overloadFor(d, m_stack);
    const bool keepTags = d.flags & KeepTags;
    if (!fn && (d.flags & (Function | ListWise)) && applyToLists(id, argc, keepTags))
        return;
    // the integers taken as reals, as they were: LASTARG and a failing
    // command give them back unchanged
    std::vector<std::pair<int, Value>> coerced;
    if (!fn) {
        // an exact integer where a command takes a real becomes a real, as
        // the 49 family's commands take it: the first form of the command
        // that takes the arguments so decides which levels change
        auto integerLevels = [&](const uint32_t(&args)[3], CommandFn f) -> int64_t {
            if (!f)
                return -1;
            int64_t levels = 0;
            for (int i = 0; i < argc; ++i) {
                const Value &a = m_stack[m_stack.size() - 1 - static_cast<size_t>(i)];
                const uint32_t kinds = args[i < 3 ? i : 2];
                if (hasKind(a, kinds, keepTags))
                    continue;
                const Value &x = a.type() == Type::Tagged && !keepTags ? a.asTagged()->value : a;
                if (x.type() != Type::Integer || !(kinds & AReal) || i >= 63)
                    return -1;
                levels |= int64_t(1) << i;
            }
            return levels;
        };
        int64_t levels = integerLevels(d.args, d.fn);
        CommandFn chosen = levels > 0 ? d.fn : nullptr;
        for (const Overload &o : d.more) {
            if (chosen)
                break;
            levels = integerLevels(o.args, o.fn);
            if (levels > 0)
                chosen = o.fn;
        }
        if (chosen) {
            for (int i = 0; i < argc; ++i) {
                if (!(levels >> i & 1))
                    continue;
                Value &a = m_stack[m_stack.size() - 1 - static_cast<size_t>(i)];
                coerced.emplace_back(i, a);
                const Value x = a.type() == Type::Tagged ? a.asTagged()->value : a;
                a = Value::real(integerToReal(*this, x));
            }
            fn = chosen;
        }
    }
    if (!fn) {
        // a function of a symbolic argument that no overload takes makes an
        // algebraic; anything else is refused with the arguments as they were
        bool symbolic = false;
        for (int i = 0; i < argc && !symbolic; ++i) {
            const Value &a = m_stack[m_stack.size() - 1 - static_cast<size_t>(i)];
            const Value &x = a.type() == Type::Tagged && !keepTags ? a.asTagged()->value : a;
            symbolic = x.isSymbolic() && !hasKind(x, acceptedKinds(d, i), true);
        }
        if (!symbolic || !(d.flags & Function)) {
            // with last arguments off (flag -55) a failing command keeps
            // nothing of what it took
            if (flag(-55))
                drop(static_cast<size_t>(argc));
            throw CalcError(Err::BadArgumentType);
        }
    }
    if (!keepTags)
        for (int i = 0; i < argc; ++i) {
            Value &a = m_stack[m_stack.size() - 1 - static_cast<size_t>(i)];
            if (a.type() == Type::Tagged) {
                Value inner = a.asTagged()->value;
                a = std::move(inner);
            }
        }
    const bool lastArgsOff = flag(-55);
    if (!(d.flags & NoLastArg) && !lastArgsOff) {
        saveLastArgs(argc);
        for (const auto &[i, original] : coerced)
            m_lastArgs[static_cast<size_t>(argc - 1 - i)] = original;
    }
    if (!coerced.empty() && !lastArgsOff) {
        const size_t before = m_stack.size();
        try {
            fn(*this);
        } catch (const CalcError &) {
            if (m_stack.size() == before)
                for (const auto &[i, original] : coerced)
                    m_stack[before - 1 - static_cast<size_t>(i)] = original;
            throw;
        }
        return;
    }
    if (!lastArgsOff) {
        if (fn)
            fn(*this);
        else
            applySymbolic(id, argc);
        return;
    }
    const size_t before = m_stack.size();
    try {
        if (fn)
            fn(*this);
        else
            applySymbolic(id, argc);
    } catch (const CalcError &) {
        if (m_stack.size() >= before)
            m_stack.resize(before - static_cast<size_t>(argc));
        throw;
    }
}

// A command applied to each element of its list arguments (a single
// object beside a list goes with every element); the results, whatever each
// leaves, make one list. Each application runs as the command itself, so one
// that evaluates something (IFTE) can be halted and interrupted as usual.
class ListWiseRun : public Continuation
{
public:
    ListWiseRun(int id, std::vector<Value> args, std::vector<bool> each, size_t len, size_t start)
        : m_id(id)
        , m_args(std::move(args))
        , m_each(std::move(each))
        , m_len(len)
        , m_start(start)
    {
        m_results.reserve(len);
    }

    void step(Engine &e)
    {
        const Value cmd = Value::command(m_id);
        while (m_index < m_len) {
            m_base = e.depth();
            for (size_t i = 0; i < m_args.size(); ++i)
                e.push(m_each[i] ? m_args[i].items()[m_index] : m_args[i]);
            const size_t frames = e.m_rs.size();
            e.execCommand(SIZE_MAX, cmd);
            if (e.m_rs.size() != frames)
                return; // what it asked to evaluate runs first; resume collects
            collect(e);
        }
        e.popFrame();
        e.push(Value::list(std::move(m_results)));
        if (!e.flag(-55) && !(commandInfo(m_id).def.flags & NoLastArg)) {
            e.m_lastArgs = m_args;
            e.m_lastArgGrown = -1;
        }
    }
    void resume(Engine &e) override
    {
        collect(e);
        step(e);
    }
    void unwind(Engine &e) override
    {
        // the arguments as they were, unless last arguments are off
        if (e.depth() > m_start)
            e.m_stack.resize(m_start);
        if (!e.flag(-55))
            for (const Value &a : m_args)
                e.m_stack.push_back(a);
    }

private:
    void collect(Engine &e)
    {
        auto &s = e.m_stack;
        if (s.size() < m_base)
            m_base = s.size();
        for (size_t i = m_base; i < s.size(); ++i)
            m_results.push_back(std::move(s[i]));
        s.resize(m_base);
        ++m_index;
    }

    int m_id;
    std::vector<Value> m_args; // deepest first
    std::vector<bool> m_each;  // the lists taken element by element
    size_t m_len;
    size_t m_start;
    size_t m_base = 0;
    size_t m_index = 0;
    std::vector<Value> m_results;
};

bool Engine::applyToLists(int id, int argc, bool keepTags)
{
    const CommandDef &d = commandInfo(id).def;
    const size_t n = static_cast<size_t>(argc);
    std::vector<Value> args(m_stack.end() - static_cast<long>(n), m_stack.end());
    std::vector<bool> each(n, false);
    size_t len = SIZE_MAX;
    for (size_t i = 0; i < n; ++i) {
        Value &a = args[i];
        if (a.type() == Type::Tagged && !keepTags) {
            Value inner = a.asTagged()->value;
            a = std::move(inner);
        }
        if (a.type() != Type::List || hasKind(a, acceptedKinds(d, static_cast<int>(n - 1 - i)), true))
            continue;
        if (len != SIZE_MAX && a.items().size() != len)
            throw CalcError(Err::InvalidDimension);
        len = a.items().size();
        each[i] = true;
    }
    if (len == SIZE_MAX)
        return false;
    // a command given nothing but lists takes them all element by element
    // ({ 1 0 } { a b } { c d } IFTE, { 1 0 1 } { a b c } IFT), so they must
    // all be of one size
    if (n >= 2 && std::all_of(args.begin(), args.end(), [&](const Value &a) {
            return a.type() == Type::List;
        }) && std::any_of(args.begin(), args.end(), [&](const Value &a) {
            return a.items().size() != len;
        }))
        throw CalcError(Err::InvalidDimension);
    // the other lists of that size go element by element too; with a single
    // object among the arguments, a list of another size that the command
    // takes whole goes with every element
    for (size_t i = 0; i < n; ++i)
        if (args[i].type() == Type::List && args[i].items().size() == len)
            each[i] = true;
    auto *run = new ListWiseRun(id, std::move(args), std::move(each), len, m_stack.size() - n);
    const Value keep = makeHeap(run, Type::Native);
    pushContinuation(run);
    m_stack.resize(m_stack.size() - n);
    run->step(*this);
    return true;
}

void Engine::applySymbolic(int id, int argc)
{
    need(static_cast<size_t>(argc));
    Value r = makeSymbolic(id, &m_stack[m_stack.size() - static_cast<size_t>(argc)], argc);
    replace(static_cast<size_t>(argc), std::move(r));
}

Value makeSymbolic(int id, const Value *args, int argc)
{
    std::vector<Value> items;
    for (int i = 0; i < argc; ++i) {
        const Value &a = args[i];
        if (a.type() == Type::Algebraic)
            items.insert(items.end(), a.items().begin(), a.items().end());
        else if (a.isName())
            items.push_back(a.withQuoted(false));
        else if (a.type() == Type::Real || a.type() == Type::Complex || a.type() == Type::Integer)
            items.push_back(a);
        else
            throw CalcError(Err::BadArgumentType);
    }
    items.push_back(Value::command(id));
    return Value::algebraic(std::move(items));
}

namespace {

// x + 1 for a loop's counter. A positive counter whose last digit is worth 1
// or less takes the step exactly in its mantissa; the rest goes through add.
Real stepByOne(const Real &x, RealCondition &c)
{
    static const Real one = Real::fromInt(1);
    // what 1 is in the mantissa of a real of exponent 0 .. 11
    static constexpr int64_t Unit[12] = {100000000000, 10000000000, 1000000000, 100000000,
                                         10000000,     1000000,     100000,     10000,
                                         1000,         100,         10,         1};
    if (x.mant > 0 && x.exp >= 0 && x.exp <= 11) {
        Real r{x.mant + Unit[x.exp], x.exp};
        if (r.mant < Real::MantLimit)
            return r;
        // 999 + 1: one more digit; exact when the digit it drops is a zero
        if (r.mant % 10 == 0 && x.exp < Real::MaxExp)
            return Real{r.mant / 10, static_cast<int16_t>(x.exp + 1)};
    }
    return add(x, one, c);
}

} // namespace

void Engine::loopFinished()
{
    Frame &loop = m_rs.back();
    const bool isStep = loop.seq->items[loop.end].commandId() == OpSTEP;
    static const Real one = Real::fromInt(1);
    Real inc = one;
    bool integerStep = true;
    if (isStep) {
        integerStep = !m_stack.empty() && m_stack.back().type() == Type::Integer;
        inc = popReal(*this);
    }
    RealCondition c = RealCondition::Ok;
    Real counter;
    if (loop.isFor) {
        Value &var = m_locals[loop.localBase].value;
        const bool exact = var.type() == Type::Integer;
        if (var.type() != Type::Real && !exact)
            throw CalcError(Err::BadArgumentType);
        const Real from = exact ? integerToReal(*this, var) : var.asReal();
        counter = checked(isStep ? add(from, inc, c) : stepByOne(from, c), c);
        bool whole = false;
        const int64_t n = exact && integerStep ? counter.toInt(&whole) : 0;
        var = whole ? integerValue(n) : Value::real(counter);
    } else {
        counter = checked(isStep ? add(loop.counter, inc, c) : stepByOne(loop.counter, c), c);
        loop.counter = counter;
    }
    const int cmp = compare(counter, loop.limit);
    const bool again = inc.isNegative() ? cmp >= 0 : cmp <= 0;
    if (again) {
        // the body's frame is made in place: a loop that runs a short body
        // spends a good share of each turn here
        const SeqObj *seq = loop.seq;
        const uint32_t pc = loop.pc;
        const uint32_t end = loop.end;
        Frame &body = m_rs.emplace_back();
        body.seq = seq;
        body.pc = pc;
        body.end = end;
        return;
    }
    if (loop.isFor)
        unbindLocals(loop.localBase);
    m_rs.pop_back();
}

bool Engine::unwindToTrap(const CalcError &e)
{
    m_errn = e.code;
    m_errm = e.message;
    while (!m_rs.empty()) {
        Frame &f = m_rs.back();
        switch (f.kind) {
        case FrameKind::Trap: {
            const uint32_t handler = f.pc;
            const uint32_t base = f.localBase;
            m_rs.pop_back();
            unbindLocals(base);
            if (!m_rs.empty() && m_rs.back().kind == FrameKind::Seq) {
                m_rs.back().pc = handler;
                return true;
            }
            break;
        }
        case FrameKind::Locals:
            unbindLocals(f.localBase);
            m_rs.pop_back();
            break;
        case FrameKind::Loop:
            if (f.isFor)
                unbindLocals(f.localBase);
            m_rs.pop_back();
            break;
        case FrameKind::Native: {
            Value hold = f.hold;
            m_rs.pop_back();
            static_cast<Continuation *>(const_cast<Object *>(hold.object()))->unwind(*this);
            break;
        }
        case FrameKind::Seq:
            m_rs.pop_back();
            break;
        }
    }
    return false;
}

void Engine::abortAll()
{
    while (!m_rs.empty()) {
        Frame &f = m_rs.back();
        if (f.kind == FrameKind::Native) {
            Value hold = f.hold;
            m_rs.pop_back();
            static_cast<Continuation *>(const_cast<Object *>(hold.object()))->unwind(*this);
        } else {
            m_rs.pop_back();
        }
    }
    m_locals.clear();
    m_numeric = 0;
}

void Engine::suspend()
{
    Halted h;
    h.frames = std::move(m_rs);
    h.locals = std::move(m_locals);
    m_rs.clear();
    m_locals.clear();
    m_halted.push_back(std::move(h));
}

void Engine::resumeSuspended()
{
    Halted h = std::move(m_halted.back());
    m_halted.pop_back();
    const uint32_t offset = static_cast<uint32_t>(m_locals.size());
    for (auto &l : h.locals)
        m_locals.push_back(std::move(l));
    for (auto &f : h.frames) {
        f.localBase += offset;
        m_rs.push_back(std::move(f));
    }
}

void Engine::killHalted()
{
    for (auto &h : m_halted) {
        for (auto it = h.frames.rbegin(); it != h.frames.rend(); ++it)
            if (it->kind == FrameKind::Native)
                static_cast<Continuation *>(const_cast<Object *>(it->hold.object()))->unwind(*this);
    }
    m_halted.clear();
}

namespace {

// A frame that a control structure of the running program opened (a loop's
// body, IFERR's protected clause): stepping goes through it object by object,
// while a called program (a Seq holding its program) runs as one step.
bool isStructureFrame(const Frame &f)
{
    return f.kind == FrameKind::Loop || f.kind == FrameKind::Trap
        || (f.kind == FrameKind::Seq && !f.hold.object());
}

} // namespace

Engine::Status Engine::run(size_t base, bool step, bool into)
{
    const size_t stepDepth = m_rs.size();
    bool stepped = false;
    // Back in the stepped program: nothing above its frames but the
    // structures it opened itself.
    const auto inSteppedProgram = [&] {
        for (size_t i = stepDepth; i < m_rs.size(); ++i)
            if (!isStructureFrame(m_rs[i]))
                return false;
        return true;
    };
    for (;;) {
        try {
            while (m_rs.size() > base) {
                if (m_interrupt.load(std::memory_order_relaxed)) {
                    m_interrupt.store(false, std::memory_order_relaxed);
                    abortAll();
                    m_lastError = CalcError(Err::Interrupted);
                    return Status::Interrupted;
                }
                if (step && stepped && (into || inSteppedProgram())) {
                    suspend();
                    return Status::Halted;
                }
                const size_t fi = m_rs.size() - 1;
                Frame &f = m_rs[fi];
                switch (f.kind) {
                case FrameKind::Seq: {
                    if (f.pc >= f.end) {
                        m_rs.pop_back();
                        break;
                    }
                    const Value &item = f.seq->items[f.pc++];
                    m_runningCommand = -1;
                    // counted before it runs: an object that fails is a step too
                    stepped = true;
                    if (f.pc == f.end && item.type() != Type::Command && f.hold.object()) {
                        // tail position: drop the frame first, so that
                        // recursion in tail position does not grow the stack
                        const Value keep = std::move(f.hold);
                        const Value it = item;
                        m_rs.pop_back();
                        execSeqItem(SIZE_MAX, it);
                    } else {
                        execSeqItem(fi, item);
                    }
                    break;
                }
                case FrameKind::Locals:
                    unbindLocals(f.localBase);
                    m_rs.pop_back();
                    break;
                case FrameKind::Trap:
                    m_rs.pop_back();
                    break;
                case FrameKind::Loop:
                    // NEXT or STEP: a step of its own, as on the calculator
                    loopFinished();
                    stepped = true;
                    break;
                case FrameKind::Native: {
                    Value hold = f.hold;
                    static_cast<Continuation *>(const_cast<Object *>(hold.object()))->resume(*this);
                    break;
                }
                }
                if (m_haltRequested | m_killRequested | m_contRequested | m_abandonRequested) {
                    if (m_killRequested || m_abandonRequested) {
                        const bool kill = m_killRequested;
                        m_killRequested = false;
                        m_abandonRequested = false;
                        m_haltRequested = false;
                        m_contRequested = false;
                        abortAll();
                        if (kill)
                            killHalted();
                        return Status::Done;
                    }
                    if (m_haltRequested) {
                        m_haltRequested = false;
                        suspend();
                        return Status::Halted;
                    }
                    if (m_contRequested) {
                        m_contRequested = false;
                        if (!m_halted.empty())
                            resumeSuspended();
                    }
                }
            }
            if (m_interrupt.exchange(false, std::memory_order_relaxed)) {
                // interrupted in the last object (a request waiting for the user)
                m_lastError = CalcError(Err::Interrupted);
                return Status::Interrupted;
            }
            return Status::Done;
        } catch (const CalcError &e) {
            const CalcError error = named(e);
            if (!unwindToTrap(error)) {
                abortAll();
                m_lastError = error;
                return Status::Error;
            }
        } catch (const std::bad_alloc &) {
            if (!unwindToTrap(CalcError(Err::InsufficientMemory))) {
                abortAll();
                m_lastError = CalcError(Err::InsufficientMemory);
                return Status::Error;
            }
        }
    }
}

Engine::Status Engine::enter(std::string_view commandLine)
{
    Value prog;
    try {
        prog = compile(commandLine);
    } catch (const CalcError &e) {
        m_lastError = e;
        m_lastError.command = std::string(); // the line's syntax: no command to name
        m_errn = e.code;
        m_errm = e.message;
        return Status::Error;
    }
    return evaluate(prog);
}

Value Engine::compileReceived(std::string_view fileBytes, bool translate) const
{
    size_t end = 0;
    const TransferHeader h = readTransferHeader(fileBytes, &end);
    bool comma = flag(-51);
    AngleMode angle = angleMode();
    if (h.present) {
        comma = h.fraction == ',';
        angle = h.angle == 'R' ? AngleMode::Radians
                : h.angle == 'G' ? AngleMode::Grads
                                 : AngleMode::Degrees;
    }
    if (!translate)
        return compile(fileBytes.substr(end), comma, angle);
    return compile(receivedCommandLine(fileBytes), comma, angle);
}

Engine::Status Engine::enterReceived(std::string_view fileBytes)
{
    Value prog;
    try {
        prog = compileReceived(fileBytes);
    } catch (const CalcError &e) {
        m_lastError = e;
        m_errn = e.code;
        m_errm = e.message;
        return Status::Error;
    }
    return evaluate(prog);
}

Engine::Status Engine::evaluate(const Value &v)
{
    m_interrupt.store(false, std::memory_order_relaxed);
    m_lastError = CalcError(Err::None, std::string());
    const size_t base = m_rs.size();
    m_runningCommand = -1;
    try {
        evalNow(v);
    } catch (const CalcError &e) {
        m_errn = e.code;
        m_errm = e.message;
        m_lastError = named(e);
        return Status::Error;
    }
    return run(base);
}

CalcError Engine::named(const CalcError &e) const
{
    CalcError result = e;
    if (!result.command)
        result.command = m_runningCommand >= 0 ? commandInfo(m_runningCommand).name : std::string();
    return result;
}

Engine::Status Engine::resumeHalted()
{
    if (m_halted.empty())
        return Status::Done;
    m_lastError = CalcError(Err::None, std::string());
    const size_t base = m_rs.size();
    resumeSuspended();
    return run(base);
}

Engine::Status Engine::stepHalted()
{
    if (m_halted.empty())
        return Status::Done;
    m_lastError = CalcError(Err::None, std::string());
    const size_t base = m_rs.size();
    resumeSuspended();
    return run(base, true);
}

Engine::Status Engine::stepIntoHalted()
{
    if (m_halted.empty())
        return Status::Done;
    m_lastError = CalcError(Err::None, std::string());
    const size_t base = m_rs.size();
    resumeSuspended();
    return run(base, true, true);
}

Engine::Status Engine::debug(const Value &program)
{
    m_interrupt.store(false, std::memory_order_relaxed);
    m_lastError = CalcError(Err::None, std::string());
    const size_t base = m_rs.size();
    try {
        evalNow(program);
    } catch (const CalcError &e) {
        m_errn = e.code;
        m_errm = e.message;
        m_lastError = e;
        return Status::Error;
    }
    if (m_rs.size() == base)
        return Status::Done; // an empty program has nothing to halt in
    suspend();
    return Status::Halted;
}

std::vector<Value> Engine::haltedNext(size_t n) const
{
    std::vector<Value> out;
    if (m_halted.empty())
        return out;
    const auto &frames = m_halted.back().frames;
    for (auto it = frames.rbegin(); it != frames.rend() && out.size() < n; ++it) {
        if (it->kind == FrameKind::Loop) {
            out.push_back(it->seq->items[it->end]); // its NEXT or STEP comes after the body
            continue;
        }
        if (it->kind != FrameKind::Seq)
            continue;
        for (uint32_t pc = it->pc; pc < it->end && out.size() < n; ++pc)
            out.push_back(it->seq->items[pc]);
    }
    return out;
}

} // namespace Calc
