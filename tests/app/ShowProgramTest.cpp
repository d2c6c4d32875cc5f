// The show program started as a user would, from another folder, where it cannot start: each
// failure is one line on standard error naming what failed and what to do.
#include "common/Command.h"
#include "common/Files.h"
#include "common/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace cm::test {
namespace {

struct Outcome : CommandRun {
    std::string err;
};

// Runs the program from a scratch folder with the environment changed by env (env's syntax).
Outcome Start(const std::string& env, const std::string& args) {
    const ScratchDir scratch;
    const std::string program = (std::filesystem::current_path() / "coldmeridian").string();
    const CommandRun run =
        RunCommand("cd " + scratch.path.string() + " && env " + env + " " + program + " " + args + " 2>err");
    return {run, ReadText(scratch.Path("err"))};
}

// An X display number nothing answers to here (no socket, no lock): with a server on it, the
// program would open its dialog and wait for a user.
std::string AbsentDisplay() {
    for (int n = 77;; ++n) {
        const std::string x = std::to_string(n);
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + x) && !std::filesystem::exists("/tmp/.X" + x + "-lock"))
            return ":" + x;
    }
}

TEST(ShowProgram, AnswersHelpRefusesUnknownArgumentsAndNamesWhatFailedInOneLine) {
    const Outcome help = Start("", "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--data DIR"), std::string::npos) << help.output;
    const Outcome bad = Start("", "--fulscreen");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("'--fulscreen'"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("usage:"), std::string::npos) << bad.err;

    // Each start-up failure is one line naming what failed.
    const std::string absent = AbsentDisplay();
    const struct {
        std::string env;
        const char* args;
        std::string named;
    } cases[] = {
        {"-u DISPLAY -u WAYLAND_DISPLAY", "", "neither DISPLAY nor WAYLAND_DISPLAY"},
        {"-u WAYLAND_DISPLAY DISPLAY=" + absent, "", "X display '" + absent + "'"},
        {"-u DISPLAY WAYLAND_DISPLAY=cm-none", "", "Wayland display 'cm-none'"},
        {"-u DISPLAY -u WAYLAND_DISPLAY", "--data /nonexistent", "/nonexistent, the folder given by --data"},
    };
    for (const auto& c : cases) {
        const Outcome o = Start(c.env, c.args);
        EXPECT_EQ(o.status, 1) << c.env << " " << c.args;
        EXPECT_NE(o.err.find(c.named), std::string::npos) << o.err;
        EXPECT_EQ(o.err.rfind("coldmeridian: ", 0), 0u) << o.err;
        EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << "one line: " << o.err;
        EXPECT_EQ(o.output, "");
    }
}

}  // namespace
}  // namespace cm::test
