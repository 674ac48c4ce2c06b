// Everyday commands that programs call without thinking of them: FACT,
// BYTES, CLVAR, the calendar (DATE+ DDAYS →DATE →TIME TSTR), row and column
// operations on matrices, user key assignments, RCLMENU, TEXT, SYSEVAL, and
// the 49 family's string and stack extras.
#include "calc/core/BinaryObject.h"
#include "calc/core/CommandTable.h"
#include "formats/NibbleText.h"
#include "calc/core/Compiler.h"
#include "calc/core/UserInterface.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace Calc {

namespace {

constexpr uint16_t K = KeepTags;

// ---- BYTES ------------------------------------------------------------------

// The calculators' checksum: the CRC-16 their hardware computes over an
// object's nibbles (polynomial x^16 + x^12 + x^5 + 1, one nibble at a time).
uint16_t nibbleCrc(const std::string &nibbles)
{
    uint32_t crc = 0;
    for (const char ch : nibbles) {
        const uint32_t n = static_cast<uint32_t>(ch <= '9' ? ch - '0' : ch - 'A' + 10);
        crc = (crc >> 4) ^ (((crc ^ n) & 0xF) * 0x1081);
    }
    return static_cast<uint16_t>(crc);
}

// ---- the calendar -------------------------------------------------------------

struct Ymd
{
    int64_t y, m, d;
};

// Days since 1 March of year 0 of the proleptic Gregorian calendar, and back
// (the calculators' dates run from 15 October 1582 to 31 December 9999).
int64_t dayNumber(const Ymd &t)
{
    const int64_t y = t.m <= 2 ? t.y - 1 : t.y;
    const int64_t m = t.m <= 2 ? t.m + 9 : t.m - 3;
    return 365 * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + t.d - 1;
}

Ymd fromDayNumber(int64_t n)
{
    int64_t y = (10000 * n + 14780) / 3652425;
    int64_t ddd = n - (365 * y + y / 4 - y / 100 + y / 400);
    if (ddd < 0) {
        --y;
        ddd = n - (365 * y + y / 4 - y / 100 + y / 400);
    }
    const int64_t mi = (100 * ddd + 52) / 3060;
    const int64_t mm = (mi + 2) % 12 + 1;
    y += (mi + 2) / 12;
    const int64_t dd = ddd - (mi * 306 + 5) / 10 + 1;
    return {y, mm, dd};
}

int daysInMonth(int64_t y, int64_t m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0))
        return 29;
    return days[m - 1];
}

const int64_t FirstDay = dayNumber({1582, 10, 15});
const int64_t LastDay = dayNumber({9999, 12, 31});

// A date as the calculators write it: MM.DDYYYY, or DD.MMYYYY with flag -42
// set; a date without a year (MM.DD) is in the current year.
Ymd dateOf(Engine &e, const Real &r)
{
    if (r.isNegative())
        throw CalcError(Err::BadArgumentValue);
    // the eight digits after the whole part, exactly
    const Real scaled = roundReal(r, 6, false);
    bool ok = false;
    RealCondition c = RealCondition::Ok;
    const int64_t all = mul(scaled, Real::fromInt(1000000), c).toInt(&ok);
    if (!ok)
        throw CalcError(Err::BadArgumentValue);
    const int64_t a = all / 1000000;
    const int64_t b = all / 10000 % 100;
    int64_t y = all % 10000;
    if (y == 0) {
        const std::time_t now = std::time(nullptr) + e.clockOffset();
        std::tm tm{};
        localtime_r(&now, &tm);
        y = tm.tm_year + 1900;
    }
    const Ymd t = e.flag(-42) ? Ymd{y, b, a} : Ymd{y, a, b};
    if (t.m < 1 || t.m > 12 || t.d < 1 || t.d > daysInMonth(t.y, t.m))
        throw CalcError(Err::BadArgumentValue);
    const int64_t n = dayNumber(t);
    if (n < FirstDay || n > LastDay)
        throw CalcError(Err::BadArgumentValue);
    return t;
}

