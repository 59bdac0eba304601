#include "rendering/pdf/PdfDoc.h"

#include "platform/core/Dates.h"
#include "platform/core/Files.h"
#include "platform/graphics/Fonts.h"

#include <algorithm>

namespace {

std::string Format1(const char *pattern, const std::string &arg)
{
    std::string s = pattern;
    const size_t at = s.find("%s");
    if (at != std::string::npos)
        s.replace(at, 2, arg);
    return s;
}

const char *const kPageLayoutNames[] = {"SinglePage", "OneColumn", "TwoColumnLeft", "TwoColumnRight"};
const char *const kDestinationNames[] = {"XYZ", "Fit", "FitH", "FitV", "FitR", "FitB", "FitBH", "FitBV"};

} // namespace

TUtf8TextDynArray InstalledTrueTypeFamilies()
{
    TUtf8TextDynArray names;
    for (const auto &family : plat::TFontProvider::Instance().Families())
        if (!family.empty() && family[0] != '@')
            AddUtf8Text(names, family, true);
    // The program asks for the platform's names; their stand-ins measure
    // alike. The three standard PDF names stay out: the writer maps those
    // to "Arial", "Courier New" and "Times New Roman" itself.
    for (const auto &name : plat::TFontProvider::Instance().StandInNames())
        if (!SameTextU(name, "Helvetica") && !SameTextU(name, "Courier") && !SameTextU(name, "Times"))
            AddUtf8Text(names, name, true);
    return names;
}

// ---- stream created for a document ------------------------------------------

TPdfStream::TPdfStream(TPdfDocument &document, bool dontAddToXref)
{
    Init(&document.Xref(), document.CompressionMethod() == TPdfCompressionMethod::cmFlateDecode,
         document.CodePage(), !dontAddToXref);
}

// ---- information, catalog, destinations, outlines ----------------------------

void TPdfInfo::SetText(const char *key, const std::string &value)
{
    Data()->AddItem(key, new TPdfText(Utf8ToWinAnsi(value)));
}

void TPdfInfo::SetDate(const char *key, plat::TDateTime value)
{
    Data()->AddItem(key, new TPdfText(PdfDateText(value)));
}

TPdfArray *TPdfDestination::CreateArray(TPdfObjectMgr *objectMgr) const
{
    auto array = std::make_unique<TPdfArray>(objectMgr);
    if (Page)
        array->AddItem(Page);
    else
        array->AddItem(new TPdfNull);
    array->AddItem(new TPdfName(kDestinationNames[static_cast<int>(DestinationType)]));
    auto coordinate = [&array](double v) {
        if (v < -100)
            array->AddItem(new TPdfNull);
        else
            array->AddItem(new TPdfReal(v));
    };
    switch (DestinationType) {
    case TPdfDestinationType::dtXYZ:
        coordinate(Left);
        coordinate(Top);
        array->AddItem(new TPdfReal(Zoom < 0 ? 0 : Zoom));
        break;
    case TPdfDestinationType::dtFitH:
    case TPdfDestinationType::dtFitBH:
        array->AddItem(new TPdfReal(Top));
        break;
    case TPdfDestinationType::dtFitV:
    case TPdfDestinationType::dtFitBV:
        array->AddItem(new TPdfReal(Left));
        break;
    case TPdfDestinationType::dtFitR:
        for (const double v : {Left, Bottom, Right, Top})
            array->AddItem(new TPdfReal(v));
        break;
    case TPdfDestinationType::dtFit:
    case TPdfDestinationType::dtFitB:
        break;
    }
    return array.release();
}

void TPdfCatalog::SetPageLayout(TPdfPageLayout layout)
{
    const char *name = kPageLayoutNames[static_cast<int>(layout)];
    if (auto *current = Data()->ValueAs<TPdfName>("PageLayout"))
        current->SetValue(name);
    else
        Data()->AddNameItem("PageLayout", name);
}

void TPdfCatalog::SetPages(TPdfDictionary *pages)
{
    if (pages && pages->TypeOf() == "Pages")
        Data()->AddItem("Pages", pages);
}

