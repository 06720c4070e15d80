// What the project-code editor of the day screen does with what was typed or chosen. Which
// task it is open for, and the field's text, belong to the banner.
#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class Task;

class CodeEditorModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the day view")

public:
    explicit CodeEditorModel(QObject *parent = nullptr);

    // The field's text after a chip click: the chip's code, or nothing when that code was
    // already the chosen one. Only the exact text chooses a chip.
    Q_INVOKABLE QString afterChipClick(const QString &field, const QString &chip) const;
    // "Gem", Return or leaving the field: stores the text as the code, trimmed and cut to the
    // length a code may have; blank removes it. A task no longer stored is left alone.
    Q_INVOKABLE void saveCode(Task *task, const QString &typed) const;
    // "Fjern".
    Q_INVOKABLE void removeCode(Task *task) const;
};
