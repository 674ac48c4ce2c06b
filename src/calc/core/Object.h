#pragma once

#include "calc/core/Real.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
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
    Array,     // vector or matrix of reals or of complex numbers
    Grob,      // a picture
    Character, // one character (no typed form; comes from object files)
    Unit,      // a number with a unit (Units.h holds their algebra)
    Integer,   // an exact integer of the 49 family (Integer.h)
    Native,    // an evaluator continuation; never on the stack
};

// Nesting deeper than this ends in "Insufficient Memory": it bounds every
// recursive walk (decompiling, comparing, freeing, saving) over an object.
constexpr uint32_t MaxNesting = 2000;
// A string longer than this is "Insufficient Memory".
constexpr size_t MaxStringBytes = 64u << 20;
// An array larger than this is "Insufficient Memory".
constexpr size_t MaxArrayElements = 16u << 20;

// The calculator's memory: every heap object (strings, lists, programs,
// algebraics, names, arrays, pictures, directories ...) counts its bytes
// against one budget for the process, so that a runaway program (a list
// doubled in a loop) ends in "Insufficient Memory", with the engine still
// usable, long before it takes the desktop down.
constexpr size_t DefaultMemoryBudget = 256u << 20;
void setMemoryBudget(size_t bytes);
size_t memoryBudget();
// Bytes that the objects alive now count.
size_t memoryInUse();
// Throws "Insufficient Memory" when bytes more would pass the budget.
void checkMemory(size_t bytes);

class Object;
class NameObj;
class NameRef;
class Value;
Value makeHeap(Object *o, Type t);
NameRef internName(std::string_view text);

class Object
{
public:
    Object() = default;
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;
    virtual ~Object();

    void ref() const { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void unref() const
    {
        if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }
    int refCount() const { return m_refs.load(std::memory_order_relaxed); }

    // What this object counts against the memory budget.
    size_t bytes() const { return m_bytes; }
    // Counts bytes more (or fewer) for an object that grew in place; more
    // than the budget allows is "Insufficient Memory" and changes nothing.
    void account(int64_t delta) const;

private:
    mutable std::atomic<int32_t> m_refs{0};
    mutable uint32_t m_bytes = 0;
    friend Value makeHeap(Object *o, Type t);
    friend NameRef internName(std::string_view text);
};

class NameObj;
class SeqObj;
class StringObj;
class ComplexObj;
class TaggedObj;
class DirObj;
class ArrayObj;
class GrobObj;
class UnitObj;

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
    // elems are all reals or all complex numbers, row by row; dims holds
    // the length of a vector or the rows and columns of a matrix
    static Value array(std::vector<uint32_t> dims, std::vector<Value> elems);
    static Value grob(GrobObj *g);
    static Value character(unsigned char c);
    // number: a real or complex; unit: its canonical text ("m/s^2")
    static Value unit(Value number, std::string unit);

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
    const ArrayObj *asArray() const { return reinterpret_cast<const ArrayObj *>(m_obj); }
    const GrobObj *asGrob() const { return reinterpret_cast<const GrobObj *>(m_obj); }
    const UnitObj *asUnit() const { return reinterpret_cast<const UnitObj *>(m_obj); }
    unsigned char asChar() const;
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
    // Changed only by appendToString, while one holder has it alone.
    std::string bytes;
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
    // Changed only by appendToList, while one holder has the list alone.
    std::vector<Value> items;
    uint32_t depth;
};

// Appends in place to a list or string that one stack level or variable
// holds alone (the caller has made sure: Engine::mayGrow): a loop that
// builds a list or a string one element at a time then costs each append
// once instead of a copy of everything before it. Appending only keeps
// every earlier element where it was, so a shorter view of the same object
// stays right. Limits as for new objects ("Insufficient Memory").
void appendToList(const Value &list, const Value &item, bool spliceList);
void appendToString(const Value &str, std::string_view bytes);

// Names are interned: one object per spelling while anything holds it, so
// that comparing two names is comparing two pointers. A name nothing refers
// to any more is freed (a program that makes names in a loop does not keep
// them all), so whatever keeps a name beyond one expression holds a NameRef.
class NameObj : public Object
{
public:
    explicit NameObj(std::string t)
        : text(std::move(t))
    {
    }
    ~NameObj() override;
    const std::string text;
};

