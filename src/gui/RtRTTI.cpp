#include "RtRTTI.h"
#include "ScopeExit.h"

#include <mutex>
#include <unordered_map>

namespace {

// An identifier of one of the framework's enumerations; a value outside it is named, not read
// past the table.
template <size_t N> std::string IdentName(const char* const (&names)[N], int64_t value) {
    if (value < 0 || value >= static_cast<int64_t>(N))
        return Format("Value out of range (%s).", {"ordinal=" + IntToStr(value)});
    return names[value];
}

std::string KindName(TTypeKind k) {
    return TypeKindName(k);
}

std::string OrdName(TOrdType t) {
    return OrdTypeName(t);
}

std::string FlagsText(uint8_t flags, std::initializer_list<const char*> names) {
    std::string text;
    int bit = 0;
    for (const char* name : names) {
        if (flags & (1u << bit))
            text += (text.empty() ? "" : ", ") + std::string(name);
        ++bit;
    }
    return "[" + text + "]";
}

std::string AccessKindText(TRtAccessKind k) {
    switch (k) {
    case TRtAccessKind::akStaticMethod:
        return "static method";
    case TRtAccessKind::akVirtualMethod:
        return "virtual method";
    default:
        return "field";
    }
}

// Indent, the nested output, Outdent; the outdent also when the nested output raises.
template <class F> void Nested(IRtWriter& w, F body) {
    w.Indent();
    TScopeExit out([&w] { w.Outdent(); });
    body();
}

const TTypeInfo* ElementType(const TTypeInfo* setType) {
    if (!setType || setType->Kind != TTypeKind::tkSet || !setType->BaseType)
        throw ERtRTTIError("Type is not a set type");
    const TTypeInfo* e = setType->BaseType;
    if (e->MaxValue < e->MinValue || e->MaxValue - e->MinValue >= 64)
        throw ERtRTTIError(Format("Set type %s has too many elements", {setType->Name}));
    return e;
}

bool IsEnum(const TTypeInfo* t) {
    return t && t->Kind == TTypeKind::tkEnumeration;
}

std::string ElementText(const TTypeInfo* element, int64_t ordinal) {
    return IsEnum(element) ? GetEnumName(element, ordinal) : IntToStr(ordinal);
}

int64_t ElementValue(const TTypeInfo* element, const std::string& text) {
    std::string t = Trim(text);
    int64_t v;
    if (TryStrToInt64(t, v))
        return v;
    if (IsEnum(element)) {
        v = GetEnumValue(element, t);
        if (v >= 0)
            return v;
    }
    throw ERtRTTIError(Format("Unknown identifier '%s'.", {t}));
}

} // namespace

std::string TypeKindName(TTypeKind k) {
    static const char* const names[] = {
        "tkUnknown", "tkInteger", "tkChar",   "tkEnumeration", "tkFloat",   "tkString",
        "tkSet",     "tkClass",   "tkMethod", "tkWChar",       "tkLString", "tkWString",
        "tkVariant", "tkArray",   "tkRecord", "tkInterface",   "tkInt64",   "tkDynArray"};
    return IdentName(names, static_cast<int64_t>(k));
}

std::string OrdTypeName(TOrdType t) {
    static const char* const names[] = {"otSByte", "otUByte", "otSWord",
                                        "otUWord", "otSLong", "otULong"};
    return IdentName(names, static_cast<int64_t>(t));
}

std::string FloatTypeName(TFloatType t) {
    static const char* const names[] = {"ftSingle", "ftDouble", "ftExtended", "ftComp", "ftCurr"};
    return IdentName(names, static_cast<int64_t>(t));
}

std::string MethodKindName(TMethodKind k) {
    static const char* const names[] = {"mkProcedure",     "mkFunction",       "mkConstructor",
                                        "mkDestructor",    "mkClassProcedure", "mkClassFunction",
                                        "mkSafeProcedure", "mkSafeFunction"};
    return IdentName(names, static_cast<int64_t>(k));
}

std::string ParamFlagsText(uint8_t flags) {
    return FlagsText(flags, {"pfVar", "pfConst", "pfArray", "pfAddress", "pfReference", "pfOut"});
}

