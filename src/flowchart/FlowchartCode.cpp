#include "flowchart/FlowchartCode.h"

#include "flowchart/CalcExpress.h"
#include "flowchart/DiagramBuilder.h"
#include "formats/CalcCharset.h"
#include "shell/TextIds.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace {

const QString Open = QStringLiteral("\u00AB");   // «
const QString Close = QStringLiteral("\u00BB");  // »
const QString Arrow = QStringLiteral("\u2192");  // →
const QString InnerOpen = QStringLiteral(" \u00AB");

QString indent(int level)
{
    return QString(qMax(level, 0), ' ');
}

QString placeholder(const TShapeCustomControl *s)
{
    return QStringLiteral("$$") + s->Name + QStringLiteral("$$");
}

bool isKind(const TShapeCustomControl *s, ShapeKind k)
{
    return s && s->Kind() == k;
}

bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == '_';
}

// One run of the walk over a diagram.
class Walk
{
public:
    Walk(const TDiagram &diagram, QChar separator)
        : m_diagram(diagram)
        , m_sep(separator)
    {
    }

    GeneratedCode run()
    {
        GeneratedCode out;
        const TShapeCustomControl *start = m_diagram.FirstOfKind(ShapeKind::Start);
        if (!start) {
            out.message = MsgNoStartBlock;
            return out;
        }
        if (!m_diagram.FirstOfKind(ShapeKind::Stop)) {
            out.message = MsgNoEndBlock;
            return out;
        }
        m_lines = {Open, Arrow, InnerOpen};
        m_visits[start] = 1;
        m_current = static_cast<const TShapeNode *>(start)->DefaultTransition();
        if (!m_current)
            fail(QStringLiteral("the start block leads nowhere"));
        // Each pass visits a shape, and a shape may be visited once (twice for
        // a junction that closes an ELSE), so a bound on the passes only
        // guards against loops of loops that lead back to each other.
        const int maxPasses = 4 * m_diagram.ShapeCount() + 8;
        for (int pass = 0; !m_done && !m_failed; ++pass) {
            if (pass > maxPasses) {
                fail(QStringLiteral("the flowchart goes round in circles"));
                break;
            }
            visit();
        }
        if (m_failed) {
            out.message = MsgCodeNotGenerated;
            out.detail = m_why;
            return out;
        }
        finish();
        QString text;
        for (const QString &line : std::as_const(m_lines))
            text += line + QStringLiteral("\r\n");
        bool ok = true;
        int bad = -1;
        out.bytes = CalcCharset::encode(text, &ok, &bad);
        if (!ok) {
            out.bytes.clear();
            out.message = MsgCodeNotGenerated;
            out.detail = QStringLiteral("the character \"%1\" has no place in the calculator's characters")
                             .arg(text.at(bad));
            return out;
        }
        out.ok = true;
        return out;
    }

private:
    void fail(const QString &why)
    {
        if (!m_failed)
            m_why = why;
        m_failed = true;
    }

    qsizetype arrowLine() const
    {
        for (qsizetype i = 0; i < m_lines.size(); ++i)
            if (m_lines[i].startsWith(Arrow))
                return i;
        return -1;
    }

    // The line after → that collects the local names, made when first needed.
    qsizetype namesLine()
    {
        const qsizetype arrow = arrowLine();
        if (m_lines.value(arrow + 1) == InnerOpen)
            m_lines.insert(arrow + 1, QString());
        return arrow + 1;
    }

    // Where a condition's group or a junction's mark stands; a graph that
    // already used it up fails the walk.
    qsizetype placeholderIndex(const TShapeCustomControl *s, qsizetype group = 0)
    {
        const qsizetype p = m_lines.indexOf(placeholder(s));
        if (p < 0 || p + group >= m_lines.size()) {
            fail(QStringLiteral("the block \"%1\" closes a structure twice").arg(s->Name));
            return -1;
        }
        return p;
    }