Real dateValue(Engine &e, const Ymd &t)
{
    const int64_t a = e.flag(-42) ? t.d : t.m;
    const int64_t b = e.flag(-42) ? t.m : t.d;
    RealCondition c = RealCondition::Ok;
    return add(Real::fromInt(a),
               div(Real::fromInt(b * 10000 + t.y), Real::fromInt(1000000), c),
               c);
}

// A time as HH.MMSSss: whole seconds of the day; refused outside 0 to 24 h.
int64_t secondsOf(const Real &r)
{
    if (r.isNegative())
        throw CalcError(Err::BadArgumentValue);
    bool ok = false;
    RealCondition c = RealCondition::Ok;
    const int64_t all = mul(intPart(roundReal(r, 4, true)), Real::fromInt(1), c).toInt(&ok);
    const int64_t frac = mul(fracPart(roundReal(r, 4, true)), Real::fromInt(10000), c).toInt(&ok);
    const int64_t h = all;
    const int64_t m = frac / 100;
    const int64_t s = frac % 100;
    if (!ok || h > 23 || m > 59 || s > 59)
        throw CalcError(Err::BadArgumentValue);
    return h * 3600 + m * 60 + s;
}

std::tm nowTm(const Engine &e)
{
    const std::time_t now = std::time(nullptr) + e.clockOffset();
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm;
}

// ---- arrays -------------------------------------------------------------------

// A matrix (or a vector, seen as one row) as rows of elements.
struct Rows
{
    bool vector = false;
    std::vector<std::vector<Value>> rows;
    size_t cols = 0;
};

Rows rowsOf(const Value &v)
{
    const ArrayObj *a = v.asArray();
    Rows r;
    r.vector = !a->isMatrix();
    r.cols = a->cols();
    for (uint32_t i = 0; i < a->rows(); ++i)
        r.rows.emplace_back(a->elems.begin() + static_cast<ptrdiff_t>(i * r.cols),
                            a->elems.begin() + static_cast<ptrdiff_t>((i + 1) * r.cols));
    return r;
}

Value arrayOf(const Rows &r)
{
    std::vector<Value> elems;
    for (const auto &row : r.rows)
        elems.insert(elems.end(), row.begin(), row.end());
    promoteToComplex(elems);
    // the size is read before elems is moved into the call
    const auto count = static_cast<uint32_t>(elems.size());
    if (r.vector)
        return Value::array({count}, std::move(elems));
    if (r.rows.empty())
        throw CalcError(Err::InvalidDimension);
    return Value::array({static_cast<uint32_t>(r.rows.size()), static_cast<uint32_t>(r.cols)},
                        std::move(elems));
}

// Swaps rows and columns (column commands are row commands of the transpose).
Rows transposed(const Rows &r)
{
    Rows t;
    t.vector = false;
    t.cols = r.rows.size();
    for (size_t j = 0; j < r.cols; ++j) {
        std::vector<Value> row;
        for (const auto &src : r.rows)
            row.push_back(src[j]);
        t.rows.push_back(std::move(row));
    }
    return t;
}

// An index argument (1-based) that must name one of count places.
size_t indexAt(Engine &e, size_t level, size_t count)
{
    const int64_t n = intAt(e, level, 1, static_cast<int64_t>(count));
    return static_cast<size_t>(n - 1);
}

