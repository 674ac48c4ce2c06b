#pragma once

#include "flowchart/CalcExpress.h"

#include <QObject>
#include <QStringList>

#include <array>

class TDiagram;
class TShapeCustomControl;
class TShapeDecision;
class TShapeNode;

// Where a run gets the numbers its Read blocks ask for: the builder shows
// its input dialog, tests answer from a script.
class FlowInput
{
public:
    virtual ~FlowInput() = default;
    // prompt is rich text (the name in <B>...</B>). False when cancelled.
    virtual bool AskValue(const QString &prompt, const QString &name, QString &answer) = 0;
};

// Running a flowchart inside the builder: the handlers of every kind of
// block, the variables (with "Pi" first), and the lines of the run window.
// The diagram moves from block to block one event-loop turn at a time;
// Run, Step and Stop are the builder's commands.
class FlowchartRun : public QObject
{
    Q_OBJECT
public:
    // The variable table holds this many values.
    static constexpr int MaxVariables = 101;

    explicit FlowchartRun(TDiagram &diagram, QObject *parent = nullptr);

    void SetInput(FlowInput *input) { m_input = input; }
    void SetDecimalSeparator(QChar separator);
    QChar DecimalSeparator() const { return m_separator; }

    // Binds the handler of its kind to a shape (done for every shape the
    // diagram receives).
    void Bind(TShapeCustomControl *shape);

    // Set from a successful or failed preparation until Stop.
    bool Running() const { return m_running; }
    // Step is offered (it is not between Run and Stop).
    bool StepEnabled() const { return m_stepEnabled; }

    void Run();
    void Step();
    void Stop();

    // The run window's text, one entry per line.
    const QStringList &Lines() const { return m_lines; }
    void ClearLines();

    const QStringList &VariableNames() const { return m_names; }
    // The value of a variable (case ignored), or false when there is none.
    bool Value(const QString &name, long double &value) const;

    // %g of the run window: up to 15 significant digits, plain from 0.00001
    // to 15 integer digits, else scientific ("1.5E20", "1E-6").
    static QString FormatNumber(long double value, QChar separator);

signals:
    void lineAdded(const QString &line);
    void linesCleared();
    // Running, the Step command or mouse editing changed.
    void commandStateChanged();
    void editingEnabled(bool enabled);
    // A run error: the system's error sound.
    void beep();

private:
    bool Prepare();
    void Print(const QString &line);
    void RunError(const QString &text);
    void RunErrorMessage(int message);
    int IndexOf(const QString &name) const;
    bool SetVariable(const QString &name, long double value);
    bool Evaluate(const QString &expression, long double &value);

    void NodeEntered(TShapeNode &shape);
    void ActionEntered(TShapeNode &shape);
    void ConditionEntered(TShapeDecision &shape, bool &result);
    void LoopEntered(TShapeDecision &shape, bool &result);
    void ReadEntered(const QString &caption);
    void WriteEntered(const QString &caption);

    TDiagram &m_diagram;
    FlowInput *m_input = nullptr;
    QChar m_separator;
    TCalcExpress m_calc;
    QStringList m_names;
    std::array<long double, MaxVariables> m_values{};
    QStringList m_lines;
    bool m_running = false;
    bool m_stepEnabled = true;
};
