// Starts Timeglas.
#include "app/TimeTrackerApp.h"

int main(int argc, char *argv[])
{
    return TimeTrackerApp::run(argc, argv);
}
