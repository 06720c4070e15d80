// The `timeglas` command: the program in the panel, and the verbs scripts, shortcuts and bars
// use to reach it. Links neither Qt nor the program: a bar may run `timeglas status` every
// second, so that costs a bus round trip and little else; the program itself is loaded only
// when it is the program that was asked for.
#include "cli/BusClient.h"
#include "cli/Command.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {
constexpr int refused = 1;
constexpr int misused = 2;
// A start under a sanitizer or on a busy machine takes seconds; a panel at login more.
constexpr int programStartTimeoutMs = 20000;

std::string ownPath()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, std::size_t(n)) : std::string("timeglas");
}

std::string ownDirectory()
{
    const std::string exe = ownPath();
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

int runProgram(std::vector<char *> &arguments)
{
    const std::string library = ownDirectory() + "/" TIMEGLAS_MODULE_DIR "/libtimeglas_shell.so";
    void *handle = dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL);
    using Entry = int (*)(int, char **);
    auto entry = handle ? reinterpret_cast<Entry>(dlsym(handle, "timeglas_shell_main")) : nullptr;
    if (!entry) {
        std::fprintf(stderr, "Could not start Timeglas: %s\n", dlerror());
        return 1;
    }
    return entry(int(arguments.size()) - 1, arguments.data());
}

int fail(const std::string &message, int status = refused)
{
    std::fprintf(stderr, "timeglas: %s\n", message.c_str());
    return status;
}

// Starts the program in the background, detached from this command and its output, and
// waits until it is on the bus.
bool launchProgram(BusClient &bus)
{
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        setsid();
        const int null = open("/dev/null", O_RDWR);
        for (int fd = 0; fd <= 2; ++fd)
            dup2(null, fd);
        // By its path, not /proc/self/exe: the process is named after the file it runs.
        const std::string program = ownPath();
        execl(program.c_str(), "timeglas", static_cast<char *>(nullptr));
        _exit(127);
    }
    return bus.waitForProgram(child, programStartTimeoutMs);
}

void print(const std::string &line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int status(BusClient &bus, const Command &command)
{
    if (command.follow) {
        std::string last;
        bool printed = false;
        bus.follow([&](const TrackerStatus *status) {
            std::string line = statusLine(status, command.format);
            if (printed && line == last)
                return;
            print(line);
            last = std::move(line);
            printed = true;
        });
        // It returns only when the bus failed.
        return fail(bus.message());
    }
    TrackerStatus now;
    const auto result = bus.readStatus(&now);
    print(statusLine(result == BusClient::Result::Ok ? &now : nullptr, command.format));
    return result == BusClient::Result::Ok ? 0 : fail(bus.message());
}

// Calls a method of the program; `launch` starts the program first when it is not running.
int callProgram(BusClient &bus, const char *method, const std::string *argument, bool launch)
{
    auto result = bus.call(method, argument);
    if (result == BusClient::Result::NotRunning && launch) {
        if (!launchProgram(bus))
            return fail("Timeglas kunne ikke starte. Kør 'timeglas' for at se hvorfor.");
        result = bus.call(method, argument);
    }
    return result == BusClient::Result::Ok ? 0 : fail(bus.message());
}
} // namespace

int main(int argc, char *argv[])
{
    Command command = parseCommand(argc, argv);
    switch (command.verb) {
    case Command::Verb::Shell:
        return runProgram(command.shellArguments);
    case Command::Verb::Help:
        std::fputs(helpText(), stdout);
        return 0;
    case Command::Verb::Version:
        std::puts("timeglas " TIMEGLAS_VERSION);
        return 0;
    case Command::Verb::Usage:
        std::fprintf(stderr, "timeglas: %s\nSe 'timeglas --help'.\n", command.error.c_str());
        return misused;
    default:
        break;
    }
    std::string error;
    const auto bus = BusClient::connect(&error);
    if (!bus) {
        if (command.verb == Command::Verb::Status)
            print(std::string());
        return fail(error);
    }
    switch (command.verb) {
    case Command::Verb::Status:
        return status(*bus, command);
    case Command::Verb::Start:
        return callProgram(*bus, "Start", &command.name, true);
    case Command::Verb::Stop:
        return callProgram(*bus, "Stop", nullptr, false);
    case Command::Verb::Open:
        return callProgram(*bus, "OpenPopover", nullptr, true);
    default:
        return misused;
    }
}
