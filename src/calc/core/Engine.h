#pragma once

#include "calc/core/Errors.h"
#include "calc/core/Object.h"

#include <atomic>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace Calc {

enum class Model : uint8_t { HP48GX, HP49G, HP50G };

class Engine;
class UserInterface;
struct MachineState;

// The algebraic that applies command id to argc arguments (in stack order,
// deepest first): names, algebraics, reals and complex numbers.
Value makeSymbolic(int id, const Value *args, int argc);

// Code that a command leaves on the return stack to be called back when the
// evaluation it asked for has finished (DOLIST, SEQ, ->NUM ...). Commands
// never call the evaluator recursively, so user code they run can be halted,
// single-stepped and interrupted like any other, and deep programs never grow
// the C++ stack.
class Continuation : public Object
{
public:
    // The evaluation asked for is done. Either schedule the next one or
    // finish (popFrame() the own frame and push the results).
    virtual void resume(Engine &e) = 0;
    // The frame is dropped by an error, KILL or an interrupt.
    virtual void unwind(Engine &) {}
};

enum class FrameKind : uint8_t {
    Seq,    // running the items [pc, end) of a program, list or algebraic
    Locals, // local variables bound from localBase up; dropped on return
    Trap,   // IFERR: on an error, continue the Seq below at pc
    Loop,   // START or FOR: its body runs as a Seq above it
    Native, // a Continuation
};

struct Frame
{
    FrameKind kind = FrameKind::Seq;
    bool isFor = false;
    uint32_t pc = 0;
    uint32_t end = 0;
    const SeqObj *seq = nullptr;
    Value hold; // keeps seq (or the continuation) alive where needed
    uint32_t localBase = 0;
    Real counter; // START's counter (FOR counts in its local variable)
    Real limit;
};

struct LocalVar
{
    NameRef name;
    Value value;
};

class Engine
{
public:
    explicit Engine(Model model = Model::HP50G);
    ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    Model model() const { return m_model; }
    bool is49() const { return m_model != Model::HP48GX; }
    // Memory reset: empty stack, empty HOME, default flags.
    void reset();

    // ---- running --------------------------------------------------------
    enum class Status { Done, Halted, Error, Interrupted };

    // Compiles a command line and runs it, as ENTER does. A syntax error
    // leaves the stack untouched and returns Error with "Invalid Syntax".
    Status enter(std::string_view commandLine);
    // Runs a received text file as ENTER does: its %%HP: header's fields
    // decide the decimal mark (F(,) reads "1,5" as one and a half) and the
    // angle of polar input, for this text only; the header and the comment
    // lines in front are skipped and the text translated as T(...) asks.
    Status enterReceived(std::string_view fileBytes);
    // Evaluates one object as EVAL does.
    Status evaluate(const Value &v);
    // Continues the most recently halted program (CONT).
    Status resumeHalted();
    // Runs the halted program until it has executed one more object of its
    // own program (single step); Done when nothing is halted.
    Status stepHalted();
    // As stepHalted, but a subprogram that the object calls is entered and
    // halted before its own first object (SST with the arrow down).
    Status stepIntoHalted();
    // Starts a program halted before its first object (the debugger's DBUG).
    Status debug(const Value &program);
    // The next objects the most recently halted program will run, at most n.
    std::vector<Value> haltedNext(size_t n) const;
    // Stops the running program soon; safe from any thread (the ON key).
    void requestInterrupt();
    bool hasHalted() const { return !m_halted.empty(); }
    int haltedCount() const { return static_cast<int>(m_halted.size()); }
    void killHalted();
    const CalcError &lastError() const { return m_lastError; }

    // Compiles text (calculator bytes) into the objects of a command line,
    // as a program without delimiters. Throws CalcError on a syntax error.
    Value compile(std::string_view text) const;
    Value compile(std::string_view text, bool commaMark, AngleMode angle) const;
    // Compiles a received text file as enterReceived runs it; without
    // translate the text is taken as calculator bytes (the editor's command
    // line: only the header's modes count).
    Value compileReceived(std::string_view fileBytes, bool translate = true) const;

    // What DISP, INPUT, CHOOSE and the other commands that talk to the user
    // go through; none: output is dropped and requests are cancelled. Not
    // owned; set it before running.
    void setUserInterface(UserInterface *ui) { m_ui.store(ui, std::memory_order_release); }
    UserInterface *userInterface() const { return m_ui.load(std::memory_order_acquire); }

