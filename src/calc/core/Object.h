#pragma once

#include "calc/core/Real.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Calc {

// Object kinds. Reals, binary integers and commands live inside the Value
// itself (no allocation: arithmetic in a loop never touches the heap); the
// others are shared, immutable heap objects with a reference count.
enum class Type : uint8_t {
    Null, // no object (an empty slot)
    Real,
    Binary,
    Command,
    Complex,
    String,
    List,
    Program,
    Algebraic,
    GlobalName,
    LocalName,
    Tagged,
    Directory,
    Native, // an evaluator continuation; never on the stack
};

// Nesting deeper than this ends in "Insufficient Memory": it bounds every
// recursive walk (decompiling, comparing, freeing, saving) over an object.
constexpr uint32_t MaxNesting = 2000;

class Object
{
public:
    Object() = default;
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;
    virtual ~Object() = default;

    void ref() const { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void unref() const
    {
        if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }
    int refCount() const { return m_refs.load(std::memory_order_relaxed); }

private:
    mutable std::atomic<int32_t> m_refs{0};
};

class NameObj;
class SeqObj;
class StringObj;
class ComplexObj;
class TaggedObj;
class DirObj;

// One object reference: 16 bytes, copied by value. Copies of heap objects
// share them (objects never change after construction, except directories,
// which only the engine's variable tree holds).
class Value
{
public:
    enum Flag : uint8_t {
        Quoted = 1, // a name written 'X' in a program: pushed, not evaluated
    };

    Value()
        : m_bits(0)
        , m_exp(0)
        , m_type(Type::Null)
        , m_flags(0)
        , m_aux(0)
    {
    }
    Value(const Value &o)
        : m_bits(o.m_bits)
        , m_exp(o.m_exp)
        , m_type(o.m_type)
        , m_flags(o.m_flags)
        , m_aux(o.m_aux)
    {
        if (isHeap())
            m_obj->ref();
    }
    Value(Value &&o) noexcept
        : m_bits(o.m_bits)
        , m_exp(o.m_exp)
        , m_type(o.m_type)
        , m_flags(o.m_flags)
        , m_aux(o.m_aux)
    {
        o.m_type = Type::Null;
    }
    Value &operator=(const Value &o)
    {
        if (o.isHeap())
            o.m_obj->ref();
        release();
        m_bits = o.m_bits;
        m_exp = o.m_exp;
        m_type = o.m_type;
        m_flags = o.m_flags;
        m_aux = o.m_aux;
        return *this;
    }
    Value &operator=(Value &&o) noexcept
    {
        if (this != &o) {
            release();
            m_bits = o.m_bits;
            m_exp = o.m_exp;
            m_type = o.m_type;
            m_flags = o.m_flags;
            m_aux = o.m_aux;
            o.m_type = Type::Null;
        }
        return *this;
    }
    ~Value() { release(); }

    // constructors
    static Value real(const Real &r)
    {
        Value v;
        v.m_type = Type::Real;
        v.m_int = r.mant;
        v.m_exp = r.exp;
        return v;
    }
    static Value real(int64_t i) { return real(Real::fromInt(i)); }
    static Value binary(uint64_t b)
    {
        Value v;
        v.m_type = Type::Binary;
        v.m_bits = b;
        return v;
    }
    // A command; role and target are the structure words' jump data.
    static Value command(int id, int role = 0, uint32_t target = 0)
    {
        Value v;
        v.m_type = Type::Command;
        v.m_aux = id;
        v.m_exp = static_cast<int16_t>(role);
        v.m_bits = target;
        return v;
    }
    static Value complex(const Real &re, const Real &im);
    static Value string(std::string bytes);
    static Value list(std::vector<Value> items);
    static Value program(std::vector<Value> items);
    // items in evaluation (postfix) order
    static Value algebraic(std::vector<Value> items);
    static Value global(std::string_view name, bool quoted = true);
    static Value local(std::string_view name, bool quoted = false);
    static Value name(const NameObj *n, Type t, bool quoted);
    static Value tagged(std::string tag, Value v);
    static Value directory(DirObj *d);

