#include "printing/PrintEngine.h"

#include "formats/CalcCharset.h"
#include "formats/SafeFile.h"
#include "highlight/QuorvaneLexer.h"
#include "printing/PageLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QTemporaryDir>
#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <map>

namespace {

// A page range beyond any document: QsciPrinter then only measures each page.
constexpr int CountingPage = 1000000;

QColor fromBgr(int value)
{
    ItemFont f;
    f.color = value;
    return f.toColor();
}

// Removes the time-zone part of a time format, outside quoted text.
QString withoutTimeZone(const QString &format)
{
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    return out.trimmed();
}

} // namespace

struct PrintEngine::BandLine
{
    struct Piece
    {
        const HeaderFooterItem *item;
        QFont font;
    };
    QList<Piece> pieces;
    qreal ascent = 0;
    qreal descent = 0;
};

PrintDocument PrintDocument::fromEditor(QsciScintilla *editor, const QString &fileName)
{
    PrintDocument d;
    d.title = QFileInfo(fileName).fileName();
    if (!editor)
        return d;
    d.text = editor->text();
    d.font = editor->font();
    d.tabWidth = editor->tabWidth();
    if (auto *lexer = qobject_cast<QuorvaneLexer *>(editor->lexer()))
        d.highlighter = lexer->highlighter();
    if (editor->hasSelectedText()) {
        int fromLine, fromIndex, toLine, toIndex;
        editor->getSelection(&fromLine, &fromIndex, &toLine, &toIndex);
        // A selection that ends at the start of a line does not take that line.
        if (toIndex == 0 && toLine > fromLine)
            --toLine;
        d.selectionFirstLine = fromLine;
        d.selectionLastLine = toLine;
    }
    return d;
}

PrintEngine::PrintEngine(PrinterMode mode)
    : QsciPrinter(mode)
{
    // The margins of the settings are measured from the paper's edges.
    setFullPage(true);
}

PrintEngine::~PrintEngine() = default;

void PrintEngine::setDocument(const PrintDocument &document)
{
    m_document = document;
}

QString PrintEngine::dateText(const QDateTime &when)
{
    return QLocale::system().toString(when.date(), QLocale::ShortFormat);
}

