#pragma once

// Runs generated code in the calculator's engine, with a user interface that
// answers INPUT, CHOOSE and INFORM from a script and notes what they asked.

#include "calc/core/Engine.h"
#include "calc/core/UserInterface.h"
#include "formats/CalcCharset.h"

#include <QByteArray>
#include <QStringList>

class ScriptedCalculator : public Calc::UserInterface
{
public:
    // Answers in order: INPUT takes the text, CHOOSE the item number, INFORM
    // one text per field. "!cancel" cancels the request.
    QStringList answers;
    // What was asked, one line per request.
    QStringList asked;

    // Runs code (calculator bytes) and gives the stack, level 1 last, in
    // the calculator's text form; "error: ..." when it stopped with an error.
    QStringList run(const QByteArray &code)
    {
        m_engine.setUserInterface(this);
        const auto status = m_engine.enter(std::string_view(code.constData(), size_t(code.size())));
        QStringList out;
        for (const Calc::Value &v : m_engine.stack())
            out << text(m_engine.toText(v));
        if (status == Calc::Engine::Status::Error)
            out << "error: " + text(m_engine.lastError().message);
        return out;
    }
    Calc::Engine &engine() { return m_engine; }

    static QString text(const std::string &bytes)
    {
        return CalcCharset::decode(QByteArray(bytes.data(), qsizetype(bytes.size())));
    }
    static std::string bytes(const QString &s)
    {
        const QByteArray b = CalcCharset::encode(s);
        return std::string(b.constData(), size_t(b.size()));
    }

    void display(const Calc::Value &, const std::string &, int) override {}
    void clearDisplay() override {}
    void freeze(int) override {}
    void prompt(const std::string &) override {}
    void beep(double, double) override {}
    void setMenu(const std::vector<MenuKey> &, double) override {}
    Answer messageBox(const std::string &) override { return Answer::Ok; }
    Answer input(const InputRequest &r, std::string &out) override
    {
        QString modes;
        if (r.algebraic)
            modes += " ALG";
        if (r.alpha)
            modes += " alpha";
        if (r.verify)
            modes += " V";
        asked << QString("INPUT %1 [%2] at %3,%4%5")
                     .arg(text(r.prompt), text(r.commandLine))
                     .arg(r.cursorRow)
                     .arg(r.cursorColumn)
                     .arg(modes);
        QString a;
        if (!next(a))
            return Answer::Cancelled;
        out = bytes(a);
        if (r.check && !r.check(out).empty())
            return Answer::Cancelled;
        return Answer::Ok;
    }
    Answer choose(const std::string &title, const std::vector<std::string> &items, int &choice) override
    {
        QStringList labels;
        for (const auto &i : items)
            labels << text(i);
        asked << QString("CHOOSE %1 [%2] at %3").arg(text(title), labels.join('|')).arg(choice);
        QString a;
        if (!next(a))
            return Answer::Cancelled;
        choice = a.toInt();
        return Answer::Ok;
    }
    Answer inform(const InformRequest &r, std::vector<std::string> &values) override
    {
        QStringList fields;
        for (const auto &f : r.fields)
            fields << text(f.label) + (f.help.empty() ? "" : " (" + text(f.help) + ")") + "=" + text(f.value);
        asked << QString("INFORM %1 [%2] %3 columns").arg(text(r.title), fields.join('|')).arg(r.columns);
        for (size_t i = 0; i < r.fields.size(); ++i) {
            QString a;
            if (!next(a))
                return Answer::Cancelled;
            values.push_back(bytes(a));
        }
        return Answer::Ok;
    }
    Answer wait(double) override { return Answer::Ok; }
    Answer waitKey(std::string &) override { return Answer::Cancelled; }
    std::string key() override { return std::string(); }
    void cancel() override {}

private:
    bool next(QString &a)
    {
        if (answers.isEmpty())
            return false;
        a = answers.takeFirst();
        return a != "!cancel";
    }

    Calc::Engine m_engine{Calc::Model::HP50G};
};
