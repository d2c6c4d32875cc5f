// The start-up dialog on a real (virtual) X display, driven as a user would.
#include "common/ScratchLocale.h"
#include "common/VirtualDisplay.h"

#include "platform/dialog/StartupDialog.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
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
    for (bool windowed : {false, true})
        for (bool noSound : {false, true}) {
            const DialogAnswer answer = ShowStartupDialog([&](StartupDialogControls& dialog) {
                dialog.SetWindowed(windowed);
                dialog.SetNoSound(noSound);
                dialog.PressRun();
            });
            EXPECT_TRUE(answer.run);
            EXPECT_EQ(answer.windowed, windowed);
            EXPECT_EQ(answer.noSound, noSound);
        }
    // Enter presses the default button, "Run".
    DialogAnswer enter = ShowStartupDialog([](StartupDialogControls& dialog) {
        dialog.SetNoSound(true);
        dialog.PressEnter();
    });
    EXPECT_TRUE(enter.run && enter.noSound);

    // Cancel, closing the window and Escape all leave without running; after Escape a press of
    // Run reaches a dialog that Escape left open.
    for (void (*leave)(StartupDialogControls&) : {+[](StartupDialogControls& d) { d.PressCancel(); },
                                                  +[](StartupDialogControls& d) { d.Close(); },
                                                  +[](StartupDialogControls& d) { d.PressEscape(), d.PressRun(); }}) {
        EXPECT_FALSE(ShowStartupDialog([&](StartupDialogControls& dialog) {
                         dialog.SetWindowed(true);
                         leave(dialog);
                     }).run);
    }
}

TEST_F(StartupDialogTest, NumbersParseWithAPointAfterTheDialogInACommaLocale) {
    ScratchLocale locale("de_DE");
    if (!locale.Select(LC_ALL)) GTEST_SKIP() << "cannot build or load a comma-decimal locale here";
    ::setenv("LC_ALL", locale.name.c_str(), 1);  // what the toolkit's start-up reads
    ASSERT_EQ(std::strtod("0.5", nullptr), 0.0) << "the locale should really have a comma";

    ShowStartupDialog([](StartupDialogControls& dialog) { dialog.PressRun(); });
    EXPECT_EQ(std::strtod("0.5", nullptr), 0.5);
    EXPECT_EQ(std::atof("-1.25"), -1.25);
    ::unsetenv("LC_ALL");
}

}  // namespace
}  // namespace cm::test
