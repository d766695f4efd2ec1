// Threads as the C runtime starts them, their handles, and Sleep.

#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "x11_platform.h"

namespace {

// A thread handle only identifies a started thread: the threads run detached.
struct ThreadHandle {
    unsigned id;
};

struct HandleRegistry {
    std::mutex mutex;
    std::set<ThreadHandle*> open;
    unsigned nextId = 1;
};

// Never freed: handles may be closed from exit-time teardown.
HandleRegistry& registry() {
    static auto* handles = new HandleRegistry();
    return *handles;
}

} // namespace

// NOTE: initFlag (CREATE_SUSPENDED) and the stack size are not supported; the thread starts at once.
uintptr_t _beginthreadex(void*, unsigned, unsigned(GAUGE_STDCALL* start)(void*), void* argument, unsigned,
                         unsigned* threadId) {
    if (!start) return 0;
    HandleRegistry& handles = registry();
    auto* handle = new ThreadHandle();
    {
        std::lock_guard<std::mutex> lock(handles.mutex);
        handle->id = handles.nextId++;
        handles.open.insert(handle);
    }
    try {
        std::thread([start, argument] { start(argument); }).detach();
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> lock(handles.mutex);
        handles.open.erase(handle);
        delete handle;
        return 0;
    }
    if (threadId) *threadId = handle->id;
    return reinterpret_cast<uintptr_t>(handle);
}

BOOL CloseHandle(HANDLE handle) {
    HandleRegistry& handles = registry();
    std::lock_guard<std::mutex> lock(handles.mutex);
    auto* thread = static_cast<ThreadHandle*>(handle);
    if (handles.open.erase(thread) == 0) return FALSE;
    delete thread;
    return TRUE;
}

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}
