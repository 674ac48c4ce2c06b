#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The readable sources of the reference data shipped in Templates/.
//
// The command list, the stack diagrams, the menu tree and the keyword lists
// are written by hand as UTF-8 text under scripts/refdata/ and turned into
// the calculator's 8-bit character set here, so that the shipped files and
// their sources can never drift apart unnoticed (a test regenerates them and
// compares byte for byte).
namespace ReferenceSource {

enum class Model { Hp48, Hp49 };

struct DiagramForm {
    QString text; // without the outer parentheses, trimmed
    bool on48 = true;
    bool on49 = true;
    int line = 0;
};

struct Command {
    QString name;
    bool on48 = false;
    bool on49 = false;
    QList<DiagramForm> forms;
    int line = 0;
};

struct Commands {
    QList<Command> commands;
    QStringList errors; // "line N: what is wrong"
};

// Parses the master command file (format described at its top).
Commands parseCommands(const QString &text);

// The command keyword file: a comment header, then one name per line.
QByteArray commandList(const QList<Command> &commands, QStringList *errors);

// The stack-diagram file of one model.
QByteArray stackDiagrams(const QList<Command> &commands, Model model, QStringList *errors);

// A plain UTF-8 source (menu tree or keyword list) in the calculator's set,
// with "#" comment lines dropped and LF line ends.
QByteArray plainFile(const QString &text, QStringList *errors);

// Every file the sources folder produces, by file name under Templates/.
struct Output {
    QString fileName;
    QByteArray bytes;
};
QList<Output> generateAll(const QString &sourceDir, QStringList *errors);

} // namespace ReferenceSource
