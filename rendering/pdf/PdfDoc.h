#pragma once
// One PDF file under construction: catalog, information, page tree, pages,
// fonts and images, and the byte layout of the saved file.
#include "rendering/pdf/PdfCanvas.h"
#include "rendering/pdf/PdfObjects.h"
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class TPdfPaperSize : uint8_t { psA4, psA5, psA3, psLetter, psLegal, psUserDefined };
enum class TPdfCompressionMethod : uint8_t { cmNone, cmFlateDecode };
enum class TPdfPageLayout : uint8_t { plSinglePage, plOneColumn, plTwoColumnLeft, plTwoColumnRight };
enum class TPdfDestinationType : uint8_t { dtXYZ, dtFit, dtFitH, dtFitV, dtFitR, dtFitB, dtFitBH, dtFitBV };

// Wraps one of the document's dictionaries with typed setters.
class TPdfDictionaryWrapper {
public:
    virtual ~TPdfDictionaryWrapper() = default;
    TPdfDictionary *Data() const { return data_; }
    bool HasData() const { return data_ != nullptr; }
    virtual void SetData(TPdfDictionary *data) { data_ = data; }
    // Called on every registered font before the document is written, so
    // that it can complete its widths, maps and embedding.
    virtual void BeforeSave() {}

private:
    TPdfDictionary *data_ = nullptr;  // owned by the cross-reference table
};

class TPdfInfo : public TPdfDictionaryWrapper {
public:
    // Texts are UTF-8; they are stored in the document's 8-bit code page.
    void SetAuthor(const std::string &value) { SetText("Author", value); }
    void SetCreator(const std::string &value) { SetText("Creator", value); }
    void SetTitle(const std::string &value) { SetText("Title", value); }
    void SetSubject(const std::string &value) { SetText("Subject", value); }
    void SetCreationDate(plat::TDateTime value) { SetDate("CreationDate", value); }
    void SetModDate(plat::TDateTime value) { SetDate("ModDate", value); }

private:
    void SetText(const char *key, const std::string &value);
    void SetDate(const char *key, plat::TDateTime value);
};

class TPdfPage;
class TPdfFont;

// Where a viewer shows a page: the page, a fit type and its figures.
struct TPdfDestination {
    TPdfPage *Page = nullptr;
    TPdfDestinationType DestinationType = TPdfDestinationType::dtXYZ;
    double Left = -101, Top = -101, Right = 0, Bottom = 0;  // below -100: unset
    double Zoom = 0;
    // A new direct array for the destination.
    TPdfArray *CreateArray(TPdfObjectMgr *objectMgr) const;
};

class TPdfCatalog : public TPdfDictionaryWrapper {
public:
    void SetPageLayout(TPdfPageLayout layout);
    // Only a dictionary whose type is "Pages" is taken.
    void SetPages(TPdfDictionary *pages);
    void SetOpenAction(std::unique_ptr<TPdfDestination> destination) { openAction_ = std::move(destination); }
    TPdfDestination *OpenAction() const { return openAction_.get(); }
    // Writes "OpenAction" from the destination, or removes it.
    void SaveOpenAction();

private:
    std::unique_ptr<TPdfDestination> openAction_;
};

class TPdfOutlineEntry : public TPdfDictionaryWrapper {
public:
    TPdfOutlineEntry(TPdfDocument &document, TPdfOutlineEntry *parent);
    ~TPdfOutlineEntry() override;
    // A new entry after the last child.
    TPdfOutlineEntry *AddChild(const std::string &title);
    std::string Title;  // UTF-8
    std::unique_ptr<TPdfDestination> Dest;
    bool Opened = false;
    // Writes this entry's keys and those of everything below it.
    virtual void Save();
    int ChildCount() const { return static_cast<int>(children_.size()); }

protected:
    // Open descendants counted as a viewer shows them.
    int OpenCount() const;
    TPdfDocument &doc_;
    TPdfOutlineEntry *parent_;
    std::vector<std::unique_ptr<TPdfOutlineEntry>> children_;
};

class TPdfOutlineRoot : public TPdfOutlineEntry {
public:
    explicit TPdfOutlineRoot(TPdfDocument &document);
    void Save() override;
};

class TPdfPage : public TPdfDictionary {
public:
    explicit TPdfPage(TPdfDocument &document);
    virtual void SetPageWidth(int32_t width);
    virtual void SetPageHeight(int32_t height);
    int32_t PageWidth() const { return MediaBoxNumber(2); }
    int32_t PageHeight() const { return MediaBoxNumber(3); }
    TPdfDocument &Document() const { return doc_; }

    // The font and size that the page's content stream has in force; the
    // canvas writes "Tf" only when they change.
    TPdfFont *Font() const { return font_; }
    void SetFont(TPdfFont *font) { font_ = font; }
    double FontSize() const { return fontSize_; }
    // 0 to 300; anything else raises EPdfInvalidValue "SetFontSize".
    void SetFontSize(double size);

private:
    TPdfFont *font_ = nullptr;
    double fontSize_ = 0;
    int32_t MediaBoxNumber(int index) const;
    void SetMediaBoxNumber(int index, int32_t value);
    TPdfDocument &doc_;
};

