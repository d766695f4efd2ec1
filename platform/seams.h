#pragma once
// The functions that cross between render/, shell/ and the platform at link time rather than through
// a header of the caller's own library. Each names who provides it; a test or benchmark that draws
// frames without the program provides its own.

#include "win32_handles.h"

// Called by renderFrame as the last step of every frame.
// Provided by the shell (shell/render_context.cpp): SwapBuffers on the gauge's device context.
void swapFrameBuffers(HDC dc);

// Called by TextLabel::create where "c:/windows/Fonts/arial.ttf" does not exist: the face to use
// instead, or null when there is none.
// Provided by the platform: platform/x11/fonts (fontconfig's match for Arial) on Linux,
// platform/win32 (the Fonts folder of the Windows directory) on Windows.
const char* fallbackFaceFile();

// Called by readFaceFile (render/face_file.cpp): a read-only descriptor on the face file at path, opened
// without waiting for anything and not inherited by child processes, or -1.
// Provided by the platform: platform/x11/fonts/face_open.cpp (open with O_NONBLOCK, so a FIFO under the
// name cannot block) on Linux, platform/win32/face_open.cpp (the runtime's binary _open) on Windows.
int openFaceForReading(const char* path);

// The last seam, WinMain, is declared by the boundary header (win32_api.h), since its types are the
// platform's: provided by the shell (shell/main_window.cpp), called by the C runtime on Windows and by
// platform/x11/kernel32/main.cpp on Linux.
