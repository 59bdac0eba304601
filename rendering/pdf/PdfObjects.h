#pragma once
// The PDF object tree: values, arrays, dictionaries, streams, and the
// cross-reference table that owns every indirect object.
//
// Ownership follows the file's structure: an array or dictionary owns the
// direct objects put into it; an indirect object belongs to its
// cross-reference entry, and containers refer to it through a
// TPdfVirtualObject of their own. Objects are handed over as raw pointers;
// a container that raises keeps nothing of what it was given.
#include "rendering/pdf/PdfWrite.h"
#include "rendering/pdf/TextRoutines.h"
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TPdfDocument;
class TPdfObjectMgr;

enum class TPdfObjectType : uint8_t { otDirectObject = 0, otIndirectObject = 1, otVirtualObject = 2 };

class TPdfObject {
public:
    TPdfObject() = default;
    virtual ~TPdfObject() = default;
    TPdfObject(const TPdfObject &) = delete;
    TPdfObject &operator=(const TPdfObject &) = delete;

    // An indirect (or virtual) object as "n g R", any other by its value.
    void WriteTo(TPdfWrite &writer);
    // "n g obj" LF value LF "endobj" LF; only for indirect objects.
    void WriteValueTo(TPdfWrite &writer);

    TPdfObjectType ObjectType() const { return type_; }
    int32_t ObjectNumber() const { return number_; }
    // Below 1 the object is direct again; 1 or more makes it indirect.
    void SetObjectNumber(int32_t number);
    int32_t GenerationNumber() const { return generation_; }
    // Held by an array or dictionary (so not free to become indirect).
    bool IsHeld() const { return held_; }

protected:
    virtual void InternalWriteTo(TPdfWrite &) {}
    void MakeVirtual(int32_t number)
    {
        type_ = TPdfObjectType::otVirtualObject;
        number_ = number;
    }

private:
    friend class TPdfArray;
    friend class TPdfDictionaryElement;
    TPdfObjectType type_ = TPdfObjectType::otDirectObject;
    int32_t number_ = -1;
    int32_t generation_ = 0;
    bool held_ = false;
};

// Stands for the indirect object with its number; written as a reference.
class TPdfVirtualObject : public TPdfObject {
public:
    explicit TPdfVirtualObject(int32_t number) { MakeVirtual(number); }
};

class TPdfNull : public TPdfObject {
protected:
    void InternalWriteTo(TPdfWrite &writer) override;
};

class TPdfNumber : public TPdfObject {
public:
    explicit TPdfNumber(int32_t value = 0) : value_(value) {}
    int32_t Value() const { return value_; }
    void SetValue(int32_t value) { value_ = value; }

protected:
    void InternalWriteTo(TPdfWrite &writer) override;

private:
    int32_t value_;
};

class TPdfReal : public TPdfObject {
public:
    explicit TPdfReal(double value = 0) : value_(value) {}
    double Value() const { return value_; }
    void SetValue(double value) { value_ = value; }

protected:
    void InternalWriteTo(TPdfWrite &writer) override;

private:
    double value_;
};

// 8-bit text in the document's code page, written as a literal string.
class TPdfText : public TPdfObject {
public:
    explicit TPdfText(std::string value = std::string()) : value_(std::move(value)) {}
    const std::string &Value() const { return value_; }
    void SetValue(std::string value) { value_ = std::move(value); }

protected:
    void InternalWriteTo(TPdfWrite &writer) override;

private:
    std::string value_;
};

// Written unchanged, without delimiters.
class TPdfRawText : public TPdfText {
public:
    using TPdfText::TPdfText;

protected:
    void InternalWriteTo(TPdfWrite &writer) override;
};

class TPdfName : public TPdfText {
public:
    using TPdfText::TPdfText;

protected:
    void InternalWriteTo(TPdfWrite &writer) override;
};

class TPdfObjectMgr {
public:
    virtual ~TPdfObjectMgr() = default;
    virtual void AddObject(TPdfObject *object) = 0;
    virtual TPdfObject *GetObject(int32_t number) = 0;
};

class TPdfArray : public TPdfObject {
public:
    explicit TPdfArray(TPdfObjectMgr *objectMgr = nullptr) : mgr_(objectMgr) {}
    static TPdfArray *CreateNumArray(TPdfObjectMgr *objectMgr, const std::vector<int32_t> &values);
    static TPdfArray *CreateWordArray(TPdfObjectMgr *objectMgr, const std::vector<uint16_t> &values);
    static TPdfArray *CreateNameArray(TPdfObjectMgr *objectMgr, const std::vector<std::string> &names);

    // Takes a direct object (ignored when already a member); an indirect one
    // is referred to.
    void AddItem(TPdfObject *item);
    int ItemCount() const { return static_cast<int>(items_.size()); }
    // The member, a reference resolved through the object manager.
    TPdfObject *Items(int index) const;
    TPdfName *FindName(std::string_view name) const;
    bool RemoveName(std::string_view name);
    TPdfObjectMgr *ObjectMgr() const { return mgr_; }

protected:
    void InternalWriteTo(TPdfWrite &writer) override;

private:
    std::vector<std::unique_ptr<TPdfObject>> items_;
    TPdfObjectMgr *mgr_;
};

