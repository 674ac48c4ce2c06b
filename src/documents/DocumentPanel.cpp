#include "documents/DocumentPanel.h"
#include "formats/CalcCharset.h"

#include "documents/DocumentEditor.h"
#include "formats/HPUtils.h"
#include "formats/SafeFile.h"
#include "shell/AppDialogs.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/MruList.h"
#include "shell/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

QString baseName(const QString &fileName)
{
    // The name without folder and without its last extension.
    const QFileInfo info(fileName);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf('.');
    return dot > 0 ? name.left(dot) : name;
}

QString backupName(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf('.');
    const QString backup = info.dir().filePath((dot > 0 ? name.left(dot) : name) + ".bak");
    // "notes.bak" would be its own backup: the copy would replace the very
    // file being saved.
    return backup == info.absoluteFilePath() ? backup + ".bak" : backup;
}

QString readFailure(const QString &path, const QString &reason)
{
    return FormatText(LanguageText("MainProgram", "ReadFailure"), {path, reason});
}

QString writeFailure(const QString &path, const QString &reason)
{
    return FormatText(LanguageText("MainProgram", "WriteFailure"), {path, reason});
}

} // namespace

DocumentPanel::DocumentPanel(MruList &mru, QWidget *parent)
    : QWidget(parent)
    , m_mru(mru)
    , m_tabBar(new QTabBar(this))
    , m_pages(new QStackedWidget(this))
{
    setObjectName("Panel");
    m_tabBar->setObjectName("TabBar");
    m_pages->setObjectName("PageList");
    m_tabBar->setTabsClosable(false);
    m_tabBar->setExpanding(false);
    m_tabBar->setDocumentMode(true);
    m_tabBar->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tabBar->setSelectionBehaviorOnRemove(QTabBar::SelectRightTab);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tabBar);
    layout->addWidget(m_pages, 1);

    connect(m_tabBar, &QTabBar::currentChanged, this, &DocumentPanel::onTabChanged);
    connect(m_tabBar, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const int index = m_tabBar->tabAt(pos);
        if (index >= 0 && index != m_active)
            selectDocument(index);
        if (m_popupMenu && index >= 0)
            m_popupMenu->exec(m_tabBar->mapToGlobal(pos));
    });
    hide();
}

DocumentPanel::~DocumentPanel() = default;

