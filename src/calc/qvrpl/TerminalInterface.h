#pragma once

#include "calc/core/UserInterface.h"

#include <atomic>
#include <string>

// Standard input read line by line without stdio buffering, so that the
// read-eval-print loop and a program's INPUT share it, and so that Ctrl-C
// (a cancel) ends a read in progress.
class LineReader
{
public:
    enum class Result { Line, End, Cancelled };
    Result readLine(std::string &line, const std::atomic<bool> &cancel);

private:
    std::string m_buffer;
    bool m_eof = false;
};

// The calculator talking to the user on the terminal: DISP, MSGBOX and
// PROMPT print; INPUT, CHOOSE and INFORM ask on standard output and read
// the answers from standard input.
class TerminalInterface : public Calc::UserInterface
{
public:
    explicit TerminalInterface(LineReader &in)
        : m_in(in)
    {
    }

    void display(const Calc::Value &object, const std::string &text, int line) override;
    void clearDisplay() override {}
    void freeze(int) override {}
    void showPicture(const Calc::Value &grob) override;
    void prompt(const std::string &text) override;
    void beep(double, double) override;
    void setMenu(const std::vector<MenuKey> &keys, double menuNumber) override;
    Calc::Real menuShown() const override { return m_menu; }
    Answer messageBox(const std::string &text) override;
    Answer input(const InputRequest &request, std::string &text) override;
    Answer choose(const std::string &title, const std::vector<std::string> &items,
                  int &choice) override;
    Answer inform(const InformRequest &request, std::vector<std::string> &values) override;
    Answer wait(double seconds) override;
    Answer waitKey(std::string &keyCode) override;
    std::string key() override { return std::string(); }
    void cancel() override { m_cancel.store(true); }

private:
    // A line typed (calculator bytes), or End / Cancelled.
    LineReader::Result ask(const std::string &question, std::string &answer);
    Answer finish(LineReader::Result r);

    LineReader &m_in;
    std::atomic<bool> m_cancel{false};
    Calc::Real m_menu; // the menu number last asked for (0 for a TMENU list)
};
