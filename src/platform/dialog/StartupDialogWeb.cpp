// The start-up dialog in a browser page is the page's start panel (index.html): its check
// boxes "Windowed" and "No sound" and its Run button; error messages go to its status line. The page starts the show only from Run,
// so the answer is read from the panel as it stands; a page without the panel answers a cancel.
#include "platform/dialog/StartupDialog.h"

#include <emscripten/emscripten.h>

#include <string>

namespace cm {

// The page is the display; a failure is shown in its status line.
bool OpenDialogDisplay() { return true; }

void ShowErrorDialog(const std::string& text, const std::function<void(const std::string&)>& whenShown) {
    EM_ASM({ if (Module.cmShowError) Module.cmShowError(UTF8ToString($0)); }, text.c_str());
    if (whenShown) whenShown(text);
}

DialogAnswer ShowStartupDialog(const std::function<void(StartupDialogControls&)>&) {
    DialogAnswer answer;
    const int state = EM_ASM_INT({
        const windowed = document.getElementById('windowed');
        const noSound = document.getElementById('no-sound');
        if (!windowed || !noSound || !Module.cmRunPressed) return 0;
        return 1 | (windowed.checked ? 2 : 0) | (noSound.checked ? 4 : 0);
    });
    answer.run = (state & 1) != 0;
    answer.windowed = (state & 2) != 0;
    answer.noSound = (state & 4) != 0;
    return answer;
}

}  // namespace cm