class TPdfDictionaryElement {
public:
    // Takes the value as TPdfArray::AddItem does; a missing value raises.
    TPdfDictionaryElement(std::string_view key, TPdfObject *value, bool hidden = false);
    const std::string &Key() const { return key_->Value(); }
    TPdfName &KeyName() { return *key_; }
    // The value as held: a TPdfVirtualObject for an indirect one.
    TPdfObject *Value() const { return value_.get(); }
    bool IsHidden() const { return hidden_; }
    void SetHidden(bool hidden) { hidden_ = hidden; }

private:
    std::unique_ptr<TPdfName> key_;
    std::unique_ptr<TPdfObject> value_;
    bool hidden_;
};

class TPdfDictionary : public TPdfObject {
public:
    explicit TPdfDictionary(TPdfObjectMgr *objectMgr = nullptr) : mgr_(objectMgr) {}

    // Replaces an element with the same key; the new one goes to the end.
    void AddItem(std::string_view key, TPdfObject *value, bool hidden = false);
    void AddItem(std::string_view key, int32_t value) { AddItem(key, new TPdfNumber(value)); }
    void AddNameItem(std::string_view key, std::string name) { AddItem(key, new TPdfName(std::move(name))); }
    // The value, a reference resolved through the object manager; nullptr when
    // the key is absent or a reference cannot be resolved.
    TPdfObject *ValueByName(std::string_view key) const;
    template <typename T> T *ValueAs(std::string_view key) const { return dynamic_cast<T *>(ValueByName(key)); }
    TPdfDictionaryElement *ItemByName(std::string_view key) const;
    bool RemoveItem(std::string_view key);
    // Text of the "Type" value, empty when there is none.
    std::string TypeOf() const;
    int ItemCount() const { return static_cast<int>(items_.size()); }
    TPdfDictionaryElement &Items(int index) const { return *items_[index]; }
    TPdfObjectMgr *ObjectMgr() const { return mgr_; }
    void SetObjectMgr(TPdfObjectMgr *objectMgr) { mgr_ = objectMgr; }

protected:
    void InternalWriteTo(TPdfWrite &writer) override;

private:
    std::vector<std::unique_ptr<TPdfDictionaryElement>> items_;
    TPdfObjectMgr *mgr_;
};

// Content written through its writer into memory; compressed on output when
// its filter list holds FlateDecode and it is 100 bytes or longer.
class TPdfStream : public TPdfObject {
public:
    static constexpr int64_t CompressThreshold = 100;
    static constexpr int CompressLevel = 7;

    // Registers with the document's cross-reference table unless told not
    // to, and takes the document's compression method and code page. A
    // registered stream belongs to the table, so it is made with new.
    explicit TPdfStream(TPdfDocument &document, bool dontAddToXref = false);
    // The same without a document.
    TPdfStream(TPdfObjectMgr *objectMgr, bool deflate, int codePage, bool addToXref);
    ~TPdfStream() override;

    TPdfDictionary &Attributes() { return *attributes_; }
    TPdfArray &Filter() { return *filter_; }
    TPdfWrite &Writer() { return *writer_; }
    THeapMemoryStream &Data() { return *data_; }
    // For content that recurs from document to document (pictures): its
    // compressed form is kept and reused (CompressMemReused).
    void SetCompressionReused(bool on) { compressionReused_ = on; }

protected:
    void InternalWriteTo(TPdfWrite &writer) override;

private:
    void Init(TPdfObjectMgr *objectMgr, bool deflate, int codePage, bool addToXref);
    std::unique_ptr<TPdfDictionary> attributes_;
    TPdfArray *filter_ = nullptr;  // held by attributes_ under "Filter"
    std::unique_ptr<THeapMemoryStream> data_;
    std::unique_ptr<TPdfWrite> writer_;
    bool compressionReused_ = false;
};

class TPdfXObject : public TPdfStream {
public:
    using TPdfStream::TPdfStream;
};

class TPdfXrefEntry {
public:
    // Type "n" owns the object.
    TPdfXrefEntry(TPdfObject *object, std::string entryType, int32_t generation)
        : object_(object), type_(std::move(entryType)), generation_(generation)
    {
    }
    TPdfObject *Value() const { return object_.get(); }
    const std::string &EntryType() const { return type_; }
    int32_t ByteOffset() const { return offset_; }
    void SetByteOffset(int32_t offset) { offset_ = offset; }
    int32_t GenerationNumber() const { return generation_; }
    // One 20-byte table line.
    void SaveToPdfWrite(TPdfWrite &writer) const;

private:
    std::unique_ptr<TPdfObject> object_;
    std::string type_;
    int32_t offset_ = -1;
    int32_t generation_;
};

class TPdfXref : public TPdfObjectMgr {
public:
    // Starts with the free head, entry 0.
    TPdfXref();
    ~TPdfXref() override;
    void AddObject(TPdfObject *object) override;
    TPdfObject *GetObject(int32_t number) override;
    int ItemCount() const { return static_cast<int>(entries_.size()); }
    TPdfXrefEntry &Items(int index) { return *entries_[index]; }
    // "xref" LF "0 n" LF and the lines, entry 0 first.
    void WriteTo(TPdfWrite &writer) const;

private:
    std::vector<std::unique_ptr<TPdfXrefEntry>> entries_;
};

class TPdfTrailer {
public:
    explicit TPdfTrailer(TPdfObjectMgr *objectMgr);
    TPdfDictionary &Attributes() { return *attributes_; }
    int32_t XrefAddress() const { return xrefAddress_; }
    void SetXrefAddress(int32_t address) { xrefAddress_ = address; }
    // "trailer" LF dictionary LF "startxref" LF address LF "%%EOF" LF.
    void WriteTo(TPdfWrite &writer);

private:
    std::unique_ptr<TPdfDictionary> attributes_;
    int32_t xrefAddress_ = 0;
};
