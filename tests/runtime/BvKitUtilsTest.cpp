#include "BvKitUtils.h"
#include "BvCoreUtils.h"
#include "BvItemsSearchs.h"
#include "Dispatcher.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>
#include <vector>

TEST(MessageWindow, PostedMessagesArriveOnTheGuiThreadInOrder) {
    std::vector<uint32_t> seen;
    bool onGui = true;
    TMessageWindow window = AllocateMessageWindow("", [&](TMessage& m) {
        seen.push_back(m.Msg);
        onGui = onGui && IsMainThread();
    });
    EXPECT_EQ("TPUtilWindowEx", MessageWindowClassName(window));
    std::thread([&] {
        EXPECT_TRUE(PostToMessageWindow(window, WM_USER + 1));
        EXPECT_TRUE(PostToMessageWindow(window, WM_USER + 2));
    }).join();
    PostToMessageWindow(window, WM_USER + 3);
    EXPECT_TRUE(RemovePendingMessage(window, WM_USER + 2));
    EXPECT_FALSE(RemovePendingMessage(window, WM_USER + 9));
    EXPECT_TRUE(seen.empty());
    while (CheckSynchronize()) {
    }
    EXPECT_EQ((std::vector<uint32_t>{WM_USER + 1, WM_USER + 3}), seen);
    EXPECT_TRUE(onGui);
    ReleaseMessageWindow(window);
}

TEST(MessageWindow, SendAnswersWithTheResultAndWithoutAMethodDefWindowProc) {
    TMessageWindow plain = AllocateMessageWindow("TMyClass", nullptr);
    EXPECT_EQ("TMyClass", MessageWindowClassName(plain));
    EXPECT_EQ(0, SendToMessageWindow(plain, WM_USER, 1, 2));
    TMessageWindow answering =
        AllocateMessageWindow("", [](TMessage& m) { m.Result = m.LParam * 2; });
    std::atomic<int64_t> fromWorker{0};
    std::thread worker([&] { fromWorker = SendToMessageWindow(answering, WM_USER, 0, 21); });
    while (fromWorker.load() == 0)
        CheckSynchronize(20);
    worker.join();
    EXPECT_EQ(42, fromWorker.load());
    EXPECT_EQ(8, SendToMessageWindow(answering, WM_USER, 0, 4));
    ReleaseMessageWindow(plain);
    ReleaseMessageWindow(answering);
}

TEST(MessageWindow, AReleasedWindowDropsItsPendingMessages) {
    int calls = 0;
    TMessageWindow window = AllocateMessageWindow("", [&](TMessage&) { ++calls; });
    PostToMessageWindow(window, WM_USER);
    ReleaseMessageWindow(window);
    EXPECT_FALSE(PostToMessageWindow(window, WM_USER));
    EXPECT_EQ("", MessageWindowClassName(window));
    CheckSynchronize();
    EXPECT_EQ(0, calls);
    // A method may release its own window.
    TMessageWindow self = 0;
    self = AllocateMessageWindow("", [&](TMessage&) {
        ++calls;
        ReleaseMessageWindow(self);
    });
    PostToMessageWindow(self, WM_USER);
    PostToMessageWindow(self, WM_USER);
    while (CheckSynchronize()) {
    }
    EXPECT_EQ(1, calls);
}

TEST(KitUtils, CheckWin32Result) {
    EXPECT_TRUE(CheckWin32Result(true));
    errno = ENOENT;
    try {
        CheckWin32Result(false);
        FAIL() << "no exception";
    } catch (const EOSError& e) {
        EXPECT_EQ(0u, e.Message().find("System Error.  Code: 2.\n"));
    }
}

