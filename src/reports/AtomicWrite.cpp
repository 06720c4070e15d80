#include "reports/AtomicWrite.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>

namespace reports {

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return QCoreApplication::translate("AtomicWrite", "Der er ikke valgt nogen fil.");
    if (QFileInfo(path).isDir())
        return QCoreApplication::translate("AtomicWrite", "%1 er en mappe.").arg(path);
    QSaveFile file(path);
    // Without this QSaveFile falls back to writing the target in place when it cannot
    // create a temporary file beside it; that is the half-written file we refuse.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return QCoreApplication::translate("AtomicWrite", "%1 kunne ikke åbnes: %2").arg(path, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return QCoreApplication::translate("AtomicWrite", "%1 kunne ikke skrives: %2").arg(path, error);
    }
    if (!file.commit())
        return QCoreApplication::translate("AtomicWrite", "%1 kunne ikke gemmes: %2").arg(path, file.errorString());
    return std::nullopt;
}

std::optional<QString> writeTextAtomically(const QString &path, const QString &text)
{
    return writeFileAtomically(path, text.toUtf8());
}

} // namespace reports
