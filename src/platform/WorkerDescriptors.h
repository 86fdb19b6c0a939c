// Descriptor tables of worker threads that read files (picture loaders, the
// WAV reader): a file on a share that stopped answering holds its reader in
// the kernel, where no signal reaches it, and a thread holds the process's
// descriptor table for as long as it lives. A worker that leaves the shared
// table at its start holds only what it opens itself, so however the process
// ends (even by SIGKILL, which no handler sees) its X connection and its lock
// files close with the other threads, and only the stuck worker lingers.
#pragma once

namespace tav {

// A descriptor workers keep in their own tables (the bell they ring when a
// picture is composed); -1 for none.
void KeepDescriptorInWorkers(int fd);

// Called first thing on a worker thread: gives it a descriptor table of its
// own holding the standard streams and the kept descriptor only. Descriptors
// the worker opens afterwards are its own; the other threads do not see them.
// Does nothing where the system refuses.
void LeaveSharedDescriptors();

}  // namespace tav
