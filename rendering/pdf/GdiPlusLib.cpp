#include "rendering/pdf/GdiPlusLib.h"

#include <memory>

namespace {

std::unique_ptr<TGDIPlus> &Library()
{
    static std::unique_ptr<TGDIPlus> library;
    return library;
}

// Created with the PDF writer's module, freed when the program ends.
struct TStartUp {
    TStartUp() { GdipStartUp(); }
    ~TStartUp() { GdipShutDown(); }
} startUp;

} // namespace

TGDIPlus::TGDIPlus(std::string libraryName) : name_(std::move(libraryName))
{
    // Loading by name fails on this platform; a library that did load would
    // be started here, and only then.
    if (Loaded())
        token_ = 1;
}

TGDIPlus::~TGDIPlus()
{
    token_ = 0;
    handle_ = nullptr;
}

TGDIPlus *Gdip() { return Library().get(); }

bool GdipLoaded() { return Gdip() && Gdip()->Loaded(); }

void GdipStartUp()
{
    if (!Library())
        Library() = std::make_unique<TGDIPlus>("gdiplus.dll");
}

void GdipShutDown() { Library().reset(); }
