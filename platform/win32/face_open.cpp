// The face file's open with the Windows C runtime.

#include <fcntl.h>
#include <io.h>

#include "seams.h"

// Binary, since a face is no text, and not inherited by child processes. A name that is no file
// (a device, a pipe without a server) fails the open or is turned away by its fstat.
int openFaceForReading(const char* path) { return _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT); }
