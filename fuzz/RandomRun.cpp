// A bounded random search without libFuzzer, for builds made with any compiler: seeds from the
// harness's corpus and findings, mutated in the ways that break binary readers (bit flips,
// boundary values in 16- and 32-bit fields of either byte order, cut, repeated and spliced
// ranges) and run through the harness for a fixed time.
//
//   fuzz_random HARNESS SECONDS [SEED]
//
// Exit 0 when every input was handled soundly; 1 on a harness fault, with the input written to
// fuzz-fault-HARNESS.bin in the working folder. A crash writes that file from the signal handler
// before the process dies, so the input is never lost.

#include "CorpusFiles.h"
#include "Harness.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The input being run, kept where the signal handler can reach it without allocating.
const Bytes* gCurrent = nullptr;
char gFaultPath[256];

void WriteCurrent() {
    if (gCurrent == nullptr) return;
    const int fd = open(gFaultPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    std::size_t done = 0;
    while (done < gCurrent->size()) {
        const ssize_t n = write(fd, gCurrent->data() + done, gCurrent->size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    close(fd);
}

void OnFatalSignal(int signal) {
    WriteCurrent();
    const char text[] = "fuzz_random: crashed; input saved\n";
    [[maybe_unused]] const ssize_t ignored = write(2, text, sizeof text - 1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void Mutate(Bytes& data, const std::vector<Bytes>& pool, std::mt19937& random) {
    auto below = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random() % n); };
    static const std::uint32_t kBoundaries[] = {0, 1, 2, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF,
                                                0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 0x10000, 144, 512};
    const int steps = 1 + static_cast<int>(below(6));
    for (int s = 0; s < steps; ++s) {
        const std::size_t at = below(data.size());
        switch (below(8)) {
            case 0:
                if (!data.empty()) data[at] ^= static_cast<std::uint8_t>(1u << below(8));
                break;
            case 1:
                if (!data.empty()) data[at] = static_cast<std::uint8_t>(random());
                break;
            case 2: {  // a boundary value as a 16- or 32-bit field, either byte order
                const std::uint32_t value = kBoundaries[below(std::size(kBoundaries))];
                const std::size_t width = below(2) == 0 ? 2 : 4;
                const bool big = below(2) == 0;
                for (std::size_t b = 0; b < width && at + b < data.size(); ++b) {
                    const std::size_t shift = 8 * (big ? width - 1 - b : b);
                    data[at + b] = static_cast<std::uint8_t>(value >> shift);
                }
                break;
            }
            case 3:  // cut the tail
                data.resize(at);
                break;
            case 4: {  // erase a range
                const std::size_t length = below(std::min<std::size_t>(data.size() - at, 64) + 1);
                data.erase(data.begin() + static_cast<std::ptrdiff_t>(at),
                           data.begin() + static_cast<std::ptrdiff_t>(at + length));
                break;
            }
            case 5: {  // repeat a range
                const std::size_t length = below(std::min<std::size_t>(data.size() - at, 64) + 1);
                const Bytes copy(data.begin() + static_cast<std::ptrdiff_t>(at),
                                 data.begin() + static_cast<std::ptrdiff_t>(at + length));
                data.insert(data.begin() + static_cast<std::ptrdiff_t>(below(data.size() + 1)), copy.begin(),
                            copy.end());
                break;
            }
            case 6: {  // splice in part of another seed
                const Bytes& other = pool[below(pool.size())];
                if (other.empty()) break;
                const std::size_t from = below(other.size());
                const std::size_t length = below(std::min<std::size_t>(other.size() - from, 256) + 1);
                data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), other.begin() + static_cast<std::ptrdiff_t>(from),
                            other.begin() + static_cast<std::ptrdiff_t>(from + length));
                break;
            }
            default:  // a few random bytes
                for (std::size_t n = below(8) + 1; n > 0; --n) {
                    data.insert(data.begin() + static_cast<std::ptrdiff_t>(below(data.size() + 1)),
                                static_cast<std::uint8_t>(random()));
                }
                break;
        }
        if (data.size() > cm::fuzz::kMaxInputBytes) data.resize(cm::fuzz::kMaxInputBytes);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s HARNESS SECONDS [SEED]\n", argv[0]);
        return 2;
    }
    const cm::fuzz::Harness* harness = cm::fuzz::FindHarness(argv[1]);
    if (harness == nullptr) {
        std::fprintf(stderr, "fuzz_random: no harness '%s' in this build\n", argv[1]);
        return 2;
    }
    const double seconds = std::atof(argv[2]);
    const std::uint32_t seed = argc > 3 ? static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10))
                                        : static_cast<std::uint32_t>(std::random_device{}());
    std::snprintf(gFaultPath, sizeof gFaultPath, "fuzz-fault-%s.bin", harness->name);

    std::vector<Bytes> pool;
    for (const auto& kind : {"corpus", "regress"}) {
        for (auto& file : cm::fuzz::test::ReadCorpus(kind, harness->name)) pool.push_back(std::move(file.bytes));
    }
    if (pool.empty()) {
        std::fprintf(stderr, "fuzz_random: no seeds for '%s'\n", harness->name);
        return 2;
    }
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) std::signal(signal, &OnFatalSignal);

    std::mt19937 random(seed);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long runs = 0;
    Bytes input;
    while (std::chrono::steady_clock::now() < end) {
        input = pool[random() % pool.size()];
        Mutate(input, pool, random);
        gCurrent = &input;
        const std::string fault = harness->run(input);
        ++runs;
        if (!fault.empty()) {
            WriteCurrent();
            std::fprintf(stderr, "fuzz_random %s (seed %u): %s; input in %s\n", harness->name, seed, fault.c_str(),
                         gFaultPath);
            return 1;
        }
    }
    gCurrent = nullptr;
    std::printf("fuzz_random %s: %ld inputs in %.0f s, seed %u, no fault\n", harness->name, runs, seconds, seed);
    return 0;
}