// ROW+ and COL+: array, rows (a vector or matrix, or a number for a vector),
// position.
void insertRows(Engine &e, bool columns)
{
    const Value base = e.level(3);
    const Value add = e.level(2);
    Rows r = rowsOf(base);
    if (r.vector) {
        // a vector takes single elements, in either command
        const size_t at = indexAt(e, 1, r.cols + 1);
        if (!isRealArg(add) && add.type() != Type::Complex)
            throw CalcError(Err::BadArgumentType);
        r.rows[0].insert(r.rows[0].begin() + static_cast<ptrdiff_t>(at),
                         add.type() == Type::Integer ? Value::real(realOfNumber(add)) : add);
        r.cols += 1;
        e.replace(3, arrayOf(r));
        return;
    }
    if (columns)
        r = transposed(r);
    const size_t at = indexAt(e, 1, r.rows.size() + 1);
    std::vector<std::vector<Value>> extra;
    if (add.type() == Type::Array) {
        const Rows a = rowsOf(add);
        if (a.vector) {
            extra.push_back(a.rows[0]);
        } else {
            const Rows t = columns ? transposed(a) : a;
            extra = t.rows;
        }
    } else {
        throw CalcError(Err::BadArgumentType);
    }
    for (const auto &row : extra)
        if (row.size() != r.cols)
            throw CalcError(Err::InvalidDimension);
    r.rows.insert(r.rows.begin() + static_cast<ptrdiff_t>(at), extra.begin(), extra.end());
    if (columns)
        r = transposed(r);
    e.replace(3, arrayOf(r));
}

// ROW- and COL-: array, position -> array without it, the row or column (an
// element for a vector).
void removeRow(Engine &e, bool columns)
{
    Rows r = rowsOf(e.level(2));
    if (r.vector) {
        if (r.cols < 2)
            throw CalcError(Err::InvalidDimension);
        const size_t at = indexAt(e, 1, r.cols);
        const Value x = r.rows[0][at];
        r.rows[0].erase(r.rows[0].begin() + static_cast<ptrdiff_t>(at));
        r.cols -= 1;
        e.drop(2);
        e.push(arrayOf(r));
        e.push(x);
        return;
    }
    if (columns)
        r = transposed(r);
    if (r.rows.size() < 2)
        throw CalcError(Err::InvalidDimension);
    const size_t at = indexAt(e, 1, r.rows.size());
    std::vector<Value> row = r.rows[at];
    r.rows.erase(r.rows.begin() + static_cast<ptrdiff_t>(at));
    if (columns)
        r = transposed(r);
    const uint32_t n = static_cast<uint32_t>(row.size());
    e.drop(2);
    e.push(arrayOf(r));
    e.push(Value::array({n}, std::move(row)));
}

void swapRows(Engine &e, bool columns)
{
    Rows r = rowsOf(e.level(3));
    if (r.vector) {
        const size_t i = indexAt(e, 2, r.cols);
        const size_t j = indexAt(e, 1, r.cols);
        std::swap(r.rows[0][i], r.rows[0][j]);
    } else {
        if (columns)
            r = transposed(r);
        const size_t i = indexAt(e, 2, r.rows.size());
        const size_t j = indexAt(e, 1, r.rows.size());
        std::swap(r.rows[i], r.rows[j]);
        if (columns)
            r = transposed(r);
    }
    e.replace(3, arrayOf(r));
}

// ---- user keys ----------------------------------------------------------------

// A key as rc.p: row 1-10 (1-9 on the 48 series... the 49 family has 10),
// column 1-6, shift plane 0-6 (0 and 1 unshifted).
Real keyCode(Engine &e, const Value &v)
{
    if (!isRealArg(v))
        throw CalcError(Err::BadArgumentType);
    const Real k = realOfNumber(v);
    const Real whole = intPart(k);
    bool ok = false;
    const int64_t rc = whole.toInt(&ok);
    RealCondition c = RealCondition::Ok;
    const int64_t p = mul(fracPart(k), Real::fromInt(10), c).toInt(&ok);
    const int64_t row = rc / 10;
    const int64_t col = rc % 10;
    if (!ok || row < 1 || row > (e.is49() ? 10 : 9) || col < 1 || col > 6 || p < 0 || p > 6)
        throw CalcError(Err::BadArgumentValue);
    // rc.0 and rc.1 are the same key
    if (p == 0)
        return add(whole, div(Real::fromInt(1), Real::fromInt(10), c), c);
    return k;
}

bool isStandardMark(const Value &v)
{
    return v.isName() && v.nameText() == "S";
}

