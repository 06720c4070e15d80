#include "platform/Autostart.h"

#include "platform/AppIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace Autostart {

QString entryPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/autostart/") + AppIdentity::id() + QStringLiteral(".desktop");
}

bool isEnabled(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    // Session managers turn an entry off without removing it: Hidden=true is the
    // standard's way, X-GNOME-Autostart-enabled=false GNOME's settings tools'.
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Hidden") && value == QLatin1String("true"))
            return false;
        if (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false"))
            return false;
    }
    return true;
}

QString execValue(const QString &program)
{
    if (program.isEmpty() || program.contains(u'\n') || program.contains(u'\r'))
        return QString();
    static const QString reserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    const bool needsQuotes = std::any_of(program.cbegin(), program.cend(),
                                         [](QChar c) { return reserved.contains(c); });
    QString arg;
    for (const QChar c : program) {
        if (needsQuotes && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            arg += u'\\';
        arg += c;
        // A lone percent sign would start a field code.
        if (c == u'%')
            arg += u'%';
    }
    if (needsQuotes)
        arg = u'"' + arg + u'"';
    // The value is itself a string of the file, where a backslash is written twice.
    arg.replace(u'\\', QStringLiteral("\\\\"));
    return arg;
}

QString setEnabled(bool enabled, const QString &program, const QString &path)
{
    if (!enabled) {
        if (QFile::exists(path) && !QFile::remove(path))
            return QCoreApplication::translate("Autostart", "Kunne ikke fjerne %1.").arg(QDir::toNativeSeparators(path));
        return QString();
    }
    const QString exec = execValue(program);
    if (exec.isEmpty())
        return QCoreApplication::translate("Autostart", "Programmets sti kan ikke stå i en autostart-fil: %1").arg(program);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QCoreApplication::translate("Autostart", "Kunne ikke oprette mappen %1.").arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Timeglas\n"
                                        "Comment=Registrér tid på dagens opgaver fra panelet\n"
                                        "Exec=%1\n"
                                        "Icon=%2\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(exec, AppIdentity::id());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        return QCoreApplication::translate("Autostart", "Kunne ikke skrive %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    return QString();
}

} // namespace Autostart
