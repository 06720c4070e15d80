#include "platform/AppContext.h"

#include "core/AwayTime.h"
#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "platform/Theme.h"
#include "records/Store.h"

std::unique_ptr<AppContext> AppContext::open(const QString &storePath, QString *error)
{
    std::unique_ptr<AppContext> context(new AppContext);
    context->m_store = Store::open(storePath, error);
    if (!context->m_store)
        return nullptr;
    context->m_timerManager = std::make_unique<TimerManager>();
    context->m_preferences = std::make_unique<Preferences>();
    context->m_theme = std::make_unique<Theme>(context->m_preferences.get());
    context->m_awayTracker = std::make_unique<AwayTracker>(context->m_store.get(), context->m_timerManager.get(),
                                                           context->m_preferences.get());
    return context;
}

// The theme reads the preferences, and everything may hold records: the store goes last.
AppContext::~AppContext()
{
    m_awayTracker.reset();
    m_theme.reset();
    m_preferences.reset();
    m_timerManager.reset();
    m_store.reset();
}