TEST(KitUtils, IsEqualGUIDComparesEveryField) {
    const TGUID base{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_TRUE(IsEqualGUID(base, base));
    TGUID copy = base;
    EXPECT_TRUE(IsEqualGUID(base, copy));
    struct Case {
        const char* Field;
        void (*Change)(TGUID&);
    } cases[] = {
        {"D1", [](TGUID& g) { g.D1 ^= 1; }},
        {"D2", [](TGUID& g) { g.D2 ^= 0x100; }},
        {"D3", [](TGUID& g) { g.D3 ^= 1; }},
        {"D4 first byte", [](TGUID& g) { g.D4[0] ^= 1; }},
        {"D4 last byte", [](TGUID& g) { g.D4[7] ^= 0x80; }},
    };
    for (const auto& c : cases) {
        TGUID other = base;
        c.Change(other);
        EXPECT_FALSE(IsEqualGUID(base, other)) << c.Field;
        EXPECT_FALSE(IsEqualGUID(other, base)) << c.Field;
    }
}

TEST(CoreUtils, Words) {
    EXPECT_EQ(6, WordPosition(2, ",,a,,b", ","));
    EXPECT_EQ(3, WordPosition(1, ",,a,,b", ","));
    EXPECT_EQ(0, WordPosition(3, ",,a,,b", ","));
    EXPECT_EQ(0, WordPosition(0, "a", ","));
    EXPECT_EQ("", ExtractWord(3, "one two", " "));
    EXPECT_EQ("two", ExtractWord(2, "one  two;three", " ;"));
    EXPECT_EQ("three", ExtractWord(3, "one  two;three", " ;"));
    EXPECT_TRUE(HasAnyChar("abc", "xc"));
    EXPECT_FALSE(HasAnyChar("abc", ""));
}

TEST(CoreUtils, ValidFileName) {
    EXPECT_TRUE(ValidFileName("track.mp3"));
    EXPECT_TRUE(ValidFileName("C:\\Music\\track.mp3"));
    EXPECT_FALSE(ValidFileName(""));
    for (const char* bad : {"a/b", "a<b", "a>b", "a\"b", "a?b", "a*b", "a|b"})
        EXPECT_FALSE(ValidFileName(bad)) << bad;
}

TEST(CoreUtils, CommandLines) {
    const char* line = "  \"C:\\Program Files\\lame.exe\" -b 128 \"\" \"my song.wav\" x";
    EXPECT_EQ(5, ParamCountOf(line)); // an empty "" between parameters is skipped
    EXPECT_EQ("my song.wav", ParamAt(line, 3));
    EXPECT_EQ("C:\\Program Files\\lame.exe", ParamAt(line, 0));
    EXPECT_EQ("128", ParamAt(line, 2));
    EXPECT_EQ("", ParamAt(line, 9));
    std::string exe, params;
    SplitCommandLine("C:\\lame.exe --preset \"two words\" end", exe, params);
    EXPECT_EQ("C:\\lame.exe", exe);
    EXPECT_EQ("--preset \"two words\" end", params);
    SplitCommandLine("", exe, params);
    EXPECT_EQ("", exe);
    EXPECT_EQ("", params);
    EXPECT_EQ("ab cd", ParamAt("x a\"b c\"d", 1)); // quotes open and close mid-word
    EXPECT_EQ("tail", ParamAt("x \"tail", 1));     // an unclosed quote runs to the end
}

TEST(ItemsSearchs, SearchesWrapAroundFromAfterTheStart) {
    TStringList items{"Alpha", "beta", "Alphabet", "gamma"};
    EXPECT_EQ(2, TBvItemsSearchs::SearchPrefix(items, "alpha", 0, false));
    EXPECT_EQ(0, TBvItemsSearchs::SearchPrefix(items, "alpha", 2, false)); // wraps
    EXPECT_EQ(0, TBvItemsSearchs::SearchPrefix(items, "Alpha", 3, true));
    EXPECT_EQ(-1, TBvItemsSearchs::SearchPrefix(items, "alpha", 3, true));
    EXPECT_EQ(1, TBvItemsSearchs::SearchExactString(items, "BETA", 1, false)); // start itself last
    EXPECT_EQ(-1, TBvItemsSearchs::SearchExactString(items, "BETA", 1, true));
    EXPECT_EQ(3, TBvItemsSearchs::SearchExactString(items, "gamma", -1, true));
    TStringList cyrillic{"ёлка", "Ёж"};
    EXPECT_EQ(1, TBvItemsSearchs::SearchPrefix(cyrillic, "ёж", 0, false));
    TStringList empty;
    EXPECT_EQ(-1, TBvItemsSearchs::SearchPrefix(empty, "a", 0, false));
}

TEST(CoreUtils, LongFileNameComesFromTheDisk) {
    char folder[] = "/tmp/bvnamesXXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    std::string file = std::string(folder) + "/Mixed Case.Mp3";
    std::fclose(std::fopen(file.c_str(), "w"));
    std::string windowsFolder = "C:" + std::string(folder);
    for (auto& c : windowsFolder)
        if (c == '/')
            c = '\\';
    EXPECT_EQ("Mixed Case.Mp3", GetLongFileName(windowsFolder + "\\MIXED CASE.MP3"));
    EXPECT_EQ("Mixed Case.Mp3", GetShortFileName(windowsFolder + "\\mixed case.mp3"));
    EXPECT_EQ("", GetLongFileName(windowsFolder + "\\absent.mp3"));
    std::remove(file.c_str());
    rmdir(folder);
}
