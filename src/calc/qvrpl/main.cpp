// qvrpl: runs UserRPL in the calculator without any window.
//
//   qvrpl [--model 48gx|49g|50g] [--state FILE] [-e TEXT]... [FILE]...
//
// Each text and file runs in order as a command line, as ENTER does (a text
// file is translated as its %%HP: header asks; an object file's object is
// put on the stack instead, as the emulator loads it); then the stack is
// printed, highest level first. Without texts or files it is an interactive
// read-eval-print loop. --make-port writes a port file of the tagged objects
// left on the stack (the build makes the default port files so).
#include "calc/core/BinaryObject.h"
#include "calc/core/Commands.h"
#include "calc/core/Engine.h"
#include "calc/core/StateFile.h"
#include "formats/Transfer.h"
#include "TerminalInterface.h"
#include "formats/CalcCharset.h"
#include "formats/SafeFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstdio> // editline/readline.h needs FILE
#include <cstring>
#include <editline/readline.h>
#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Calc;

namespace {

Engine *g_running = nullptr;

extern "C" void onInterrupt(int)
{
    if (g_running)
        g_running->requestInterrupt();
}

std::string toUtf8(const std::string &calcBytes)
{
    return CalcCharset::decode(
               QByteArray(calcBytes.data(), static_cast<qsizetype>(calcBytes.size())))
        .toStdString();
}

// The interactive prompt on a terminal, over Debian's libedit: the line can be
// edited with the usual keys, earlier lines come back with the arrows (the
// history is kept in the user's data folder, "HPQuorvane/qvrpl_history"), and
// Tab completes the calculator's command names.
class PromptReader
{
public:
    // words: what Tab completes (UTF-8).
    explicit PromptReader(std::vector<std::string> words);
    ~PromptReader(); // writes the history back
    PromptReader(const PromptReader &) = delete;
    PromptReader &operator=(const PromptReader &) = delete;

    // False at the end of the input (Ctrl-D).
    bool readLine(const char *prompt, std::string &line);

