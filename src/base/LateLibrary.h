// A shared library opened the first time it is needed, not when the program
// starts: most shows play no music and hold no HEIF photo, and loading the
// sound and HEIF libraries with everything they pull in cost a tenth of the
// start-up and a third of the resident memory of a show that uses neither.
//
// A family of libraries (music/mci/SoundLibraries.h, pictures/HeifLibraries.h)
// defines the library's functions itself, each forwarding to the real one
// found here; its callers check Available() first, so a machine without the
// library behaves as one without the device or decoder it serves.
#pragma once

#include <atomic>
#include <initializer_list>
#include <mutex>
#include <string>

namespace tav {

class LateLibrary {
public:
    // soname: the name the library is loaded by (its DT_SONAME).
    explicit LateLibrary(const char* soname) : soname_(soname) {}
    LateLibrary(const LateLibrary&) = delete;
    LateLibrary& operator=(const LateLibrary&) = delete;

    // Opens the library at the first call (other threads wait for it) and
    // tells whether it is loaded. A library that failed to open is not tried
    // again. A loaded one stays loaded for the rest of the process, since its
    // functions may have been handed out.
    bool Available();

    // The address of a function of the library, opening it if need be. A
    // missing library or function ends the process with a message naming it:
    // the only alternative is a call through a null pointer.
    void* Function(const char* name);

    const char* Soname() const { return soname_; }

    // Whether every one of a family's libraries is available, and the names
    // of those that are not, joined with ", ".
    static bool AllAvailable(std::initializer_list<LateLibrary*> family);
    static std::string Missing(std::initializer_list<LateLibrary*> family);

    // For tests: one more library every family requires (nullptr: none). One
    // that does not exist stands for a machine without the libraries.
    static void AlsoRequireForTest(LateLibrary* library);

private:
    static std::atomic<LateLibrary*> alsoRequired_;

    const char* soname_;
    std::once_flag opened_;
    void* handle_ = nullptr;
};

// The library's own definition of a function that a forwarding function of
// ours, of the same name and type, stands in for; looked up at the first call.
template <auto function>
auto RealFunction(LateLibrary& library, const char* name) {
    static const auto real = reinterpret_cast<decltype(function)>(library.Function(name));
    return real;
}

}  // namespace tav

// Inside the forwarding function of that name: TAV_REAL(Sdl(), SDL_Delay)(ms).
#define TAV_REAL(library, function) ::tav::RealFunction<&function>(library, #function)
