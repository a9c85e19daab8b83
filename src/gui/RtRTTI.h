// Run-time type information in explicit records: wrappers that describe a type and
// write it as a declaration, and the conversions between set values and member names.
#pragma once

#include "Classes.h"
#include "Component.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

BV_DECLARE_EXCEPTION(ERtRTTIError, ERtError);

enum class TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum class TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };
enum class TMethodKind {
    mkProcedure,
    mkFunction,
    mkConstructor,
    mkDestructor,
    mkClassProcedure,
    mkClassFunction,
    mkSafeProcedure,
    mkSafeFunction
};
// Parameter flags and interface flags as bit values of their sets.
enum TParamFlag : uint8_t {
    pfVar = 1,
    pfConst = 2,
    pfArray = 4,
    pfAddress = 8,
    pfReference = 16,
    pfOut = 32
};
enum TIntfFlag : uint8_t { ifHasGuid = 1, ifDispInterface = 2, ifDispatch = 4 };

// How a published property is read, written or asked whether it is stored.
enum class TRtAccessKind { akNone, akField, akStaticMethod, akVirtualMethod, akConstant };
struct TRtAccessor {
    TRtAccessKind Kind = TRtAccessKind::akNone;
    const void* Address = nullptr;
    bool Constant = false; // the value of a constant stored specifier
};

struct TTypeInfo;

// One property a class declares itself.
struct TRtPropDecl {
    std::string Name;
    const TTypeInfo* PropType = nullptr;
    TRtAccessor Read, Write, Stored;
    bool HasIndex = false;
    int32_t Index = 0;
    bool HasDefault = false;
    int32_t Default = 0;
};

// One parameter of an event type.
struct TRtParamDecl {
    uint8_t Flags = 0; // TParamFlag bits
    std::string Name;
    std::string TypeName;
};

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
    TFloatType FloatType = TFloatType::ftDouble;
    // Classes and interfaces: the parent type, the properties declared by the type itself,
    // and the GUIDs of the interfaces a class implements itself.
    const TTypeInfo* Parent = nullptr;
    std::vector<TRtPropDecl> Props{};
    std::vector<std::string> InterfaceGuids{};
    // Interfaces.
    std::string Guid{}; // registry form, "{...}"; empty when it has none
    uint8_t IntfFlags = 0;
    // Events.
    TMethodKind MethodKind = TMethodKind::mkProcedure;
    std::vector<TRtParamDecl> Params{};
    std::string ResultType{};
    // Dynamic arrays.
    int32_t ElemSize = 0;
    const TTypeInfo* ElemType = nullptr;
    bool ElemNeedsCleanup = false;
    int32_t VarType = 0;
    // An integer type's identifiers for some of its values (colours: clRed ...).
    std::vector<std::pair<int64_t, std::string>> Idents{};
};

// An integer type's identifier for value; false when it has none.
bool IntToIdent(const TTypeInfo* type, int64_t value, std::string& ident);
// The value of an identifier (without regard to case); false when the type lacks it.
bool IdentToInt(const TTypeInfo* type, const std::string& ident, int64_t& value);

// The name of an ordinal value of any of the framework's own enumerations above, or the
// out-of-range text for a value outside it.
std::string OrdTypeName(TOrdType t);
std::string FloatTypeName(TFloatType t);
std::string MethodKindName(TMethodKind k);
std::string TypeKindName(TTypeKind k);
// "[pfVar, pfConst]", "[ifHasGuid]".
std::string ParamFlagsText(uint8_t flags);
std::string IntfFlagsText(uint8_t flags);

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
    // The type as it is written inside another declaration: its name, or for the kinds that
    // may be anonymous, the declaration in place.
    virtual std::string InlineDeclaration() const { return info_->Name; }

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
    std::string InlineDeclaration() const override;
};

class TRtSetTypeInfo : public TRtOrdinalTypeInfo {
public:
    using TRtOrdinalTypeInfo::TRtOrdinalTypeInfo;
    void WriteDescription(IRtWriter& writer) const override;
    void WriteDeclaration(IRtWriter& writer) const override;
    std::string InlineDeclaration() const override;
    const TTypeInfo* BaseType() const { return info_->BaseType; }
};

