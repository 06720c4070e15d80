// The bars of the hours per day, drawn in one item so that a period of thousands of
// days costs one paint instead of thousands of QML items.
#pragma once

#include <QColor>
#include <QList>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

class DayBarChart : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<qreal> heights READ heights WRITE setHeights NOTIFY heightsChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(qreal spacing READ spacing WRITE setSpacing NOTIFY spacingChanged)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)

public:
    explicit DayBarChart(QQuickItem *parent = nullptr);

    QList<qreal> heights() const { return m_heights; }
    void setHeights(const QList<qreal> &heights);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    qreal spacing() const { return m_spacing; }
    void setSpacing(qreal spacing);
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);

    // The day under a point of the item, or -1.
    Q_INVOKABLE int indexAt(qreal x) const;

    // One rectangle per drawn bar. With fewer pixels than days a bar stands for the
    // days of its pixel column, as high as the highest of them, so no day goes unseen.
    struct Bar
    {
        QRectF rect;
        int firstDay;
        int lastDay;
    };
    QList<Bar> layout() const;

    void paint(QPainter *painter) override;

signals:
    void heightsChanged();
    void colorChanged();
    void spacingChanged();
    void radiusChanged();

private:
    // Whether the days outnumber the columns that can be drawn one pixel wide and spaced.
    bool sharesColumns() const;

    QList<qreal> m_heights;
    QColor m_color;
    qreal m_spacing = 3;
    qreal m_radius = 3;
};
