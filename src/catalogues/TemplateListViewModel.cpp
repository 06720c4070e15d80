#include "catalogues/TemplateListViewModel.h"

#include "qml/AppServices.h"
#include "records/RecordListModel.h"
#include "records/Store.h"
#include "records/TaskTemplate.h"
#include "timecalc/TextLimit.h"

TemplateListViewModel::TemplateListViewModel(QObject *parent)
    : CatalogueBannerModel(parent)
{
}

TaskTemplate *TemplateListViewModel::editingTemplate() const
{
    return static_cast<TaskTemplate *>(editingRecord());
}

void TemplateListViewModel::setBannerName(const QString &name)
{
    if (m_bannerName == name)
        return;
    m_bannerName = name;
    emit bannerNameChanged();
}

QVariant TemplateListViewModel::selectedCodeVariant() const
{
    return m_selectedCode ? QVariant(*m_selectedCode) : QVariant();
}

void TemplateListViewModel::setSelectedCode(const std::optional<QString> &code)
{
    if (m_selectedCode == code)
        return;
    m_selectedCode = code;
    emit selectedCodeChanged();
}

int TemplateListViewModel::recordCount() const
{
    return services() ? services()->templates()->count() : 0;
}

void TemplateListViewModel::clearBannerState()
{
    setBannerName(QString());
    setSelectedCode(std::nullopt);
}

void TemplateListViewModel::beginNewTemplate()
{
    setBannerName(QString());
    setSelectedCode(std::nullopt);
    openBanner(nullptr, Field::Name);
}

void TemplateListViewModel::beginEditTemplate(TaskTemplate *taskTemplate)
{
    if (!taskTemplate || !taskTemplate->store())
        return;
    setBannerName(taskTemplate->name());
    // A code no longer in the catalogue stays chosen in the model though no chip shows it,
    // so saving keeps it unless the user picks another.
    setSelectedCode(taskTemplate->projectCode());
    openBanner(taskTemplate, Field::Name);
}

void TemplateListViewModel::toggleTemplateCode(const QString &code)
{
    if (m_selectedCode == code)
        setSelectedCode(std::nullopt);
    else
        setSelectedCode(code);
}

void TemplateListViewModel::saveTemplate()
{
    Store *s = store();
    if (!showBanner() || !s)
        return;
    const QString name = timecalc::trimSpacesAndTabs(m_bannerName);
    if (name.isEmpty()) {
        closeTemplateBanner();
        return;
    }
    if (TaskTemplate *editing = editingTemplate()) {
        editing->setName(name);
        editing->setProjectCode(m_selectedCode);
    } else {
        s->insert(TaskTemplate::create(name, m_selectedCode, recordCount()));
    }
    closeTemplateBanner();
}

void TemplateListViewModel::closeTemplateBanner()
{
    closeBanner();
}

void TemplateListViewModel::deleteTemplate(TaskTemplate *taskTemplate)
{
    Store *s = store();
    // Tasks made from the template are separate records and stay as they are.
    if (s && taskTemplate && taskTemplate->store() == s)
        s->remove(taskTemplate);
}
