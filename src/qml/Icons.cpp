#include "Icons.h"

#include "IconFont.h"

QString Icons::fontFamily()
{
    return IconFont::fontFamily();
}

QString Icons::glyph(const QString &symbolName)
{
    return IconFont::glyph(symbolName);
}
