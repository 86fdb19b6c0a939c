#include <malloc.h>

#include "startup/Entry.h"

int main(int argc, char** argv) {
    // Pictures come and go as blocks of several megabytes, made on the
    // composing threads and freed on the window's. With glibc's moving
    // threshold such blocks come to be carved from the threads' heaps, which
    // keep them long after they are freed (a full-screen show held 55 MB in
    // one composing thread's heap); at a fixed threshold they are mapped and
    // given back whole.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    return tav::RunEntry(argc, argv);
}
