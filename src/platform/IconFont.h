// The one table from the icon names used across the app to glyphs of the shipped icon
// font, and the font itself; the status item draws its icon with it, the screens use it
// through the Icons singleton.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace IconFont {
// Registers the embedded font once; returns its family name.
QString fontFamily();
// The ligature text that draws the icon, or an empty text for an unknown name.
QString glyph(const QString &symbolName);
// The icon drawn into a square image.
QImage image(const QString &symbolName, int pixelSize, const QColor &color);
} // namespace IconFont
