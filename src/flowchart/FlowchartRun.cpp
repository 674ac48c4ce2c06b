#include "flowchart/FlowchartRun.h"

#include "flowchart/DiagramBuilder.h"
#include "shell/AppDialogs.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/TextIds.h"

#include <QLocale>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == '_';
}

bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == '_';
}

// The comma-separated names of a Read or Write caption, scanned as the run
// does: a comma without a name before it, and any character that is not part
// of a name, stop the scan with the message of the caller's choice. Blanks
// around a name are allowed, as the generated program allows them.
struct NameScan
{
    enum Outcome { Name, Done, MissingName, BadCharacter };

    explicit NameScan(const QString &text)
        : m_text(text)
    {
    }

    Outcome next(QString &name)
    {
        for (;;) {
            while (m_pos < m_text.size() && m_text[m_pos] == ' ')
                ++m_pos;
            if (m_pos >= m_text.size())
                return Done;
            const QChar c = m_text[m_pos];
            if (c == ',') {
                if (!m_hadName)
                    return MissingName;
                ++m_pos;
                m_hadName = false;
                continue;
            }
            // Two names need a comma between them.
            if (!isNameStart(c) || m_hadName)
                return BadCharacter;
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && isNamePart(m_text[m_pos]))
                ++m_pos;
            name = m_text.mid(start, m_pos - start);
            m_hadName = true;
            return Name;
        }
    }

private:
    const QString &m_text;
    qsizetype m_pos = 0;
    bool m_hadName = false;
};

} // namespace

FlowchartRun::FlowchartRun(TDiagram &diagram, QObject *parent)
    : QObject(parent)
    , m_diagram(diagram)
    , m_separator(QLocale().decimalPoint().at(0))
{
    m_calc.setDecimalSeparator(m_separator);
    for (TShapeCustomControl *s : diagram.Shapes())
        Bind(s);
    connect(&diagram, &TDiagram::shapeAdded, this, &FlowchartRun::Bind);
}

void FlowchartRun::SetDecimalSeparator(QChar separator)
{
    m_separator = separator;
    m_calc.setDecimalSeparator(separator);
}

void FlowchartRun::Bind(TShapeCustomControl *shape)
{
    switch (shape->Kind()) {
    case ShapeKind::Start:
    case ShapeKind::Read:
    case ShapeKind::Write:
    case ShapeKind::Stop:
        static_cast<TShapeNode *>(shape)->OnEnterState = [this](TShapeNode &s) { NodeEntered(s); };
        break;
    case ShapeKind::Action:
        static_cast<TShapeNode *>(shape)->OnEnterState = [this](TShapeNode &s) { ActionEntered(s); };
        break;
    case ShapeKind::Condition:
        static_cast<TShapeDecision *>(shape)->OnEnterState
            = [this](TShapeDecision &s, bool &result) { ConditionEntered(s, result); };
        break;
    case ShapeKind::Loop:
        static_cast<TShapeDecision *>(shape)->OnEnterState
            = [this](TShapeDecision &s, bool &result) { LoopEntered(s, result); };
        break;
    case ShapeKind::Link:
    case ShapeKind::Trans:
        break; // entering them does nothing; the run follows their link
    }
}

void FlowchartRun::ClearLines()
{
    m_lines.clear();
    emit linesCleared();
}

bool FlowchartRun::Value(const QString &name, long double &value) const
{
    const int i = IndexOf(name);
    if (i < 0)
        return false;
    value = m_values[static_cast<size_t>(i)];
    return true;
}

// ----------------------------------------------------------------- commands

bool FlowchartRun::Prepare()
{
    TShapeCustomControl *start = m_diagram.FirstOfKind(ShapeKind::Start);
    if (!start) {
        ShowAppMessage(Message(MsgNoStartBlock), QMessageBox::Critical);
        return false;
    }
    m_running = true;
    m_names = {QStringLiteral("Pi")};
    m_values.fill(0);
    m_values[0] = std::numbers::pi_v<long double>;
    for (TShapeCustomControl *s : m_diagram.Shapes())
        s->Tag = 0;
    ClearLines();
    m_diagram.DeselectAll();
    emit editingEnabled(false);
    m_diagram.SetState(start);
    emit commandStateChanged();

    if (!m_diagram.FirstOfKind(ShapeKind::Stop)) {
        ShowAppMessage(Message(MsgNoEndBlock), QMessageBox::Critical);
        return false;
    }
    for (TShapeCustomControl *s : m_diagram.Shapes()) {
        const auto *d = dynamic_cast<const TShapeDecision *>(s);
        if (d && (!d->TrueState() || !d->FalseState())) {
            ShowAppMessage(Message(MsgConditionNeedsBothExits), QMessageBox::Critical);
            return false;
        }
    }
    return true;
}

