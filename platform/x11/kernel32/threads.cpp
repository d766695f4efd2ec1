// Threads as the C runtime starts them, and their handles.

#include <mutex>
#include <set>
#include <thread>

#include "layer.h"

// NOTE: initFlag (CREATE_SUSPENDED) and the stack size are not supported; the thread starts at once.
uintptr_t _beginthreadex(void*, unsigned, unsigned(GAUGE_STDCALL* start)(void*), void* argument, unsigned,
                         unsigned* threadId) {
    if (!start) return 0;
    LayerState& handles = layer();
    auto* handle = new ThreadHandle();
    {
        std::lock_guard<std::mutex> lock(handles.threadsLock);
        handle->id = handles.nextThreadId++;
        handles.threads.insert(handle);
    }
    try {
        std::thread([start, argument] { start(argument); }).detach();
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> lock(handles.threadsLock);
        handles.threads.erase(handle);
        delete handle;
        return 0;
    }
    if (threadId) *threadId = handle->id;
    return reinterpret_cast<uintptr_t>(handle);
}

BOOL CloseHandle(HANDLE handle) {
    LayerState& handles = layer();
    std::lock_guard<std::mutex> lock(handles.threadsLock);
    auto* thread = static_cast<ThreadHandle*>(handle);
    if (handles.threads.erase(thread) == 0) return FALSE;
    delete thread;
    return TRUE;
}
