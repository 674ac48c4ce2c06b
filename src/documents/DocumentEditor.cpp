#include "documents/DocumentEditor.h"

#include "formats/CalcCharset.h"
#include "shell/Settings.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qscilexer.h>

#include <QContextMenuEvent>
#include <QCursor>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

namespace {

const QColor GutterBackground(0xDC, 0xDC, 0xDC);

// The calculator's x-bar typed or pasted as "x" + combining macron.
const QString XBarSequence = QStringLiteral("x\u0304");

} // namespace

DocumentEditor::DocumentEditor(QWidget *parent)
    : QsciScintilla(parent)
{
    setUtf8(true);
    setFrameShape(QFrame::NoFrame);
    setProperty("helpContext", HelpContext);
    setWhatsThis(tr("Editor del documento: escriba aquí el código fuente para la calculadora."));

    // The private-use code point of x-bar has no glyph in any font.
    const QByteArray xbar = QString(QChar(char16_t(CalcCharset::XBarCodePoint))).toUtf8();
    SendScintilla(SCI_SETREPRESENTATION, xbar.constData(), "x\u0304");

    setMarginType(0, NumberMargin);
    setMarginsBackgroundColor(GutterBackground);
    setMarginsForegroundColor(palette().color(QPalette::Highlight));
    setMarginSensitivity(0, true);
    setMarginMarkerMask(0, 1 << BreakpointMarker);
    setMarginWidth(1, 0);
    markerDefine(breakpointGlyph(), BreakpointMarker);
    // The breakpoint line is white on red.
    markerDefine(QsciScintilla::Background, BreakpointLineMarker);
    setMarkerBackgroundColor(Qt::red, BreakpointLineMarker);
    indicatorDefine(TextColorIndicator, BreakpointTextIndicator);
    setIndicatorForegroundColor(Qt::white, BreakpointTextIndicator);
    setEdgeColor(QColor(0xC0, 0xC0, 0xC0));
    setEolMode(EolWindows);

    connect(this,
            &QsciScintillaBase::SCN_MODIFIED,
            this,
            [this](int position, int type, const char *, int, int, int, int, int, int, int) {
                onModified(position, type);
            });
    connect(this, &QsciScintilla::cursorPositionChanged, this, &DocumentEditor::onCursorMoved);
    connect(this, &QsciScintilla::selectionChanged, this, &DocumentEditor::statusChanged);
    connect(this, &QsciScintilla::modificationChanged, this, &DocumentEditor::statusChanged);
    connect(this, &QsciScintilla::marginClicked, this, [this](int margin, int line, Qt::KeyboardModifiers) {
        if (margin == 0) {
            // The click acts on the clicked line, as a caret there would.
            setCursorPosition(line, 0);
            emit gutterClicked(line);
        }
    });
    connect(this, &QsciScintilla::linesChanged, this, &DocumentEditor::updateGutter);
    // While the scroll bar is dragged, a hint names the top line.
    connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, [this](int) {
        QToolTip::showText(QCursor::pos(), QString::number(firstVisibleLine() + 1), this);
    });

    applySettings(EditorSettings());
}

void DocumentEditor::applySettings(const EditorSettings &s)
{
    setAutoIndent(s.AutoIndent);
    setInsertMode(s.InsertMode);
    setIndentationsUseTabs(!s.TabsToSpaces);
    m_smartTabs = s.SmallTabs;
    m_hideSelection = s.HideSelection;
    m_trimTrailing = s.TrimTrailingSpaces;
    m_dragDrop = s.DragDropEditing;
    SendScintilla(SCI_SETRECTANGULARSELECTIONMODIFIER,
                  s.AltSetsColumnMode ? long(SCMOD_ALT) : long(SCMOD_SUPER));
    const int extra = qMax(0, s.ExtraLineSpacing);
    SendScintilla(SCI_SETEXTRAASCENT, long(extra - extra / 2));
    SendScintilla(SCI_SETEXTRADESCENT, long(extra / 2));
    QFont font(s.FontEditor, s.FontSize > 0 ? s.FontSize : 12);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    // With a highlighter attached the widget ignores setFont(): the lexer
    // carries the font, and font() must still tell what the editor shows.
    if (QsciLexer *highlighter = lexer()) {
        QWidget::setFont(font);
        highlighter->setFont(font);
    }
    setMarginsFont(font);
    setTabWidth(qMax(1, s.TabSize));
    setTabIndents(false);
    setEdgeMode(s.MarginVisible ? EdgeLine : EdgeNone);
    setEdgeColumn(s.MarginSize);
    m_gutterVisible = s.GutterVisible;
    m_gutterSize = qMax(0, s.GutterSize);
    updateGutter();
}

