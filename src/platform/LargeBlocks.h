#pragma once
// Pictures and frames come and go as blocks of several megabytes, made on one
// thread (composing, drawing) and freed on another. With glibc's moving mmap
// threshold such blocks come to be carved from the threads' heaps, which keep
// them long after they are freed: a full-screen show once held 55 MB in one
// composing thread's heap, and the renderer's heap grew by a frame after
// another. At a fixed threshold they are mapped, and given back whole.

namespace tav {

// Sets the fixed threshold (1 MiB). Called once, at the start of a program,
// before its threads allocate.
void MapLargeBlocks();

}  // namespace tav
