#include "calc/core/CommandTable.h"

#include "formats/CalcCharset.h"

#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace Calc {

namespace {

struct KnownName
{
    const char *name; // UTF-8
    uint8_t models;   // 1: 48 series, 2: 49 family
};

const KnownName knownNames[] = {
#include "KnownCommands.inc"
};

constexpr uint16_t S = Structure;

// The words the compiler links into jumps; their order is the Op enum's.
const CommandDef structureWords[] = {
    {"IF", 0, {}, S, nullptr},
    {"THEN", 0, {}, S, nullptr},
    {"ELSE", 0, {}, S, nullptr},
    {"END", 0, {}, S, nullptr},
    {"CASE", 0, {}, S, nullptr},
    {"IFERR", 0, {}, S, nullptr},
    {"START", 0, {}, S, nullptr},
    {"FOR", 0, {}, S, nullptr},
    {"NEXT", 0, {}, S, nullptr},
    {"STEP", 0, {}, S, nullptr},
    {"DO", 0, {}, S, nullptr},
    {"UNTIL", 0, {}, S, nullptr},
    {"WHILE", 0, {}, S, nullptr},
    {"REPEAT", 0, {}, S, nullptr},
    {"→", 0, {}, S, nullptr},
};
static_assert(sizeof(structureWords) / sizeof(structureWords[0]) == OpFirstOrdinary);

std::string toCalcBytes(const char *utf8)
{
    const QByteArray b = CalcCharset::encode(QString::fromUtf8(utf8));
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

struct Table
{
    std::vector<CommandInfo> commands;
    std::unordered_map<std::string, int> byName;
    std::vector<uint8_t> models; // per id: 1 = 48, 2 = 49, 3 = both
    CommonOps common{};

    int add(const CommandDef &d, bool implemented)
    {
        CommandInfo ci;
        ci.name = toCalcBytes(d.name);
        ci.def = d;
        ci.id = static_cast<int>(commands.size());
        ci.implemented = implemented;
        auto it = byName.find(ci.name);
        if (it != byName.end()) {
            // a command has one row, which lists all its argument kinds
            std::fprintf(stderr, "The command %s is defined twice\n", d.name);
            std::abort();
        }
        byName.emplace(ci.name, ci.id);
        commands.push_back(ci);
        models.push_back(3);
        return ci.id;
    }

    Table()
    {
        for (const auto &d : structureWords)
            add(d, true);
        for (const CommandGroup &g : allCommandGroups())
            for (size_t i = 0; i < g.count; ++i)
                add(g.defs[i], g.defs[i].fn != nullptr);
        for (const auto &k : knownNames) {
            const std::string bytes = toCalcBytes(k.name);
            auto it = byName.find(bytes);
            int id;
            if (it == byName.end()) {
                CommandDef d{k.name, -1, {}, 0, nullptr};
                id = add(d, false);
            } else {
                id = it->second;
            }
            models[static_cast<size_t>(id)] = k.models;
        }
        auto idOf = [this](const char *n) {
            auto it = byName.find(toCalcBytes(n));
            return it == byName.end() ? -1 : it->second;
        };
        common.add = idOf("+");
        common.sub = idOf("-");
        common.mul = idOf("*");
        common.div = idOf("/");
        common.pow = idOf("^");
        common.neg = idOf("NEG");
        common.eq = idOf("==");
        common.same = idOf("SAME");
        common.sqrt = idOf("√");
        common.inv = idOf("INV");
        common.equation = idOf("=");
    }
};

const Table &table()
{
    static const Table t;
    return t;
}

} // namespace

CommandFn overloadFor(const CommandDef &d, const std::vector<Value> &stack)
{
    const bool keepTags = d.flags & KeepTags;
    auto takes = [&](const uint32_t(&args)[3]) {
        for (int i = 0; i < d.argc; ++i)
            if (!hasKind(stack[stack.size() - 1 - static_cast<size_t>(i)],
                         args[i < 3 ? i : 2],
                         keepTags))
                return false;
        return true;
    };
    if (takes(d.args))
        return d.fn;
    for (const Overload &o : d.more)
        if (o.fn && takes(o.args))
            return o.fn;
    return nullptr;
}

uint32_t acceptedKinds(const CommandDef &d, int level)
{
    const int i = level < 3 ? level : 2;
    uint32_t kinds = d.args[i];
    for (const Overload &o : d.more)
        if (o.fn)
            kinds |= o.args[i];
    return kinds;
}

const CommandInfo &commandInfo(int id)
{
    return table().commands[static_cast<size_t>(id)];
}

int commandCount()
{
    return static_cast<int>(table().commands.size());
}

int findCommand(std::string_view name, bool is49)
{
    const Table &t = table();
    auto it = t.byName.find(std::string(name));
    if (it == t.byName.end())
        return -1;
    if (!(t.models[static_cast<size_t>(it->second)] & (is49 ? 2 : 1)))
        return -1; // not a command of this model: an ordinary name there
    return it->second;
}

int commandArity(int id)
{
    const CommandInfo &ci = commandInfo(id);
    if (!(ci.def.flags & (Function | Constant)))
        return 0;
    return ci.def.argc < 0 ? 0 : ci.def.argc;
}

const CommonOps &ops()
{
    return table().common;
}

Coverage coverage(bool is49)
{
    Coverage c;
    const Table &t = table();
    for (const auto &k : knownNames) {
        if (!(k.models & (is49 ? 2 : 1)))
            continue;
        ++c.known;
        auto it = t.byName.find(toCalcBytes(k.name));
        if (it != t.byName.end() && t.commands[static_cast<size_t>(it->second)].implemented)
            ++c.implemented;
        else
            c.missing.push_back(k.name);
    }
    return c;
}

std::vector<std::string> knownCommandNames(bool is49)
{
    std::vector<std::string> out;
    for (const auto &k : knownNames)
        if (k.models & (is49 ? 2 : 1))
            out.push_back(toCalcBytes(k.name));
    return out;
}

} // namespace Calc
