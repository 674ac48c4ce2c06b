#include "printing/PrintSettings.h"

#include "shell/Settings.h"

#include <QStringList>

#include <cmath>
#include <cstdlib>

namespace {

long double millimetersPer(MarginUnit unit)
{
    switch (unit) {
    case MarginUnit::Millimeters:
        return 1.0L;
    case MarginUnit::Centimeters:
        return 10.0L;
    case MarginUnit::Inches:
        return 25.4L;
    case MarginUnit::ThousandthsOfInch:
        return 0.0254L;
    }
    return 10.0L;
}

constexpr qreal ScreenPixelsPerInch = 96.0;

int fieldNumber(const QStringList &fields, int index)
{
    if (index >= fields.size())
        return 0;
    bool ok = false;
    const int value = fields[index].trimmed().toInt(&ok);
    return ok ? value : 0;
}

QString fieldText(const QStringList &fields, int index)
{
    return index < fields.size() ? UnescapeItemText(fields[index]) : QString();
}

void readFrame(HeaderFooter &band, bool line, bool box, bool shade, int lineColor, int shadedColor, bool mirror,
               const QString &items)
{
    band.frame = (line ? FrameLine : 0) | (box ? FrameBox : 0) | (shade ? FrameShade : 0);
    band.lineColor = lineColor;
    band.shadedColor = shadedColor;
    band.mirrorPosition = mirror;
    band.setItemString(items);
}

} // namespace

long double ConvertLength(long double value, MarginUnit from, MarginUnit to)
{
    if (from == to)
        return value;
    return value * millimetersPer(from) / millimetersPer(to);
}

MarginUnit MarginUnitFromInt(int unit)
{
    return unit >= 0 && unit <= 3 ? MarginUnit(unit) : MarginUnit::Centimeters;
}

// ---------------------------------------------------------------- item fonts

QFont ItemFont::toFont() const
{
    QFont font(face.isEmpty() ? QStringLiteral("Arial") : face);
    // The size wins over the height when both are given.
    if (size > 0)
        font.setPointSize(size);
    else if (height != 0)
        font.setPointSizeF(std::abs(height) * 72.0 / (pixelsPerInch > 0 ? pixelsPerInch : ScreenPixelsPerInch));
    else
        font.setPointSize(10);
    if (pitch == 2) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    }
    font.setBold(style & ItemBold);
    font.setItalic(style & ItemItalic);
    font.setUnderline(style & ItemUnderline);
    font.setStrikeOut(style & ItemStrikeOut);
    return font;
}

QColor ItemFont::toColor() const
{
    // System colour numbers (negative) have no meaning on paper: black.
    if (color < 0 || color > 0xFFFFFF)
        return Qt::black;
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

ItemFont ItemFont::fromFont(const QFont &font, const QColor &color)
{
    ItemFont f;
    f.charset = 1;
    const QColor c = color.isValid() ? color.toRgb() : QColor(Qt::black);
    f.color = c.red() | c.green() << 8 | c.blue() << 16;
    qreal points = font.pointSizeF();
    if (points <= 0)
        points = font.pixelSize() * 72.0 / ScreenPixelsPerInch;
    f.height = -qRound(points * ScreenPixelsPerInch / 72.0);
    f.face = font.family();
    f.pitch = font.fixedPitch() ? 2 : 0;
    f.pixelsPerInch = int(ScreenPixelsPerInch);
    f.size = qRound(points);
    f.style = (font.bold() ? ItemBold : 0) | (font.italic() ? ItemItalic : 0)
        | (font.underline() ? ItemUnderline : 0) | (font.strikeOut() ? ItemStrikeOut : 0);
    return f;
}

ItemFont DefaultHeaderFooterFont()
{
    ItemFont f;
    f.charset = 1;
    f.height = -13;
    f.face = QStringLiteral("Arial");
    f.pixelsPerInch = int(ScreenPixelsPerInch);
    return f;
}

// ---------------------------------------------------------------- item strings

QString EscapeItemText(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'/')
            out += QStringLiteral("\\.");
        else
            out += c;
    }
    return out;
}

QString UnescapeItemText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\') {
            out += c;
        } else if (i + 1 < text.size()) {
            out += text[i + 1] == u'\\' ? u'\\' : u'/';
            ++i;
        } else {
            out += c; // a lone backslash at the very end stands for itself
        }
    }
    return out;
}

QString HeaderFooter::itemString() const
{
    QStringList pieces;
    for (const HeaderFooterItem &item : items) {
        const ItemFont &f = item.font;
        const QStringList fields = {EscapeItemText(item.text), QString::number(f.charset), QString::number(f.color),
                                    QString::number(f.height), EscapeItemText(f.face), QString::number(f.pitch),
                                    QString::number(f.pixelsPerInch), QString::number(f.size),
                                    QString::number(f.style), QString::number(item.line),
                                    QString::number(item.alignment)};
        pieces << EscapeItemText(fields.join(u'/'));
    }
    return pieces.join(u'/');
}

void HeaderFooter::setItemString(const QString &text)
{
    items.clear();
    if (text.isEmpty())
        return;
    for (const QString &piece : text.split(u'/')) {
        const QStringList fields = UnescapeItemText(piece).split(u'/');
        HeaderFooterItem item;
        item.text = fieldText(fields, 0);
        item.font.charset = fieldNumber(fields, 1);
        item.font.color = fieldNumber(fields, 2);
        item.font.height = fieldNumber(fields, 3);
        item.font.face = fieldText(fields, 4);
        item.font.pitch = fieldNumber(fields, 5);
        item.font.pixelsPerInch = fieldNumber(fields, 6);
        item.font.size = fieldNumber(fields, 7);
        item.font.style = fieldNumber(fields, 8);
        item.line = fieldNumber(fields, 9);
        item.alignment = fieldNumber(fields, 10);
        items << item;
    }
}

