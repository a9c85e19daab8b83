#include "BvSimpleXml.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct TErrorCase {
    const char* name;
    std::string xml;
    std::string message;
};

std::string ErrorOf(const std::string& xml) {
    TBvSimpleXML doc;
    try {
        doc.LoadFromString(xml);
    } catch (const EBvSimpleXMLError& e) {
        return e.Message();
    }
    return "(no error)";
}

} // namespace

TEST(BvSimpleXML, MalformedDocumentsRaiseTheirMessages) {
    const std::vector<TErrorCase> cases = {
        {"text before the root", "x<a/>", "Invalid Document: Unexpected text in file prolog"},
        {"slash not closing", "<a/x>", "Invalid XML Element: Expected end of tag but \"x\" found"},
        {"slash after attributes", "<a b='1' /x>",
         "Invalid XML Element: Expected end of tag but \"x\" found"},
        {"no name", "<a>< b/></a>", "Invalid XML Element: malformed tag found (no valid name)"},
        {"wrong end tag", "<a><b></c></a>",
         "Invalid XML Element: Erroneous end of tag, expecting </b> but </c> found"},
        {"namespace in end tag", "<x:a></a>",
         "Invalid XML Element: Erroneous end of tag, expecting </a> but </a> found"},
        {"unclosed root", "<a><b/>",
         "Invalid XML Element: Erroneous end of tag, expecting </a> but </> found"},
        {"bad attribute character", "<a b%='1'/>",
         "Invalid XML Element: Unexpected character in property declaration (\"%\" found)"},
        {"attribute name above 127", "<a \xC3\xA9='1'/>",
         "Invalid XML Element: Unexpected character in property declaration (\"\xC3\" found)"},
        {"unquoted value", "<a b=1/>",
         "Invalid XML Element: Unexpected character in property declaration. Expecting \" or ' "
         "but \"1\"  found"},
        {"double dash", "<a><!-- x -- y --></a>",
         "Invalid Comment: \"--\" not allowed inside comments"},
        {"comment at end of data", "<a><!-- x", "Invalid Comment: Unexpected end of data"},
        {"cdata at end of data", "<a><![CDATA[ x ]]</a>", "Invalid CDATA: Unexpected end of data"},
        {"cdata with a blank", "<a><![CDATA [x]]></a>",
         "Invalid CDATA: expected \"[\" but found \" \""},
        {"header not closed", "<?xml version='1.0' ><a/>",
         "Invalid Header: expected \"?\" but found \">\""},
        {"header at end of data", "<?xml version='1.0'", "Invalid Header: Unexpected end of data"},
        {"doctype at end of data", "<!DOCTYPE a [ <!ELEMENT a ANY> ",
         "Invalid DOCTYPE: Unexpected end of data"},
        {"stylesheet not closed", "<?xml-stylesheet href='a.xsl'><a/>",
         "Invalid Stylesheet: expected \"?\" but found \">\""},
        {"stylesheet at end of data", "<?xml-stylesheet href='a.xsl'",
         "Invalid Stylesheet: Unexpected end of data"},
        {"question mark in an element", "<a b='1'?>",
         "Invalid XML Element: Expected end of tag but \"?\" found"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.message, ErrorOf(c.xml)) << c.name;
}

TEST(BvSimpleXML, ReadsAPrologAndNestedElements) {
    TBvSimpleXML doc;
    doc.LoadFromString("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1251\" "
                       "standalone=\"yes\"?>\r\n"
                       "<?xml-stylesheet type=\"text/xsl\" href=\"a.xsl\"?>\n"
                       "<!-- language file -->\n"
                       "<!DOCTYPE lang [ <!ENTITY x \"y\"> ]>\n"
                       "<Language Name='English' Id=\"7\">\n"
                       "  <Form Name=\"TForm1\"><Caption>Brisvane</Caption>\n"
                       "    <Item Name=\"btnUpdate\" Caption=\"Update &amp; go\"/>\n"
                       "    <Empty></Empty>\n"
                       "  </Form>\n"
                       "</language>");
    auto& prolog = doc.Prolog();
    ASSERT_EQ(4, prolog.Count());
    auto* header = dynamic_cast<TBvSimpleXMLElemHeader*>(prolog.Item(0));
    ASSERT_NE(nullptr, header);
    EXPECT_EQ("1.0", header->Version);
    EXPECT_EQ("windows-1251", header->Encoding);
    EXPECT_TRUE(header->Standalone);
    EXPECT_EQ(0, header->PropertyCount());
    auto* sheet = dynamic_cast<TBvSimpleXMLElemSheet*>(prolog.Item(1));
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ("a.xsl", sheet->Properties().Value("HREF"));
    EXPECT_EQ(" language file ", prolog.Item(2)->Value());
    EXPECT_EQ("lang [ <!ENTITY x \"y\"> ]", prolog.Item(3)->Value());

    auto& root = doc.Root();
    EXPECT_EQ("Language", root.Name());
    EXPECT_EQ("English", root.Properties().Value("name"));
    EXPECT_EQ(7, root.Properties().IntValue("id"));
    EXPECT_EQ(-5, root.Properties().IntValue("missing", -5));
    EXPECT_EQ(nullptr, root.Properties().ItemNamed("missing"));
    auto* form = root.Items().ItemNamed("form");
    ASSERT_NE(nullptr, form);
    ASSERT_EQ(3, form->ItemCount());
    EXPECT_EQ("Brisvane", form->Items().ItemNamed("Caption")->Value());
    EXPECT_EQ(0, form->Items().ItemNamed("Caption")->ItemCount());
    EXPECT_EQ("Update & go", form->Items().Item(1)->Properties().Value("Caption"));
    EXPECT_EQ("", form->Items().ItemNamed("Empty")->Value());
    EXPECT_EQ(&doc, form->SimpleXML());
    EXPECT_EQ(nullptr, root.Items().ItemNamed("nothing"));
}

TEST(BvSimpleXML, TextValuesAndCharacterReferences) {
    struct TCase {
        std::string xml;
        std::string value;
    };
    const std::vector<TCase> cases = {
        {"<a>&amp;lt;</a>", "&lt;"}, // decoded once
        {"<a>&#65;&#x41;&#X41;</a>", "AAA"},
        {"<a>&#0;&#x;&#12a;&#65</a>", "&#0;&#x;&#12a;&#65"},
        {"<a>&#233;&#xfc;</a>", "\xC3\xA9\xC3\xBC"},        // UTF-8 from 128 on
        {"<a>&#1105;&#x20AC;</a>", "\xD1\x91\xE2\x82\xAC"}, // UTF-8 above 255
        {"<a>&#x110000;&#xD800;&#99999999999999;</a>", "&#x110000;&#xD800;&#99999999999999;"},
        {"<a>&AMP;&Quot;&apos;&gt;&unknown;</a>", "&\"'>&unknown;"},
        {"<a>one    two\t\tthree\r\nfour </a>", "one two\t\tthree\r\nfour "},
        {"<A>upper</a>", "upper"},
        {"<a x='single' y=\"double\"></a>", ""},
    };
    for (const auto& c : cases) {
        TBvSimpleXML doc;
        doc.LoadFromString(c.xml);
        EXPECT_EQ(c.value, doc.Root().Value()) << c.xml;
    }
}

TEST(BvSimpleXML, MixedContentKeepsBothChildren) {
    TBvSimpleXML doc;
    doc.LoadFromString("<a>text<b/><![CDATA[<raw> & ]]]><!--c--></a>");
    auto& root = doc.Root();
    ASSERT_EQ(4, root.ItemCount());
    EXPECT_NE(nullptr, dynamic_cast<TBvSimpleXMLElemText*>(root.Items().Item(0)));
    EXPECT_EQ("text", root.Items().Item(0)->Value());
    EXPECT_EQ("b", root.Items().Item(1)->Name());
    EXPECT_EQ("<raw> & ]", root.Items().Item(2)->Value());
    EXPECT_EQ("c", root.Items().Item(3)->Value());
    EXPECT_EQ("", root.Value());
}

TEST(BvSimpleXML, NamespacesOfElementsAndAttributes) {
    TBvSimpleXML doc;
    doc.LoadFromString("<ns:a xml:lang='en'><ns:b>x</NS:B></ns:a>");
    EXPECT_EQ("a", doc.Root().Name());
    EXPECT_EQ("ns", doc.Root().NameSpace());
    EXPECT_EQ("ns:a", doc.Root().FullName());
    auto* lang = doc.Root().Properties().Item(0);
    EXPECT_EQ("lang", lang->Name());
    EXPECT_EQ("xml", lang->NameSpace());
    EXPECT_EQ("x", doc.Root().Items().Item(0)->Value());
}

TEST(BvSimpleXML, DeclarationWithATabIsNotRecognised) {
    TBvSimpleXML doc;
    doc.LoadFromString("<?xml\tversion='1.0'?><a>x</a>");
    EXPECT_EQ(0, doc.Prolog().Count());
    EXPECT_EQ("", doc.Root().Name()); // the rest was swallowed by the prolog
    EXPECT_EQ(0, doc.Root().ItemCount());
}

TEST(BvSimpleXML, DeepNestingIsRefusedInsteadOfOverflowingTheStack) {
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_EQ("Invalid XML Element: elements nested deeper than 256 levels", ErrorOf(deep));
    std::string fine;
    for (int i = 0; i < 200; ++i)
        fine += "<a>";
    for (int i = 0; i < 200; ++i)
        fine += "</a>";
    EXPECT_EQ("(no error)", ErrorOf(fine));
}

TEST(BvSimpleXML, AFailedLoadKeepsWhatWasReadAndANewLoadClears) {
    TBvSimpleXML doc;
    EXPECT_THROW(doc.LoadFromString("<?xml version='1.0'?><a><b/><c></d></a>"), EBvSimpleXMLError);
    EXPECT_EQ(1, doc.Prolog().Count());
    EXPECT_EQ("a", doc.Root().Name());
    EXPECT_EQ(2, doc.Root().ItemCount());
    doc.LoadFromString("<z/>");
    EXPECT_EQ(0, doc.Prolog().Count());
    EXPECT_EQ("z", doc.Root().Name());
    EXPECT_EQ(0, doc.Root().ItemCount());
    doc.LoadFromString("");
    EXPECT_EQ("", doc.Root().Name());
}

TEST(BvSimpleXML, EventsFireForElementsAndValues) {
    TBvSimpleXML doc;
    std::vector<std::string> events;
    doc.OnTagParsed = [&](TObject*, const std::string& name) { events.push_back("tag " + name); };
    doc.OnValueParsed = [&](TObject*, const std::string& name, const std::string& value) {
        events.push_back("value " + name + "=" + value);
    };
    doc.LoadFromString("<!--p--><a><b>x</b><!--c--></a>");
    EXPECT_EQ((std::vector<std::string>{"value =x", "tag b", "value b=x", "value =c", "tag a",
                                        "value a="}),
              events);
}

TEST(BvSimpleXML, AutoCreateAddsMissingNodes) {
    TBvSimpleXML doc;
    doc.Options.AutoCreate = true;
    doc.LoadFromString("<a/>");
    auto* b = doc.Root().Items().ItemNamed("b");
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(1, doc.Root().ItemCount());
    EXPECT_EQ("dflt", doc.Root().Properties().Value("p", "dflt"));
    EXPECT_EQ(3, doc.Root().Properties().IntValue("q", 3));
    EXPECT_EQ(2, doc.Root().PropertyCount());
}

TEST(BvSimpleXML, IndentStringTakesOnlyBlanksAndTabs) {
    TBvSimpleXML doc;
    doc.SetIndentString("\t");
    EXPECT_EQ("\t", doc.IndentString());
    doc.SetIndentString("ab");
    EXPECT_EQ("\t", doc.IndentString());
    doc.SetIndentString("");
    EXPECT_EQ("", doc.IndentString());
}

TEST(BvSimpleXML, WriterRoundTrip) {
    TBvSimpleXML doc;
    doc.LoadFromString("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                       "<!DOCTYPE lang>"
                       "<lang name=\"Fran\xC3\xA7\x61is &amp; co\">"
                       "<item id=\"1\">a &lt; b &quot;q&quot; 'x'</item>"
                       "<empty/><x:y z:w=\"v\"/>"
                       "<!-- note --><![CDATA[<raw>]]>"
                       "</lang>");
    std::string written = doc.SaveToString();
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
              "<!DOCTYPE lang>\r\n"
              "<lang name=\"Fran&#xE7;ais &amp; co\">\r\n"
              "  <item id=\"1\">a &lt; b &quot;q&quot; &apos;x&apos;</item>\r\n"
              "  <empty/>\r\n"
              "  <x:y z:w=\"v\"/>\r\n"
              "  <!-- note -->\r\n"
              "  <![CDATA[<raw>]]>\r\n"
              "</lang>\r\n",
              written);
    TBvSimpleXML again;
    again.LoadFromString(written);
    EXPECT_EQ(written, again.SaveToString());
    EXPECT_EQ("Fran\xC3\xA7\x61is & co", again.Root().Properties().Value("name"));
}

