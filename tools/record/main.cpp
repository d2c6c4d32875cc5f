// coldmeridian-record: the show recorded headless (see Record.h and --help).
#include "Interrupt.h"
#include "RecordOptions.h"
#include "Recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = cm::record::ParseRecordOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "coldmeridian-record: %s\n%s", error.c_str(), cm::record::RecordUsage().c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(cm::record::RecordUsage().c_str(), stdout);
        return 0;
    }
    // The scene reader echoes every scene it reads on standard output; the recorder's own
    // messages are on standard error, so without --echo that chatter goes nowhere.
    if (!options->echo) {
        std::fflush(stdout);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            close(null);
        }
    }
    cm::record::CatchInterrupts();
    cm::record::Recorder recorder(*options);
    return recorder.Run();
}
