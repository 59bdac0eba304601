#pragma once
// Threads that only work ahead (a decode, a compression): their caller can do
// the same work itself later, so a thread that cannot be made is no error.
#include <functional>
#include <thread>

namespace plat {

// Starts body on a thread of its own; an empty thread (not joinable) when
// the system cannot make one. Whatever body raises (out of memory included)
// ends only the body: what it leaves undone is done on first use instead.
std::thread StartHelperThread(std::function<void()> body);

// Seam for the thread's creation, so that a system out of threads can be
// simulated: the function makes the thread or raises std::system_error as
// std::thread does. An empty function restores std::thread. Returns the
// previous one.
using THelperThreadMaker = std::function<std::thread(std::function<void()>)>;
THelperThreadMaker SetHelperThreadMaker(THelperThreadMaker maker);

} // namespace plat
