// A program's command line as a table of options: each row names an option, the value it takes
// (if any), its line of help, and what it does with the value. Adding an option is adding a row.
#pragma once

#include "display/RenderOptions.h"

#include <functional>
#include <string>
#include <vector>

namespace cm {

struct CommandOption {
    // Stores the value (empty for a switch). False refuses it, with the reason in error as it
    // reads after the option's name ("wants a number, not 'x'").
    using Apply = std::function<bool(const std::string& value, std::string& error)>;

    std::string name;   // "--data"
    std::string value;  // what the value is called in the help ("DIR"); empty for a switch
    std::string help;   // one line
    Apply apply;
    std::string alias = {};  // a second spelling, e.g. "-h"
};

// Applies args in order. Refuses an argument no row names, an option given without its value,
// and a value that starts with "--" (an option whose value was forgotten would swallow the next
// option). On refusal returns false with the reason in error, naming the argument.
bool ParseCommandLine(const std::vector<CommandOption>& table, const std::vector<std::string>& args,
                      std::string& error);

// One line per row: "  --data DIR            help", the help lined up in one column.
std::string DescribeOptions(const std::vector<CommandOption>& table);

// Ready-made rows' actions: a switch that sets flag; a value stored as given (empty refused); a
// whole number from low to high.
CommandOption::Apply SetFlag(bool& flag);
CommandOption::Apply SetText(std::string& text);
CommandOption::Apply SetInteger(int& number, int low, int high);

// The rows of the drawing options both programs take: --supersample K and --threads N (0, the
// default, leaves the choice to DefaultThreadCount).
std::vector<CommandOption> RenderOptionRows(RenderOptions& options);

// Drawing threads when none are asked for: the environment variable's value when it names a
// count from 1 to 64, otherwise the processor's hardware threads.
int DefaultThreadCount(const char* environmentVariable);

}  // namespace cm
