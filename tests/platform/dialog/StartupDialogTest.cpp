// The start-up dialog on a real (virtual) X display, driven as a user would.
#include "VirtualDisplay.h"

#include "platform/dialog/StartupDialog.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace cm::test {
namespace {

VirtualDisplay& Display() {
    static VirtualDisplay display;
    return display;
}

class StartupDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Display().Available()) GTEST_SKIP() << "no X display and no Xvfb";
    }
};

TEST_F(StartupDialogTest, RunReportsEachBoxAndCancelEscapeOrCloseReportNothing) {
    struct Case {
        bool windowed, noSound;
    };
    for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true}, Case{true, true}}) {
        const DialogAnswer answer = ShowStartupDialog([&](StartupDialogControls& dialog) {
            dialog.SetWindowed(c.windowed);
            dialog.SetNoSound(c.noSound);
            dialog.PressRun();
        });
        EXPECT_TRUE(answer.run);
        EXPECT_EQ(answer.windowed, c.windowed);
        EXPECT_EQ(answer.noSound, c.noSound);
    }
    // Enter presses the default button, "Run".
    DialogAnswer enter = ShowStartupDialog([](StartupDialogControls& dialog) {
        dialog.SetNoSound(true);
        dialog.PressEnter();
    });
    EXPECT_TRUE(enter.run);
    EXPECT_TRUE(enter.noSound);

    const DialogAnswer cancel = ShowStartupDialog([](StartupDialogControls& dialog) {
        dialog.SetWindowed(true);
        dialog.PressCancel();
    });
    EXPECT_FALSE(cancel.run);
    const DialogAnswer closed = ShowStartupDialog([](StartupDialogControls& dialog) {
        dialog.SetWindowed(true);
        dialog.Close();
    });
    EXPECT_FALSE(closed.run);
    const DialogAnswer escape = ShowStartupDialog([](StartupDialogControls& dialog) {
        dialog.SetWindowed(true);
        dialog.PressEscape();
        dialog.PressRun();  // reaches a dialog that Escape left open
    });
    EXPECT_FALSE(escape.run);
}

// A locale with a comma as its decimal mark, built into a private folder when the system has
// the locale sources; empty when it cannot be made.
std::string CommaLocaleFolder() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "cm_dialog_locale";
    const std::string command = "localedef -i de_DE -f UTF-8 " + (folder / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
    std::filesystem::create_directories(folder);
    if (std::system(command.c_str()) != 0 && !std::filesystem::exists(folder / "de_DE.UTF-8")) return {};
    return folder.string();
}

TEST_F(StartupDialogTest, NumbersParseWithAPointAfterTheDialogInACommaLocale) {
    const std::string folder = CommaLocaleFolder();
    if (folder.empty()) GTEST_SKIP() << "cannot build a comma-decimal locale here";
    ::setenv("LOCPATH", folder.c_str(), 1);
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    // The locale really has a comma: parsing in it stops at the point.
    ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr);
    ASSERT_EQ(std::strtod("0.5", nullptr), 0.0);

    ShowStartupDialog([](StartupDialogControls& dialog) { dialog.PressRun(); });
    EXPECT_EQ(std::strtod("0.5", nullptr), 0.5);
    EXPECT_EQ(std::atof("-1.25"), -1.25);
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LC_ALL");
}

}  // namespace
}  // namespace cm::test
