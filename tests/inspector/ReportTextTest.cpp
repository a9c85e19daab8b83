// The report and the collected fields of every record kind, compared with a text
// written by an earlier version: records of patterned bytes reach every field the
// report names, cut-short twins every bounds check, and the writer's recorded
// images the scan as a whole. BV_RECORD_REPORT_TEXT=1 writes the text anew, for
// a change to the report that is meant.
#include "ReaderTestSupport.h"
#include "RecordReport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace ReaderTest;

namespace {

// A record of `length` bytes, each byte a different value, with the tag, the
// header length and the data type where the reader looks for them.
std::string Patterned(std::string_view tag, size_t length, uint8_t dataType, uint8_t seed) {
    std::string r(length, '\0');
    for (size_t i = 0; i < length; ++i)
        r[i] = static_cast<char>((i * 37 + seed) & 0xFF);
    r.replace(0, 4, tag);
    if (tag == "dohm") {
        r[7] = 24;
        r[15] = static_cast<char>(dataType);
        r[10] = 0;
        r[11] = static_cast<char>(length);
        if (length > 32) {
            r[30] = 0;
            r[31] = 6;
            r[32] = static_cast<char>(seed & 1);
        }
    }
    return r;
}

std::string Fields(const TDecodedRecord& r) {
    return "kind " + std::to_string(static_cast<int>(r.Kind)) + " id " + std::to_string(r.Id) +
           " size " + std::to_string(r.Size) + " ms " + std::to_string(r.TimeMs) + " bitrate " +
           std::to_string(r.BitRate) + " count " + std::to_string(r.DataCount) + " type " +
           std::to_string(r.DataType) + " string " + std::to_string(r.IsString) + " text " +
           std::to_string(r.HasText) + " \"" + r.Text + "\" at " + std::to_string(r.TextBegin) +
           "-" + std::to_string(r.TextEnd) + " damaged " + std::to_string(r.Damaged);
}

// What the report and the collecting make of the record, one line each.
std::string Describe(std::string_view record) {
    std::string out;
    try {
        const TDecodedRecord r = DecodeRecord(record, 0);
        out += "  details: " + r.Details + "\n  sublabel: " + r.SubLabel + "\n";
    } catch (const TRecordPastEnd&) {
        out += "  report: past end\n";
    }
    try {
        out += "  fields: " + Fields(DecodeRecordFields(record, 0)) + "\n";
    } catch (const TRecordPastEnd&) {
        out += "  fields: past end\n";
    }
    return out;
}

std::string AllRecords() {
    std::string out;
    struct TKind {
        std::string_view Tag;
        size_t Length;
        uint8_t DataType;
    };
    const TKind kinds[] = {
        {"dbhm", 104, 0},  {"dshm", 96, 0},  {"tlhm", 92, 0},  {"plhm", 92, 0},  {"tihm", 244, 0},
        {"pyhm", 108, 0},  {"pihm", 76, 0},  {"dohm", 60, 1},  {"dohm", 60, 2},  {"dohm", 60, 3},
        {"dohm", 60, 4},   {"dohm", 60, 5},  {"dohm", 60, 14}, {"dohm", 60, 15}, {"dohm", 60, 16},
        {"dohm", 60, 17},  {"dohm", 96, 50}, {"dohm", 60, 51}, {"dohm", 80, 52}, {"dohm", 84, 52},
        {"dohm", 44, 100}, {"dohm", 60, 99}, {"xxhm", 60, 0},
    };
    for (const TKind& k : kinds) {
        for (uint8_t seed : {uint8_t{0}, uint8_t{1}, uint8_t{200}}) {
            const std::string record = Patterned(k.Tag, k.Length, k.DataType, seed);
            out += std::string(k.Tag) + " " + std::to_string(k.DataType) + " seed " +
                   std::to_string(seed) + ", " + std::to_string(record.size()) + " bytes\n";
            out += Describe(record);
            if (seed != 1)
                continue;
            // Cut-short twins, every length from the tag on; a line only where the
            // outcome changes, so each bounds check shows where it starts.
            std::string last;
            for (size_t cut = 4; cut < record.size(); ++cut) {
                std::string now = Describe(std::string_view(record).substr(0, cut));
                if (now != last)
                    out += " cut to " + std::to_string(cut) + "\n" + now;
                last = std::move(now);
            }
        }
    }
    return out;
}

std::string ScanReports() {
    std::string out;
    for (const char* name :
         {"empty_master_playlist", "empty_texts", "locations_and_type_codes",
          "playlists_with_repeats_and_cyrillic_name", "upload_path_without_backslash"}) {
        std::ifstream in(std::string(BV_TEST_DATA_DIR) + "/itunesdb/" + name + ".itdb",
                         std::ios::binary);
        const std::string db{std::istreambuf_iterator<char>(in), {}};
        TScan scan;
        scan.Run(db);
        out += std::string(name) + "\n" + scan.Result.Report + "\n";
    }
    return out;
}

} // namespace

TEST(ReportText, SameAsRecorded) {
    const std::string path = std::string(BV_TEST_DATA_DIR) + "/inspector/report_text.txt";
    const std::string text = AllRecords() + ScanReports();
    if (std::getenv("BV_RECORD_REPORT_TEXT")) {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    const std::string recorded{std::istreambuf_iterator<char>(in), {}};
    if (recorded == text)
        return;
    // The first line that differs says where.
    size_t line = 1, at = 0;
    while (at < recorded.size() && at < text.size() && recorded[at] == text[at])
        line += recorded[at++] == '\n';
    const auto lineOf = [&](const std::string& s) {
        const size_t begin = s.rfind('\n', at == 0 ? 0 : at - 1);
        const size_t from = begin == std::string::npos ? 0 : begin + 1;
        return s.substr(from, s.find('\n', from) - from);
    };
    FAIL() << "line " << line << "\nrecorded: " << lineOf(recorded)
           << "\nnow:      " << lineOf(text);
}
