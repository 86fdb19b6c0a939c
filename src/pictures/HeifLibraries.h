// The HEIF libraries (libheif and the HEVC decoder libde265), loaded at the
// first HEIF picture decoded, not at start (base/LateLibrary.h).
// HeifLibraries.cpp defines the functions of theirs that the HEIF loader
// calls, each forwarding to the library's own; the loader asks the check
// below before its first call.
#pragma once

#include <string>

namespace tav {

// True when libheif and libde265 are loaded, loading them at the first call.
// Without them a HEIF picture cannot be decoded.
bool HeifLibrariesAvailable();

// Why a HEIF picture cannot be decoded when the check above says no.
std::string HeifLibrariesMissing();

}  // namespace tav
