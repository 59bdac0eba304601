#include "platform/audio/Mmio.h"

#include <cstring>

namespace plat {

struct TMmioFile {
    MMIOINFO info;
};

namespace {

intptr_t Send(HMMIO h, uint32_t message, intptr_t p1, intptr_t p2)
{
    return h->info.pIOProc(&h->info, message, p1, p2);
}

bool ReadExact(HMMIO h, void *buffer, int32_t count) { return mmioRead(h, buffer, count) == count; }

bool WriteExact(HMMIO h, const void *buffer, int32_t count) { return mmioWrite(h, buffer, count) == count; }

} // namespace

HMMIO mmioOpen(const char *fileName, MMIOINFO *info, uint32_t flags)
{
    if (!info || !info->pIOProc)
        return nullptr;
    auto *h = new TMmioFile;
    h->info = *info;
    h->info.dwFlags = flags;
    h->info.lDiskOffset = 0;
    h->info.hmmio = h;
    const intptr_t r = Send(h, MMIOM_OPEN, reinterpret_cast<intptr_t>(fileName), 0);
    if (r != 0) {
        info->wErrorRet = MMIOERR_CANNOTOPEN;
        delete h;
        return nullptr;
    }
    info->wErrorRet = 0;
    return h;
}

uint32_t mmioClose(HMMIO h, uint32_t flags)
{
    if (!h)
        return MMIOERR_CANNOTCLOSE;
    const intptr_t r = Send(h, MMIOM_CLOSE, static_cast<intptr_t>(flags), 0);
    delete h;
    return r == 0 ? 0u : static_cast<uint32_t>(MMIOERR_CANNOTCLOSE);
}

int32_t mmioRead(HMMIO h, void *buffer, int32_t count)
{
    if (!h || count < 0 || (!buffer && count > 0))
        return -1;
    return static_cast<int32_t>(Send(h, MMIOM_READ, reinterpret_cast<intptr_t>(buffer), count));
}

int32_t mmioWrite(HMMIO h, const void *buffer, int32_t count)
{
    if (!h || count < 0 || (!buffer && count > 0))
        return -1;
    return static_cast<int32_t>(Send(h, MMIOM_WRITE, reinterpret_cast<intptr_t>(buffer), count));
}

int64_t mmioSeek(HMMIO h, int64_t offset, int origin)
{
    if (!h)
        return -1;
    return Send(h, MMIOM_SEEK, static_cast<intptr_t>(offset), origin);
}

uint32_t mmioGetInfo(HMMIO h, MMIOINFO *info, uint32_t)
{
    if (!h || !info)
        return MMIOERR_CANNOTREAD;
    *info = h->info;
    return 0;
}

uint32_t mmioDescend(HMMIO h, MMCKINFO *ck, const MMCKINFO *parent, uint32_t flags)
{
    if (!h || !ck)
        return MMIOERR_CHUNKNOTFOUND;
    const int64_t end = parent ? static_cast<int64_t>(parent->dwDataOffset) + parent->cksize : INT64_MAX;
    FOURCC wantId = 0, wantType = 0;
    if (flags & MMIO_FINDRIFF) {
        wantId = FOURCC_RIFF;
        wantType = ck->fccType;
    } else if (flags & MMIO_FINDLIST) {
        wantId = FOURCC_LIST;
        wantType = ck->fccType;
    } else if (flags & MMIO_FINDCHUNK) {
        wantId = ck->ckid;
    }
    int64_t pos = mmioSeek(h, 0, MMIO_SEEK_CUR);
    if (pos < 0)
        return MMIOERR_CANNOTSEEK;
    for (;;) {
        if (pos + 8 > end)
            return MMIOERR_CHUNKNOTFOUND;
        uint32_t head[2];
        if (!ReadExact(h, head, 8))
            return MMIOERR_CHUNKNOTFOUND;
        MMCKINFO found{head[0], head[1], 0, static_cast<uint32_t>(pos + 8), 0};
        const bool form = found.ckid == FOURCC_RIFF || found.ckid == FOURCC_LIST;
        if (form) {
            if (found.cksize < 4 || !ReadExact(h, &found.fccType, 4))
                return MMIOERR_CHUNKNOTFOUND;
        }
        const bool match = wantId == 0 ||
                           (found.ckid == wantId && (!(flags & (MMIO_FINDRIFF | MMIO_FINDLIST)) ||
                                                     wantType == 0 || found.fccType == wantType));
        if (match) {
            *ck = found;
            return 0;
        }
        pos += 8 + static_cast<int64_t>(found.cksize) + (found.cksize & 1);
        if (mmioSeek(h, pos, MMIO_SEEK_SET) != pos)
            return MMIOERR_CHUNKNOTFOUND;
    }
}

uint32_t mmioAscend(HMMIO h, MMCKINFO *ck, uint32_t)
{
    if (!h || !ck)
        return MMIOERR_CANNOTSEEK;
    if (ck->dwFlags & MMIO_DIRTY) {
        const int64_t pos = mmioSeek(h, 0, MMIO_SEEK_CUR);
        if (pos < ck->dwDataOffset)
            return MMIOERR_CANNOTSEEK;
        const uint32_t size = static_cast<uint32_t>(pos - ck->dwDataOffset);
        if (size & 1) {
            const uint8_t pad = 0;
            if (!WriteExact(h, &pad, 1))
                return MMIOERR_CANNOTWRITE;
        }
        if (size != ck->cksize) {
            if (mmioSeek(h, static_cast<int64_t>(ck->dwDataOffset) - 4, MMIO_SEEK_SET) < 0 ||
                !WriteExact(h, &size, 4))
                return MMIOERR_CANNOTWRITE;
            ck->cksize = size;
        }
        ck->dwFlags &= ~MMIO_DIRTY;
    }
    const int64_t next = static_cast<int64_t>(ck->dwDataOffset) + ck->cksize + (ck->cksize & 1);
    return mmioSeek(h, next, MMIO_SEEK_SET) == next ? 0u : static_cast<uint32_t>(MMIOERR_CANNOTSEEK);
}

uint32_t mmioCreateChunk(HMMIO h, MMCKINFO *ck, uint32_t flags)
{
    if (!h || !ck)
        return MMIOERR_CANNOTWRITE;
    const int64_t pos = mmioSeek(h, 0, MMIO_SEEK_CUR);
    if (pos < 0)
        return MMIOERR_CANNOTSEEK;
    if (flags & MMIO_CREATERIFF)
        ck->ckid = FOURCC_RIFF;
    else if (flags & MMIO_CREATELIST)
        ck->ckid = FOURCC_LIST;
    const bool form = flags & (MMIO_CREATERIFF | MMIO_CREATELIST);
    if (form && ck->cksize < 4)
        ck->cksize = 4;
    const uint32_t head[2] = {ck->ckid, ck->cksize};
    if (!WriteExact(h, head, 8))
        return MMIOERR_CANNOTWRITE;
    if (form && !WriteExact(h, &ck->fccType, 4))
        return MMIOERR_CANNOTWRITE;
    ck->dwDataOffset = static_cast<uint32_t>(pos + 8);
    ck->dwFlags = MMIO_DIRTY;
    return 0;
}

} // namespace plat
