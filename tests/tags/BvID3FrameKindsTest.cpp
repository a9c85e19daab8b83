#include "BvID3ContentFrame.h"
#include "BvID3DoubleListFrame.h"
#include "BvID3GeneralObjFrame.h"
#include "BvID3OwnershipFrame.h"
#include "BvID3PictureFrame.h"
#include "BvID3PlayCounterFrame.h"
#include "BvID3PopularimeterFrame.h"
#include "BvID3SimpleListFrame.h"
#include "BvID3Tables.h"
#include "BvID3TextFrame.h"
#include "BvID3URLFrame.h"
#include "BvID3URLUserFrame.h"
#include "BvID3UserFrame.h"
#include "BvID3v2.h"
#include "TagBuilders.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

using namespace tagtest;

namespace {

struct TOpened {
    std::string bytes;
    TBvBytesStream stream{bytes};
    TBvID3v2 tag;
    explicit TOpened(std::string b, TBvID3EncodingChoice read = ecISO_8859_1)
        : bytes(std::move(b)), stream(bytes) {
        tag.SetReadEncodingChoice(read);
        tag.OpenStream(stream);
    }
    template <typename T> T* Frame(int i) { return dynamic_cast<T*>(tag.Frames().Items(i)); }
};

} // namespace

TEST(BvID3FrameKinds, CommentsLyricsAndUserTexts) {
    const std::string body = V2Frame(3, "COMM", std::string("\0eng", 4)) +
                             V2Frame(3, "COMM", std::string("\0rusdesc\0text", 13)) +
                             V2Frame(3, "USLT",
                                     "\x01"
                                     "eng" +
                                         Utf16LE(u"d") + std::string(2, '\0') + Utf16LE(u"Слова")) +
                             V2Frame(3, "TXXX", std::string("\0key\0value", 10)) +
                             V2Frame(3, "TXXX", std::string("\0only", 5)) +
                             V2Frame(3, "WXXX", std::string("\0home\0http://x.example", 22));
    TOpened o(V2Tag(3, body));
    auto* empty = o.Frame<TBvID3ContentFrame>(0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Language, "eng");
    EXPECT_EQ(empty->Description().Ansi, "");
    EXPECT_EQ(empty->Text().Ansi, "");
    auto* comment = o.Frame<TBvID3ContentFrame>(1);
    EXPECT_EQ(comment->Description().Ansi, "desc");
    EXPECT_EQ(comment->Text().Ansi, "text");
    EXPECT_EQ(o.Frame<TBvID3ContentFrame>(2)->Text().Ansi, "Слова");
    EXPECT_EQ(o.tag.UserDefinedText().ItemCount(), 2);
    EXPECT_EQ(o.tag.UserDefinedText().Description(), "key");
    EXPECT_EQ(o.tag.UserDefinedText().Value(), "value");
    o.tag.UserDefinedText().SetItemIndex(1);
    EXPECT_EQ(o.tag.UserDefinedText().Description(), "only");
    EXPECT_EQ(o.tag.UserDefinedText().Value(), "");
    o.tag.UserDefinedText().SetItemIndex(7);
    EXPECT_EQ(o.tag.UserDefinedText().ItemIndex(), 1);
    EXPECT_EQ(o.tag.UserDefinedWeb().URL(), "http://x.example");
    EXPECT_EQ(o.tag.UserDefinedWeb().Description(), "home");
}

TEST(BvID3FrameKinds, PicturesAreKeptUndecoded) {
    const std::string jpeg = "\xFF\xD8\xFF\xE0" + std::string(100, 'j');
    const std::string body = V2Frame(3, "APIC",
                                     std::string("\0image/jpeg\0\x03"
                                                 "cover\0",
                                                 19) +
                                         jpeg) +
                             V2Frame(3, "APIC", std::string("\0-->\0\x04\0http://x/p.png", 21)) +
                             V2Frame(3, "APIC", std::string("\0image/png\0\xC8\0", 13) + "png") +
                             V2Frame(3, "APIC", std::string("\0image/gif", 10));
    TOpened o(V2Tag(3, body));
    const TBvID3PictureFrame* front = o.tag.Images().Picture(ptCoverFront);
    ASSERT_NE(front, nullptr);
    EXPECT_EQ(front->Data(), jpeg);
    EXPECT_EQ(front->FileExtension(), ".jpg");
    EXPECT_EQ(o.tag.Images().Info(ptCoverFront), "cover");
    const TBvID3PictureFrame* link = o.tag.Images().Picture(ptCoverBack);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->URL, "http://x/p.png");
    EXPECT_TRUE(link->Data().empty());
    EXPECT_EQ(o.Frame<TBvID3PictureFrame>(2)->PictureType, ptOther); // 200 is no type
    EXPECT_EQ(o.Frame<TBvID3PictureFrame>(3)->MIMEType, "image/gif");
    // Version 2.2 names the format in three letters.
    TOpened v22(V2Tag(2, V2Frame(2, "PIC", std::string("\0JPG\x03\0", 6) + jpeg)));
    EXPECT_EQ(v22.tag.Images().Picture(ptCoverFront)->MIMEType, "image/jpeg");
    EXPECT_EQ(v22.tag.Images().Picture(ptCoverFront)->Data(), jpeg);
}

