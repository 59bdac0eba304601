#include "platform/core/HelperThread.h"

#include <mutex>
#include <new>
#include <system_error>
#include <utility>

namespace plat {

namespace {

std::mutex makerLock;

THelperThreadMaker &Maker()
{
    static THelperThreadMaker maker;
    return maker;
}

} // namespace

std::thread StartHelperThread(std::function<void()> body)
{
    THelperThreadMaker maker;
    {
        const std::lock_guard<std::mutex> guard(makerLock);
        maker = Maker();
    }
    auto guarded = [body = std::move(body)] {
        try {
            body();
        } catch (...) {
        }
    };
    try {
        return maker ? maker(std::move(guarded)) : std::thread(std::move(guarded));
    } catch (const std::system_error &) {
    } catch (const std::bad_alloc &) {
    }
    return {};
}

THelperThreadMaker SetHelperThreadMaker(THelperThreadMaker maker)
{
    const std::lock_guard<std::mutex> guard(makerLock);
    return std::exchange(Maker(), std::move(maker));
}

} // namespace plat
