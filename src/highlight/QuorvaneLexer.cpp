#include "highlight/QuorvaneLexer.h"

#include "highlight/SynHighlighterQuorvane.h"

#include <Qsci/qsciscintilla.h>
#include <algorithm>

namespace {

using Sci = QsciScintillaBase;

constexpr int kBatchBytes = 64 * 1024;

int normalized(long range)
{
    return range == TSynQuorvaneSyn::RangeString ? TSynQuorvaneSyn::RangeString
                                                 : TSynQuorvaneSyn::RangeNormal;
}

} // namespace

QuorvaneLexer::QuorvaneLexer(TSynQuorvaneSyn *highlighter, QObject *parent)
    : QsciLexerCustom(parent)
    , m_syn(highlighter)
    , m_font(QsciLexer::defaultFont())
{
    if (!m_syn)
        return;
    connect(m_syn, &TSynQuorvaneSyn::attributeChanged, this, &QuorvaneLexer::onAttributeChanged);
    connect(m_syn, &TSynQuorvaneSyn::highlightingChanged, this, &QuorvaneLexer::restyleAll);
}

const char *QuorvaneLexer::language() const
{
    return "Quorvane";
}

QString QuorvaneLexer::description(int style) const
{
    // Every kind, the never-painted one included, so that the widget sets up
    // all eleven styles.
    if (const HighlighterAttribute *attr = m_syn ? m_syn->attribute(style) : nullptr)
        return attr->name();
    return QString();
}

QColor QuorvaneLexer::color(int style) const
{
    const HighlighterAttribute *attr = m_syn ? m_syn->attribute(style) : nullptr;
    return attr ? toQColor(attr->foreground(), defaultForeground()) : defaultForeground();
}

QColor QuorvaneLexer::paper(int style) const
{
    const HighlighterAttribute *attr = m_syn ? m_syn->attribute(style) : nullptr;
    return attr ? toQColor(attr->background(), defaultBackground()) : defaultBackground();
}

QFont QuorvaneLexer::font(int style) const
{
    QFont f = m_font;
    const HighlighterAttribute *attr = m_syn ? m_syn->attribute(style) : nullptr;
    const int bits = attr ? attr->style() : 0;
    f.setBold(bits & StyleBold);
    f.setItalic(bits & StyleItalic);
    f.setUnderline(bits & StyleUnderline);
    f.setStrikeOut(bits & StyleStrikeOut);
    return f;
}

bool QuorvaneLexer::eolFill(int) const
{
    return false;
}

void QuorvaneLexer::setBaseFont(const QFont &font)
{
    m_font = font;
    for (int style = 0; style < TSynQuorvaneSyn::AttributeCount; ++style)
        emit fontChanged(this->font(style), style);
}

void QuorvaneLexer::setFont(const QFont &font, int style)
{
    // One font for all styles; the attributes decide the rest.
    Q_UNUSED(style);
    setBaseFont(font);
}

void QuorvaneLexer::onAttributeChanged(int kind)
{
    emit colorChanged(color(kind), kind);
    emit paperChanged(paper(kind), kind);
    emit fontChanged(font(kind), kind);
}

void QuorvaneLexer::setEditor(QsciScintilla *newEditor)
{
    if (QsciScintilla *old = editor())
        disconnect(old, &QsciScintillaBase::SCN_MODIFIED, this, &QuorvaneLexer::onModified);
    QsciLexerCustom::setEditor(newEditor);
    m_styledTo = 0;
    m_dirtyStart = m_dirtyEnd = -1;
    m_dirtyLines = false;
    if (newEditor)
        connect(newEditor, &QsciScintillaBase::SCN_MODIFIED, this, &QuorvaneLexer::onModified);
}

void QuorvaneLexer::restyleAll()
{
    m_styledTo = 0;
    m_dirtyStart = m_dirtyEnd = -1;
    m_dirtyLines = false;
    QsciScintilla *ed = editor();
    if (!ed)
        return;
    ed->SendScintilla(Sci::SCI_STARTSTYLING, 0ul, 0l);
    ed->viewport()->update();
}

void QuorvaneLexer::onModified(
    int position, int type, const char *, int length, int linesAdded, int, int, int, int, int)
{
    if (type & Sci::SC_MOD_INSERTTEXT) {
        if (position < m_styledTo)
            m_styledTo += length;
        if (m_dirtyEnd < 0) {
            m_dirtyStart = position;
            m_dirtyEnd = position + length;
        } else {
            if (position <= m_dirtyEnd)
                m_dirtyEnd += length;
            m_dirtyStart = std::min(m_dirtyStart, position);
            m_dirtyEnd = std::max(m_dirtyEnd, position + length);
        }
    } else if (type & Sci::SC_MOD_DELETETEXT) {
        auto after = [position, length](int x) {
            return x <= position ? x : std::max(position, x - length);
        };
        m_styledTo = after(m_styledTo);
        if (m_dirtyEnd < 0) {
            m_dirtyStart = m_dirtyEnd = position;
        } else {
            m_dirtyStart = std::min(after(m_dirtyStart), position);
            m_dirtyEnd = std::max(after(m_dirtyEnd), position);
        }
    } else {
        return;
    }
    if (linesAdded != 0)
        m_dirtyLines = true;
}