    void visit()
    {
        const TShapeCustomControl *s = m_current;
        if (!s) {
            fail(QStringLiteral("a block leads nowhere"));
            return;
        }
        if (++m_visits[s] > 1) {
            fail(QStringLiteral("the block \"%1\" is reached twice").arg(s->Name));
            return;
        }
        const TShapeCustomControl *previous = m_previous;
        m_previous = s;
        m_cameFrom = previous;
        switch (s->Kind()) {
        case ShapeKind::Stop: m_done = true; return;
        case ShapeKind::Read: read(s); return;
        case ShapeKind::Write: write(s); return;
        case ShapeKind::Trans: junction(s); return;
        case ShapeKind::Action: action(s); return;
        case ShapeKind::Condition: condition(static_cast<const TShapeDecision *>(s)); return;
        case ShapeKind::Loop: loop(static_cast<const TShapeDecision *>(s)); return;
        case ShapeKind::Start:
        case ShapeKind::Link:
            // Nothing to write; the next pass meets the same shape again and
            // refuses it.
            return;
        }
    }

    void read(const TShapeCustomControl *s)
    {
        const QString caption = s->Caption();
        const QStringList items = caption.split(',');
        QStringList names;
        for (const QString &item : items) {
            names << item.trimmed();
            if (names.last().isEmpty()) {
                fail(QStringLiteral("the read block \"%1\" has an empty name").arg(s->Name));
                return;
            }
        }
        if (std::all_of(names.cbegin(), names.cend(), [this](const QString &n) { return hoistable(n); })) {
            m_input = true;
            const qsizetype line = namesLine();
            m_lines[line] += ' ' + QString(caption).replace(',', ' ');
            // Each item goes in at the same place, last first, so they end
            // up in their order, above the → line.
            const qsizetype at = arrowLine();
            for (qsizetype i = names.size() - 1; i >= 0; --i)
                m_lines.insert(at, '"' + names[i] + QStringLiteral("\" \"\" INPUT OBJ") + Arrow);
            m_frame += names;
        } else {
            // Inside a branch or a loop the question is asked where the block
            // stands, each time the flow passes.
            for (const QString &n : std::as_const(names)) {
                m_lines << indent(m_level + 1) + '"' + n + QStringLiteral("\" \"\" INPUT OBJ") + Arrow
                               + QStringLiteral(" '") + n + QStringLiteral("' STO");
                m_assigned << n;
            }
        }
        advance(s);
    }

    // A Read or a constant Action may become a local of the frame (asked or
    // set once, before everything else) only while the walk is still in the
    // straight part at the start: outside any structure, before any junction,
    // and before anything else has set that name.
    bool hoistable(const QString &name) const
    {
        if (m_level != 1 || m_frame.contains(name) || m_assigned.contains(name))
            return false;
        return std::none_of(m_lines.cbegin(), m_lines.cend(),
                            [](const QString &l) { return l.startsWith(QLatin1String("$$")); });
    }

    static bool isQuoted(const QString &caption)
    {
        return caption.size() >= 2 && caption.startsWith('"') && caption.endsWith('"');
    }

    void write(const TShapeCustomControl *s)
    {
        const QString caption = s->Caption();
        if (isQuoted(caption)) {
            m_lines << indent(m_level + 1) + caption + QStringLiteral(" MSGBOX");
        } else {
            for (const QString &raw : caption.split(',')) {
                const QString item = raw.trimmed();
                if (item.isEmpty()) {
                    fail(QStringLiteral("the write block \"%1\" has an empty name").arg(s->Name));
                    return;
                }
                m_lines << indent(m_level + 1) + item + QStringLiteral(" \"") + item
                               + QStringLiteral("\" ") + Arrow + QStringLiteral("TAG");
            }
        }
        advance(s);
    }

    void action(const TShapeCustomControl *s)
    {
        const QString caption = s->Caption();
        const qsizetype eq = caption.indexOf('=');
        if (eq >= 0) {
            const QString name = caption.left(eq).trimmed();
            QString expression = caption.mid(eq + 1).trimmed();
            long double constant = 0;
            if (TCalcExpress::toNumber(expression, m_sep, constant) && hoistable(name)) {
                // A constant becomes the local's initial value.
                const qsizetype names = namesLine();
                m_lines[names] += ' ' + name;
                m_lines.insert(arrowLine(), expression);
                m_input = true;
                m_frame << name;
            } else if (TCalcExpress::toNumber(expression, m_sep, constant)) {
                m_lines << indent(m_level + 1) + expression + QStringLiteral(" '") + name
                               + QStringLiteral("' STO");
                m_assigned << name;
            } else {
                const qsizetype pi = expression.indexOf(QLatin1String("Pi"));
                if (pi >= 0 && (pi + 2 >= expression.size() || !isNamePart(expression[pi + 2])))
                    expression.replace(QLatin1String("Pi"), QStringLiteral("\u03C0"));
                m_lines << indent(m_level + 1) + '\'' + expression + QStringLiteral("' ") + Arrow
                               + QStringLiteral("NUM '") + name + QStringLiteral("' STO");
                m_assigned << name;
            }
        } else if (isQuoted(caption)) {
            m_lines << indent(m_level + 1) + caption + QStringLiteral(" MSGBOX");
        } else {
            m_lines << indent(m_level + 1) + caption;
        }
        advance(s);
    }

