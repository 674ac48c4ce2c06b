#pragma once

#include <QIcon>
#include <QString>

// Images of the tool bars: the desktop icon theme where a standard image
// fits, and small drawn glyphs for the calculator's own objects and commands.
namespace ToolIcons {

// Selects the icon theme that Debian's adwaita-icon-theme installs.
void useIconTheme();

// A theme icon, or the drawn glyph when the theme lacks it.
QIcon themed(const char *name, const QString &fallbackGlyph = QString());

// text drawn in the calculator font, shrunk to fit the button.
QIcon glyph(const QString &text, const QColor &color = QColor(0x20, 0x30, 0x70));

// The green triangle of Run, with a bar after it for Step.
QIcon runGlyph(bool step);

} // namespace ToolIcons
