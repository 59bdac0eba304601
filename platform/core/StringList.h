#pragma once
// Lists of text lines. TStrings holds the operations every line list shares
// (text, files, search); TStringList keeps its lines in memory and is what
// the program's hidden text lists and data files use.
//
// Files are Windows-1252 with CRLF line ends. Loading also accepts LF and CR
// line ends, and a file that starts with a UTF-8 byte-order mark is read as
// UTF-8. Text joins the lines with CRLF after every line; setting Text splits
// at CRLF, LF or CR, and a final line end does not add an empty line.
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/core/Types.h"

#include <vector>

namespace plat {

class TStrings {
public:
    virtual ~TStrings() = default;

    virtual int Count() const = 0;
    // Line i (0-based); EListError "List index out of bounds (i)" when there
    // is none.
    // (A const copy, so that "Strings(i) = x" does not compile and silently
    // change nothing; use SetStrings.)
    const String Strings(int i) const { return Get(i); }
    // Assigning line i where the list is shorter first extends it with empty
    // lines. A negative index raises EListError.
    void SetStrings(int i, const String &s) { Put(i, s); }
    const String operator[](int i) const { return Get(i); }

    int Add(const String &s);
    virtual void Insert(int i, const String &s) = 0;
    virtual void Delete(int i) = 0;
    virtual void Clear() = 0;
    void Assign(const TStrings &other);
    void AddStrings(const TStrings &other);
    // First line equal to s, ignoring case (all letters); -1 when none.
    virtual int IndexOf(const String &s) const;

    String Text() const;
    virtual void SetText(const String &text);

    // LoadFromFile raises EFOpenError when the file cannot be opened.
    // SaveToFile replaces the file atomically; it raises EFCreateError
    // "Cannot create file ..." when the file cannot be created (missing
    // folder, no write access) and EWriteError when writing fails after that.
    virtual void LoadFromFile(const String &fileName);
    virtual void SaveToFile(const String &fileName) const;
    // From the stream's position to its end; to the stream's position.
    virtual void LoadFromStream(TStream &stream);
    virtual void SaveToStream(TStream &stream) const;

    // Set by every change of the lines; cleared by a successful load and by
    // the owner (the program marks a list not modified once it is stored).
    bool Modified() const { return modified_; }
    void SetModified(bool m) { modified_ = m; }

protected:
    virtual String Get(int i) const = 0;
    virtual void Put(int i, const String &s) = 0;
    void Changed() { modified_ = true; }
    [[noreturn]] static void IndexError(int i);

private:
    bool modified_ = false;
};

class TStringList : public TStrings {
public:
    TStringList() = default;
    TStringList(const TStringList &other);
    TStringList &operator=(const TStringList &other);

    int Count() const override { return static_cast<int>(lines_.size()); }
    void Insert(int i, const String &s) override;
    void Delete(int i) override;
    void Clear() override;
    void SetText(const String &text) override;
    const std::vector<String> &Lines() const { return lines_; }

protected:
    String Get(int i) const override;
    void Put(int i, const String &s) override;

private:
    std::vector<String> lines_;
};

// Splits text into lines at CRLF, LF or CR (shared with other line lists).
std::vector<String> SplitLines(const String &text);

} // namespace plat