void DocumentEditor::releaseKeys(const QList<QKeySequence> &keys)
{
    QSet<int> taken;
    for (const QKeySequence &key : keys)
        if (!key.isEmpty())
            taken.insert(key[0].toCombined());
    for (QsciCommand *command : standardCommands()->commands()) {
        if (command->key() && taken.contains(command->key()))
            command->setKey(0);
        if (command->alternateKey() && taken.contains(command->alternateKey()))
            command->setAlternateKey(0);
    }
}

void DocumentEditor::setLineNumbersVisible(bool visible)
{
    m_lineNumbers = visible;
    updateGutter();
}

void DocumentEditor::updateGutter()
{
    setMarginLineNumbers(0, m_lineNumbers);
    int width = m_gutterVisible ? m_gutterSize : 0;
    if (m_gutterVisible && m_lineNumbers) {
        // Wide enough for the largest number, so long files stay readable.
        const QString digits(QString::number(qMax(lines(), 1)).size() + 1, '9');
        width = qMax(width, QFontMetrics(font()).horizontalAdvance(digits) + 6);
    }
    setMarginWidth(0, width);
}

void DocumentEditor::setDocumentBytes(const QByteArray &bytes)
{
    m_lineEnd = DocumentText::detectLineEnd(bytes);
    setLineEnd(m_lineEnd);
    const QByteArray utf8 = CalcCharset::decode(bytes).toUtf8();
    // Appending with a length keeps NUL bytes, which setText() would cut.
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_APPENDTEXT, ulong(utf8.size()), utf8.constData());
    SendScintilla(SCI_GOTOPOS, 0L);
    m_caretLine = 0;
    m_caretLineEdited = false;
}

QByteArray DocumentEditor::documentBytes() const
{
    const long length = SendScintilla(SCI_GETLENGTH);
    const auto *data = reinterpret_cast<const char *>(SendScintilla(SCI_GETCHARACTERPOINTER));
    return CalcCharset::encode(QString::fromUtf8(data, length));
}

QByteArray DocumentEditor::bytesForSave(bool lfOnly) const
{
    return DocumentText::forSave(documentBytes(), m_lineEnd, lfOnly);
}

QByteArray DocumentEditor::textWithCrLf() const
{
    return DocumentText::withCrLf(documentBytes());
}

void DocumentEditor::setLineEnd(DocumentText::LineEnd lineEnd)
{
    m_lineEnd = lineEnd;
    switch (lineEnd) {
    case DocumentText::LineEnd::Cr:
        setEolMode(EolMac);
        break;
    case DocumentText::LineEnd::Lf:
        setEolMode(EolUnix);
        break;
    case DocumentText::LineEnd::CrLf:
        setEolMode(EolWindows);
        break;
    }
}

bool DocumentEditor::isDocumentEmpty() const
{
    return DocumentText::isEmpty(documentBytes());
}

void DocumentEditor::clearUndoHistory()
{
    SendScintilla(SCI_EMPTYUNDOBUFFER);
}

bool DocumentEditor::isInsertMode() const
{
    return !SendScintilla(SCI_GETOVERTYPE);
}

