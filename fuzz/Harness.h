// Fuzzing: one entry point per reader of untrusted bytes, shared by the libFuzzer programs of
// this folder (built with clang when CM_FUZZ is on) and the replay tests in tests/fuzz, which run
// every corpus and regression file through the same code under the ordinary compiler.
//
// Owns: the harnesses, their scratch files and the small set of files the scene harness serves.
// Not owned: the readers themselves (resources/, lightwave/, platform/audio/).
//
// Units: input sizes in bytes; inputs above kMaxInputBytes are ignored, as real data files are
// far smaller and larger ones only slow the search down.
//
// Error policy: a harness returns an empty string when the reader handled the input soundly
// (accepted or refused, either is fine) and otherwise a description of the broken promise, such
// as an accepted image whose pixel count does not match its size. Crashes, leaks and undefined
// behaviour are the sanitizers' to report. Harnesses write scratch files named after the process
// id, so several fuzzing processes can run side by side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace cm::fuzz {

inline constexpr std::size_t kMaxInputBytes = 1u << 20;

using Input = std::span<const std::uint8_t>;
using HarnessFn = std::string (*)(Input data);

std::string FuzzPackArchive(Input data);
std::string FuzzTextLines(Input data);
std::string FuzzTga(Input data);
std::string FuzzJpeg(Input data);
std::string FuzzModule(Input data);
std::string FuzzLwo(Input data);
std::string FuzzLws(Input data);

struct Harness {
    const char* name;  // also the folder name under corpus/ and regress/
    HarnessFn run;
};

// Every harness this build has (the module harness needs the audio library's dependencies).
std::span<const Harness> AllHarnesses();
const Harness* FindHarness(const char* name);

}  // namespace cm::fuzz
