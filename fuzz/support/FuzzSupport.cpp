#include "fuzz/support/FuzzSupport.h"

#include "platform/gui/Application.h"
#include "platform/gui/Timers.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace zibor::fuzz {

void NeedApplication()
{
    static const bool made = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("ZIBOR_AUDIO", "null", 0);
        setenv("ZIBOR_TEST", "1", 0);
        static int argc = 1;
        static char name[] = "zibor_fuzz";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv); // lives as long as the process
        plat::TTimer::SetVirtualTime(true);
        plat::Application()->SetSleepHook([](unsigned ms) { plat::TTimer::Skip(ms); });
        return true;
    }();
    (void)made;
}

TInputStream::TInputStream(const uint8_t *data, size_t size)
{
    if (size)
        WriteBuffer(data, static_cast<int64_t>(size));
    SetPosition(0);
}

std::string InputFile(const uint8_t *data, size_t size, const std::string &extension)
{
    const std::string name =
        QDir::tempPath().toStdString() + "/zibor-fuzz-" + std::to_string(getpid()) + extension;
    std::unique_ptr<FILE, int (*)(FILE *)> f(std::fopen(name.c_str(), "wb"), &std::fclose);
    if (f && size)
        std::fwrite(data, 1, size, f.get());
    return name;
}

} // namespace zibor::fuzz