void DocumentEditor::setInsertMode(bool insert)
{
    SendScintilla(SCI_SETOVERTYPE, long(!insert));
    if (insert != m_insertMode) {
        m_insertMode = insert;
        emit statusChanged();
    }
}

int DocumentEditor::caretLine() const
{
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    return line + 1;
}

int DocumentEditor::caretColumn() const
{
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    return index + 1;
}

void DocumentEditor::setBreakpointLine(int line)
{
    m_breakpointLine = line;
    showBreakpoint();
}

void DocumentEditor::showBreakpoint()
{
    markerDeleteAll(BreakpointMarker);
    markerDeleteAll(BreakpointLineMarker);
    clearIndicatorRange(0, 0, qMax(0, lines() - 1), lineLength(qMax(0, lines() - 1)), BreakpointTextIndicator);
    const int line = m_breakpointLine;
    if (line < 0 || line >= lines())
        return;
    markerAdd(line, BreakpointMarker);
    markerAdd(line, BreakpointLineMarker);
    fillIndicatorRange(line, 0, line, qMax(0, lineLength(line)), BreakpointTextIndicator);
}

QImage DocumentEditor::breakpointGlyph()
{
    // 11 by 14 pixels: a red disc with a dark rim and a light spot.
    QImage glyph(11, 14, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x80, 0x00, 0x00));
    painter.setBrush(QColor(0xE0, 0x10, 0x10));
    painter.drawEllipse(QRectF(0.5, 2.5, 10, 10));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFF, 0xA0, 0xA0));
    painter.drawEllipse(QRectF(3, 5, 3, 3));
    return glyph;
}

QString DocumentEditor::calculatorText(const QString &text)
{
    QString in = text;
    if (in.contains(XBarSequence))
        in.replace(XBarSequence, QString(QChar(char16_t(CalcCharset::XBarCodePoint))));
    if (CalcCharset::canEncode(in))
        return in;
    QString kept;
    QString refused;
    const QList<uint> codePoints = in.toUcs4();
    for (uint cp : codePoints) {
        const QString ch = QString::fromUcs4(reinterpret_cast<const char32_t *>(&cp), 1);
        if (CalcCharset::fromUnicode(cp) >= 0)
            kept += ch;
        else if (!refused.contains(ch))
            refused += ch;
    }
    // Reported after the edit, not from inside the widget's own event.
    QTimer::singleShot(0, this, [this, refused] { emit charactersRefused(refused); });
    return kept;
}

QByteArray DocumentEditor::fromMimeData(const QMimeData *source, bool &rectangular) const
{
    const QByteArray utf8 = QsciScintilla::fromMimeData(source, rectangular);
    return const_cast<DocumentEditor *>(this)->calculatorText(QString::fromUtf8(utf8)).toUtf8();
}

void DocumentEditor::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = calculatorText(event->commitString());
    if (commit == event->commitString()) {
        QsciScintilla::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(commit, event->replacementStart(), event->replacementLength());
    QsciScintilla::inputMethodEvent(&filtered);
}

void DocumentEditor::onModified(int position, int type)
{
    // The breakpoint is a line number: the mark stays on that line however
    // lines come and go above it, since that is the line the HALT goes in.
    if ((type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)) && m_breakpointLine >= 0 && !m_showingBreakpoint) {
        m_showingBreakpoint = true;
        QTimer::singleShot(0, this, [this] {
            m_showingBreakpoint = false;
            showBreakpoint();
        });
    }
    if ((type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)) && !m_trimming) {
        int line = 0, index = 0;
        lineIndexFromPosition(position, &line, &index);
        if (line == m_caretLine)
            m_caretLineEdited = true;
    }
}

void DocumentEditor::onCursorMoved(int line, int)
{
    if (line != m_caretLine) {
        const int left = m_caretLine;
        const bool edited = m_caretLineEdited;
        m_caretLine = line;
        m_caretLineEdited = false;
        if (m_trimTrailing && edited)
            trimTrailingBlanks(left);
    }
    if (isInsertMode() != m_insertMode)
        m_insertMode = isInsertMode();
    emit statusChanged();
}