void assignKey(Engine &e, const Value &obj, const Real &key)
{
    std::vector<Value> keys = e.userKeys();
    for (size_t i = 0; i + 1 < keys.size(); ++i) {
        if (keys[i + 1].type() == Type::Real && keys[i + 1].asReal() == key &&
            !isStandardMark(keys[i])) {
            keys.erase(keys.begin() + static_cast<ptrdiff_t>(i),
                       keys.begin() + static_cast<ptrdiff_t>(i + 2));
            break;
        }
    }
    // 'SKEY' gives the key back its standard meaning
    if (!(obj.isName() && obj.nameText() == "SKEY")) {
        keys.push_back(obj);
        keys.push_back(Value::real(key));
    }
    e.setUserKeys(std::move(keys));
}

// ---- SYSEVAL ------------------------------------------------------------------

// There is no ROM behind this calculator: a system address names code that
// does not exist here, so SYSEVAL says so instead of guessing.

// ---- parts of an algebraic ----------------------------------------------------

// How many operands an item of an algebraic takes.
int arityOf(const Value &v)
{
    if (v.type() == Type::Command)
        return commandArity(v.commandId());
    if (v.isName())
        return v.callArgs();
    return 0;
}

} // namespace

size_t rightOperandStart(const std::vector<Value> &items, size_t end)
{
    int need = 1;
    size_t i = end;
    while (i > 0) {
        --i;
        need += arityOf(items[i]) - 1;
        if (need == 0)
            return i;
    }
    throw CalcError(Err::InvalidSyntax);
}

