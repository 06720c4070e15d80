#include "platform/Popover.h"

void Popover::toggle(QPoint anchor)
{
    if (isVisible())
        hide();
    else
        showAt(anchor);
}

QPoint Popover::placement(QPoint anchor, QSize size, const QRect &available)
{
    constexpr int gap = 4; // between the panel and the window
    int x = anchor.x() - size.width() / 2;
    int y = anchor.y() < available.center().y() ? anchor.y() + gap : anchor.y() - gap - size.height();
    x = qBound(available.left(), x, qMax(available.left(), available.right() + 1 - size.width()));
    y = qBound(available.top(), y, qMax(available.top(), available.bottom() + 1 - size.height()));
    return {x, y};
}
