#pragma once
// Multimedia file I/O: RIFF chunk navigation over an I/O procedure. Only
// custom I/O procedures are supported; there is no buffering, every read,
// write and seek goes to the procedure.
#include <cstdint>

namespace plat {

using FOURCC = uint32_t;
constexpr FOURCC mmioFOURCC(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) | static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}
constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');

struct MMIOINFO;
using LPMMIOPROC = intptr_t (*)(MMIOINFO *info, uint32_t message, intptr_t param1, intptr_t param2);
using HMMIO = struct TMmioFile *;

struct MMIOINFO {
    uint32_t dwFlags;
    FOURCC fccIOProc;
    LPMMIOPROC pIOProc;
    uint32_t wErrorRet;
    int64_t lDiskOffset;   // kept by the I/O procedure
    uintptr_t adwInfo[3];  // for the I/O procedure's own use
    HMMIO hmmio;
};

struct MMCKINFO {
    FOURCC ckid;
    uint32_t cksize;
    FOURCC fccType;
    uint32_t dwDataOffset;
    uint32_t dwFlags;
};

enum : uint32_t {
    MMIOM_READ = 0, MMIOM_WRITE = 1, MMIOM_SEEK = 2, MMIOM_OPEN = 3, MMIOM_CLOSE = 4, MMIOM_WRITEFLUSH = 5,
};
enum : uint32_t { MMIO_READ = 0x0, MMIO_WRITE = 0x1, MMIO_READWRITE = 0x2, MMIO_CREATE = 0x1000 };
enum : uint32_t { MMIO_FINDCHUNK = 0x10, MMIO_FINDRIFF = 0x20, MMIO_FINDLIST = 0x40 };
enum : uint32_t { MMIO_CREATERIFF = 0x20, MMIO_CREATELIST = 0x40 };
constexpr uint32_t MMIO_DIRTY = 0x10000000;
enum : int { MMIO_SEEK_SET = 0, MMIO_SEEK_CUR = 1, MMIO_SEEK_END = 2 };

enum : uint32_t {
    MMIOERR_BASE = 256,
    MMIOERR_FILENOTFOUND = 257,
    MMIOERR_OUTOFMEMORY = 258,
    MMIOERR_CANNOTOPEN = 259,
    MMIOERR_CANNOTCLOSE = 260,
    MMIOERR_CANNOTREAD = 261,
    MMIOERR_CANNOTWRITE = 262,
    MMIOERR_CANNOTSEEK = 263,
    MMIOERR_CANNOTEXPAND = 264,
    MMIOERR_CHUNKNOTFOUND = 265,
};

// info must name an I/O procedure; the handle keeps its own copy of the
// record, which the procedure sees. nullptr when the procedure refuses.
HMMIO mmioOpen(const char *fileName, MMIOINFO *info, uint32_t flags);
uint32_t mmioClose(HMMIO h, uint32_t flags);
// Bytes moved, -1 on failure.
int32_t mmioRead(HMMIO h, void *buffer, int32_t count);
int32_t mmioWrite(HMMIO h, const void *buffer, int32_t count);
// The new position, -1 on failure.
int64_t mmioSeek(HMMIO h, int64_t offset, int origin);
uint32_t mmioGetInfo(HMMIO h, MMIOINFO *info, uint32_t flags);

// Chunks. A descent reads the chunk's header (and for RIFF and LIST its form
// type) and leaves the position at its data; with a find flag it skips
// siblings, never past the parent's end. Ascending out of a chunk written
// since its creation fixes its size and pads it to an even length.
uint32_t mmioDescend(HMMIO h, MMCKINFO *ck, const MMCKINFO *parent, uint32_t flags);
uint32_t mmioAscend(HMMIO h, MMCKINFO *ck, uint32_t flags);
uint32_t mmioCreateChunk(HMMIO h, MMCKINFO *ck, uint32_t flags);

} // namespace plat
