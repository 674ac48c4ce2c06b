#include "documents/CommandTree.h"

#include "documents/StackDiagrams.h"

QList<int> CommandTree::children(int parent) const
{
    QList<int> found;
    for (int i = 0; i < nodes.size(); ++i) {
        if (nodes.at(i).parent == parent)
            found << i;
    }
    return found;
}

QByteArray commandTreeNodeText(const QByteArray &text)
{
    if (!text.contains("=["))
        return text;
    const qsizetype open = text.indexOf('[');
    return text.mid(open + 1, std::max<qsizetype>(0, text.size() - open - 2));
}

CommandTree parseCommandTree(const QByteArray &bytes)
{
    CommandTree tree;
    int last = -1;
    const QByteArrayList lines = splitTextLines(bytes);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        int depth = 0;
        while (depth < line.size() && (line.at(depth) == ' ' || line.at(depth) == '\t'))
            ++depth;
        const QByteArray raw = line.mid(depth);
        if (raw.isEmpty() || raw.startsWith('@'))
            continue;

        CommandTreeNode node;
        node.text = commandTreeNodeText(raw);
        node.line = int(i + 1);
        if (last < 0) {
            node.image = CommandTreeNode::Folder;
        } else {
            CommandTreeNode &previous = tree.nodes[last];
            if (depth == previous.level) {
                node.parent = previous.parent;
                node.level = previous.level;
            } else if (depth == previous.level + 1) {
                previous.image = CommandTreeNode::Folder;
                node.parent = last;
                node.level = depth;
            } else if (depth < previous.level) {
                int ancestor = previous.parent;
                while (tree.nodes.at(ancestor).level > depth)
                    ancestor = tree.nodes.at(ancestor).parent;
                tree.nodes[ancestor].image = CommandTreeNode::Folder;
                node.parent = tree.nodes.at(ancestor).parent;
                node.level = tree.nodes.at(ancestor).level;
            } else {
                tree.skippedLines << node.line;
                continue;
            }
        }
        tree.nodes << node;
        last = int(tree.nodes.size() - 1);
    }
    return tree;
}