TEST(BvID3FrameKinds, CountersOwnershipPeopleAndObjects) {
    const std::string body =
        V2Frame(3, "PCNT", BE32(42)) + V2Frame(3, "PCNT", BE32(1) + BE32(2)) +
        V2Frame(3, "POPM", std::string("a@b.c\0\xFF", 7) + BE32(9)) +
        V2Frame(3, "OWNE",
                std::string("\0USD1.00\0"
                            "20040506shop",
                            21)) +
        V2Frame(3, "OWNE", std::string("\0EUR\0xx", 7)) +
        V2Frame(3, "IPLS", std::string("\0producer\0Brian Eno\0", 20)) +
        V2Frame(3, "GEOB", std::string("\0text/plain\0a.txt\0about\0", 24) + "payload") +
        V2Frame(3, "WOAR", "http://artist.example") +
        V2Frame(3, "AENC",
                std::string("own\0", 4) + "\x00\x01\x00\x02"
                                          "k");
    TOpened o(V2Tag(3, body));
    EXPECT_EQ(o.tag.PlayCounter(), 42u);
    EXPECT_EQ(o.Frame<TBvID3PlayCounterFrame>(1)->Counter, 0u); // only exactly 4 bytes count
    EXPECT_EQ(o.tag.Popularimeter().EMailAddress(), "a@b.c");
    EXPECT_EQ(o.tag.Popularimeter().Rating(), 255);
    EXPECT_EQ(o.tag.Popularimeter().Counter(), 9u);
    EXPECT_EQ(o.tag.Owner().Price(), "USD1.00");
    EXPECT_DOUBLE_EQ(o.tag.Owner().DatePurchased(), EncodeDate(2004, 5, 6));
    EXPECT_EQ(o.tag.Owner().Seller(), "shop");
    EXPECT_EQ(o.Frame<TBvID3OwnershipFrame>(4)->DateOfPurch, 0);
    EXPECT_EQ(o.Frame<TBvID3OwnershipFrame>(4)->Seller.Ansi, "xx");
    EXPECT_EQ(o.tag.InvolvedPeople().ItemCount(), 1);
    EXPECT_EQ(o.tag.InvolvedPeople().Job(), "producer");
    EXPECT_EQ(o.tag.InvolvedPeople().Person(), "Brian Eno");
    EXPECT_EQ(o.Frame<TBvID3DoubleListFrame>(5)->List[0], "producer=Brian Eno");
    auto* geob = o.Frame<TBvID3GeneralObjFrame>(6);
    EXPECT_EQ(geob->MIMEType, "text/plain");
    EXPECT_EQ(geob->FileName.Ansi, "a.txt");
    EXPECT_EQ(geob->Data(), "payload");
    EXPECT_EQ(o.tag.Web().Artist(), "http://artist.example");
}

