// The compiled-in assets: lookup by type and name ignoring case, the error for
// a missing one, and every entry of tools/resources.txt present and decodable
// in the format the program expects of it.
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLibraryInfo>
#include <QProcess>
#include <QResource>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using plat::FindResourceBytes;
using plat::TResourceStream;

namespace {

using Bytes = std::vector<uint8_t>;

std::string Trim(const std::string &s)
{
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

struct Asset {
    int line = 0;
    std::string name, folder, size, look, text;
};

std::vector<Asset> ReadTable()
{
    std::ifstream in(ZIBOR_SOURCE_DIR "/tools/resources.txt");
    std::vector<Asset> table;
    std::string raw;
    int no = 0;
    while (std::getline(in, raw)) {
        ++no;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> cols;
        std::stringstream ss(line);
        for (std::string col; std::getline(ss, col, '|');)
            cols.push_back(Trim(col));
        if (cols.size() != 5) {
            ADD_FAILURE() << "resources.txt:" << no << ": " << cols.size() << " columns";
            continue;
        }
        table.push_back({no, cols[0], cols[1], cols[2], cols[3], cols[4]});
    }
    return table;
}

const std::vector<Asset> &Table()
{
    static const std::vector<Asset> table = ReadTable();
    return table;
}

const Asset *FindAsset(const std::string &name)
{
    for (const Asset &a : Table())
        if (a.name == name)
            return &a;
    return nullptr;
}

QSize ParseSize(const std::string &s)
{
    const auto x = s.find('x');
    return {std::stoi(s.substr(0, x)), std::stoi(s.substr(x + 1))};
}

uint16_t U16(const Bytes &b, size_t at) { return static_cast<uint16_t>(b.at(at) | b.at(at + 1) << 8); }
uint32_t U32(const Bytes &b, size_t at) { return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16; }
std::string Tag(const Bytes &b, size_t at) { return std::string(reinterpret_cast<const char *>(&b.at(at)), 4); }

Bytes Need(const std::string &type, const std::string &name)
{
    Bytes bytes;
    EXPECT_TRUE(FindResourceBytes(type, name, bytes)) << type << " " << name;
    return bytes;
}

Bytes SourceFile(const std::string &relative)
{
    QFile f(QString::fromStdString(ZIBOR_SOURCE_DIR "/resources/" + relative));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.readAll();
    return Bytes(data.begin(), data.end());
}

// ---------------------------------------------------------------- lookup

struct LookupCase {
    const char *type, *name;
    const char *stored; // file under resources/, or nullptr when nothing is to be found
};

class ResourceLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(ResourceLookup, FindsTheStoredFileIgnoringCase)
{
    const LookupCase &c = GetParam();
    Bytes bytes;
    const bool found = FindResourceBytes(c.type, c.name, bytes);
    if (!c.stored) {
        EXPECT_FALSE(found);
        return;
    }
    ASSERT_TRUE(found);
    const Bytes expected = SourceFile(c.stored);
    ASSERT_FALSE(expected.empty()) << c.stored;
    EXPECT_EQ(bytes, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ResourceLookup,
    ::testing::Values(
        // The program builds prompt names in mixed case; they are stored in upper case.
        LookupCase{"WAV", "FWn01", "wav/FWN01.wav"}, LookupCase{"WAV", "FVn05", "wav/FVN05.wav"},
        LookupCase{"wav", "FWv01a", "wav/FWV01A.wav"}, LookupCase{"wav", "FWAi12b", "wav/FWAI12B.wav"},
        LookupCase{"wav", "FWBi01a", "wav/FWBI01A.wav"}, LookupCase{"WAV", "FVAi01", "wav/FVAI01.wav"},
        LookupCase{"WAV", "fvbi12", "wav/FVBI12.wav"},
        // And the reverse: a mixed-case name asked for in other cases.
        LookupCase{"WAV", "START", "wav/Start.wav"}, LookupCase{"WAV", "tstop", "wav/Tstop.wav"},
        LookupCase{"gif", "BTNTHRED", "gif/BtnTHred.gif"}, LookupCase{"GIF", "btnspkon", "gif/BtnSpkOn.gif"},
        LookupCase{"jpg", "zibbckgr1", "jpg/ZIBbckgr1.jpg"}, LookupCase{"JPG", "BLK", "jpg/blk.jpg"},
        LookupCase{"cursor", "CURSOR_hand", "cursor/CURSOR_HAND.cur"},
        LookupCase{"Cursor", "CRZIBOR_BUSY", "cursor/crZIBOR_busy.ani"},
        LookupCase{"icon", "mainicon", "icon/MAINICON.ico"},
        // A name under another type, an item that does not exist, a file
        // name with its extension, and names that try to reach elsewhere.
        LookupCase{"gif", "FWN01", nullptr}, LookupCase{"WAV", "BtnNTon", nullptr},
        LookupCase{"WAV", "FWAi13a", nullptr}, LookupCase{"WAV", "FWN01.wav", nullptr},
        LookupCase{"wav", "../gif/BtnNTon", nullptr}, LookupCase{"gif/../wav", "FWN01", nullptr},
        LookupCase{"", "wav/FWN01", nullptr}, LookupCase{"WAV", "", nullptr},
        LookupCase{"WAV ", "FWN01", nullptr}));

TEST(ResourceStream, MissingRaisesResourceNotFoundWithTheName)
{
    try {
        TResourceStream s("WAV", "FWAi13a");
        FAIL() << "no error";
    } catch (const plat::EResNotFound &e) {
        EXPECT_EQ(e.Message, "Resource FWAi13a not found");
    }
    // Not a stream or conversion error: callers tell them apart by type.
    EXPECT_THROW(TResourceStream("gif", "Start"), plat::EResNotFound);
}

TEST(ResourceStream, ReadsTheWholeResourceAndRefusesWrites)
{
    TResourceStream s("WAV", "fwv01a");
    const Bytes expected = SourceFile("wav/FWV01A.wav");
    ASSERT_EQ(s.Size(), static_cast<int64_t>(expected.size()));
    char riff[4];
    s.ReadBuffer(riff, 4);
    EXPECT_EQ(std::string(riff, 4), "RIFF");
    s.SetPosition(s.Size() - 2);
    uint8_t tail[8];
    EXPECT_EQ(s.Read(tail, 8), 2);
    EXPECT_EQ(tail[1], expected.back());
    EXPECT_THROW(s.Write("x", 1), plat::EStreamError);
    EXPECT_EQ(s.Size(), static_cast<int64_t>(expected.size()));
}

// Resources registered after the first lookup (another library's static
// initialisation running later) must still be found.
TEST(ResourceLookup, FindsResourcesRegisteredAfterAMiss)
{
    const QString rcc = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + "/rcc";
    if (!QFile::exists(rcc))
        GTEST_SKIP() << "no resource compiler at " << rcc.toStdString();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath("wav"));
    {
        QFile f(dir.filePath("wav/LATEPROMPT.wav"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("late");
        QFile qrc(dir.filePath("late.qrc"));
        ASSERT_TRUE(qrc.open(QIODevice::WriteOnly));
        qrc.write("<RCC><qresource prefix=\"/\"><file>wav/LATEPROMPT.wav</file></qresource></RCC>");
    }
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(rcc, {"--binary", "late.qrc", "-o", "late.rcc"});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    Bytes bytes;
    EXPECT_FALSE(FindResourceBytes("WAV", "LatePrompt", bytes));
    ASSERT_TRUE(QResource::registerResource(dir.filePath("late.rcc")));
    EXPECT_TRUE(FindResourceBytes("WAV", "LatePrompt", bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "late");
    // Still finds the program's own after the index was rebuilt.
    EXPECT_TRUE(FindResourceBytes("WAV", "FWn01", bytes));
    QResource::unregisterResource(dir.filePath("late.rcc"));
    EXPECT_FALSE(FindResourceBytes("WAV", "LatePrompt", bytes));
}

// ---------------------------------------------------------------- the table

TEST(ResourceTable, EveryCompiledInAssetIsListedAndEveryListedOneIsThere)
{
    ASSERT_GT(Table().size(), 100u);
    std::set<std::string> listed;
    for (const Asset &a : Table()) {
        EXPECT_TRUE(listed.insert(a.folder + "/" + QString::fromStdString(a.name).toLower().toStdString()).second)
            << "line " << a.line << ": " << a.name << " twice";
        Bytes bytes;
        EXPECT_TRUE(FindResourceBytes(a.folder, a.name, bytes)) << a.folder << "/" << a.name;
    }
    for (const char *folder : {"wav", "gif", "jpg", "cursor", "icon"}) {
        QDirIterator it(QStringLiteral(":/") + folder);
        while (it.hasNext()) {
            it.next();
            const std::string key = std::string(folder) + "/" + it.fileInfo().completeBaseName().toLower().toStdString();
            EXPECT_TRUE(listed.count(key)) << "not in resources.txt: " << it.filePath().toStdString();
        }
    }
}

// The subtest windows know one length per entry whatever the form, so the
// two forms' prompts of an item must agree, and a few of them are pinned to
// the windows' own figures.
TEST(ResourceTable, PromptLengthsMatchTheSubtestWindows)
{
    for (const Asset &a : Table()) {
        if (a.name.rfind("FWAI", 0) == 0 || a.name.rfind("FVAI", 0) == 0) {
            const std::string twin = a.name.substr(0, 2) + "B" + a.name.substr(3);
            const Asset *b = FindAsset(twin);
            ASSERT_NE(b, nullptr) << twin;
            EXPECT_EQ(a.size, b->size) << a.name << " and " << twin;
        }
    }
    const std::map<std::string, double> pinned = {
        {"FWV01A", 2.38}, {"FWV02B", 3.168}, {"FWAI01A", 2.725}, {"FWAI02A", 2.1},
        {"FWBI12B", 3.2}, {"FVAI01", 6.339}, {"FVBI08", 5.743}, {"FVBI11", 7.465}};
    for (const auto &[name, seconds] : pinned) {
        const Asset *a = FindAsset(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_DOUBLE_EQ(std::stod(a->size), seconds) << name;
    }
    for (const auto &[name, size] : std::map<std::string, QSize>{
             {"ZIBbckgr1", {800, 600}}, {"ZIBsplash", {800, 600}}, {"blk", {800, 600}},
             {"TPPheader", {778, 362}}, {"TPPfooter", {1200, 543}},
             {"TTROheader", {600, 265}}, {"TTROfooter", {1000, 44}}}) {
        const Asset *a = FindAsset(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(ParseSize(a->size), size) << name;
    }
}

// ---------------------------------------------------------------- decoding

struct Wave {
    uint32_t rate = 0, samples = 0;
    int peak = 0, tailPeak = 0; // largest magnitude overall and in the last 20 ms
};

// Canonical layout only: "fmt " right after "WAVE", then "data" to the end.
Wave ParseWave(const Bytes &b, const std::string &name)
{
    Wave w;
    EXPECT_GE(b.size(), 44u) << name;
    if (b.size() < 44)
        return w;
    EXPECT_EQ(Tag(b, 0), "RIFF") << name;
    EXPECT_EQ(U32(b, 4), b.size() - 8) << name;
    EXPECT_EQ(Tag(b, 8), "WAVE") << name;
    EXPECT_EQ(Tag(b, 12), "fmt ") << name;
    EXPECT_EQ(U32(b, 16), 16u) << name;
    EXPECT_EQ(U16(b, 20), 1) << name << ": not PCM";
    EXPECT_EQ(U16(b, 22), 1) << name << ": not mono";
    w.rate = U32(b, 24);
    EXPECT_TRUE(w.rate == 16000 || w.rate == 22050) << name << ": " << w.rate << " Hz";
    EXPECT_EQ(U32(b, 28), w.rate * 2) << name << ": byte rate";
    EXPECT_EQ(U16(b, 32), 2) << name << ": block align";
    EXPECT_EQ(U16(b, 34), 16) << name << ": bits";
    EXPECT_EQ(Tag(b, 36), "data") << name;
    EXPECT_EQ(U32(b, 40), b.size() - 44) << name << ": data size";
    w.samples = static_cast<uint32_t>((b.size() - 44) / 2);
    const uint32_t tail = w.rate / 50;
    for (uint32_t i = 0; i < w.samples; ++i) {
        const int v = std::abs(static_cast<int16_t>(U16(b, 44 + 2 * i)));
        w.peak = std::max(w.peak, v);
        if (i + tail >= w.samples)
            w.tailPeak = std::max(w.tailPeak, v);
    }
    return w;
}

// Frames of a cursor or icon container: each image's hotspot (cursors) and
// the image QImage decodes from it.
struct IconImage {
    int width = 0, height = 0, word1 = 0, word2 = 0;
    QImage image;
};

std::vector<IconImage> ParseIconContainer(const Bytes &b, int type, const std::string &name)
{
    std::vector<IconImage> out;
    EXPECT_GE(b.size(), 22u) << name;
    if (b.size() < 22)
        return out;
    EXPECT_EQ(U16(b, 0), 0) << name;
    EXPECT_EQ(U16(b, 2), type) << name;
    const int count = U16(b, 4);
    for (int i = 0; i < count; ++i) {
        const size_t e = 6 + 16 * static_cast<size_t>(i);
        IconImage img;
        img.width = b.at(e) ? b.at(e) : 256;
        img.height = b.at(e + 1) ? b.at(e + 1) : 256;
        img.word1 = U16(b, e + 4);
        img.word2 = U16(b, e + 6);
        const uint32_t length = U32(b, e + 8), offset = U32(b, e + 12);
        EXPECT_LE(static_cast<size_t>(offset) + length, b.size()) << name << ": image " << i;
        // The DIB itself: a BITMAPINFOHEADER with the doubled height.
        EXPECT_EQ(U32(b, offset), 40u) << name;
        EXPECT_EQ(static_cast<int>(U32(b, offset + 4)), img.width) << name;
        EXPECT_EQ(static_cast<int>(U32(b, offset + 8)), 2 * img.height) << name;
        out.push_back(img);
    }
    QByteArray data(reinterpret_cast<const char *>(b.data()), static_cast<qsizetype>(b.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, type == 2 ? "cur" : "ico");
    for (size_t i = 0; i < out.size(); ++i) {
        EXPECT_TRUE(reader.jumpToImage(static_cast<int>(i)) || i == 0) << name;
        out[i].image = reader.read();
        EXPECT_FALSE(out[i].image.isNull()) << name << ": image " << i << ": " << reader.errorString().toStdString();
    }
    return out;
}

std::vector<Bytes> AniFrames(const Bytes &b, uint32_t &rate, const std::string &name)
{
    std::vector<Bytes> frames;
    EXPECT_EQ(Tag(b, 0), "RIFF") << name;
    EXPECT_EQ(U32(b, 4), b.size() - 8) << name;
    EXPECT_EQ(Tag(b, 8), "ACON") << name;
    uint32_t declared = 0, flags = 0;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string tag = Tag(b, at);
        const uint32_t size = U32(b, at + 4);
        if (tag == "anih") {
            EXPECT_EQ(size, 36u) << name;
            declared = U32(b, at + 8 + 4);
            rate = U32(b, at + 8 + 28);
            flags = U32(b, at + 8 + 32);
        } else if (tag == "LIST" && Tag(b, at + 8) == "fram") {
            for (size_t f = at + 12; f + 8 <= at + 8 + size;) {
                EXPECT_EQ(Tag(b, f), "icon") << name;
                const uint32_t n = U32(b, f + 4);
                frames.emplace_back(b.begin() + static_cast<long>(f + 8), b.begin() + static_cast<long>(f + 8 + n));
                f += 8 + n + (n & 1);
            }
        }
        at += 8 + size + (size & 1);
    }
    EXPECT_EQ(declared, frames.size()) << name;
    EXPECT_EQ(flags & 1, 1u) << name << ": frames must be marked as cursor files";
    return frames;
}

std::pair<int, int> Hotspot(const Asset &a)
{
    int x = -1, y = -1;
    EXPECT_EQ(std::sscanf(a.text.c_str(), "hotspot %d,%d", &x, &y), 2) << a.name;
    return {x, y};
}

void CheckCursorImages(const std::vector<IconImage> &images, const Asset &a)
{
    ASSERT_EQ(images.size(), 1u) << a.name;
    const auto [hx, hy] = Hotspot(a);
    EXPECT_EQ(QSize(images[0].width, images[0].height), ParseSize(a.size)) << a.name;
    EXPECT_EQ(images[0].word1, hx) << a.name;
    EXPECT_EQ(images[0].word2, hy) << a.name;
    EXPECT_EQ(images[0].image.size(), ParseSize(a.size)) << a.name;
    // A cursor that is all clear, or without any clear pixel, is drawn wrong.
    int clear = 0;
    for (int y = 0; y < images[0].image.height(); ++y)
        for (int x = 0; x < images[0].image.width(); ++x)
            clear += qAlpha(images[0].image.pixel(x, y)) == 0;
    EXPECT_GT(clear, 0) << a.name;
    EXPECT_LT(clear, images[0].image.width() * images[0].image.height()) << a.name;
}

void CheckAsset(const Asset &a)
{
    SCOPED_TRACE("resources.txt line " + std::to_string(a.line) + ": " + a.name);
    const Bytes b = Need(a.folder, a.name);
    ASSERT_FALSE(b.empty());
    if (a.folder == "wav") {
        const Wave w = ParseWave(b, a.name);
        if (w.rate == 0)
            return;
        if (a.size == "-") {
            EXPECT_GT(w.samples, w.rate / 2) << "natural length";
        } else {
            const double expected = std::stod(a.size) * w.rate;
            EXPECT_LE(std::fabs(w.samples - expected), 1.0) << w.samples << " samples, " << a.size << " s";
        }
        EXPECT_GT(w.peak, 3000) << "silent";
        if (a.look == "speech") {
            EXPECT_LT(w.tailPeak, 64) << "speech runs to the very end: cut off";
        }
    } else if (a.folder == "gif" || a.folder == "jpg") {
        const QImage img = QImage::fromData(b.data(), static_cast<int>(b.size()), a.folder == "gif" ? "GIF" : "JPEG");
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.size(), ParseSize(a.size));
        const QRgb corner = img.pixel(0, 0), centre = img.pixel(img.width() / 2, img.height() / 2);
        if (a.look == "notice") {
            // The notice window shows everything but aqua.
            EXPECT_EQ(corner, qRgb(0, 255, 255));
        } else if (a.folder == "gif") {
            // Rounded pictures sit on backgrounds of every colour.
            EXPECT_EQ(qAlpha(corner), 0) << "corner not transparent";
        }
        EXPECT_EQ(qAlpha(centre), 255);
    } else if (a.folder == "cursor") {
        if (Tag(b, 0) == "RIFF") {
            uint32_t rate = 0;
            const auto frames = AniFrames(b, rate, a.name);
            EXPECT_GE(frames.size(), 2u) << "an animated cursor";
            EXPECT_GT(rate, 0u);
            for (const Bytes &f : frames)
                CheckCursorImages(ParseIconContainer(f, 2, a.name), a);
        } else {
            CheckCursorImages(ParseIconContainer(b, 2, a.name), a);
        }
    } else if (a.folder == "icon") {
        const auto images = ParseIconContainer(b, 1, a.name);
        std::set<int> sizes;
        for (const IconImage &img : images) {
            EXPECT_EQ(img.width, img.height);
            EXPECT_EQ(img.image.size(), QSize(img.width, img.height));
            sizes.insert(img.width);
        }
        std::set<int> listed;
        std::stringstream ss(a.size);
        for (std::string s; std::getline(ss, s, ',');)
            listed.insert(std::stoi(s));
        EXPECT_EQ(sizes, listed);
    } else {
        ADD_FAILURE() << "unknown folder " << a.folder;
    }
}

TEST(ResourceTable, EveryAssetDecodesAsListed)
{
    for (const Asset &a : Table())
        CheckAsset(a);
}

TEST(ResourceTable, BusyCursorActuallyAnimates)
{
    uint32_t rate = 0;
    const auto frames = AniFrames(Need("cursor", "crZIBOR_busy"), rate, "crZIBOR_busy");
    ASSERT_GE(frames.size(), 2u);
    const QImage first = ParseIconContainer(frames[0], 2, "frame 0").at(0).image;
    const QImage second = ParseIconContainer(frames[1], 2, "frame 1").at(0).image;
    EXPECT_NE(first, second);
}

} // namespace
