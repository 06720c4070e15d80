// Cutting user text to a number of user-perceived characters (grapheme clusters).
#pragma once

#include <QString>

namespace timecalc {

QString firstGraphemes(const QString &text, int count);
// Trims white space and line breaks at both ends, then keeps at most `count` graphemes.
QString trimmedAndCut(const QString &text, int count);
// Trims only spaces and tabs at both ends (catalogue texts keep everything else).
QString trimSpacesAndTabs(const QString &text);

} // namespace timecalc
