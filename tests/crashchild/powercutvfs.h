#ifndef POWERCUTVFS_H
#define POWERCUTVFS_H

// A test-only SQLite VFS laid over the default one. It counts the writes and
// syncs of every file and remembers what each write since the file's last sync
// replaced. Once armed, at the chosen event it either
//  - cuts the power: a random prefix (possibly none) of the writes since each
//    file's last sync is kept, the rest is put back as it was, and the process
//    ends at once; or
//  - kills the process with SIGKILL (the operating system keeps what was written).
// Registered as the default VFS, it also serves Qt's SQLite connections, which
// use the same library.
namespace PowerCut {
enum class Mode { Count, Cut, Kill };
void install();                       // before any connection opens
void arm(Mode mode, long atEvent, unsigned seed);
long events();                        // writes and syncs seen since arm()
}

#endif
