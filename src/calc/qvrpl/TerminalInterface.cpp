#include "TerminalInterface.h"

#include "formats/CalcCharset.h"

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <chrono>
#include <iostream>
#include <thread>
#include <unistd.h>

using namespace Calc;

namespace {

std::string utf8(const std::string &calcBytes)
{
    return CalcCharset::decode(
               QByteArray(calcBytes.data(), static_cast<qsizetype>(calcBytes.size())))
        .toStdString();
}

// Typed text to calculator bytes; characters the calculator lacks become '?'.
std::string calcBytes(const std::string &typed)
{
    const QByteArray b = CalcCharset::encode(
        QString::fromUtf8(typed.data(), static_cast<qsizetype>(typed.size())));
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

} // namespace

LineReader::Result LineReader::readLine(std::string &line, const std::atomic<bool> &cancel)
{
    for (;;) {
        const size_t nl = m_buffer.find('\n');
        if (nl != std::string::npos) {
            line = m_buffer.substr(0, nl);
            m_buffer.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return Result::Line;
        }
        if (m_eof) {
            if (m_buffer.empty())
                return Result::End;
            line.swap(m_buffer);
            m_buffer.clear();
            return Result::Line;
        }
        if (cancel.load())
            return Result::Cancelled;
        char chunk[4096];
        const ssize_t n = ::read(0, chunk, sizeof chunk);
        if (n > 0)
            m_buffer.append(chunk, static_cast<size_t>(n));
        else if (n == 0)
            m_eof = true;
        else if (errno != EINTR)
            m_eof = true;
        // EINTR: a signal (Ctrl-C) arrived; the loop looks at cancel again
    }
}

LineReader::Result TerminalInterface::ask(const std::string &question, std::string &answer)
{
    std::cout << utf8(question) << std::flush;
    std::string typed;
    const LineReader::Result r = m_in.readLine(typed, m_cancel);
    if (r != LineReader::Result::Line) {
        std::cout << '\n';
        return r;
    }
    if (!isatty(0))
        std::cout << typed << '\n'; // echo what a script answered
    answer = calcBytes(typed);
    return r;
}

UserInterface::Answer TerminalInterface::finish(LineReader::Result r)
{
    if (r == LineReader::Result::Cancelled || m_cancel.exchange(false))
        return Answer::Interrupted;
    return r == LineReader::Result::End ? Answer::Cancelled : Answer::Ok;
}

void TerminalInterface::display(const Value &object, const std::string &text, int)
{
    if (object.type() == Type::Grob) {
        showPicture(object);
        return;
    }
    std::cout << utf8(text) << std::endl;
}

void TerminalInterface::showPicture(const Value &grob)
{
    const GrobObj &g = *grob.asGrob();
    // two pixel rows per text line with the half blocks
    for (uint32_t y = 0; y < g.height; y += 2) {
        std::string row;
        for (uint32_t x = 0; x < g.width; ++x) {
            const bool top = g.pixel(x, y);
            const bool bottom = g.pixel(x, y + 1);
            row += top && bottom ? "\u2588" : top ? "\u2580" : bottom ? "\u2584" : " ";
        }
        while (!row.empty() && row.back() == ' ')
            row.pop_back();
        std::cout << row << '\n';
    }
    std::cout.flush();
}

void TerminalInterface::prompt(const std::string &text)
{
    std::cout << utf8(text) << std::endl;
}

void TerminalInterface::beep(double, double)
{
    std::cerr << '\a' << std::flush;
}

void TerminalInterface::setMenu(const std::vector<MenuKey> &keys, double menuNumber)
{
    m_menu = Calc::Real{};
    if (keys.empty()) {
        Calc::parseReal(std::to_string(menuNumber), m_menu);
        std::cout << "[menu " << menuNumber << "]" << std::endl;
        return;
    }
    std::string line;
    for (const MenuKey &k : keys)
        line += "[" + utf8(k.label) + "] ";
    line.pop_back();
    std::cout << line << std::endl;
}

UserInterface::Answer TerminalInterface::messageBox(const std::string &text)
{
    std::cout << utf8(text) << std::endl;
    return finish(LineReader::Result::Line);
}

UserInterface::Answer TerminalInterface::input(const InputRequest &req, std::string &text)
{
    std::cout << utf8(req.prompt) << '\n';
    const std::string question = req.commandLine.empty() ? std::string("? ")
                                                         : "[" + req.commandLine + "] ? ";
    for (;;) {
        std::string answer;
        const LineReader::Result r = ask(question, answer);
        if (r != LineReader::Result::Line)
            return finish(r);
        // an empty answer takes the command line as it was offered
        if (answer.empty())
            answer = req.commandLine;
        if (req.check) {
            const std::string err = req.check(answer);
            if (!err.empty()) {
                std::cout << utf8(err) << '\n';
                continue;
            }
        }
        text = answer;
        return finish(r);
    }
}

UserInterface::Answer TerminalInterface::choose(const std::string &title,
                                                const std::vector<std::string> &items, int &choice)
{
    if (!title.empty())
        std::cout << utf8(title) << '\n';
    for (size_t i = 0; i < items.size(); ++i)
        std::cout << "  " << (i + 1) << ". " << utf8(items[i]) << '\n';
    if (choice == 0) {
        // the list is only shown: wait for any answer
        std::string answer;
        return finish(ask("(Enter) ", answer));
    }
    for (;;) {
        std::string answer;
        const LineReader::Result r = ask("Choice [" + std::to_string(choice) + "] ? ", answer);
        if (r != LineReader::Result::Line)
            return finish(r);
        if (answer.empty())
            return finish(r);
        char *end = nullptr;
        const long n = std::strtol(answer.c_str(), &end, 10);
        if (end && *end == '\0' && n == 0)
            return finish(LineReader::Result::End); // 0 cancels
        if (end && *end == '\0' && n >= 1 && n <= static_cast<long>(items.size())) {
            choice = static_cast<int>(n);
            return finish(r);
        }
        std::cout << "Type a number from 1 to " << items.size() << ", or 0 to cancel\n";
    }
}

UserInterface::Answer TerminalInterface::inform(const InformRequest &req,
                                                std::vector<std::string> &values)
{
    if (!req.title.empty())
        std::cout << utf8(req.title) << '\n';
    values.clear();
    for (size_t i = 0; i < req.fields.size(); ++i) {
        const InformField &f = req.fields[i];
        if (!f.help.empty())
            std::cout << "  (" << utf8(f.help) << ")\n";
        for (;;) {
            std::string answer;
            const LineReader::Result r = ask(f.label + " [" + f.value + "] ? ", answer);
            if (r != LineReader::Result::Line)
                return finish(r);
            // empty keeps the value shown; a lone - clears the field
            if (answer.empty())
                answer = f.value;
            else if (answer == "-")
                answer.clear();
            if (req.check) {
                const std::string err = req.check(i, answer);
                if (!err.empty()) {
                    std::cout << utf8(err) << '\n';
                    continue;
                }
            }
            values.push_back(answer);
            break;
        }
    }
    return finish(LineReader::Result::Line);
}

UserInterface::Answer TerminalInterface::wait(double seconds)
{
    using namespace std::chrono;
    const auto until = steady_clock::now() + duration<double>(std::min(seconds, 1e6));
    while (steady_clock::now() < until) {
        if (m_cancel.exchange(false))
            return Answer::Interrupted;
        std::this_thread::sleep_for(milliseconds(20));
    }
    return Answer::Ok;
}

UserInterface::Answer TerminalInterface::waitKey(std::string &keyCode)
{
    std::string answer;
    const LineReader::Result r = ask("Key (row column, e.g. 11.1) ? ", answer);
    if (r == LineReader::Result::Line)
        keyCode = answer;
    return finish(r);
}
