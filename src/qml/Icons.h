// The one table from the icon names used across the screens to glyphs of the shipped icon font.
#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class Icons : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString fontFamily READ fontFamily CONSTANT)

public:
    explicit Icons(QObject *parent = nullptr) : QObject(parent) {}

    // Registers the embedded font once; returns its family name.
    static QString fontFamily();
    // The ligature text that draws the icon, or an empty text for an unknown name.
    Q_INVOKABLE static QString glyph(const QString &symbolName);
    static bool isKnown(const QString &symbolName);
    // The icon drawn into an image, for the status item.
    static QImage image(const QString &symbolName, int pixelSize, const QColor &color);
};