QString PrintEngine::timeText(const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    return locale.toString(when.time(), withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

void PrintEngine::prepareEditor()
{
    if (!m_editor) {
        m_editor = std::make_unique<QsciScintilla>();
        m_editor->setUtf8(true);
        for (int margin = 1; margin < 5; ++margin)
            m_editor->setMarginWidth(margin, 0);
    }
    QsciScintilla *e = m_editor.get();

    QsciLexer *old = e->lexer();
    if (m_document.highlighter && m_settings.highlight) {
        auto *lexer = new QuorvaneLexer(m_document.highlighter, e);
        lexer->setBaseFont(m_document.font);
        e->setLexer(lexer);
    } else {
        e->setLexer(nullptr);
        e->SendScintilla(QsciScintillaBase::SCI_CLEARDOCUMENTSTYLE);
        e->setFont(m_document.font);
    }
    delete old;

    // The editor draws the calculator's x-bar, a private code point, as x
    // with a macron; on paper the two characters stand for it.
    QString text = m_document.text;
    text.replace(QChar(char16_t(CalcCharset::XBarCodePoint)), QStringLiteral("x\u0304"));
    e->setText(text);
    e->setTabWidth(std::max(1, m_document.tabWidth));
    e->setMarginsFont(m_document.font);
    e->setMarginType(0, QsciScintilla::NumberMargin);
    e->setMarginLineNumbers(0, m_settings.lineNumbers);
    e->setMarginWidth(0, m_settings.lineNumbers ? QStringLiteral("99999") : QString());
    if (!m_settings.lineNumbers)
        e->setMarginWidth(0, 0);
    // Colours as the editor shows them, on white paper; or all in black, with
    // the styles' bold and italic kept.
    e->SendScintilla(QsciScintillaBase::SCI_SETPRINTCOLOURMODE,
                     m_settings.colors ? QsciScintillaBase::SC_PRINT_COLOURONWHITEDEFAULTBG
                                       : QsciScintillaBase::SC_PRINT_BLACKONWHITE);
    setWrapMode(m_settings.wrap ? QsciScintilla::WrapWord : QsciScintilla::WrapNone);
    // A wrapped line goes on under its own start, so that the indentation
    // of a program still shows its structure.
    e->setWrapIndentMode(QsciScintilla::WrapIndentSame);
    e->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
}

int PrintEngine::Print(QPainter &painter)
{
    prepareEditor();
    const QDateTime when = m_fixedTime.isValid() ? m_fixedTime : QDateTime::currentDateTime();
    m_fields = FieldValues{1, 1, m_document.title, dateText(when), timeText(when)};

    // The selection prints from its first line; the copy ends with its last
    // line (QsciPrinter's own end line would take one line more), so the
    // line numbers stay those of the document.
    int firstLine = -1;
    const int lastLine = -1;
    if (QPrinter::printRange() == Selection && hasSelection()) {
        firstLine = m_document.selectionFirstLine;
        QsciScintilla *e = m_editor.get();
        const long end = e->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION,
                                          long(m_document.selectionLastLine));
        const long length = e->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        e->SendScintilla(QsciScintillaBase::SCI_DELETERANGE, end, length - end);
    }

    // The counting pass: every page is formatted, none drawn.
    const int from = fromPage();
    const int to = toPage();
    setFromTo(CountingPage, CountingPage);
    m_lastPage = 0;
    printRange(m_editor.get(), painter, firstLine, lastLine);
    m_pageCount = std::max(1, m_lastPage);
    setFromTo(from, to);

    m_fields.pageCount = m_pageCount;
    m_lastPage = 0;
    if (!printRange(m_editor.get(), painter, firstLine, lastLine) && m_lastPage == 0) {
        // Nothing to print still makes a page with its header and footer.
        QRect area(0, 0, width(), height());
        formatPage(painter, true, area, 1);
    }
    return m_pageCount;
}

bool PrintEngine::Print()
{
    setFullPage(true);
    QPainter painter;
    if (!painter.begin(this))
        return false;
    Print(painter);
    return painter.end();
}

bool PrintEngine::ExportPdf(const QString &path, QString *error)
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        if (error)
            *error = folder.errorString();
        return false;
    }
    const QString temporary = folder.filePath(QStringLiteral("export.pdf"));
    PrintEngine pdf(HighResolution);
    pdf.setOutputFormat(PdfFormat);
    pdf.setOutputFileName(temporary);
    pdf.setPageLayout(pageLayout());
    pdf.setFullPage(true);
    pdf.setDocName(m_document.title);
    pdf.setCreator(QStringLiteral("HPQuorvane"));
    pdf.setSettings(m_settings);
    pdf.setDocument(m_document);
    pdf.setJobTime(m_fixedTime);
    pdf.setProgress(m_progress);
    pdf.setPrintRange(QPrinter::printRange());
    pdf.setFromTo(fromPage(), toPage());
    QFile made(temporary);
    if (!pdf.Print() || !made.open(QIODevice::ReadOnly)) {
        if (error)
            *error = made.exists() ? made.errorString() : QStringLiteral("the PDF could not be made");
        return false;
    }
    m_pageCount = pdf.pageCount();
    return ReplaceFile(path, made.readAll(), error);
}

// ---------------------------------------------------------------- pages

QList<PrintEngine::BandLine> PrintEngine::bandLines(const HeaderFooter &band, QPaintDevice *device) const
{
    // Items with the same line number share a line; lines go in number order.
    std::map<int, BandLine> byNumber;
    for (const HeaderFooterItem &item : band.items) {
        BandLine &line = byNumber[item.line];
        const QFont font(item.font.toFont(), device);
        const QFontMetricsF metrics(font, device);
        line.pieces.append({&item, font});
        line.ascent = std::max(line.ascent, metrics.ascent());
        line.descent = std::max(line.descent, metrics.descent());
    }
    QList<BandLine> lines;
    for (auto &entry : byNumber)
        lines << entry.second;
    return lines;
}

