#include "platform/core/StringList.h"
#include "platform/core/Files.h"
#include "platform/core/Text.h"

namespace plat {

std::vector<String> SplitLines(const String &text)
{
    std::vector<String> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// ----------------------------------------------------------------- TStrings

void TStrings::IndexError(int i)
{
    throw EListError("List index out of bounds (" + IntToStr(i) + ")");
}

int TStrings::Add(const String &s)
{
    const int n = Count();
    Insert(n, s);
    return n;
}

void TStrings::Assign(const TStrings &other)
{
    if (&other == this)
        return;
    Clear();
    AddStrings(other);
}

void TStrings::AddStrings(const TStrings &other)
{
    const int n = other.Count();
    for (int i = 0; i < n; ++i)
        Add(other.Strings(i));
}

int TStrings::IndexOf(const String &s) const
{
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (AnsiSameText(Get(i), s))
            return i;
    return -1;
}

String TStrings::Text() const
{
    String t;
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        t += Get(i);
        t += "\r\n";
    }
    return t;
}

void TStrings::SetText(const String &text)
{
    Clear();
    for (const String &line : SplitLines(text))
        Add(line);
}

void TStrings::LoadFromStream(TStream &stream)
{
    const int64_t count = std::max<int64_t>(0, stream.Size() - stream.Position());
    std::string bytes(static_cast<size_t>(count), '\0');
    if (count > 0)
        stream.ReadBuffer(bytes.data(), count);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        SetText(bytes.substr(3));
    else
        SetText(AnsiToUtf8(bytes));
}

void TStrings::SaveToStream(TStream &stream) const
{
    const std::string bytes = Utf8ToAnsi(Text());
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TStrings::LoadFromFile(const String &fileName)
{
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
    SetModified(false);
}

void TStrings::SaveToFile(const String &fileName) const
{
    std::string why;
    switch (AtomicReplaceFile(fileName, Utf8ToAnsi(Text()), &why)) {
    case TWriteResult::Ok:
        return;
    case TWriteResult::CannotCreate:
        throw EFCreateError("Cannot create file \"" + fileName + "\". " + why);
    case TWriteResult::WriteFailed:
        throw EWriteError("Stream write error");
    }
}

// -------------------------------------------------------------- TStringList

TStringList::TStringList(const TStringList &other) : TStrings(), lines_(other.lines_)
{
    SetModified(other.Modified());
}

TStringList &TStringList::operator=(const TStringList &other)
{
    if (this != &other) {
        lines_ = other.lines_;
        Changed();
    }
    return *this;
}

String TStringList::Get(int i) const
{
    if (i < 0 || i >= Count())
        IndexError(i);
    return lines_[static_cast<size_t>(i)];
}

void TStringList::Put(int i, const String &s)
{
    if (i < 0)
        IndexError(i);
    if (i >= Count())
        lines_.resize(static_cast<size_t>(i) + 1);
    lines_[static_cast<size_t>(i)] = s;
    Changed();
}

void TStringList::Insert(int i, const String &s)
{
    if (i < 0 || i > Count())
        IndexError(i);
    lines_.insert(lines_.begin() + i, s);
    Changed();
}

void TStringList::Delete(int i)
{
    if (i < 0 || i >= Count())
        IndexError(i);
    lines_.erase(lines_.begin() + i);
    Changed();
}

void TStringList::Clear()
{
    lines_.clear();
    Changed();
}

void TStringList::SetText(const String &text)
{
    lines_ = SplitLines(text);
    Changed();
}

} // namespace plat