void FlowchartRun::Run()
{
    if (m_running)
        return;
    if (!Prepare())
        return;
    m_stepEnabled = false;
    emit commandStateChanged();
    try {
        m_diagram.StartRun();
    } catch (const TFlowError &e) {
        ShowAppMessage(e.message(), QMessageBox::Critical);
    }
}

void FlowchartRun::Step()
{
    // A move already under way finishes first.
    if (m_diagram.MovePending())
        return;
    if (m_diagram.State()) {
        if (!m_running) {
            // A State left from editing: a step starts a new run instead.
            m_diagram.SetState(nullptr);
        } else {
            try {
                m_diagram.StartRun();
            } catch (const TFlowError &e) {
                ShowAppMessage(e.message(), QMessageBox::Critical);
            }
            return;
        }
    }
    if (Prepare())
        m_diagram.SetOptions(m_diagram.Options() | TDiagram::soSingleStep);
}

void FlowchartRun::Stop()
{
    m_diagram.Halt();
    m_diagram.SetOptions(m_diagram.Options() & ~TDiagram::soSingleStep);
    emit editingEnabled(true);
    m_stepEnabled = true;
    m_diagram.SetState(nullptr);
    m_running = false;
    emit commandStateChanged();
}

// -------------------------------------------------------------- run window

void FlowchartRun::Print(const QString &line)
{
    m_lines << line;
    emit lineAdded(line);
}

void FlowchartRun::RunError(const QString &text)
{
    Print(QLatin1Char('{') + Label(LblError) + QStringLiteral(": ") + text + QLatin1Char('}'));
    emit beep();
    m_diagram.Halt();
    emit editingEnabled(true);
}

void FlowchartRun::RunErrorMessage(int message)
{
    RunError(Message(message));
}

QString FlowchartRun::FormatNumber(long double value, QChar separator)
{
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? QStringLiteral("0") : QStringLiteral("NAN");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14Le", value);
    // "-d.dddddddddddddde+XX"
    QString text = QString::fromLatin1(buf);
    const bool negative = text.startsWith('-');
    if (negative)
        text.remove(0, 1);
    const qsizetype e = text.indexOf('e');
    const int exponent = text.mid(e + 1).toInt();
    QString digits = text.left(e).remove('.');
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);
    QString out;
    if (exponent < 15 && exponent >= -5) {
        if (exponent >= 0) {
            QString whole = digits.left(exponent + 1);
            whole += QString(qMax<qsizetype>(0, exponent + 1 - digits.size()), '0');
            const QString fraction = digits.mid(exponent + 1);
            out = fraction.isEmpty() ? whole : whole + separator + fraction;
        } else {
            out = QStringLiteral("0") + separator + QString(-exponent - 1, '0') + digits;
        }
    } else {
        out = digits.left(1);
        if (digits.size() > 1)
            out += separator + digits.mid(1);
        out += 'E' + QString::number(exponent);
    }
    return negative ? '-' + out : out;
}

// ---------------------------------------------------------------- variables

int FlowchartRun::IndexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

bool FlowchartRun::SetVariable(const QString &name, long double value)
{
    int i = IndexOf(name);
    if (i < 0) {
        if (m_names.size() >= MaxVariables) {
            RunError(FormatText(LanguageText(QStringLiteral("BuilderDialog"), QStringLiteral("RunTooManyVariables")),
                                {MaxVariables}));
            return false;
        }
        m_names << name;
        i = static_cast<int>(m_names.size() - 1);
    }
    m_values[static_cast<size_t>(i)] = value;
    return true;
}

bool FlowchartRun::Evaluate(const QString &expression, long double &value)
{
    m_calc.setFormula(expression);
    m_calc.setVariables(m_names);
    const TCalcExpress::Result r = m_calc.Calculate(m_values);
    if (!r.ok) {
        RunErrorMessage(MsgExpressionNotEvaluated);
        return false;
    }
    value = r.value;
    return true;
}

// ----------------------------------------------------------------- handlers

void FlowchartRun::NodeEntered(TShapeNode &shape)
{
    const QString caption = shape.Caption();
    if (caption.trimmed().isEmpty()) {
        RunErrorMessage(MsgBlockWithoutInstructions);
        return;
    }
    switch (shape.Kind()) {
    case ShapeKind::Start: Print(caption); break;
    case ShapeKind::Stop:
        Print(caption);
        Stop();
        break;
    case ShapeKind::Read: ReadEntered(caption.trimmed()); break;
    case ShapeKind::Write: WriteEntered(caption.trimmed()); break;
    default: break;
    }
}

