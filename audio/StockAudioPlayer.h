#pragma once
// The player the windows place: PlayWaveStream plays a whole RIFF/WAVE file
// held in a stream on a callback thread of its own and returns at once.
#include "audio/WaveAudioOut.h"
#include "audio/WaveStreamAdapter.h"

class TStockAudioPlayer : public TWaveAudioOut {
public:
    explicit TStockAudioPlayer(plat::TComponent *owner = nullptr);
    ~TStockAudioPlayer() override;

    // The caller keeps the stream open and unchanged until the playback has
    // ended (OnDeactivate, or Active false again). True when the device opened.
    bool PlayWaveStream(plat::TStream *stream) { return OpenWaveStream(stream, soReference); }
    // With ownership soOwned the player frees the stream after playing it,
    // or at once when it turns the stream away.
    virtual bool OpenWaveStream(plat::TStream *stream, int ownership);
    void PlayStockItem(int index);
    // Stops a playback that runs and returns once its device has closed and
    // the stream is let go.
    void Stop();

    TCustomWaveStorage *Stock() const { return stock_; }
    void SetStock(TCustomWaveStorage *stock);
    void SetPosition(uint32_t ms) override;

protected:
    void DoSetActive(bool value) override;
    bool GetWaveFormat(plat::WAVEFORMATEX *&format, bool &freeIt) override;
    int ReadData(void *buffer, uint32_t size, uint32_t &loops) override;
    void HandleOutClose() override;
    void DoError() override;
    void Notification(plat::TComponent *component, plat::TOperation operation) override;

private:
    void ReleaseAdapter();

    TWaveStreamAdapter *adapter_ = nullptr;
    TCustomWaveStorage *stock_ = nullptr;
};

// The program's three players, set as the windows' descriptions set them.
// Main window: click and save sounds.
TStockAudioPlayer *CreateStockAudioPlayer1(plat::TComponent *owner);
// Phoneme-deletion subtest: the item prompts.
TStockAudioPlayer *CreateFWItemPlayer(plat::TComponent *owner);
// Phoneme-substitution subtest: as the deletion one, with an activation
// handler (the window's own, which does nothing).
TStockAudioPlayer *CreateFVItemPlayer(plat::TComponent *owner, TWaveAudioEvent onActivate = [](plat::TObject *) {});
