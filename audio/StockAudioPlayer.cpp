#include "audio/StockAudioPlayer.h"

#include <memory>

using namespace plat;

TStockAudioPlayer::TStockAudioPlayer(TComponent *owner) : TWaveAudioOut(owner) {}

TStockAudioPlayer::~TStockAudioPlayer()
{
    // Close while this class's notification handlers still exist.
    MarkDestroying();
    Shutdown();
    ReleaseAdapter();
    SetStock(nullptr);
}

void TStockAudioPlayer::ReleaseAdapter()
{
    TLock lock(lock_);
    if (!adapter_)
        return;
    adapter_->EndRewrite();
    delete adapter_; // ends its read; frees the stream when it owns it
    adapter_ = nullptr;
}

bool TStockAudioPlayer::OpenWaveStream(TStream *stream, int ownership)
{
    // A stream handed over is the player's from here on: every path that
    // does not give it to an adapter frees it, also when it is turned away
    // or stopping the old playback raises.
    std::unique_ptr<TStream> owned(ownership == soOwned ? stream : nullptr);
    Stop();
    TLock lock(lock_);
    // Still playing after the wait (the close could not be started): the old
    // adapter is still being read, so nothing of it may change.
    if (GetActive() || closing_ || adapter_)
        return false;
    adapter_ = new TWaveStreamAdapter(stream, ownership);
    (void)owned.release(); // the adapter frees it now
    bool ok = false;
    try {
        ok = Open();
    } catch (...) {
        if (!GetActive())
            ReleaseAdapter();
        throw;
    }
    if (!ok && adapter_)
        ReleaseAdapter();
    return ok;
}

void TStockAudioPlayer::Stop()
{
    if (!GetActive())
        return;
    SetActive(false);
    WaitWhileClosing();
}

void TStockAudioPlayer::PlayStockItem(int index)
{
    if (!stock_)
        throw EWaveAudioInvalidOperation("Stock property is not assigned");
    OpenWaveStream(stock_->GetWaveStream(index), soReference);
}

void TStockAudioPlayer::SetStock(TCustomWaveStorage *stock)
{
    if (stock == stock_)
        return;
    if (stock_)
        RemoveFreeNotification(stock_);
    stock_ = stock;
    if (stock_)
        FreeNotification(stock_);
}

void TStockAudioPlayer::Notification(TComponent *component, TOperation operation)
{
    TWaveAudioOut::Notification(component, operation);
    if (operation == TOperation::opRemove && component == stock_)
        stock_ = nullptr;
}

void TStockAudioPlayer::DoSetActive(bool value)
{
    if (value == GetActive())
        return;
    if (value)
        PlayStockItem(0);
    else
        Close();
}

bool TStockAudioPlayer::GetWaveFormat(WAVEFORMATEX *&format, bool &freeIt)
{
    freeIt = false;
    format = nullptr;
    if (!adapter_ || !adapter_->BeginRead())
        return false;
    format = const_cast<WAVEFORMATEX *>(adapter_->WaveFormat());
    adapter_->Seek(::MsToBytes(*format, startPosition_));
    return true;
}

int TStockAudioPlayer::ReadData(void *buffer, uint32_t size, uint32_t &loops)
{
    loops = 0;
    return adapter_ ? adapter_->Read(buffer, size) : -1;
}

void TStockAudioPlayer::SetPosition(uint32_t ms)
{
    // Seek and reset in one hold of the lock: a refill between them would
    // queue the new position's first buffer only to have the reset drop it.
    TLock lock(lock_);
    if (adapter_ && adapter_->WaveFormat())
        adapter_->Seek(::MsToBytes(*adapter_->WaveFormat(), ms));
    TWaveAudioOut::SetPosition(ms);
}

void TStockAudioPlayer::HandleOutClose()
{
    ReleaseAdapter();
    TWaveAudioOut::HandleOutClose();
}

void TStockAudioPlayer::DoError()
{
    if (!GetActive())
        ReleaseAdapter();
    TWaveAudioOut::DoError();
}

namespace {

TStockAudioPlayer *MakePlayer(TComponent *owner, const char *name, uint16_t bufferLength, uint16_t bufferCount,
                              int volume)
{
    auto *p = new TStockAudioPlayer(owner);
    p->SetName(name);
    p->SetBufferLength(bufferLength);
    p->SetBufferCount(bufferCount);
    p->SetAsync(true);
    if (volume >= 0) {
        // Stored only: with Options empty they never reach the device.
        p->SetVolumeLeft(volume);
        p->SetVolumeRight(volume);
    }
    return p;
}

} // namespace

TStockAudioPlayer *CreateStockAudioPlayer1(TComponent *owner)
{
    return MakePlayer(owner, "StockAudioPlayer1", 2000, 2, -1);
}

TStockAudioPlayer *CreateFWItemPlayer(TComponent *owner) { return MakePlayer(owner, "FWItemPlayer", 2000, 4, 100); }

TStockAudioPlayer *CreateFVItemPlayer(TComponent *owner, TWaveAudioEvent onActivate)
{
    TStockAudioPlayer *p = MakePlayer(owner, "FVItemPlayer", 2000, 4, 100);
    p->OnActivate = std::move(onActivate);
    return p;
}
