#include "mainwindow/ToolIcons.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

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
        int pixels = size * 3 / 4;
        font.setPixelSize(pixels);
        while (pixels > 6 && QFontMetrics(font).horizontalAdvance(text) > size) {
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

} // namespace ToolIcons
