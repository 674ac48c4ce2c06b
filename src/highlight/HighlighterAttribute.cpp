#include "highlight/HighlighterAttribute.h"

HighlighterAttribute::HighlighterAttribute(const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
{
}

void HighlighterAttribute::setForeground(ColorValue color)
{
    if (color == m_foreground)
        return;
    m_foreground = color;
    emit changed();
}

void HighlighterAttribute::setBackground(ColorValue color)
{
    if (color == m_background)
        return;
    m_background = color;
    emit changed();
}

void HighlighterAttribute::setStyle(int style)
{
    style &= StyleMask;
    if (style == m_style)
        return;
    m_style = style;
    emit changed();
}

void HighlighterAttribute::assign(const HighlighterAttribute &other)
{
    if (m_foreground == other.m_foreground && m_background == other.m_background &&
        m_style == other.m_style)
        return;
    m_foreground = other.m_foreground;
    m_background = other.m_background;
    m_style = other.m_style;
    emit changed();
}
