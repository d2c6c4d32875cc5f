// Loading a shared library at run time (the dlopen family), for the optional audio library.
#pragma once

#include <string>

namespace cm {

// Opens the library named `name`. A bare file name is looked for next to the running
// executable first, then in <executable's folder>/../lib/coldmeridian, then by the system's
// search rules; a name with a slash is used as given.
// Returns an opaque handle, or null when the library cannot be loaded.
void* OpenSharedLibrary(const std::string& name);

// The address of the exported symbol `name`, or null when the library lacks it.
void* FindSharedSymbol(void* library, const char* name);

// Releases a handle from OpenSharedLibrary; null is ignored. The code stays mapped (see the
// source for why), but the handle must not be used again.
void CloseSharedLibrary(void* library);

// The folder holding the running executable, without a trailing slash; empty if unknown.
std::string ExecutableDirectory();

}  // namespace cm
