#include "platform/IconFont.h"

#include <QFontDatabase>
#include <QHash>
#include <QPainter>

namespace {
const QHash<QString, QString> &table()
{
    // Names the screens use → ligatures of the Material Icons font.
    static const QHash<QString, QString> t = {
        {QStringLiteral("hourglass"), QStringLiteral("hourglass_empty")},
        {QStringLiteral("hourglass.bottomhalf.filled"), QStringLiteral("hourglass_bottom")},
        {QStringLiteral("play.fill"), QStringLiteral("play_arrow")},
        {QStringLiteral("pause.fill"), QStringLiteral("pause")},
        {QStringLiteral("lock.fill"), QStringLiteral("lock")},
        {QStringLiteral("plus"), QStringLiteral("add")},
        {QStringLiteral("plus.circle"), QStringLiteral("add_circle_outline")},
        {QStringLiteral("plus.circle.fill"), QStringLiteral("add_circle")},
        {QStringLiteral("clock"), QStringLiteral("schedule")},
        {QStringLiteral("clock.badge.checkmark"), QStringLiteral("alarm_on")},
        {QStringLiteral("doc.text"), QStringLiteral("description")},
        {QStringLiteral("gearshape"), QStringLiteral("settings")},
        {QStringLiteral("chevron.left"), QStringLiteral("chevron_left")},
        {QStringLiteral("chevron.right"), QStringLiteral("chevron_right")},
        {QStringLiteral("calendar"), QStringLiteral("calendar_today")},
        {QStringLiteral("tag"), QStringLiteral("label_outline")},
        {QStringLiteral("tag.fill"), QStringLiteral("label")},
        {QStringLiteral("xmark"), QStringLiteral("close")},
        {QStringLiteral("checkmark"), QStringLiteral("check")},
        {QStringLiteral("trash"), QStringLiteral("delete_outline")},
        {QStringLiteral("arrow.up"), QStringLiteral("arrow_upward")},
        {QStringLiteral("arrow.down"), QStringLiteral("arrow_downward")},
        {QStringLiteral("doc.text.fill"), QStringLiteral("description")},
        {QStringLiteral("square.and.arrow.up"), QStringLiteral("ios_share")},
        {QStringLiteral("chart.bar"), QStringLiteral("bar_chart")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("check_circle")},
        {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("warning")},
    };
    return t;
}
} // namespace

QString IconFont::fontFamily()
{
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QStringLiteral("Material Icons") : families.constFirst();
    }();
    return family;
}

QString IconFont::glyph(const QString &symbolName)
{
    return table().value(symbolName);
}

QImage IconFont::image(const QString &symbolName, int pixelSize, const QColor &color)
{
    QImage img(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QFont font(fontFamily());
    font.setPixelSize(pixelSize);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.setPen(color);
    p.drawText(img.rect(), Qt::AlignCenter, glyph(symbolName));
    return img;
}
