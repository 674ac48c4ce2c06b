#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>

#include <array>

struct PrintingSettings;

// The print settings as the print engine and the page setup window use them:
// a plain value, no widgets. The settings store keeps the same values in its
// "Printing" group (PrintingSettings); fromStored and toStored move them
// between the two forms.

// The unit system the margins are shown in; the numbers are the stored ones.
enum class MarginUnit { Millimeters = 0, Centimeters = 1, Inches = 2, ThousandthsOfInch = 3 };

// A length given in one unit, in another.
long double ConvertLength(long double value, MarginUnit from, MarginUnit to);
// A unit number as stored, with anything unknown read as centimetres.
MarginUnit MarginUnitFromInt(int unit);

// The ten lengths of the page layout, in the order of the page setup window.
enum class Margin {
    Left,
    Right,
    Top,
    Bottom,
    Gutter,
    Header,            // from the top edge of the paper to the header
    Footer,            // from the bottom edge of the paper to the footer
    LeftHFTextIndent,  // header and footer text, from the left of their band
    RightHFTextIndent, // and from its right
    HFInternalMargin,  // between the header or footer text and its frame
};
constexpr int MarginCount = 10;

// Header and footer frame bits.
enum FrameBits { FrameLine = 1, FrameBox = 2, FrameShade = 4 };

// Alignment of a header or footer item, as stored.
enum ItemAlignment { AlignLeftItem = 0, AlignRightItem = 1, AlignCenterItem = 2 };

// Style bits of an item's font, as stored.
enum ItemStyleBits { ItemBold = 1, ItemItalic = 2, ItemUnderline = 4, ItemStrikeOut = 8 };

// The font of a header or footer item, field for field as the item string
// holds it (a field the string lacks is 0 or empty). Colours are 0x00BBGGRR;
// height is in pixels at pixelsPerInch, negative for the character height;
// size, in points, wins over height.
struct ItemFont
{
    int charset = 0;
    int color = 0;
    int height = 0;
    QString face;
    int pitch = 0; // 0 default, 1 variable, 2 fixed
    int pixelsPerInch = 0;
    int size = 0;
    int style = 0;

    QFont toFont() const;
    QColor toColor() const;
    // A font and colour chosen in a window, in the stored form.
    static ItemFont fromFont(const QFont &font, const QColor &color);

    bool operator==(const ItemFont &other) const = default;
};

struct HeaderFooterItem
{
    QString text;
    ItemFont font;
    int line = 1; // 1-based line within the header or footer
    int alignment = AlignLeftItem;

    bool operator==(const HeaderFooterItem &other) const = default;
};

// A header or a footer: its items in order, its frame and whether left and
// right swap on even pages.
struct HeaderFooter
{
    QList<HeaderFooterItem> items;
    int frame = FrameLine;
    int lineColor = 12;
    int shadedColor = 12;
    bool mirrorPosition = false;

    // The items as one string: each item is eleven fields joined with "/",
    // escaped, and the escaped items are joined with "/". A backslash is
    // written as two, a slash as a backslash and a full stop.
    QString itemString() const;
    // Replaces every item with those of an item string. Numbers that do not
    // parse read as 0, missing fields as 0 or empty.
    void setItemString(const QString &text);

    // Line numbers made consecutive in item order: every change of line
    // number from one item to the next starts the next number, from 1.
    void renumberLines();

    // The alignment an item is drawn with on a page: with mirrorPosition,
    // left and right swap on even pages.
    int alignmentOnPage(int alignment, int page) const;

    bool operator==(const HeaderFooter &other) const = default;
};

// The escape of the item string, both ways.
QString EscapeItemText(const QString &text);
QString UnescapeItemText(const QString &text);

// The font header and footer text starts with in the page setup window:
// Arial, height -13 at 96 pixels per inch, black, the default character set.
ItemFont DefaultHeaderFooterFont();

struct PrintSettings
{
    MarginUnit unit = MarginUnit::Centimeters;
    // Held in millimetres whatever the unit shown.
    std::array<long double, MarginCount> millimeters = {20, 20, 20, 20, 0, 15, 20, 0, 0, 1};
    bool mirrorMargins = false;
    bool lineNumbers = false;
    bool lineNumbersInMargin = false;
    bool highlight = true;
    bool colors = false;
    bool wrap = true;
    HeaderFooter header;
    HeaderFooter footer;

    PrintSettings();

    // A length in the unit system in force, and set from a number in it.
    long double margin(Margin which) const;
    void setMargin(Margin which, long double value);
    long double margin(Margin which, MarginUnit in) const;
    void setMargin(Margin which, MarginUnit in, long double value);

    static PrintSettings fromStored(const PrintingSettings &stored);
    void toStored(PrintingSettings &stored) const;

    bool operator==(const PrintSettings &other) const = default;
};

// What the fields of header and footer text stand for on one page.
struct FieldValues
{
    int page = 1;
    int pageCount = 1;
    QString title;
    QString date;
    QString time;
};

// The text with $PAGENUM$, $PAGECOUNT$, $TITLE$, $DATE$, $TIME$, $DATETIME$
// (date, blank, time) and $TIMEDATE$ replaced, matched without regard to case.
// Other text between dollar signs stays as it is.
QString ExpandFields(const QString &text, const FieldValues &values);
