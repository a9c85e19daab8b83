// The application storage over an in-memory store: paths, routing to sub-storages, typed reads
// with their fallbacks, writes, set and enumeration texts and encryption.
#include "MemoryStorage.h"

#include "System.h"

#include <cmath>
#include <functional>

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

TEST(AppStorage, ConcatPaths) {
    struct Case {
        std::vector<std::string> paths;
        const char* expected;
    } cases[] = {
        {{"A\\B\\..\\C"}, "A\\C"},
        {{"A\\...\\C"}, "C"},
        {{"..\\X"}, "X"},
        {{"A\\B\\....\\C"}, "C"},
        {{"A\\.\\B"}, "A\\B"},
        {{"\\A\\\\B\\"}, "A\\B"},
        {{"Forms", "Main\\Left"}, "Forms\\Main\\Left"},
        {{"Forms", "\\Other", "Left"}, "Other\\Left"},
        {{"Forms", "..\\Top"}, "Top"},
        {{"  "}, ""},
        {{""}, ""},
        {{}, ""},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (auto& p : c.paths)
            joined += "[" + p + "]";
        SCOPED_TRACE(joined);
        EXPECT_EQ(TBvCustomAppStorage::ConcatPaths(c.paths), c.expected);
    }
}

struct Mounted {
    TComponent owner{nullptr};
    TMemoryStorage* main = new TMemoryStorage(&owner);
    TMemoryStorage* forms = new TMemoryStorage(&owner);
    TMemoryStorage* mainForm = new TMemoryStorage(&owner);
    TMemoryStorage* fixed = new TMemoryStorage(&owner);
    Mounted() {
        main->SetName("Main");
        forms->SetName("Forms");
        mainForm->SetName("MainForm");
        fixed->SetName("Fixed");
        fixed->ReadOnly = true;
        main->SubStorages().Add("\\Forms", forms);
        main->SubStorages().Add("Forms\\Main\\", mainForm);
        main->SubStorages().Add("Fixed", fixed);
    }
};

TEST(AppStorage, RoutingTakesTheLongestRootAndSparesReadOnlyTargets) {
    Mounted m;
    EXPECT_EQ(m.main->SubStorages().Items(1).RootPath(), "Forms\\Main");
    EXPECT_EQ(m.main->SubStorages().Items(0).DisplayName(), "\\Forms=Forms");
    struct Case {
        const char* current;
        const char* path;
        TMemoryStorage* Mounted::*target;
        const char* stored;
    } cases[] = {
        {"", "Forms\\Main\\Left", &Mounted::mainForm, "Left"},
        {"", "forms\\MAIN\\Top\\X", &Mounted::mainForm, "Top\\X"},
        {"", "Forms\\Other\\Left", &Mounted::forms, "Other\\Left"},
        {"", "FormsX\\Left", &Mounted::main, "FormsX\\Left"},
        {"", "Forms\\MainX", &Mounted::forms, "MainX"},
        {"Forms", "Main\\Left", &Mounted::mainForm, "Left"},
        {"Forms\\Main", "..\\Width", &Mounted::forms, "Width"},
        {"Forms", "\\Top", &Mounted::main, "Top"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.current) + " | " + c.path);
        Mounted fresh;
        fresh.main->SetCurrentPath(c.current);
        fresh.main->WriteInteger(c.path, 7);
        TMemoryStorage* target = fresh.*c.target;
        EXPECT_EQ(target->Text(c.stored), "int 7");
        EXPECT_EQ(fresh.main->ReadInteger(c.path, 0), 7);
        EXPECT_TRUE(fresh.main->ValueStored(c.path));
        for (TMemoryStorage* s : {fresh.main, fresh.forms, fresh.mainForm, fresh.fixed})
            EXPECT_EQ(s->Size(), s == target ? 1u : 0u) << s->Name();
    }

    // A read-only target is not written and not deleted from.
    m.fixed->Put("Kept", int32_t{1});
    m.main->WriteInteger("Fixed\\Kept", 2);
    m.main->WriteString("Fixed\\New", "x");
    m.main->DeleteSubTree("Fixed\\Kept");
    EXPECT_EQ(m.fixed->Text("Kept"), "int 1");
    EXPECT_EQ(m.fixed->Size(), 1u);
    m.main->Put("A\\B", int32_t{3});
    m.main->ReadOnly = true;
    m.main->DeleteSubTree("A");
    EXPECT_EQ(m.main->Size(), 1u);
    m.main->ReadOnly = false;
    m.main->ReadOnlyStore = true;
    m.main->DeleteSubTree("A");
    EXPECT_EQ(m.main->Size(), 1u);
    m.main->ReadOnlyStore = false;
    m.main->DeleteSubTree("A");
    EXPECT_EQ(m.main->Size(), 0u);
}