void QuorvaneLexer::flushStyles()
{
    if (m_styles.isEmpty())
        return;
    editor()->SendScintilla(
        Sci::SCI_SETSTYLINGEX, static_cast<unsigned long>(m_styles.size()), m_styles.constData());
    m_styles.clear();
}

void QuorvaneLexer::styleText(int start, int end)
{
    QsciScintilla *ed = editor();
    if (!ed || !m_syn)
        return;
    const int docLength = int(ed->SendScintilla(Sci::SCI_GETLENGTH));
    const int lineCount = int(ed->SendScintilla(Sci::SCI_GETLINECOUNT));
    end = std::clamp(end, 0, docLength);
    int line = int(ed->SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start)));
    int pos = int(ed->SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)));
    // One pointer to the rest of the document; styling moves no text.
    const char *text =
        reinterpret_cast<const char *>(ed->SendScintilla(Sci::SCI_GETRANGEPOINTER,
                                                         static_cast<unsigned long>(pos),
                                                         static_cast<long>(docLength - pos)));
    const int base = pos;
    int range = line > 0 ? normalized(ed->SendScintilla(Sci::SCI_GETLINESTATE,
                                                        static_cast<unsigned long>(line - 1)))
                         : int(TSynQuorvaneSyn::RangeNormal);

    ed->SendScintilla(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(pos), 0l);
    m_styles.clear();
    bool same = true;
    for (; line < lineCount; ++line) {
        const int lineStart = pos;
        const char *p = text + (pos - base);
        const int remaining = docLength - pos;
        int len = 0;
        while (len < remaining && p[len] != '\n' && p[len] != '\r')
            ++len;
        int eol = 0;
        if (len < remaining)
            eol = (p[len] == '\r' && len + 1 < remaining && p[len + 1] == '\n') ? 2 : 1;

        m_map.setUtf8(p, len);
        m_syn->setRange(range);
        m_syn->setLine(m_map.calcBytes().constData(), m_map.calcLength(), line);
        for (; !m_syn->atEol(); m_syn->next()) {
            const int from = m_map.utf8Offset(m_syn->tokenPos());
            const int to = m_map.utf8Offset(m_syn->tokenPos() + m_syn->tokenLength());
            m_styles.append(to - from, static_cast<char>(m_syn->tokenKind()));
        }
        // A zero byte ends the scan early; what follows it is left unpainted.
        m_styles.append(len - m_map.utf8Offset(m_syn->tokenPos()), char(TSynQuorvaneSyn::Null));
        m_styles.append(eol, char(TSynQuorvaneSyn::Space));
        if (m_styles.size() >= kBatchBytes)
            flushStyles();

        range = m_syn->range();
        const int old =
            normalized(ed->SendScintilla(Sci::SCI_GETLINESTATE, static_cast<unsigned long>(line)));
        ed->SendScintilla(
            Sci::SCI_SETLINESTATE, static_cast<unsigned long>(line), static_cast<long>(range));
        ++m_linesScanned;
        pos += len + eol;
        same = old == range;
        // The empty line after a final line end is scanned too, so that its
        // range is right when text is added there.
        if (line + 1 >= lineCount)
            break;

        // Below the edit, a line that ends in the range it ended in before
        // leaves every following line as it was: hand the widget the styles
        // it already holds instead of scanning on.
        const bool pastEdit =
            m_dirtyEnd < 0 || (m_dirtyLines ? lineStart > m_dirtyEnd : pos > m_dirtyEnd);
        if (same && pastEdit && pos < m_styledTo) {
            flushStyles();
            ed->SendScintilla(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(m_styledTo), 0l);
            m_dirtyStart = m_dirtyEnd = -1;
            m_dirtyLines = false;
            return;
        }
        if (pos >= end && pos < docLength)
            break;
    }
    flushStyles();

    const bool pastEdit = m_dirtyEnd < 0 || pos > m_dirtyEnd;
    if (!same || pos >= m_styledTo || pos >= docLength || pastEdit) {
        // Everything after pos waits for the widget to ask for it.
        m_styledTo = pos;
        m_dirtyStart = m_dirtyEnd = -1;
        m_dirtyLines = false;
    } else {
        // Stopped inside the edited span: the rest of it comes next time.
        m_dirtyStart = pos;
    }
}

void SetEditorHighlighter(QsciScintilla *editor, TSynQuorvaneSyn *highlighter)
{
    QsciLexer *current = editor->lexer();
    auto *ours = qobject_cast<QuorvaneLexer *>(current);
    if (highlighter && ours && ours->highlighter() == highlighter) {
        ours->setBaseFont(editor->font());
        return;
    }
    if (highlighter) {
        auto *lexer = new QuorvaneLexer(highlighter, editor);
        lexer->setBaseFont(editor->font());
        editor->setLexer(lexer);
    } else if (current) {
        // Plain text is all style 0 in the editor's own font; without this
        // the old styles would stay in the text, drawn in the widget's
        // fallback font.
        const QFont font = editor->font();
        editor->setLexer(nullptr);
        editor->SendScintilla(QsciScintillaBase::SCI_CLEARDOCUMENTSTYLE);
        editor->setFont(font);
    }
    if (ours && ours->parent() == editor)
        delete ours;
}
