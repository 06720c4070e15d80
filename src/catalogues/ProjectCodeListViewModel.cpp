#include "catalogues/ProjectCodeListViewModel.h"

#include "qml/AppServices.h"
#include "records/ProjectCode.h"
#include "records/RecordListModel.h"
#include "records/Store.h"
#include "timecalc/TextLimit.h"

ProjectCodeListViewModel::ProjectCodeListViewModel(QObject *parent)
    : CatalogueBannerModel(parent)
{
}

ProjectCode *ProjectCodeListViewModel::editingCode() const
{
    return static_cast<ProjectCode *>(editingRecord());
}

void ProjectCodeListViewModel::setBannerCode(const QString &code)
{
    if (m_bannerCode == code)
        return;
    m_bannerCode = code;
    emit bannerCodeChanged();
}

void ProjectCodeListViewModel::setBannerName(const QString &name)
{
    if (m_bannerName == name)
        return;
    m_bannerName = name;
    emit bannerNameChanged();
}

int ProjectCodeListViewModel::recordCount() const
{
    return services() ? services()->projectCodes()->count() : 0;
}

void ProjectCodeListViewModel::clearBannerState()
{
    setBannerCode(QString());
    setBannerName(QString());
}

void ProjectCodeListViewModel::beginNewProjectCode()
{
    setBannerCode(QString());
    setBannerName(QString());
    openBanner(nullptr, Field::Code);
}

void ProjectCodeListViewModel::beginEditProjectCode(ProjectCode *code)
{
    if (!code || !code->store())
        return;
    setBannerCode(code->code());
    setBannerName(code->name());
    // The code field takes focus when editing too.
    openBanner(code, Field::Code);
}

void ProjectCodeListViewModel::submitCodeField()
{
    if (showBanner())
        setFocusedField(Field::Name);
}

void ProjectCodeListViewModel::saveProjectCode()
{
    Store *s = store();
    if (!showBanner() || !s)
        return;
    // Only spaces and tabs go: a line break pasted into the field is part of what the user typed.
    const QString code = timecalc::trimSpacesAndTabs(m_bannerCode);
    if (code.isEmpty()) {
        closeCodeBanner();
        return;
    }
    const QString name = timecalc::trimSpacesAndTabs(m_bannerName);
    if (ProjectCode *editing = editingCode()) {
        editing->setCode(code);
        editing->setName(name);
    } else {
        // No duplicate check: two records may carry the same code.
        s->insert(ProjectCode::create(code, name, recordCount()));
    }
    closeCodeBanner();
}

void ProjectCodeListViewModel::closeCodeBanner()
{
    closeBanner();
}

void ProjectCodeListViewModel::deleteProjectCode(ProjectCode *code)
{
    Store *s = store();
    // Tasks and templates keep the code text they carry.
    if (s && code && code->store() == s)
        s->remove(code);
}
