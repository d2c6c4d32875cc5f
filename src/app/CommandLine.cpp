#include "app/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>

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

CommandOption::Apply SetInteger(int& number, int low, int high) {
    return [&number, low, high](const std::string& value, std::string& error) {
        char* end = nullptr;
        errno = 0;
        const long n = value.empty() || value.size() > 9 ? -1 : std::strtol(value.c_str(), &end, 10);
        if (errno != 0 || end != value.c_str() + value.size() || value[0] == '+' || n < low || n > high) {
            error = "wants a whole number from " + std::to_string(low) + " to " + std::to_string(high) + ", not '" +
                    value + "'";
            return false;
        }
        number = static_cast<int>(n);
        return true;
    };
}

std::vector<CommandOption> RenderOptionRows(RenderOptions& options) {
    return {
        {"--supersample", "K", "draw at K times the size in each direction and average down (1-4, default 1)",
         SetInteger(options.supersample, 1, 4)},
        {"--threads", "N", "drawing threads, 1-64 (default: every hardware thread); any count draws the same pixels",
         SetInteger(options.threads, 1, 64)},
    };
}

int DefaultThreadCount(const char* environmentVariable) {
    const char* value = environmentVariable ? std::getenv(environmentVariable) : nullptr;
    if (value && *value) {
        int n = 0;
        std::string ignored;
        if (SetInteger(n, 1, 64)(value, ignored)) return n;
    }
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
}

}  // namespace cm
