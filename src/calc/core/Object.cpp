#include "calc/core/Object.h"

#include "calc/core/Commands.h"
#include "calc/core/Integer.h"
#include "calc/core/Errors.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace Calc {

namespace {

std::atomic<int64_t> g_inUse{0};
std::atomic<int64_t> g_budget{static_cast<int64_t>(DefaultMemoryBudget)};

// Bytes an object occupies: its own size and what it holds outside it.
size_t footprint(const Object *o, Type t)
{
    switch (t) {
    case Type::String:
    case Type::Character:
        return sizeof(StringObj) + static_cast<const StringObj *>(o)->bytes.capacity();
    case Type::List:
    case Type::Program:
    case Type::Algebraic:
        return sizeof(SeqObj) + static_cast<const SeqObj *>(o)->items.capacity() * sizeof(Value);
    case Type::Tagged:
        return sizeof(TaggedObj) + static_cast<const TaggedObj *>(o)->tag.capacity();
    case Type::Directory:
        return sizeof(DirObj) + static_cast<const DirObj *>(o)->vars.capacity() * sizeof(DirObj::Var);
    case Type::Array: {
        const auto *a = static_cast<const ArrayObj *>(o);
        return sizeof(ArrayObj) + a->elems.capacity() * sizeof(Value) + a->elems.size() * 8;
    }
    case Type::Grob:
        return sizeof(GrobObj) + static_cast<const GrobObj *>(o)->bits.capacity();
    case Type::Unit:
        return sizeof(UnitObj) + static_cast<const UnitObj *>(o)->unit.capacity();
    case Type::Complex:
        return sizeof(ComplexObj);
    default:
        return 64; // continuations and the like
    }
}

} // namespace

void setMemoryBudget(size_t bytes)
{
    // an object counts its bytes in 32 bits
    const size_t most = size_t(3) << 30;
    g_budget.store(static_cast<int64_t>(std::min(bytes, most)), std::memory_order_relaxed);
}

size_t memoryBudget()
{
    return static_cast<size_t>(g_budget.load(std::memory_order_relaxed));
}