void TPdfCatalog::SaveOpenAction()
{
    if (openAction_)
        Data()->AddItem("OpenAction", openAction_->CreateArray(Data()->ObjectMgr()));
    else
        Data()->RemoveItem("OpenAction");
}

TPdfOutlineEntry::TPdfOutlineEntry(TPdfDocument &document, TPdfOutlineEntry *parent)
    : doc_(document), parent_(parent)
{
    auto *dict = new TPdfDictionary(&document.Xref());
    document.Xref().AddObject(dict);
    SetData(dict);
}

TPdfOutlineEntry::~TPdfOutlineEntry() = default;

TPdfOutlineEntry *TPdfOutlineEntry::AddChild(const std::string &title)
{
    children_.push_back(std::make_unique<TPdfOutlineEntry>(doc_, this));
    children_.back()->Title = title;
    return children_.back().get();
}

int TPdfOutlineEntry::OpenCount() const
{
    int n = 0;
    for (const auto &c : children_)
        n += 1 + (c->Opened ? c->OpenCount() : 0);
    return n;
}

void TPdfOutlineEntry::Save()
{
    TPdfDictionary &d = *Data();
    d.AddItem("Count", Opened ? OpenCount() : -OpenCount());
    d.AddItem("Title", new TPdfText(Utf8ToWinAnsi(Title)));
    if (Dest)
        d.AddItem("Dest", Dest->CreateArray(&doc_.Xref()));
    if (!children_.empty()) {
        d.AddItem("First", children_.front()->Data());
        d.AddItem("Last", children_.back()->Data());
    }
    if (parent_) {
        const auto &siblings = parent_->children_;
        for (size_t i = 0; i < siblings.size(); ++i) {
            if (siblings[i].get() != this)
                continue;
            if (i > 0)
                d.AddItem("Prev", siblings[i - 1]->Data());
            if (i + 1 < siblings.size())
                d.AddItem("Next", siblings[i + 1]->Data());
        }
    }
    for (const auto &c : children_)
        c->Save();
}

TPdfOutlineRoot::TPdfOutlineRoot(TPdfDocument &document) : TPdfOutlineEntry(document, nullptr)
{
    Data()->AddNameItem("Type", "Outlines");
    Opened = true;
}

void TPdfOutlineRoot::Save()
{
    TPdfDictionary &d = *Data();
    d.AddItem("Count", OpenCount());
    if (!children_.empty()) {
        d.AddItem("First", children_.front()->Data());
        d.AddItem("Last", children_.back()->Data());
    }
    for (const auto &c : children_)
        c->Save();
}

// ---- page --------------------------------------------------------------------

TPdfPage::TPdfPage(TPdfDocument &document) : TPdfDictionary(&document.Xref()), doc_(document)
{
    AddItem("MediaBox", TPdfArray::CreateNumArray(nullptr, {0, 0, document.DefaultPageWidth(),
                                                            document.DefaultPageHeight()}));
}

int32_t TPdfPage::MediaBoxNumber(int index) const
{
    const auto *box = ValueAs<TPdfArray>("MediaBox");
    const auto *n = box ? dynamic_cast<const TPdfNumber *>(box->Items(index)) : nullptr;
    return n ? n->Value() : 0;
}

void TPdfPage::SetMediaBoxNumber(int index, int32_t value)
{
    auto *box = ValueAs<TPdfArray>("MediaBox");
    auto *n = box ? dynamic_cast<TPdfNumber *>(box->Items(index)) : nullptr;
    if (!n)
        throw EPdfInvalidOperation("MediaBox");
    n->SetValue(value);
}

void TPdfPage::SetFontSize(double size)
{
    if (!(size >= 0 && size <= 300))
        throw EPdfInvalidValue("SetFontSize");
    fontSize_ = size;
}

void TPdfPage::SetPageWidth(int32_t width) { SetMediaBoxNumber(2, width); }

void TPdfPage::SetPageHeight(int32_t height) { SetMediaBoxNumber(3, height); }

// ---- document ------------------------------------------------------------------

