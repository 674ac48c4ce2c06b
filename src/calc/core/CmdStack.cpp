// Stack commands.
#include "calc/core/CommandTable.h"

#include <algorithm>

namespace Calc {

namespace {

constexpr uint16_t K = KeepTags;

void dupN(Engine &e, size_t n)
{
    e.need(n);
    for (size_t i = 0; i < n; ++i)
        e.push(e.level(n));
}

// Moves level n to the top.
void roll(Engine &e, size_t n)
{
    e.need(n);
    auto &s = e.stack();
    if (n > 1)
        std::rotate(s.end() - n, s.end() - n + 1, s.end());
}

// Moves the top to level n.
void rolld(Engine &e, size_t n)
{
    e.need(n);
    auto &s = e.stack();
    if (n > 1)
        std::rotate(s.end() - n, s.end() - 1, s.end());
}

const CommandDef defs[] = {
    {"DUP", 1, {AAny}, K, [](Engine &e) { e.push(e.level(1)); }},
    {"DUP2", 2, {AAny, AAny}, K, [](Engine &e) { dupN(e, 2); }},
    {"DUPDUP",
     1,
     {AAny},
     K,
     [](Engine &e) {
         dupN(e, 1);
         dupN(e, 1);
     }},
    {"DUPN",
     1,
     {AReal | ABin},
     K,
     [](Engine &e) {
         const size_t n = static_cast<size_t>(intAt(e, 1, 0, Engine::MaxStack));
         e.need(n + 1);
         e.drop(1);
         dupN(e, n);
     }},
    {"NDUPN",
     2,
     {AReal | ABin, AAny},
     K,
     [](Engine &e) {
         const int64_t n = intAt(e, 1, 0, Engine::MaxStack);
         const Value v = e.level(2);
         e.drop(2);
         for (int64_t i = 0; i < n; ++i)
             e.push(v);
         e.push(Value::real(n));
     }},
    {"DROP", 1, {AAny}, K, [](Engine &e) { e.drop(1); }},
    {"DROP2", 2, {AAny, AAny}, K, [](Engine &e) { e.drop(2); }},
    {"DROPN",
     1,
     {AReal | ABin},
     K,
     [](Engine &e) {
         const size_t n = static_cast<size_t>(intAt(e, 1, 0, Engine::MaxStack));
         e.need(n + 1);
         e.drop(n + 1);
     }},
    {"SWAP", 2, {AAny, AAny}, K, [](Engine &e) { std::swap(e.levelRef(1), e.levelRef(2)); }},
    {"OVER", 2, {AAny, AAny}, K, [](Engine &e) { e.push(e.level(2)); }},
    {"ROT", 3, {AAny, AAny, AAny}, K, [](Engine &e) { roll(e, 3); }},
    {"UNROT", 3, {AAny, AAny, AAny}, K, [](Engine &e) { rolld(e, 3); }},
    {"PICK",
     1,
     {AReal | ABin},
     K,
     [](Engine &e) {
         const size_t n = static_cast<size_t>(intAt(e, 1, 0, Engine::MaxStack));
         if (n == 0)
             throw CalcError(Err::BadArgumentValue);
         e.need(n + 1);
         e.replace(1, e.level(n + 1));
     }},
    {"PICK3", 3, {AAny, AAny, AAny}, K, [](Engine &e) { e.push(e.level(3)); }},
    {"ROLL",
     1,
     {AReal | ABin},
     K,
     [](Engine &e) {
         const size_t n = static_cast<size_t>(intAt(e, 1, 0, Engine::MaxStack));
         e.need(n + 1);
         e.drop(1);
         roll(e, n);
     }},
    {"ROLLD",
     1,
     {AReal | ABin},
     K,
     [](Engine &e) {
         const size_t n = static_cast<size_t>(intAt(e, 1, 0, Engine::MaxStack));
         e.need(n + 1);
         e.drop(1);
         rolld(e, n);
     }},
    {"DEPTH", 0, {}, 0, [](Engine &e) { e.push(Value::real(static_cast<int64_t>(e.depth()))); }},
    {"CLEAR", 0, {}, 0, [](Engine &e) { e.stack().clear(); }},
    {"NIP",
     2,
     {AAny, AAny},
     K,
     [](Engine &e) {
         Value v = e.level(1);
         e.replace(2, std::move(v));
     }},
};

} // namespace

CommandGroup stackCommands()
{
    return group(defs);
}

} // namespace Calc
