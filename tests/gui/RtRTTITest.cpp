// The type information wrappers of every kind, written as a description and as a declaration,
// the set texts and the list of types made at run time.
#include "RtRTTI.h"

#include <regex>
#include <thread>

#include <gtest/gtest.h>

namespace {

// Addresses differ from run to run: every hexadecimal address becomes "ADDR".
std::vector<std::string> Masked(const TStrings& lines) {
    std::vector<std::string> out;
    for (int i = 0; i < lines.Count(); ++i) {
        std::string line = lines[i];
        line = std::regex_replace(line, std::regex(R"(Type info: [0-9A-F]+)"), "Type info: ADDR");
        line = std::regex_replace(line, std::regex(R"(\$[0-9A-F]+)"), "$ADDR");
        out.push_back(line);
    }
    return out;
}

std::vector<std::string> Description(const TTypeInfo* t) {
    TStringList lines;
    TRtStringsWriter w(&lines);
    TypeInfoObject(t)->WriteDescription(w);
    return Masked(lines);
}

std::vector<std::string> Declaration(const TTypeInfo* t) {
    TStringList lines;
    TRtStringsWriter w(&lines);
    TypeInfoObject(t)->WriteDeclaration(w);
    w.Writeln(""); // flushes what an anonymous declaration left on the current line
    std::vector<std::string> out = Masked(lines);
    if (!out.empty() && out.back().empty())
        out.pop_back();
    return out;
}

// The hand-made records the table below describes.
struct Types {
    TTypeInfo Char, Float, ShortStr, AnonStr, Int64, Colour, AnonEnum, Set, TObject, TBase, TWidget,
        Notify, Format, IUnknownT, IThing, Disp, Names, Matrix, NoElem;
    int field = 0;
    Types() {
        Char.Kind = TTypeKind::tkChar;
        Char.Name = "TPrintable";
        Char.OrdType = TOrdType::otUByte;
        Char.MinValue = 9;
        Char.MaxValue = 'z';

        Float.Kind = TTypeKind::tkFloat;
        Float.Name = "TVolume";
        Float.FloatType = TFloatType::ftExtended;

        ShortStr.Kind = TTypeKind::tkString;
        ShortStr.Name = "TCode";
        ShortStr.MaxLength = 8;
        AnonStr = ShortStr;
        AnonStr.Name = ".1";
        AnonStr.MaxLength = 20;

        Int64.Kind = TTypeKind::tkInt64;
        Int64.Name = "TBig";
        Int64.MinValue = -5;
        Int64.MaxValue = 9000000000;

        Colour.Kind = TTypeKind::tkEnumeration;
        Colour.Name = "TColourName";
        Colour.OrdType = TOrdType::otUByte;
        Colour.MaxValue = 2;
        Colour.Names = {"cnRed", "cnGreen", "cnBlue"};
        Colour.UnitName = "Paint";
        AnonEnum = Colour;
        AnonEnum.Name = ".2";
        AnonEnum.Names = {"aOne", "aTwo", "aThree"};

        Set.Kind = TTypeKind::tkSet;
        Set.Name = "TFlags";
        Set.OrdType = TOrdType::otUByte;
        Set.BaseType = &AnonEnum;

        TObject.Kind = TTypeKind::tkClass;
        TObject.Name = "TObject";
        TObject.UnitName = "System";
        TBase = TObject;
        TBase.Name = "TBase";
        TBase.Parent = &TObject;
        TBase.UnitName = "Kit";
        TBase.Props = {{"Tag", &Int64, {TRtAccessKind::akField, &field}, {}, {}}};
        TWidget = TBase;
        TWidget.Name = "TWidget";
        TWidget.Parent = &TBase;
        TWidget.InterfaceGuids = {"{11111111-2222-3333-4444-555555555555}"};
        TWidget.Props = {
            {"Colour",
             &Colour,
             {TRtAccessKind::akField, &field},
             {TRtAccessKind::akStaticMethod, &field},
             {TRtAccessKind::akConstant, nullptr, false},
             false,
             0,
             true,
             1},
            {"Volume",
             &Float,
             {TRtAccessKind::akVirtualMethod, &field},
             {TRtAccessKind::akVirtualMethod, &field},
             {TRtAccessKind::akStaticMethod, &field},
             true,
             3,
             false,
             0},
        };

        Notify.Kind = TTypeKind::tkMethod;
        Notify.Name = "TNotifyEvent";
        Notify.Params = {{0, "Sender", "TObject"}};
        Format.Kind = TTypeKind::tkMethod;
        Format.Name = "TFormatEvent";
        Format.MethodKind = TMethodKind::mkFunction;
        Format.Params = {{pfConst, "Fmt", "string"},
                         {pfConst | pfArray, "Args", "TVarRec"},
                         {pfVar, "Done", "Boolean"},
                         {pfOut | pfArray, "Parts", "Integer"}};
        Format.ResultType = "string";

        IUnknownT.Kind = TTypeKind::tkInterface;
        IUnknownT.Name = "IUnknown";
        IUnknownT.Guid = "{00000000-0000-0000-C000-000000000046}";
        IUnknownT.IntfFlags = ifHasGuid;
        IUnknownT.UnitName = "System";
        IThing = IUnknownT;
        IThing.Name = "IThing";
        IThing.Parent = &IUnknownT;
        IThing.Guid = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
        IThing.UnitName = "Kit";
        Disp.Kind = TTypeKind::tkInterface;
        Disp.Name = "IThingDisp";
        Disp.Parent = &IThing;
        Disp.IntfFlags = ifDispInterface | ifDispatch;
        Disp.UnitName = "Kit";

        Names.Kind = TTypeKind::tkDynArray;
        Names.Name = "TNames";
        Names.ElemSize = 8;
        Names.ElemType = &ShortStr;
        Names.ElemNeedsCleanup = true;
        Names.VarType = 256;
        Names.UnitName = "Kit";
        Matrix = Names;
        Matrix.Name = "TMatrix";
        Matrix.ElemType = &AnonStr;
        NoElem = Names;
        NoElem.Name = "TNothing";
        NoElem.ElemType = nullptr;
        NoElem.ElemNeedsCleanup = false;
        NoElem.VarType = 0;
    }
};

using Lines = std::vector<std::string>;

TEST(RtRtti, EachKindDescribesAndDeclaresItself) {
    Types t;
    const Lines head = {"Type kind:", "Type info: ADDR"};
    struct Case {
        const TTypeInfo* type;
        Lines description; // after the three common lines
        Lines declaration;
    } cases[] = {
        {&t.Char,
         {"Ordinal type: otUByte", "Min value: 9", "Max value: 122"},
         {"TPrintable = #9..'z'; // otUByte"}},
        {&t.Float, {"Float type: ftExtended"}, {"TVolume = type Extended;"}},
        {&t.ShortStr, {"Max length: 8"}, {"TCode = string[8];"}},
        {&t.AnonStr, {"Max length: 20"}, {"string[20]"}},
        {&t.Int64, {"Min value: -5", "Max value: 9000000000"}, {"TBig = -5 .. 9000000000;"}},
        {&t.Set,
         {"Ordinal type: otUByte", "Based on: ", "  Name: .2", "  Type kind: tkEnumeration",
          "  Type info: ADDR", "  Ordinal type: otUByte", "  Min value: 0", "  Max value: 2",
          "  Unit name: Paint", "  Names: (aOne, aTwo, aThree)"},
         {"TFlags = set of (aOne, aTwo, aThree); // otUByte"}},
        {&t.TBase,
         {"Class name: TBase", "Parent: TObject", "Unit name: Kit", "Property count: 1 (1)",
          "  Tag: TBig", "    [read field $ADDR]"},
         {"TBase = class // unit Kit", "published", "  property Tag: TBig read [field $ADDR];",
          "end;"}},
        {&t.TWidget,
         {"Class name: TWidget", "Parent: TBase", "Unit name: Kit", "Property count: 2 (3)",
          "  Colour: TColourName", "    [default 1]", "    [read field $ADDR]",
          "    [write static method $ADDR]", "    [stored=False]", "  Volume: TVolume",
          "    [index 3]", "    [read virtual method $ADDR]", "    [write virtual method $ADDR]",
          "    [stored=static method $ADDR]"},
         {"TWidget = class(TBase, ['{11111111-2222-3333-4444-555555555555}']) // unit Kit",
          "published",
          "  property Colour: TColourName read [field $ADDR] write [static method $ADDR] stored "
          "= False default 1;",
          "  property Volume: TVolume index 3 read [virtual method $ADDR] write [virtual method "
          "$ADDR] stored = [static method $ADDR];",
          "end;"}},
        {&t.TObject,
         {"Class name: TObject", "Parent: ", "Unit name: System", "Property count: 0 (0)"},
         {"TObject = class // unit System", "end;"}},
        {&t.Notify,
         {"Method kind: mkProcedure", "Parameter count: 1", "  Name: Sender", "  Type: TObject",
          "  Flags: []"},
         {"TNotifyEvent = procedure(Sender: TObject) of object;"}},
        {&t.Format,
         {"Method kind: mkFunction", "Parameter count: 4", "  Name: Fmt", "  Type: string",
          "  Flags: [pfConst]", "", "  Name: Args", "  Type: TVarRec",
          "  Flags: [pfConst, pfArray]", "", "  Name: Done", "  Type: Boolean", "  Flags: [pfVar]",
          "", "  Name: Parts", "  Type: Integer", "  Flags: [pfArray, pfOut]",
          "Return type: string"},
         {"TFormatEvent = function(const Fmt: string; const Args: array of const; var Done: "
          "Boolean; out Parts: array of Integer): string of object;"}},
        {&t.IUnknownT,
         {"GUID: {00000000-0000-0000-C000-000000000046}", "Flags: [ifHasGuid]", "Unit name: System",
          "Property count: 0"},
         {"IUnknown = interface // unit System", "  ['{00000000-0000-0000-C000-000000000046}']",
          "end;"}},
        {&t.IThing,
         {"GUID: {AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}", "Flags: [ifHasGuid]", "Unit name: Kit",
          "Parent: IUnknown", "Property count: 0"},
         {"IThing = interface // unit Kit", "  ['{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}']",
          "end;"}},
        {&t.Disp,
         {"Flags: [ifDispInterface, ifDispatch]", "Unit name: Kit", "Parent: IThing",
          "Property count: 0"},
         {"IThingDisp = dispinterface // unit Kit", "end;"}},
        {&t.Names,
         {"Element size: 8", "Element type: TCode", "Elements need clean up: True",
          "Variant type: 256", "Unit name: Kit"},
         {"TNames = array of TCode; // Unit Kit"}},
        {&t.Matrix,
         {"Element size: 8", "Element type: ", "  Name: .1", "  Type kind: tkString",
          "  Type info: ADDR", "  Max length: 20", "Elements need clean up: True",
          "Variant type: 256", "Unit name: Kit"},
         {"TMatrix = array of string[20]; // Unit Kit"}},
        {&t.NoElem,
         {"Element size: 8", "Element type: ???", "Elements need clean up: False",
          "Variant type: 0", "Unit name: Kit"},
         {"TNothing = array of ???; // Unit Kit"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type->Name);
        Lines expected = {"Name: " + c.type->Name, "Type kind: " + TypeKindName(c.type->Kind),
                          "Type info: ADDR"};
        expected.insert(expected.end(), c.description.begin(), c.description.end());
        EXPECT_EQ(Description(c.type), expected);
        EXPECT_EQ(Declaration(c.type), c.declaration);
    }
}

TEST(RtRtti, KindsWithoutDeclarationSaySoAndOrdinalsOutOfRangeAreNamed) {
    TTypeInfo variant;
    variant.Kind = TTypeKind::tkVariant;
    variant.Name = "Variant";
    EXPECT_EQ(Declaration(&variant), Lines{"// Declaration for 'Variant' not supported."});
    EXPECT_EQ(TypeKindName(static_cast<TTypeKind>(40)), "Value out of range (ordinal=40).");
    EXPECT_EQ(MethodKindName(static_cast<TMethodKind>(9)), "Value out of range (ordinal=9).");
    EXPECT_EQ(FloatTypeName(TFloatType::ftCurr), "ftCurr");
}

TEST(RtRtti, SetTextsRoundTripIncludingTheEmptySet) {
    Types t;
    TTypeInfo set = t.Set;
    set.BaseType = &t.Colour;
    struct Case {
        TSetValue value;
        const char* text;
        const char* ranged;
    } cases[] = {
        {0, "[]", ""},
        {0b001, "[cnRed]", "cnRed"},
        {0b101, "[cnRed, cnBlue]", "cnRed, cnBlue"},
        {0b111, "[cnRed, cnGreen, cnBlue]", "cnRed .. cnBlue"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SetToText(&set, c.value, true, false), c.text);
        EXPECT_EQ(SetToText(&set, c.value, false, true), c.ranged);
        TSetValue back = 0b010;
        TextToSet(&set, back, c.text);
        EXPECT_EQ(back, c.value);
        back = 0b010;
        TextToSet(&set, back, c.ranged);
        EXPECT_EQ(back, c.value);
    }
    TSetValue v = 0;
    EXPECT_THROW(TextToSet(&set, v, "[cnRed, 3]"), ERtRTTIError);
    EXPECT_THROW(TextToSet(&set, v, "[cnPink]"), ERtRTTIError);
}

TEST(RtRtti, GeneratedTypesAreFreedWithTheirLastUser) {
    int before = GeneratedTypeCount();
    const TTypeInfo* e = NewEnumerationType("TRuntime", {"rA", "rB", "rC"}, "Gen");
    const TTypeInfo* sub = NewEnumerationSubrange("TRuntimeTail", e, 1, 2);
    const TTypeInfo* s = NewSetType("TRuntimes", sub);
    EXPECT_EQ(GeneratedTypeCount(), before + 3);
    EXPECT_EQ(SetToText(s, 0b11, true, false), "[rB, rC]");
    EXPECT_EQ(Declaration(sub), Lines{"TRuntimeTail = rB .. rC; // otUByte"});

    // The enumeration stays while the subrange built on it lives.
    ReleaseGeneratedType(e);
    EXPECT_TRUE(IsGeneratedType(e));
    ReleaseGeneratedType(s);
    EXPECT_FALSE(IsGeneratedType(s));
    EXPECT_TRUE(IsGeneratedType(sub));
    ReleaseGeneratedType(sub);
    EXPECT_FALSE(IsGeneratedType(sub));
    EXPECT_FALSE(IsGeneratedType(e));
    EXPECT_EQ(GeneratedTypeCount(), before);
    // A release that comes after the type went does nothing.
    ReleaseGeneratedType(e);
    EXPECT_EQ(GeneratedTypeCount(), before);

    TTypeInfo wide;
    wide.Kind = TTypeKind::tkInteger;
    wide.MaxValue = 200;
    EXPECT_THROW(NewSetType("TWide", &wide), ERtRTTIError);
    EXPECT_EQ(GeneratedTypeCount(), before);
}

TEST(RtRtti, TwoThreadsReleasingOneTypeFreeItOnce) {
    for (int round = 0; round < 200; ++round) {
        int before = GeneratedTypeCount();
        const TTypeInfo* e = NewEnumerationType("TShared", {"sOne", "sTwo"});
        AddRefGeneratedType(e);
        std::thread a([e] { ReleaseGeneratedType(e); });
        std::thread b([e] { ReleaseGeneratedType(e); });
        a.join();
        b.join();
        ASSERT_FALSE(IsGeneratedType(e));
        ASSERT_EQ(GeneratedTypeCount(), before);
    }
}

} // namespace
