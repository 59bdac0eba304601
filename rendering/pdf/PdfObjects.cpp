#include "rendering/pdf/PdfObjects.h"
#include "rendering/pdf/PdfZip.h"

#include <algorithm>
#include <cstring>

namespace {

// What a container stores for an object it is given: a reference of its
// own for an indirect object, else the object itself, now held.
std::unique_ptr<TPdfObject> Adopt(TPdfObject *object, const char *operation)
{
    if (object->ObjectType() == TPdfObjectType::otIndirectObject)
        return std::make_unique<TPdfVirtualObject>(object->ObjectNumber());
    if (object->IsHeld())  // a second owner would free it twice
        throw EPdfInvalidOperation(operation);
    return std::unique_ptr<TPdfObject>(object);
}

TPdfObject *Resolve(TPdfObject *object, TPdfObjectMgr *mgr)
{
    if (object && object->ObjectType() == TPdfObjectType::otVirtualObject)
        return mgr ? mgr->GetObject(object->ObjectNumber()) : nullptr;
    return object;
}

} // namespace

// ---- objects -------------------------------------------------------------

void TPdfObject::WriteTo(TPdfWrite &writer)
{
    if (type_ != TPdfObjectType::otDirectObject)
        writer.AddWithSpace(number_).AddWithSpace(generation_).Add('R');
    else
        InternalWriteTo(writer);
}

void TPdfObject::WriteValueTo(TPdfWrite &writer)
{
    if (type_ != TPdfObjectType::otIndirectObject)
        throw EPdfInvalidOperation("WriteValueTo");
    writer.AddWithSpace(number_).AddWithSpace(generation_).Add("obj\n");
    InternalWriteTo(writer);
    writer.Add("\nendobj\n");
}

void TPdfObject::SetObjectNumber(int32_t number)
{
    number_ = number;
    if (type_ == TPdfObjectType::otVirtualObject)
        return;
    type_ = number < 1 ? TPdfObjectType::otDirectObject : TPdfObjectType::otIndirectObject;
}

void TPdfNull::InternalWriteTo(TPdfWrite &writer) { writer.Add("null"); }

void TPdfNumber::InternalWriteTo(TPdfWrite &writer) { writer.Add(value_); }

void TPdfReal::InternalWriteTo(TPdfWrite &writer) { writer.AddReal(value_); }

namespace {

// A viewer reads a literal text string in its own document encoding, which
// agrees with code page 1252 only below 0x80 and from 0xA1 on (but 0xAD).
// Any other byte would show as another character: the euro as a bullet.
bool ReadsTheSameLiterally(const std::string &text, int codePage)
{
    for (const char ch : text) {
        const auto c = static_cast<uint8_t>(ch);
        if (c == 0)
            break;
        if (c >= 0x80 && (codePage != kWinAnsiCodePage || c <= 0xA0 || c == 0xAD))
            return false;
    }
    return true;
}

} // namespace

void TPdfText::InternalWriteTo(TPdfWrite &writer)
{
    if (ReadsTheSameLiterally(Value(), writer.CodePage())) {
        writer.Add('(').AddEscapeText(Value()).Add(')');
        return;
    }
    const std::string &v = Value();
    writer.Add("<FEFF").AddToUnicodeHex(std::string_view(v.data(), std::strlen(v.c_str()))).Add('>');
}

void TPdfRawText::InternalWriteTo(TPdfWrite &writer) { writer.Add(Value()); }

void TPdfName::InternalWriteTo(TPdfWrite &writer) { writer.Add('/').AddEscapeName(Value()); }

// ---- array -------------------------------------------------------------

TPdfArray *TPdfArray::CreateNumArray(TPdfObjectMgr *objectMgr, const std::vector<int32_t> &values)
{
    auto *a = new TPdfArray(objectMgr);
    for (const int32_t v : values)
        a->AddItem(new TPdfNumber(v));
    return a;
}

TPdfArray *TPdfArray::CreateWordArray(TPdfObjectMgr *objectMgr, const std::vector<uint16_t> &values)
{
    auto *a = new TPdfArray(objectMgr);
    for (const uint16_t v : values)
        a->AddItem(new TPdfNumber(v));
    return a;
}

