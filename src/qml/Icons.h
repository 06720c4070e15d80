// The icon table for QML: which glyph of the icon font draws a named icon.
#pragma once

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

    static QString fontFamily();
    // The ligature text that draws the icon, or an empty text for an unknown name.
    Q_INVOKABLE static QString glyph(const QString &symbolName);
};
