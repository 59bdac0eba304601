#pragma once
// Drawing objects (font, pen, brush) and pictures with the framework's
// semantics. Every object fires OnChange after a changed value; a canvas
// listens and realises the object again before its next drawing call.
//
// Pictures hold their pixels as a 32-bit QImage (Format_RGB32, or
// Format_ARGB32 when the picture has transparency). An empty or undecodable
// picture is 0 x 0 and draws nothing; loading never throws for bad data.
#include "platform/core/Component.h"
#include "platform/core/Streams.h"
#include "platform/core/Types.h"

#include <QImage>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace plat {

class TCanvas;

// ---------------------------------------------------------------- font

enum TFontStyle : unsigned { fsBold = 1u << 0, fsItalic = 1u << 1, fsUnderline = 1u << 2, fsStrikeOut = 1u << 3 };
using TFontStyles = unsigned;  // a set of TFontStyle bits
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
enum : uint8_t { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2 };

class TFont : public TObject {
public:
    TFont();
    TFont(const TFont &other);
    TFont &operator=(const TFont &other);
    // Copies every value and fires OnChange once when anything differed.
    void Assign(const TFont &other);

    const String &Name() const { return name_; }
    void SetName(const String &name);
    // Negative: em height in logical units; positive: cell height.
    int Height() const { return height_; }
    void SetHeight(int height);
    // Points: -MulDiv(Height, 72, PixelsPerInch), so a positive (cell) height
    // gives a negative size, as in the framework.
    int Size() const;
    // Height := -MulDiv(size, PixelsPerInch, 72).
    void SetSize(int size);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // The resolution that Size converts with; changing it keeps Height.
    int PixelsPerInch() const { return ppi_; }
    void SetPixelsPerInch(int ppi);
    uint8_t Charset() const { return charset_; }
    void SetCharset(uint8_t charset);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    // Escapement of the text baseline, tenths of a degree.
    int Orientation() const { return orientation_; }
    void SetOrientation(int tenths);

    bool operator==(const TFont &o) const;

    TNotifyEvent OnChange;

private:
    void Changed();
    String name_ = "Tahoma";
    int height_ = -11;
    TFontStyles style_ = 0;
    TColor color_;
    int ppi_ = 96;
    uint8_t charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = TFontPitch::fpDefault;
    int orientation_ = 0;
};

// ---------------------------------------------------------------- pen

// Values match the platform's pen styles (PS_SOLID = 0 ... PS_INSIDEFRAME = 6).
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                      pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };
using enum TPenStyle;
using enum TPenMode;

class TPen : public TObject {
public:
    TPen() = default;
    TPen(const TPen &other);
    TPen &operator=(const TPen &other);
    void Assign(const TPen &other);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // Logical units; below 1 counts as 1 for drawing, but is kept as set.
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode mode);

    bool operator==(const TPen &o) const;

    TNotifyEvent OnChange;

private:
    void Changed();
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

// ---------------------------------------------------------------- brush

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
using enum TBrushStyle;

class TBitmap;

class TBrush : public TObject {
public:
    TBrush() = default;
    TBrush(const TBrush &other);
    TBrush &operator=(const TBrush &other);
    void Assign(const TBrush &other);

    TColor Color() const { return color_; }
    // Setting a colour makes a clear brush solid, as the framework does.
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);
    // A pattern brush: the bitmap's top-left 8 x 8 pixels are copied, so the
    // caller may free the bitmap afterwards. Nullptr removes the pattern.
    void SetBitmap(const TBitmap *bitmap);
    bool HasPattern() const { return !pattern_.isNull(); }
    const QImage &Pattern() const { return pattern_; }

    bool operator==(const TBrush &o) const;

    TNotifyEvent OnChange;

private:
    void Changed();
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    QImage pattern_;
};

// ---------------------------------------------------------------- pictures

class TGraphic : public TObject {
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }
    // Loads from the stream's position to its end. Bad data leaves the
    // graphic empty.
    virtual void LoadFromStream(TStream &stream) = 0;
    virtual void SaveToStream(TStream &stream) const = 0;
    void LoadFromFile(const String &fileName);
    void SaveToFile(const String &fileName) const;
    // Draws the graphic stretched into rect (logical units of the canvas).
    // Draws nothing when empty.
    virtual void Draw(TCanvas &canvas, const TRect &rect) const = 0;
    // The framework's class name ("TBitmap", "TJPEGImage", ...).
    virtual const char *ClassName() const = 0;
    virtual std::unique_ptr<TGraphic> Clone() const = 0;
    // The picture rendered at its own size (a null image when empty), for
    // code that needs pixels: recorders, the PDF writer, grey previews.
    virtual QImage ToImage() const = 0;

    // A picture that decodes on first use may know its transparency only
    // from its header until then.
    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool on);

    TNotifyEvent OnChange;

protected:
    void Changed();
    bool transparent_ = false;
};