TEST(BvID3FrameKinds, CheckFrameRepairsRaisesOrReports) {
    TOpened o(V2Tag(3, V2Frame(3, "TDAT",
                               std::string("\0"
                                           "3213",
                                           5)) +
                           V2Frame(3, "TIME",
                                   std::string("\0"
                                               "2460",
                                               5)) +
                           V2Frame(3, "TRCK",
                                   std::string("\0"
                                               "3/12",
                                               5)) +
                           V2Frame(3, "TPOS", std::string("\0/2", 3)) +
                           V2Frame(3, "TLAN", std::string("\0ENGqqq", 7))));
    auto* date = o.Frame<TBvID3TextFrame>(0);
    EXPECT_FALSE(date->CheckFrame(caReport));
    try {
        date->CheckFrame(caRaise);
        FAIL();
    } catch (const EBvID3Error& e) {
        EXPECT_NE(
            e.Message().find("'3213' is an invalid date value.\rValue must be of format 'DDMM'"),
            std::string::npos);
    }
    EXPECT_TRUE(date->CheckFrame(caRepair));
    EXPECT_EQ(date->Text(), "0101");
    auto* time = o.Frame<TBvID3TextFrame>(1);
    EXPECT_TRUE(time->CheckFrame(caRepair));
    EXPECT_EQ(time->Text(), "0000");
    EXPECT_TRUE(o.Frame<TBvID3TextFrame>(2)->CheckFrame(caReport));
    EXPECT_FALSE(o.Frame<TBvID3TextFrame>(3)->CheckFrame(caReport));
    auto* lang = o.Frame<TBvID3SimpleListFrame>(4);
    EXPECT_FALSE(lang->CheckFrame(caReport));
    EXPECT_TRUE(lang->CheckFrame(caRepair));
    EXPECT_EQ(lang->List()[0], "eng");
    EXPECT_EQ(lang->List()[1], "XXX");
}

TEST(BvID3FrameKinds, UnicodeReadChoiceKeepsWideText) {
    TOpened o(V2Tag(4, V2Frame(4, "TIT2", "\x01" + Utf16LE(u"Кино")) +
                           V2Frame(4, "TCOM", "\x03" + Utf16ToUtf8(u"Я/Ты"))),
              ecAuto);
    auto* title = o.Frame<TBvID3TextFrame>(0);
    EXPECT_EQ(title->Encoding(), ienUTF_16);
    EXPECT_EQ(title->TextW(), u"Кино");
    auto* composer = o.Frame<TBvID3SimpleListFrame>(1);
    EXPECT_EQ(composer->Encoding(), ienUTF_8);
    ASSERT_EQ(composer->ListW().Count(), 2);
    EXPECT_EQ(composer->ListW()[1], u"Ты");
}

struct RoundTripCase {
    TBvID3VersionChoice version;
    TBvID3EncodingChoice encoding;
    uint8_t headerFlags;
};

TEST(BvID3Writing, RoundTripsThroughEveryVersionAndEncoding) {
    const RoundTripCase cases[] = {
        {vc2_2, ecISO_8859_1, 0},  {vc2_2, ecUTF_16, 0},    {vc2_3, ecISO_8859_1, 0},
        {vc2_3, ecUTF_16, 0x80},   {vc2_3, ecUTF_16, 0x40}, {vc2_4, ecUTF_8, 0},
        {vc2_4, ecUTF_16BE, 0x40}, {vc2_4, ecUTF_16, 0x80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "version " << int(c.version) << " encoding " << int(c.encoding));
        const bool latin = c.encoding == ecISO_8859_1;
        const std::string artist = latin ? "Björk/AC" : "Кино";
        const std::string title = latin ? "Jóga \xC3\xBF" : "Звезда \xC3\xBF";
        TBvID3v2 writer;
        writer.WriteVersionChoice = c.version;
        writer.SetWriteEncodingChoice(c.encoding);
        TBvBytesStream none("");
        writer.OpenStream(none);
        writer.Header().SetFlags(c.headerFlags);
        writer.Texts().SetTitle(title);
        writer.Texts().SetAlbum("Album");
        writer.Texts().LeadArtist().Add(artist);
        writer.Texts().SetYear(2004);
        writer.SetPlayCounter(7);
        writer.UserDefinedText().SetDescription("k");
        writer.UserDefinedText().SetValue("v");
        writer.Images().SetPicture(ptCoverFront, "image/png", std::string("\xFF\xE0\x00png", 6));
        const std::string tag = writer.RenderTag(16);

        TBvID3v2 reader;
        if (c.version == vc2_4)
            reader.SetReadEncodingChoice(ecISO_8859_1);
        TBvBytesStream in(tag);
        reader.OpenStream(in);
        EXPECT_EQ(reader.Version(), TBvID3Version(c.version));
        EXPECT_EQ(reader.Texts().Title(), title);
        EXPECT_EQ(reader.Texts().Album(), "Album");
        ASSERT_EQ(reader.Texts().LeadArtist().Count(), 1);
        EXPECT_EQ(reader.Texts().LeadArtist()[0], artist);
        EXPECT_EQ(reader.Texts().Year(), c.version == vc2_4 ? 0u : 2004u); // "TYER" is not 2.4
        EXPECT_EQ(reader.PlayCounter(), 7u);
        EXPECT_EQ(reader.UserDefinedText().Value(), "v");
        ASSERT_NE(reader.Images().Picture(ptCoverFront), nullptr);
        EXPECT_EQ(reader.Images().Picture(ptCoverFront)->Data(), std::string("\xFF\xE0\x00png", 6));
        EXPECT_EQ(reader.SkippedFrames(), 0);
    }
}

