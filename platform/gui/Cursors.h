#pragma once
// Cursor files: the icon/cursor container (.cur, .ico) with BMP or PNG
// images, and animated cursors (RIFF "ACON"). The readers take untrusted
// bytes: every size and offset is checked, and damaged input gives nullptr,
// never a read outside the buffer. And the busy cursor, for code that may
// not include the widget headers.
#include "platform/core/Types.h"

#include <QImage>
#include <cstdint>
#include <memory>
#include <vector>

class QCursor;

namespace plat {

struct TCursorFrame {
    QImage Image; // ARGB32
    int HotX = 0;
    int HotY = 0;
};

class TCursorImage {
public:
    std::vector<TCursorFrame> Frames;
    // Animated cursors: the frame shown at each step and its duration in
    // 1/60 s; plain cursors have one step.
    std::vector<int> Sequence;
    std::vector<int> Rates;

    bool Animated() const { return StepCount() > 1; }
    size_t StepCount() const { return Sequence.empty() ? Frames.size() : Sequence.size(); }
    const TCursorFrame &StepFrame(size_t step) const;
    int StepMilliseconds(size_t step) const;
    QCursor QtCursor(size_t step) const;
};

// A .cur or .ico file: the largest image it holds, with its hot spot.
std::shared_ptr<TCursorImage> ReadCursorFile(const uint8_t *data, size_t size);
// An animated cursor (.ani).
std::shared_ptr<TCursorImage> ReadAnimatedCursor(const uint8_t *data, size_t size);
// Either kind, told apart by the first bytes.
std::shared_ptr<TCursorImage> ReadAnyCursor(const std::vector<uint8_t> &bytes);
// A cursor among the program's resources (type "cursor"); nullptr when
// there is none or it cannot be read.
std::shared_ptr<TCursorImage> LoadCursorResource(const String &name);

// The screen's hourglass for as long as it lives; the cursor before it comes
// back however the scope is left, an exception included.
// Neither copied nor assigned: a second restore would undo a later cursor.
class TBusyCursor {
public:
    TBusyCursor();
    TBusyCursor(const TBusyCursor &) = delete;
    ~TBusyCursor();

private:
    const TCursor previous_;
};

} // namespace plat
