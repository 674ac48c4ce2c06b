// The screen side of the commands that talk to the user: the engine calls
// these on the machine's thread, in the middle of a program; the dialogs
// read the keys that arrive meanwhile.
#include "calc/machine/Machine.h"

#include <algorithm>
#include <chrono>

namespace Calc {

namespace {

std::vector<std::string> splitLines(const std::string &text)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t e = text.find('\n', start);
        out.push_back(text.substr(start, e == std::string::npos ? std::string::npos : e - start));
        if (e == std::string::npos)
            return out;
        start = e + 1;
    }
}

// Breaks a message into lines of at most width characters at blanks.
std::vector<std::string> wrap(const std::string &text, size_t width)
{
    std::vector<std::string> out;
    for (const std::string &line : splitLines(text)) {
        std::string rest = line;
        while (rest.size() > width) {
            size_t cut = rest.rfind(' ', width);
            if (cut == std::string::npos || cut == 0)
                cut = width;
            out.push_back(rest.substr(0, cut));
            rest = rest.substr(rest[cut] == ' ' ? cut + 1 : cut);
        }
        out.push_back(rest);
    }
    return out;
}

} // namespace

const KeyDef *Machine::nextKey()
{
    for (;;) {
        Event e;
        {
            std::unique_lock lk(m_mx);
            m_cv.wait(lk, [this] { return !m_queue.empty() || m_stop || m_cancel.load(); });
            if (m_stop || m_cancel.load())
                return nullptr;
            e = std::move(m_queue.front());
            m_queue.pop_front();
        }
        if (e.task) {
            // nothing may touch the memory while a program runs
            std::lock_guard lk(m_mx);
            e.done->finished = true;
            e.done->result = false;
            m_cv.notify_all();
            continue;
        }
        int bit = 0;
        while (bit < 15 && e.mask != (1 << bit))
            ++bit;
        if (const KeyDef *k = keyAt(m_model, e.out, bit))
            return k;
    }
}

std::string Machine::keyCode(const KeyDef &k, int plane) const
{
    int column = 1;
    for (const KeyDef &o : keyboardOf(m_model).keys)
        if (o.row == k.row && o.col < k.col)
            ++column;
    return std::to_string(k.row + 1) + std::to_string(column) + "." + std::to_string(plane);
}

void Machine::display(const Value &object, const std::string &text, int line)
{
    if (object.type() == Type::Grob) {
        showPicture(object);
        return;
    }
    const size_t rows = static_cast<size_t>(lcdHeight() / LcdPicture::CellHeight - 1);
    if (!m_userDisplay) {
        // the first DISP of a program draws over the stack it sees
        const Screen s = currentScreen();
        m_userLines = s.lines;
        m_userLines.resize(rows);
        m_userDisplay = true;
    }
    size_t row = static_cast<size_t>(std::max(1, line) - 1);
    for (const std::string &l : splitLines(text)) {
        if (row >= rows)
            break;
        m_userLines[row++] = l.substr(0, 21);
    }
    render();
}

void Machine::showPicture(const Value &grob)
{
    if (!m_userDisplay) {
        m_userLines.assign(static_cast<size_t>(lcdHeight() / LcdPicture::CellHeight - 1), std::string());
        m_userDisplay = true;
    }
    m_userPicture = grob.type() == Type::Grob ? grob : Value();
    render();
}

Value Machine::screen()
{
    const Screen s = currentScreen();
    auto *g = new GrobObj(static_cast<uint32_t>(s.lcd.width()), static_cast<uint32_t>(s.lcd.height()));
    for (int y = 0; y < s.lcd.height(); ++y)
        for (int x = 0; x < s.lcd.width(); ++x)
            g->setPixel(x, y, s.lcd.dot(x, y));
    return Value::grob(g);
}

void Machine::clearDisplay()
{
    m_userPicture = Value();
    m_userLines.assign(static_cast<size_t>(lcdHeight() / LcdPicture::CellHeight - 1), std::string());
    m_userDisplay = true;
    render();
}

void Machine::freeze(int areas)
{
    m_frozen = areas;
}

void Machine::prompt(const std::string &text)
{
    const std::vector<std::string> lines = wrap(text, 21);
    m_message.assign(lines.begin(), lines.begin() + static_cast<long>(std::min<size_t>(2, lines.size())));
    render();
}

void Machine::beep(double, double)
{
    // The machine has no speaker; a beep costs no time either.
}

