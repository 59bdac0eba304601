#pragma once
// The graphics library that JPEG images inside PDF files would be encoded
// with. No such library exists on this platform: the library object keeps
// its life cycle (created once when the PDF writer starts, freed at exit),
// answers that it is not loaded, and calls nothing. The lossy image path of
// the PDF writer encodes through plat::TJPEGImage instead.
#include "platform/graphics/Graphics.h"

#include <string>

// A library loaded by name; the handle is 0 when it is not loaded.
class TDynLibrary {
public:
    virtual ~TDynLibrary() = default;
    void *Handle() const { return handle_; }
    bool Loaded() const { return handle_ != nullptr; }

protected:
    void *handle_ = nullptr;
};

class TGDIPlus : public TDynLibrary {
public:
    // Never loads here, so the start-up call that a loaded library would get
    // is never made.
    explicit TGDIPlus(std::string libraryName);
    ~TGDIPlus() override;
    const std::string &LibraryName() const { return name_; }
    // Started: a loaded library whose start-up succeeded.
    bool Started() const { return token_ != 0; }

private:
    std::string name_;
    uintptr_t token_ = 0;
};

// The one library object; nullptr before start-up and after shut-down.
TGDIPlus *Gdip();
// True when the library object exists and holds a library.
bool GdipLoaded();
// Creates the object when none exists (the PDF writer's start-up does this).
void GdipStartUp();
// Frees it (at exit).
void GdipShutDown();

// The JPEG picture of the lossy image path, with its default quality.
class TJpegImage : public plat::TJPEGImage {
public:
    static constexpr int DefaultQuality = 80;
    TJpegImage() { SetCompressionQuality(DefaultQuality); }
};