using TPdfPageClass = std::function<std::unique_ptr<TPdfPage>(TPdfDocument &)>;

class TPdfDocument {
public:
    static constexpr const char *Producer = "ZIB-afnameprogramma 1.0.2.1";

    // Code page 0: the program's ANSI code page.
    explicit TPdfDocument(int codePage = 0);
    virtual ~TPdfDocument();
    TPdfDocument(const TPdfDocument &) = delete;
    TPdfDocument &operator=(const TPdfDocument &) = delete;

    // Drops the current content and starts an empty document.
    void NewDoc();
    TPdfPage *AddPage();
    // Makes an image stream known under name (see the errors it raises).
    void RegisterXObject(TPdfStream *object, const std::string &name);
    // Registers a new image under a new name; the document owns it on success.
    void AddXObject(const std::string &name, TPdfXObject *image);
    // The image with that "Name", or nullptr.
    TPdfStream *GetXObject(const std::string &name) const;
    // Gives the font its resource name ("F0", "F1", ...), stored under
    // "Name" in its dictionary, and takes it into the font list.
    std::string RegisterFont(std::unique_ptr<TPdfDictionaryWrapper> font);

    // date 0: now, from the platform clock.
    void SaveToStream(plat::TStream &stream, plat::TDateTime date = 0);
    // Writes beside the file and renames over it; false (and the old file
    // untouched) on any failure.
    bool SaveToFile(const std::string &fileName);

    TPdfXref &Xref() const { return *xref_; }
    TPdfTrailer &Trailer() const { return *trailer_; }
    TPdfCatalog &Catalog() const { return *catalog_; }
    TPdfInfo &Info() const { return *info_; }
    TPdfDictionary *Root() const { return root_; }
    TPdfOutlineRoot *OutlineRoot() const { return outlineRoot_; }
    TPdfCanvas &Canvas() const { return *canvas_; }
    TPdfArray &ImageList() const { return *imageList_; }
    const std::vector<TPdfPage *> &Pages() const { return pages_; }
    const std::vector<std::unique_ptr<TPdfDictionaryWrapper>> &FontList() const { return fonts_; }

    int32_t DefaultPageWidth() const { return pageWidth_; }
    int32_t DefaultPageHeight() const { return pageHeight_; }
    void SetDefaultPageWidth(int32_t width);
    void SetDefaultPageHeight(int32_t height);
    TPdfPaperSize DefaultPaperSize() const { return paperSize_; }
    void SetDefaultPaperSize(TPdfPaperSize size);
    TPdfCompressionMethod CompressionMethod() const { return compression_; }
    void SetCompressionMethod(TPdfCompressionMethod method) { compression_ = method; }
    int CodePage() const { return codePage_; }
    int CharSet() const { return charSet_; }
    int ScreenLogPixels() const { return 96; }
    const TUtf8TextDynArray &TrueTypeFonts() const { return trueTypeFonts_; }

    // Settings that the canvas and fonts read; all start off.
    bool UseOutlines = false;
    bool StandardFontsReplace = false;
    bool EmbeddedTTF = false;
    bool EmbeddedWholeTTF = false;
    TUtf8TextDynArray EmbeddedTTFIgnore;
    bool UseComplexScripts = false;
    int JPEGCompression = 0;  // 0: bitmaps stay lossless
    int32_t ImageCounter = 0;
    TPdfPageClass PageClass;

private:
    void FreeDoc();

    int codePage_;
    int charSet_;
    int32_t pageWidth_ = 0, pageHeight_ = 0;
    TPdfPaperSize paperSize_ = TPdfPaperSize::psA4;
    TPdfCompressionMethod compression_ = TPdfCompressionMethod::cmNone;
    TUtf8TextDynArray trueTypeFonts_;

    // Declared before what points into it, so that it goes last.
    std::unique_ptr<TPdfXref> xref_;
    std::unique_ptr<TPdfRawText> header_;
    std::unique_ptr<TPdfTrailer> trailer_;
    std::unique_ptr<TPdfArray> imageList_;
    std::vector<std::unique_ptr<TPdfDictionaryWrapper>> fonts_;
    std::unique_ptr<TPdfCatalog> catalog_;
    std::unique_ptr<TPdfInfo> info_;
    TPdfOutlineRoot *outlineRoot_ = nullptr;
    std::vector<std::unique_ptr<TPdfDictionaryWrapper>> wrappers_;  // outline root and the like
    TPdfDictionary *root_ = nullptr;
    std::vector<TPdfPage *> pages_;
    std::unique_ptr<TPdfCanvas> canvas_;
};

// Installed TrueType families in a stable order: names that begin with "@"
// and repeated names left out.
TUtf8TextDynArray InstalledTrueTypeFamilies();
