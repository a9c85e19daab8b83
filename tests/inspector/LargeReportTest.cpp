// The report of a large database stays the same text, byte for byte, however
// the scan is made faster: its length and a digest are fixed here from the
// report the first version of the scan gave.
#include "DatabaseChecker.h"
#include "ReaderTestSupport.h"
#include "iTunesDB.h"

#include <gtest/gtest.h>

#include <random>

using namespace ReaderTest;

namespace {

// Random bytes that never hold an "h" or an "m", so no tag can appear in them.
std::string Noise(std::mt19937& rng, size_t n) {
    std::string s(n, '\0');
    for (char& c : s) {
        c = static_cast<char>(rng());
        if (c == 'h' || c == 'm')
            c = '!';
    }
    return s;
}

void Put16(std::string& r, size_t at, uint32_t v) {
    r[at] = static_cast<char>(v >> 8);
    r[at + 1] = static_cast<char>(v);
}

// A record of `size` bytes: the tag, then noise, then the given bytes.
std::string Noisy(std::mt19937& rng, const char* tag, size_t size,
                  std::initializer_list<std::pair<size_t, uint8_t>> bytes = {}) {
    std::string r = tag + Noise(rng, size - 4);
    for (auto [at, v] : bytes)
        r[at] = static_cast<char>(v);
    return r;
}

// Records of every kind as other software writes them, with fields the writer
// leaves zero filled in: every text of the report's vocabulary gets its turn.
std::string OtherSoftwareRecords(std::mt19937& rng) {
    std::string out;
    auto pick = [&](int n) { return static_cast<uint8_t>(rng() % n); };
    for (int round = 0; round < 40; ++round) {
        out += Noisy(rng, "dbhm", 104,
                     {{19, uint8_t(7 + pick(10))}, {23, pick(5)}, {32, uint8_t(1 + pick(3))}});
        out += Noisy(rng, "dshm", 96, {{15, pick(5)}});
        out += Noisy(rng, "tlhm", 92);
        out += Noisy(rng, "plhm", 92);
        out += Noisy(rng, "tihm", 244,
                     {{23, pick(3)},
                      {24, pick(2)},
                      {28, pick(3)},
                      {29, pick(3)},
                      {30, pick(3)},
                      {62, pick(2)},
                      {120, pick(2)},
                      {144, 0},
                      {145, std::array<uint8_t, 4>{0x0C, 0x33, 0x29, 0x00}[pick(4)]},
                      {147, pick(2)},
                      {164, pick(4)},
                      {165, pick(3)},
                      {166, pick(3)},
                      {167, pick(3)},
                      {208, 0},
                      {209, 0},
                      {210, 0},
                      {211, pick(4)}});
        // String records in UTF-8, UTF-16 and unknown encodings, of every type below 15.
        for (uint8_t type = 0; type < 15; ++type) {
            const uint32_t length = rng() % 31;
            std::string r = Noisy(rng, "dohm", 40,
                                  {{7, uint8_t(pick(4) ? 24 : 40)},
                                   {12, 0},
                                   {13, 0},
                                   {14, 0},
                                   {15, type},
                                   {32, std::array<uint8_t, 4>{0, 1, 1, 5}[pick(4)]}});
            Put16(r, 30, length);
            out += r + Noise(rng, length);
        }
        for (uint8_t type : {15, 16, 17}) {
            const uint32_t text = rng() % 40;
            std::string r = Noisy(rng, "dohm", 24, {{7, 24}, {15, type}});
            Put16(r, 10, 24 + text);
            out += r + Noise(rng, text);
        }
        for (uint8_t type : {18, 19, 49, 53, 99, 101, 255})
            out += Noisy(rng, "dohm", 24, {{12, 0}, {13, 0}, {14, 0}, {15, type}});
        out += Noisy(rng, "dohm", 96,
                     {{12, 0},
                      {13, 0},
                      {14, 0},
                      {15, 50},
                      {24, pick(3)},
                      {25, pick(3)},
                      {26, pick(3)},
                      {27, pick(7)},
                      {28, pick(25)},
                      {29, pick(2)},
                      {30, 0},
                      {31, 0},
                      {36, pick(3)},
                      {37, pick(3)}});
        out += Noisy(rng, "dohm", 24, {{12, 0}, {13, 0}, {14, 0}, {15, 51}});
        {
            const uint32_t count = rng() % 6;
            const bool fits = pick(3) != 0;
            std::string r = Noisy(rng, "dohm", 72 + 4 * count,
                                  {{12, 0},
                                   {13, 0},
                                   {14, 0},
                                   {15, 52},
                                   {24, std::array<uint8_t, 6>{3, 4, 5, 7, 18, 9}[pick(6)]},
                                   {28, uint8_t(count)}});
            for (size_t i = 29; i < 69; ++i)
                r[i] = pick(8) ? 0 : 1;
            Put16(r, 10, 72 + 4 * count + (fits ? 0 : 4));
            out += r;
        }
        out += Noisy(rng, "dohm", 44, {{12, 0}, {13, 0}, {14, 0}, {15, 100}});
        out += Noisy(rng, "pyhm", 108, {{20, pick(3)}, {39, pick(31)}, {40, 0}, {41, pick(3)}});
        std::string item = Noisy(rng, "pihm", 76, {{16, 0}, {17, 0}, {18, pick(2)}, {19, pick(2)}});
        if (pick(2))
            Put32(item, 28, 36526 + rng() % 20000);
        out += item;
    }
    return out + std::string(300, '\0');
}

// A card's database as the writer makes it, 3,000 tracks in 30 playlists, its
// random item bytes fixed, followed by records of other software.
std::string LargeDatabase() {
    std::mt19937 rng(2026);
    const std::vector<std::string> words = {"Кино",    "Brahms", "Ohm",   "Café",   "東京",
                                            "Ёжик",    "naïve",  "Über",  "Rhythm", "𝄞clef",
                                            "Bohemia", "hm",     "Звезда"};
    auto word = [&] { return words[rng() % words.size()]; };
    TDatabaseSnapshot s;
    s.PhoneDrive = 'E';
    const int tracks = 3000;
    // One draw per statement: the order of operands within an expression is not fixed.
    for (int i = 0; i < tracks; ++i) {
        const std::string n = std::to_string(i);
        TTrackRowSnapshot r;
        r.Artist = word();
        r.Artist += ' ';
        r.Artist += word();
        if (i % 13)
            r.Title.append(word()).append(" ").append(n);
        r.Album = word();
        r.Time = std::to_string(rng() % 300);
        r.Time += ':';
        r.Time += std::to_string(rng() % 60);
        r.Size = std::to_string(rng() % 30000000);
        r.FileName = "E:\\mobile\\audio\\";
        r.FileName.append(word()).append(n).append(i % 3 ? ".mp3" : ".m4a");
        r.BitRate = std::to_string(32 + rng() % 288);
        r.UID = n;
        s.Tracks.push_back(r);
    }
    for (int p = 0; p < 30; ++p) {
        std::string name = "All music";
        if (p > 0)
            name = word().append(" ").append(std::to_string(p));
        s.PlaylistNames.push_back(name);
        std::vector<std::string> entries;
        const int n = p == 0 ? tracks : int(rng() % 200);
        for (int j = 0; j < n; ++j)
            entries.push_back(std::to_string(p == 0 ? j : int(rng() % tracks)));
        s.PlaylistEntries.push_back(entries);
    }
    std::string db = BuildDatabase(s);
    for (const auto& rec : DatabaseChecker::Check(db).Records)
        if (rec.Tag == "pihm")
            db[rec.Offset + 22] = db[rec.Offset + 23] = 7;
    return db + OtherSoftwareRecords(rng);
}

uint64_t Fnv1a(std::string_view s) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (char c : s) {
        h ^= static_cast<uint8_t>(c);
        h *= 0x100000001b3ULL;
    }
    return h;
}

} // namespace

TEST(LargeReport, StaysByteForByteTheSame) {
    const std::string db = LargeDatabase();
    TScan scan;
    scan.Run(db);
    ASSERT_TRUE(scan.Result.Completed);
    EXPECT_LE(3000, scan.Col("UID").Count());
    TScan fast;
    fast.Run(db, false);
    ExpectSameCollecting(scan, fast);
    const std::string& report = scan.Result.Report;
    // The database itself is what it was when the figures were taken.
    ASSERT_EQ(2897175u, db.size());
    EXPECT_EQ(44634u, scan.Lines().size());
    EXPECT_EQ(8881107u, report.size());
    EXPECT_EQ(0x8e09fe655f9820d6ULL, Fnv1a(report));
}
