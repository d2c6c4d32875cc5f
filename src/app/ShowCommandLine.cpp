#include "app/ShowCommandLine.h"

#include "app/CommandLine.h"

namespace cm {

namespace {
std::vector<CommandOption> OptionTable(ShowCommandLine& line) {
    return {
        {"--data", "DIR", "the folder with kelvarin.pak and kelvarin.xm", SetText(line.dataDir)},
        {"--no-vsync", "", "draw as fast as possible instead of at the display's refresh (for measuring)",
         SetFlag(line.noVsync)},
        {"--version", "", "print the version and exit", SetFlag(line.version)},
        {"--help", "", "print this help and exit", SetFlag(line.help), "-h"},
    };
}
}  // namespace

std::optional<ShowCommandLine> ParseShowCommandLine(const std::vector<std::string>& args, std::string& error) {
    ShowCommandLine line;
    if (!ParseCommandLine(OptionTable(line), args, error)) return std::nullopt;
    return line;
}

std::string ShowUsage() {
    ShowCommandLine unused;
    return "usage: coldmeridian [options]\n"
           "Plays the show after its start-up dialog; Escape ends it.\n"
           "The data is looked for next to the program, then in ../share/coldmeridian beside it.\n"
           "Options:\n" +
           DescribeOptions(OptionTable(unused));
}

}  // namespace cm
