// A small XML document model with a forgiving single-pass reader (prolog, one
// root element, attributes, text, comments, CDATA, the five named entities and
// character references) and writers for every node kind. Language files are
// read with it.
#pragma once

#include "Classes.h"
#include "SysUtils.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

BV_DECLARE_EXCEPTION(EBvSimpleXMLError, Exception);

class TBvSimpleXML;
class TBvSimpleXMLElem;
class TBvSimpleXMLElemClassic;
class TBvXMLReader;

class TBvSimpleXMLProp {
public:
    TBvSimpleXMLProp(std::string name, std::string value)
        : name_(std::move(name)), value_(std::move(value)) {}
    const std::string& Name() const { return name_; }
    void SetName(std::string name) {
        if (!name.empty())
            name_ = std::move(name);
    }
    const std::string& Value() const { return value_; }
    void SetValue(std::string value) { value_ = std::move(value); }
    const std::string& NameSpace() const { return nameSpace_; }
    void SetNameSpace(std::string nameSpace) { nameSpace_ = std::move(nameSpace); }
    std::string FullName() const { return nameSpace_.empty() ? name_ : nameSpace_ + ":" + name_; }
    // The value as a number; -1 when it is not one.
    int64_t IntValue() const;

private:
    std::string name_, value_, nameSpace_;
};

// The attributes of one element. Lookups ignore case and find the first match.
class TBvSimpleXMLProps {
public:
    explicit TBvSimpleXMLProps(TBvSimpleXMLElem* owner) : owner_(owner) {}
    int Count() const { return static_cast<int>(items_.size()); }
    // nullptr outside 0..Count-1.
    TBvSimpleXMLProp* Item(int index) const;
    // nullptr when absent, unless the document's sxoAutoCreate adds it.
    TBvSimpleXMLProp* ItemNamed(std::string_view name);
    TBvSimpleXMLProp& Add(std::string name, std::string value);
    std::string Value(std::string_view name, std::string_view fallback = "");
    int64_t IntValue(std::string_view name, int64_t fallback = -1);
    void Delete(int index);
    void Clear() { items_.clear(); }

private:
    TBvSimpleXMLProp* Find(std::string_view name) const;
    bool AutoCreate() const;

    TBvSimpleXMLElem* owner_;
    std::vector<std::unique_ptr<TBvSimpleXMLProp>> items_;
};

// The children of one element. Lookups ignore case and find the first match.
class TBvSimpleXMLElems {
public:
    explicit TBvSimpleXMLElems(TBvSimpleXMLElem* owner) : owner_(owner) {}
    int Count() const { return static_cast<int>(items_.size()); }
    TBvSimpleXMLElem* Item(int index) const;
    TBvSimpleXMLElem* ItemNamed(std::string_view name);
    // A new element child.
    TBvSimpleXMLElemClassic& Add(std::string name, std::string value = "");
    TBvSimpleXMLElem& Add(std::unique_ptr<TBvSimpleXMLElem> elem);
    void Delete(int index);
    void Clear() { items_.clear(); }
    TBvSimpleXMLElem* Owner() const { return owner_; }

private:
    TBvSimpleXMLElem* owner_;
    std::vector<std::unique_ptr<TBvSimpleXMLElem>> items_;
};

class TBvSimpleXMLElem {
public:
    explicit TBvSimpleXMLElem(TBvSimpleXMLElem* parent) : parent_(parent) {}
    virtual ~TBvSimpleXMLElem() = default;
    TBvSimpleXMLElem(const TBvSimpleXMLElem&) = delete;
    TBvSimpleXMLElem& operator=(const TBvSimpleXMLElem&) = delete;