TEST(BvID3Writing, FrameLimitsAndHeaderRules) {
    TBvID3v2 tag;
    TBvBytesStream none("");
    tag.OpenStream(none);
    tag.WriteVersionChoice = vc2_2;
    auto* f = dynamic_cast<TBvID3BinaryFrame*>(tag.AddFrame(fiCDID));
    std::string big(16777216, 'x');
    f->SetData(big.data(), int64_t(big.size()));
    try {
        tag.RenderTag();
        FAIL();
    } catch (const EBvID3Error& e) {
        EXPECT_NE(e.Message().find("Frame size is too big"), std::string::npos);
    }
    EXPECT_FALSE(tag.Writing());
    EXPECT_THROW(tag.Header().SetFlags(hfFooterPresent), EBvID3Error);
    EXPECT_THROW(tag.SetWriteEncodingChoice(ecUTF_8), EBvID3Error); // not in version 2.2
    EXPECT_THROW(f->SetFlags(fhfIsCompressed), EBvID3Error);
    EXPECT_FALSE(f->SetData(nullptr, 5));

    // The extended header's sizes by version and flags.
    TBvID3ExtendedHeader& ext = tag.ExtendedHeader();
    ext.Flags = hefCRCDataPresent;
    EXPECT_EQ(ext.SizeFor(ive2_3), 10u);
    EXPECT_EQ(ext.SizeFor(ive2_4), 12u);
    ext.Flags = hefCRCDataPresent | hefTagIsAnUpdate | hefTagRestrictions;
    EXPECT_EQ(ext.SizeFor(ive2_4), 15u);
    ext.ChangeToVersion(ive2_3);
    EXPECT_EQ(ext.Flags, hefCRCDataPresent);
}

TEST(BvID3Writing, FrameNamesAreUniqueAndIdentifiersChecked) {
    TBvID3v2 tag;
    tag.Name = "BvID3v21";
    TBvBytesStream none("");
    tag.OpenStream(none);
    TBvID3Frame* a = tag.AddFrame(fiComment);
    TBvID3Frame* b = tag.AddFrame(fiComment);
    EXPECT_EQ(a->Name, "BvID3v21COMM");
    EXPECT_EQ(b->Name, "BvID3v21COMM2");
    EXPECT_THROW(a->SetFrameName("TIT2"), EBvID3Error);
    a->SetFrameName("uslt");
    EXPECT_EQ(a->FrameID(), fiUnsyncedLyrics);
    EXPECT_EQ(FrameIDToString(fiMetaCrypto, 4), std::string(4, '\0'));
    b->SetIndex(0);
    EXPECT_EQ(b->Index(), 0);
    EXPECT_TRUE(CanAddFrame(tag, fiComment));
    tag.AddFrame(fiTitle);
    EXPECT_FALSE(CanAddFrame(tag, fiTitle));
    tag.SetVersion(ive2_4);
    EXPECT_EQ(tag.Version(), ive2_4);
}

TEST(BvID3Writing, VersionConversionCarriesTheRecordingDate) {
    TOpened o(V2Tag(3, V2Frame(3, "TYER",
                               std::string("\0"
                                           "1997",
                                           5)) +
                           V2Frame(3, "TDAT",
                                   std::string("\0"
                                               "0605",
                                               5)) +
                           V2Frame(3, "TIME",
                                   std::string("\0"
                                               "1345",
                                               5)) +
                           V2Frame(3, "TIT2", std::string("\0t", 2))));
    o.tag.SetVersion(ive2_4);
    EXPECT_EQ(o.tag.Version(), ive2_4);
    EXPECT_FALSE(o.tag.HasFrame(fiYear));
    EXPECT_FALSE(o.tag.HasFrame(fiDate));
    EXPECT_DOUBLE_EQ(o.tag.Texts().RecordingTime(),
                     EncodeDate(1997, 5, 6) + EncodeTime(13, 45, 0, 0));
    EXPECT_EQ(o.tag.Texts().Title(), "t");
    o.tag.SetVersion(ive2_3);
    EXPECT_FALSE(o.tag.HasFrame(fiRecordingTime));
    EXPECT_EQ(o.tag.Texts().Year(), 1997u);
    EXPECT_EQ(o.tag.Texts().Date(), "0605");
    EXPECT_EQ(o.tag.Texts().Time(), "1345");

    // A year alone is not lost on the way to 2.4; reading can convert too.
    const std::string yearOnly = V2Tag(3, V2Frame(3, "TYER",
                                                  std::string("\0"
                                                              "2001",
                                                              5)));
    TBvBytesStream in(yearOnly);
    TBvID3v2 tag;
    tag.ReadVersionChoice = vc2_4;
    tag.OpenStream(in);
    EXPECT_FALSE(tag.HasFrame(fiYear));
    EXPECT_DOUBLE_EQ(tag.Texts().RecordingTime(), EncodeDate(2001, 1, 1));
}

