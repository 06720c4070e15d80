#include "settings/DayBarChart.h"

#include <QPainter>
#include <cmath>

DayBarChart::DayBarChart(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void DayBarChart::setHeights(const QList<qreal> &heights)
{
    if (m_heights == heights)
        return;
    m_heights = heights;
    emit heightsChanged();
    update();
}

void DayBarChart::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    emit colorChanged();
    update();
}

void DayBarChart::setSpacing(qreal spacing)
{
    if (qFuzzyCompare(m_spacing, spacing))
        return;
    m_spacing = spacing;
    emit spacingChanged();
    update();
}

void DayBarChart::setRadius(qreal radius)
{
    if (qFuzzyCompare(m_radius, radius))
        return;
    m_radius = radius;
    emit radiusChanged();
    update();
}

bool DayBarChart::sharesColumns() const
{
    const qsizetype days = m_heights.size();
    return days > 0 && (width() + m_spacing) / double(days) - m_spacing < 1.0;
}

QList<DayBarChart::Bar> DayBarChart::layout() const
{
    QList<Bar> bars;
    const int days = int(m_heights.size());
    const qreal w = width();
    const qreal h = height();
    if (days == 0 || w <= 0)
        return bars;
    const qreal slot = (w + m_spacing) / days;
    if (!sharesColumns()) {
        bars.reserve(days);
        for (int i = 0; i < days; ++i) {
            const qreal barHeight = std::min(m_heights.at(i), h);
            bars.append(Bar{QRectF(i * slot, h - barHeight, slot - m_spacing, barHeight), i, i});
        }
        return bars;
    }
    // Fewer pixels than days: one bar per pixel column, touching each other.
    const int columns = std::max(1, int(std::floor(w)));
    bars.reserve(columns);
    for (int c = 0; c < columns; ++c) {
        const int first = int(qint64(c) * days / columns);
        const int last = std::max(first, int(qint64(c + 1) * days / columns) - 1);
        qreal tallest = 0;
        for (int i = first; i <= last; ++i)
            tallest = std::max(tallest, m_heights.at(i));
        tallest = std::min(tallest, h);
        bars.append(Bar{QRectF(c * w / columns, h - tallest, w / columns, tallest), first, last});
    }
    return bars;
}

int DayBarChart::indexAt(qreal x) const
{
    // A point in the gap after a bar still belongs to that bar's day.
    const qreal gap = sharesColumns() ? 0.0 : m_spacing;
    for (const Bar &bar : layout()) {
        if (x < bar.rect.left() || x >= bar.rect.right() + gap)
            continue;
        // A shared column is as high as its highest day, so that is the day it tells of.
        int tallest = bar.firstDay;
        for (int i = bar.firstDay + 1; i <= bar.lastDay; ++i)
            if (m_heights.at(i) > m_heights.at(tallest))
                tallest = i;
        return tallest;
    }
    return -1;
}

void DayBarChart::paint(QPainter *painter)
{
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_color);
    for (const Bar &bar : layout()) {
        const qreal r = std::min({m_radius, bar.rect.width() / 2, bar.rect.height() / 2});
        if (r >= 0.5)
            painter->drawRoundedRect(bar.rect, r, r);
        else
            painter->fillRect(bar.rect, m_color);
    }
}