qreal PrintEngine::bandHeight(const QList<BandLine> &lines)
{
    qreal total = 0;
    for (const BandLine &line : lines)
        total += line.ascent + line.descent;
    return total;
}

qreal PrintEngine::lineNumberWidth(QPaintDevice *device) const
{
    // As wide as Scintilla makes the number column on paper: five digits and
    // three blanks in the margins' font, and its one-pixel left margin.
    const QFontMetricsF metrics(QFont(m_document.font, device), device);
    return metrics.horizontalAdvance(QStringLiteral("99999   ")) + 1;
}

void PrintEngine::formatPage(QPainter &painter, bool drawing, QRect &area, int pagenr)
{
    m_lastPage = std::max(m_lastPage, pagenr);
    QPaintDevice *device = painter.device();
    const QList<BandLine> header = bandLines(m_settings.header, device);
    const QList<BandLine> footer = bandLines(m_settings.footer, device);
    const PageGeometry g = LayoutPage(m_settings, QSizeF(area.size()), resolution(), pagenr, bandHeight(header),
                                      bandHeight(footer));
    QRectF body = g.body;
    if (m_settings.lineNumbers && m_settings.lineNumbersInMargin)
        body.setLeft(std::max<qreal>(0.0, body.left() - lineNumberWidth(device)));
    area = QRect(QPoint(qRound(body.left()), qRound(body.top())), QPoint(qRound(body.right()), qRound(body.bottom())));
    if (!drawing)
        return;
    if (m_progress)
        m_progress(pagenr, m_pageCount);
    drawBand(painter, m_settings.header, header, g.header, g.textLeft, g.textRight, g.internalMargin, pagenr);
    drawBand(painter, m_settings.footer, footer, g.footer, g.textLeft, g.textRight, g.internalMargin, pagenr);
}

void PrintEngine::drawBand(QPainter &painter, const HeaderFooter &band, const QList<BandLine> &lines,
                           const QRectF &frame, qreal textLeft, qreal textRight, qreal internal, int page) const
{
    if (lines.isEmpty())
        return;
    painter.save();
    const bool isHeader = &band == &m_settings.header;
    QPen pen(fromBgr(band.lineColor));
    pen.setWidthF(std::max<qreal>(1.0, resolution() / 96.0));
    if (band.frame & FrameShade)
        painter.fillRect(frame, fromBgr(band.shadedColor));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    if (band.frame & FrameBox)
        painter.drawRect(frame);
    if (band.frame & FrameLine) {
        const qreal y = isHeader ? frame.bottom() : frame.top();
        painter.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
    }

    FieldValues fields = m_fields;
    fields.page = page;
    qreal top = frame.top() + internal;
    for (const BandLine &line : lines) {
        const qreal baseline = top + line.ascent;
        // Items of one alignment on one line follow each other: left ones
        // from the left indent, right ones ending at the right indent,
        // centred ones as one group between the two.
        struct Placed
        {
            QString text;
            const BandLine::Piece *piece;
            qreal width;
        };
        QList<Placed> groups[3];
        qreal widths[3] = {0, 0, 0};
        for (const BandLine::Piece &piece : line.pieces) {
            const QString text = ExpandFields(piece.item->text, fields);
            const qreal width = QFontMetricsF(piece.font, painter.device()).horizontalAdvance(text);
            int alignment = band.alignmentOnPage(piece.item->alignment, page);
            if (alignment < AlignLeftItem || alignment > AlignCenterItem)
                alignment = AlignLeftItem;
            groups[alignment].append({text, &piece, width});
            widths[alignment] += width;
        }
        const qreal starts[3] = {textLeft, textRight - widths[AlignRightItem],
                                 (textLeft + textRight - widths[AlignCenterItem]) / 2};
        for (int alignment = 0; alignment < 3; ++alignment) {
            qreal x = starts[alignment];
            for (const Placed &placed : groups[alignment]) {
                painter.setFont(placed.piece->font);
                painter.setPen(placed.piece->item->font.toColor());
                painter.drawText(QPointF(x, baseline), placed.text);
                x += placed.width;
            }
        }
        top += line.ascent + line.descent;
    }
    painter.restore();
}