// Language files as translators save them: each gives the same UTF-8 texts.
TEST(BvSimpleXML, DeclaredEncodingsAndReferencesGiveUtf8) {
    const std::string caption = "\xC3\xBC"
                                "ber Gr\xC3\xB6\xC3\x9F"
                                "e \xE2\x82\xAC"; // über Größe €
    const std::string russian = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"; // Привет
    struct TCase {
        const char* name;
        std::string bytes;
        std::string caption;
    } cases[] = {
        {"UTF-8 with a declaration",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a c=\"" + caption + "\"/>", caption},
        {"UTF-8 without one", "<a c=\"" + caption + "\"/>", caption},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF<a c=\"" + caption + "\"/>", caption},
        {"references", "<a c=\"&#252;ber Gr&#xF6;&#223;e &#x20AC;\"/>", caption},
        {"Windows-1252",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a c=\"\xFC"
         "ber Gr\xF6\xDF"
         "e \x80\"/>",
         caption},
        {"Latin-1 as Windows writes it",
         "<?xml version='1.0' encoding='ISO-8859-1'?><a c=\"\xFC"
         "ber Gr\xF6\xDF"
         "e \x80\"/>",
         caption},
        {"Windows-1252 bytes without a declaration",
         "<a c=\"\xFC"
         "ber Gr\xF6\xDF"
         "e \x80\"/>",
         caption},
        {"Windows-1251",
         "<?xml version=\"1.0\" encoding=\"windows-1251\"?><a c=\"\xCF\xF0\xE8\xE2\xE5\xF2\"/>",
         russian},
        {"KOI8-R through the C library",
         "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><a c=\"\xF0\xD2\xC9\xD7\xC5\xD4\"/>", russian},
        {"UTF-16 with its byte-order mark",
         std::string(
             "\xFF\xFE<\0a\0 \0c\0=\0\"\0\x1F\x04@\x04\x38\x04\x32\x04\x35\x04\x42\x04\"\0/\0>\0",
             32),
         russian},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMemoryStream stream;
        stream.WriteBuffer(c.bytes.data(), static_cast<int64_t>(c.bytes.size()));
        stream.SetPosition(0);
        TBvSimpleXML doc;
        doc.LoadFromStream(stream);
        EXPECT_EQ(c.caption, doc.Root().Properties().Value("c"));
    }
}

