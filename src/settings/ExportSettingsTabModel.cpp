#include "settings/ExportSettingsTabModel.h"

#include "records/RecordListModel.h"
#include "records/Store.h"
#include "reports/AtomicWrite.h"
#include "timecalc/TimeCalc.h"

#include <QDir>
#include <QFileDialog>
#include <QVariantMap>

using namespace reports;

namespace {
QVariantMap option(const QString &value, const QString &label)
{
    return {{QStringLiteral("value"), value}, {QStringLiteral("label"), label}};
}
} // namespace

ExportSettingsTabModel::ExportSettingsTabModel(QObject *parent)
    : QObject(parent)
    , m_chooseFile(&ExportSettingsTabModel::chooseFileWithDialog)
    , m_schedule([this](int milliseconds, std::function<void()> work) {
        QTimer::singleShot(milliseconds, this, std::move(work));
    })
{
    // Many store changes in one event-loop turn (an import, a save) give one re-read.
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, &ExportSettingsTabModel::refresh);
}

void ExportSettingsTabModel::setServices(AppServices *services)
{
    if (m_services == services)
        return;
    if (m_services) {
        disconnect(m_services, nullptr, this, nullptr);
        disconnect(m_services->allTasks(), nullptr, this, nullptr);
    }
    m_services = services;
    if (m_services) {
        connect(m_services->allTasks(), &RecordListModel::changed, this, &ExportSettingsTabModel::scheduleRefresh);
        connect(m_services, &AppServices::windowBecameKey, this, &ExportSettingsTabModel::scheduleRefresh);
    }
    emit servicesChanged();
    refresh();
}

void ExportSettingsTabModel::setExportRange(const QString &raw)
{
    const auto range = exportRangeFromRaw(raw);
    if (!range || *range == m_range)
        return;
    m_range = *range;
    emit exportRangeChanged();
    refresh();
}

void ExportSettingsTabModel::setExportFormat(const QString &raw)
{
    const auto format = exportFormatFromRaw(raw);
    if (!format || *format == m_format)
        return;
    m_format = *format;
    emit exportFormatChanged();
}

QVariantList ExportSettingsTabModel::rangeOptions()
{
    QVariantList out;
    for (ExportRange range : allExportRanges())
        out.append(option(rawValue(range), label(range)));
    return out;
}

QVariantList ExportSettingsTabModel::formatOptions()
{
    QVariantList out;
    for (ExportFormat format : allExportFormats())
        out.append(option(rawValue(format), label(format)));
    return out;
}

QList<Task *> ExportSettingsTabModel::filteredTasks() const
{
    if (!m_services || !m_services->store())
        return {};
    return reports::filteredTasks(m_services->store()->tasks(), m_range);
}

QString ExportSettingsTabModel::hoursText() const
{
    return timecalc::formatDecimalHours(m_summary.hours);
}

QString ExportSettingsTabModel::billableHoursText() const
{
    return timecalc::formatDecimalHours(m_summary.billableHours);
}

void ExportSettingsTabModel::scheduleRefresh()
{
    m_refreshTimer.start();
}

void ExportSettingsTabModel::refresh()
{
    m_refreshTimer.stop();
    m_summary = exportSummary(filteredTasks());
    emit summaryChanged();
}

void ExportSettingsTabModel::performExport()
{
    if (m_choosingFile)
        return;
    const QList<Task *> tasks = filteredTasks();
    if (tasks.isEmpty())
        return;
    // The file is made before the dialog opens: a task that keeps running meanwhile does
    // not change it, and a file that cannot be made is never offered for saving.
    const ExportFile file = exportFile(exportRows(tasks), m_format);
    if (!file.ok()) {
        setLastError(file.error);
        return;
    }
    setLastError(QString());

    setChoosingFile(true);
    if (m_services)
        m_services->setPopoverPinned(true);
    const QPointer<ExportSettingsTabModel> self(this);
    const QPointer<AppServices> services(m_services);
    const QByteArray bytes = file.bytes;
    m_chooseFile(QDir::home().filePath(proposedFileName(m_format)), m_format,
                 [self, services, bytes](const QString &path) {
                     if (services)
                         services->setPopoverPinned(false);
                     if (self) {
                         self->finishExport(path, bytes);
                         return;
                     }
                     // The tab was closed while the dialog was open: the user still asked
                     // for this file, so it is written all the same.
                     if (!path.isEmpty())
                         writeFileAtomically(path, bytes);
                 });
}

void ExportSettingsTabModel::finishExport(const QString &path, const QByteArray &bytes)
{
    setChoosingFile(false);
    if (path.isEmpty())
        return;
    if (const auto error = writeFileAtomically(path, bytes)) {
        setShowExportSuccess(false);
        setLastError(*error);
        return;
    }
    setLastError(QString());
    setShowExportSuccess(true);
    // Each success hides the notice on its own schedule; an earlier one may hide it first.
    const QPointer<ExportSettingsTabModel> self(this);
    m_schedule(successNoticeMilliseconds, [self] {
        if (self)
            self->setShowExportSuccess(false);
    });
}

QString ExportSettingsTabModel::exportError() const
{
    return m_lastError.isEmpty() ? QString() : tr("Eksport mislykkedes: %1").arg(m_lastError);
}

void ExportSettingsTabModel::setLastError(const QString &error)
{
    if (m_lastError == error)
        return;
    m_lastError = error;
    emit exportErrorChanged();
}

void ExportSettingsTabModel::setShowExportSuccess(bool show)
{
    if (m_showExportSuccess == show)
        return;
    m_showExportSuccess = show;
    emit showExportSuccessChanged();
}

void ExportSettingsTabModel::setChoosingFile(bool choosing)
{
    if (m_choosingFile == choosing)
        return;
    m_choosingFile = choosing;
    emit isChoosingFileChanged();
}

void ExportSettingsTabModel::chooseFileWithDialog(const QString &proposedPath, ExportFormat format,
                                                  std::function<void(const QString &path)> done)
{
    // A window of its own: the popover is a small frameless window and would crop a
    // dialog drawn inside it.
    auto *dialog = new QFileDialog(nullptr, tr("Eksportér"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::ShowDirsOnly, false);
    dialog->setNameFilter(format == ExportFormat::Csv ? QStringLiteral("CSV (*.csv)") : QStringLiteral("JSON (*.json)"));
    dialog->setDefaultSuffix(fileExtension(format));
    dialog->setDirectory(QFileInfo(proposedPath).absolutePath());
    dialog->selectFile(QFileInfo(proposedPath).fileName());
    dialog->setWindowModality(Qt::ApplicationModal);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
        const QStringList files = dialog->selectedFiles();
        done(result == QDialog::Accepted && !files.isEmpty() ? files.constFirst() : QString());
    });
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}
