#pragma once

#include "highlight/HighlighterAttribute.h"

#include <QToolButton>

class QAction;

// A button that shows a colour and offers "Automatic" (the editor's default
// colour), "No colour", the sixteen basic colours and the full colour dialog.
class ColorButton : public QToolButton
{
    Q_OBJECT

public:
    explicit ColorButton(QWidget *parent = nullptr);

    ColorValue color() const { return m_color; }
    // Shows the colour; does not emit colorChosen.
    void setColor(ColorValue color);

    // Texts of the three special entries, from the language file.
    void setAutomaticText(const QString &text);
    void setNoColorText(const QString &text);
    void setMoreColorsText(const QString &text);

    // What the swatch shows for the two special values.
    void setFallbackColor(const QColor &color);

    // Picks a colour as the user would (the menu and the dialog end here).
    void choose(ColorValue color);

signals:
    void colorChosen(ColorValue color);

private:
    void updateLook();
    void chooseMore();

    ColorValue m_color = ColorDefault;
    QColor m_fallback = Qt::white;
    QAction *m_automatic = nullptr;
    QAction *m_none = nullptr;
    QAction *m_more = nullptr;
};