// The groups' setters write frames that a fresh read of the rendered tag gives back.
TEST(BvID3Groups, PeopleOwnershipAndPopularityAreWrittenWhileActive) {
    TBvID3v2 writer;
    writer.InvolvedPeople().SetJob("ignored");
    writer.Owner().SetPrice("ignored");
    writer.Popularimeter().SetRating(1);
    EXPECT_EQ(writer.FrameCount(), 0); // inactive: no effect

    writer.WriteVersionChoice = vc2_3;
    TBvBytesStream none("");
    writer.OpenStream(none);
    TBvID3Ipl& people = writer.InvolvedPeople();
    EXPECT_EQ(people.ItemIndex(), -1);
    people.SetJob("producer"); // no pair selected: a new one is added and selected
    people.SetPerson("Brian Eno");
    people.SetItemIndex(-1);
    people.SetPerson("Daniel Lanois");
    people.SetJob("engineer");
    EXPECT_EQ(people.ItemCount(), 2);
    EXPECT_EQ(people.ItemIndex(), 1);
    people.SetItemIndex(0);
    people.SetPerson("Eno");
    writer.Owner().SetPrice("USD9.99");
    writer.Owner().SetDatePurchased(EncodeDate(2005, 7, 8));
    writer.Owner().SetSeller("Björk's shop");
    writer.Popularimeter().SetEMailAddress("me@example.org");
    writer.Popularimeter().SetRating(196);
    writer.Popularimeter().SetCounter(70000);
    EXPECT_EQ(writer.FrameCount(), 3); // one frame each, found again by later setters

    const std::string tag = writer.RenderTag();
    TBvID3v2 reader;
    TBvBytesStream in(tag);
    reader.OpenStream(in);
    ASSERT_EQ(reader.InvolvedPeople().ItemCount(), 2);
    EXPECT_EQ(reader.InvolvedPeople().Job(), "producer");
    EXPECT_EQ(reader.InvolvedPeople().Person(), "Eno");
    reader.InvolvedPeople().SetItemIndex(1);
    EXPECT_EQ(reader.InvolvedPeople().Job(), "engineer");
    EXPECT_EQ(reader.InvolvedPeople().Person(), "Daniel Lanois");
    EXPECT_EQ(reader.Owner().Price(), "USD9.99");
    EXPECT_DOUBLE_EQ(reader.Owner().DatePurchased(), EncodeDate(2005, 7, 8));
    EXPECT_EQ(reader.Owner().Seller(), "Björk's shop");
    EXPECT_EQ(reader.Popularimeter().EMailAddress(), "me@example.org");
    EXPECT_EQ(reader.Popularimeter().Rating(), 196);
    EXPECT_EQ(reader.Popularimeter().Counter(), 70000u);
}

TEST(BvID3Groups, InvolvedPeopleInAWideFrameStayWide) {
    TBvID3v2 writer;
    writer.WriteVersionChoice = vc2_3;
    writer.SetWriteEncodingChoice(ecUTF_16);
    TBvBytesStream none("");
    writer.OpenStream(none);
    auto* frame = dynamic_cast<TBvID3DoubleListFrame*>(writer.AddFrame(fiInvolvedPeople));
    ASSERT_NE(frame, nullptr);
    frame->SetEncoding(ienUTF_16);
    writer.InvolvedPeople().SetJob("дирижёр");
    writer.InvolvedPeople().SetPerson("Гергиев");
    EXPECT_EQ(frame->ListW.Count(), 1);
    EXPECT_EQ(frame->List.Count(), 0);
    TBvID3v2 reader;
    const std::string tag = writer.RenderTag();
    TBvBytesStream in(tag);
    reader.OpenStream(in);
    EXPECT_EQ(reader.InvolvedPeople().Job(), "дирижёр");
    EXPECT_EQ(reader.InvolvedPeople().Person(), "Гергиев");
}

