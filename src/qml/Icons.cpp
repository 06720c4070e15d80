#include "qml/Icons.h"

#include "platform/IconFont.h"

QString Icons::fontFamily()
{
    return IconFont::fontFamily();
}

QString Icons::glyph(const QString &symbolName)
{
    return IconFont::glyph(symbolName);
}
