#pragma once
// Small services of the operating system that the program asks about: the
// run-time lookup of a procedure in a system library, the priority of the
// calling thread, and how the allocator keeps freed memory.
#include <cstdint>
#include <string>

namespace plat {

using HMODULE = uintptr_t;

// The system libraries are not there to load; the lookup knows the few
// procedures the program asks for by name ("BlockInput" in "USER32.DLL").
// Library names match ignoring case, as the system's do; procedure names
// match exactly. 0 / nullptr when unknown.
HMODULE LoadLibraryA(const std::string &name);
HMODULE GetModuleHandleA(const std::string &name);
const void *GetProcAddress(HMODULE module, const std::string &procedure);

enum : int { THREAD_PRIORITY_NORMAL = 0, THREAD_PRIORITY_ABOVE_NORMAL = 1, THREAD_PRIORITY_HIGHEST = 2 };

// Sets the calling thread's priority relative to normal: each step above
// normal lowers the thread's nice value by five. False when the system
// refuses (raising it needs root or the capability to change nice values).
bool SetCurrentThreadPriority(int priority);
// The calling thread's priority relative to normal, as set above.
int CurrentThreadPriority();

// Keeps freed memory (up to 64 MB) for the next blocks instead of handing it
// back to the system at once, and takes blocks below 32 MB from it: the
// report's page, pictures and PDF are megabytes that come and go on every
// report, and each fresh page of memory costs a fault when first written.
// Called once at program start.
void KeepFreedMemoryForReuse();

} // namespace plat