TEST(BvID3Groups, PictureMIMETypesComeFromTheGraphicClass) {
    struct Case {
        const char* graphicClass;
        const char* mime;
    };
    const Case cases[] = {{"TJPEGImage", "image/jpeg"}, {"TJpgImage", "image/jpeg"},
                          {"TBitmap", "image/bitmap"},  {"TBmpImage", "image/bitmap"},
                          {"TGIFImage", "image/gif"},   {"TPngImage", "image/png"},
                          {"TMetafile", "image/"},      {"", "image/"}};
    for (const Case& c : cases)
        EXPECT_EQ(PictureMIMEType(c.graphicClass), c.mime) << c.graphicClass;
    EXPECT_EQ(GraphicClassOfBytes("\xFF\xD8\xFF\xE0rest"), "TJPEGImage");
    EXPECT_EQ(GraphicClassOfBytes("GIF89a..."), "TGIFImage");
    EXPECT_EQ(GraphicClassOfBytes("\x89PNG\r\n\x1A\n...."), "TPngImage");
    EXPECT_EQ(GraphicClassOfBytes("BM" + std::string(40, '\0')), "TBitmap");
    EXPECT_EQ(GraphicClassOfBytes("BM"), ""); // too short for a bitmap's headers
    EXPECT_EQ(GraphicClassOfBytes("plain text"), "");
}

TEST(BvID3Groups, PicturesFollowTheComponentAndAreStoredWhenChanged) {
    const std::string jpeg = "\xFF\xD8\xFF\xE0" + std::string(60, 'j');
    const std::string gif = "GIF89a" + std::string(30, 'g');
    const std::string bmp = "BM" + std::string(60, 'b');
    const std::string tagBytes = V2Tag(3, V2Frame(3, "APIC",
                                                  std::string("\0image/jpeg\0\x03"
                                                              "cover\0",
                                                              19) +
                                                      jpeg));
    TBvID3v2 tag;
    TBvBytesStream stream(tagBytes);
    tag.OpenStream(stream);
    TBvID3Pictures& pictures = tag.Images().Pictures();
    EXPECT_EQ(pictures.CoverFront().Data(), jpeg); // loaded on opening
    EXPECT_EQ(pictures.CoverFront().GraphicClassName(), "TJPEGImage");
    EXPECT_TRUE(pictures.CoverBack().Empty());
    EXPECT_EQ(tag.Images().Infos().CoverFront(), "cover");

    pictures.CoverBack().LoadFromBytes(gif);
    pictures.BandLogotype().LoadFromBytes(bmp);
    tag.Images().Infos().SetBandLogotype("logo");
    pictures.CoverFront().Clear(); // takes its frame with it
    EXPECT_THROW(pictures.Media().LoadFromBytes("not a picture"), EBvID3Error);
    EXPECT_TRUE(pictures.Media().Empty());
    EXPECT_EQ(tag.Images().Picture(ptCoverFront), nullptr);
    ASSERT_NE(tag.Images().Picture(ptCoverBack), nullptr);
    EXPECT_EQ(tag.Images().Picture(ptCoverBack)->MIMEType, "image/gif");
    EXPECT_EQ(tag.Images().Picture(ptBandLogotype)->MIMEType, "image/bitmap");
    EXPECT_EQ(tag.FrameCountOfID(fiPicture), 2);

    const std::string written = tag.RenderTag();
    TBvID3v2 reader;
    TBvBytesStream in(written);
    reader.OpenStream(in);
    EXPECT_TRUE(reader.Images().Pictures().CoverFront().Empty());
    EXPECT_EQ(reader.Images().Pictures().CoverBack().Data(), gif);
    EXPECT_EQ(reader.Images().Pictures().BandLogotype().GraphicClassName(), "TBitmap");
    EXPECT_EQ(reader.Images().Infos().BandLogotype(), "logo");

    reader.Close(); // every picture is cleared with the tag
    EXPECT_TRUE(reader.Images().Pictures().CoverBack().Empty());
    EXPECT_EQ(reader.Images().Infos().BandLogotype(), "");
    reader.Images().Pictures().CoverBack().LoadFromBytes(jpeg); // inactive: no frame to store in
    reader.Images().Infos().SetCoverBack("ignored");
    EXPECT_EQ(reader.FrameCount(), 0);
}
