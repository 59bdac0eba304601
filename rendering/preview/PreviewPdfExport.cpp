// The preview's export of its first page as a one-page PDF file.
#include "rendering/preview/PrintPreview.h"

#include "platform/core/Dates.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "rendering/pdf/PdfDoc.h"

#include <cmath>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace zibor::preview {

namespace {

constexpr const char *kAuthor = "ZIB-gebruiker";
constexpr const char *kCreator = "ZIB-afnameprogramma 1.0.2.1";
constexpr const char *kSubject = "ZIB-testrapport";
constexpr const char *kTitle = "ZIB-testrapport";

plat::Exception UnwritableFile(const plat::String &fileName)
{
    return plat::Exception("Unable to write to file " + fileName + ". Is the file opened by another application?");
}

TPdfPaperSize PdfPaperSize(TPaperType type)
{
    switch (type) {
    case pA4: return TPdfPaperSize::psA4;
    case pA5: return TPdfPaperSize::psA5;
    case pA3: return TPdfPaperSize::psA3;
    case pLetter: return TPdfPaperSize::psLetter;
    case pLegal: return TPdfPaperSize::psLegal;
    default: return TPdfPaperSize::psUserDefined;
    }
}

} // namespace

bool TPrintPreview::FileIsWritable(const plat::String &fileName) const
{
    // There are no sharing modes here: what can be seen is what the system
    // refuses (a folder of that name, a file without write permission).
    const int fd = ::open(plat::MapPath(fileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void TPrintPreview::SaveAsPDF(const plat::String &fileName)
{
    // Busy recording or printing: an export now would end a recording in
    // the middle, so it is refused and nothing changes.
    if (state_ != psReady)
        throw EPdfInvalidOperation("SaveAsPDF");
    std::unique_ptr<TPdfDocument> doc;
    ChangeState(psSavingPDF);
    try {
        doc = std::make_unique<TPdfDocument>();
        if (plat::FileExists(plat::MapPath(fileName)) && !FileIsWritable(fileName))
            throw UnwritableFile(fileName);
        doc->NewDoc();
        TPdfInfo &info = doc->Info();
        info.SetAuthor(kAuthor);
        info.SetCreationDate(std::floor(plat::Now()));
        info.SetCreator(kCreator);
        info.SetSubject(kSubject);
        info.SetTitle(kTitle);
        doc->SetDefaultPaperSize(PdfPaperSize(paperType_));
        doc->SetDefaultPageWidth(ConvertX(paperWidth_, units_, mmPoints));
        doc->SetDefaultPageHeight(ConvertY(paperHeight_, units_, mmPoints));
        doc->AddPage();
        // Without pages the file still holds one empty page of the paper.
        std::exception_ptr drawing;
        if (plat::TMetafile *page = Pages(1)) {
            try {
                doc->Canvas().RenderMetaFile(*page, 0, 0, 1.0);
            } catch (...) {
                drawing = std::current_exception();
            }
        }
        // What was drawn is saved; then a failure of either step reaches
        // the caller, so an incomplete file never passes for a good one.
        if (!doc->SaveToFile(fileName))
            throw UnwritableFile(fileName);
        if (drawing)
            std::rethrow_exception(drawing);
    } catch (...) {
        doc.reset();
        ChangeState(psReady);
        throw;
    }
    doc.reset();
    ChangeState(psReady);
}

} // namespace zibor::preview