    static std::string historyPath();
};

constexpr int HistoryLines = 1000;

std::vector<std::string> g_words;

char *nextWord(const char *text, int state)
{
    static size_t index = 0;
    if (state == 0)
        index = 0;
    const size_t length = std::strlen(text);
    while (index < g_words.size()) {
        const std::string &word = g_words[index++];
        if (word.compare(0, length, text) == 0)
            return strdup(word.c_str());
    }
    return nullptr;
}

char **complete(const char *text, int, int)
{
    rl_attempted_completion_over = 1; // never file names
    return rl_completion_matches(text, nextWord);
}

PromptReader::PromptReader(std::vector<std::string> words)
{
    g_words = std::move(words);
    std::setlocale(LC_CTYPE, ""); // the terminal's UTF-8: « and → edit as one character
    rl_readline_name = "qvrpl";
    rl_attempted_completion_function = complete;
    static char breaks[] = " \t\n\"'{}[]()";
    rl_basic_word_break_characters = breaks;
    using_history();
    stifle_history(HistoryLines);
    read_history(historyPath().c_str());
}

PromptReader::~PromptReader()
{
    const std::string path = historyPath();
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    write_history(path.c_str());
}

bool PromptReader::readLine(const char *prompt, std::string &line)
{
    char *typed = readline(prompt);
    if (!typed)
        return false;
    line = typed;
    std::free(typed);
    if (line.find_first_not_of(" \t") != std::string::npos)
        add_history(line.c_str());
    return true;
}

std::string PromptReader::historyPath()
{
    return (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/HPQuorvane/qvrpl_history"))
        .toStdString();
}

// The calculators' ASCII forms of a typed line (UTF-8): "<<", ">>" and "->"
// outside strings become « » and →. The backslash codes (\<< \GS ...) are the
// calculator's own transfer translation, done on its bytes.
std::string withCalculatorCharacters(const std::string &typed)
{
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < typed.size(); ++i) {
        const char c = typed[i];
        if (c == '"')
            inString = !inString;
        const char next = i + 1 < typed.size() ? typed[i + 1] : '\0';
        // a backslash code (\<< \->) is left for the transfer translation
        const bool escaped = i > 0 && typed[i - 1] == '\\';
        if (!inString && !escaped && c == '<' && next == '<') {
            out += "\u00AB";
            ++i;
        } else if (!inString && !escaped && c == '>' && next == '>') {
            out += "\u00BB";
            ++i;
        } else if (!inString && !escaped && c == '-' && next == '>') {
            out += "\u2192";
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// Text typed or given with -e (UTF-8) as calculator bytes; false names the
// first character the calculator has no byte for.
bool toCalc(const std::string &utf8, std::string &out, std::string &bad)
{
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    bool ok = true;
    int badIndex = -1;
    const QByteArray b = CalcCharset::encodeSource(text, &ok, &badIndex);
    if (!ok) {
        bad = text.mid(badIndex, 1).toStdString();
        return false;
    }
    out.assign(b.constData(), static_cast<size_t>(b.size()));
    return true;
}

void printStack(const Engine &e, bool numbered)
{
    const auto &st = e.stack();
    for (size_t i = 0; i < st.size(); ++i) {
        const size_t level = st.size() - i;
        const std::string text = toUtf8(e.toText(st[i]));
        if (numbered)
            std::cout << level << ": ";
        std::cout << text << '\n';
    }
    std::cout.flush();
}

void usage(std::ostream &out)
{
    out << "Usage: qvrpl [--model 48gx|49g|50g] [--state FILE] [-e TEXT]... [FILE]...\n"
           "       qvrpl --coverage [--missing] [--model ...]\n"
           "Runs each TEXT and FILE as a command line of the calculator, in order, and\n"
           "prints the stack (highest level first). Without TEXT or FILE: interactive.\n"
           "  --model M      48gx, 49g or 50g (default 50g)\n"
           "  --state FILE   load the calculator's memory from FILE and save it back\n"
           "                 (a new file is made when FILE does not exist)\n"
           "  --make-port FILE  write the tagged objects left on the stack (:NAME:obj)\n"
           "                 as a port file (RAM card) of --port-size KB (default 128)\n"
           "  --memory MB    the calculator's memory budget in MiB (default 256): past\n"
           "                 it a program stops with \"Insufficient Memory\"\n"
           "  --coverage     how many of the model's commands are implemented\n"
           "  --missing      with --coverage: list the commands not implemented yet\n";
}

// A file's text (received) goes through its header's modes.
Engine::Status runLine(Engine &e, const std::string &calcText, bool received = false)
{
    g_running = &e;
    // no SA_RESTART: Ctrl-C also ends a read that INPUT is waiting in
    struct sigaction on = {};
    on.sa_handler = onInterrupt;
    sigemptyset(&on.sa_mask);
    struct sigaction old = {};
    sigaction(SIGINT, &on, &old);
    const Engine::Status s = received ? e.enterReceived(calcText) : e.enter(calcText);
    sigaction(SIGINT, &old, nullptr);
    g_running = nullptr;
    return s;
}

// "/ Error: Infinite Result": the failing command named as the calculators do.
std::string statusMessage(const Engine &e, Engine::Status s)
{
    if (s == Engine::Status::Interrupted)
        return "Error: Interrupted";
    CalcError error = e.lastError();
    if (error.message.empty())
        error.message = "Error";
    return toUtf8(errorLine(error));
}

// Through a temporary file and a rename: a state that cannot be written
// leaves the previous one whole, with every variable in it.
bool saveState(const Engine &e, const std::string &path)
{
    QString why;
    if (!ReplaceFile(QString::fromStdString(path), QByteArray::fromStdString(e.saveState()), &why)) {
        std::cerr << "qvrpl: cannot write the state file " << path << ": " << why.toStdString() << '\n';
        return false;
    }
    return true;
}

// The command names Tab completes, as typed (UTF-8), sorted.
std::vector<std::string> commandWords()
{
    std::vector<std::string> words;
    for (int id = 0; id < commandCount(); ++id) {
        const CommandInfo &info = commandInfo(id);
        if (info.implemented && !info.name.empty())
            words.push_back(toUtf8(info.name));
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

int repl(Engine &e, const std::string &statePath, LineReader &in)
{
    const bool tty = isatty(0) && isatty(1);
    std::unique_ptr<PromptReader> prompt;
    if (tty) {
        std::cout << "qvrpl: UserRPL on the calculator. Ctrl-C stops a program, Ctrl-D quits; "
                     "Tab completes a command, << >> -> stand for « » →.\n";
        prompt = std::make_unique<PromptReader>(commandWords());
    }
    std::string line;
    for (;;) {
        const std::atomic<bool> never{false};
        if (prompt ? !prompt->readLine("> ", line) : in.readLine(line, never) != LineReader::Result::Line)
            break;
        std::string calc;
        std::string bad;
        if (!toCalc(withCalculatorCharacters(line), calc, bad)) {
            std::cerr << "Error: the calculator has no character " << bad << '\n';
            continue;
        }
        // the backslash codes of the calculators' ASCII transfers (\<< \GS ...)
        calc = translateReceived(calc, 3);
        const Engine::Status s = runLine(e, calc);
        if (s == Engine::Status::Error || s == Engine::Status::Interrupted)
            std::cerr << statusMessage(e, s) << '\n';
        else if (s == Engine::Status::Halted)
            std::cerr << "Halted: CONT continues, KILL ends the program\n";
        printStack(e, tty);
    }
    if (!statePath.empty() && !saveState(e, statePath))
        return 2;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // Past a file size limit a write is refused (and reported) instead of
    // ending the program with the user's work.
    std::signal(SIGXFSZ, SIG_IGN);
    Model model = Model::HP50G;
    bool modelGiven = false;
    std::string statePath;
    std::string portPath;
    uint32_t portSize = 128;
    bool showCoverage = false;
    bool listMissing = false;
    struct Input
    {
        bool isFile;
        std::string text;
    };
    std::vector<Input> inputs;

    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char *what) -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "qvrpl: " << a << " needs " << what << '\n';
                usage(std::cerr);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--model") {
            const std::string m = value("a model");
            if (m == "48gx" || m == "48GX")
                model = Model::HP48GX;
            else if (m == "49g" || m == "49G")
                model = Model::HP49G;
            else if (m == "50g" || m == "50G")
                model = Model::HP50G;
            else {
                std::cerr << "qvrpl: unknown model '" << m << "' (use 48gx, 49g or 50g)\n";
                return 2;
            }
            modelGiven = true;
        } else if (a == "--state") {
            statePath = value("a file name");
        } else if (a == "--make-port") {
            portPath = value("a file name");
        } else if (a == "--port-size") {
            portSize = static_cast<uint32_t>(std::strtoul(value("a size in KB").c_str(), nullptr, 10));
        } else if (a == "--memory") {
            const std::string v = value("a size in MiB");
            char *end = nullptr;
            const unsigned long mb = std::strtoul(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || mb < 1 || mb > 3072) {
                std::cerr << "qvrpl: --memory takes a size in MiB from 1 to 3072, not '" << v
                          << "'\n";
                return 2;
            }
            setMemoryBudget(static_cast<size_t>(mb) << 20);
        } else if (a == "-e") {
            inputs.push_back({false, value("a text")});
        } else if (a == "--coverage") {
            showCoverage = true;
        } else if (a == "--missing") {
            listMissing = true;
        } else if (a == "-h" || a == "--help") {
            usage(std::cout);
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            std::cerr << "qvrpl: unknown option " << a << '\n';
            usage(std::cerr);
            return 2;
        } else {
            inputs.push_back({true, a});
        }
    }

    if (showCoverage) {
        const bool is49 = model != Model::HP48GX;
        const Coverage c = coverage(is49);
        std::cout << (is49 ? "HP 49G/49g+/50g" : "HP 48GX") << ": " << c.implemented << " of "
                  << c.known << " known commands implemented\n";
        if (listMissing)
            for (const std::string &n : c.missing)
                std::cout << n << '\n';
        return 0;
    }

    Engine engine(model);
    LineReader stdinLines;
    TerminalInterface terminal(stdinLines);
    engine.setUserInterface(&terminal);
    if (!statePath.empty() && QFile::exists(QString::fromStdString(statePath))) {
        QFile f(QString::fromStdString(statePath));
        if (!f.open(QIODevice::ReadOnly)) {
            std::cerr << "qvrpl: cannot read the state file " << statePath << ": "
                      << f.errorString().toStdString() << '\n';
            return 2;
        }
        const QByteArray b = f.readAll();
        const StateLoad loaded = loadState(std::string_view(b.constData(), static_cast<size_t>(b.size())));
        if (!loaded.ok()) {
            std::cerr << "qvrpl: " << statePath << " cannot be loaded: " << loaded.error
                      << "; nothing was run\n";
            return 2;
        }
        engine.restoreState(loaded.state);
        if (modelGiven && engine.model() != model) {
            std::cerr << "qvrpl: " << statePath << " holds the memory of another model; run it "
                      << "without --model or with the model it was made with\n";
            return 2;
        }
    }

    if (inputs.empty())
        return repl(engine, statePath, stdinLines);

    int code = 0;
    for (const Input &in : inputs) {
        std::string calc;
        if (in.isFile) {
            QFile f(QString::fromStdString(in.text));
            if (!f.open(QIODevice::ReadOnly)) {
                std::cerr << "qvrpl: cannot read " << in.text << ": "
                          << f.errorString().toStdString() << '\n';
                code = 2;
                break;
            }
            const QByteArray bytes = f.readAll();
            const std::string_view view(bytes.constData(), static_cast<size_t>(bytes.size()));
            if (bytes.startsWith("HPHP4")) {
                const DecodedObject d = readObjectFile(view);
                if (!d.ok()) {
                    std::cerr << "qvrpl: " << in.text << " cannot be loaded: " << d.error << '\n';
                    code = 2;
                    break;
                }
                engine.push(d.value);
                continue;
            }
            calc.assign(view);
        } else {
            std::string bad;
            if (!toCalc(in.text, calc, bad)) {
                std::cerr << "qvrpl: the calculator has no character " << bad << " (in -e "
                          << in.text << ")\n";
                code = 2;
                break;
            }
        }
        const Engine::Status s = runLine(engine, calc, in.isFile);
        if (s == Engine::Status::Error || s == Engine::Status::Interrupted) {
            printStack(engine, false);
            std::cerr << statusMessage(engine, s) << '\n';
            code = 1;
            break;
        }
        if (s == Engine::Status::Halted)
            std::cerr << "qvrpl: a program is halted (HALT); CONT continues it\n";
    }
    if (code == 0)
        printStack(engine, false);
    if (!statePath.empty() && !saveState(engine, statePath) && code == 0)
        code = 2;
    if (!portPath.empty() && code == 0) {
        PortState port;
        port.modelLetter = engine.model() == Model::HP48GX ? 'G' : engine.is49() && engine.model() == Model::HP49G ? 'X' : 'Q';
        port.sizeKB = portSize;
        for (const Value &v : engine.stack())
            if (v.type() == Type::Tagged)
                port.entries.emplace_back(v.asTagged()->tag, v.asTagged()->value);
        const std::string bytes = savePort(port);
        QString why;
        if (!ReplaceFile(QString::fromStdString(portPath), QByteArray::fromStdString(bytes), &why)) {
            std::cerr << "qvrpl: cannot write the port file " << portPath << ": " << why.toStdString() << '\n';
            code = 2;
        }
    }
    return code;
}