TPdfArray *TPdfArray::CreateNameArray(TPdfObjectMgr *objectMgr, const std::vector<std::string> &names)
{
    auto *a = new TPdfArray(objectMgr);
    for (const auto &n : names)
        a->AddItem(new TPdfName(n));
    return a;
}

void TPdfArray::AddItem(TPdfObject *item)
{
    if (!item)
        throw EPdfInvalidValue("AddItem");
    if (item->ObjectType() == TPdfObjectType::otIndirectObject) {
        const bool present = std::any_of(items_.begin(), items_.end(), [item](const auto &m) {
            return m->ObjectType() == TPdfObjectType::otVirtualObject && m->ObjectNumber() == item->ObjectNumber();
        });
        if (present)
            return;
    } else if (std::any_of(items_.begin(), items_.end(), [item](const auto &m) { return m.get() == item; })) {
        return;
    }
    auto held = Adopt(item, "AddItem");
    held->held_ = true;
    items_.push_back(std::move(held));
}

TPdfObject *TPdfArray::Items(int index) const
{
    if (index < 0 || index >= ItemCount())
        return nullptr;
    return Resolve(items_[index].get(), mgr_);
}

TPdfName *TPdfArray::FindName(std::string_view name) const
{
    for (const auto &m : items_)
        if (auto *n = dynamic_cast<TPdfName *>(m.get()); n && n->Value() == name)
            return n;
    return nullptr;
}

bool TPdfArray::RemoveName(std::string_view name)
{
    const auto it = std::find_if(items_.begin(), items_.end(), [name](const auto &m) {
        const auto *n = dynamic_cast<const TPdfName *>(m.get());
        return n && n->Value() == name;
    });
    if (it == items_.end())
        return false;
    items_.erase(it);
    return true;
}

void TPdfArray::InternalWriteTo(TPdfWrite &writer)
{
    writer.Add('[');
    for (const auto &m : items_) {
        m->WriteTo(writer);
        writer.Add(' ');
    }
    writer.Add(']');
}

// ---- dictionary ----------------------------------------------------------

TPdfDictionaryElement::TPdfDictionaryElement(std::string_view key, TPdfObject *value, bool hidden)
    : key_(std::make_unique<TPdfName>(std::string(key))), hidden_(hidden)
{
    if (!value)
        throw EPdfInvalidValue("TPdfDictionaryElement");
    value_ = Adopt(value, "AddItem");
    value_->held_ = true;
}

void TPdfDictionary::AddItem(std::string_view key, TPdfObject *value, bool hidden)
{
    // Built before the old element goes, so that a failure changes nothing.
    auto element = std::make_unique<TPdfDictionaryElement>(key, value, hidden);
    RemoveItem(key);
    items_.push_back(std::move(element));
}

TPdfDictionaryElement *TPdfDictionary::ItemByName(std::string_view key) const
{
    for (const auto &e : items_)
        if (e->Key() == key)
            return e.get();
    return nullptr;
}

TPdfObject *TPdfDictionary::ValueByName(std::string_view key) const
{
    const TPdfDictionaryElement *e = ItemByName(key);
    return e ? Resolve(e->Value(), mgr_) : nullptr;
}

bool TPdfDictionary::RemoveItem(std::string_view key)
{
    const auto it = std::find_if(items_.begin(), items_.end(), [key](const auto &e) { return e->Key() == key; });
    if (it == items_.end())
        return false;
    items_.erase(it);
    return true;
}

std::string TPdfDictionary::TypeOf() const
{
    const auto *t = dynamic_cast<const TPdfText *>(ValueByName("Type"));
    return t ? t->Value() : std::string();
}

void TPdfDictionary::InternalWriteTo(TPdfWrite &writer)
{
    writer.Add("<<\n");
    for (const auto &e : items_) {
        if (e->IsHidden())
            continue;
        e->KeyName().WriteTo(writer);
        writer.Add(' ');
        e->Value()->WriteTo(writer);
        writer.Add('\n');
    }
    writer.Add(">>");
}

// ---- stream --------------------------------------------------------------

TPdfStream::TPdfStream(TPdfObjectMgr *objectMgr, bool deflate, int codePage, bool addToXref)
{
    Init(objectMgr, deflate, codePage, addToXref);
}

TPdfStream::~TPdfStream() = default;

