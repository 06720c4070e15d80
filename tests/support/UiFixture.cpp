#include "UiFixture.h"

#include <QQmlComponent>
#include <QQuickItem>
#include <QtTest/QTest>

UiFixture::UiFixture()
{
    qputenv("XDG_DATA_HOME", (m_dir.path() + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/config").toUtf8());
    QString error;
    m_context = AppContext::open(Store::defaultPath(), &error);
    if (!m_context)
        qFatal("cannot open the test store: %s", qPrintable(error));
    m_services = std::make_unique<AppServices>(m_context.get());
}

UiFixture::~UiFixture()
{
    m_root.reset();
    m_window.reset();
    m_engine.reset();
    m_services.reset();
}

Task *UiFixture::addTask(const QString &name, double date, qint64 seconds, const std::optional<QString> &code)
{
    const qsizetype sortOrder = store()->tasksOnDay(date).size();
    Task *task = store()->insert(Task::create(name, date, sortOrder, code));
    task->setAccumulatedSeconds(seconds);
    return task;
}

QQuickItem *UiFixture::show(const QString &typeName, QSize size, const QVariantMap &properties)
{
    m_root.reset();
    m_window = std::make_unique<QQuickWindow>();
    m_window->resize(size);
    m_engine = std::make_unique<QQmlEngine>();
    m_engine->addImportPath(QStringLiteral("qrc:/"));
    QObject::connect(m_engine.get(), &QQmlEngine::warnings, m_engine.get(), [this](const QList<QQmlError> &ws) {
        for (const QQmlError &w : ws)
            m_warnings.append(w.toString());
    });

    QQmlComponent component(m_engine.get());
    component.setData("import Timeglas\n" + typeName.toUtf8() + " {}\n", QUrl(QStringLiteral("qrc:/fixture.qml")));
    QVariantMap initial = properties;
    initial.insert(QStringLiteral("services"), QVariant::fromValue(m_services.get()));
    // Creating from a component with errors crashes in Qt 6.4; report them instead.
    QObject *object = component.isReady() ? component.createWithInitialProperties(initial) : nullptr;
    if (!object) {
        for (const QQmlError &e : component.errors())
            m_warnings.append(e.toString());
        return nullptr;
    }
    m_root.reset(object);
    auto *item = qobject_cast<QQuickItem *>(object);
    if (!item)
        return nullptr;
    item->setParentItem(m_window->contentItem());
    item->setSize(QSizeF(size));
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        m_warnings.append(QStringLiteral("window was not exposed"));
    return item;
}

bool UiFixture::grab(const QString &pngPath)
{
    if (!m_window)
        return false;
    const QImage image = m_window->grabWindow();
    return !image.isNull() && image.save(pngPath);
}