// A counted reference to an interned name. It gives its pointer only from
// an lvalue or through get(): `const NameObj *n = internName(x);` would keep
// a pointer to a name that may be freed at the end of the statement, so it
// does not compile.
class NameRef
{
public:
    NameRef() = default;
    NameRef(const NameObj *n)
        : m_name(n)
    {
        if (m_name)
            m_name->ref();
    }
    NameRef(const NameRef &o)
        : NameRef(o.m_name)
    {
    }
    NameRef(NameRef &&o) noexcept
        : m_name(o.m_name)
    {
        o.m_name = nullptr;
    }
    NameRef &operator=(NameRef o) noexcept
    {
        std::swap(m_name, o.m_name);
        return *this;
    }
    ~NameRef()
    {
        if (m_name)
            m_name->unref();
    }
    // Takes over a reference already counted (internName's).
    static NameRef adopt(const NameObj *n)
    {
        NameRef r;
        r.m_name = n;
        return r;
    }

    const NameObj *get() const { return m_name; }
    operator const NameObj *() const & { return m_name; }
    operator const NameObj *() const && = delete;
    const NameObj *operator->() const { return m_name; }
    bool operator==(const NameRef &o) const { return m_name == o.m_name; }
    bool operator==(const NameObj *n) const { return m_name == n; }

private:
    const NameObj *m_name = nullptr;
};
NameRef internName(std::string_view text);

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
        NameRef name;
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

// Vectors and matrices. Arrays are homogeneous, as on the calculators: every
// element is a real, or every element a complex number.
class ArrayObj : public Object
{
public:
    ArrayObj(std::vector<uint32_t> d, std::vector<Value> e)
        : dims(std::move(d))
        , elems(std::move(e))
    {
    }
    const std::vector<uint32_t> dims; // {n} for a vector, {rows, cols} for a matrix
    const std::vector<Value> elems;

    bool isMatrix() const { return dims.size() == 2; }
    bool isComplex() const { return !elems.empty() && elems.front().type() == Type::Complex; }
    uint32_t rows() const { return isMatrix() ? dims[0] : 1; }
    uint32_t cols() const { return isMatrix() ? dims[1] : dims[0]; }
    // x as an element of this array: a real becomes complex in an array of
    // complex numbers
    Value element(const Value &x) const;
};

// An array holds one kind of number: the reals of elems become complex
// numbers when one of the elements is complex.
void promoteToComplex(std::vector<Value> &elems);

// A picture, stored as the calculator stores it: each row padded to whole
// bytes, pixel x of a row in bit (x mod 8) of its byte x/8; a set bit is a
// dark pixel. The only mutable object besides directories: PICT is drawn on
// in place while the engine holds the sole reference.
class GrobObj : public Object
{
public:
    GrobObj(uint32_t w, uint32_t h)
        : width(w)
        , height(h)
        , rowBytes((w + 7) / 8)
        , bits(static_cast<size_t>(rowBytes) * h, 0)
    {
    }
    const uint32_t width;
    const uint32_t height;
    const uint32_t rowBytes;
    std::vector<uint8_t> bits;

    bool pixel(int64_t x, int64_t y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return false;
        return bits[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x >> 3)] >> (x & 7) & 1;
    }
    void setPixel(int64_t x, int64_t y, bool on)
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        uint8_t &b = bits[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x >> 3)];
        const uint8_t m = static_cast<uint8_t>(1u << (x & 7));
        b = on ? (b | m) : (b & ~m);
    }
    GrobObj *clone() const
    {
        auto *g = new GrobObj(width, height);
        g->bits = bits;
        return g;
    }
};
// The largest picture accepted (either side), so that a typed size cannot
// exhaust memory.
constexpr uint32_t MaxGrobSide = 8192;

class UnitObj : public Object
{
public:
    UnitObj(Value n, std::string u)
        : number(std::move(n))
        , unit(std::move(u))
    {
    }
    const Value number;
    const std::string unit;
};

// Structural equality as SAME sees it.
bool same(const Value &a, const Value &b);

} // namespace Calc
