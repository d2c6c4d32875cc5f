// The start-up dialog on GTK 3: title "Cold Meridian", a frame "Options" with the check boxes
// "Windowed" and "No sound", the buttons "Run" (the default: Enter presses it) and "Cancel".
// "Run" reports the two boxes; "Cancel", Escape and closing the dialog report a cancel.
// The same place shows the message that explains why the program cannot start.
//
// This is the only place that includes GTK. GTK switches the process to the user's locale;
// LC_NUMERIC is put back to "C" before returning, so numbers in data files keep parsing with a
// '.' for users whose decimal mark is a comma.
// Errors: without a display (or GTK) the dialog cannot be shown and the answer is a cancel.
#pragma once

#include <functional>
#include <string>

namespace cm {

struct DialogAnswer {
    bool run = false;  // "Run" was pressed; false for Cancel, close, or no dialog at all
    bool windowed = false;
    bool noSound = false;
};

// What a script may do with the open dialog, as a user would; for tests.
class StartupDialogControls {
public:
    virtual ~StartupDialogControls() = default;
    virtual void SetWindowed(bool ticked) = 0;
    virtual void SetNoSound(bool ticked) = 0;
    virtual void PressRun() = 0;
    virtual void PressCancel() = 0;
    // Activates the default button, as Enter does.
    virtual void PressEnter() = 0;
    // Asks the window to close, as the title bar's close button does.
    virtual void Close() = 0;
    // Sends the window the Escape key, as the keyboard does.
    virtual void PressEscape() = 0;
};

// Connects to the display for the dialogs (once; later calls give the first answer). False
// when there is no display to show them on.
bool OpenDialogDisplay();

// Shows the dialog and waits for the answer. whenShown, if given, runs once the dialog is on
// screen (tests drive the dialog from it).
DialogAnswer ShowStartupDialog(const std::function<void(StartupDialogControls&)>& whenShown = {});

// An error message box titled "Cold Meridian" with the text and a Close button; returns once
// it is closed. Nothing without a display. whenShown, if given, sees the text on screen and the
// box is then closed without a user (for tests).
void ShowErrorDialog(const std::string& text, const std::function<void(const std::string& shown)>& whenShown = {});

}  // namespace cm
