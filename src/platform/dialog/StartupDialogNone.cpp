// Builds without GTK: no dialog can be shown, so the answer is always a cancel.
#include "platform/dialog/StartupDialog.h"

namespace cm {

bool OpenDialogDisplay() { return false; }
DialogAnswer ShowStartupDialog(const std::function<void(StartupDialogControls&)>&) { return {}; }
void ShowErrorDialog(const std::string&, const std::function<void(const std::string&)>&) {}

}  // namespace cm
