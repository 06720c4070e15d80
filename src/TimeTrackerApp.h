// The shell: store, timer manager, preferences, status item, popover, appearance and quitting.
#pragma once

#include <QObject>

class TimeTrackerApp : public QObject
{
    Q_OBJECT
public:
    static int run(int argc, char *argv[]);
};