int DocumentPanel::indexOfFile(const QString &name, bool fromDisk) const
{
    for (int i = 0; i < m_documents.size(); ++i) {
        const Document &d = m_documents[i];
        // A file on disk is the same document when it is the same file; names
        // of untitled documents compare as text.
        if (fromDisk && !d.untitled) {
            if (QFileInfo(d.fileName) == QFileInfo(name))
                return i;
        } else if (d.fileName.compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

int DocumentPanel::indexOfEditor(const DocumentEditor *editor) const
{
    for (int i = 0; i < m_documents.size(); ++i)
        if (m_documents[i].editor == editor)
            return i;
    return -1;
}

DocumentEditor *DocumentPanel::createEditor()
{
    auto *editor = new DocumentEditor;
    editor->applySettings(Settings().editor);
    editor->setLineNumbersVisible(m_lineNumbers);
    editor->setContextMenu(m_popupMenu);
    connect(editor, &DocumentEditor::statusChanged, this, [this, editor] {
        if (editor == ActiveEditor())
            UpdateTitleAndStatus();
    });
    connect(editor, &QsciScintilla::textChanged, this, [this, editor] {
        if (editor == ActiveEditor())
            emit activeTextChanged();
    });
    connect(editor, &DocumentEditor::filesDropped, this, [this](const QStringList &files) {
        for (const QString &file : files)
            OpenDocument(file, true);
    });
    connect(editor, &DocumentEditor::charactersRefused, this, &DocumentPanel::charactersRefused);
    connect(editor, &DocumentEditor::gutterClicked, this, [this, editor](int line) {
        emit gutterClicked(editor, line);
    });
    if (m_editorSetup)
        m_editorSetup(editor);
    return editor;
}

bool DocumentPanel::OpenDocument(const QString &name, bool fromDisk)
{
    const QString fileName = fromDisk ? QFileInfo(name).absoluteFilePath() : name;
    if (fromDisk && !QFileInfo(fileName).isFile()) {
        ShowAppMessage(FormatText(Message(MsgFileNotFound), {name}), QMessageBox::Critical);
        return false;
    }
    if (isHidden())
        show();
    const int existing = indexOfFile(fileName, fromDisk);
    if (existing >= 0) {
        selectDocument(existing);
        return true;
    }

    QByteArray bytes;
    if (fromDisk) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            ShowAppMessage(readFailure(fileName, file.errorString()), QMessageBox::Critical);
            if (m_documents.isEmpty())
                hide();
            return false;
        }
        bytes = file.readAll();
    }

    Document doc;
    doc.fileName = fileName;
    doc.untitled = !fromDisk;
    doc.page = new QWidget;
    auto *layout = new QVBoxLayout(doc.page);
    layout->setContentsMargins(0, 0, 0, 0);
    doc.editor = createEditor();
    layout->addWidget(doc.editor);
    m_pages->addWidget(doc.page);
    m_pages->setCurrentWidget(doc.page);
    m_documents.append(doc);

    if (fromDisk) {
        doc.editor->setDocumentBytes(bytes);
        m_mru.add(fileName);
        emit mruChanged();
    }
    doc.editor->clearUndoHistory();
    doc.editor->setModified(false);
    doc.editor->setFocus();

    const int index = int(m_documents.size()) - 1;
    {
        const QSignalBlocker block(m_tabBar);
        m_tabBar->addTab(tabCaption(fileName, false));
        m_tabBar->setCurrentIndex(index);
    }
    m_active = index;
    // A file another editor wrote in UTF-8 shows « as "Â«": offered for
    // conversion; the bytes stay as they are unless the user accepts.
    if (fromDisk && CalcCharset::looksLikeUtf8(bytes)
        && ShowAppMessage(FormatText(LanguageText("MainProgram", "Utf8Document"), {fileName}),
                          QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
               == QMessageBox::Yes) {
        doc.editor->selectAll();
        doc.editor->replaceSelectedText(CalcCharset::decode(CalcCharset::fromUtf8Text(bytes)));
        doc.editor->setCursorPosition(0, 0);
    }
    if (!fromDisk) {
        emit newDocumentCreated(doc.editor);
        // The header template is no change of the user's: an untouched new
        // document closes without a question.
        doc.editor->clearUndoHistory();
        doc.editor->setModified(false);
    }
    UpdateTitleAndStatus();
    emit documentsChanged();
    return true;
}

void DocumentPanel::NewDocument()
{
    if (OpenDocument(FormatText(QStringLiteral("%s%d"), {Label(LblUntitled), m_newDocumentCounter}), false))
        m_documents.last().untitledNumber = m_newDocumentCounter;
    ++m_newDocumentCounter;
}

void DocumentPanel::RenameUntitledDocuments()
{
    for (int i = 0; i < m_documents.size(); ++i) {
        Document &d = m_documents[i];
        if (!d.untitled || d.untitledNumber <= 0)
            continue;
        d.fileName = FormatText(QStringLiteral("%s%d"), {Label(LblUntitled), d.untitledNumber});
        m_tabBar->setTabText(i, tabCaption(d.fileName, d.editor->isModified()));
    }
    UpdateTitleAndStatus();
}

bool DocumentPanel::SaveDocument()
{
    if (m_active < 0)
        return false;
    const Document &d = m_documents[m_active];
    // A document that never had a file asks for one. Its name alone is not
    // trusted: the untitled base name may be empty or match a file on disk.
    if (d.untitled)
        return SaveDocumentAs();
    return WriteDocument(d.fileName);
}

QString DocumentPanel::fileDialogFilter()
{
    QStringList entries;
    for (int n : {23, 24, 25, 26, 27, 28, 29, 30, 31, 9, 32})
        entries << Label(n);
    return entries.join('|');
}

bool DocumentPanel::SaveDocumentAs()
{
    DocumentEditor *editor = ActiveEditor();
    if (!editor)
        return false;
    EnvironmentSettings &env = Settings().environment;
    FileDialogOptions options;
    options.title = Label(LblSaveAsTitle);
    options.filter = fileDialogFilter();
    options.filterIndex = SaveFilterEntryFor(editor->textWithCrLf(), env.SaveFilterIndex);
    options.fileName = m_documents[m_active].fileName;
    options.defaultExtension = QStringLiteral("hpe");
    const FileDialogResult result = Dialogs().saveFile(options);
    if (!result.accepted)
        return false;
    env.SaveFilterIndex = result.filterIndex;
    return WriteDocument(result.path);
}

bool DocumentPanel::WriteDocument(const QString &path)
{
    DocumentEditor *editor = ActiveEditor();
    if (!editor)
        return false;
    const EditorSettings &s = Settings().editor;
    const QString target = QFileInfo(path).absoluteFilePath();
    const QByteArray bytes = editor->bytesForSave(s.EndLineFormat);

    // The backup is made from the old file before it is replaced; both go
    // through a temporary file and a rename, so a failure at any step leaves
    // the document, the old backup and the file on disk as they were.
    if (s.CreateBackup && QFileInfo::exists(target)) {
        const QString backup = backupName(target);
        QString why;
        if (!CopyFileSafely(target, backup, &why)) {
            ShowAppMessage(writeFailure(backup, LanguageText("MainProgram", "BackupFailure") + ": " + why),
                           QMessageBox::Critical);
            return false;
        }
    }
    QString why;
    if (!ReplaceFile(target, bytes, &why)) {
        ShowAppMessage(writeFailure(target, why), QMessageBox::Critical);
        return false;
    }

    m_mru.add(target);
    emit mruChanged();
    editor->setModified(false);
    if (!s.UndoAfterSave)
        editor->clearUndoHistory();
    Document &d = m_documents[m_active];
    d.fileName = target;
    d.untitled = false;
    UpdateTitleAndStatus();
    return true;
}

bool DocumentPanel::AskSaveDocument()
{
    DocumentEditor *editor = ActiveEditor();
    if (!editor || !editor->isModified())
        return true;
    const auto answer = ShowAppMessage(FormatText(Message(MsgSaveChanges), {m_documents[m_active].fileName}),
                                       QMessageBox::Warning,
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        return SaveDocument();
    return answer == QMessageBox::No;
}

void DocumentPanel::CloseActiveDocument()
{
    const int i = m_active;
    if (i < 0)
        return;
    // The tab to the right takes the place; the last tab gives way to its left.
    const int next = i + 1 < m_documents.size() ? i : i - 1;
    const Document doc = m_documents.takeAt(i);
    {
        const QSignalBlocker block(m_tabBar);
        m_tabBar->removeTab(i);
        m_active = -1;
        if (next >= 0)
            m_tabBar->setCurrentIndex(next);
    }
    m_pages->removeWidget(doc.page);
    delete doc.page;
    if (next >= 0) {
        onTabChanged(next);
    } else {
        hide();
        UpdateTitleAndStatus();
        emit documentsChanged();
    }
}

bool DocumentPanel::CloseAllDocuments()
{
    // Every question comes before anything is saved or closed, so a Cancel
    // to any of them leaves every tab open as it was.
    const int wasActive = m_active;
    QList<int> toSave;
    for (int i = 0; i < m_documents.size(); ++i) {
        if (!m_documents[i].editor->isModified())
            continue;
        selectDocument(i); // the user sees the document asked about
        const auto answer = ShowAppMessage(FormatText(Message(MsgSaveChanges), {m_documents[i].fileName}),
                                           QMessageBox::Warning,
                                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Yes) {
            toSave << i;
        } else if (answer != QMessageBox::No) {
            selectDocument(wasActive);
            return false;
        }
    }
    // A save that fails (reported) or a cancelled Save As closes nothing.
    for (int i : std::as_const(toSave)) {
        selectDocument(i);
        if (!SaveDocument())
            return false;
    }
    while (!m_documents.isEmpty())
        CloseActiveDocument();
    return true;
}

bool DocumentPanel::IsDocumentEmpty() const
{
    const DocumentEditor *editor = ActiveEditor();
    return !editor || editor->isDocumentEmpty();
}

DocumentEditor *DocumentPanel::ActiveEditor() const
{
    return m_active >= 0 && m_active < m_documents.size() ? m_documents[m_active].editor : nullptr;
}

DocumentEditor *DocumentPanel::editor(int index) const
{
    return index >= 0 && index < m_documents.size() ? m_documents[index].editor : nullptr;
}

QString DocumentPanel::fileName(int index) const
{
    return index >= 0 && index < m_documents.size() ? m_documents[index].fileName : QString();
}

bool DocumentPanel::isUntitled(int index) const
{
    return index >= 0 && index < m_documents.size() && m_documents[index].untitled;
}

QString DocumentPanel::programParameters(int index) const
{
    return index >= 0 && index < m_documents.size() ? m_documents[index].parameters : QString();
}

void DocumentPanel::setProgramParameters(int index, const QString &parameters)
{
    if (index >= 0 && index < m_documents.size())
        m_documents[index].parameters = parameters;
}

int DocumentPanel::breakpointLine(int index) const
{
    return index >= 0 && index < m_documents.size() ? m_documents[index].breakpointLine : -1;
}

void DocumentPanel::setBreakpointLine(int index, int line)
{
    if (index < 0 || index >= m_documents.size() || m_documents[index].breakpointLine == line)
        return;
    m_documents[index].breakpointLine = line;
    m_documents[index].editor->setBreakpointLine(line);
}

void DocumentPanel::selectDocument(int index)
{
    if (index < 0 || index >= m_documents.size())
        return;
    if (m_tabBar->currentIndex() != index)
        m_tabBar->setCurrentIndex(index); // runs onTabChanged
    else
        onTabChanged(index);
}

void DocumentPanel::onTabChanged(int index)
{
    if (index < 0 || index >= m_documents.size())
        return;
    m_active = index;
    Document &d = m_documents[index];
    m_pages->setCurrentWidget(d.page);
    d.editor->setLineNumbersVisible(m_lineNumbers);
    d.editor->setFocus();
    UpdateTitleAndStatus();
    emit documentsChanged();
}

void DocumentPanel::setLineNumbers(bool visible)
{
    m_lineNumbers = visible;
    if (DocumentEditor *editor = ActiveEditor())
        editor->setLineNumbersVisible(visible);
}

void DocumentPanel::ApplyEditorSettings()
{
    for (const Document &d : std::as_const(m_documents))
        d.editor->applySettings(Settings().editor);
}

void DocumentPanel::setPopupMenu(QMenu *menu)
{
    m_popupMenu = menu;
    for (const Document &d : std::as_const(m_documents))
        d.editor->setContextMenu(menu);
}

void DocumentPanel::setEditorSetup(std::function<void(DocumentEditor *)> setup)
{
    m_editorSetup = std::move(setup);
}

QString DocumentPanel::tabCaption(const QString &fileName, bool modified)
{
    return ' ' + baseName(fileName) + (modified ? QStringLiteral(" *") : QString()) + ' ';
}

QString DocumentPanel::windowTitle() const
{
    const DocumentEditor *editor = ActiveEditor();
    if (!editor)
        return QString::fromLatin1(AppTitle);
    return QString::fromLatin1(AppTitle) + " - [" + m_documents[m_active].fileName + ']'
           + (editor->isModified() ? QStringLiteral(" *") : QString());
}

QString DocumentPanel::statusText(int panel) const
{
    const DocumentEditor *editor = ActiveEditor();
    if (!editor)
        return QString();
    switch (panel) {
    case 0:
        return editor->isModified() ? Label(LblModified) : QString();
    case 1:
        return editor->isInsertMode() ? Label(LblInsertMode) : Label(LblOverwriteMode);
    case 2:
        return FormatText(Label(LblCaretPosition), {editor->caretLine(), editor->caretColumn()});
    }
    return QString();
}

void DocumentPanel::UpdateTitleAndStatus()
{
    if (DocumentEditor *editor = ActiveEditor())
        m_tabBar->setTabText(m_active, tabCaption(m_documents[m_active].fileName, editor->isModified()));
    emit titleAndStatusChanged();
}