namespace {

// A part of an algebraic as an object: a lone name or number stands alone.
Value partValue(const std::vector<Value> &items)
{
    if (items.size() == 1 && arityOf(items[0]) == 0) {
        if (items[0].isName())
            return items[0].withQuoted(true);
        if (items[0].type() != Type::Command)
            return items[0];
    }
    return Value::algebraic(items);
}

// A string's bytes as nibble text.
std::string nibblesOf(const std::string &bytes)
{
    const QByteArray n =
        BytesToNibbleText(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return std::string(n.constData(), static_cast<size_t>(n.size()));
}

const CommandDef defs[] = {
    {"FACT",
     1,
     {AReal},
     Function,
     [](Engine &e) { commandInfo(findCommand("!")).def.fn(e); },
     0,
     {{{AInt}, factOfInteger}}},
    {"BYTES",
     1,
     {AAny},
     K,
     [](Engine &e) {
         Value v = e.level(1);
         // a quoted global name measures the variable it names, as the
         // calculators do when a program says 'X' BYTES
         if (v.type() == Type::GlobalName)
             if (const Value *held = e.findGlobal(v.asName()))
                 v = *held;
         const std::string nibbles = encodeObject(v);
         RealCondition c = RealCondition::Ok;
         const Real size = div(Real::fromInt(static_cast<int64_t>(nibbles.size())),
                               Real::fromInt(2),
                               c);
         e.drop(1);
         e.push(Value::binary(nibbleCrc(nibbles)));
         e.push(Value::real(size));
     }},
    {"VERSION",
     0,
     {},
     0,
     [](Engine &e) {
         // what this machine is, in the two strings programs expect
         e.push(Value::string(e.is49() ? "Version Quorvane 5 (HP 49 family)"
                                       : "Version Quorvane 5 (HP 48 series)"));
         e.push(Value::string("Copyright the Quorvane authors"));
     }},
    {"CLVAR",
     0,
     {},
     0,
     [](Engine &e) {
         DirObj *dir = e.currentDir();
         // in the order VARS shows them; a directory that is not empty stops it
         while (!dir->vars.empty()) {
             const DirObj::Var &v = dir->vars.front();
             if (v.value.type() == Type::Directory && !v.value.asDir()->vars.empty())
                 throw CalcError(Err::NonEmptyDirectory);
             dir->vars.erase(dir->vars.begin());
         }
     }},
    // ---- the calendar
    {"DATE+",
     2,
     {AReal, AReal},
     0,
     [](Engine &e) {
         const Ymd t = dateOf(e, realAt(e, 2));
         bool ok = false;
         const int64_t days = intPart(realAt(e, 1)).toInt(&ok);
         const int64_t n = dayNumber(t) + days;
         if (!ok || n < FirstDay || n > LastDay)
             throw CalcError(Err::BadArgumentValue);
         e.replace(2, Value::real(dateValue(e, fromDayNumber(n))));
     }},
    {"DDAYS",
     2,
     {AReal, AReal},
     0,
     [](Engine &e) {
         const Ymd a = dateOf(e, realAt(e, 2));
         const Ymd b = dateOf(e, realAt(e, 1));
         e.replace(2, Value::real(dayNumber(b) - dayNumber(a)));
     }},
    {"→DATE",
     1,
     {AReal},
     0,
     [](Engine &e) {
         const Ymd t = dateOf(e, realAt(e, 1));
         const std::tm now = nowTm(e);
         const int64_t today = dayNumber({now.tm_year + 1900, now.tm_mon + 1, now.tm_mday});
         e.setClockOffset(e.clockOffset() + (dayNumber(t) - today) * 86400);
         e.drop(1);
     }},
    {"→TIME",
     1,
     {AReal},
     0,
     [](Engine &e) {
         const int64_t want = secondsOf(realAt(e, 1));
         const std::tm now = nowTm(e);
         const int64_t have = now.tm_hour * 3600 + now.tm_min * 60 + now.tm_sec;
         e.setClockOffset(e.clockOffset() + want - have);
         e.drop(1);
     }},
    {"TSTR",
     2,
     {AReal, AReal},
     0,
     [](Engine &e) {
         static const char *const dayNames[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
         const Ymd t = dateOf(e, realAt(e, 2));
         const int64_t s = secondsOf(realAt(e, 1));
         const int64_t weekday = (dayNumber(t) + 3) % 7; // 1 March 0 was a Wednesday
         int64_t h = s / 3600;
         char buf[64];
         const int64_t a = e.flag(-42) ? t.d : t.m;
         const int64_t b = e.flag(-42) ? t.m : t.d;
         const char sep = e.flag(-42) ? '.' : '/';
         std::string clock;
         if (e.flag(-41)) {
             std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(h),
                           static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
             clock = buf;
         } else {
             const bool pm = h >= 12;
             h %= 12;
             if (h == 0)
                 h = 12;
             std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld%c", static_cast<long long>(h),
                           static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60),
                           pm ? 'P' : 'A');
             clock = buf;
         }
         std::snprintf(buf, sizeof buf, "%s %02lld%c%02lld%c%02lld ", dayNames[weekday],
                       static_cast<long long>(a), sep, static_cast<long long>(b), sep,
                       static_cast<long long>(t.y % 100));
         e.replace(2, Value::string(buf + clock));
     }},
    // ---- rows and columns
    {"ROW+",
     3,
     {AReal, AArray | ANum, AArray},
     0,
     [](Engine &e) { insertRows(e, false); }},
    {"COL+",
     3,
     {AReal, AArray | ANum, AArray},
     0,
     [](Engine &e) { insertRows(e, true); }},
    {"ROW-", 2, {AReal, AArray}, 0, [](Engine &e) { removeRow(e, false); }},
    {"COL-", 2, {AReal, AArray}, 0, [](Engine &e) { removeRow(e, true); }},
    {"RSWP", 3, {AReal, AReal, AArray}, 0, [](Engine &e) { swapRows(e, false); }},
    {"CSWP", 3, {AReal, AReal, AArray}, 0, [](Engine &e) { swapRows(e, true); }},
    {"RCI",
     3,
     {AReal, ANum, AArray},
     0,
     [](Engine &e) {
         // matrix factor row RCI: the row times the factor
         Rows r = rowsOf(e.level(3));
         const Value f = e.level(2);
         const size_t i = indexAt(e, 1, r.rows.size());
         for (Value &x : r.rows[i])
             x = arith(e, ops().mul, f, x);
         e.replace(3, arrayOf(r));
     }},
    {"RCIJ",
     -1,
     {},
     0,
     [](Engine &e) {
         // matrix factor i j RCIJ: row j plus factor times row i
         e.need(4);
         const Value &m = e.level(4);
         const Value &f = e.level(3);
         if (m.type() != Type::Array || (!isRealArg(f) && f.type() != Type::Complex) ||
             !isRealArg(e.level(2)) || !isRealArg(e.level(1)))
             throw CalcError(Err::BadArgumentType);
         Rows r = rowsOf(m);
         const size_t i = indexAt(e, 2, r.rows.size());
         const size_t j = indexAt(e, 1, r.rows.size());
         e.saveLastArgs(4);
         for (size_t k = 0; k < r.cols; ++k)
             r.rows[j][k] = arith(e, ops().add, r.rows[j][k], arith(e, ops().mul, f, r.rows[i][k]));
         e.replace(4, arrayOf(r));
     }},
    // ---- keys and menus
    {"ASN",
     2,
     {AReal, AAny},
     0,
     [](Engine &e) {
         const Real key = keyCode(e, e.level(1));
         assignKey(e, e.level(2), key);
         e.drop(2);
     }},
    {"STOKEYS",
     1,
     {AList | AName},
     0,
     [](Engine &e) {
         const Value v = e.level(1);
         if (v.isName()) {
             if (!isStandardMark(v))
                 throw CalcError(Err::BadArgumentValue);
             std::vector<Value> keys = e.userKeys();
             if (keys.empty() || !isStandardMark(keys.front()))
                 keys.insert(keys.begin(), v);
             e.setUserKeys(std::move(keys));
             e.drop(1);
             return;
         }
         std::vector<Value> items = v.items();
         size_t at = 0;
         if (!items.empty() && isStandardMark(items.front())) {
             std::vector<Value> keys = e.userKeys();
             if (keys.empty() || !isStandardMark(keys.front()))
                 keys.insert(keys.begin(), items.front());
             e.setUserKeys(std::move(keys));
             at = 1;
         }
         if ((items.size() - at) % 2 != 0)
             throw CalcError(Err::BadArgumentValue);
         for (size_t i = at; i < items.size(); i += 2)
             keyCode(e, items[i + 1]); // all or nothing
         for (size_t i = at; i < items.size(); i += 2)
             assignKey(e, items[i], keyCode(e, items[i + 1]));
         e.drop(1);
     }},
    {"RCLKEYS", 0, {}, 0, [](Engine &e) { e.push(Value::list(e.userKeys())); }},
    {"DELKEYS",
     1,
     {AReal | AList | AName},
     0,
     [](Engine &e) {
         const Value v = e.level(1);
         std::vector<Value> keys = e.userKeys();
         auto removeKey = [&](const Real &key) {
             for (size_t i = 0; i + 1 < keys.size(); ++i)
                 if (!isStandardMark(keys[i]) && keys[i + 1].type() == Type::Real &&
                     keys[i + 1].asReal() == key) {
                     keys.erase(keys.begin() + static_cast<ptrdiff_t>(i),
                                keys.begin() + static_cast<ptrdiff_t>(i + 2));
                     return;
                 }
         };
         if (v.isName()) {
             // 'S': the standard keys are no longer active in user mode
             if (!isStandardMark(v))
                 throw CalcError(Err::BadArgumentValue);
             if (!keys.empty() && isStandardMark(keys.front()))
                 keys.erase(keys.begin());
         } else if (isRealArg(v) && realOfNumber(v).isZero()) {
             const bool standard = !keys.empty() && isStandardMark(keys.front());
             keys.clear();
             if (standard)
                 keys.push_back(Value::global("S"));
         } else if (isRealArg(v)) {
             removeKey(keyCode(e, v));
         } else {
             for (const Value &k : v.items())
                 removeKey(keyCode(e, k));
         }
         e.setUserKeys(std::move(keys));
         e.drop(1);
     }},
    {"RCLMENU",
     0,
     {},
     0,
     [](Engine &e) {
         UserInterface *ui = e.userInterface();
         e.push(Value::real(ui ? ui->menuShown() : Real{}));
     }},
    {"TEXT",
     0,
     {},
     0,
     [](Engine &e) {
         // back to the stack display: whatever a program froze or drew goes
         if (UserInterface *ui = e.userInterface())
             ui->freeze(0);
     }},
    {"SYSEVAL",
     1,
     {ABin},
     0,
     [](Engine &e) {
         const uint64_t a = e.level(1).asBinary();
         char buf[120];
         std::snprintf(buf, sizeof buf,
                       "SYSEVAL #%llXh: this calculator has no system ROM; use the UserRPL command that does the same",
                       static_cast<unsigned long long>(a));
         throw CalcError(Err::BadArgumentValue, buf);
     }},
    // ---- strings and the stack on the 49 family
    {"SREPL",
     3,
     {AString, AString, AString},
     Only49,
     [](Engine &e) {
         // text find replacement SREPL: every occurrence, and how many there were
         const std::string &s = e.level(3).str();
         const std::string &f = e.level(2).str();
         const std::string &r = e.level(1).str();
         std::string out;
         int64_t n = 0;
         if (f.empty()) {
             out = s;
         } else {
             size_t at = 0;
             for (;;) {
                 const size_t hit = s.find(f, at);
                 if (hit == std::string::npos)
                     break;
                 out.append(s, at, hit - at);
                 out += r;
                 at = hit + f.size();
                 ++n;
             }
             out.append(s, at, std::string::npos);
         }
         e.drop(3);
         e.push(Value::string(std::move(out)));
         e.push(Value::real(n));
     }},
    {"UNPICK",
     2,
     {AReal | ABin, AAny},
     K | Only49,
     [](Engine &e) {
         // obj n UNPICK: obj replaces what is at level n once both are gone
         const size_t n = static_cast<size_t>(intAt(e, 1, 1, Engine::MaxStack));
         e.need(n + 2);
         const Value v = e.level(2);
         e.drop(2);
         e.levelRef(n) = v;
     }},
    {"LOCAL",
     1,
     {AList},
     Only49,
     [](Engine &e) {
         // { 'A' 'B=5' } LOCAL: local variables of the running program, a
         // name alone holding 0, an equation its right side as it stands
         const Value list = e.level(1);
         std::vector<LocalVar> vars;
         for (const Value &x : list.items()) {
             if (x.isName()) {
                 vars.push_back({x.asName(), e.exactMode() ? integerValue(0) : Value::real(0)});
                 continue;
             }
             const auto &it = x.type() == Type::Algebraic ? x.items() : std::vector<Value>();
             if (it.size() < 3 || it.back().type() != Type::Command ||
                 it.back().commandId() != ops().equation)
                 throw CalcError(Err::BadArgumentType);
             const size_t split = rightOperandStart(it, it.size() - 1);
             if (split != 1 || !it.front().isName())
                 throw CalcError(Err::BadArgumentValue);
             const std::vector<Value> right(it.begin() + 1, it.end() - 1);
             vars.push_back({it.front().asName(), partValue(right)});
         }
         e.drop(1);
         e.bindProgramLocals(list, std::move(vars));
     }},
    {"NEWOB",
     1,
     {AAny},
     K,
     [](Engine &) {
         // objects here are never shared in a way a change could show
         // through, so the copy is the object itself
     }},
    {"LIBS",
     0,
     {},
     0,
     [](Engine &e) {
         // no library is attached to this calculator's memory
         e.push(Value::list({}));
     }},
    {"EQ→",
     1,
     {AAlg | AName | AReal | AComplex},
     0,
     [](Engine &e) {
         // 'left=right' gives left and right; anything else itself and 0
         const Value v = e.level(1);
         if (v.type() == Type::Algebraic) {
             const auto &it = v.items();
             if (!it.empty() && it.back().type() == Type::Command &&
                 it.back().commandId() == ops().equation) {
                 const size_t split = rightOperandStart(it, it.size() - 1);
                 const std::vector<Value> left(it.begin(), it.begin() + static_cast<ptrdiff_t>(split));
                 const std::vector<Value> right(it.begin() + static_cast<ptrdiff_t>(split), it.end() - 1);
                 e.drop(1);
                 e.push(partValue(left));
                 e.push(partValue(right));
                 return;
             }
         }
         e.push(Value::real(0));
     }},
    // ---- objects as hexadecimal text and composites (the 49 family's
    // development library)
    {"→H",
     1,
     {AAny},
     K | Only49,
     [](Engine &e) {
         // the object's binary form, one hexadecimal digit per nibble
         e.replace(1, Value::string(encodeObject(e.level(1))));
     }},
    {"H→",
     1,
     {AString},
     Only49,
     [](Engine &e) {
         const DecodedObject d = decodeObject(e.level(1).str());
         if (!d.ok())
             throw CalcError(Err::BadArgumentValue, "H\x8D: " + d.error);
         e.replace(1, d.value);
     }},
    {"S→H",
     1,
     {AString},
     Only49,
     [](Engine &e) {
         // each character as two hexadecimal digits, low nibble first
         e.replace(1, Value::string(nibblesOf(e.level(1).str())));
     }},
    {"H→S",
     1,
     {AString},
     Only49,
     [](Engine &e) {
         const std::string &h = e.level(1).str();
         if (h.size() % 2 != 0)
             throw CalcError(Err::BadArgumentValue);
         for (const char c : h)
             if (HexDigitValue(c) < 0)
                 throw CalcError(Err::BadArgumentValue);
         const QByteArray b = NibbleTextToBytes(QByteArray(h.data(), static_cast<qsizetype>(h.size())));
         e.replace(1, Value::string(std::string(b.constData(), static_cast<size_t>(b.size()))));
     }},
    {"CRC",
     1,
     {AString},
     Only49,
     [](Engine &e) {
         // the calculators' CRC over the string's nibbles (low nibble first)
         e.replace(1, Value::binary(nibbleCrc(nibblesOf(e.level(1).str()))));
     }},
    {"→LST",
     1,
     {AList | AProgram | AAlg},
     Only49,
     [](Engine &e) { e.replace(1, Value::list(e.level(1).items())); }},
    {"→PRG",
     1,
     {AList | AProgram | AAlg},
     Only49,
     [](Engine &e) {
         std::vector<Value> items = e.level(1).items();
         if (needsLink(items))
             items = linkStructures(std::move(items));
         e.replace(1, Value::program(std::move(items)));
     }},
    {"→ALG",
     1,
     {AList | AProgram | AAlg},
     Only49,
     [](Engine &e) { e.replace(1, Value::algebraic(e.level(1).items())); }},
    {"COMP→",
     1,
     {AList | AProgram | AAlg},
     Only49,
     [](Engine &e) {
         const Value v = e.level(1);
         e.drop(1);
         for (const Value &x : v.items())
             e.push(x);
         e.push(Value::real(static_cast<int64_t>(v.items().size())));
     }},
    {"S~N",
     1,
     {AString | AName},
     Only49,
     [](Engine &e) {
         // a string becomes the name it spells, a name its string
         const Value v = e.level(1);
         if (v.type() == Type::String) {
             if (v.str().empty() || v.str().size() > 127)
                 throw CalcError(Err::BadArgumentValue);
             e.replace(1, Value::global(v.str()));
         } else {
             e.replace(1, Value::string(v.nameText()));
         }
     }},
};

} // namespace

CommandGroup everydayCommands()
{
    return group(defs);
}

} // namespace Calc
