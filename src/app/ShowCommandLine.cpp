#include "app/ShowCommandLine.h"

#include "app/CommandLine.h"

namespace cm {

namespace {
CommandOption::Apply SetPixels(bool& original) {
    return [&original](const std::string& value, std::string& error) {
        if (value != "original" && value != "native") {
            error = "is 'native' or 'original', not '" + value + "'";
            return false;
        }
        original = value == "original";
        return true;
    };
}

std::vector<CommandOption> OptionTable(ShowCommandLine& line) {
    std::vector<CommandOption> table = {
        {"--data", "DIR", "the folder with kelvarin.pak and kelvarin.xm", SetText(line.dataDir)},
        {"--pixels", "MODE", "native: drawn at the window's size (default); original: 640x480 scaled smoothly",
         SetPixels(line.render.originalPixels)},
    };
    for (CommandOption& row : RenderOptionRows(line.render)) table.push_back(std::move(row));
    table.push_back({"--no-vsync", "", "draw as fast as possible instead of at the display's refresh (for measuring)",
                     SetFlag(line.noVsync)});
    table.push_back({"--version", "", "print the version and exit", SetFlag(line.version)});
    table.push_back({"--help", "", "print this help and exit", SetFlag(line.help), "-h"});
    return table;
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
           "Plays the show after its start-up dialog; Escape ends it (closing the window too).\n"
           "Alt+Enter switches between the window and full screen. Full screen draws the picture\n"
           "at the screen's resolution with its 4:3 shape kept (bars beside); the window starts\n"
           "at 640x480, can be resized, and is drawn at its size.\n"
           "The data is looked for next to the program, then in ../share/coldmeridian beside it.\n"
           "Options:\n" +
           DescribeOptions(OptionTable(unused)) +
           "Environment: COLDMERIDIAN_THREADS=N sets the drawing threads when --threads is not given\n"
           "(default: every hardware thread).\n";
}

}  // namespace cm
