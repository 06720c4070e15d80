// What the project-code and template editor banners share: open and closed, new versus
// edit, and the keyboard focus that a freshly opened banner takes a moment later.
#pragma once

#include "qml/AppServices.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

class Record;
class Store;

class CatalogueBannerModel : public QObject
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(AppServices *services READ services WRITE setServices NOTIFY servicesChanged)
    Q_PROPERTY(bool showBanner READ showBanner NOTIFY showBannerChanged)
    // Whether the banner edits an existing record rather than making a new one.
    Q_PROPERTY(bool isEditing READ isEditing NOTIFY editingChanged)
    // "Gem" for an existing record, "Tilføj" for a new one.
    Q_PROPERTY(QString saveLabel READ saveLabel NOTIFY editingChanged)
    // Whether the list shows its empty-state text instead of rows.
    Q_PROPERTY(bool showEmptyText READ showEmptyText NOTIFY showEmptyTextChanged)

public:
    // How long after opening the banner its first field takes keyboard focus.
    static constexpr int FocusDelayMs = 100;

    AppServices *services() const { return m_services; }
    void setServices(AppServices *services);

    bool showBanner() const { return m_showBanner; }
    bool isEditing() const { return editingRecord() != nullptr; }
    QString saveLabel() const;
    bool showEmptyText() const;

    // Whether a delayed focus is still to come.
    bool isFocusPending() const { return m_focusTimer.isActive(); }

signals:
    void servicesChanged();
    void showBannerChanged();
    void editingChanged();
    void focusChanged();
    void showEmptyTextChanged();

protected:
    enum class Field { None, Code, Name };

    explicit CatalogueBannerModel(QObject *parent = nullptr);

    Store *store() const;
    // Number of records in the list's live query.
    virtual int recordCount() const = 0;
    // Clears the subclass's banner texts and choices.
    virtual void clearBannerState() = 0;

    // Shows the banner for `editing` (nullptr for a new record); `field` takes focus shortly after.
    void openBanner(Record *editing, Field field);
    void closeBanner();
    Record *editingRecord() const;

    Field focusedField() const { return m_focus; }
    void setFocusedField(Field field);
    void setFieldFocused(Field field, bool focused);

private:
    void onRecordRemoved(Record *record);
    void updateEmptyText();

    QPointer<AppServices> m_services;
    bool m_showBanner = false;
    QPointer<Record> m_editing;
    Field m_focus = Field::None;
    Field m_pendingFocus = Field::None;
    QTimer m_focusTimer;
    bool m_lastEmptyText = false;
};
