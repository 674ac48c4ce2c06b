// The two commands behind the editor's command-line wrapper (see
// BinaryObject.h): a string run as a command line, as ENTER runs it, and the
// same followed by EVAL of level 1 when the command line left a new object.
#include "calc/core/BinaryObject.h"
#include "calc/core/CommandTable.h"

namespace Calc {

namespace {

// After the command line has run: EVAL of level 1 when the stack grew past
// the depth it had without the string.
class EvalIfNew : public Continuation
{
public:
    explicit EvalIfNew(size_t depth)
        : m_depth(depth)
    {
    }
    void resume(Engine &e) override
    {
        e.popFrame();
        if (e.depth() > m_depth)
            e.scheduleEval(e.pop());
    }

private:
    size_t m_depth;
};

void runLine(Engine &e, bool thenEval)
{
    // the editor leaves a %%HP: header in front when its modes matter
    // (F(,) for decimal commas)
    const std::string &text = e.level(1).str();
    const size_t at = text.find_first_not_of(" \t\r\n");
    Value line;
    try {
        line = at != std::string::npos && text.compare(at, 5, "%%HP:") == 0 ? e.compileReceived(text, false)
                                                                            : e.compile(text);
    } catch (CalcError &error) {
        error.command = std::string(); // the line's syntax, not this command, failed
        throw;
    }
    e.drop(1);
    if (thenEval)
        e.pushContinuation(new EvalIfNew(e.depth()));
    e.scheduleEval(line);
}

const CommandDef defs[] = {
    {"→ENTER", 1, {AString}, NoLastArg, [](Engine &e) { runLine(e, false); }},
    {"→ENTER→EVAL", 1, {AString}, NoLastArg, [](Engine &e) { runLine(e, true); }},
};

} // namespace

CommandGroup transferCommands()
{
    return group(defs);
}

} // namespace Calc
