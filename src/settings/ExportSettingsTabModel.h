// The export tab: the chosen range and format, the summary of what would be written,
// and the export itself (save dialog, atomic write, the short success notice).
#pragma once

#include "qml/AppServices.h"
#include "reports/ExportText.h"
#include "reports/ReportPeriods.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>
#include <functional>

class Task;

class ExportSettingsTabModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AppServices *services READ services WRITE setServices NOTIFY servicesChanged)
    // Raw values: "today", "thisWeek", "thisMonth", "all"; "csv", "json".
    Q_PROPERTY(QString exportRange READ exportRange WRITE setExportRange NOTIFY exportRangeChanged)
    Q_PROPERTY(QString exportFormat READ exportFormat WRITE setExportFormat NOTIFY exportFormatChanged)
    // {value, label} per option, in button order.
    Q_PROPERTY(QVariantList rangeOptions READ rangeOptions CONSTANT)
    Q_PROPERTY(QVariantList formatOptions READ formatOptions CONSTANT)
    Q_PROPERTY(QString taskCountText READ taskCountText NOTIFY summaryChanged)
    Q_PROPERTY(QString hoursText READ hoursText NOTIFY summaryChanged)
    Q_PROPERTY(QString billableHoursText READ billableHoursText NOTIFY summaryChanged)
    Q_PROPERTY(bool canExport READ canExport NOTIFY summaryChanged)
    Q_PROPERTY(bool showExportSuccess READ showExportSuccess NOTIFY showExportSuccessChanged)
    // "Eksport mislykkedes: <why>" after an export that wrote nothing, until the next one.
    Q_PROPERTY(QString exportError READ exportError NOTIFY exportErrorChanged)
    // While the save dialog is open; a second export waits for it.
    Q_PROPERTY(bool isChoosingFile READ isChoosingFile NOTIFY isChoosingFileChanged)

public:
    static constexpr int successNoticeMilliseconds = 2000;

    // Asks the user for a target file, starting from `proposedPath`, and calls `done` once
    // with the chosen path, or with an empty text when the user cancelled.
    using FileChooser = std::function<void(const QString &proposedPath, reports::ExportFormat format,
                                           std::function<void(const QString &path)> done)>;
    // Runs `work` once on the main thread after `milliseconds`.
    using Scheduler = std::function<void(int milliseconds, std::function<void()> work)>;

    explicit ExportSettingsTabModel(QObject *parent = nullptr);

    AppServices *services() const { return m_services; }
    void setServices(AppServices *services);

    QString exportRange() const { return reports::rawValue(m_range); }
    void setExportRange(const QString &raw);
    QString exportFormat() const { return reports::rawValue(m_format); }
    void setExportFormat(const QString &raw);
    static QVariantList rangeOptions();
    static QVariantList formatOptions();

    // The tasks of the chosen range, in store order, read afresh on every call.
    QList<Task *> filteredTasks() const;

    QString taskCountText() const { return QString::number(m_summary.taskCount); }
    QString hoursText() const;
    QString billableHoursText() const;
    bool canExport() const { return m_summary.taskCount > 0; }
    bool showExportSuccess() const { return m_showExportSuccess; }
    bool isChoosingFile() const { return m_choosingFile; }
    // Why the last export wrote nothing. Empty after a success or a cancelled dialog.
    QString lastError() const { return m_lastError; }
    QString exportError() const;

    // Builds the file from the tasks as they are now, asks for a target and writes it
    // atomically. An empty range or a cancelled dialog writes and shows nothing; a
    // written file shows the success notice, a failure the error in its place.
    Q_INVOKABLE void performExport();
    // Re-reads the summary now, for instance when the popover opens with a task running.
    Q_INVOKABLE void refresh();

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    void setScheduler(Scheduler scheduler) { m_schedule = std::move(scheduler); }
    // The save dialog in its own window, proposing the name in the home folder.
    static void chooseFileWithDialog(const QString &proposedPath, reports::ExportFormat format,
                                     std::function<void(const QString &path)> done);

signals:
    void servicesChanged();
    void exportRangeChanged();
    void exportFormatChanged();
    void summaryChanged();
    void showExportSuccessChanged();
    void exportErrorChanged();
    void isChoosingFileChanged();

private:
    void scheduleRefresh();
    void finishExport(const QString &path, const QByteArray &bytes);
    void setShowExportSuccess(bool show);
    void setChoosingFile(bool choosing);
    void setLastError(const QString &error);

    QPointer<AppServices> m_services;
    reports::ExportRange m_range = reports::ExportRange::ThisWeek;
    reports::ExportFormat m_format = reports::ExportFormat::Csv;
    reports::ExportSummary m_summary;
    bool m_showExportSuccess = false;
    bool m_choosingFile = false;
    QString m_lastError;
    QTimer m_refreshTimer;
    FileChooser m_chooseFile;
    Scheduler m_schedule;
};
