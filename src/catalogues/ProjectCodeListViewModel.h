// The project-code catalogue: its editor banner, saving and deleting codes.
#pragma once

#include "catalogues/CatalogueBannerModel.h"
#include "records/ProjectCode.h"

class ProjectCodeListViewModel : public CatalogueBannerModel
{
    Q_OBJECT
    QML_ELEMENT
    // The record being edited; null while a new code is being made or the banner is closed.
    Q_PROPERTY(ProjectCode *editingCode READ editingCode NOTIFY editingChanged)
    Q_PROPERTY(QString bannerCode READ bannerCode WRITE setBannerCode NOTIFY bannerCodeChanged)
    Q_PROPERTY(QString bannerName READ bannerName WRITE setBannerName NOTIFY bannerNameChanged)
    Q_PROPERTY(bool isCodeFocused READ isCodeFocused WRITE setCodeFocused NOTIFY focusChanged)
    Q_PROPERTY(bool isNameFocused READ isNameFocused WRITE setNameFocused NOTIFY focusChanged)

public:
    explicit ProjectCodeListViewModel(QObject *parent = nullptr);

    ProjectCode *editingCode() const;
    QString bannerCode() const { return m_bannerCode; }
    void setBannerCode(const QString &code);
    QString bannerName() const { return m_bannerName; }
    void setBannerName(const QString &name);
    bool isCodeFocused() const { return focusedField() == Field::Code; }
    void setCodeFocused(bool focused) { setFieldFocused(Field::Code, focused); }
    bool isNameFocused() const { return focusedField() == Field::Name; }
    void setNameFocused(bool focused) { setFieldFocused(Field::Name, focused); }

    Q_INVOKABLE void beginNewProjectCode();
    Q_INVOKABLE void beginEditProjectCode(ProjectCode *code);
    // Return in the code field: on to the name field, nothing is saved.
    Q_INVOKABLE void submitCodeField();
    // The save button, or Return in the name field.
    Q_INVOKABLE void saveProjectCode();
    Q_INVOKABLE void closeCodeBanner();
    Q_INVOKABLE void deleteProjectCode(ProjectCode *code);

signals:
    void bannerCodeChanged();
    void bannerNameChanged();

protected:
    int recordCount() const override;
    void clearBannerState() override;

private:
    QString m_bannerCode;
    QString m_bannerName;
};