std::string IntfFlagsText(uint8_t flags) {
    return FlagsText(flags, {"ifHasGuid", "ifDispInterface", "ifDispatch"});
}

bool IntToIdent(const TTypeInfo* type, int64_t value, std::string& ident) {
    if (type)
        for (const auto& [v, name] : type->Idents)
            if (v == value) {
                ident = name;
                return true;
            }
    return false;
}

bool IdentToInt(const TTypeInfo* type, const std::string& ident, int64_t& value) {
    if (type)
        for (const auto& [v, name] : type->Idents)
            if (SameText(name, ident)) {
                value = v;
                return true;
            }
    return false;
}

std::string GetEnumName(const TTypeInfo* type, int64_t value) {
    if (!type || value < type->MinValue || value > type->MaxValue ||
        value - type->MinValue >= static_cast<int64_t>(type->Names.size()))
        return Format("Value out of range (%s).", {"ordinal=" + IntToStr(value)});
    return type->Names[static_cast<size_t>(value - type->MinValue)];
}

int64_t GetEnumValue(const TTypeInfo* type, const std::string& name) {
    if (!type)
        return -1;
    for (size_t i = 0; i < type->Names.size(); ++i)
        if (SameText(type->Names[i], name))
            return type->MinValue + static_cast<int64_t>(i);
    return -1;
}

void SetToStrings(const TTypeInfo* setType, TSetValue value, TStrings* strings, bool wantRanges) {
    const TTypeInfo* e = ElementType(setType);
    int count = static_cast<int>(e->MaxValue - e->MinValue + 1);
    for (int i = 0; i < count; ++i) {
        if (!((value >> i) & 1))
            continue;
        int j = i;
        if (wantRanges)
            while (j + 1 < count && ((value >> (j + 1)) & 1))
                ++j;
        if (j > i)
            strings->Add(ElementText(e, e->MinValue + i) + " .. " +
                         ElementText(e, e->MinValue + j));
        else
            strings->Add(ElementText(e, e->MinValue + i));
        i = j;
    }
}

void StringsToSet(const TTypeInfo* setType, TSetValue& value, const TStrings* strings) {
    const TTypeInfo* e = ElementType(setType);
    TSetValue result = 0;
    auto include = [&](int64_t v) {
        if (v < e->MinValue || v > e->MaxValue)
            throw ERtRTTIError(Format("Value %d is out of the set's range", {v}));
        result |= TSetValue{1} << (v - e->MinValue);
    };
    for (int i = 0; i < strings->Count(); ++i) {
        std::string entry = Trim(strings->Get(i));
        // "[]" and stray commas leave empty entries: they name no member.
        if (entry.empty())
            continue;
        size_t dots = entry.find("..");
        if (dots == std::string::npos) {
            include(ElementValue(e, entry));
            continue;
        }
        int64_t lo = ElementValue(e, entry.substr(0, dots));
        int64_t hi = ElementValue(e, entry.substr(dots + 2));
        if (lo > hi)
            std::swap(lo, hi);
        include(lo);
        include(hi);
        for (int64_t v = lo; v <= hi; ++v)
            include(v);
    }
    value = result;
}

std::string SetToText(const TTypeInfo* setType, TSetValue value, bool wantBrackets,
                      bool wantRanges) {
    TStringList list;
    SetToStrings(setType, value, &list, wantRanges);
    std::string text;
    for (int i = 0; i < list.Count(); ++i)
        text += (i ? ", " : "") + list[i];
    return wantBrackets ? "[" + text + "]" : text;
}