size_t memoryInUse()
{
    const int64_t n = g_inUse.load(std::memory_order_relaxed);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

void checkMemory(size_t bytes)
{
    if (g_inUse.load(std::memory_order_relaxed) + static_cast<int64_t>(bytes) >
        g_budget.load(std::memory_order_relaxed))
        throw CalcError(Err::InsufficientMemory);
}

Object::~Object()
{
    if (m_bytes)
        g_inUse.fetch_sub(m_bytes, std::memory_order_relaxed);
}

void Object::account(int64_t delta) const
{
    if (delta > 0)
        checkMemory(static_cast<size_t>(delta));
    g_inUse.fetch_add(delta, std::memory_order_relaxed);
    m_bytes = static_cast<uint32_t>(static_cast<int64_t>(m_bytes) + delta);
}

Value makeHeap(Object *o, Type t)
{
    if (o->refCount() == 0 && t != Type::GlobalName && t != Type::LocalName) {
        // a new object: it counts from now on, or is refused
        const size_t n = footprint(o, t);
        if (g_inUse.load(std::memory_order_relaxed) + static_cast<int64_t>(n) >
            g_budget.load(std::memory_order_relaxed)) {
            delete o;
            throw CalcError(Err::InsufficientMemory);
        }
        g_inUse.fetch_add(static_cast<int64_t>(n), std::memory_order_relaxed);
        o->m_bytes = static_cast<uint32_t>(n);
    }
    Value v;
    o->ref();
    v.m_obj = o;
    v.m_type = t;
    return v;
}

namespace {

uint32_t seqDepth(const std::vector<Value> &items)
{
    uint32_t d = 0;
    for (const Value &v : items) {
        const uint32_t c = v.depth();
        if (c > d)
            d = c;
    }
    if (d + 1 > MaxNesting)
        throw CalcError(Err::InsufficientMemory);
    return d + 1;
}

// Depth of the expression tree of an algebraic in postfix order: bounds the
// recursion of the infix printer.
uint32_t treeDepth(const std::vector<Value> &items);

} // namespace

Value Value::complex(const Real &re, const Real &im)
{
    return makeHeap(new ComplexObj(re, im), Type::Complex);
}

Value Value::string(std::string bytes)
{
    if (bytes.size() > MaxStringBytes)
        throw CalcError(Err::InsufficientMemory);
    return makeHeap(new StringObj(std::move(bytes)), Type::String);
}

Value Value::list(std::vector<Value> items)
{
    const uint32_t d = seqDepth(items);
    return makeHeap(new SeqObj(std::move(items), d), Type::List);
}

void appendToList(const Value &list, const Value &item, bool spliceList)
{
    auto *seq = const_cast<SeqObj *>(list.asSeq());
    const uint32_t d = item.depth() + (spliceList ? 0 : 1);
    if (d + 1 > MaxNesting)
        throw CalcError(Err::InsufficientMemory);
    std::vector<Value> &items = seq->items;
    const size_t need = items.size() + (spliceList ? item.items().size() : 1);
    if (need > items.capacity()) {
        // room for twice as many, counted before it is taken
        const size_t cap = std::max(need, items.capacity() * 2);
        seq->account(static_cast<int64_t>((cap - items.capacity()) * sizeof(Value)));
        items.reserve(cap);
    }
    if (spliceList)
        items.insert(items.end(), item.items().begin(), item.items().end());
    else
        items.push_back(item);
    if (d > seq->depth)
        seq->depth = d;
}

void appendToString(const Value &str, std::string_view bytes)
{
    auto *s = const_cast<StringObj *>(str.asString());
    std::string &b = s->bytes;
    if (b.size() + bytes.size() > MaxStringBytes)
        throw CalcError(Err::InsufficientMemory);
    if (b.size() + bytes.size() > b.capacity()) {
        const size_t cap = std::max(b.size() + bytes.size(), b.capacity() * 2);
        s->account(static_cast<int64_t>(cap - b.capacity()));
        b.reserve(cap);
    }
    b.append(bytes);
}

Value Value::program(std::vector<Value> items)
{
    const uint32_t d = seqDepth(items);
    return makeHeap(new SeqObj(std::move(items), d), Type::Program);
}

Value Value::algebraic(std::vector<Value> items)
{
    uint32_t d = seqDepth(items);
    const uint32_t t = treeDepth(items);
    if (t > d)
        d = t;
    if (d > MaxNesting)
        throw CalcError(Err::InsufficientMemory);
    return makeHeap(new SeqObj(std::move(items), d), Type::Algebraic);
}

Value Value::name(const NameObj *n, Type t, bool quoted)
{
    Value v = makeHeap(const_cast<NameObj *>(n), t);
    if (quoted)
        v.m_flags |= Quoted;
    return v;
}

Value Value::global(std::string_view text, bool quoted)
{
    return name(internName(text).get(), Type::GlobalName, quoted);
}

Value Value::local(std::string_view text, bool quoted)
{
    return name(internName(text).get(), Type::LocalName, quoted);
}

Value Value::tagged(std::string tag, Value v)
{
    if (v.depth() + 1 > MaxNesting)
        throw CalcError(Err::InsufficientMemory);
    return makeHeap(new TaggedObj(std::move(tag), std::move(v)), Type::Tagged);
}

Value Value::directory(DirObj *d)
{
    return makeHeap(d, Type::Directory);
}

Value Value::array(std::vector<uint32_t> dims, std::vector<Value> elems)
{
    size_t n = 1;
    for (uint32_t d : dims)
        n *= d;
    if (dims.empty() || dims.size() > 2 || n != elems.size())
        throw CalcError(Err::InvalidDimension);
    if (n > MaxArrayElements)
        throw CalcError(Err::InsufficientMemory);
    return makeHeap(new ArrayObj(std::move(dims), std::move(elems)), Type::Array);
}

Value ArrayObj::element(const Value &x) const
{
    return x.type() == Type::Real && isComplex() ? Value::complex(x.asReal(), Real{}) : x;
}

void promoteToComplex(std::vector<Value> &elems)
{
    bool anyComplex = false;
    for (const Value &v : elems)
        anyComplex = anyComplex || v.type() == Type::Complex;
    if (anyComplex)
        for (Value &v : elems)
            if (v.type() == Type::Real)
                v = Value::complex(v.asReal(), Real{});
}

Value Value::grob(GrobObj *g)
{
    return makeHeap(g, Type::Grob);
}

Value Value::character(unsigned char c)
{
    return makeHeap(new StringObj(std::string(1, static_cast<char>(c))), Type::Character);
}

unsigned char Value::asChar() const
{
    return static_cast<unsigned char>(asString()->bytes[0]);
}

Value Value::unit(Value number, std::string unit)
{
    return makeHeap(new UnitObj(std::move(number), std::move(unit)), Type::Unit);
}

const std::string &Value::str() const
{
    return asString()->bytes;
}

const std::vector<Value> &Value::items() const
{
    return asSeq()->items;
}

const std::string &Value::nameText() const
{
    return asName()->text;
}

uint32_t Value::depth() const
{
    switch (m_type) {
    case Type::List:
    case Type::Program:
    case Type::Algebraic:
        return asSeq()->depth;
    case Type::Tagged:
        return asTagged()->value.depth() + 1;
    case Type::Directory: {
        uint32_t d = 0;
        for (const auto &v : asDir()->vars)
            d = std::max(d, v.value.depth());
        return d + 1;
    }
    default:
        return 1;
    }
}

namespace {

uint32_t treeDepth(const std::vector<Value> &items)
{
    // Simulate the evaluation stack with depths instead of values.
    std::vector<uint32_t> st;
    uint32_t deepest = 0;
    for (const Value &v : items) {
        int args = 0;
        if (v.type() == Type::Command)
            args = commandArity(v.commandId());
        else if (v.isName() && !v.quoted() && v.callArgs() > 0)
            args = v.callArgs();
        uint32_t d = 0;
        for (int i = 0; i < args && !st.empty(); ++i) {
            d = std::max(d, st.back());
            st.pop_back();
        }
        st.push_back(d + 1);
        deepest = std::max(deepest, d + 1);
    }
    return deepest;
}

} // namespace

namespace {

// The intern table lives as long as the process: names held by static
// objects are freed after every other static is gone.
std::mutex &nameTableMutex()
{
    static auto *mutex = new std::mutex;
    return *mutex;
}
std::unordered_map<std::string_view, const NameObj *> &nameTable()
{
    static auto *table = new std::unordered_map<std::string_view, const NameObj *>;
    return *table;
}

} // namespace

NameObj::~NameObj()
{
    std::lock_guard<std::mutex> lock(nameTableMutex());
    auto &table = nameTable();
    auto it = table.find(text);
    // a name being freed may already have been replaced by a new one of
    // the same spelling (interned while this one was dying)
    if (it != table.end() && it->second == this)
        table.erase(it);
}

NameRef internName(std::string_view text)
{
    std::lock_guard<std::mutex> lock(nameTableMutex());
    auto &table = nameTable();
    auto it = table.find(text);
    if (it != table.end()) {
        // take a reference unless the name is already on its way out (its
        // count reached zero on another thread, which is now freeing it)
        const NameObj *n = it->second;
        int32_t refs = n->m_refs.load(std::memory_order_relaxed);
        while (refs > 0) {
            if (n->m_refs.compare_exchange_weak(refs, refs + 1, std::memory_order_acq_rel))
                return NameRef::adopt(n);
        }
        table.erase(it);
    }
    // names count against the budget too: a program that makes new names
    // in a loop ends in "Insufficient Memory" instead of exhausting memory
    checkMemory(sizeof(NameObj) + text.size() + 64);
    auto *n = new NameObj(std::string(text));
    n->ref();
    n->m_bytes = static_cast<uint32_t>(sizeof(NameObj) + n->text.capacity() + 64);
    g_inUse.fetch_add(n->m_bytes, std::memory_order_relaxed);
    table.emplace(std::string_view(n->text), n);
    return NameRef::adopt(n);
}

DirObj *DirObj::clone() const
{
    auto *d = new DirObj;
    d->vars.reserve(vars.size());
    for (const auto &v : vars) {
        if (v.value.type() == Type::Directory)
            d->vars.push_back({v.name, Value::directory(v.value.asDir()->clone())});
        else
            d->vars.push_back(v);
    }
    return d;
}

bool same(const Value &a, const Value &b)
{
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case Type::Null:
        return true;
    case Type::Native:
        return a.object() == b.object();
    case Type::Real:
        return a.asReal() == b.asReal();
    case Type::Binary:
        return a.asBinary() == b.asBinary();
    case Type::Command:
        return a.commandId() == b.commandId();
    case Type::Complex:
        return a.asComplex()->re == b.asComplex()->re && a.asComplex()->im == b.asComplex()->im;
    case Type::String:
        return a.str() == b.str();
    case Type::List:
    case Type::Program:
    case Type::Algebraic: {
        if (a.object() == b.object())
            return true;
        const auto &x = a.items();
        const auto &y = b.items();
        if (x.size() != y.size())
            return false;
        for (size_t i = 0; i < x.size(); ++i)
            if (!same(x[i], y[i]))
                return false;
        return true;
    }
    case Type::GlobalName:
    case Type::LocalName:
        return a.asName() == b.asName() && a.callArgs() == b.callArgs();
    case Type::Tagged:
        return a.asTagged()->tag == b.asTagged()->tag &&
               same(a.asTagged()->value, b.asTagged()->value);
    case Type::Array: {
        const ArrayObj *x = a.asArray();
        const ArrayObj *y = b.asArray();
        if (x->dims != y->dims || x->elems.size() != y->elems.size())
            return false;
        for (size_t i = 0; i < x->elems.size(); ++i)
            if (!same(x->elems[i], y->elems[i]))
                return false;
        return true;
    }
    case Type::Grob:
        return a.asGrob()->width == b.asGrob()->width &&
               a.asGrob()->height == b.asGrob()->height && a.asGrob()->bits == b.asGrob()->bits;
    case Type::Character:
        return a.asChar() == b.asChar();
    case Type::Unit:
        return a.asUnit()->unit == b.asUnit()->unit && same(a.asUnit()->number, b.asUnit()->number);
    case Type::Integer:
        return integerText(a) == integerText(b);
    case Type::Directory: {
        const auto &x = a.asDir()->vars;
        const auto &y = b.asDir()->vars;
        if (x.size() != y.size())
            return false;
        for (size_t i = 0; i < x.size(); ++i)
            if (x[i].name != y[i].name || !same(x[i].value, y[i].value))
                return false;
        return true;
    }
    }
    return false;
}

} // namespace Calc
