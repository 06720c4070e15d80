// The template catalogue: its editor banner with code chips, saving and deleting templates.
#pragma once

#include "catalogues/CatalogueBannerModel.h"
#include "records/TaskTemplate.h"

#include <QVariant>
#include <optional>

class TemplateListViewModel : public CatalogueBannerModel
{
    Q_OBJECT
    QML_ELEMENT
    // The template being edited; null while a new one is being made or the banner is closed.
    Q_PROPERTY(TaskTemplate *editingTemplate READ editingTemplate NOTIFY editingChanged)
    Q_PROPERTY(QString bannerName READ bannerName WRITE setBannerName NOTIFY bannerNameChanged)
    // The chosen code text, or undefined for no code.
    Q_PROPERTY(QVariant selectedCode READ selectedCodeVariant NOTIFY selectedCodeChanged)
    Q_PROPERTY(bool isNameFocused READ isNameFocused WRITE setNameFocused NOTIFY focusChanged)

public:
    explicit TemplateListViewModel(QObject *parent = nullptr);

    TaskTemplate *editingTemplate() const;
    QString bannerName() const { return m_bannerName; }
    void setBannerName(const QString &name);
    std::optional<QString> selectedCode() const { return m_selectedCode; }
    QVariant selectedCodeVariant() const;
    bool isNameFocused() const { return focusedField() == Field::Name; }
    void setNameFocused(bool focused) { setFieldFocused(Field::Name, focused); }

    Q_INVOKABLE void beginNewTemplate();
    Q_INVOKABLE void beginEditTemplate(TaskTemplate *taskTemplate);
    // A chip click: chooses the code, or clears it when it was the chosen one.
    Q_INVOKABLE void toggleTemplateCode(const QString &code);
    // The save button, or Return in the name field.
    Q_INVOKABLE void saveTemplate();
    Q_INVOKABLE void closeTemplateBanner();
    Q_INVOKABLE void deleteTemplate(TaskTemplate *taskTemplate);

signals:
    void bannerNameChanged();
    void selectedCodeChanged();

protected:
    int recordCount() const override;
    void clearBannerState() override;

private:
    void setSelectedCode(const std::optional<QString> &code);

    QString m_bannerName;
    std::optional<QString> m_selectedCode;
};