    const std::string& Name() const { return name_; }
    // An empty name is never assigned.
    void SetName(std::string name) {
        if (!name.empty())
            name_ = std::move(name);
    }
    const std::string& Value() const { return value_; }
    void SetValue(std::string value) { value_ = std::move(value); }
    const std::string& NameSpace() const { return nameSpace_; }
    void SetNameSpace(std::string nameSpace) { nameSpace_ = std::move(nameSpace); }
    std::string FullName() const { return nameSpace_.empty() ? name_ : nameSpace_ + ":" + name_; }
    int64_t IntValue() const;

    TBvSimpleXMLElem* Parent() const { return parent_; }
    // Made on first use.
    TBvSimpleXMLElems& Items();
    TBvSimpleXMLProps& Properties();
    int ItemCount() const { return items_ ? items_->Count() : 0; }
    int PropertyCount() const { return props_ ? props_->Count() : 0; }
    // The document the node belongs to, found through its parents.
    TBvSimpleXML* SimpleXML() const;

    virtual void Clear();
    // Reads the node from the reader's position, which is at its first character.
    virtual void LoadFromReader(TBvXMLReader& reader) = 0;
    // Appends the node as XML text; level is the indentation of its depth.
    virtual void SaveToString(std::string& out, const std::string& level) = 0;
    void SaveToStream(TStream& stream, const std::string& level = "");

protected:
    friend class TBvSimpleXML;
    void WriteProperties(std::string& out);
    std::string Encode(const std::string& value) const;
    void CountSaved(const std::string& out) const;

    std::string name_;
    TBvSimpleXMLElem* parent_;
    std::unique_ptr<TBvSimpleXMLElems> items_;
    std::unique_ptr<TBvSimpleXMLProps> props_;
    std::string value_;
    std::string nameSpace_;
    TBvSimpleXML* simpleXML_ = nullptr; // set on the root only
};

class TBvSimpleXMLElemClassic : public TBvSimpleXMLElem {
public:
    using TBvSimpleXMLElem::TBvSimpleXMLElem;
    void LoadFromReader(TBvXMLReader& reader) override;
    void SaveToString(std::string& out, const std::string& level) override;
};

class TBvSimpleXMLElemText : public TBvSimpleXMLElem {
public:
    using TBvSimpleXMLElem::TBvSimpleXMLElem;
    void LoadFromReader(TBvXMLReader& reader) override;
    void SaveToString(std::string& out, const std::string& level) override;
};

class TBvSimpleXMLElemComment : public TBvSimpleXMLElem {
public:
    using TBvSimpleXMLElem::TBvSimpleXMLElem;
    void LoadFromReader(TBvXMLReader& reader) override;
    void SaveToString(std::string& out, const std::string& level) override;
};

class TBvSimpleXMLElemCData : public TBvSimpleXMLElem {
public:
    using TBvSimpleXMLElem::TBvSimpleXMLElem;
    void LoadFromReader(TBvXMLReader& reader) override;
    void SaveToString(std::string& out, const std::string& level) override;
};

class TBvSimpleXMLElemHeader : public TBvSimpleXMLElem {
public:
    using TBvSimpleXMLElem::TBvSimpleXMLElem;
    void LoadFromReader(TBvXMLReader& reader) override;
    void SaveToString(std::string& out, const std::string& level) override;
    std::string Version = "1.0";
    std::string Encoding = "iso-8859-1";
    bool Standalone = false;
};

class TBvSimpleXMLElemDocType : public TBvSimpleXMLElem {
public:
    using TBvSimpleXMLElem::TBvSimpleXMLElem;
    void LoadFromReader(TBvXMLReader& reader) override;
    void SaveToString(std::string& out, const std::string& level) override;
};

class TBvSimpleXMLElemSheet : public TBvSimpleXMLElem {
public:
    using TBvSimpleXMLElem::TBvSimpleXMLElem;
    void LoadFromReader(TBvXMLReader& reader) override;
    void SaveToString(std::string& out, const std::string& level) override;
};