UserInterface::Answer Machine::messageBox(const std::string &text)
{
    ++m_nested;
    const std::vector<std::string> lines = wrap(text, 19);
    m_overlay = true;
    m_overlayLines.assign(1, std::string(21, '-'));
    for (const std::string &l : lines)
        m_overlayLines.push_back(" " + l);
    m_overlayLines.push_back(std::string(21, '-'));
    m_overlayInverse = -1;
    m_overlayMenu = {"", "", "", "", "", "OK"};
    render();
    const KeyDef *k = nextKey();
    m_overlay = false;
    --m_nested;
    render();
    if (!k) {
        m_cancel = false;
        return Answer::Interrupted;
    }
    return k->action == "#ON" ? Answer::Cancelled : Answer::Ok;
}

UserInterface::Answer Machine::input(const InputRequest &request, std::string &text)
{
    ++m_nested;
    // the program's own command line, with the prompt above it
    const bool wasEditing = m_editing;
    const std::string savedCmd = m_cmd;
    const size_t savedCursor = m_cursor;
    m_editing = true;
    m_editReplaces = false;
    m_cmd = request.commandLine;
    m_cursor = m_cmd.size();
    if (request.cursorColumn > 0) {
        size_t pos = 0;
        for (int r = 1; r < request.cursorRow; ++r) {
            const size_t e = m_cmd.find('\n', pos);
            if (e == std::string::npos)
                break;
            pos = e + 1;
        }
        m_cursor = std::min(m_cmd.size(), pos + static_cast<size_t>(request.cursorColumn - 1));
    }
    if (request.alpha)
        m_alpha = 2;
    std::vector<std::string> promptLines = wrap(request.prompt, 21);
    promptLines.resize(2);
    m_message = promptLines;
    render();
    Answer answer = Answer::Interrupted;
    while (const KeyDef *k = nextKey()) {
        if (m_shift == 0 && k->action == "#ON") {
            answer = Answer::Cancelled;
            break;
        }
        if (m_shift == 0 && k->action == "#ENTER" && !(m_alpha && k->alpha)) {
            const std::string problem = request.check ? request.check(m_cmd) : std::string();
            if (problem.empty()) {
                text = m_cmd;
                answer = Answer::Ok;
                break;
            }
            m_message = {problem, promptLines[0]};
            render();
            continue;
        }
        handleKey(*k);
        m_editing = true; // backspace on an empty line does not end the INPUT
        m_message = promptLines;
        render();
    }
    if (answer == Answer::Interrupted)
        m_cancel = false;
    m_alpha = 0;
    m_message.clear();
    m_editing = wasEditing;
    m_cmd = savedCmd;
    m_cursor = savedCursor;
    --m_nested;
    render();
    return answer;
}

UserInterface::Answer Machine::choose(const std::string &title, const std::vector<std::string> &items,
                                      int &choice)
{
    ++m_nested;
    const int rows = lcdHeight() / LcdPicture::CellHeight - 1;
    const int listRows = rows - 1;
    int current = std::clamp(choice - 1, 0, std::max(0, static_cast<int>(items.size()) - 1));
    Answer answer = Answer::Interrupted;
    m_overlay = true;
    m_overlayMenu = {"", "", "", "", "CANCL", "OK"};
    for (;;) {
        const int first = std::clamp(current - listRows / 2, 0,
                                     std::max(0, static_cast<int>(items.size()) - listRows));
        m_overlayLines.assign(1, title.substr(0, 21));
        for (int i = first; i < first + listRows && i < static_cast<int>(items.size()); ++i)
            m_overlayLines.push_back(items[static_cast<size_t>(i)].substr(0, 21));
        m_overlayInverse = items.empty() ? -1 : 1 + current - first;
        render();
        const KeyDef *k = nextKey();
        if (!k)
            break;
        if (k->action == "#ON" || k->action == "#F5") {
            answer = Answer::Cancelled;
            break;
        }
        if (k->action == "#ENTER" || k->action == "#F6") {
            if (items.empty()) {
                answer = Answer::Cancelled;
                break;
            }
            choice = current + 1;
            answer = Answer::Ok;
            break;
        }
        if (k->action == "#UP" && current > 0)
            --current;
        else if (k->action == "#DOWN" && current + 1 < static_cast<int>(items.size()))
            ++current;
    }
    if (answer == Answer::Interrupted)
        m_cancel = false;
    m_overlay = false;
    --m_nested;
    render();
    return answer;
}

