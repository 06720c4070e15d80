// The export's file texts (semicolon-separated CSV and JSON) and its summary figures.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

class Task;

namespace reports {

enum class ExportFormat { Csv, Json };

QString rawValue(ExportFormat format);
QString label(ExportFormat format);
std::optional<ExportFormat> exportFormatFromRaw(const QString &raw);
QList<ExportFormat> allExportFormats();
// "csv" or "json"
QString fileExtension(ExportFormat format);
// "timetracker-export.csv" or "timetracker-export.json"
QString proposedFileName(ExportFormat format);

// One task as the export writes it, taken at one moment: a task that keeps running
// after the snapshot does not change the file.
struct ExportRow
{
    QString day;           // "yyyy-MM-dd" of the task's date in local time
    QString name;
    QString code;          // "" when the task has none
    qint64 storedSeconds = 0; // the banked seconds, without a running interval
    double hours = 0.0;       // of the current seconds, so a running task counts up to now
    double billableHours = 0.0;
};

// The tasks as rows, ordered by date ascending; tasks of one day keep their given order.
QList<ExportRow> exportRows(const QList<Task *> &tasks);

// The texts come out as the file's UTF-8 bytes, so 100,000 rows need no second pass to
// encode them.

// Starts with the byte-order mark, a header line and one line per row, joined by line
// feeds with none after the last line; hours with two decimals and a decimal comma.
QByteArray csvText(const QList<ExportRow> &rows);
// A name or code field as the CSV writes it: quoted only when it holds ';', '"' or a line feed.
QString csvField(const QString &text);

struct ExportFile
{
    QByteArray bytes; // meaningful only when error is empty
    QString error;    // why no file could be made
    bool ok() const { return error.isEmpty(); }
};
// A pretty-printed array of one object per row, keys in ascending order, hours rounded
// to hundredths. Fails instead of writing a number JSON cannot hold.
ExportFile jsonText(const QList<ExportRow> &rows);

// The file for a format, or the reason there is none.
ExportFile exportFile(const QList<ExportRow> &rows, ExportFormat format);

struct ExportSummary
{
    qsizetype taskCount = 0;
    double hours = 0.0;         // sum of the per-task current hours
    double billableHours = 0.0; // sum of the per-task billable hours
};
ExportSummary exportSummary(const QList<Task *> &tasks);

} // namespace reports
