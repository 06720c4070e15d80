// Closing the selected day: the footer's totals or closed-day strip, the confirmation's texts
// and the closing itself, which stops the day's running task and freezes its billable hours.
#pragma once

#include "core/Console.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

class ClosedDay;
class DayTaskListModel;
class Preferences;
class Record;
class Store;
class Task;
class TimerManager;

class DayClosingModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the day view")
    // The selected day's closing record (the first in store order), or null while it is open.
    Q_PROPERTY(ClosedDay *closedDayRecord READ closedDayRecord NOTIFY closedDayRecordChanged)
    // The day's billable hours, rounded per task: what the confirmation offers and closing stores.
    Q_PROPERTY(double closingHours READ closingHours NOTIFY closingHoursChanged)
    // Whether the selected day can be closed now: it is open and has tasks.
    Q_PROPERTY(bool canClose READ canClose NOTIFY canCloseChanged)

    // The footer's totals line and the closed-day strip.
    Q_PROPERTY(QString totalTimeText READ totalTimeText NOTIFY totalTimeTextChanged)
    Q_PROPERTY(QString totalHoursText READ totalHoursText NOTIFY totalHoursTextChanged)
    Q_PROPERTY(QString closedText READ closedText NOTIFY closedTextChanged)
    // The confirmation: "Luk onsdag 5. marts?" and "2 opgaver • 0.50 timer registreres".
    Q_PROPERTY(QString confirmTitle READ confirmTitle NOTIFY confirmTitleChanged)
    Q_PROPERTY(QString confirmLine READ confirmLine NOTIFY confirmLineChanged)

public:
    // Written before the error's description when the closing cannot be saved.
    static QString saveFailurePrefix() { return QStringLiteral("Failed to save closed day: "); }

    // `tasks` is the selected day's list; `output` receives the save-failure line, standard
    // output by default.
    explicit DayClosingModel(const DayTaskListModel *tasks, QObject *parent = nullptr, LineSink output = printLine);

    // Where the closed days are kept, which day is selected, and whether a key is set.
    void setSources(Store *store, TimerManager *timerManager, Preferences *preferences);

    void setOutput(LineSink output) { m_output = std::move(output); }

    ClosedDay *closedDayRecord() const;
    double closingHours() const { return m_closingHours; }
    bool canClose() const { return m_canClose; }
    QString totalTimeText() const { return m_totalTimeText; }
    QString totalHoursText() const { return m_totalHoursText; }
    QString closedText() const { return m_closedText; }
    QString confirmTitle() const { return m_confirmTitle; }
    QString confirmLine() const { return m_confirmLine; }

    // The confirmation's "Luk dag": closes the day selected at this moment.
    Q_INVOKABLE void closeDay();

signals:
    void closedDayRecordChanged();
    void closingHoursChanged();
    void canCloseChanged();
    void totalTimeTextChanged();
    void totalHoursTextChanged();
    void closedTextChanged();
    void confirmTitleChanged();
    void confirmLineChanged();

private:
    void onRecordEvent(Record *record);

    // After a change of day or of the closed days.
    void refreshRecord();
    // After a change of the day's tasks or their times, and on every tick.
    void refreshNumbers();
    void refreshTexts();
    void refreshTitle();

    const DayTaskListModel *m_tasks;
    QPointer<Store> m_store;
    QPointer<TimerManager> m_timerManager;
    QPointer<Preferences> m_preferences;
    LineSink m_output;
    QList<QMetaObject::Connection> m_connections;

    QPointer<ClosedDay> m_closedDayRecord;
    double m_closingHours = 0.0;
    bool m_canClose = false;
    QString m_totalTimeText;
    QString m_totalHoursText;
    QString m_closedText;
    QString m_confirmTitle;
    QString m_confirmLine;
};
