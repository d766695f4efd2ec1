#pragma once
// The handle vocabulary of the platform boundary: the window-system handles the gauge holds, declared
// exactly as Win32 declares them (STRICT handles), and the calling convention of its callbacks, so the
// core can store them without including any platform header. Redeclaring the same typedef is harmless
// where <windows.h> is also seen.

struct HDC__;
struct HWND__;
struct HGLRC__;
struct HPALETTE__;
typedef struct HDC__* HDC;
typedef struct HWND__* HWND;
typedef struct HGLRC__* HGLRC;
typedef struct HPALETTE__* HPALETTE;
typedef void* HANDLE;

// NOTE: Win32 thread procedures and WGL extension functions use __stdcall on i686;
// elsewhere the attribute is meaningless.
#if defined(_WIN32)
#define GAUGE_STDCALL __stdcall
#else
#define GAUGE_STDCALL
#endif