class TRtFloatTypeInfo : public TRtTypeInfo {
public:
    using TRtTypeInfo::TRtTypeInfo;
    TFloatType FloatType() const { return info_->FloatType; }
    void WriteDescription(IRtWriter& writer) const override;
    void WriteDeclaration(IRtWriter& writer) const override;
};

class TRtStringTypeInfo : public TRtTypeInfo {
public:
    using TRtTypeInfo::TRtTypeInfo;
    int MaxLength() const { return info_->MaxLength; }
    void WriteDescription(IRtWriter& writer) const override;
    void WriteDeclaration(IRtWriter& writer) const override;
    std::string InlineDeclaration() const override;
};

class TRtClassTypeInfo : public TRtTypeInfo {
public:
    using TRtTypeInfo::TRtTypeInfo;
    const TTypeInfo* Parent() const { return info_->Parent; }
    std::string UnitName() const { return info_->UnitName; }
    int PropCount() const { return static_cast<int>(info_->Props.size()); }
    // The published properties, inherited ones included.
    int TotalPropCount() const;
    const TRtPropDecl& Prop(int index) const;
    void WriteDescription(IRtWriter& writer) const override;
    void WriteDeclaration(IRtWriter& writer) const override;
};

class TRtEventTypeInfo : public TRtTypeInfo {
public:
    using TRtTypeInfo::TRtTypeInfo;
    TMethodKind MethodKind() const { return info_->MethodKind; }
    int ParamCount() const { return static_cast<int>(info_->Params.size()); }
    const TRtParamDecl& Param(int index) const;
    std::string ResultTypeName() const { return info_->ResultType; }
    void WriteDescription(IRtWriter& writer) const override;
    void WriteDeclaration(IRtWriter& writer) const override;
};

class TRtInterfaceTypeInfo : public TRtTypeInfo {
public:
    using TRtTypeInfo::TRtTypeInfo;
    const TTypeInfo* Parent() const { return info_->Parent; }
    uint8_t Flags() const { return info_->IntfFlags; }
    std::string Guid() const { return info_->Guid; }
    bool HasGuid() const { return !info_->Guid.empty(); }
    void WriteDescription(IRtWriter& writer) const override;
    void WriteDeclaration(IRtWriter& writer) const override;
};

class TRtInt64TypeInfo : public TRtTypeInfo {
public:
    using TRtTypeInfo::TRtTypeInfo;
    int64_t MinValue() const { return info_->MinValue; }
    int64_t MaxValue() const { return info_->MaxValue; }
    void WriteDescription(IRtWriter& writer) const override;
    void WriteDeclaration(IRtWriter& writer) const override;
};

class TRtDynArrayTypeInfo : public TRtTypeInfo {
public:
    using TRtTypeInfo::TRtTypeInfo;
    int ElementSize() const { return info_->ElemSize; }
    const TTypeInfo* ElementType() const { return info_->ElemType; }
    bool ElementsNeedCleanup() const { return info_->ElemNeedsCleanup; }
    int VarType() const { return info_->VarType; }
    void WriteDescription(IRtWriter& writer) const override;
    void WriteDeclaration(IRtWriter& writer) const override;
    std::string InlineDeclaration() const override;
};

// Picks the wrapper class by the record's kind.
std::shared_ptr<TRtTypeInfo> TypeInfoObject(const TTypeInfo* info);

// Types made at run time are kept in one locked list, each with a count of its users; the
// list owns them. A set type holds its element type and an enumeration subrange its base
// type, when those were generated too, until it goes itself.
const TTypeInfo* NewEnumerationType(const std::string& typeName,
                                    const std::vector<std::string>& names,
                                    const std::string& unitName = "");
// A subrange of a generated or static enumeration, from value first to value last.
const TTypeInfo* NewEnumerationSubrange(const std::string& typeName, const TTypeInfo* baseType,
                                        int64_t first, int64_t last);
const TTypeInfo* NewSetType(const std::string& typeName, const TTypeInfo* elementType);
// For a generated type, another user; other types are left alone.
void AddRefGeneratedType(const TTypeInfo* type);
// Drops one user of a generated type and frees it with the last one; a type that is not (or
// no longer) in the list is left alone, so a release that comes too late does nothing.
void ReleaseGeneratedType(const TTypeInfo* type);
bool IsGeneratedType(const TTypeInfo* type);
int GeneratedTypeCount();
