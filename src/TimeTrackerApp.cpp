#include "TimeTrackerApp.h"

#include <QApplication>

int TimeTrackerApp::run(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return app.exec();
}