void FlowchartRun::ReadEntered(const QString &caption)
{
    NameScan scan(caption);
    QString name;
    for (;;) {
        switch (scan.next(name)) {
        case NameScan::Done: return;
        case NameScan::MissingName: RunErrorMessage(MsgVariableNameMissing); return;
        case NameScan::BadCharacter: RunErrorMessage(MsgVariableNameInvalid); return;
        case NameScan::Name: break;
        }
        const QString prompt = Label(LblEnterValueOf) + QStringLiteral(" \"<B>") + name.toHtmlEscaped()
                               + QStringLiteral("</B>\":");
        QString answer;
        if (!m_input || !m_input->AskValue(prompt, name, answer) || answer.trimmed().isEmpty()) {
            RunErrorMessage(MsgNoValueEntered);
            return;
        }
        long double value = 0;
        if (!TCalcExpress::toNumber(answer, m_separator, value)) {
            RunError(FormatText(LanguageText(QStringLiteral("BuilderDialog"), QStringLiteral("RunNotANumber")),
                                {answer.trimmed()}));
            return;
        }
        if (!SetVariable(name, value))
            return;
        Print(' ' + FormatNumber(value, m_separator) + QStringLiteral(" >> ") + name);
    }
}

void FlowchartRun::WriteEntered(const QString &caption)
{
    if (caption.startsWith('"')) {
        if (caption.size() < 2 || !caption.endsWith('"')) {
            RunErrorMessage(MsgClosingQuoteMissing);
            return;
        }
        Print(QStringLiteral(" >> ") + caption);
        return;
    }
    NameScan scan(caption);
    QString name;
    for (;;) {
        switch (scan.next(name)) {
        case NameScan::Done: return;
        case NameScan::MissingName: RunErrorMessage(MsgVariableNameMissing); return;
        case NameScan::BadCharacter: RunErrorMessage(MsgInvalidCharacterInVariables); return;
        case NameScan::Name: break;
        }
        long double value = 0;
        if (!Value(name, value)) {
            RunErrorMessage(MsgVariableBeforeValue);
            return;
        }
        Print(' ' + name + QStringLiteral(" = ") + FormatNumber(value, m_separator));
    }
}

void FlowchartRun::ActionEntered(TShapeNode &shape)
{
    const QString caption = shape.Caption();
    if (caption.trimmed().isEmpty()) {
        RunErrorMessage(MsgBlockWithoutInstructions);
        return;
    }
    const qsizetype eq = caption.indexOf('=');
    if (eq < 0) {
        Print(' ' + caption);
        return;
    }
    const QString name = caption.left(eq).trimmed();
    if (name.isEmpty()) {
        RunErrorMessage(MsgVariableNameMissing);
        return;
    }
    long double value = 0;
    if (!Evaluate(caption.mid(eq + 1), value) || !SetVariable(name, value))
        return;
    Print(' ' + name + QStringLiteral(" << ") + FormatNumber(value, m_separator));
}

void FlowchartRun::ConditionEntered(TShapeDecision &shape, bool &result)
{
    const QString caption = shape.Caption();
    if (caption.trimmed().isEmpty()) {
        RunErrorMessage(MsgBlockWithoutInstructions);
        return;
    }
    long double value = 0;
    if (!Evaluate(caption, value))
        return;
    Print(QStringLiteral(" '") + caption + QStringLiteral("' >> ") + (value != 0 ? Label(LblTrue) : Label(LblFalse)));
    // Only exactly 1 is true: a value of 2 is printed as true and goes the
    // false way.
    result = std::trunc(value) == 1;
}

void FlowchartRun::LoopEntered(TShapeDecision &shape, bool &result)
{
    const QString caption = shape.Caption().trimmed();
    if (caption.isEmpty()) {
        RunErrorMessage(MsgBlockWithoutInstructions);
        return;
    }
    const qsizetype eq = caption.indexOf('=');
    const qsizetype colon = eq < 0 ? -1 : caption.indexOf(':', eq + 1);
    if (colon < 0) {
        RunErrorMessage(MsgLoopForm);
        return;
    }
    const QString name = caption.left(eq).trimmed();
    const QString from = caption.mid(eq + 1, colon - eq - 1).trimmed();
    const QString to = caption.mid(colon + 1).trimmed();
    if (name.isEmpty()) {
        RunErrorMessage(MsgVariableNameInvalid);
        return;
    }
    if (from.isEmpty()) {
        RunErrorMessage(MsgLoopStartMissing);
        return;
    }
    if (to.isEmpty()) {
        RunErrorMessage(MsgLoopEndMissing);
        return;
    }
    long double start = 0, end = 0;
    if (!Evaluate(from, start) || !Evaluate(to, end))
        return;
    long double value = start;
    const int i = IndexOf(name);
    if (i < 0 || shape.Tag != 1) {
        if (!SetVariable(name, start))
            return;
        shape.Tag = 1;
    } else {
        value = m_values[static_cast<size_t>(i)] + 1;
        m_values[static_cast<size_t>(i)] = value;
    }
    Print(' ' + name + QStringLiteral(" << ") + FormatNumber(value, m_separator));
    result = std::trunc(end) >= std::trunc(value);
    if (!result)
        shape.Tag = 0;
}
