#pragma once
// Helpers shared by the PDF writer's tests.
#include "platform/core/Clock.h"
#include "rendering/pdf/PdfDoc.h"
#include "rendering/pdf/PdfWrite.h"
#include "rendering/pdf/PdfZip.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>
#include <utility>
#include <zlib.h>

namespace pdftest {

// What a writer produced, taken through a memory stream.
template <typename Fn>
std::string Written(Fn &&fn)
{
    THeapMemoryStream out;
    TPdfWrite w(out);
    fn(w);
    return w.ToString();
}

// A fixed wall clock for one test.
class TFixedClock {
public:
    explicit TFixedClock(plat::TDateTime now) : clock_(now) { plat::SetClock(&clock_); }
    ~TFixedClock() { plat::SetClock(nullptr); }

private:
    plat::FakeClock clock_;
};

// 5 March 2024 14:07:09 as days since 30-12-1899.
constexpr plat::TDateTime kMarch5th2024 = 45356.0 + (14 * 3600 + 7 * 60 + 9) / 86400.0;

inline std::string Inflate(const std::string &packed)
{
    z_stream s{};
    inflateInit(&s);
    std::string out;
    char buf[16384];
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.data()));
    s.avail_in = static_cast<uInt>(packed.size());
    int rc;
    do {
        s.next_out = reinterpret_cast<Bytef *>(buf);
        s.avail_out = sizeof buf;
        rc = inflate(&s, Z_NO_FLUSH);
        out.append(buf, sizeof buf - s.avail_out);
    } while (rc == Z_OK);
    inflateEnd(&s);
    return rc == Z_STREAM_END ? out : std::string("<inflate failed>");
}

inline std::string Bytes(THeapMemoryStream &s)
{
    return std::string(reinterpret_cast<const char *>(s.Memory()), static_cast<size_t>(s.Size()));
}

// Collects what PdfZip would show the user.
class TReporterGuard {
public:
    TReporterGuard()
        : old_(SetPdfZipReporter([this](const std::string &caption, const std::string &text) {
              reports.push_back(caption + ": " + text);
          }))
    {
    }
    ~TReporterGuard() { SetPdfZipReporter(std::move(old_)); }
    std::vector<std::string> reports;

private:
    TPdfZipReporter old_;
};


// zlib that breaks down after its first step.
inline int FailingDeflate(void *strm, int)
{
    auto *s = static_cast<z_streamp>(strm);
    if (s->total_in == 0) {
        // Make the first step small so that more steps are needed.
        const uInt out = s->avail_out;
        s->avail_out = 16;
        const int rc = deflate(s, Z_NO_FLUSH);
        s->avail_out += out - 16;
        return rc;
    }
    return Z_DATA_ERROR;
}

class TDeflateGuard {
public:
    explicit TDeflateGuard(TDeflateCall call) : old_(SetDeflateCall(call)) {}
    ~TDeflateGuard() { SetDeflateCall(old_); }

private:
    TDeflateCall old_;
};

// Holds the compression helper before its next job until opened, and tells
// when the helper has reached it.
struct THelperGate {
    std::mutex lock;
    std::condition_variable changed;
    bool reached = false, open = false;
    THelperGate()
    {
        SetBeforeCompressionAhead([this] {
            std::unique_lock<std::mutex> guard(lock);
            reached = true;
            changed.notify_all();
            changed.wait(guard, [this] { return open; });
        });
    }
    ~THelperGate()
    {
        Open();
        WaitForCompressionAhead();
        SetBeforeCompressionAhead(nullptr);
    }
    void WaitReached()
    {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [this] { return reached; });
    }
    void Open()
    {
        const std::lock_guard<std::mutex> guard(lock);
        open = true;
        changed.notify_all();
    }
};

} // namespace pdftest
