// The library's load and unload notices. At unload the process-wide objects are destroyed
// under the system's loader lock, where a thread cannot leave: their threads are ended at once
// instead of waited for, whether the process is ending or the host calls FreeLibrary without
// EndDriverWork.
#include <windows.h>

#include "foundation/MThread.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) {
        zephyr::MThread::EndWithoutWaiting();
    }
    return TRUE;
}