UserInterface::Answer Machine::inform(const InformRequest &request, std::vector<std::string> &values)
{
    ++m_nested;
    std::vector<std::string> fields;
    for (const InformField &f : request.fields)
        fields.push_back(f.value);
    size_t current = 0;
    Answer answer = Answer::Interrupted;
    m_overlay = true;
    const bool wasEditing = m_editing;
    const std::string savedCmd = m_cmd;
    bool editing = false;
    std::string problem;
    auto draw = [&] {
        m_overlayLines.assign(1, request.title.substr(0, 21));
        for (size_t i = 0; i < request.fields.size(); ++i)
            m_overlayLines.push_back((request.fields[i].label + " " + fields[i]).substr(0, 21));
        m_overlayInverse = request.fields.empty() ? -1 : static_cast<int>(current) + 1;
        if (!problem.empty())
            m_overlayLines.push_back(problem.substr(0, 21));
        else if (!request.fields.empty() && !editing)
            m_overlayLines.push_back(request.fields[current].help.substr(0, 21));
        m_overlayMenu = {"EDIT", "", "", "RESET", "CANCL", "OK"};
        render();
    };
    for (;;) {
        draw();
        const KeyDef *k = nextKey();
        if (!k)
            break;
        problem.clear();
        if (editing) {
            // the field's text is typed on the command line below the form
            if (m_shift == 0 && k->action == "#ON") {
                editing = false;
                cancelEdit();
            } else if (m_shift == 0 && k->action == "#ENTER" && !(m_alpha && k->alpha)) {
                const std::string err = request.check ? request.check(current, m_cmd) : std::string();
                if (err.empty()) {
                    fields[current] = m_cmd;
                    editing = false;
                    cancelEdit();
                    m_alpha = 0;
                } else {
                    problem = err;
                }
            } else {
                handleKey(*k);
                m_editing = true;
            }
            continue;
        }
        if (k->action == "#ON" || k->action == "#F5") {
            answer = Answer::Cancelled;
            break;
        }
        if (k->action == "#ENTER" || k->action == "#F6") {
            values = fields;
            answer = Answer::Ok;
            break;
        }
        if (request.fields.empty())
            continue;
        if (k->action == "#UP" && current > 0) {
            --current;
        } else if (k->action == "#DOWN" && current + 1 < fields.size()) {
            ++current;
        } else if (k->action == "#F4") {
            fields[current] = request.fields[current].reset;
        } else if (k->action == "#F1") {
            m_editing = true;
            m_cmd = fields[current];
            m_cursor = m_cmd.size();
            editing = true;
        } else if (!k->action.empty() && (k->action[0] == '=' || k->action == "#ALPHA"
                                          || k->action == "#LS" || k->action == "#RS")) {
            // typing starts a new value for the field
            m_editing = false;
            editing = true;
            handleKey(*k);
            m_editing = true;
        }
    }
    if (answer == Answer::Interrupted)
        m_cancel = false;
    m_overlay = false;
    m_editing = wasEditing;
    m_cmd = savedCmd;
    m_cursor = std::min(m_cursor, m_cmd.size());
    --m_nested;
    render();
    return answer;
}

UserInterface::Answer Machine::wait(double seconds)
{
    const auto until = std::chrono::steady_clock::now()
                       + std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
    std::unique_lock lk(m_mx);
    m_cv.wait_until(lk, until, [this] { return m_stop || m_cancel.load(); });
    if (m_stop || m_cancel.load()) {
        m_cancel = false;
        return Answer::Interrupted;
    }
    return Answer::Ok;
}

UserInterface::Answer Machine::waitKey(std::string &keyCode)
{
    ++m_nested;
    int plane = 1;
    Answer answer = Answer::Interrupted;
    while (const KeyDef *k = nextKey()) {
        if (k->action == "#LS") {
            plane = plane == 2 ? 1 : 2;
            continue;
        }
        if (k->action == "#RS") {
            plane = plane == 3 ? 1 : 3;
            continue;
        }
        keyCode = this->keyCode(*k, plane);
        answer = Answer::Ok;
        break;
    }
    if (answer == Answer::Interrupted)
        m_cancel = false;
    --m_nested;
    return answer;
}

std::string Machine::key()
{
    std::lock_guard lk(m_mx);
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (it->task)
            continue;
        int bit = 0;
        while (bit < 15 && it->mask != (1 << bit))
            ++bit;
        const KeyDef *k = keyAt(m_model, it->out, bit);
        m_queue.erase(it);
        return k ? keyCode(*k, 1) : std::string();
    }
    return std::string();
}

void Machine::cancel()
{
    m_cancel = true;
    m_cv.notify_all();
}

void Machine::drawOverlay(Screen &s, int menuRow)
{
    s.lines.assign(static_cast<size_t>(menuRow), std::string());
    for (size_t i = 0; i < m_overlayLines.size() && i < s.lines.size(); ++i)
        s.lines[i] = m_overlayLines[i];
}

} // namespace Calc
