// The program's entry, loaded by the `timeglas` command when it is the program that was asked for.
#include "app/TimeTrackerApp.h"

extern "C" __attribute__((visibility("default"))) int timeglas_shell_main(int argc, char *argv[])
{
    return TimeTrackerApp::run(argc, argv);
}