TEST(AppStorage, SubStorageRules) {
    Mounted m;
    auto message = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const EBvAppStorageError& e) {
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { m.main->SubStorages().Add("forms", m.fixed); }),
              "'forms' is not a unique root path");
    EXPECT_EQ(message([&] { m.main->SubStorages().Add("Self", m.main); }),
              "Circular reference of storages");
    // Forms already reaches MainForm? No: Main reaches Forms, so Forms may not mount Main.
    EXPECT_EQ(message([&] { m.forms->SubStorages().Add("Back", m.main); }),
              "Circular reference of storages");
    auto* deeper = new TMemoryStorage(&m.owner);
    m.mainForm->SubStorages().Add("Deep", deeper);
    EXPECT_EQ(message([&] { deeper->SubStorages().Add("Loop", m.main); }),
              "Circular reference of storages");
    EXPECT_EQ(m.main->SubStorages().Count(), 3);
    // A storage that goes takes its mount with it.
    delete m.fixed;
    EXPECT_EQ(m.main->SubStorages().Count(), 2);
    m.main->WriteInteger("Fixed\\X", 1);
    EXPECT_EQ(m.main->Text("Fixed\\X"), "int 1");
}

TEST(AppStorage, AMissingValueWithDefaultsAsksOnlyWhetherItIsStored) {
    TMemoryStorage s;
    s.SetCurrentPath("Section");
    TTypeInfo colour;
    colour.Kind = TTypeKind::tkEnumeration;
    colour.Name = "TColour";
    colour.MaxValue = 2;
    colour.Names = {"cRed", "cGreen", "cBlue"};
    int64_t e = -1;
    s.ReadEnumeration("E", &colour, 2, e);
    EXPECT_EQ(e, 2);
    EXPECT_EQ(s.ReadInteger("I", 5), 5);
    EXPECT_EQ(s.ReadString("S", "d"), "d");
    EXPECT_EQ(s.ReadFloat("F", 1.5), 1.5);
    EXPECT_EQ(s.ReadDateTime("D", 3.25), 3.25);
    EXPECT_TRUE(s.ReadBoolean("B", true));
    EXPECT_EQ(s.Log, (Strings{"ValueStored Section\\E", "ValueStored Section\\I",
                              "ValueStored Section\\S", "ValueStored Section\\F",
                              "ValueStored Section\\D", "ValueStored Section\\B"}));
}

TEST(AppStorage, BooleanFallbacks) {
    struct Case {
        TMemoryStorage::Value stored;
        bool defaultValue;
        bool convertDefault;
        int expected; // -1: raises EConvertError
    } cases[] = {
        {std::string("yes"), false, false, 1},  {std::string("Y"), false, false, 1},
        {std::string("true"), false, false, 1}, {std::string("n"), true, false, 0},
        {std::string("No"), true, false, 0},    {std::string("1"), false, false, 1},
        {std::string("0"), true, false, 0},     {int32_t{1}, false, false, 1},
        {int32_t{0}, true, false, 0},           {std::string("maybe"), true, false, -1},
        {std::string("maybe"), true, true, 1},  {std::string("maybe"), false, true, 0},
    };
    for (const Case& c : cases) {
        TMemoryStorage s;
        s.Put("B", c.stored);
        s.StorageOptions().DefaultIfReadConvertError = c.convertDefault;
        SCOPED_TRACE(s.Text("B"));
        if (c.expected < 0)
            EXPECT_THROW(s.ReadBoolean("B", c.defaultValue), EConvertError);
        else
            EXPECT_EQ(s.ReadBoolean("B", c.defaultValue), c.expected == 1);
    }
    // A text in neither list is read again as an integer.
    TMemoryStorage s;
    s.Put("B", std::string("1"));
    s.ReadBoolean("B", false);
    EXPECT_EQ(s.Log, (Strings{"ValueStored B", "ReadString B", "ReadInteger B"}));
    // Without text booleans the integer is read directly.
    s.Log.clear();
    s.StorageOptions().SetBooleanAsString(false);
    s.Put("B", int32_t{1});
    EXPECT_TRUE(s.ReadBoolean("B", false));
    EXPECT_EQ(s.Log, (Strings{"ValueStored B", "ReadInteger B"}));
}

