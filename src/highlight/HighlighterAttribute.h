#pragma once

#include <QObject>
#include <QString>

// Colour values as the settings store keeps them: 0x00BBGGRR, red in the low
// byte. Two values above the 24-bit range mean "no colour" (the widget paints
// nothing of its own) and "automatic" (the widget's default colour).
using ColorValue = quint32;
constexpr ColorValue ColorNone = 0x1FFFFFFF;
constexpr ColorValue ColorDefault = 0x20000000;

constexpr ColorValue rgbColor(int r, int g, int b)
{
    return ColorValue(r & 0xFF) | ColorValue(g & 0xFF) << 8 | ColorValue(b & 0xFF) << 16;
}

// True for a value that names a real colour (not ColorNone or ColorDefault).
constexpr bool isRealColor(ColorValue c)
{
    return c <= 0x00FFFFFF;
}

// Style bits exactly as they are stored under "Style".
enum FontStyle : int { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4, StyleStrikeOut = 8 };
constexpr int StyleMask = StyleBold | StyleItalic | StyleUnderline | StyleStrikeOut;

// How one token kind is painted: its name (the key it is stored under), two
// colours and a style set. Every change emits changed() so that the editors
// showing it repaint.
class HighlighterAttribute : public QObject
{
    Q_OBJECT

public:
    explicit HighlighterAttribute(const QString &name, QObject *parent = nullptr);

    QString name() const { return m_name; }

    ColorValue foreground() const { return m_foreground; }
    ColorValue background() const { return m_background; }
    int style() const { return m_style; }

    void setForeground(ColorValue color);
    void setBackground(ColorValue color);
    // Bits outside bold, italic, underline and strike-out are dropped.
    void setStyle(int style);

    // Colours and style of other, not its name.
    void assign(const HighlighterAttribute &other);

signals:
    void changed();

private:
    QString m_name;
    ColorValue m_foreground = ColorNone;
    ColorValue m_background = ColorNone;
    int m_style = 0;
};

#include <QColor>

// A real colour value as a QColor; fallback for ColorNone and ColorDefault.
inline QColor toQColor(ColorValue c, const QColor &fallback)
{
    if (!isRealColor(c))
        return fallback;
    return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
}

inline ColorValue fromQColor(const QColor &c)
{
    return rgbColor(c.red(), c.green(), c.blue());
}