void HeaderFooter::renumberLines()
{
    int number = 0;
    int previous = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i == 0 || items[i].line != previous)
            ++number;
        previous = items[i].line;
        items[i].line = number;
    }
}

int HeaderFooter::alignmentOnPage(int alignment, int page) const
{
    if (!mirrorPosition || page % 2 != 0)
        return alignment;
    if (alignment == AlignLeftItem)
        return AlignRightItem;
    if (alignment == AlignRightItem)
        return AlignLeftItem;
    return alignment;
}

// ---------------------------------------------------------------- settings

PrintSettings::PrintSettings()
{
    header.setItemString(PrintingSettings::DefaultHeaderItems());
    footer.setItemString(PrintingSettings::DefaultFooterItems());
}

long double PrintSettings::margin(Margin which) const
{
    return margin(which, unit);
}

void PrintSettings::setMargin(Margin which, long double value)
{
    setMargin(which, unit, value);
}

long double PrintSettings::margin(Margin which, MarginUnit in) const
{
    return ConvertLength(millimeters[size_t(which)], MarginUnit::Millimeters, in);
}

void PrintSettings::setMargin(Margin which, MarginUnit in, long double value)
{
    millimeters[size_t(which)] = ConvertLength(value, in, MarginUnit::Millimeters);
}

PrintSettings PrintSettings::fromStored(const PrintingSettings &s)
{
    PrintSettings p;
    p.unit = MarginUnitFromInt(s.MarginsUnitSystem);
    const long double values[MarginCount] = {s.MarginsLeft,   s.MarginsRight,  s.MarginsTop,
                                             s.MarginsBottom, s.MarginsGutter, s.MarginsHeader,
                                             s.MarginsFooter, s.MarginsLeftHFTextIndent,
                                             s.MarginsRightHFTextIndent,       s.MarginsHFInternalMargin};
    for (int i = 0; i < MarginCount; ++i)
        p.setMargin(Margin(i), values[i]);
    p.mirrorMargins = s.MarginsMirrorMargins;
    p.lineNumbers = s.PrintLineNumbers;
    p.lineNumbersInMargin = s.PrintLineNumbersInMargin;
    p.highlight = s.PrintHighlight;
    p.colors = s.PrintColors;
    p.wrap = s.PrintWrap;
    readFrame(p.header, s.HeaderLine, s.HeaderBox, s.HeaderShadow, s.HeaderLineColor, s.HeaderShadedColor,
              s.HeaderMirrorPosition, s.HeaderItems);
    readFrame(p.footer, s.FooterLine, s.FooterBox, s.FooterShadow, s.FooterLineColor, s.FooterShadedColor,
              s.FooterMirrorPosition, s.FooterItems);
    return p;
}

void PrintSettings::toStored(PrintingSettings &s) const
{
    s.MarginsUnitSystem = int(unit);
    long double *values[MarginCount] = {&s.MarginsLeft,   &s.MarginsRight,  &s.MarginsTop,
                                        &s.MarginsBottom, &s.MarginsGutter, &s.MarginsHeader,
                                        &s.MarginsFooter, &s.MarginsLeftHFTextIndent,
                                        &s.MarginsRightHFTextIndent,        &s.MarginsHFInternalMargin};
    for (int i = 0; i < MarginCount; ++i)
        *values[i] = margin(Margin(i));
    s.MarginsMirrorMargins = mirrorMargins;
    s.PrintLineNumbers = lineNumbers;
    s.PrintLineNumbersInMargin = lineNumbersInMargin;
    s.PrintHighlight = highlight;
    s.PrintColors = colors;
    s.PrintWrap = wrap;
    s.HeaderLine = header.frame & FrameLine;
    s.HeaderBox = header.frame & FrameBox;
    s.HeaderShadow = header.frame & FrameShade;
    s.HeaderLineColor = header.lineColor;
    s.HeaderShadedColor = header.shadedColor;
    s.HeaderMirrorPosition = header.mirrorPosition;
    s.HeaderItems = header.itemString();
    s.FooterLine = footer.frame & FrameLine;
    s.FooterBox = footer.frame & FrameBox;
    s.FooterShadow = footer.frame & FrameShade;
    s.FooterLineColor = footer.lineColor;
    s.FooterShadedColor = footer.shadedColor;
    s.FooterMirrorPosition = footer.mirrorPosition;
    s.FooterItems = footer.itemString();
}

// ---------------------------------------------------------------- fields

QString ExpandFields(const QString &text, const FieldValues &values)
{
    auto valueOf = [&](const QString &name, QString &out) {
        const QString upper = name.toUpper();
        if (upper == u"PAGENUM")
            out = QString::number(values.page);
        else if (upper == u"PAGECOUNT")
            out = QString::number(values.pageCount);
        else if (upper == u"TITLE")
            out = values.title;
        else if (upper == u"DATE")
            out = values.date;
        else if (upper == u"TIME")
            out = values.time;
        else if (upper == u"DATETIME")
            out = values.date + u' ' + values.time;
        else if (upper == u"TIMEDATE")
            out = values.time + u' ' + values.date;
        else
            return false;
        return true;
    };

    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(u'$', i);
        if (open < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, open - i);
        const qsizetype close = text.indexOf(u'$', open + 1);
        QString value;
        if (close > open && valueOf(text.mid(open + 1, close - open - 1), value)) {
            out += value;
            i = close + 1;
        } else {
            // Not a field: the dollar sign prints, and the next one may open one.
            out += u'$';
            i = open + 1;
        }
    }
    return out;
}