TPdfDocument::TPdfDocument(int codePage)
    // The program's 8-bit texts are Windows-1252 on every platform.
    : codePage_(codePage == 0 ? kWinAnsiCodePage : codePage), charSet_(CodePageToCharSet(codePage_))
{
    SetDefaultPaperSize(TPdfPaperSize::psA4);
    canvas_ = std::make_unique<TPdfCanvas>(*this);
    trueTypeFonts_ = InstalledTrueTypeFamilies();
    compression_ = TPdfCompressionMethod::cmFlateDecode;
    NewDoc();
}

TPdfDocument::~TPdfDocument()
{
    FreeDoc();
}

void TPdfDocument::SetDefaultPaperSize(TPdfPaperSize size)
{
    static const int32_t sizes[5][2] = {{595, 842}, {419, 595}, {842, 1190}, {612, 792}, {612, 1008}};
    paperSize_ = size;
    if (size == TPdfPaperSize::psUserDefined)
        return;
    pageWidth_ = sizes[static_cast<int>(size)][0];
    pageHeight_ = sizes[static_cast<int>(size)][1];
}

void TPdfDocument::SetDefaultPageWidth(int32_t width)
{
    pageWidth_ = width;
    paperSize_ = TPdfPaperSize::psUserDefined;
}

void TPdfDocument::SetDefaultPageHeight(int32_t height)
{
    pageHeight_ = height;
    paperSize_ = TPdfPaperSize::psUserDefined;
}

void TPdfDocument::FreeDoc()
{
    if (canvas_)
        canvas_->SetPage(nullptr);
    pages_.clear();
    root_ = nullptr;
    outlineRoot_ = nullptr;
    imageList_.reset();
    fonts_.clear();
    wrappers_.clear();
    info_.reset();
    catalog_.reset();
    trailer_.reset();
    header_.reset();
    xref_.reset();  // frees every indirect object
}

void TPdfDocument::NewDoc()
{
    FreeDoc();
    xref_ = std::make_unique<TPdfXref>();
    header_ = std::make_unique<TPdfRawText>("%PDF-1.3\n");
    trailer_ = std::make_unique<TPdfTrailer>(xref_.get());
    imageList_ = std::make_unique<TPdfArray>(xref_.get());

    auto *catalog = new TPdfDictionary(xref_.get());
    xref_->AddObject(catalog);
    catalog_ = std::make_unique<TPdfCatalog>();
    catalog_->SetData(catalog);
    catalog->AddNameItem("Type", "Catalog");
    trailer_->Attributes().AddItem("Root", catalog);
    catalog_->SetPageLayout(TPdfPageLayout::plSinglePage);

    if (UseOutlines) {
        auto root = std::make_unique<TPdfOutlineRoot>(*this);
        outlineRoot_ = root.get();
        catalog->AddItem("Outlines", root->Data());
        wrappers_.push_back(std::move(root));
    }

    auto *info = new TPdfDictionary(xref_.get());
    xref_->AddObject(info);
    info_ = std::make_unique<TPdfInfo>();
    info_->SetData(info);
    info->AddItem("Producer", new TPdfText(Producer));
    trailer_->Attributes().AddItem("Info", info);
    info_->SetCreationDate(plat::Now());

    root_ = new TPdfDictionary(xref_.get());
    xref_->AddObject(root_);
    root_->AddNameItem("Type", "Pages");
    root_->AddItem("Kids", new TPdfArray(xref_.get()));
    root_->AddItem("Count", 0);
    catalog_->SetPages(root_);
}

TPdfPage *TPdfDocument::AddPage()
{
    if (!root_)
        throw EPdfInvalidOperation("AddPage");
    std::unique_ptr<TPdfPage> created = PageClass ? PageClass(*this) : std::make_unique<TPdfPage>(*this);
    TPdfPage *page = created.get();
    xref_->AddObject(created.release());
    pages_.push_back(page);
    auto *kids = root_->ValueAs<TPdfArray>("Kids");
    kids->AddItem(page);
    root_->ValueAs<TPdfNumber>("Count")->SetValue(kids->ItemCount());

    page->AddNameItem("Type", "Page");
    page->AddItem("Parent", root_);
    auto *resources = new TPdfDictionary(xref_.get());
    page->AddItem("Resources", resources);
    resources->AddItem("Font", new TPdfDictionary(xref_.get()));
    resources->AddItem("XObject", new TPdfDictionary(xref_.get()));
    resources->AddItem("ProcSet", TPdfArray::CreateNameArray(xref_.get(), {"PDF", "Text", "ImageC"}));
    page->AddItem("Contents", new TPdfStream(*this));
    canvas_->SetPage(page);
    return page;
}

