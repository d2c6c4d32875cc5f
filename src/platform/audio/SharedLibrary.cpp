#include "platform/audio/SharedLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace cm {

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    const std::string exe(path, static_cast<size_t>(length));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

void* OpenSharedLibrary(const std::string& name) {
    if (name.empty()) return nullptr;
    // RTLD_LOCAL keeps the library's symbols out of the global namespace, so its entry points
    // can only be reached through FindSharedSymbol. RTLD_NODELETE keeps the code mapped after
    // the last close: the libraries it pulls in (SDL) leave thread-exit handlers and per-thread
    // data behind, which must not point into unmapped memory. Closing still ends our use of it,
    // and opening it again runs its initialisation again.
    constexpr int kFlags = RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE;
    if (name.find('/') == std::string::npos) {
        const std::string dir = ExecutableDirectory();
        // Beside the program (the build folder), then where an installed program keeps it.
        for (const char* sub : {"/", "/../lib/coldmeridian/"}) {
            if (dir.empty()) break;
            if (void* library = dlopen((dir + sub + name).c_str(), kFlags)) return library;
        }
    }
    return dlopen(name.c_str(), kFlags);
}

void* FindSharedSymbol(void* library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    return dlsym(library, name);
}

void CloseSharedLibrary(void* library) {
    if (library != nullptr) dlclose(library);
}

}  // namespace cm
