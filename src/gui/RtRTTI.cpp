#include "RtRTTI.h"

namespace {

const char* KindName(TTypeKind k) {
    static const char* names[] = {
        "tkUnknown", "tkInteger", "tkChar",   "tkEnumeration", "tkFloat",   "tkString",
        "tkSet",     "tkClass",   "tkMethod", "tkWChar",       "tkLString", "tkWString",
        "tkVariant", "tkArray",   "tkRecord", "tkInterface",   "tkInt64",   "tkDynArray"};
    return names[static_cast<int>(k)];
}

const char* OrdName(TOrdType t) {
    static const char* names[] = {"otSByte", "otUByte", "otSWord", "otUWord", "otSLong", "otULong"};
    return names[static_cast<int>(t)];
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
    lines_->Add(std::string(static_cast<size_t>(level_) * 2, ' ') + current_ + text);
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
    w.Indent();
    struct Out {
        IRtWriter& w;
        ~Out() { w.Outdent(); }
    } out{w};
    if (info_->BaseType)
        TypeInfoObject(info_->BaseType)->WriteDescription(w);
}

void TRtSetTypeInfo::WriteDeclaration(IRtWriter& w) const {
    std::string element = "???";
    if (const TTypeInfo* e = info_->BaseType) {
        if (e->Name.empty() || e->Name[0] != '.')
            element = e->Name;
        else if (e->Kind == TTypeKind::tkEnumeration)
            element = TRtEnumerationTypeInfo(e).InlineDeclaration();
    }
    if (IsAnonymous()) {
        w.Write("set of " + element);
        return;
    }
    w.Writeln(info_->Name + " = set of " + element + "; // " + OrdName(info_->OrdType));
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
    default:
        return std::make_shared<TRtTypeInfo>(info);
    }
}
