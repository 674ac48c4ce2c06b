#pragma once

// A stand-in for the main window in the tests of a subsystem's commands: a
// plain window with a document panel, whose actions are made on first use.

#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "documents/EditorOperations.h"
#include "shell/CommandHost.h"
#include "shell/MruList.h"

#include <QAction>
#include <QHash>
#include <QWidget>

class TestCommandHost : public QWidget, public CommandHost
{
public:
    TestCommandHost()
        : m_mru(4)
        , m_documents(new DocumentPanel(m_mru, this))
    {
    }

    QAction *Action(const QString &name) const override
    {
        QAction *&action = m_actions[name];
        if (!action)
            action = new QAction(name, const_cast<TestCommandHost *>(this));
        return action;
    }
    void trigger(const QString &name) { Action(name)->trigger(); }
    DocumentEditor *ActiveEditor() const override { return m_documents->ActiveEditor(); }
    DocumentPanel *Documents() const override { return m_documents; }
    // Inserts as the main window does, and keeps the text; with
    // recordSnippetsOnly the text is only kept.
    void InsertSnippet(const QByteArray &text) override
    {
        snippets << text;
        if (DocumentEditor *editor = ActiveEditor(); editor && !recordSnippetsOnly)
            EditorOperations::insertSnippet(editor, text);
    }
    void UpdateActions() override { ++updates; }
    void LoadStackDiagrams() override { ++diagramLoads; }
    QWidget *Window() override { return this; }

    QList<QByteArray> snippets;
    bool recordSnippetsOnly = false;
    int updates = 0;
    int diagramLoads = 0;

private:
    MruList m_mru;
    DocumentPanel *m_documents;
    mutable QHash<QString, QAction *> m_actions;
};
