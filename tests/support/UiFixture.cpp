#include "UiFixture.h"

#include <QQmlComponent>
#include <QQuickItem>
#include <QtTest/QTest>
#include <algorithm>

namespace {
void collect(QQuickItem *item, const QString &name, QList<QQuickItem *> *out)
{
    if (item->objectName() == name)
        out->append(item);
    for (QQuickItem *child : item->childItems())
        collect(child, name, out);
}
} // namespace

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

TaskTemplate *UiFixture::addTemplate(const QString &name, const std::optional<QString> &code)
{
    return store()->insert(TaskTemplate::create(name, code, store()->templates().size()));
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

QList<QQuickItem *> UiFixture::all(const QString &name) const
{
    QList<QQuickItem *> found;
    if (!m_window)
        return found;
    collect(m_window->contentItem(), name, &found);
    found.erase(std::remove_if(found.begin(), found.end(), [](QQuickItem *i) { return !i->isVisible(); }),
                found.end());
    std::stable_sort(found.begin(), found.end(), [](QQuickItem *a, QQuickItem *b) {
        const QPointF pa = a->mapToScene({0, 0});
        const QPointF pb = b->mapToScene({0, 0});
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    return found;
}

bool UiFixture::atRest() const
{
    QList<QPair<QRectF, qreal>> last;
    for (int i = 0; i < 150; ++i) {
        QList<QPair<QRectF, qreal>> now;
        for (QQuickItem *item : m_window->contentItem()->findChildren<QQuickItem *>())
            now.append({item->mapRectToScene(item->boundingRect()), item->opacity()});
        if (now == last)
            return true;
        last = now;
        QTest::qWait(20);
    }
    return false;
}

QQuickItem *UiFixture::settled(const QString &name) const
{
    QRectF last;
    for (int i = 0; i < 100; ++i) {
        if (QQuickItem *item = named(name)) {
            const QRectF r = item->mapRectToScene(item->boundingRect());
            if (r == last && QRectF(0, 0, m_window->width(), m_window->height()).contains(r))
                return item;
            last = r;
        }
        QTest::qWait(20);
    }
    return nullptr;
}

QString UiFixture::textOf(const QString &name) const
{
    QQuickItem *item = named(name);
    return item ? item->property("text").toString() : QStringLiteral("<none>");
}

void UiFixture::click(QQuickItem *item, Qt::MouseButton button, QPointF at)
{
    QVERIFY(item);
    const QPointF local = at.x() < 0 ? QPointF(item->width() / 2, item->height() / 2) : at;
    QTest::mouseClick(m_window.get(), button, {}, item->mapToScene(local).toPoint());
}

QObject *UiFixture::banners() const
{
    QList<QObject *> items = m_root ? m_root->findChildren<QObject *>() : QList<QObject *>();
    items.append(m_root.get());
    for (QObject *item : std::as_const(items))
        if (item && item->metaObject()->indexOfProperty("banners") >= 0)
            return item->property("banners").value<QObject *>();
    return nullptr;
}

QObject *UiFixture::rowMenu(int row) const
{
    for (QQuickItem *p = all(QStringLiteral("rowNameArea")).value(row); p; p = p->parentItem())
        if (QObject *menu = p->findChild<QObject *>(QStringLiteral("rowMenu"), Qt::FindDirectChildrenOnly))
            return menu;
    return nullptr;
}
