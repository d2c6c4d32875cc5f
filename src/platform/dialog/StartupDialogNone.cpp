// Builds without GTK: no dialog can be shown, so the answer is always a cancel.
#include "platform/dialog/StartupDialog.h"

namespace cm {

DialogAnswer ShowStartupDialog(const std::function<void(StartupDialogControls&)>&) { return {}; }

}  // namespace cm
