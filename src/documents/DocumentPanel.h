#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class DocumentEditor;
class MruList;
#include <QMenu>
class QStackedWidget;
class QTabBar;

// The open documents: the tab bar over the page list, one editor per page,
// with each document's file name, program parameters and breakpoint line.
// It opens, saves and closes documents; the main window hosts it as its
// client panel, runs its commands through it and shows its title and status
// texts. The panel hides itself while no document is open.
class DocumentPanel : public QWidget
{
    Q_OBJECT
public:
    explicit DocumentPanel(MruList &mru, QWidget *parent = nullptr);
    ~DocumentPanel() override;

    // Opens a document. fromDisk false makes a new untitled document called
    // name. A file that is already open only gets its tab selected. False
    // when nothing was opened (missing or unreadable file, reported).
    bool OpenDocument(const QString &name, bool fromDisk);
    // FileNew: an untitled document named Label1 + NewDocumentCounter.
    void NewDocument();
    // After a language change: the untitled documents of FileNew take the
    // new Label1 ("Sin título 1" becomes "Untitled 1").
    void RenameUntitledDocuments();
    // FileSave: save-as for a document that never had a file; true when saved.
    bool SaveDocument();
    // Asks for a path; true when saved.
    bool SaveDocumentAs();
    // Writes the active document to path; a failure is reported and leaves
    // the document modified under its old name. True on success.
    bool WriteDocument(const QString &path);
    // True when the caller may go on: saved, not modified, or not wanted.
    bool AskSaveDocument();
    void CloseActiveDocument();
    // Asks about every modified document, then saves those wanted and closes
    // all. False, with every document still open, at a cancel or a failed save.
    bool CloseAllDocuments();
    bool IsDocumentEmpty() const;

    DocumentEditor *ActiveEditor() const;
    int ActiveDocument() const { return m_active; }
    int count() const { return int(m_documents.size()); }
    DocumentEditor *editor(int index) const;
    QString fileName(int index) const;
    bool isUntitled(int index) const;
    int NewDocumentCounter() const { return m_newDocumentCounter; }

    // Run-time companions of a document, never saved with it.
    QString programParameters(int index) const;
    void setProgramParameters(int index, const QString &parameters);
    int breakpointLine(int index) const; // -1: none
    void setBreakpointLine(int index, int line);

    // Selects a document as a tab click does.
    void selectDocument(int index);

    // The View menu's line-number check mark, followed by every tab switch.
    void setLineNumbers(bool visible);
    // Re-applies the editor settings to every open editor.
    void ApplyEditorSettings();
    // The popup menu of the tab bar and of every editor.
    void setPopupMenu(QMenu *menu);
    // Called for each new editor after its settings are applied; the place
    // where the highlighter's lexer and other per-editor wiring are attached.
    void setEditorSetup(std::function<void(DocumentEditor *)> setup);

    // Texts of the window title, the active tab and the status panels 0-2.
    QString windowTitle() const;
    static QString tabCaption(const QString &fileName, bool modified);
    QString statusText(int panel) const;
    // The eleven entries of the open and save-as dialogs.
    static QString fileDialogFilter();

    QTabBar *tabBar() const { return m_tabBar; }

signals:
    // Title, tab caption or status texts may have changed.
    void titleAndStatusChanged();
    // A document was opened or closed, or another one selected.
    void documentsChanged();
    // The text of the active document changed (for the enabling rule).
    void activeTextChanged();
    // A new untitled document exists and is active; the header template is
    // inserted here.
    void newDocumentCreated(DocumentEditor *editor);
    void mruChanged();
    // Characters with no calculator byte were left out of what was typed.
    void charactersRefused(const QString &characters);
    // A click in an editor's gutter (0-based line); the caret is on that line.
    void gutterClicked(DocumentEditor *editor, int line);

public slots:
    void UpdateTitleAndStatus();

private:
    struct Document
    {
        DocumentEditor *editor = nullptr;
        QWidget *page = nullptr;
        QString fileName;
        QString parameters;
        int breakpointLine = -1;
        bool untitled = false;
        int untitledNumber = 0; // FileNew's counter; the name follows the language
    };

    int indexOfFile(const QString &name, bool fromDisk) const;
    int indexOfEditor(const DocumentEditor *editor) const;
    DocumentEditor *createEditor();
    void onTabChanged(int index);

    MruList &m_mru;
    QTabBar *m_tabBar;
    QStackedWidget *m_pages;
    QList<Document> m_documents;
    int m_active = -1;
    int m_newDocumentCounter = 1;
    bool m_lineNumbers = false;
    QPointer<QMenu> m_popupMenu;
    std::function<void(DocumentEditor *)> m_editorSetup;
};