TEST(AppStorage, BooleanTextListsAndTheFirstEntryWritten) {
    TMemoryStorage s;
    s.StorageOptions().SetBooleanStringTrueValues("on, \"very much\" yes");
    s.StorageOptions().SetBooleanStringFalseValues("off");
    s.Put("A", std::string("VERY MUCH"));
    EXPECT_TRUE(s.ReadBoolean("A", false));
    s.WriteBoolean("W", true);
    EXPECT_EQ(s.Text("W"), "on");
    // Without a first entry to write, booleans cannot be texts.
    s.StorageOptions().SetBooleanStringFalseValues(", off");
    EXPECT_FALSE(s.StorageOptions().BooleanAsString());
    s.WriteBoolean("W", false);
    EXPECT_EQ(s.Text("W"), "int 0");
}

TEST(AppStorage, FloatAndDateFallbacksAndTheInvariantForm) {
    struct Case {
        TMemoryStorage::Value stored;
        bool asString;
        char decimal;
        double expected;
    } floats[] = {
        {2.5, true, '.', 2.5},                 // text wanted, held natively
        {std::string("2.5"), false, '.', 2.5}, // native wanted, held as text
        {std::string("2.5"), true, ',', 2.5},  // invariant first
        {std::string("2,5"), true, ',', 2.5},  // then as the locale writes it
        {std::string("-1e-3"), true, '.', -0.001},
    };
    for (const Case& c : floats) {
        TMemoryStorage s;
        s.StorageOptions().FloatAsString = c.asString;
        s.FormatSettings.DecimalSeparator = c.decimal;
        s.Put("F", c.stored);
        SCOPED_TRACE(s.Text("F"));
        EXPECT_DOUBLE_EQ(s.ReadFloat("F", 0), c.expected);
    }
    TMemoryStorage s;
    s.Put("F", std::string("2,5"));
    EXPECT_THROW(s.ReadFloat("F", 9), EConvertError); // the locale here writes "."
    s.StorageOptions().DefaultIfReadConvertError = true;
    EXPECT_EQ(s.ReadFloat("F", 9), 9);

    // Written in one form whatever the locale, and read back exactly.
    s.StorageOptions().FloatAsString = true;
    s.FormatSettings.DecimalSeparator = ',';
    s.WriteFloat("W", 0.1);
    EXPECT_EQ(s.Text("W"), "0.1");
    EXPECT_EQ(s.ReadFloat("W", 0), 0.1);
    s.StorageOptions().FloatAsString = false;
    s.WriteFloat("N", 0.25);
    EXPECT_EQ(s.Text("N"), "float 0.25");

    TDateTime when = EncodeDate(2026, 12, 10) + EncodeTime(17, 30, 5, 250);
    s.WriteDateTime("D", when);
    EXPECT_EQ(s.Text("D"), "2026-12-10T17:30:05.250");
    EXPECT_NEAR(s.ReadDateTime("D", 0), when, 1e-8);
    s.WriteDateTime("Day", EncodeDate(1999, 1, 2));
    EXPECT_EQ(s.Text("Day"), "1999-01-02");
    s.FormatSettings.DateSeparator = '.';
    s.FormatSettings.DateOrder = "dmy";
    s.Put("L", std::string("10.12.2026 17:30"));
    EXPECT_NEAR(s.ReadDateTime("L", 0), EncodeDate(2026, 12, 10) + EncodeTime(17, 30, 0, 0), 1e-8);
    s.Put("Native", 45000.5);
    EXPECT_EQ(s.ReadDateTime("Native", 0), 45000.5);
    s.StorageOptions().DateTimeAsString = false;
    s.WriteDateTime("DN", 45000.5);
    EXPECT_EQ(s.Text("DN"), "float 45000.5");
    s.Put("DT", std::string("2026-12-10"));
    EXPECT_EQ(s.ReadDateTime("DT", 0), EncodeDate(2026, 12, 10));
}

struct Types {
    TTypeInfo colour, boolean, letters, letterSet, colourSet, small, smallSet;
    Types() {
        colour.Kind = TTypeKind::tkEnumeration;
        colour.Name = "TColour";
        colour.MaxValue = 2;
        colour.Names = {"cRed", "cGreen", "cBlue"};
        boolean = colour;
        boolean.Name = "Boolean";
        boolean.MaxValue = 1;
        boolean.Names = {"False", "True"};
        letters.Kind = TTypeKind::tkChar;
        letters.Name = "TMark";
        letters.MinValue = '-';
        letters.MaxValue = 'B';
        letterSet.Kind = TTypeKind::tkSet;
        letterSet.Name = "TMarks";
        letterSet.BaseType = &letters;
        colourSet = letterSet;
        colourSet.Name = "TColours";
        colourSet.BaseType = &colour;
        small.Kind = TTypeKind::tkInteger;
        small.Name = "TSmall";
        small.MinValue = 1;
        small.MaxValue = 3;
        smallSet = letterSet;
        smallSet.Name = "TSmalls";
        smallSet.BaseType = &small;
    }
};

