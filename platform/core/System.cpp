#include "platform/core/System.h"

#include "platform/core/Text.h"

#include <malloc.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>

namespace plat {

namespace {

struct KnownProcedure {
    const char *library;
    const char *procedure;
};

// Only what the program looks up: it decides by the lookup, it never calls.
const KnownProcedure kKnown[] = {{"USER32.DLL", "BlockInput"}};
const char kAnchor = 0;

HMODULE ModuleOf(const std::string &name)
{
    const std::string upper = UpperCase(name);
    for (size_t i = 0; i < std::size(kKnown); ++i)
        if (upper == kKnown[i].library)
            return i + 1;
    return 0;
}

pid_t ThreadId() { return static_cast<pid_t>(syscall(SYS_gettid)); }

} // namespace

HMODULE LoadLibraryA(const std::string &name) { return ModuleOf(name); }
HMODULE GetModuleHandleA(const std::string &name) { return ModuleOf(name); }

const void *GetProcAddress(HMODULE module, const std::string &procedure)
{
    if (module == 0 || module > std::size(kKnown))
        return nullptr;
    const KnownProcedure &known = kKnown[module - 1];
    for (const KnownProcedure &k : kKnown)
        if (std::strcmp(k.library, known.library) == 0 && procedure == k.procedure)
            return &kAnchor;
    return nullptr;
}

// One step of priority is five nice values: "highest" (two steps) weighs
// about nine times an ordinary thread, so that a busy machine cannot keep
// the user-interface thread waiting for long.
constexpr int kNicePerStep = 5;

bool SetCurrentThreadPriority(int priority)
{
    return setpriority(PRIO_PROCESS, static_cast<id_t>(ThreadId()), -priority * kNicePerStep) == 0;
}

int CurrentThreadPriority()
{
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(ThreadId()));
    return errno != 0 ? 0 : -nice / kNicePerStep;
}

void KeepFreedMemoryForReuse()
{
    // Setting either turns off the allocator's own adjustment of both, so
    // both are set: the block size above which memory is mapped afresh for
    // each block, and how much free memory at the top stays.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

} // namespace plat