void TPdfDocument::RegisterXObject(TPdfStream *object, const std::string &name)
{
    if (!object)
        throw EPdfInvalidValue("RegisterXObject: no AObject");
    if (object->Attributes().TypeOf() != "XObject")
        throw EPdfInvalidValue("RegisterXObject: no XObject");
    if (object->ObjectType() != TPdfObjectType::otIndirectObject)
        xref_->AddObject(object);
    if (object->Attributes().ValueByName("Name"))
        return;
    if (GetXObject(name))
        throw EPdfInvalidValue(Format1("RegisterXObject: dup name %s", name));
    imageList_->AddItem(object);
    object->Attributes().AddNameItem("Name", name);
}

void TPdfDocument::AddXObject(const std::string &name, TPdfXObject *image)
{
    if (GetXObject(name))
        throw EPdfInvalidValue(Format1("AddXObject: dup name %s", name));
    if (!image || image->Attributes().TypeOf() != "XObject" || !image->Attributes().ValueByName("Subtype"))
        throw EPdfInvalidValue(Format1("AddXObject: invalid TPdfImage %s", name));
    if (image->ObjectType() != TPdfObjectType::otIndirectObject)
        xref_->AddObject(image);
    RegisterXObject(image, name);
}

TPdfStream *TPdfDocument::GetXObject(const std::string &name) const
{
    for (int i = 0; i < imageList_->ItemCount(); ++i) {
        auto *image = dynamic_cast<TPdfStream *>(imageList_->Items(i));
        const auto *n = image ? image->Attributes().ValueAs<TPdfName>("Name") : nullptr;
        if (n && n->Value() == name)
            return image;
    }
    return nullptr;
}

std::string TPdfDocument::RegisterFont(std::unique_ptr<TPdfDictionaryWrapper> font)
{
    if (!font || !font->HasData())
        throw EPdfInvalidValue("RegisterFont");
    std::string name = "F" + Int32ToText(static_cast<int32_t>(fonts_.size()));
    font->Data()->AddNameItem("Name", name);
    fonts_.push_back(std::move(font));
    return name;
}

void TPdfDocument::SaveToStream(plat::TStream &stream, plat::TDateTime date)
{
    if (!canvas_->Page())
        throw EPdfInvalidOperation("GetPage");
    info_->SetModDate(date == 0 ? plat::Now() : date);
    catalog_->SaveOpenAction();
    if (UseOutlines && outlineRoot_)
        outlineRoot_->Save();
    for (const auto &font : fonts_)
        font->BeforeSave();

    TPdfWrite writer(stream, codePage_);
    header_->WriteTo(writer);
    for (int i = 1; i < xref_->ItemCount(); ++i) {
        TPdfXrefEntry &entry = xref_->Items(i);
        entry.SetByteOffset(static_cast<int32_t>(writer.Position()));
        entry.Value()->WriteValueTo(writer);
    }
    trailer_->SetXrefAddress(static_cast<int32_t>(writer.Position()));
    xref_->WriteTo(writer);
    trailer_->Attributes().ValueAs<TPdfNumber>("Size")->SetValue(xref_->ItemCount());
    trailer_->WriteTo(writer);
    writer.Save();
}

bool TPdfDocument::SaveToFile(const std::string &fileName)
{
    try {
        THeapMemoryStream image;
        SaveToStream(image, 0);
        return plat::AtomicWriteFile(
            fileName, std::string(reinterpret_cast<const char *>(image.Memory()), static_cast<size_t>(image.Size())));
    } catch (const std::exception &) {
        return false;
    }
}
