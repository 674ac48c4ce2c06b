#include "mainwindow/ToolIcons.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

#include <algorithm>

namespace ToolIcons {

void useIconTheme()
{
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}

QIcon themed(const char *name, const QString &fallbackGlyph)
{
    const QIcon icon = QIcon::fromTheme(QString::fromLatin1(name));
    if (!icon.isNull() || fallbackGlyph.isEmpty())
        return icon;
    return glyph(fallbackGlyph);
}

QIcon glyph(const QString &text, const QColor &color)
{
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::TextAntialiasing);
        QFont font(QStringLiteral("_CAS_HP48x-49x-50x_01"));
        font.setBold(true);
        // One size for every glyph of a bar: the one at which four capitals
        // fit; only a longer text shrinks further.
        int pixels = size * 3 / 4;
        font.setPixelSize(pixels);
        while (pixels > 6
               && std::max(QFontMetrics(font).horizontalAdvance(text),
                           QFontMetrics(font).horizontalAdvance(QStringLiteral("DERR"))) > size) {
            --pixels;
            font.setPixelSize(pixels);
        }
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon runGlyph(bool step)
{
    // Drawn in full colour: the theme's outline symbols look disabled on
    // the bar even while the command is enabled.
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal m = size / 8.0;
        const qreal right = step ? size - 3 * m : size - m;
        const QPolygonF triangle({QPointF(m * 1.5, m), QPointF(right, size / 2.0), QPointF(m * 1.5, size - m)});
        painter.setPen(QPen(QColor(0x1b, 0x5e, 0x20), 1));
        painter.setBrush(QColor(0x2e, 0x9d, 0x3a));
        painter.drawPolygon(triangle);
        if (step)
            painter.fillRect(QRectF(size - 2.5 * m, m, 1.5 * m, size - 2 * m), QColor(0x1b, 0x5e, 0x20));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace ToolIcons
