// The sound libraries (SDL and SDL_mixer) and the disc library (libcdio),
// loaded at the first sound or the first disc opened, not at start
// (base/LateLibrary.h). SoundLibraries.cpp defines the functions of theirs
// that the music layer calls, each forwarding to the library's own; the
// layer asks the checks below before its first call, at the opening of the
// output (SoundOutput.h) and of a disc (MciCdDevice.h).
#pragma once

namespace tav::sound {

// True when SDL and SDL_mixer are loaded, loading them at the first call.
// Without them the output behaves as one with no audio device.
bool SoundLibrariesAvailable();

// True when libcdio is loaded, loading it at the first call. Without it
// there is no disc drive.
bool DiscLibraryAvailable();

}  // namespace tav::sound
