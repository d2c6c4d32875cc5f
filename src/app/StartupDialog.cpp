#include "app/StartupOptions.h"

#include "platform/dialog/StartupDialog.h"

namespace cm {

void RunStartupDialog(StartupOptions& options) {
    const DialogAnswer answer = ShowStartupDialog();
    if (!answer.run) return;
    options.windowed = answer.windowed ? 1 : 0;
    options.noSound = answer.noSound ? 1 : 0;
    options.cancelled = 0;
}

}  // namespace cm
