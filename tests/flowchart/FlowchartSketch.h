#pragma once

// Flowcharts for tests, written as text: one block per ";"-separated part,
//   name kind [caption] -> target            (start read action write stop trans)
//   name cond [caption] -> true, false       (cond loop)
//   name link -> destination
// A target may be left out ("-> " with nothing, or no arrow at all). Blocks
// are placed one under another; the first one named is the first child.
#include "flowchart/DiagramBuilder.h"

#include <QRegularExpression>
#include <QStringList>

inline ShapeKind sketchKind(const QString &word)
{
    static const QHash<QString, ShapeKind> kinds = {
        {"start", ShapeKind::Start}, {"read", ShapeKind::Read},   {"action", ShapeKind::Action},
        {"cond", ShapeKind::Condition}, {"loop", ShapeKind::Loop}, {"link", ShapeKind::Link},
        {"write", ShapeKind::Write}, {"stop", ShapeKind::Stop},   {"trans", ShapeKind::Trans}};
    Q_ASSERT(kinds.contains(word));
    return kinds.value(word);
}

// Builds the sketch into diagram; false (with a warning) when it is malformed.
inline bool buildSketch(TDiagram &diagram, const QString &sketch)
{
    static const QRegularExpression part(
        QStringLiteral(R"(^\s*(\w+)\s+(\w+)\s*(?:\[(.*)\])?\s*(?:->\s*([\w ]*?)\s*(?:,\s*(\w+))?)?\s*$)"));
    struct Pending
    {
        TShapeCustomControl *shape;
        QString first, second;
    };
    QList<Pending> links;
    int top = 8;
    for (const QString &text : sketch.split(';', Qt::SkipEmptyParts)) {
        const auto m = part.match(text);
        if (!m.hasMatch()) {
            qWarning("sketch part not understood: %s", qPrintable(text));
            return false;
        }
        auto shape = CreateShape(sketchKind(m.captured(2)));
        shape->Name = m.captured(1);
        shape->SetCaption(m.captured(3));
        shape->SetBounds(16, top, shape->Width(), shape->Height());
        top += shape->Height() + 16;
        links.append({diagram.AddShape(std::move(shape)), m.captured(4), m.captured(5)});
    }
    for (const Pending &p : links) {
        TShapeCustomControl *first = p.first.isEmpty() ? nullptr : diagram.FindShape(p.first);
        TShapeCustomControl *second = p.second.isEmpty() ? nullptr : diagram.FindShape(p.second);
        if ((!p.first.isEmpty() && !first) || (!p.second.isEmpty() && !second)) {
            qWarning("sketch names a missing block: %s %s", qPrintable(p.first), qPrintable(p.second));
            return false;
        }
        if (auto *d = dynamic_cast<TShapeDecision *>(p.shape)) {
            d->SetTrueState(first);
            d->SetFalseState(second);
        } else if (auto *l = dynamic_cast<TShapeLink *>(p.shape)) {
            l->SetDestination(first);
        } else {
            static_cast<TShapeNode *>(p.shape)->SetDefaultTransition(first);
        }
    }
    diagram.SetState(nullptr);
    return true;
}