    // ---- the stack ------------------------------------------------------
    std::vector<Value> &stack() { return m_stack; }
    const std::vector<Value> &stack() const { return m_stack; }
    size_t depth() const { return m_stack.size(); }
    // level 1 is the top
    const Value &level(size_t n) const { return m_stack[m_stack.size() - n]; }
    Value &levelRef(size_t n) { return m_stack[m_stack.size() - n]; }
    void push(Value v)
    {
        if (m_stack.size() >= MaxStack)
            throw CalcError(Err::InsufficientMemory);
        if (m_stack.size() == m_stack.capacity())
            growStack();
        m_stack.push_back(std::move(v));
    }
    // What MEM reports: the budget less the objects alive and the stacks.
    size_t memoryFree() const;
    Value pop();
    void drop(size_t n);
    // drops n levels and pushes v
    void replace(size_t n, Value v);
    void need(size_t n) const
    {
        if (m_stack.size() < n)
            throw CalcError(Err::TooFewArguments);
    }

    // ---- text -----------------------------------------------------------
    // The ->STR form in the current display modes.
    std::string toText(const Value &v) const;
    // The display form of a real in the current modes.
    std::string realText(const Real &r) const;
    NumberFormat numberFormat() const;

    // ---- flags and modes ------------------------------------------------
    // n > 0 user flags, n < 0 system flags; 1..64 (48) or 1..128 (49)
    bool flag(int n) const;
    void setFlag(int n, bool on);
    int maxFlag() const { return is49() ? 128 : 64; }
    AngleMode angleMode() const;
    int wordSize() const;
    int binaryBase() const; // 2, 8, 10, 16
    bool numericResults() const { return flag(-3) || m_numeric > 0; }
    // Exact mode of the 49 family (flag -105 clear): integers stay integers.
    bool exactMode() const { return is49() && !flag(-105); }
    void enterNumeric() { ++m_numeric; }
    void leaveNumeric()
    {
        if (m_numeric > 0)
            --m_numeric;
    }
    uint64_t flagWord(bool system, int part) const;
    void setFlagWord(bool system, int part, uint64_t v);

    // A real result after the calculators' exception rules (flags -20 to
    // -26): substitutes a value and sets an indicator flag, or throws.
    Real checked(const Real &r, const RealCondition &c);

    // ---- variables ------------------------------------------------------
    DirObj *home() const { return m_home.asDir(); }
    DirObj *currentDir() const { return m_path.back(); }
    const std::vector<DirObj *> &path() const { return m_path; }
    const std::vector<NameRef> &pathNames() const { return m_pathNames; }
    // Finds a global variable in the current directory or up the path.
    Value *findGlobal(const NameObj *n);
    // Finds a local variable (innermost first).
    Value *findLocal(const NameObj *n);
    // STO: into a local when one is bound, else the current directory.
    void store(const Value &name, const Value &v);
    Value recall(const Value &name);
    // The variable that STO would replace, when it exists and holds no
    // directory: a bound local, or one of the current directory.
    Value *storeSlot(const Value &name);
    void purge(const Value &name);
    void createDir(const NameObj *n);
    void enterDir(DirObj *d, const NameObj *n);
    void upDir();
    void homeDir();
    void setPath(const std::vector<NameRef> &names); // from HOME; false names skipped

    // ---- evaluation services for commands -------------------------------
    // Schedules the evaluation of v (EVAL semantics). The evaluation runs
    // after the current command returns.
    void scheduleEval(const Value &v);
    // Schedules a continuation; it is resumed once everything scheduled
    // after it has finished.
    void pushContinuation(Continuation *c);
    // Removes the top frame (a continuation finishing).
    void popFrame();
    // Frames on the return stack: a command that schedules an evaluation
    // sees it grow when something is left to run.
    size_t returnDepth() const { return m_rs.size(); }
    // The innermost continuation of the given kind, for NSUB and ENDSUB.
    template <typename T> T *innermost()
    {
        for (auto it = m_rs.rbegin(); it != m_rs.rend(); ++it)
            if (it->kind == FrameKind::Native)
                if (auto *t = dynamic_cast<T *>(const_cast<Object *>(it->hold.object())))
                    return t;
        return nullptr;
    }
    // Local variables for SEQ and friends: bind, then unbind.
    uint32_t bindLocal(const NameObj *n, Value v);
    // LOCAL: variables that last until the running program ends (a loop's
    // body counts as its program); holder keeps the names alive.
    void bindProgramLocals(const Value &holder, std::vector<LocalVar> vars);
    void unbindLocals(uint32_t base);
    // Replaces the top argc levels by the algebraic that applies command id
    // to them ('X' 1 + gives 'X+1').
    void applySymbolic(int id, int argc);
    void requestHalt() { m_haltRequested = true; }
    void requestKill() { m_killRequested = true; }
    // Abandons the running program only (CANCEL in INPUT); halted ones stay.
    void requestAbandon() { m_abandonRequested = true; }
    void requestCont() { m_contRequested = true; }