    void junction(const TShapeCustomControl *j)
    {
        if (!m_open.isEmpty() && !m_else.contains(j)) {
            const QString name = m_open.takeLast();
            const auto *c = dynamic_cast<const TShapeDecision *>(m_diagram.FindShape(name));
            if (!c) {
                fail(QStringLiteral("the condition \"%1\" is gone").arg(name));
                return;
            }
            const qsizetype p = placeholderIndex(c, 2);
            if (p < 0)
                return;
            m_lines[p + 1] = indent(m_level) + QStringLiteral("IF") + m_lines[p + 1];
            m_lines[p + 2] = indent(m_level) + QStringLiteral("THEN");
            m_lines.removeAt(p);
            if (c->FalseState() != j) {
                m_lines << indent(m_level) + QStringLiteral("ELSE");
                --m_visits[j];
                m_else.insert(j);
                m_current = c->FalseState();
                return;
            }
            m_lines << indent(m_level) + QStringLiteral("END");
            --m_level;
            m_lines << placeholder(j);
        } else if (!m_else.contains(j)) {
            m_lines << placeholder(j);
        } else {
            m_else.remove(j);
            m_lines << indent(m_level) + QStringLiteral("END");
            --m_level;
            m_lines << placeholder(j);
        }
        m_current = static_cast<const TShapeNode *>(j)->DefaultTransition();
        closeStructures();
    }

    static QString conditionText(const QString &caption)
    {
        QString c = caption;
        c.replace(QLatin1String(">="), QStringLiteral("\u2265"));
        c.replace(QLatin1String("<="), QStringLiteral("\u2264"));
        c.replace(QLatin1String("="), QLatin1String("=="));
        return c;
    }

    void condition(const TShapeDecision *c)
    {
        ++m_level;
        m_lines << placeholder(c);
        m_open << c->Name;
        m_lines << QStringLiteral(" '") + conditionText(c->Caption()) + '\'';
        m_lines << QStringLiteral("%%");
        const TShapeCustomControl *f = c->FalseState();
        if (!f) {
            fail(QStringLiteral("the condition \"%1\" has no false exit").arg(c->Name));
            return;
        }
        const bool junction = f->Kind() == ShapeKind::Trans;
        const int visits = m_visits.value(f);
        // The head of a WHILE that is the last thing in a FOR body leaves
        // through the loop it is in.
        const bool whileHead = isKind(m_cameFrom, ShapeKind::Trans)
                               && static_cast<const TShapeNode *>(m_cameFrom)->DefaultTransition() == c;
        if ((junction && visits == 0) || (!junction && visits != 1)
            || (whileHead && isKind(f, ShapeKind::Loop) && visits == 1)) {
            m_current = c->TrueState(); // an IF whose merge comes later
        } else if (junction && visits == 1) {
            // The false exit goes back to a junction already passed: DO ... UNTIL.
            m_open.removeAll(c->Name);
            const qsizetype top = placeholderIndex(f);
            const qsizetype p = top < 0 ? -1 : placeholderIndex(c, 2);
            if (p < 0)
                return;
            m_lines[top] = indent(m_level) + QStringLiteral("DO");
            m_lines[p + 1] = indent(m_level) + QStringLiteral("UNTIL") + m_lines[p + 1];
            m_lines[p + 2] = indent(m_level) + QStringLiteral("END");
            --m_level;
            m_lines.removeAt(p);
            m_current = c->TrueState();
            closeStructures();
        }
        // Otherwise the condition stays current and is refused as seen twice.
        if (!m_current)
            fail(QStringLiteral("the condition \"%1\" has no true exit").arg(c->Name));
    }