// The prolog items in document order.
class TBvSimpleXMLElemsProlog {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TBvSimpleXMLElem* Item(int index) const;
    TBvSimpleXMLElem& Add(std::unique_ptr<TBvSimpleXMLElem> elem);
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TBvSimpleXMLElem>> items_;
};

struct TBvSimpleXMLOptions {
    bool AutoCreate = false;
    bool AutoIndent = true;
    bool AutoEncodeValue = true;
    bool AutoEncodeEntity = true;
};

class TBvSimpleXML : public TObject {
public:
    // Nesting deeper than this raises EBvSimpleXMLError.
    static constexpr int MaxDepth = 256;

    TBvSimpleXML();
    ~TBvSimpleXML() override;

    const std::string& FileName() const { return fileName_; }
    // Stores the name and loads that file at once.
    void SetFileName(const std::string& fileName);
    const std::string& IndentString() const { return indentString_; }
    // Only tabs and blanks (or nothing) are taken; other values are ignored.
    void SetIndentString(const std::string& value);
    TBvSimpleXMLOptions Options;

    std::function<void(TObject* sender, const std::string& name)> OnTagParsed;
    std::function<void(TObject* sender, const std::string& name, const std::string& value)>
        OnValueParsed;
    std::function<void(TObject* sender, int64_t position, int64_t total)> OnLoadProgress;
    std::function<void(TObject* sender, int64_t position, int64_t total)> OnSaveProgress;
    std::function<void(TObject* sender, std::string& value)> OnEncodeValue;
    std::function<void(TObject* sender, std::string& value)> OnDecodeValue;
    std::function<void(TObject* sender, TStream& in, TStream& out)> OnEncodeStream;
    std::function<void(TObject* sender, TStream& in, TStream& out)> OnDecodeStream;

    TBvSimpleXMLElemClassic& Root() { return *root_; }
    TBvSimpleXMLElemsProlog& Prolog() { return prolog_; }

    // The file's Windows-form name; raises the file stream's errors.
    void LoadFromFile(const std::string& fileName);
    // Clears the document first: after an error it holds what was read until then. The
    // bytes are read in the encoding the declaration names (UTF-8 when it names none, with
    // bytes that are not UTF-8 read as Windows-1252; UTF-16 with its byte-order mark), so
    // every text of the document is UTF-8. An encoding that is not known raises
    // EBvSimpleXMLError.
    void LoadFromStream(TStream& stream);
    // The text is the program's own (UTF-8), whatever the declaration says.
    void LoadFromString(std::string_view text);
    // A stream and a file are written in the encoding the declaration names; characters it
    // lacks are written as references.
    void SaveToStream(TStream& stream);
    std::string SaveToString();
    void SaveToFile(const std::string& fileName);

    virtual std::string EncodeValue(const std::string& value);
    virtual std::string DecodeValue(const std::string& value);

private:
    friend class TBvSimpleXMLElem;
    void Parse(const std::string& data);
    // The written text in the declared encoding.
    std::string ToDeclaredEncoding(const std::string& text) const;
    bool textIsUtf8_ = false;

    std::string fileName_;
    std::string indentString_ = "  ";
    std::unique_ptr<TBvSimpleXMLElemClassic> root_;
    TBvSimpleXMLElemsProlog prolog_;
    mutable int64_t saveCount_ = 0;
};

// A document's bytes as UTF-8 text, read in the encoding its declaration names (see
// LoadFromStream).
std::string SimpleXMLDocumentToUtf8(std::string data);

// The value codings on their own: the full one (the five characters, characters
// from 128 as "&#x..;" references, a byte that is not UTF-8 as the Latin-1 character of
// its value; decoding reads "&#..;" references as UTF-8) and the named one (the five
// characters only).
std::string SimpleXMLEncode(const std::string& value);
std::string SimpleXMLDecode(const std::string& value);
std::string SimpleXMLEncodeEntity(const std::string& value);
std::string SimpleXMLDecodeEntity(const std::string& value);