void TPdfStream::Init(TPdfObjectMgr *objectMgr, bool deflate, int codePage, bool addToXref)
{
    attributes_ = std::make_unique<TPdfDictionary>(objectMgr);
    attributes_->AddItem("Length", 0);
    filter_ = new TPdfArray(objectMgr);
    attributes_->AddItem("Filter", filter_);
    if (deflate)
        filter_->AddItem(new TPdfName("FlateDecode"));
    data_ = std::make_unique<THeapMemoryStream>();
    writer_ = std::make_unique<TPdfWrite>(*data_, codePage);
    if (addToXref && objectMgr)
        objectMgr->AddObject(this);
}

void TPdfStream::InternalWriteTo(TPdfWrite &writer)
{
    auto *length = attributes_->ValueAs<TPdfNumber>("Length");
    if (!length) {
        length = new TPdfNumber(0);
        attributes_->AddItem("Length", length);
    }
    writer_->Save();
    const int64_t size = data_->Size();
    if (filter_->FindName("FlateDecode")) {
        if (size >= CompressThreshold) {
            THeapMemoryStream packed;
            bool complete = false;
            try {
                if (compressionReused_)
                    CompressMemReused(data_->Memory(), size, packed, CompressLevel, &complete);
                else
                    CompressMem(data_->Memory(), size, packed, true, CompressLevel, &complete);
            } catch (const plat::EOutOfMemory &) {
                complete = false;
            }
            if (complete) {
                length->SetValue(static_cast<int32_t>(packed.Size()));
                attributes_->ItemByName("Filter")->SetHidden(false);
                attributes_->WriteTo(writer);
                writer.Add("\nstream\n").Add(packed.Memory(), packed.Size()).Add("\nendstream");
                return;
            }
        }
        // Too short to gain anything, or zlib failed: the content goes out
        // as it is, and so must say no filter.
        filter_->RemoveName("FlateDecode");
    }
    length->SetValue(static_cast<int32_t>(size));
    // Hidden rather than removed: the list stays the stream's for later writes.
    attributes_->ItemByName("Filter")->SetHidden(filter_->ItemCount() == 0);
    attributes_->WriteTo(writer);
    writer.Add("\nstream\n").Add(data_->Memory(), size).Add("\nendstream");
}

// ---- cross-reference table and trailer -------------------------------------

void TPdfXrefEntry::SaveToPdfWrite(TPdfWrite &writer) const
{
    writer.AddZeroPadded(offset_, 10).AddZeroPadded(generation_, 5).Add(type_).Add(" \n");
}

TPdfXref::TPdfXref()
{
    entries_.push_back(std::make_unique<TPdfXrefEntry>(nullptr, "f", 65535));
    entries_.front()->SetByteOffset(0);
}

TPdfXref::~TPdfXref()
{
    // Later objects may refer to earlier ones while they go; free from the end.
    while (!entries_.empty())
        entries_.pop_back();
}

void TPdfXref::AddObject(TPdfObject *object)
{
    if (!object || object->ObjectType() != TPdfObjectType::otDirectObject || object->IsHeld())
        throw EPdfInvalidOperation("AddObject");
    entries_.push_back(std::make_unique<TPdfXrefEntry>(object, "n", 0));
    object->SetObjectNumber(static_cast<int32_t>(entries_.size() - 1));
}

TPdfObject *TPdfXref::GetObject(int32_t number)
{
    if (number < 0 || number >= ItemCount())
        return nullptr;
    return entries_[number]->Value();
}

void TPdfXref::WriteTo(TPdfWrite &writer) const
{
    writer.Add("xref\n0 ").Add(static_cast<int32_t>(entries_.size())).Add('\n');
    for (const auto &e : entries_)
        e->SaveToPdfWrite(writer);
}

TPdfTrailer::TPdfTrailer(TPdfObjectMgr *objectMgr) : attributes_(std::make_unique<TPdfDictionary>(objectMgr))
{
    attributes_->AddItem("Size", 0);
}

void TPdfTrailer::WriteTo(TPdfWrite &writer)
{
    writer.Add("trailer\n");
    attributes_->WriteTo(writer);
    writer.Add("\nstartxref\n").Add(xrefAddress_).Add("\n%%EOF\n");
}
