// Installs the Danish texts' plural forms ("1 opgave", "2 opgaver") in every application that
// links the core, the program and the tests alike. Every other text is its own Danish source.
#include <QCoreApplication>
#include <QTranslator>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(textsLog, "timeglas.texts")

namespace {
void installDanishTexts()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral(":/i18n/timeglas_da.qm")))
        QCoreApplication::installTranslator(translator);
    else
        qCWarning(textsLog, "The Danish plural forms are missing; counts read \"1 opgaver\"");
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(installDanishTexts)
