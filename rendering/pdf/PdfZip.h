#pragma once
// Compression glue of the PDF writer: deflate of one memory block into a
// stream, and the Adler-32 and CRC-32 checksums. Nothing is inflated.
#include "platform/core/Streams.h"
#include <cstdint>
#include <functional>
#include <string>

// Compresses length bytes at source into destination, in zlib format (header
// and Adler-32 trailer) when zlibFormat is set, else as raw deflate, at the
// given level. Returns the number of compressed bytes written. When complete
// is given it tells whether zlib finished the stream; a failure leaves it
// false, and what was written up to then is not a usable stream.
int64_t CompressMem(const void *source, int64_t length, plat::TStream &destination,
                    bool zlibFormat, int level, bool *complete = nullptr);

// The same in zlib format, for blocks that come back unchanged from one
// document to the next (the report's pictures): the results for the last
// few blocks are kept for the process, and the same bytes at the same level
// give the kept bytes again without deflating. A 64-bit hash picks the
// candidate, the length and a comparison of every byte decide. Only zlib's
// own deflate is kept and reused, so a simulated deflate step always runs.
// A block that another thread is compressing at that moment is waited for
// and then reused; any other is compressed here.
int64_t CompressMemReused(const void *source, int64_t length, plat::TStream &destination, int level,
                          bool *complete = nullptr);
// Forgets every kept result; the number of blocks compressed by
// CompressMemReused that were found kept, since the start (for tests).
// Seam: runs before each allocation of the keep (the work buffer a block is
// compressed into, the copy kept of it) and may raise std::bad_alloc, as a
// machine out of memory would. Null restores none.
enum TKeepAllocation { kWorkBuffer, kKeptCopy };
using TKeepAllocationHook = void (*)(TKeepAllocation);
void SetKeepAllocationHook(TKeepAllocationHook hook);
void ForgetReusedCompression();
uint64_t ReusedCompressions();

// Runs job on the compression helper thread, after the jobs before it, so
// that the blocks it gives CompressMemReused are kept before they are asked
// for. False when there is no helper (its thread cannot be made, or the
// process ends); the blocks are then compressed when asked for. A job that
// raises is dropped. The job must own what it reads.
bool CompressAhead(std::function<void()> job);
// Returns once the helper has no job queued or running (for tests and
// benchmarks; nothing else needs to wait for it).
void WaitForCompressionAhead();
// Seam: runs on the helper thread before each job; it may block (a slow
// helper) or raise (a failed one). An empty function removes it.
void SetBeforeCompressionAhead(std::function<void()> hook);

// RFC 1950. A missing buffer gives 1, a length of 0 gives adler unchanged.
uint32_t Adler32(uint32_t adler, const void *buffer, int64_t length);
// ISO 3309 / RFC 1952. A missing buffer or a length of 0 gives crc unchanged.
uint32_t Crc32(uint32_t crc, const void *buffer, int64_t length);

// Checks one zlib result: 0, 1 and -5 pass silently; -4 raises
// plat::EOutOfMemory; anything else is reported to the user (caption
// "PdfZip", the result as decimal text). Returns the result.
int PdfZipCheck(int result);

// Seam for the error report of PdfZipCheck. The default shows an error box
// when a GUI application runs and writes to stderr otherwise. Returns the
// previous reporter; an empty function restores the default.
using TPdfZipReporter = std::function<void(const std::string &caption, const std::string &text)>;
TPdfZipReporter SetPdfZipReporter(TPdfZipReporter reporter);

// Seam for zlib's deflate step (the stream is a z_stream*), so that a zlib
// failure half-way can be simulated. nullptr restores zlib's own deflate.
using TDeflateCall = int (*)(void *zstream, int flush);
TDeflateCall SetDeflateCall(TDeflateCall call);