// A graphic whose content is one raster image.
class TRasterGraphic : public TGraphic {
public:
    int Width() const override { return Pixels().width(); }
    int Height() const override { return Pixels().height(); }
    void Draw(TCanvas &canvas, const TRect &rect) const override;
    QImage ToImage() const override { return Pixels(); }
    const QImage &Image() const { return Pixels(); }

protected:
    // The colour drawn transparent when Transparent is on and the image has no
    // alpha channel; clNone for none.
    virtual TColor DrawTransparentColor() const { return clNone; }
    // The image every reader goes through: a graphic that decodes on first
    // use gives its decoded pixels here.
    virtual const QImage &Pixels() const { return image_; }
    QImage image_;
};

// The bytes of a loaded picture and the pixels they decode to, shared by the
// picture's copies. The decode runs once, on the first call that needs the
// pixels; pictures are drawn on the interface thread, but a recorder or the
// PDF writer may read a copy elsewhere, so it runs under a lock.
class TEncodedPixels {
public:
    // Decodes the bytes (a null image when they do not decode) and tells
    // whether they hold a grayscale picture (JPEG; the others leave it unset).
    using TDecoder = QImage (*)(const std::vector<uint8_t> &bytes, bool *grayscale);
    TEncodedPixels(std::vector<uint8_t> bytes, TDecoder decoder) : bytes_(std::move(bytes)), decoder_(decoder) {}
    // Waits for a decode ahead that is still running.
    ~TEncodedPixels();
    TEncodedPixels(const TEncodedPixels &) = delete;
    TEncodedPixels &operator=(const TEncodedPixels &) = delete;
    const QImage &Image();
    // Starts the decode on another thread, unless it ran or runs; the first
    // use of the pixels waits for it instead of decoding.
    void DecodeAhead();
    // A grayscale picture, as the decoder found; false when the bytes did
    // not decode.
    bool Grayscale();
    bool Decoded();
    const std::vector<uint8_t> &Bytes() const { return bytes_; }

private:
    const std::vector<uint8_t> bytes_;
    const TDecoder decoder_;
    std::mutex mutex_;
    bool decoded_ = false;
    bool grayscale_ = false;
    QImage image_;
    std::thread ahead_;
};

// A picture that keeps the bytes it was loaded from and decodes them on first
// use, once for all its copies (JPEG, GIF).
class TEncodedGraphic : public TRasterGraphic {
public:
    // Whether the loaded bytes have been decoded yet (by this picture or a
    // copy of it).
    bool Decoded() const { return !source_ || source_->Decoded(); }
    // Starts decoding the loaded bytes on another thread, for a picture that
    // is about to be shown while the interface thread has other work; the
    // first use of the pixels waits for that decode instead of doing its own.
    void DecodeAhead() const
    {
        if (source_)
            source_->DecodeAhead();
    }

protected:
    const QImage &Pixels() const override { return source_ ? source_->Image() : image_; }
    // The loaded file, shared with copies; null once the pixels were set
    // from another graphic.
    std::shared_ptr<TEncodedPixels> source_;
};

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
using enum TPixelFormat;
enum class TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TRasterGraphic {
public:
    TBitmap();
    TBitmap(int width, int height);
    TBitmap(const TBitmap &other);
    TBitmap &operator=(const TBitmap &other);
    ~TBitmap() override;

    void Assign(const TGraphic &source);

    // New pixels are white; the pixels that stay keep their colour.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, Height()); }
    void SetHeight(int height) { SetSize(Width(), height); }
    // Kept as a tag for code that asks; the pixels stay 32-bit.
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TPixelFormat format);
    bool Monochrome() const { return pixelFormat_ == pf1bit; }
    void SetMonochrome(bool on) { SetPixelFormat(on ? pf1bit : pfDevice); }

    // The canvas draws straight into Image().
    TCanvas *Canvas();
    QImage &Image() { return image_; }
    const QImage &Image() const { return image_; }
    // Replaces the pixels (converted to 32 bits).
    void SetImage(const QImage &image);

    // tmAuto: the bottom-left pixel; tmFixed: TransparentColor as set.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode);

    // Bitmap files ("BM") only; anything else leaves the bitmap empty.
    void LoadFromStream(TStream &stream) override;
    void SaveToStream(TStream &stream) const override;
    const char *ClassName() const override { return "TBitmap"; }
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TBitmap>(*this); }

protected:
    TColor DrawTransparentColor() const override { return TransparentColor(); }

private:
    std::unique_ptr<TCanvas> canvas_;
    TPixelFormat pixelFormat_ = pfDevice;
    TColor transparentColor_ = clDefault;
    TTransparentMode transparentMode_ = TTransparentMode::tmAuto;
};

