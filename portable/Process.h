// The running process: the file of its program, and the memory it holds in RAM (for the host's
// status and summary: VmRSS of /proc/self/status on Linux, the working set on Windows).
#pragma once
#include <cstdint>
#include <string>

namespace zephyr::portable {

// The absolute path of the running program's file (/proc/self/exe; GetModuleFileNameA), or ""
// when the system does not tell.
std::string ProgramFile();

// Resident memory in kB; 0 when the system does not tell.
uint64_t ResidentKb();
// What the system calls that figure ("VmRSS", "working set").
const char* ResidentName();
// Gives heap memory that was freed back to the system where the allocator keeps it mapped
// (glibc: malloc_trim); nothing elsewhere.
void ReturnFreedMemory();

}  // namespace zephyr::portable
