#include "generators/GeneratorHeader.h"

#include <QLinearGradient>
#include <QPainter>

TGeneratorHeader::TGeneratorHeader(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Header"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QColor TGeneratorHeader::GradientTop()
{
    return QColor(98, 150, 0);
}

void TGeneratorHeader::setGradientTop(const QColor &colour)
{
    m_top = colour;
    update();
}

void TGeneratorHeader::setTitle(const QString &title)
{
    m_title = title;
    update();
}

void TGeneratorHeader::setDescription(const QString &description)
{
    m_description = description;
    setToolTip(description);
    update();
}

QSize TGeneratorHeader::sizeHint() const
{
    return QSize(420, 64);
}

QSize TGeneratorHeader::minimumSizeHint() const
{
    return QSize(200, 64);
}

void TGeneratorHeader::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect r = rect();
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(0, m_top);
    gradient.setColorAt(1, palette().color(QPalette::Window));
    p.fillRect(r, gradient);

    // The "?" stands at the right, as tall as the band.
    QFont mark = font();
    mark.setBold(true);
    mark.setPixelSize(r.height() - 8);
    p.setFont(mark);
    const int markWidth = p.fontMetrics().horizontalAdvance(QLatin1Char('?')) + 16;
    const QRect markRect(r.right() - markWidth, r.top(), markWidth, r.height());
    p.setPen(palette().color(QPalette::Base));
    p.drawText(markRect.translated(2, 2), Qt::AlignCenter, QStringLiteral("?"));
    p.setPen(m_top.darker(160));
    p.drawText(markRect, Qt::AlignCenter, QStringLiteral("?"));

    const QRect textArea = r.adjusted(12, 6, -markWidth - 4, -6);
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(font().pointSizeF() * 1.3);
    p.setFont(titleFont);
    p.setPen(palette().color(QPalette::WindowText));
    const int titleHeight = p.fontMetrics().height();
    p.drawText(QRect(textArea.left(), textArea.top(), textArea.width(), titleHeight),
               Qt::AlignLeft | Qt::AlignVCenter, m_title);
    p.setFont(font());
    const QRect descriptionRect(textArea.left() + 8, textArea.top() + titleHeight + 2, textArea.width() - 8,
                                textArea.height() - titleHeight - 2);
    const QString elided = p.fontMetrics().elidedText(m_description, Qt::ElideRight, descriptionRect.width() * 2);
    p.drawText(descriptionRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, elided);
}
