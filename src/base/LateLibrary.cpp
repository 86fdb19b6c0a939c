#include "base/LateLibrary.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace tav {

std::atomic<LateLibrary*> LateLibrary::alsoRequired_{nullptr};

bool LateLibrary::AllAvailable(std::initializer_list<LateLibrary*> family) {
    if (LateLibrary* also = alsoRequired_.load(); also && !also->Available()) return false;
    for (LateLibrary* library : family)
        if (!library->Available()) return false;
    return true;
}

std::string LateLibrary::Missing(std::initializer_list<LateLibrary*> family) {
    std::string missing;
    const auto add = [&](LateLibrary* library) {
        if (!library || library->Available()) return;
        missing += missing.empty() ? "" : ", ";
        missing += library->Soname();
    };
    add(alsoRequired_.load());
    for (LateLibrary* library : family) add(library);
    return missing;
}

void LateLibrary::AlsoRequireForTest(LateLibrary* library) { alsoRequired_.store(library); }

bool LateLibrary::Available() {
    // RTLD_NOW: a library whose own dependencies cannot all be resolved
    // fails here, where the caller can do without it, not in a call later.
    std::call_once(opened_, [this] { handle_ = dlopen(soname_, RTLD_NOW | RTLD_LOCAL); });
    return handle_ != nullptr;
}

void* LateLibrary::Function(const char* name) {
    if (!Available()) {
        std::fprintf(stderr, "tavrelle: %s is needed but cannot be loaded\n", soname_);
        std::abort();
    }
    // Looked up through the library's own handle, so that a program that also
    // links the library and defines the same name (the forwarding functions)
    // still reaches the library's definition.
    void* function = dlsym(handle_, name);
    if (!function) {
        std::fprintf(stderr, "tavrelle: %s has no function %s\n", soname_, name);
        std::abort();
    }
    return function;
}

}  // namespace tav
