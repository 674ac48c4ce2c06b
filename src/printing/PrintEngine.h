#pragma once

#include "highlight/SynHighlighterQuorvane.h"
#include "printing/PrintSettings.h"

#include <QDateTime>
#include <QFont>
#include <QPointer>
#include <Qsci/qsciprinter.h>

#include <functional>
#include <memory>

class QsciScintilla;

// What is printed: a copy of a document as its editor shows it, taken when
// printing starts, so that the editor may change meanwhile.
struct PrintDocument
{
    QString text; // as the editor holds it (the calculator's glyphs as Unicode)
    QFont font;
    int tabWidth = 8;
    // The scanner the editor colours with, or none when its highlighting is off.
    QPointer<TSynQuorvaneSyn> highlighter;
    int selectionFirstLine = -1; // 0-based lines holding the selection, or -1
    int selectionLastLine = -1;
    QString title; // $TITLE$

    // The editor's text, font, tab width, highlighter and selection, and the
    // title: the file name without its folder.
    static PrintDocument fromEditor(QsciScintilla *editor, const QString &fileName);
};

// The print engine: a printer that lays out and paints a document with
// QScintilla (its lexer's styles, line numbers, wrapping) within the margins
// of the print settings, and draws the header and the footer on every page.
//
// A job runs twice over the document: a first pass only counts the pages (for
// $PAGECOUNT$), the second draws them. The page count and the fields never
// depend on the screen: everything is measured on the printer itself.
class PrintEngine : public QsciPrinter
{
public:
    explicit PrintEngine(PrinterMode mode = HighResolution);
    ~PrintEngine() override;

    const PrintSettings &settings() const { return m_settings; }
    void setSettings(const PrintSettings &settings) { m_settings = settings; }

    void setDocument(const PrintDocument &document);
    const PrintDocument &document() const { return m_document; }
    void setTitle(const QString &title) { m_document.title = title; }
    bool hasSelection() const { return m_document.selectionFirstLine >= 0; }

    // $DATE$ and $TIME$ come from the moment a job starts unless fixed here
    // (an invalid time goes back to that).
    void setJobTime(const QDateTime &when) { m_fixedTime = when; }

    // Prints the document with a painter already open on this printer: every
    // page, or the printer's page range, or the selected lines when the
    // printer's range says so. Returns the number of pages of the document.
    int Print(QPainter &painter);
    // Opens a painter on this printer and prints; false when the printer
    // could not be opened.
    bool Print();
    // The number of pages of the last job.
    int pageCount() const { return m_pageCount; }
    // Told before each page is drawn: its number and the page count.
    void setProgress(std::function<void(int page, int pageCount)> progress) { m_progress = std::move(progress); }

    // Writes the document as a PDF on this printer's paper and with its page
    // range, with text that can be selected. The file is replaced only once
    // the PDF is complete; on failure error says why.
    bool ExportPdf(const QString &path, QString *error = nullptr);

    // The copy of the document that is laid out (its styles and margins are
    // those of the last job).
    QsciScintilla *layoutEditor() const { return m_editor.get(); }

    // The date and time texts of the fields, in the system's short date and
    // long time formats (without a time zone, which a page has no use for).
    static QString dateText(const QDateTime &when);
    static QString timeText(const QDateTime &when);

protected:
    void formatPage(QPainter &painter, bool drawing, QRect &area, int pagenr) override;

private:
    struct BandLine;
    void prepareEditor();
    QList<BandLine> bandLines(const HeaderFooter &band, QPaintDevice *device) const;
    static qreal bandHeight(const QList<BandLine> &lines);
    void drawBand(QPainter &painter, const HeaderFooter &band, const QList<BandLine> &lines, const QRectF &frame,
                  qreal textLeft, qreal textRight, qreal internal, int page) const;
    qreal lineNumberWidth(QPaintDevice *device) const;

    PrintSettings m_settings;
    PrintDocument m_document;
    std::unique_ptr<QsciScintilla> m_editor;
    QDateTime m_fixedTime;
    std::function<void(int, int)> m_progress;
    FieldValues m_fields;
    int m_pageCount = 0;
    int m_lastPage = 0;
};
