// The face file's open on POSIX.

#include <fcntl.h>

#include "seams.h"

// O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer, for ever if none comes;
// on a regular file it changes nothing. What the path names is judged after the open, on the
// descriptor, so nothing can be swapped in between.
int openFaceForReading(const char* path) { return open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC); }
