#pragma once

// Runs generated text in the calculator library, to show that what the
// generators write compiles into the object meant.

#include "calc/core/Engine.h"
#include "formats/CalcCharset.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace CalcCheck {

// Enters text (the caret marker removed) and then each of commands; the
// stack as the calculator shows it, level 1 last, or "error: ..." when
// something fails.
inline QStringList run(QByteArray text, const QStringList &commands = {})
{
    text.replace('|', "");
    Calc::Engine engine;
    if (engine.enter(text.toStdString()) != Calc::Engine::Status::Done)
        return {QStringLiteral("error: ") + QString::fromStdString(engine.lastError().message)};
    for (const QString &command : commands)
        if (engine.enter(command.toStdString()) != Calc::Engine::Status::Done)
            return {QStringLiteral("error: ") + QString::fromStdString(engine.lastError().message)};
    QStringList shown;
    for (const Calc::Value &v : engine.stack())
        shown << CalcCharset::decode(QByteArray::fromStdString(engine.toText(v))).simplified();
    return shown;
}

} // namespace CalcCheck
