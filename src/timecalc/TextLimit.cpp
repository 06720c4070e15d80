#include "timecalc/TextLimit.h"

#include <QTextBoundaryFinder>

namespace timecalc {

QString firstGraphemes(const QString &text, int count)
{
    if (count <= 0)
        return {};
    if (text.size() <= count)
        return text; // a grapheme holds at least one UTF-16 unit
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int seen = 0;
    while (finder.toNextBoundary() != -1) {
        if (++seen == count)
            return text.left(finder.position());
    }
    return text;
}

QString trimmedAndCut(const QString &text, int count)
{
    return firstGraphemes(text.trimmed(), count);
}

QString trimSpacesAndTabs(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace timecalc
