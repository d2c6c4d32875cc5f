#include "app/CommandLine.h"

#include <algorithm>

namespace cm {

namespace {
const CommandOption* FindOption(const std::vector<CommandOption>& table, const std::string& arg) {
    for (const CommandOption& option : table) {
        if (arg == option.name || (!option.alias.empty() && arg == option.alias)) return &option;
    }
    return nullptr;
}

std::string Heading(const CommandOption& option) {
    std::string heading = option.name;
    if (!option.alias.empty()) heading += ", " + option.alias;
    if (!option.value.empty()) heading += " " + option.value;
    return heading;
}
}  // namespace

bool ParseCommandLine(const std::vector<CommandOption>& table, const std::vector<std::string>& args,
                      std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const CommandOption* option = FindOption(table, arg);
        if (option == nullptr) {
            error = "unknown argument '" + arg + "'";
            return false;
        }
        std::string value;
        if (!option->value.empty()) {
            if (i + 1 >= args.size() || args[i + 1].starts_with("--")) {
                error = arg + " needs a value (" + option->value + ")";
                return false;
            }
            value = args[++i];
        }
        if (!option->apply(value, error)) {
            error = arg + " " + error;
            return false;
        }
    }
    return true;
}

std::string DescribeOptions(const std::vector<CommandOption>& table) {
    // One column for every table a program prints, however short its names.
    size_t width = 20;
    for (const CommandOption& option : table) width = std::max(width, Heading(option).size());
    std::string text;
    for (const CommandOption& option : table) {
        const std::string heading = Heading(option);
        text += "  " + heading + std::string(width - heading.size() + 2, ' ') + option.help + "\n";
    }
    return text;
}

CommandOption::Apply SetFlag(bool& flag) {
    return [&flag](const std::string&, std::string&) {
        flag = true;
        return true;
    };
}

CommandOption::Apply SetText(std::string& text) {
    return [&text](const std::string& value, std::string& error) {
        if (value.empty()) {
            error = "needs a non-empty value";
            return false;
        }
        text = value;
        return true;
    };
}

}  // namespace cm
