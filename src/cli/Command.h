// What the command line asked for.
#pragma once

#include "cli/StatusLine.h"

#include <string>
#include <vector>

struct Command
{
    enum class Verb {
        Shell,   // the program itself: a first start runs it, a later one opens or closes its popover
        Status,
        Start,
        Stop,
        Open,
        Help,
        Version,
        Usage,   // a mistake; `error` says which
    };
    Verb verb = Verb::Shell;
    LineFormat format = LineFormat::Plain;
    bool follow = false;
    std::string name;  // for start
    std::string error; // for a usage mistake
    // The arguments the program itself gets (its own name first), for Verb::Shell.
    std::vector<char *> shellArguments;
};

Command parseCommand(int argc, char *argv[]);
const char *helpText();
