// Walks a phone database by its length and count fields alone, the way the
// phone does, and says where the first length disagrees with what it holds.
// The reader never uses these fields, so the two can check each other.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace DatabaseChecker {

struct TRecord {
    size_t Offset;
    std::string Tag;
};

struct TResult {
    std::string Error; // empty when every length adds up
    std::vector<TRecord> Records;
    int Tracks = 0;
    int Playlists = 0;
    int Items = 0;
    bool Ok() const { return Error.empty(); }
};

namespace detail {

struct TWalker {
    std::string_view db;
    TResult result;

    bool Fail(size_t at, const std::string& what) {
        if (result.Error.empty())
            result.Error = "at " + std::to_string(at) + ": " + what;
        return false;
    }
    bool Has(size_t at, size_t n) const { return at <= db.size() && n <= db.size() - at; }
    uint32_t U32(size_t at) const {
        return (uint32_t(uint8_t(db[at])) << 24) | (uint32_t(uint8_t(db[at + 1])) << 16) |
               (uint32_t(uint8_t(db[at + 2])) << 8) | uint32_t(uint8_t(db[at + 3]));
    }
    // Checks the tag and that the header and the given total fit; returns the header length.
    bool Open(size_t at, std::string_view tag, size_t minHeader, uint32_t& header) {
        if (!Has(at, 12))
            return Fail(at, "record cut short");
        if (db.substr(at, 4) != tag)
            return Fail(at, "expected " + std::string(tag) + ", found " +
                                std::string(db.substr(at, 4)));
        header = U32(at + 4);
        if (header < minHeader || !Has(at, header))
            return Fail(at, std::string(tag) + " header length " + std::to_string(header));
        result.Records.push_back({at, std::string(tag)});
        return true;
    }
    bool Total(size_t at, size_t header, size_t& end) {
        const uint32_t total = U32(at + 8);
        if (total < header || !Has(at, total))
            return Fail(at, "total length " + std::to_string(total));
        end = at + total;
        return true;
    }
    bool Mhod(size_t& at, size_t limit) {
        uint32_t header;
        size_t end;
        if (!Open(at, "dohm", 24, header) || !Total(at, header, end))
            return false;
        if (end > limit)
            return Fail(at, "data record runs past its parent");
        at = end;
        return true;
    }
    bool WithChildren(size_t& at, std::string_view tag, size_t minHeader, uint32_t childCountAt,
                      bool (TWalker::*child)(size_t&, size_t)) {
        uint32_t header;
        size_t end;
        if (!Open(at, tag, minHeader, header) || !Total(at, header, end))
            return false;
        const uint32_t count = U32(at + childCountAt);
        size_t p = at + header;
        for (uint32_t i = 0; i < count; ++i)
            if (!(this->*child)(p, end))
                return false;
        if (p != end)
            return Fail(at, std::string(tag) + " total length disagrees with its children");
        at = end;
        return true;
    }
    bool Mhip(size_t& at, size_t limit) {
        const size_t start = at;
        if (!WithChildren(at, "pihm", 32, 12, &TWalker::Mhod))
            return false;
        ++result.Items;
        return at <= limit || Fail(start, "item runs past its playlist");
    }
    bool Mhit(size_t& at, size_t limit) {
        const size_t start = at;
        if (!WithChildren(at, "tihm", 212, 12, &TWalker::Mhod))
            return false;
        ++result.Tracks;
        return at <= limit || Fail(start, "track runs past its data set");
    }
    bool Mhyp(size_t& at, size_t limit) {
        uint32_t header;
        size_t end;
        const size_t start = at;
        if (!Open(at, "pyhm", 48, header) || !Total(at, header, end))
            return false;
        if (end > limit)
            return Fail(at, "playlist runs past its data set");
        const uint32_t dataCount = U32(at + 12), items = U32(at + 16);
        size_t p = at + header;
        for (uint32_t i = 0; i < dataCount; ++i)
            if (!Mhod(p, end))
                return false;
        for (uint32_t i = 0; i < items; ++i)
            if (!Mhip(p, end))
                return false;
        if (p != end)
            return Fail(start, "playlist total length disagrees with its children");
        ++result.Playlists;
        at = end;
        return true;
    }
    bool Mhsd(size_t& at) {
        uint32_t header;
        size_t end;
        if (!Open(at, "dshm", 16, header) || !Total(at, header, end))
            return false;
        size_t p = at + header;
        uint32_t listHeader;
        if (!Has(p, 4))
            return Fail(p, "data set without a list");
        const bool tracks = db.substr(p, 4) == "tlhm";
        if (!Open(p, tracks ? "tlhm" : "plhm", 12, listHeader))
            return false;
        const uint32_t count = U32(p + 8);
        p += listHeader;
        for (uint32_t i = 0; i < count; ++i)
            if (!(tracks ? Mhit(p, end) : Mhyp(p, end)))
                return false;
        if (p != end)
            return Fail(at, "data set total length disagrees with its children");
        at = end;
        return true;
    }
    void Walk() {
        uint32_t header;
        size_t end;
        if (!Open(0, "dbhm", 24, header) || !Total(0, header, end))
            return;
        if (end != db.size()) {
            Fail(0, "file length " + std::to_string(db.size()) + " but header says " +
                        std::to_string(end));
            return;
        }
        const uint32_t sets = U32(20);
        size_t p = header;
        for (uint32_t i = 0; i < sets; ++i)
            if (!Mhsd(p))
                return;
        if (p != end)
            Fail(p, "bytes left after the last data set");
    }
};

} // namespace detail

inline TResult Check(std::string_view db) {
    detail::TWalker w{db, {}};
    w.Walk();
    return w.result;
}

} // namespace DatabaseChecker