    Type type() const { return m_type; }
    bool isNull() const { return m_type == Type::Null; }
    bool isReal() const { return m_type == Type::Real; }
    bool isHeap() const { return m_type >= Type::Complex; }
    bool isName() const { return m_type == Type::GlobalName || m_type == Type::LocalName; }
    bool isSymbolic() const { return isName() || m_type == Type::Algebraic; }
    bool isSeq() const
    {
        return m_type == Type::List || m_type == Type::Program || m_type == Type::Algebraic;
    }
    bool quoted() const { return m_flags & Quoted; }
    Value withQuoted(bool q) const
    {
        Value v(*this);
        v.m_flags = q ? (v.m_flags | Quoted) : (v.m_flags & ~Quoted);
        return v;
    }

    Real asReal() const { return Real{m_int, m_exp}; }
    uint64_t asBinary() const { return m_bits; }
    int commandId() const { return m_aux; }
    int role() const { return m_exp; }
    uint32_t target() const { return static_cast<uint32_t>(m_bits); }
    // user function calls in algebraics: the argument count
    int callArgs() const { return m_aux; }
    Value withCallArgs(int n) const
    {
        Value v(*this);
        v.m_aux = n;
        return v;
    }

    const NameObj *asName() const { return reinterpret_cast<const NameObj *>(m_obj); }
    const SeqObj *asSeq() const { return reinterpret_cast<const SeqObj *>(m_obj); }
    const StringObj *asString() const { return reinterpret_cast<const StringObj *>(m_obj); }
    const ComplexObj *asComplex() const { return reinterpret_cast<const ComplexObj *>(m_obj); }
    const TaggedObj *asTagged() const { return reinterpret_cast<const TaggedObj *>(m_obj); }
    DirObj *asDir() const { return reinterpret_cast<DirObj *>(m_obj); }
    const Object *object() const { return isHeap() ? m_obj : nullptr; }

    // shortcuts
    const std::string &str() const;
    const std::vector<Value> &items() const;
    const std::string &nameText() const;
    // nesting depth of composite objects (1 for atoms)
    uint32_t depth() const;

private:
    void release()
    {
        if (isHeap())
            m_obj->unref();
    }

    union {
        int64_t m_int;
        uint64_t m_bits;
        Object *m_obj;
    };
    int16_t m_exp;
    Type m_type;
    uint8_t m_flags;
    int32_t m_aux;

    friend Value makeHeap(Object *o, Type t);
};

static_assert(sizeof(Value) == 16, "a Value stays two words");

// Wraps a new heap object (takes the first reference).
Value makeHeap(Object *o, Type t);

class StringObj : public Object
{
public:
    explicit StringObj(std::string b)
        : bytes(std::move(b))
    {
    }
    const std::string bytes;
};

class ComplexObj : public Object
{
public:
    ComplexObj(const Real &r, const Real &i)
        : re(r)
        , im(i)
    {
    }
    const Real re;
    const Real im;
};

// Lists, programs and algebraics: an ordered sequence of objects.
class SeqObj : public Object
{
public:
    SeqObj(std::vector<Value> v, uint32_t d)
        : items(std::move(v))
        , depth(d)
    {
    }
    const std::vector<Value> items;
    const uint32_t depth;
};

// Names are interned: one object per spelling for the whole process, so that
// comparing two names is comparing two pointers.
class NameObj : public Object
{
public:
    explicit NameObj(std::string t)
        : text(std::move(t))
    {
    }
    const std::string text;
};
const NameObj *internName(std::string_view text);

class TaggedObj : public Object
{
public:
    TaggedObj(std::string t, Value v)
        : tag(std::move(t))
        , value(std::move(v))
    {
    }
    const std::string tag;
    const Value value;
};

// A directory: variables in the order VARS shows them. Mutable, and held
// only by its parent's variable (or by HOME); a directory on the stack is a
// copy.
class DirObj : public Object
{
public:
    struct Var
    {
        const NameObj *name;
        Value value;
    };
    std::vector<Var> vars;

    Var *find(const NameObj *n)
    {
        for (auto &v : vars)
            if (v.name == n)
                return &v;
        return nullptr;
    }
    DirObj *clone() const;
};

// Structural equality as SAME sees it.
bool same(const Value &a, const Value &b);

} // namespace Calc