TEST(BvSimpleXML, AnUnknownEncodingIsRefusedByName) {
    const std::string bytes = "<?xml version=\"1.0\" encoding=\"x-martian\"?><a/>";
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    TBvSimpleXML doc;
    try {
        doc.LoadFromStream(stream);
        ADD_FAILURE() << "loaded";
    } catch (const EBvSimpleXMLError& e) {
        EXPECT_EQ("Invalid Header: the encoding \"x-martian\" is not supported", e.Message());
    }
}

// A document declared in a single-byte page is written back in that page, letters it lacks
// as references, and reads back as the same text.
TEST(BvSimpleXML, WritesTheDeclaredEncoding) {
    TBvSimpleXML doc;
    doc.Options.AutoEncodeValue = false;
    doc.LoadFromString("<?xml version=\"1.0\" encoding=\"windows-1251\"?><a/>");
    const std::string text = "\xD0\x9F\xD1\x80\xD0\xB8 \xE6\x97\xA5"; // При 日
    doc.Root().Items().Add("v", text);
    TMemoryStream stream;
    doc.SaveToStream(stream);
    std::string bytes(static_cast<size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    stream.Read(bytes.data(), stream.Size());
    EXPECT_NE(std::string::npos, bytes.find("<v>\xCF\xF0\xE8 &#26085;</v>")) << bytes;
    stream.SetPosition(0);
    TBvSimpleXML again;
    again.Options.AutoEncodeValue = false;
    again.Options.AutoEncodeEntity = false;
    again.LoadFromStream(stream);
    EXPECT_EQ("\xD0\x9F\xD1\x80\xD0\xB8 &#26085;", again.Root().Items().ItemNamed("v")->Value());
    // With references decoded, the text comes back whole.
    stream.SetPosition(0);
    TBvSimpleXML decoded;
    decoded.LoadFromStream(stream);
    EXPECT_EQ(text, decoded.Root().Items().ItemNamed("v")->Value());
}

TEST(BvSimpleXML, WritingWithoutIndentAndWithNamedCoding) {
    TBvSimpleXML doc;
    doc.Options.AutoIndent = false;
    doc.Options.AutoEncodeValue = false;
    doc.Root().SetName("r");
    doc.Root().Items().Add("v", "\xC3\xA9 & <");
    int saved = 0;
    doc.OnSaveProgress = [&](TObject*, int64_t, int64_t) { ++saved; };
    EXPECT_EQ("<r>\r\n<v>\xC3\xA9 &amp; &lt;</v>\r\n</r>\r\n", doc.SaveToString());
    EXPECT_EQ(2, saved);
    doc.Options.AutoEncodeEntity = false;
    doc.OnEncodeValue = [](TObject*, std::string& v) { v = "[" + v + "]"; };
    EXPECT_EQ("<[r]>\r\n<[v]>[\xC3\xA9 & <]</[v]>\r\n</[r]>\r\n", doc.SaveToString());
}

TEST(BvSimpleXML, LoadsAFileByItsWindowsName) {
    char folder[] = "/tmp/bvxmlXXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    std::string path = std::string(folder) + "/English.lng";
    std::ofstream(path) << "<Language><Item>Hello</Item></Language>";
    std::string windowsName = "C:" + path;
    for (auto& c : windowsName)
        if (c == '/')
            c = '\\';
    TBvSimpleXML doc;
    doc.SetFileName(windowsName);
    EXPECT_EQ(windowsName, doc.FileName());
    EXPECT_EQ("Hello", doc.Root().Items().ItemNamed("item")->Value());
    EXPECT_THROW(doc.LoadFromFile(windowsName + ".missing"), EStreamError);
    std::remove(path.c_str());
    rmdir(folder);
}

TEST(BvSimpleXML, StreamHooksAndProgress) {
    TBvSimpleXML doc;
    // A "coded" stream: every byte shifted by one.
    doc.OnDecodeStream = [](TObject*, TStream& in, TStream& out) {
        char c;
        while (in.Read(&c, 1) == 1) {
            c = static_cast<char>(c - 1);
            out.WriteBuffer(&c, 1);
        }
    };
    doc.OnEncodeStream = [](TObject*, TStream& in, TStream& out) {
        char c;
        while (in.Read(&c, 1) == 1) {
            c = static_cast<char>(c + 1);
            out.WriteBuffer(&c, 1);
        }
    };
    std::vector<std::pair<int64_t, int64_t>> progress;
    doc.OnLoadProgress = [&](TObject*, int64_t position, int64_t total) {
        progress.emplace_back(position, total);
    };
    std::string coded = "=b?y=0b?"; // "<a>x</a>" shifted
    doc.LoadFromString(coded);
    EXPECT_EQ("x", doc.Root().Value());
    EXPECT_EQ((std::vector<std::pair<int64_t, int64_t>>{{0, 8}, {8, 8}}), progress);
    TMemoryStream out;
    doc.SaveToStream(out);
    EXPECT_EQ("=b?y=0b?\x0E\x0B", out.Data());
}
