#include "BvID3Tables.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

// Version 2.2 and version 2.3/2.4 identifiers, by TBvID3FrameID.
const char FrameIDTable[FrameIDCount][2][5] = {
    {"", ""},        {"", ""},        {"", ""},        {"CRA", "AENC"}, {"PIC", "APIC"},
    {"", "ASPI"},    {"COM", "COMM"}, {"", "COMR"},    {"", "ENCR"},    {"", "EQU2"},
    {"EQU", "EQUA"}, {"ETC", "ETCO"}, {"GEO", "GEOB"}, {"", "GRID"},    {"IPL", "IPLS"},
    {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"", "OWNE"},    {"", "PRIV"},
    {"CNT", "PCNT"}, {"POP", "POPM"}, {"", "POSS"},    {"BUF", "RBUF"}, {"", "RVA2"},
    {"RVA", "RVAD"}, {"REV", "RVRB"}, {"", "SEEK"},    {"", "SIGN"},    {"SLT", "SYLT"},
    {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"},
    {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"", "TDEN"},    {"TDY", "TDLY"}, {"", "TDOR"},
    {"", "TDRC"},    {"", "TDRL"},    {"", "TDTG"},    {"", "TIPL"},    {"TEN", "TENC"},
    {"TXT", "TEXT"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TT1", "TIT1"}, {"TT2", "TIT2"},
    {"TT3", "TIT3"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"", "TMCL"},
    {"TMT", "TMED"}, {"", "TMOO"},    {"TOT", "TOAL"}, {"TOF", "TOFN"}, {"TOL", "TOLY"},
    {"TOA", "TOPE"}, {"TOR", "TORY"}, {"", "TOWN"},    {"TP1", "TPE1"}, {"TP2", "TPE2"},
    {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"", "TPRO"},    {"TPB", "TPUB"},
    {"TRK", "TRCK"}, {"TRD", "TRDA"}, {"TRN", "TRSN"}, {"TRO", "TRSO"}, {"TSI", "TSIZ"},
    {"", "TSOA"},    {"", "TSOP"},    {"", "TSOT"},    {"TRC", "TSRC"}, {"", "TSSE"},
    {"TSS", "TSST"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"", "USER"},
    {"ULT", "USLT"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WAF", "WOAF"}, {"WAR", "WOAR"},
    {"WAS", "WOAS"}, {"WRA", "WORS"}, {"WPY", "WPAY"}, {"WPB", "WPUB"}, {"WXX", "WXXX"},
    {"CRM", ""},     {"CDM", ""},
};

const char* const Genres[GenreCount] = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychedelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    // The common extension.
    "Folk",
    "Folk-Rock",
    "National Folk",
    "Swing",
    "Fast Fusion",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Power Ballad",
    "Rhythmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "A capella",
    "Euro-House",
    "Dance Hall",
    "Goa",
    "Drum & Bass",
    "Club-House",
    "Hardcore",
    "Terror",
    "Indie",
    "BritPop",
    "Negerpunk",
    "Polsk Punk",
    "Beat",
    "Christian Gangsta Rap",
    "Heavy Metal",
    "Black Metal",
    "Crossover",
    "Contemporary Christian",
    "Christian Rock",
    "Merengue",
    "Salsa",
    "Trash Metal",
    "Anime",
    "JPop",
    "SynthPop",
};

struct TLanguageRow {
    const char* Code;
    const char* Name;
};
const TLanguageRow Languages[] = {
#include "BvID3Languages.inc"
};
constexpr int LanguageRows = int(sizeof(Languages) / sizeof(Languages[0]));

bool IsIdentifierChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

// The lookup lists, built once: static locals initialise thread-safely.
struct TBvID3TermFinder {
    std::map<std::string, int, std::less<>> Ids22, Ids23, Genres;
    TBvID3TermFinder() {
        for (int i = 0; i < FrameIDCount; ++i) {
            if (FrameIDTable[i][0][0])
                Ids22.emplace(FrameIDTable[i][0], i);
            if (FrameIDTable[i][1][0])
                Ids23.emplace(FrameIDTable[i][1], i);
        }
        for (int i = 0; i < GenreCount; ++i)
            Genres.emplace(LowerCase(::Genres[i]), i);
    }
    static const TBvID3TermFinder& Get() {
        static const TBvID3TermFinder finder;
        return finder;
    }
};

} // namespace

std::string FrameIDToString(TBvID3FrameID id, int size) {
    if (size != 3 && size != 4)
        throw EBvException("Frame ID size can only be 3 or 4");
    std::string result(size_t(size), '\0');
    if (id < FrameIDCount) {
        const char* s = FrameIDTable[id][size == 3 ? 0 : 1];
        std::memcpy(result.data(), s, std::strlen(s));
    }
    return result;
}

TBvID3FrameID StringToFrameID(std::string_view s) {
    if (s.empty())
        return fiPaddingFrame;
    if ((s.size() == 3 || s.size() == 4) &&
        std::all_of(s.begin(), s.end(), [](char c) { return c == '\0'; }))
        return fiPaddingFrame;
    if (s.size() != 3 && s.size() != 4)
        return fiErrorFrame;
    if (!std::all_of(s.begin(), s.end(), IsIdentifierChar))
        return fiErrorFrame;
    const auto& finder = TBvID3TermFinder::Get();
    const auto& list = s.size() == 3 ? finder.Ids22 : finder.Ids23;
    const auto it = list.find(s);
    return it == list.end() ? fiUnknownFrame : TBvID3FrameID(it->second);
}

int GenreToID(std::string_view name, bool withExtension) {
    const int fallback = withExtension ? 255 : 12;
    if (name.empty())
        return fallback;
    const auto& genres = TBvID3TermFinder::Get().Genres;
    std::string key = LowerCase(name);
    auto it = genres.find(key);
    if (it == genres.end() && key == "psychadelic")
        it = genres.find("psychedelic");
    if (it == genres.end() || (!withExtension && it->second >= GenreCountWithoutExtension))
        return fallback;
    return it->second;
}

std::string IDToGenre(int number, bool withExtension) {
    const int limit = withExtension ? GenreCount : GenreCountWithoutExtension;
    return number >= 0 && number < limit ? Genres[number] : std::string();
}

int LanguageIndex(std::string_view code) {
    const std::string key = LowerCase(code);
    const auto* end = Languages + LanguageRows;
    const auto* it =
        std::lower_bound(Languages, end, key, [](const TLanguageRow& r, const std::string& k) {
            return std::strcmp(r.Code, k.c_str()) < 0;
        });
    return it != end && key == it->Code ? int(it - Languages) : -1;
}

bool IsValidLanguage(std::string_view code) {
    return code.size() == 3 && LanguageIndex(code) >= 0;
}

int LanguageCount() {
    return LanguageRows;
}
