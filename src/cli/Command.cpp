#include "cli/Command.h"

#include <cstring>

namespace {
bool is(const char *argument, const char *word)
{
    return std::strcmp(argument, word) == 0;
}
} // namespace

Command parseCommand(int argc, char *argv[])
{
    Command command;
    const auto usage = [&](std::string error) {
        command.verb = Command::Verb::Usage;
        command.error = std::move(error);
        return command;
    };
    if (argc < 2 || (argv[1][0] == '-' && !is(argv[1], "--help") && !is(argv[1], "-h") && !is(argv[1], "--version"))
        || is(argv[1], "toggle")) {
        // Options of the toolkit's own (-platform, say) go to the program as before.
        command.shellArguments.push_back(argv[0]);
        for (int i = argc >= 2 && is(argv[1], "toggle") ? 2 : 1; i < argc; ++i)
            command.shellArguments.push_back(argv[i]);
        command.shellArguments.push_back(nullptr);
        return command;
    }
    const char *verb = argv[1];
    if (is(verb, "--help") || is(verb, "-h") || is(verb, "help")) {
        command.verb = Command::Verb::Help;
    } else if (is(verb, "--version")) {
        command.verb = Command::Verb::Version;
    } else if (is(verb, "status")) {
        command.verb = Command::Verb::Status;
        bool formatGiven = false;
        for (int i = 2; i < argc; ++i) {
            const char *option = argv[i];
            const LineFormat format = is(option, "--json")      ? LineFormat::Json
                                      : is(option, "--polybar") ? LineFormat::Polybar
                                      : is(option, "--genmon")  ? LineFormat::Genmon
                                      : is(option, "--i3blocks") ? LineFormat::I3blocks
                                                                : LineFormat::Plain;
            if (is(option, "--follow")) {
                command.follow = true;
            } else if (format != LineFormat::Plain && !formatGiven) {
                command.format = format;
                formatGiven = true;
            } else {
                return usage(std::string("status: ukendt eller gentaget valg: ") + option);
            }
        }
        return command;
    } else if (is(verb, "start")) {
        command.verb = Command::Verb::Start;
        // The words of a name need no quotes: "timeglas start Møde med Jens".
        for (int i = 2; i < argc; ++i)
            command.name += (i > 2 ? " " : "") + std::string(argv[i]);
        return command;
    } else if (is(verb, "stop")) {
        command.verb = Command::Verb::Stop;
    } else if (is(verb, "open")) {
        command.verb = Command::Verb::Open;
    } else {
        return usage(std::string("ukendt kommando: ") + verb);
    }
    if (argc > 2)
        return usage(std::string(verb) + ": uventet argument: " + argv[2]);
    return command;
}

const char *helpText()
{
    return "Brug: timeglas [KOMMANDO]\n"
           "\n"
           "Uden kommando startes Timeglas i panelet; kører det allerede, åbnes eller lukkes dets vindue.\n"
           "\n"
           "Kommandoer:\n"
           "  toggle                 åbn eller luk vinduet (starter Timeglas, hvis det ikke kører)\n"
           "  open                   åbn vinduet (starter Timeglas, hvis det ikke kører)\n"
           "  start [NAVN]           start dagens opgave med det navn, eller tilføj den\n"
           "                         (uden navn: den unavngivne opgave); starter Timeglas om nødvendigt\n"
           "  stop                   stop den kørende opgave\n"
           "  status [FORMAT] [--follow]\n"
           "                         skriv etiketten, som panelet viser den; med --follow en linje nu\n"
           "                         og en ved hver ændring, og en tom linje, mens Timeglas ikke kører\n"
           "      --json             et JSON-objekt pr. linje (text, tooltip, class, alt) til Waybar\n"
           "      --polybar          polybars formatkoder i navne gøres virkningsløse\n"
           "      --genmon           <txt> og <tool> til Xfce's Generic Monitor\n"
           "      --i3blocks         et JSON-objekt pr. linje (full_text) til i3blocks med format=json\n"
           "  --help                 denne hjælp\n"
           "  --version              versionen\n"
           "\n"
           "Afslutningsstatus: 0 udført, 1 afvist (lukket dag, Timeglas kører ikke, ændringer gemmes ikke),\n"
           "2 forkert brug.\n";
}
