// Writes a 100-page document of generated drawing and text through the PDF
// writer and prints its throughput. Run by hand:
//   bench_pdf_write [output.pdf]
// The figures are the median of several rounds; each round builds the pages
// (content through the writer) and saves the whole file (deflate, objects,
// cross-reference table) into memory.
#include "rendering/pdf/PdfDoc.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr int kPages = 100;
constexpr int kRounds = 7;

class TBenchFont : public TPdfDictionaryWrapper {
public:
    explicit TBenchFont(TPdfDocument &doc)
    {
        auto *d = new TPdfDictionary(&doc.Xref());
        doc.Xref().AddObject(d);
        d->AddNameItem("Type", "Font");
        d->AddNameItem("Subtype", "Type1");
        d->AddNameItem("BaseFont", "Helvetica");
        d->AddNameItem("Encoding", "WinAnsiEncoding");
        SetData(d);
    }
};

// One report-like page: a header band, a score table with grid lines and
// figures, a curve, and running text.
void DrawPage(TPdfDocument &doc, const std::string &font, int pageNo)
{
    TPdfWrite &w = doc.Canvas().Contents()->Writer();
    w.Add("q\n").AddColor(plat::RGB(30, 60, 120)).Add("rg\n");
    w.AddWithSpace(28.35).AddWithSpace(780.0).AddWithSpace(538.58).AddWithSpace(40.0).Add("re\nf\n");
    w.Add("0.5 w\n").AddColor(plat::clBlack).Add("RG\n");
    for (int row = 0; row < 40; ++row) {
        const double y = 740.0 - row * 16.5;
        w.AddWithSpace(28.35).AddWithSpace(y).Add("m\n").AddWithSpace(566.93).AddWithSpace(y).Add("l\nS\n");
        w.Add("BT\n/").Add(font).Add(' ').AddWithSpace(9.0).Add("Tf\n");
        w.Add("1 0 0 1 ").AddWithSpace(32.0).AddWithSpace(y + 4.25).Add("Tm\n");
        w.Add("(Item ").Add(row + 1).Add(": tijd ").AddReal((row * 37 + pageNo * 11) % 997 / 10.0);
        w.Add(" s, score ").Add((row + pageNo) % 2).Add(") Tj\nET\n");
    }
    for (int i = 0; i < 20; ++i) {
        const double x = 60 + i * 24.0, y = 100 + (i * 13 + pageNo) % 60;
        w.AddWithSpace(x).AddWithSpace(y).Add("m\n");
        w.AddWithSpace(x + 8).AddWithSpace(y + 20).AddWithSpace(x + 16).AddWithSpace(y - 20)
            .AddWithSpace(x + 24).AddWithSpace(y).Add("c\nS\n");
    }
    w.Add("Q\n");
}

struct TRound {
    double ms;
    int64_t contentBytes;
    int64_t fileBytes;
};

TRound OneRound(std::string *keep, bool deflate)
{
    const auto start = std::chrono::steady_clock::now();
    TPdfDocument doc;
    if (!deflate) {
        doc.SetCompressionMethod(TPdfCompressionMethod::cmNone);
        doc.NewDoc();
    }
    doc.Info().SetTitle("Benchmark");
    const std::string font = doc.RegisterFont(std::make_unique<TBenchFont>(doc));
    TPdfDictionary *fontDict = doc.FontList().back()->Data();
    int64_t content = 0;
    for (int p = 0; p < kPages; ++p) {
        TPdfPage *page = doc.AddPage();
        page->ValueAs<TPdfDictionary>("Resources")->ValueAs<TPdfDictionary>("Font")->AddItem(font, fontDict);
        DrawPage(doc, font, p);
        content += doc.Canvas().Contents()->Writer().Position();
    }
    THeapMemoryStream out;
    doc.SaveToStream(out);
    const auto end = std::chrono::steady_clock::now();
    if (keep)
        keep->assign(reinterpret_cast<const char *>(out.Memory()), static_cast<size_t>(out.Size()));
    return {std::chrono::duration<double, std::milli>(end - start).count(), content, out.Size()};
}

TRound Median(bool deflate, std::string *keep)
{
    OneRound(nullptr, deflate);  // warm-up
    std::vector<TRound> rounds;
    for (int i = 0; i < kRounds; ++i)
        rounds.push_back(OneRound(i == 0 ? keep : nullptr, deflate));
    std::sort(rounds.begin(), rounds.end(), [](const TRound &a, const TRound &b) { return a.ms < b.ms; });
    return rounds[rounds.size() / 2];
}

void Print(const char *what, const TRound &r)
{
    const double seconds = r.ms / 1000.0;
    std::printf("%s: %d pages, content %.2f MB, file %.2f MB\n", what, kPages, r.contentBytes / 1e6,
                r.fileBytes / 1e6);
    std::printf("  median of %d rounds: %.1f ms, %.3f ms per page\n", kRounds, r.ms, r.ms / kPages);
    std::printf("  content throughput: %.1f MB/s; file output: %.1f MB/s\n", r.contentBytes / 1e6 / seconds,
                r.fileBytes / 1e6 / seconds);
}

} // namespace

int main(int argc, char **argv)
{
    std::string file;
    Print("compressed (as exported)", Median(true, &file));
    // The same without deflate: what the object model and writer cost alone.
    Print("uncompressed", Median(false, nullptr));
    if (argc > 1) {
        std::ofstream(argv[1], std::ios::binary) << file;
        std::printf("written: %s\n", argv[1]);
    }
    return 0;
}