TEST(AppStorage, EnumerationFallbacks) {
    Types t;
    struct Case {
        TMemoryStorage::Value stored;
        const TTypeInfo* type;
        bool convertDefault;
        int64_t expected; // -1: raises EConvertError
    } cases[] = {
        {std::string("cBlue"), &t.colour, false, 2},  {std::string("CGREEN"), &t.colour, false, 1},
        {std::string("1"), &t.colour, false, 1},      {int32_t{2}, &t.colour, false, 2},
        {std::string("cPink"), &t.colour, false, -1}, {std::string("cPink"), &t.colour, true, 0},
        {std::string("Yes"), &t.boolean, false, 1},   {int32_t{66}, &t.letters, false, 66},
    };
    for (const Case& c : cases) {
        TMemoryStorage s;
        s.Put("E", c.stored);
        s.StorageOptions().DefaultIfReadConvertError = c.convertDefault;
        SCOPED_TRACE(s.Text("E") + " as " + c.type->Name);
        int64_t v = 99;
        if (c.expected < 0) {
            EXPECT_THROW(s.ReadEnumeration("E", c.type, 0, v), EConvertError);
        } else {
            s.ReadEnumeration("E", c.type, 0, v);
            EXPECT_EQ(v, c.expected);
        }
    }
    TMemoryStorage s;
    s.WriteEnumeration("N", &t.colour, 1);
    EXPECT_EQ(s.Text("N"), "cGreen");
    s.StorageOptions().EnumerationAsString = false;
    s.WriteEnumeration("N", &t.colour, 1);
    EXPECT_EQ(s.Text("N"), "int 1");
    s.WriteEnumeration("B", &t.boolean, 1);
    EXPECT_EQ(s.Text("B"), "TRUE");
    // Integers of a type with identifiers, such as colours, go by identifier.
    TTypeInfo colourValue;
    colourValue.Kind = TTypeKind::tkInteger;
    colourValue.Name = "TColor";
    colourValue.Idents = {{0xFF, "clRed"}, {0xFF0000, "clBlue"}};
    s.WriteEnumeration("C", &colourValue, 0xFF0000);
    EXPECT_EQ(s.Text("C"), "clBlue");
    s.WriteEnumeration("C2", &colourValue, 0x123456);
    EXPECT_EQ(s.Text("C2"), "int 1193046");
    struct IdentCase {
        TMemoryStorage::Value stored;
        int64_t expected;
    } idents[] = {{std::string("CLRED"), 0xFF}, {std::string("77"), 77}, {int32_t{5}, 5}};
    for (const IdentCase& c : idents) {
        s.Put("C", c.stored);
        int64_t v = 0;
        s.ReadEnumeration("C", &colourValue, 1, v);
        EXPECT_EQ(v, c.expected) << s.Text("C");
    }
    s.StorageOptions().TypedIntegerAsString = false;
    s.WriteEnumeration("C", &colourValue, 0xFF);
    EXPECT_EQ(s.Text("C"), "int 255");

    TTypeInfo floating;
    floating.Kind = TTypeKind::tkFloat;
    int64_t v = 0;
    EXPECT_THROW(s.ReadEnumeration("N", &floating, 0, v), EBvAppStorageError);
    EXPECT_THROW(s.WriteEnumeration("N", &floating, 0), EBvAppStorageError);
}

