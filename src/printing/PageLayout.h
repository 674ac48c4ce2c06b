#pragma once

#include <QRectF>
#include <QSizeF>

struct PrintSettings;

// Where the header, the footer and the text go on one page, in the units of
// the device the page is drawn on (its dots per inch given). Widget-free, so
// that the rules are tested without printing:
// - the gutter is added to the inner margin: the left one, or on even pages
//   with mirror margins the right one (which is then the inner one, as left
//   and right swap);
// - the header band starts at the header margin from the top edge and the
//   footer band at the footer margin from the bottom edge (so that with
//   both margins a little smaller than the top and bottom margins, the bands
//   sit in those margins); each goes down as far as its text plus the
//   internal margin above and below, and spans the width between the side
//   margins; a footer that would leave the paper is moved up onto it;
// - the text lies within the four margins, and keeps the internal margin
//   from a band that reaches into it;
// - whatever the settings, the text keeps a fifth of the paper in each
//   direction, so that every page takes some text.
struct PageGeometry
{
    QRectF body;
    QRectF header; // empty when the header has no text
    QRectF footer; // empty when the footer has no text
    // Where header and footer items go across: left-aligned items start at
    // textLeft, right-aligned ones end at textRight.
    qreal textLeft = 0;
    qreal textRight = 0;
    // The internal margin, in device units.
    qreal internalMargin = 0;
};

PageGeometry LayoutPage(const PrintSettings &settings,
                        const QSizeF &paper,
                        qreal dotsPerInch,
                        int page,
                        qreal headerTextHeight,
                        qreal footerTextHeight);
