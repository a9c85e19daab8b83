#include "RtMime.h"

#include <gtest/gtest.h>

TEST(Base64, EncodesTheStandardVectors) {
    struct Case {
        const char* bytes;
        const char* text;
    } cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, EncodeBase64Text(c.bytes));
        EXPECT_EQ(c.bytes, DecodeBase64Text(c.text));
    }
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(all, DecodeBase64Text(EncodeBase64Text(all)));
    EXPECT_EQ("+/8=", EncodeBase64Text("\xfb\xff"));
}

TEST(Base64, BreaksLinesAfter57Bytes) {
    std::string b57(57, 'x'), b58(58, 'x');
    std::string e57 = EncodeBase64Text(b57), e58 = EncodeBase64Text(b58);
    EXPECT_EQ(76u, e57.size());
    EXPECT_EQ(std::string::npos, e57.find('\r'));
    ASSERT_EQ(82u, e58.size());
    EXPECT_EQ(e57, e58.substr(0, 76));
    EXPECT_EQ("\r\neA==", e58.substr(76));
    for (int64_t n : {0, 1, 56, 57, 58, 114, 115, 1000})
        EXPECT_EQ(Base64EncodedLength(n),
                  static_cast<int64_t>(EncodeBase64Text(std::string(n, 'a')).size()))
            << n;
    EXPECT_EQ(0, Base64DecodedRoom(0));
    EXPECT_EQ(3, Base64DecodedRoom(4));
    EXPECT_EQ(6, Base64DecodedRoom(5));
}

TEST(Base64, DecodingSkipsBreaksAndFillersAnywhere) {
    std::string bytes = "Brisvane keeps the phone's music player supplied with tracks.";
    std::string text = EncodeBase64Text(bytes);
    std::string wrapped;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n')
            continue;
        wrapped += text[i];
        if (i % 10 == 9)
            wrapped += "\n = ";
    }
    EXPECT_EQ(bytes, DecodeBase64Text(wrapped));
    EXPECT_EQ("f", DecodeBase64Text("Zg"));
    EXPECT_EQ("", DecodeBase64Text("Z"));
    EXPECT_EQ("fo", DecodeBase64Text("Z=m=8"));
    EXPECT_EQ("", DecodeBase64Text("!!!\r\n"));
}