TEST(AppStorage, SetsAsFoldersOrTextsWithTheirElementNames) {
    Types t;
    TMemoryStorage s;
    // One boolean per possible element; characters that are not letters or digits by code.
    s.WriteSet("Marks", &t.letterSet, (TSetValue{1} << ('A' - '-')) | 1);
    EXPECT_EQ(s.Text("Marks\\Char#45"), "TRUE");
    EXPECT_EQ(s.Text("Marks\\Char#46"), "FALSE");
    EXPECT_EQ(s.Text("Marks\\Char#47"), "FALSE");
    EXPECT_EQ(s.Text("Marks\\Char_0"), "FALSE");
    EXPECT_EQ(s.Text("Marks\\Char_A"), "TRUE");
    EXPECT_EQ(s.Text("Marks\\Char_B"), "FALSE");
    TSetValue v = 0;
    s.ReadSet("Marks", &t.letterSet, 0, v);
    EXPECT_EQ(v, (TSetValue{1} << ('A' - '-')) | 1);

    s.WriteSet("Small", &t.smallSet, 0b101);
    EXPECT_EQ(s.Text("Small\\Int_1"), "TRUE");
    EXPECT_EQ(s.Text("Small\\Int_2"), "FALSE");

    // As one text, the empty set included.
    s.StorageOptions().SetAsString = true;
    struct Case {
        TSetValue value;
        const char* text;
    } cases[] = {
        {0, "[]"}, {0b001, "[cRed]"}, {0b110, "[cGreen, cBlue]"}, {0b111, "[cRed, cGreen, cBlue]"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        s.WriteSet("Colours", &t.colourSet, c.value);
        EXPECT_EQ(s.Text("Colours"), c.text);
        TSetValue back = 0b010;
        s.ReadSet("Colours", &t.colourSet, 0b010, back);
        EXPECT_EQ(back, c.value);
    }
    // An element the type lacks: a conversion error, or the default when asked for.
    s.Put("Colours", std::string("[cRed, cPink]"));
    EXPECT_THROW(s.ReadSet("Colours", &t.colourSet, 0b100, v), EConvertError);
    s.StorageOptions().DefaultIfReadConvertError = true;
    s.ReadSet("Colours", &t.colourSet, 0b100, v);
    EXPECT_EQ(v, 0b100u);
    // A missing set reads as its default.
    s.ReadSet("Nothing", &t.colourSet, 0b011, v);
    EXPECT_EQ(v, 0b011u);

    TTypeInfo floats;
    floats.Kind = TTypeKind::tkFloat;
    TTypeInfo floatSet = t.letterSet;
    floatSet.BaseType = &floats;
    try {
        s.ReadSet("X", &floatSet, 0, v);
        ADD_FAILURE();
    } catch (const EBvAppStorageError& e) {
        EXPECT_EQ(e.Message(), "Unknown base type for given set");
    }
}

TEST(AppStorage, EncryptionRoundTripsOnlyWithBothHandlers) {
    auto rot = [](std::string& v) {
        for (char& c : v)
            c = static_cast<char>(c ^ 0x5A);
    };
    struct Case {
        bool encrypt, decrypt, enabled;
        bool transformed;
    } cases[] = {
        {true, true, true, true},
        {true, true, false, false},
        {true, false, true, false},
        {false, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.encrypt) + std::to_string(c.decrypt) +
                     std::to_string(c.enabled));
        TMemoryStorage s;
        if (c.encrypt)
            s.OnEncryptPropertyValue = rot;
        if (c.decrypt)
            s.OnDecryptPropertyValue = rot;
        if (c.enabled)
            s.EnablePropertyValueCrypt();
        s.WriteString("Secret", "pass word\r\n\x01 ÄÖ");
        EXPECT_EQ(s.Text("Secret") != "pass word\r\n\x01 ÄÖ", c.transformed);
        EXPECT_EQ(s.ReadString("Secret", ""), "pass word\r\n\x01 ÄÖ");
        s.WriteBoolean("Flag", true);
        EXPECT_TRUE(s.ReadBoolean("Flag", false));
    }
}

TEST(AppStorage, PropertyNamesPassTheTranslationHandler) {
    TMemoryStorage s;
    EXPECT_EQ(s.TranslatePropertyName(nullptr, "FormVersion", true), "FormVersion");
    s.OnTranslatePropertyName = [](TBvCustomAppStorage*, TPersistent*, std::string& name,
                                   bool reading) { name = (reading ? "r_" : "w_") + name; };
    EXPECT_EQ(s.TranslatePropertyName(nullptr, "FormVersion", true), "r_FormVersion");
    EXPECT_EQ(s.TranslatePropertyName(nullptr, "FormVersion", false), "w_FormVersion");
}

TEST(AppStorage, AConcreteStoreFlushesInItsOwnDestructor) {
    int flushes = 0;
    {
        TMemoryStorage s(nullptr, &flushes);
        s.WriteBinary("Bytes", std::string("\0\1\2", 3));
        EXPECT_EQ(s.ReadBinary("Bytes"), std::string("\0\1\2", 3));
    }
    EXPECT_EQ(flushes, 1);
}

} // namespace