    void loop(const TShapeDecision *l)
    {
        ++m_level;
        const QString caption = l->Caption();
        const qsizetype eq = caption.indexOf('=');
        const qsizetype colon = eq < 0 ? -1 : caption.indexOf(':', eq + 1);
        if (colon < 0) {
            fail(QStringLiteral("the loop \"%1\" is not of the form name = start : end").arg(l->Name));
            return;
        }
        const QString name = caption.left(eq).trimmed();
        // " start : end" becomes " start   end": everything right of the
        // "=" as written, so the bounds keep the user's spacing.
        QString bounds = caption.mid(eq + 1);
        bounds[colon - eq - 1] = ' ';
        m_lines << indent(m_level) + bounds;
        m_lines << indent(m_level) + QStringLiteral("FOR ") + name;
        m_current = l->TrueState();
        if (!m_current)
            fail(QStringLiteral("the loop \"%1\" has no body").arg(l->Name));
    }

    // After a Read, Write or Action: follow the arrow, then close what the
    // flow comes back to.
    void advance(const TShapeCustomControl *s)
    {
        m_current = static_cast<const TShapeNode *>(s)->DefaultTransition();
        if (!m_current) {
            fail(QStringLiteral("the block \"%1\" leads nowhere").arg(s->Name));
            return;
        }
        closeStructures();
    }

    // The FOR loops the flow comes back to get their NEXT, and a junction
    // reached a second time on the way to its condition closes a WHILE. One
    // closing may lead straight to the next (a WHILE or an IF that ends the
    // body of a FOR), so this goes on until neither applies.
    void closeStructures()
    {
        while (m_current && !m_failed) {
            if (++m_closings > 4 * m_diagram.ShapeCount() + 8) {
                fail(QStringLiteral("the flowchart goes round in circles"));
                return;
            }
            if (isKind(m_current, ShapeKind::Loop) && m_visits.value(m_current) == 1) {
                m_lines << indent(m_level) + QStringLiteral("NEXT");
                --m_level;
                m_current = static_cast<const TShapeDecision *>(m_current)->FalseState();
                if (!m_current)
                    fail(QStringLiteral("a loop has no way out"));
                continue;
            }
            if (!isKind(m_current, ShapeKind::Trans) || m_visits.value(m_current) != 1)
                return;
            m_current = static_cast<const TShapeNode *>(m_current)->DefaultTransition();
            if (!m_current) {
                fail(QStringLiteral("a junction leads nowhere"));
                return;
            }
            if (!isKind(m_current, ShapeKind::Condition) || m_visits.value(m_current) != 1)
                return;
            const auto *c = static_cast<const TShapeDecision *>(m_current);
            m_open.removeAll(c->Name);
            const qsizetype p = placeholderIndex(c, 2);
            if (p < 0)
                return;
            m_lines[p + 1] = indent(m_level) + QStringLiteral("WHILE") + m_lines[p + 1];
            m_lines[p + 2] = indent(m_level) + QStringLiteral("REPEAT");
            m_lines.removeAt(p);
            m_lines << indent(m_level) + QStringLiteral("END");
            --m_level;
            m_current = c->FalseState();
            if (!m_current)
                fail(QStringLiteral("the condition \"%1\" has no false exit").arg(c->Name));
        }
    }

    void finish()
    {
        m_lines.removeIf([](const QString &l) { return l.startsWith(QLatin1String("$$")); });
        const qsizetype arrow = arrowLine();
        if (m_input) {
            m_lines[arrow] = Arrow + m_lines[arrow + 1];
            m_lines.removeAt(arrow + 1);
            m_lines << QStringLiteral(" ") + Close;
        } else {
            m_lines.removeAt(arrow + 1);
            m_lines.removeAt(arrow);
        }
        m_lines << Close + '|';
    }

    const TDiagram &m_diagram;
    QChar m_sep;
    QStringList m_lines;
    QStringList m_open; // conditions whose structure is not known yet
    int m_level = 1;
    const TShapeCustomControl *m_current = nullptr;
    bool m_failed = false;
    bool m_done = false;
    bool m_input = false;
    int m_closings = 0;
    const TShapeCustomControl *m_previous = nullptr; // the shape visited last
    const TShapeCustomControl *m_cameFrom = nullptr; // the one before the current
    QStringList m_frame;    // the locals of the frame
    QStringList m_assigned; // names set by a line of the program so far
    QString m_why;
    QHash<const TShapeCustomControl *, int> m_visits;
    QSet<const TShapeCustomControl *> m_else;
};

} // namespace

GeneratedCode GenerateUserRPL(const TDiagram &diagram, QChar decimalSeparator)
{
    return Walk(diagram, decimalSeparator).run();
}
