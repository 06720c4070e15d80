// Makes the core and platform types known to QML by name, without touching their libraries.
#pragma once

#include "core/AwayTime.h"
#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "platform/Theme.h"
#include "records/ClosedDay.h"
#include "records/ProjectCode.h"
#include "records/RecordListModel.h"
#include "records/Task.h"
#include "records/TaskTemplate.h"

#include <QtQml/qqml.h>

struct ForeignTask
{
    Q_GADGET
    QML_FOREIGN(Task)
    QML_NAMED_ELEMENT(Task)
    QML_UNCREATABLE("Tasks are made by the view models")
};

struct ForeignProjectCode
{
    Q_GADGET
    QML_FOREIGN(ProjectCode)
    QML_NAMED_ELEMENT(ProjectCode)
    QML_UNCREATABLE("Project codes are made by the view models")
};

struct ForeignTaskTemplate
{
    Q_GADGET
    QML_FOREIGN(TaskTemplate)
    QML_NAMED_ELEMENT(TaskTemplate)
    QML_UNCREATABLE("Templates are made by the view models")
};

struct ForeignClosedDay
{
    Q_GADGET
    QML_FOREIGN(ClosedDay)
    QML_NAMED_ELEMENT(ClosedDay)
    QML_UNCREATABLE("Closed days are made by the view models")
};

struct ForeignRecordListModel
{
    Q_GADGET
    QML_FOREIGN(RecordListModel)
    QML_NAMED_ELEMENT(RecordListModel)
    QML_UNCREATABLE("Live queries come from the services")
};

struct ForeignTimerManager
{
    Q_GADGET
    QML_FOREIGN(TimerManager)
    QML_NAMED_ELEMENT(TimerManager)
    QML_UNCREATABLE("There is one timer manager, owned by the app")
};

struct ForeignPreferences
{
    Q_GADGET
    QML_FOREIGN(Preferences)
    QML_NAMED_ELEMENT(Preferences)
    QML_UNCREATABLE("There is one preferences object, owned by the app")
};

struct ForeignTheme
{
    Q_GADGET
    QML_FOREIGN(Theme)
    QML_NAMED_ELEMENT(Theme)
    QML_UNCREATABLE("There is one theme, owned by the app")
};

struct ForeignAwayTracker
{
    Q_GADGET
    QML_FOREIGN(AwayTracker)
    QML_NAMED_ELEMENT(AwayTracker)
    QML_UNCREATABLE("There is one away tracker, owned by the app")
};
