// A stand-in for the audio library that records every call, for the music player tests. It
// exports only the entry points the player uses; built with CM_STANDIN_NO_CHANNEL_STOP it also
// lacks "BASS_ChannelStop". Modules whose file name contains "missing" fail to load.

#include <cstdint>
#include <cstring>
#include <string>

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string g_log;
uint32_t g_nextHandle = 101;

// Logs the call and returns what the entry point returns.
int32_t Record(const std::string& entry, int32_t result = 1) {
    if (!g_log.empty()) g_log += ' ';
    g_log += entry;
    return result;
}
int32_t Record(const char* entry, uint32_t handle, int32_t result = 1) {
    return Record(std::string(entry).append("(").append(std::to_string(handle)).append(")"), result);
}
}  // namespace

STANDIN_EXPORT int32_t BASS_Init(int32_t device, uint32_t rate, uint32_t flags, void*) {
    return Record("Init(" + std::to_string(device) + "," + std::to_string(rate) + "," +
                  std::to_string(flags) + ")");
}
STANDIN_EXPORT int32_t BASS_Free() { return Record("Free"); }
STANDIN_EXPORT int32_t BASS_Start() { return Record("Start"); }
STANDIN_EXPORT int32_t BASS_Stop() { return Record("Stop"); }
STANDIN_EXPORT uint32_t BASS_MusicLoad(int32_t mem, const void* file, uint32_t offset, uint32_t length,
                                       uint32_t flags) {
    const char* name = static_cast<const char*>(file);
    const uint32_t handle = std::strstr(name, "missing") != nullptr ? 0 : g_nextHandle++;
    Record("MusicLoad(" + std::to_string(mem) + "," + name + "," + std::to_string(offset) + "," +
           std::to_string(length) + "," + std::to_string(flags) + ")=" + std::to_string(handle));
    return handle;
}
// Returns a value other than 1 so that the player's pass-through can be seen.
STANDIN_EXPORT int32_t BASS_MusicPlay(uint32_t handle) { return Record("MusicPlay", handle, 7); }
STANDIN_EXPORT int32_t BASS_MusicFree(uint32_t handle) { return Record("MusicFree", handle); }
#ifndef CM_STANDIN_NO_CHANNEL_STOP
STANDIN_EXPORT int32_t BASS_ChannelStop(uint32_t handle) { return Record("ChannelStop", handle, 5); }
#endif

// The test's view: the calls so far, separated by spaces; Reset clears them.
STANDIN_EXPORT const char* Standin_Log() { return g_log.c_str(); }
STANDIN_EXPORT void Standin_Reset() {
    g_log.clear();
    g_nextHandle = 101;
}