void DocumentEditor::trimTrailingBlanks(int line)
{
    if (line < 0 || line >= lines() || isReadOnly())
        return;
    const QString content = text(line);
    qsizetype end = content.size();
    while (end > 0 && (content[end - 1] == '\r' || content[end - 1] == '\n'))
        --end;
    qsizetype trimmed = end;
    while (trimmed > 0 && (content[trimmed - 1] == ' ' || content[trimmed - 1] == '\t'))
        --trimmed;
    if (trimmed == end)
        return;
    m_trimming = true;
    const int from = positionFromLineIndex(line, int(trimmed));
    const int to = positionFromLineIndex(line, int(end));
    SendScintilla(SCI_DELETERANGE, ulong(from), long(to - from));
    m_trimming = false;
}

bool DocumentEditor::smartTab()
{
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    for (int above = line - 1; above >= 0; --above) {
        QString prev = text(above);
        while (prev.endsWith('\n') || prev.endsWith('\r'))
            prev.chop(1);
        if (prev.trimmed().isEmpty())
            continue;
        qsizetype col = index;
        // Skip the rest of the word above the caret, then the blanks after it.
        while (col < prev.size() && !prev[col].isSpace())
            ++col;
        while (col < prev.size() && prev[col].isSpace())
            ++col;
        if (col >= prev.size() || col <= index)
            return false;
        insert(QString(col - index, ' '));
        setCursorPosition(line, int(col));
        return true;
    }
    return false;
}

void DocumentEditor::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::NoModifier && m_smartTabs
        && !hasSelectedText() && !isReadOnly() && isInsertMode() && smartTab()) {
        event->accept();
        return;
    }
    // A typed character with no calculator byte is refused, not changed.
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() && calculatorText(typed) != typed) {
        event->accept();
        return;
    }
    const bool wasInsert = isInsertMode();
    QsciScintilla::keyPressEvent(event);
    if (isInsertMode() != wasInsert) {
        m_insertMode = isInsertMode();
        emit statusChanged();
    }
}

void DocumentEditor::focusInEvent(QFocusEvent *event)
{
    SendScintilla(SCI_HIDESELECTION, 0L);
    QsciScintilla::focusInEvent(event);
}

void DocumentEditor::focusOutEvent(QFocusEvent *event)
{
    if (m_hideSelection)
        SendScintilla(SCI_HIDESELECTION, 1L);
    QsciScintilla::focusOutEvent(event);
}

void DocumentEditor::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_contextMenu) {
        m_contextMenu->exec(event->globalPos());
        event->accept();
        return;
    }
    QsciScintilla::contextMenuEvent(event);
}

QStringList DocumentEditor::localFiles(const QMimeData *mime)
{
    QStringList files;
    if (mime && mime->hasUrls())
        for (const QUrl &url : mime->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
    return files;
}

bool DocumentEditor::takeDrag(QDragMoveEvent *event)
{
    // Files are always welcome; moving the editor's own text only when allowed.
    if (!localFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return true;
    }
    if (!m_dragDrop && event->source()) {
        event->ignore();
        return true;
    }
    return false;
}

void DocumentEditor::dragEnterEvent(QDragEnterEvent *event)
{
    if (!takeDrag(event))
        QsciScintilla::dragEnterEvent(event);
}

void DocumentEditor::dragMoveEvent(QDragMoveEvent *event)
{
    if (!takeDrag(event))
        QsciScintilla::dragMoveEvent(event);
}

void DocumentEditor::dropEvent(QDropEvent *event)
{
    const QStringList files = localFiles(event->mimeData());
    if (!files.isEmpty()) {
        event->acceptProposedAction();
        emit filesDropped(files);
        return;
    }
    if (!m_dragDrop && event->source()) {
        event->ignore();
        return;
    }
    QsciScintilla::dropEvent(event);
}
