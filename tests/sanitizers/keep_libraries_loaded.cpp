// Linked into every program of a sanitizer build (cmake/Sanitizers.cmake): dlclose does nothing, so
// every library stays mapped until the process exits.
//
// Mesa unloads its DRI driver when an EGL display or X connection closes. A leak or race reported
// after that has the driver's frames as "<unknown module>", which no suppression can name, and the
// stacks are too shallow (Mesa keeps no frame pointers) to reach a library that is still loaded.
// With the driver kept, reports name it and tests/sanitizers/*.supp can suppress it by name.

extern "C" int dlclose(void*) { return 0; }

// Named at link time to pull this file in: the sanitizer runtime defines dlclose too and would
// otherwise satisfy every reference to it before the linker looks here.
extern "C" const char tessivar_keep_libraries_loaded = 1;
