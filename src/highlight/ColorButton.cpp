#include "highlight/ColorButton.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QWidgetAction>

namespace {

// The sixteen basic colours of the classic colour boxes, row by row.
constexpr ColorValue kBasicColors[16] = {
    rgbColor(0, 0, 0),
    rgbColor(128, 0, 0),
    rgbColor(0, 128, 0),
    rgbColor(128, 128, 0),
    rgbColor(0, 0, 128),
    rgbColor(128, 0, 128),
    rgbColor(0, 128, 128),
    rgbColor(128, 128, 128),
    rgbColor(192, 192, 192),
    rgbColor(255, 0, 0),
    rgbColor(0, 255, 0),
    rgbColor(255, 255, 0),
    rgbColor(0, 0, 255),
    rgbColor(255, 0, 255),
    rgbColor(0, 255, 255),
    rgbColor(255, 255, 255),
};

QIcon swatch(const QColor &fill, bool crossed)
{
    QPixmap pixmap(28, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(96, 96, 96));
    painter.setBrush(fill);
    painter.drawRect(0, 0, 27, 13);
    if (crossed) {
        painter.setPen(QPen(QColor(200, 0, 0), 1.5));
        painter.drawLine(2, 12, 25, 1);
    }
    return QIcon(pixmap);
}

} // namespace

ColorButton::ColorButton(QWidget *parent)
    : QToolButton(parent)
{
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setIconSize(QSize(28, 14));
    setMinimumWidth(150);

    auto *menu = new QMenu(this);
    m_automatic = menu->addAction(QStringLiteral("Automático"));
    connect(m_automatic, &QAction::triggered, this, [this] { choose(ColorDefault); });
    m_none = menu->addAction(QStringLiteral("Sin color"));
    connect(m_none, &QAction::triggered, this, [this] { choose(ColorNone); });
    menu->addSeparator();

    auto *grid = new QWidget(menu);
    auto *layout = new QGridLayout(grid);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(3);
    for (int i = 0; i < 16; ++i) {
        auto *cell = new QToolButton(grid);
        const ColorValue value = kBasicColors[i];
        cell->setIcon(swatch(toQColor(value, Qt::white), false));
        cell->setIconSize(QSize(28, 14));
        cell->setAutoRaise(true);
        cell->setToolTip(toQColor(value, Qt::white).name());
        connect(cell, &QToolButton::clicked, this, [this, menu, value] {
            menu->close();
            choose(value);
        });
        layout->addWidget(cell, i / 8, i % 8);
    }
    auto *gridAction = new QWidgetAction(menu);
    gridAction->setDefaultWidget(grid);
    menu->addAction(gridAction);
    menu->addSeparator();
    m_more = menu->addAction(QStringLiteral("Otros colores..."));
    connect(m_more, &QAction::triggered, this, &ColorButton::chooseMore);
    setMenu(menu);
    updateLook();
}

void ColorButton::setColor(ColorValue color)
{
    m_color = color;
    updateLook();
}

void ColorButton::setAutomaticText(const QString &text)
{
    m_automatic->setText(text);
    updateLook();
}

void ColorButton::setNoColorText(const QString &text)
{
    m_none->setText(text);
    updateLook();
}

void ColorButton::setMoreColorsText(const QString &text)
{
    m_more->setText(text);
}

void ColorButton::setFallbackColor(const QColor &color)
{
    m_fallback = color;
    updateLook();
}

void ColorButton::choose(ColorValue color)
{
    setColor(color);
    emit colorChosen(color);
}

void ColorButton::chooseMore()
{
    const QColor picked =
        QColorDialog::getColor(toQColor(m_color, m_fallback), this, m_more->text().remove("..."));
    if (picked.isValid())
        choose(fromQColor(picked));
}

void ColorButton::updateLook()
{
    if (m_color == ColorDefault) {
        setIcon(swatch(m_fallback, false));
        setText(m_automatic->text());
    } else if (m_color == ColorNone) {
        setIcon(swatch(m_fallback, true));
        setText(m_none->text());
    } else {
        const QColor c = toQColor(m_color, m_fallback);
        setIcon(swatch(c, false));
        setText(c.name().toUpper());
    }
}