void TextToSet(const TTypeInfo* setType, TSetValue& value, const std::string& text) {
    TStringList pieces;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        pieces.Add(
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    std::string first = TrimLeft(pieces[0]);
    if (!first.empty() && first[0] == '[')
        pieces.Put(0, first.substr(1));
    std::string last = TrimRight(pieces[pieces.Count() - 1]);
    if (!last.empty() && last.back() == ']')
        pieces.Put(pieces.Count() - 1, last.substr(0, last.size() - 1));
    StringsToSet(setType, value, &pieces);
}

void TRtStringsWriter::Writeln(const std::string& text) {
    std::string line = current_ + text;
    // An empty line stays empty, whatever the indentation.
    lines_->Add(line.empty() ? line : std::string(static_cast<size_t>(level_) * 2, ' ') + line);
    current_.clear();
}

void TRtTypeInfo::WriteDescription(IRtWriter& w) const {
    w.Writeln("Name: " + info_->Name);
    w.Writeln(std::string("Type kind: ") + KindName(info_->Kind));
    w.Writeln(Format("Type info: %p", {static_cast<const void*>(info_)}));
}

void TRtTypeInfo::WriteDeclaration(IRtWriter& w) const {
    w.Writeln(Format("// Declaration for '%s' not supported.", {info_->Name}));
}

void TRtOrdinalTypeInfo::WriteDescription(IRtWriter& w) const {
    TRtTypeInfo::WriteDescription(w);
    w.Writeln(std::string("Ordinal type: ") + OrdName(info_->OrdType));
}

void TRtOrdinalRangeTypeInfo::WriteDescription(IRtWriter& w) const {
    TRtOrdinalTypeInfo::WriteDescription(w);
    w.Writeln("Min value: " + IntToStr(info_->MinValue));
    w.Writeln("Max value: " + IntToStr(info_->MaxValue));
}

void TRtOrdinalRangeTypeInfo::WriteDeclaration(IRtWriter& w) const {
    bool chars = info_->Kind == TTypeKind::tkChar || info_->Kind == TTypeKind::tkWChar;
    auto bound = [&](int64_t v) {
        if (!chars)
            return IntToStr(v);
        if (v >= 32 && v <= 126)
            return std::string("'") + static_cast<char>(v) + "'";
        return std::string("#").append(IntToStr(v));
    };
    w.Writeln(info_->Name + " = " + bound(info_->MinValue) + ".." + bound(info_->MaxValue) +
              "; // " + OrdName(info_->OrdType));
}

void TRtEnumerationTypeInfo::WriteDescription(IRtWriter& w) const {
    TRtOrdinalRangeTypeInfo::WriteDescription(w);
    w.Writeln("Unit name: " + info_->UnitName);
    std::string names;
    for (int64_t v = info_->MinValue; v <= info_->MaxValue; ++v)
        names += (v > info_->MinValue ? ", " : "") + GetEnumName(info_, v);
    w.Writeln("Names: (" + names + ")");
}

std::string TRtEnumerationTypeInfo::InlineDeclaration() const {
    if (info_->BaseType && info_->BaseType != info_)
        return GetEnumName(info_->BaseType, info_->MinValue) + " .. " +
               GetEnumName(info_->BaseType, info_->MaxValue);
    std::string names;
    for (int64_t v = info_->MinValue; v <= info_->MaxValue; ++v)
        names += (v > info_->MinValue ? ", " : "") + GetEnumName(info_, v);
    return "(" + names + ")";
}

void TRtEnumerationTypeInfo::WriteDeclaration(IRtWriter& w) const {
    if (IsAnonymous()) {
        w.Write(InlineDeclaration());
        return;
    }
    w.Writeln(info_->Name + " = " + InlineDeclaration() + "; // " + OrdName(info_->OrdType));
}

void TRtSetTypeInfo::WriteDescription(IRtWriter& w) const {
    TRtOrdinalTypeInfo::WriteDescription(w);
    w.Writeln("Based on: ");
    Nested(w, [&] {
        if (info_->BaseType)
            TypeInfoObject(info_->BaseType)->WriteDescription(w);
    });
}

std::string TRtSetTypeInfo::InlineDeclaration() const {
    std::string element = "???";
    if (const TTypeInfo* e = info_->BaseType) {
        if (e->Name.empty() || e->Name[0] != '.')
            element = e->Name;
        else if (e->Kind == TTypeKind::tkEnumeration)
            element = TRtEnumerationTypeInfo(e).InlineDeclaration();
    }
    return "set of " + element;
}

void TRtSetTypeInfo::WriteDeclaration(IRtWriter& w) const {
    if (IsAnonymous()) {
        w.Write(InlineDeclaration());
        return;
    }
    w.Writeln(info_->Name + " = " + InlineDeclaration() + "; // " + OrdName(info_->OrdType));
}

void TRtFloatTypeInfo::WriteDescription(IRtWriter& w) const {
    TRtTypeInfo::WriteDescription(w);
    w.Writeln("Float type: " + FloatTypeName(info_->FloatType));
}

void TRtFloatTypeInfo::WriteDeclaration(IRtWriter& w) const {
    w.Writeln(info_->Name + " = type " + FloatTypeName(info_->FloatType).substr(2) + ";");
}

void TRtStringTypeInfo::WriteDescription(IRtWriter& w) const {
    TRtTypeInfo::WriteDescription(w);
    w.Writeln("Max length: " + IntToStr(info_->MaxLength));
}

std::string TRtStringTypeInfo::InlineDeclaration() const {
    return "string[" + IntToStr(info_->MaxLength) + "]";
}

void TRtStringTypeInfo::WriteDeclaration(IRtWriter& w) const {
    if (IsAnonymous()) {
        w.Write(InlineDeclaration());
        return;
    }
    w.Writeln(info_->Name + " = " + InlineDeclaration() + ";");
}

int TRtClassTypeInfo::TotalPropCount() const {
    int n = 0;
    // A parent chain that loops back would never end; a class cannot be its own ancestor.
    int guard = 0;
    for (const TTypeInfo* c = info_; c && guard < 1000; c = c->Parent, ++guard)
        n += static_cast<int>(c->Props.size());
    return n;
}

const TRtPropDecl& TRtClassTypeInfo::Prop(int index) const {
    if (index < 0 || index >= PropCount())
        throw ERtRTTIError(Format("List index out of bounds (%d)", {index}));
    return info_->Props[static_cast<size_t>(index)];
}

namespace {

std::string TypeName(const TTypeInfo* t) {
    return t ? t->Name : std::string("???");
}

} // namespace

void TRtClassTypeInfo::WriteDescription(IRtWriter& w) const {
    TRtTypeInfo::WriteDescription(w);
    w.Writeln("Class name: " + info_->Name);
    w.Writeln("Parent: " + (info_->Parent ? info_->Parent->Name : std::string()));
    w.Writeln("Unit name: " + info_->UnitName);
    w.Writeln("Property count: " + IntToStr(PropCount()) + " (" + IntToStr(TotalPropCount()) + ")");
    Nested(w, [&] {
        for (const TRtPropDecl& p : info_->Props) {
            w.Writeln(p.Name + ": " + TypeName(p.PropType));
            Nested(w, [&] {
                if (p.HasIndex)
                    w.Writeln(Format("[%s %d]", {"index", p.Index}));
                if (p.HasDefault)
                    w.Writeln(Format("[%s %d]", {"default", p.Default}));
                auto accessor = [&](const char* what, const TRtAccessor& a) {
                    if (a.Kind == TRtAccessKind::akNone || a.Kind == TRtAccessKind::akConstant)
                        return;
                    w.Writeln(Format("[%s %s $%p]", {what, AccessKindText(a.Kind), a.Address}));
                };
                accessor("read", p.Read);
                accessor("write", p.Write);
                if (p.Stored.Kind == TRtAccessKind::akConstant)
                    w.Writeln(Format("[%s=%s]", {"stored", p.Stored.Constant ? "True" : "False"}));
                else if (p.Stored.Kind != TRtAccessKind::akNone)
                    w.Writeln(Format("[%s=%s $%p]",
                                     {"stored", AccessKindText(p.Stored.Kind), p.Stored.Address}));
            });
        }
    });
}

void TRtClassTypeInfo::WriteDeclaration(IRtWriter& w) const {
    const TTypeInfo* parent = info_->Parent;
    if (parent && !SameText(parent->Name, "TObject")) {
        std::string line = info_->Name + " = class(" + parent->Name;
        for (const std::string& guid : info_->InterfaceGuids)
            line += ", ['" + guid + "']";
        w.Writeln(line + ") // unit " + info_->UnitName);
    } else {
        w.Writeln(info_->Name + " = class // unit " + info_->UnitName);
    }
    if (!info_->Props.empty()) {
        w.Writeln("published");
        Nested(w, [&] {
            for (const TRtPropDecl& p : info_->Props) {
                std::string line = "property " + p.Name + ": " + TypeName(p.PropType);
                if (p.HasIndex)
                    line += Format(" index %d", {p.Index});
                auto accessor = [](const TRtAccessor& a) {
                    return Format("[%s $%p]", {AccessKindText(a.Kind), a.Address});
                };
                if (p.Read.Kind != TRtAccessKind::akNone &&
                    p.Read.Kind != TRtAccessKind::akConstant)
                    line += " read " + accessor(p.Read);
                if (p.Write.Kind != TRtAccessKind::akNone &&
                    p.Write.Kind != TRtAccessKind::akConstant)
                    line += " write " + accessor(p.Write);
                if (p.Stored.Kind == TRtAccessKind::akConstant)
                    line += p.Stored.Constant ? " stored = True" : " stored = False";
                else if (p.Stored.Kind != TRtAccessKind::akNone)
                    line += " stored = " + accessor(p.Stored);
                if (p.HasDefault)
                    line += " default " + IntToStr(p.Default);
                w.Writeln(line + ";");
            }
        });
    }
    w.Writeln("end;");
}

const TRtParamDecl& TRtEventTypeInfo::Param(int index) const {
    if (index < 0 || index >= ParamCount())
        throw ERtRTTIError(Format("List index out of bounds (%d)", {index}));
    return info_->Params[static_cast<size_t>(index)];
}

namespace {

bool IsFunction(TMethodKind k) {
    return k == TMethodKind::mkFunction || k == TMethodKind::mkClassFunction ||
           k == TMethodKind::mkSafeFunction;
}

} // namespace

void TRtEventTypeInfo::WriteDescription(IRtWriter& w) const {
    TRtTypeInfo::WriteDescription(w);
    w.Writeln("Method kind: " + MethodKindName(info_->MethodKind));
    w.Writeln("Parameter count: " + IntToStr(ParamCount()));
    Nested(w, [&] {
        for (size_t i = 0; i < info_->Params.size(); ++i) {
            const TRtParamDecl& p = info_->Params[i];
            if (i > 0)
                w.Writeln("");
            w.Writeln("Name: " + p.Name);
            w.Writeln("Type: " + p.TypeName);
            w.Writeln("Flags: " + ParamFlagsText(p.Flags));
        }
    });
    if (IsFunction(info_->MethodKind))
        w.Writeln("Return type: " + info_->ResultType);
}

void TRtEventTypeInfo::WriteDeclaration(IRtWriter& w) const {
    std::string line =
        info_->Name + " = " + (IsFunction(info_->MethodKind) ? "function" : "procedure");
    for (size_t i = 0; i < info_->Params.size(); ++i) {
        const TRtParamDecl& p = info_->Params[i];
        line += i == 0 ? "(" : "; ";
        if (p.Flags & pfVar)
            line += "var ";
        else if (p.Flags & pfConst)
            line += "const ";
        else if (p.Flags & pfOut)
            line += "out ";
        line += p.Name;
        if (!p.TypeName.empty()) {
            line += ": ";
            if (p.Flags & pfArray) {
                line += "array of ";
                line += SameText(p.TypeName, "TVarRec") ? std::string("const") : p.TypeName;
            } else {
                line += p.TypeName;
            }
        }
    }
    if (!info_->Params.empty())
        line += ")";
    if (IsFunction(info_->MethodKind))
        line += ": " + info_->ResultType;
    w.Writeln(line + " of object;");
}

void TRtInterfaceTypeInfo::WriteDescription(IRtWriter& w) const {
    TRtTypeInfo::WriteDescription(w);
    if (HasGuid())
        w.Writeln("GUID: " + info_->Guid);
    w.Writeln("Flags: " + IntfFlagsText(info_->IntfFlags));
    w.Writeln("Unit name: " + info_->UnitName);
    if (info_->Parent)
        w.Writeln("Parent: " + info_->Parent->Name);
    w.Writeln("Property count: " + IntToStr(static_cast<int64_t>(info_->Props.size())));
}

void TRtInterfaceTypeInfo::WriteDeclaration(IRtWriter& w) const {
    bool disp = (info_->IntfFlags & ifDispInterface) != 0;
    std::string line = info_->Name + " = " + (disp ? "dispinterface" : "interface");
    if (!disp && info_->Parent && !SameText(info_->Parent->Name, "IUnknown"))
        line += "(" + info_->Parent->Name + ")";
    w.Writeln(line + " // unit " + info_->UnitName);
    Nested(w, [&] {
        if (HasGuid())
            w.Writeln("['" + info_->Guid + "']");
    });
    w.Writeln("end;");
}

void TRtInt64TypeInfo::WriteDescription(IRtWriter& w) const {
    TRtTypeInfo::WriteDescription(w);
    w.Writeln("Min value: " + IntToStr(info_->MinValue));
    w.Writeln("Max value: " + IntToStr(info_->MaxValue));
}

void TRtInt64TypeInfo::WriteDeclaration(IRtWriter& w) const {
    w.Writeln(info_->Name + " = " + IntToStr(info_->MinValue) + " .. " + IntToStr(info_->MaxValue) +
              ";");
}

void TRtDynArrayTypeInfo::WriteDescription(IRtWriter& w) const {
    TRtTypeInfo::WriteDescription(w);
    w.Writeln("Element size: " + IntToStr(info_->ElemSize));
    const TTypeInfo* e = info_->ElemType;
    if (!e) {
        w.Writeln("Element type: ???");
    } else if (!e->Name.empty() && e->Name[0] == '.') {
        w.Writeln("Element type: ");
        Nested(w, [&] { TypeInfoObject(e)->WriteDescription(w); });
    } else {
        w.Writeln("Element type: " + e->Name);
    }
    w.Writeln(std::string("Elements need clean up: ") +
              (info_->ElemNeedsCleanup ? "True" : "False"));
    w.Writeln("Variant type: " + IntToStr(info_->VarType));
    w.Writeln("Unit name: " + info_->UnitName);
}

std::string TRtDynArrayTypeInfo::InlineDeclaration() const {
    const TTypeInfo* e = info_->ElemType;
    if (!e)
        return "array of ???";
    if (e->Name.empty() || e->Name[0] != '.')
        return "array of " + e->Name;
    return "array of " + TypeInfoObject(e)->InlineDeclaration();
}

void TRtDynArrayTypeInfo::WriteDeclaration(IRtWriter& w) const {
    if (IsAnonymous()) {
        w.Write(InlineDeclaration());
        return;
    }
    w.Writeln(info_->Name + " = " + InlineDeclaration() + "; // Unit " + info_->UnitName);
}

std::shared_ptr<TRtTypeInfo> TypeInfoObject(const TTypeInfo* info) {
    if (!info)
        throw ERtRTTIError("No type information");
    switch (info->Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
        return std::make_shared<TRtOrdinalRangeTypeInfo>(info);
    case TTypeKind::tkEnumeration:
        return std::make_shared<TRtEnumerationTypeInfo>(info);
    case TTypeKind::tkSet:
        return std::make_shared<TRtSetTypeInfo>(info);
    case TTypeKind::tkFloat:
        return std::make_shared<TRtFloatTypeInfo>(info);
    case TTypeKind::tkString:
        return std::make_shared<TRtStringTypeInfo>(info);
    case TTypeKind::tkClass:
        return std::make_shared<TRtClassTypeInfo>(info);
    case TTypeKind::tkMethod:
        return std::make_shared<TRtEventTypeInfo>(info);
    case TTypeKind::tkInterface:
        return std::make_shared<TRtInterfaceTypeInfo>(info);
    case TTypeKind::tkInt64:
        return std::make_shared<TRtInt64TypeInfo>(info);
    case TTypeKind::tkDynArray:
        return std::make_shared<TRtDynArrayTypeInfo>(info);
    default:
        return std::make_shared<TRtTypeInfo>(info);
    }
}

namespace {

struct TGeneratedType {
    std::unique_ptr<TTypeInfo> Info;
    int Count = 1;
};

// The list lives as long as the program; its entries are freed by their last release or, at
// the end, with the list.
struct TGeneratedTypes {
    std::mutex Lock;
    std::unordered_map<const TTypeInfo*, TGeneratedType> Types;
};

TGeneratedTypes& Generated() {
    static TGeneratedTypes list;
    return list;
}

const TTypeInfo* AddGenerated(std::unique_ptr<TTypeInfo> info) {
    const TTypeInfo* key = info.get();
    TGeneratedTypes& g = Generated();
    std::lock_guard<std::mutex> hold(g.Lock);
    g.Types.emplace(key, TGeneratedType{std::move(info), 1});
    return key;
}

} // namespace

const TTypeInfo* NewEnumerationType(const std::string& typeName,
                                    const std::vector<std::string>& names,
                                    const std::string& unitName) {
    if (names.empty())
        throw ERtRTTIError(Format("Enumeration type %s has no names", {typeName}));
    auto info = std::make_unique<TTypeInfo>();
    info->Kind = TTypeKind::tkEnumeration;
    info->Name = typeName;
    info->OrdType = names.size() <= 256     ? TOrdType::otUByte
                    : names.size() <= 65536 ? TOrdType::otUWord
                                            : TOrdType::otULong;
    info->MinValue = 0;
    info->MaxValue = static_cast<int64_t>(names.size()) - 1;
    info->Names = names;
    info->UnitName = unitName;
    return AddGenerated(std::move(info));
}

const TTypeInfo* NewEnumerationSubrange(const std::string& typeName, const TTypeInfo* baseType,
                                        int64_t first, int64_t last) {
    if (!baseType || baseType->Kind != TTypeKind::tkEnumeration || first > last ||
        first < baseType->MinValue || last > baseType->MaxValue)
        throw ERtRTTIError(Format("Invalid subrange of %s", {baseType ? baseType->Name : ""}));
    auto info = std::make_unique<TTypeInfo>();
    info->Kind = TTypeKind::tkEnumeration;
    info->Name = typeName;
    info->OrdType = baseType->OrdType;
    info->MinValue = first;
    info->MaxValue = last;
    info->Names.assign(baseType->Names.begin() + (first - baseType->MinValue),
                       baseType->Names.begin() + (last - baseType->MinValue + 1));
    info->BaseType = baseType;
    info->UnitName = baseType->UnitName;
    AddRefGeneratedType(baseType);
    return AddGenerated(std::move(info));
}

const TTypeInfo* NewSetType(const std::string& typeName, const TTypeInfo* elementType) {
    auto info = std::make_unique<TTypeInfo>();
    info->Kind = TTypeKind::tkSet;
    info->Name = typeName;
    info->BaseType = elementType;
    ElementType(info.get()); // refuses an element type a set value cannot hold
    int64_t span = elementType->MaxValue - elementType->MinValue + 1;
    info->OrdType = span <= 8    ? TOrdType::otUByte
                    : span <= 16 ? TOrdType::otUWord
                                 : TOrdType::otULong;
    AddRefGeneratedType(elementType);
    return AddGenerated(std::move(info));
}

void AddRefGeneratedType(const TTypeInfo* type) {
    TGeneratedTypes& g = Generated();
    std::lock_guard<std::mutex> hold(g.Lock);
    auto it = g.Types.find(type);
    if (it != g.Types.end())
        ++it->second.Count;
}

void ReleaseGeneratedType(const TTypeInfo* type) {
    std::unique_ptr<TTypeInfo> gone;
    {
        // The count changes under the same lock that finds and removes the entry, so two
        // threads that release the last two users cannot both see it reach zero.
        TGeneratedTypes& g = Generated();
        std::lock_guard<std::mutex> hold(g.Lock);
        auto it = g.Types.find(type);
        if (it == g.Types.end() || --it->second.Count > 0)
            return;
        gone = std::move(it->second.Info);
        g.Types.erase(it);
    }
    // A set goes after its element type is released, a subrange after its base.
    if (gone->BaseType && gone->BaseType != gone.get())
        ReleaseGeneratedType(gone->BaseType);
}

bool IsGeneratedType(const TTypeInfo* type) {
    TGeneratedTypes& g = Generated();
    std::lock_guard<std::mutex> hold(g.Lock);
    return g.Types.count(type) != 0;
}

int GeneratedTypeCount() {
    TGeneratedTypes& g = Generated();
    std::lock_guard<std::mutex> hold(g.Lock);
    return static_cast<int>(g.Types.size());
}
