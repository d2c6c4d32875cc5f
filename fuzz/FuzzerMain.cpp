// The libFuzzer entry point of one harness, chosen at compile time by CM_FUZZ_HARNESS (the
// harness function's name). A broken promise aborts with its description, which libFuzzer
// then records as a crash with the input that caused it.

#include "Harness.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fault = cm::fuzz::CM_FUZZ_HARNESS(cm::fuzz::Input(data, size));
    if (!fault.empty()) {
        std::fprintf(stderr, "harness fault: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
