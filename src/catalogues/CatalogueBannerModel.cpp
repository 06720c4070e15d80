#include "catalogues/CatalogueBannerModel.h"

#include "qml/AppServices.h"
#include "records/RecordListModel.h"
#include "records/Store.h"

CatalogueBannerModel::CatalogueBannerModel(QObject *parent)
    : QObject(parent)
{
    m_focusTimer.setSingleShot(true);
    m_focusTimer.setInterval(FocusDelayMs);
    connect(&m_focusTimer, &QTimer::timeout, this, [this] { setFocusedField(m_pendingFocus); });
}

void CatalogueBannerModel::setServices(AppServices *services)
{
    if (m_services == services)
        return;
    if (m_services) {
        disconnect(m_services->store(), nullptr, this, nullptr);
        disconnect(m_services->projectCodes(), nullptr, this, nullptr);
        disconnect(m_services->templates(), nullptr, this, nullptr);
    }
    closeBanner();
    m_services = services;
    if (m_services) {
        connect(m_services->store(), &Store::recordRemoved, this, &CatalogueBannerModel::onRecordRemoved);
        // Either list may be the one counted; both are cheap to watch.
        connect(m_services->projectCodes(), &RecordListModel::changed, this, &CatalogueBannerModel::updateEmptyText);
        connect(m_services->templates(), &RecordListModel::changed, this, &CatalogueBannerModel::updateEmptyText);
    }
    emit servicesChanged();
    updateEmptyText();
}

Store *CatalogueBannerModel::store() const
{
    return m_services ? m_services->store() : nullptr;
}

QString CatalogueBannerModel::saveLabel() const
{
    return isEditing() ? tr("Gem") : tr("Tilføj");
}

bool CatalogueBannerModel::showEmptyText() const
{
    return m_services && recordCount() == 0 && !m_showBanner;
}

void CatalogueBannerModel::updateEmptyText()
{
    const bool now = showEmptyText();
    if (now == m_lastEmptyText)
        return;
    m_lastEmptyText = now;
    emit showEmptyTextChanged();
}

Record *CatalogueBannerModel::editingRecord() const
{
    // A record deleted while it was being edited no longer counts.
    return m_editing && m_editing->store() ? m_editing.data() : nullptr;
}

void CatalogueBannerModel::openBanner(Record *editing, Field field)
{
    const bool wasEditing = isEditing();
    m_editing = editing;
    // Re-opening refills the banner: focus moves back to the first field as it would on a fresh open.
    setFocusedField(Field::None);
    if (!m_showBanner) {
        m_showBanner = true;
        emit showBannerChanged();
    }
    if (wasEditing || isEditing())
        emit editingChanged();
    updateEmptyText();
    m_pendingFocus = field;
    m_focusTimer.start();
}

void CatalogueBannerModel::closeBanner()
{
    m_focusTimer.stop();
    m_pendingFocus = Field::None;
    const bool wasEditing = isEditing();
    m_editing = nullptr;
    clearBannerState();
    setFocusedField(Field::None);
    if (m_showBanner) {
        m_showBanner = false;
        emit showBannerChanged();
    }
    if (wasEditing)
        emit editingChanged();
    updateEmptyText();
}

void CatalogueBannerModel::setFocusedField(Field field)
{
    if (m_focus == field)
        return;
    m_focus = field;
    emit focusChanged();
}

void CatalogueBannerModel::setFieldFocused(Field field, bool focused)
{
    if (focused) {
        // Focus that arrives before the delayed focus (a click into a field) wins over it.
        m_focusTimer.stop();
        setFocusedField(field);
    } else if (m_focus == field) {
        setFocusedField(Field::None);
    }
}

void CatalogueBannerModel::onRecordRemoved(Record *record)
{
    // Deleting the record the banner edits (its row's delete button stays reachable)
    // must not leave a banner that would write into a deleted record.
    if (record && record == m_editing.data())
        closeBanner();
}
