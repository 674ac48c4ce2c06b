#pragma once

#include <QByteArray>
#include <QList>

// The command tree read from a ".mtv" file: the calculator's menus as folders,
// its commands as leaves, one node per line in the calculator's character set.
// A line's leading blanks and tabs (one level each) give its depth; empty
// lines and lines whose text starts with "@" are ignored. A text holding "=["
// shows only what lies between its first "[" and its last character.
struct CommandTreeNode {
    enum Image { Folder = 0, Command = 1 };

    QByteArray text;
    int parent = -1; // index into the node list, -1 for a top-level node
    int level = 0;   // 0 for top-level nodes
    Image image = Command;
    int line = 0;    // 1-based line of the file
};

struct CommandTree {
    QList<CommandTreeNode> nodes; // in file order: parents before children
    QList<int> skippedLines;      // lines indented more than one level deeper

    // Indexes of the children of node parent (-1: the top-level nodes).
    QList<int> children(int parent) const;
};

CommandTree parseCommandTree(const QByteArray &bytes);

// The text a ".mtv" line shows once its "label=[text]" form is reduced.
QByteArray commandTreeNodeText(const QByteArray &text);
