// Run-time type information in explicit records: wrappers that describe a type and
// write it as a declaration, and the conversions between set values and member names.
#pragma once

#include "Classes.h"
#include "Component.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

BV_DECLARE_EXCEPTION(ERtRTTIError, ERtError);

enum class TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };

// The record that describes one published type.
struct TTypeInfo {
    TTypeKind Kind = TTypeKind::tkUnknown;
    std::string Name;
    TOrdType OrdType = TOrdType::otSLong;
    int64_t MinValue = 0;
    int64_t MaxValue = 0;
    std::vector<std::string> Names;      // an enumeration's names in value order
    const TTypeInfo* BaseType = nullptr; // an enumeration's base, a set's element type
    std::string UnitName;
    int MaxLength = 0; // short strings
};

std::string GetEnumName(const TTypeInfo* type, int64_t value);
// -1 when no value has that name (compared without regard to case).
int64_t GetEnumValue(const TTypeInfo* type, const std::string& name);

// Sets hold one bit per element, counted from the element type's lowest value.
using TSetValue = uint64_t;
void SetToStrings(const TTypeInfo* setType, TSetValue value, TStrings* strings, bool wantRanges);
// Raises ERtRTTIError for unknown names and for element numbers outside the set's range.
void StringsToSet(const TTypeInfo* setType, TSetValue& value, const TStrings* strings);
std::string SetToText(const TTypeInfo* setType, TSetValue value, bool wantBrackets,
                      bool wantRanges);
void TextToSet(const TTypeInfo* setType, TSetValue& value, const std::string& text);

// Where descriptions and declarations go, line by line.
class IRtWriter {
public:
    virtual ~IRtWriter() = default;
    virtual void Write(const std::string& text) = 0;
    virtual void Writeln(const std::string& text) = 0;
    virtual void Indent() = 0;
    virtual void Outdent() = 0;
};

// A writer into a string list, two blanks per indentation step.
class TRtStringsWriter : public IRtWriter {
public:
    explicit TRtStringsWriter(TStrings* lines) : lines_(lines) {}
    void Write(const std::string& text) override { current_ += text; }
    void Writeln(const std::string& text) override;
    void Indent() override { ++level_; }
    void Outdent() override { level_ = std::max(0, level_ - 1); }

private:
    TStrings* lines_;
    std::string current_;
    int level_ = 0;
};

class TRtTypeInfo {
public:
    explicit TRtTypeInfo(const TTypeInfo* info) : info_(info) {}
    virtual ~TRtTypeInfo() = default;
    const TTypeInfo* TypeInfo() const { return info_; }
    std::string Name() const { return info_->Name; }
    TTypeKind TypeKind() const { return info_->Kind; }
    bool IsAnonymous() const { return !info_->Name.empty() && info_->Name[0] == '.'; }
    virtual void WriteDescription(IRtWriter& writer) const;
    virtual void WriteDeclaration(IRtWriter& writer) const;

protected:
    const TTypeInfo* info_;
};

class TRtOrdinalTypeInfo : public TRtTypeInfo {
public:
    using TRtTypeInfo::TRtTypeInfo;
    void WriteDescription(IRtWriter& writer) const override;
};

class TRtOrdinalRangeTypeInfo : public TRtOrdinalTypeInfo {
public:
    using TRtOrdinalTypeInfo::TRtOrdinalTypeInfo;
    void WriteDescription(IRtWriter& writer) const override;
    void WriteDeclaration(IRtWriter& writer) const override;
};

class TRtEnumerationTypeInfo : public TRtOrdinalRangeTypeInfo {
public:
    using TRtOrdinalRangeTypeInfo::TRtOrdinalRangeTypeInfo;
    void WriteDescription(IRtWriter& writer) const override;
    void WriteDeclaration(IRtWriter& writer) const override;
    // The declaration written in place (no name, no line end), as inside a set's.
    std::string InlineDeclaration() const;
};

class TRtSetTypeInfo : public TRtOrdinalTypeInfo {
public:
    using TRtOrdinalTypeInfo::TRtOrdinalTypeInfo;
    void WriteDescription(IRtWriter& writer) const override;
    void WriteDeclaration(IRtWriter& writer) const override;
};

// Picks the wrapper class by the record's kind.
std::shared_ptr<TRtTypeInfo> TypeInfoObject(const TTypeInfo* info);
