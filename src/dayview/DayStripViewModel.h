// The week strip under the clock card: the seven days Monday to Sunday of the selected day's
// week as cells, the moves between weeks and the notice while another day than today is shown.
#pragma once

#include <QAbstractListModel>
#include <QDate>
#include <QPointer>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

class TimerManager;

class DayStripViewModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(TimerManager *timerManager READ timerManager WRITE setTimerManager NOTIFY timerManagerChanged)
    Q_PROPERTY(bool isViewingOtherDay READ isViewingOtherDay NOTIFY isViewingOtherDayChanged)

public:
    // One row per weekday; the rows stay put and only their values change, so a cell keeps
    // its item and can animate a change of selection.
    enum Roles { LabelRole = Qt::UserRole + 1, NumberRole, DateRole, IsSelectedRole, IsTodayRole, AccessibleNameRole };

    static QString dayLabel(int index);

    explicit DayStripViewModel(QObject *parent = nullptr);

    TimerManager *timerManager() const;
    void setTimerManager(TimerManager *timerManager);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    bool isViewingOtherDay() const { return m_isViewingOtherDay; }
    // The local days of the cells, Monday first.
    QList<QDate> cellDates() const { return m_dates; }
    int selectedIndex() const;
    int todayIndex() const;

    // A cell's tap: selects the start of that day.
    Q_INVOKABLE void selectDay(int index);
    Q_INVOKABLE void previousWeek();
    Q_INVOKABLE void nextWeek();
    // "Gå til i dag": selects the start of today.
    Q_INVOKABLE void goToToday();

signals:
    void timerManagerChanged();
    void isViewingOtherDayChanged();

private:
    // Recomputes the cells from the selected day and today; emits only what changed.
    void refresh();
    // On every tick: today moves on at midnight, and only then is there anything to redo.
    void refreshToday();

    QPointer<TimerManager> m_timerManager;
    QMetaObject::Connection m_selectedConnection;
    QMetaObject::Connection m_tickConnection;
    QList<QDate> m_dates;
    QDate m_selected;
    QDate m_today;
    bool m_isViewingOtherDay = false;
};
