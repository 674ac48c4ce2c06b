#include "generators/CalcScreen.h"

#include "formats/CalcCharset.h"
#include "generators/GeneratedText.h"
#include "generators/ChooseBuilder.h"
#include "generators/InformBuilder.h"
#include "generators/InputBuilder.h"

#include <QPainter>

namespace CalcScreen {

namespace {

// Texts of the drawings are calculator bytes.
QString shown(const QByteArray &bytes)
{
    return CalcCharset::decode(bytes);
}

void text(QPainter &p, int size, const QRect &r, const QString &s, int flags = Qt::AlignLeft | Qt::AlignTop)
{
    p.setFont(SmallFont(size));
    p.drawText(r, flags | Qt::TextSingleLine | Qt::TextDontClip, s);
}

// One line, vertically centred and cut with an ellipsis to fit r.
void elided(QPainter &p, int size, const QRect &r, const QString &s, int flags = Qt::AlignLeft)
{
    p.setFont(SmallFont(size));
    const QString fitted = p.fontMetrics().elidedText(s, Qt::ElideRight, std::max(0, r.width()));
    p.drawText(r, flags | Qt::AlignVCenter | Qt::TextSingleLine, fitted);
}

// The first line of a text: the drawings show one line per item.
QString firstLine(const QByteArray &bytes)
{
    const QList<QByteArray> lines = GeneratorText::Lines(bytes);
    return lines.isEmpty() ? QString() : shown(lines.first());
}

} // namespace

QColor ScreenColour()
{
    return QColor(104, 145, 106);
}

QFont SmallFont(int size)
{
    QFont font(QStringLiteral("Small Fonts"));
    font.setPixelSize(size);
    return font;
}

void PaintFrame(QPainter &p)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(QPoint(0, 0), Size), Qt::black);
    p.fillRect(QRect(1, 1, Size.width() - 2, Size.height() - 2), ScreenColour());
    p.setPen(Qt::black);
    text(p, 11, Edges(1, 19, 200, 29), QStringLiteral("DEG  XYZ  HEX    R         'X'"));
    text(p, 11, Edges(235, 19, 265, 29), QStringLiteral("PRG"));
    text(p, 11, Edges(1, 31, 264, 41), QStringLiteral("{HOME}"));
    p.fillRect(Edges(3, 47, 265, 49), Qt::black);
    text(p, 12, Edges(107, 17, 117, 27), QStringLiteral("="));
    p.restore();
}

void PaintMenuKeys(QPainter &p)
{
    for (int k = 0; k < 6; ++k)
        p.fillRect(Edges(3 + 44 * k, 133, 45 + 44 * k, 147), Qt::black);
}

void PaintMenuLabel(QPainter &p, int index, const QString &label)
{
    p.save();
    p.setPen(ScreenColour());
    text(p, 11, Edges(3 + 44 * index, 131, 45 + 44 * index, 145), label, Qt::AlignCenter);
    p.restore();
}

void PaintInput(QPainter &p, const InputFields &fields)
{
    PaintFrame(p);
    p.save();
    p.setPen(Qt::black);
    const QList<QByteArray> prompt = GeneratorText::Lines(fields.prompt);
    for (int k = 0; k < std::min<int>(5, int(prompt.size())); ++k)
        text(p, 14, Edges(2, 47 + 16 * k, 264, 56 + 16 * k), shown(prompt[k]));

    // The command line grows upwards from the menu keys, over the prompt.
    const QList<QByteArray> command = GeneratorText::Lines(fields.commandLine);
    const int n = std::min<int>(5, int(command.size()));
    if (n > 0) {
        p.fillRect(Edges(2, 129 - 16 * n, 264, 132), ScreenColour());
        for (int k = 0; k < n; ++k) {
            const int up = 16 * k;
            text(p, 14, Edges(2, 111 - up, 264, 115 - up), shown(command[command.size() - 1 - k]));
        }
    }
    if (fields.format) {
        if (fields.algebraic)
            text(p, 11, Edges(200, 19, 230, 29), QStringLiteral("ALG"));
        if (fields.alpha)
            text(p, 16, Edges(109, -8, 121, 20), QString(QChar(0x03B1)));
    }
    p.restore();
    PaintMenuKeys(p);
}