// JPEG pictures, decoded through libjpeg. The original bytes are kept and
// written back unchanged by SaveToStream until the picture is changed.
//
// Loading only keeps the bytes: they are decoded when the picture is first
// measured, drawn or read, and copies of a loaded picture (Clone, Assign)
// share both the bytes and the decoded pixels, so a picture that many
// windows show is decoded once, when the first of them shows it.
class TJPEGImage : public TEncodedGraphic {
public:
    TJPEGImage() = default;
    void LoadFromStream(TStream &stream) override;
    void SaveToStream(TStream &stream) const override;
    const char *ClassName() const override { return "TJPEGImage"; }
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TJPEGImage>(*this); }
    // Encodes the graphic's pixels at CompressionQuality.
    void Assign(const TGraphic &source);
    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int quality);
    bool Grayscale() const;
    // The JPEG file bytes (encoded on demand when there are none); empty
    // when the loaded bytes do not decode.
    const std::vector<uint8_t> &Data() const;

private:
    int quality_ = 90;
    bool grayscale_ = false;
    mutable std::vector<uint8_t> data_;
};

// GIF pictures (first frame), decoded by Qt. A transparent palette entry
// becomes alpha, so Draw leaves those pixels alone.
//
// Like a JPEG, a loaded GIF keeps its bytes and decodes them on first use,
// once for all its copies. Its transparency is read from the file's header
// (the first frame's graphic control block) on loading; once decoded, a
// picture that was not told otherwise is transparent when its pixels have
// alpha, so a damaged file is an empty picture without transparency.
class TGIFImage : public TEncodedGraphic {
public:
    void LoadFromStream(TStream &stream) override;
    // The loaded bytes; nothing when they do not decode.
    void SaveToStream(TStream &stream) const override;
    const char *ClassName() const override { return "TGIFImage"; }
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TGIFImage>(*this); }
    bool Transparent() const override;
    void SetTransparent(bool on) override;

private:
    // Set when SetTransparent was called after loading: from then on the
    // flag is what was set, whatever the pixels have.
    bool transparencySet_ = false;
};

// Whether a GIF's first frame has a transparent colour, from the graphic
// control block in front of it; nothing is decompressed. False for bytes
// that are no GIF or end before the first frame's data begins, which Qt's
// reader refuses.
bool GifHasTransparency(const uint8_t *data, size_t size);

// Icons (.ico): the first image of the file, with its mask as alpha.
class TIcon : public TRasterGraphic {
public:
    TIcon() { transparent_ = true; }
    void LoadFromStream(TStream &stream) override;
    void SaveToStream(TStream &stream) const override;
    const char *ClassName() const override { return "TIcon"; }
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TIcon>(*this); }

private:
    std::vector<uint8_t> data_;
};

// Holds any graphic; picks the class from the first bytes of the data.
class TPicture : public TObject {
public:
    TPicture() = default;
    TPicture(const TPicture &other);
    TPicture &operator=(const TPicture &other);
    ~TPicture() override;

    TGraphic *Graphic() const { return graphic_.get(); }
    // Copies the graphic (nullptr empties the picture).
    void SetGraphic(const TGraphic *graphic);
    // Takes ownership.
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // The graphic as a bitmap: when it is something else, it is replaced by
    // a bitmap of it, as the framework does.
    TBitmap *Bitmap();
    void Assign(const TPicture &other);
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    bool Empty() const { return !graphic_ || graphic_->Empty(); }

    // Detects the format ("BM", JPEG, "GIF8", icon, and registered formats);
    // unknown or bad data leaves the picture empty.
    void LoadFromStream(TStream &stream);
    void SaveToStream(TStream &stream) const;
    void LoadFromFile(const String &fileName);
    void SaveToFile(const String &fileName) const;

    // A graphic by the framework's class name, as stored in window
    // descriptions; nullptr for an unknown name.
    static std::unique_ptr<TGraphic> CreateGraphic(const String &className);
    // Lets other modules (metafiles) add a format: a test on the first bytes
    // and a factory. The class name is what CreateGraphic accepts.
    using TSniffer = std::function<bool(const uint8_t *data, size_t size)>;
    using TFactory = std::function<std::unique_ptr<TGraphic>()>;
    static void RegisterFormat(const String &className, TSniffer sniff, TFactory create);

    TNotifyEvent OnChange;

private:
    void Changed();
    std::unique_ptr<TGraphic> graphic_;
};

// Pictures wider or taller than this are refused as damaged: the program's
// own pictures are far smaller, and a forged header must not make a decoder
// allocate gigabytes.
constexpr int MaxPictureSide = 8192;

// The bytes from the stream's position to its end.
std::vector<uint8_t> ReadRest(TStream &stream);

// Decodes JPEG bytes through libjpeg into a 32-bit image; a null image for
// bad or truncated data.
QImage DecodeJpeg(const uint8_t *data, size_t size, bool *grayscale = nullptr);
// Encodes a 32-bit image as baseline JPEG at quality 1..100.
std::vector<uint8_t> EncodeJpeg(const QImage &image, int quality);

// Colour conversion between TColor (0x00BBGGRR, system colours resolved)
// and QRgb.
QRgb ToQRgb(TColor color);
TColor FromQRgb(QRgb rgb);

} // namespace plat