    // ---- error state and LASTARG --------------------------------------------
    uint32_t errorNumber() const { return m_errn; }
    const std::string &errorMessage() const { return m_errm; }
    void setError(uint32_t n, std::string m)
    {
        m_errn = n;
        m_errm = std::move(m);
    }
    const std::vector<Value> &lastArgs() const;
    void saveLastArgs(int n);
    // Whether v (a list or string of oldSize elements, held by a stack level
    // or a variable) may grow in place: nothing else holds it but, perhaps,
    // LASTARG, which then keeps seeing the first oldSize elements.
    bool mayGrow(const Value &v, size_t oldSize);

    // ---- the graphics picture (PICT) ---------------------------------------
    // PICT as a GROB value (131 x 64 on the 48 series, 131 x 80 on the 49
    // family until replaced), and the same picture ready to be drawn on.
    const Value &pict();
    GrobObj *drawablePict();
    void setPict(Value grob) { m_pict = std::move(grob); }

    // ---- random numbers (RAND, RDZ) ----------------------------------------
    Real nextRandom();
    void seedRandom(const Real &seed);

    // ---- the clock and the user keys ------------------------------------------
    // Seconds that →DATE and →TIME put between the computer's clock and the
    // calculator's (the computer's own clock is never changed).
    int64_t clockOffset() const { return m_clockOffset; }
    void setClockOffset(int64_t seconds) { m_clockOffset = seconds; }
    // ASN and STOKEYS: { object key object key ... }, keys as rc.p reals;
    // a leading S when the standard keys stay active in user mode.
    const std::vector<Value> &userKeys() const { return m_userKeys; }
    void setUserKeys(std::vector<Value> keys) { m_userKeys = std::move(keys); }

    // ---- state ------------------------------------------------------------
    // The whole machine (stack, HOME, path, flags, modes, LASTARG) as bytes,
    // and back. load() returns false and changes nothing on damaged data.
    std::string saveState() const;
    bool loadState(const std::string &bytes);
    // The machine's parts that the engine holds, for the state files
    // (StateFile.h); restoreState takes a copy.
    void captureState(MachineState &state) const;
    void restoreState(const MachineState &state);

    // Bounds that end in "Insufficient Memory" instead of exhausting the
    // process.
    static constexpr size_t MaxStack = 1u << 20;
    static constexpr size_t MaxReturnDepth = 1u << 18;
    static constexpr size_t MaxLocals = 1u << 20;
    static constexpr size_t MaxDirDepth = 500;

private:
    friend class EngineAccess;
    friend class ListWiseRun;
    Status run(size_t baseDepth, bool step = false, bool into = false);
    void execSeqItem(size_t frameIndex, const Value &v);
    void execCommand(size_t frameIndex, const Value &v);
    bool applyToLists(int id, int argc, bool keepTags);
    void growStack();
    size_t stacksBytes() const;
    void evalName(const Value &v);
    void evalNow(const Value &v);
    void pushSeq(const Value &holder, uint32_t begin, uint32_t end);
    void loopFinished();
    bool unwindToTrap(const CalcError &e);
    void abortAll();
    void suspend();
    void resumeSuspended();

    Model m_model;
    std::vector<Value> m_stack;
    std::vector<Frame> m_rs;
    std::vector<LocalVar> m_locals;
    Value m_home;
    std::vector<DirObj *> m_path;
    std::vector<NameRef> m_pathNames;
    uint64_t m_sysFlags[2] = {0, 0};
    uint64_t m_userFlags[2] = {0, 0};
    mutable std::vector<Value> m_lastArgs;
    // the argument of m_lastArgs that has grown in place since (-1: none),
    // and its size when it was saved
    mutable int m_lastArgGrown = -1;
    size_t m_lastArgGrownSize = 0;
    uint32_t m_errn = 0;
    std::string m_errm;
    CalcError m_lastError{Err::None, std::string()};
    // The command being executed, -1 for none: an error names it.
    int m_runningCommand = -1;
    CalcError named(const CalcError &e) const;
    struct Halted
    {
        std::vector<Frame> frames;
        std::vector<LocalVar> locals;
    };
    std::vector<Halted> m_halted;
    std::atomic<bool> m_interrupt{false};
    std::atomic<UserInterface *> m_ui{nullptr};
    Value m_pict;
    bool m_haltRequested = false;
    bool m_killRequested = false;
    bool m_abandonRequested = false;
    bool m_contRequested = false;
    int m_numeric = 0;
    uint64_t m_seed = 0;
    int64_t m_clockOffset = 0;
    std::vector<Value> m_userKeys;
};

} // namespace Calc
