#include "PublishedTypes.h"

namespace {

TTypeInfo Enumeration(const char* name, std::vector<std::string> names, const char* unit) {
    TTypeInfo t;
    t.Kind = TTypeKind::tkEnumeration;
    t.Name = name;
    t.OrdType = TOrdType::otUByte;
    t.MinValue = 0;
    t.MaxValue = static_cast<int64_t>(names.size()) - 1;
    t.Names = std::move(names);
    t.UnitName = unit;
    return t;
}

} // namespace

const TTypeInfo* BooleanTypeInfo() {
    static const TTypeInfo info = Enumeration("Boolean", {"False", "True"}, "System");
    return &info;
}

void CheckOrdinalInRange(const TTypeInfo* type, int64_t value) {
    if (type && (value < type->MinValue || value > type->MaxValue))
        throw EConvertError(
            Format("%d is not a value of %s", {value, type ? type->Name : std::string()}));
}

const TTypeInfo* AlignTypeInfo() {
    static const TTypeInfo info = Enumeration(
        "TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"},
        "Controls");
    return &info;
}

const TTypeInfo* FontStyleTypeInfo() {
    static const TTypeInfo info =
        Enumeration("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, "Graphics");
    return &info;
}

const TTypeInfo* FontStylesTypeInfo() {
    static const TTypeInfo info{TTypeKind::tkSet,
                                "TFontStyles",
                                TOrdType::otUByte,
                                0,
                                0,
                                {},
                                FontStyleTypeInfo(),
                                "Graphics",
                                0};
    return &info;
}

const TTypeInfo* CheckBoxStateTypeInfo() {
    static const TTypeInfo info =
        Enumeration("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"}, "StdCtrls");
    return &info;
}