void PaintChoose(QPainter &p, const ChooseFields &fields)
{
    PaintFrame(p);
    p.save();
    p.setPen(Qt::black);
    for (int k = 0; k < 5; ++k)
        text(p, 14, Edges(2, 47 + 16 * k, 264, 56 + 16 * k), QStringLiteral("%1:").arg(5 - k));

    const bool titled = !fields.title.isEmpty();
    const int rows = int(fields.rows.size());
    int n = rows + (titled ? 1 : 0);
    int right = 220;
    if (n >= 6) {
        n = 5;
        right = 212;
    }
    const int h = 18 * n;
    const int b = (110 - h) / 2;
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(Edges(37, b + 20, 226, b + h + 27));
    p.setBrush(ScreenColour());
    p.drawRect(Edges(35, b + 18, 224, b + h + 25));
    p.setBrush(Qt::NoBrush);

    int line = 0;
    if (titled) {
        p.setPen(Qt::black);
        elided(p, 11, Edges(36, b + 17, 221, b + 35), shown(fields.title), Qt::AlignHCenter);
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(38, b + 34, 221, b + 34);
        line = 1;
    }
    const int firstItemLine = line;
    for (int item = 0; line < n && item < rows; ++item, ++line) {
        const int top = b + 19 + 18 * line;
        const QString label = firstLine(ChooseShownLabel(fields.rows[item].label));
        if (item + 1 == fields.position) {
            p.fillRect(Edges(39, b + 21 + 18 * line, right, b + 39 + 18 * line), Qt::black);
            p.setPen(ScreenColour());
        } else {
            p.setPen(Qt::black);
        }
        elided(p, 14, Edges(38, top + 2, right, top + 20), label);
    }
    // More items than lines: a scroll bar with a thumb as long as one line's
    // share of the list.
    if (rows > n - firstItemLine) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::NoBrush);
        if (titled) {
            p.drawRect(Edges(215, 50, 220, 121).adjusted(0, 0, -1, -1));
            p.fillRect(Edges(217, 51, 218 + 1, 51 + 4 * (70 / rows)), Qt::black);
        } else {
            p.drawRect(Edges(215, 32, 220, 121).adjusted(0, 0, -1, -1));
            p.fillRect(Edges(217, 33, 218 + 1, 33 + 5 * (90 / rows)), Qt::black);
        }
    }
    p.restore();
    PaintMenuKeys(p);
    PaintMenuLabel(p, 4, QStringLiteral("CANCL"));
    PaintMenuLabel(p, 5, QStringLiteral("OK"));
}

void PaintInform(QPainter &p, const InformFields &fields, int selected)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(QPoint(0, 0), Size), Qt::black);
    p.fillRect(QRect(1, 1, Size.width() - 2, Size.height() - 2), ScreenColour());

    // The title bar's checkerboard, cleared behind the title's letters.
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i <= 65; ++i)
            p.fillRect(3 + 4 * i, 19 + 4 * j, 2, 2, Qt::black);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i <= 64; ++i)
            p.fillRect(5 + 4 * i, 21 + 4 * j, 2, 2, Qt::black);
    p.setFont(SmallFont(11));
    const QRect titleArea = Edges(7, 17, 261, 33);
    const QString title = shown(fields.title) + QLatin1Char(' ');
    const QRect behind = p.boundingRect(titleArea, Qt::AlignCenter | Qt::TextSingleLine, title);
    p.fillRect(behind.intersected(titleArea), ScreenColour());
    p.setPen(Qt::black);
    p.drawText(titleArea, Qt::AlignCenter | Qt::TextSingleLine, title);

    const int columns = std::clamp(fields.columns, 1, InformColumnsMaximum);
    const int f = std::min<int>(int(fields.fields.size()), 4 * columns);
    const int w = 265 / columns;
    const int pad = fields.offsetCheck ? 10 * fields.offset : 30;
    int widest = 0;
    p.setFont(SmallFont(11));
    for (int i = 0; i < f; ++i)
        widest = std::max(widest, p.fontMetrics().horizontalAdvance(firstLine(fields.fields[i].name)));
    int a = pad + widest;
    if (a > w - 20)
        a = w - 30;

    for (int i = 0; i < f; ++i) {
        const InformField &field = fields.fields[i];
        const int c = i % columns + 1;
        const int L = i / columns + 1;
        const int left = 3 + (c - 1) * w;
        p.setPen(Qt::black);
        // The name may use the two pixels before its value box.
        elided(p, 11, Edges(left, 13 + 20 * L, left + a + 2, 33 + 20 * L), firstLine(field.name));
        const QRect box = Edges(5 + (c - 1) * w + a, 13 + 20 * L, c * w - 6, 33 + 20 * L);
        if (i == selected) {
            p.fillRect(box, Qt::black);
            p.setPen(ScreenColour());
        }
        if (!field.initial.isEmpty() && field.initial != "NOVAL")
            elided(p, 14, box, firstLine(field.initial));
    }
    if (selected >= 0 && selected < f) {
        p.setPen(Qt::black);
        elided(p, 11, Edges(2, 120, 265, 128), firstLine(fields.fields[selected].help));
    }
    p.restore();
    PaintMenuKeys(p);
    PaintMenuLabel(p, 0, QStringLiteral("EDIT"));
    PaintMenuLabel(p, 4, QStringLiteral("CANCL"));
    PaintMenuLabel(p, 5, QStringLiteral("OK"));
}

} // namespace CalcScreen
