// Giving back the heap that a load no longer needs. Loading a day reads whole files, grows
// tables step by step and drops the old blocks; the allocator keeps such freed pages mapped, so
// a serving driver would stay as large as its load was at its peak. Any thread may call it; it
// takes only the allocator's own locks.
#pragma once

namespace zephyr {

// Returns the free pages of the process's heap to the system (no-op where the C library cannot).
void ReturnFreeHeap();

}  // namespace zephyr
