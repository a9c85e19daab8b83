#include "RecordReport.h"

#include "RecordFields.h"

#include "DataSetRecord.h"
#include "DbBytes.h"
#include "DbHeaderRecord.h"
#include "ListRecord.h"
#include "PlaylistDataRecords.h"
#include "PlaylistItemRecord.h"
#include "PlaylistRecord.h"
#include "StringRecord.h"
#include "TextCodec.h"
#include "TrackRecord.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Text of ASCII letters only, as most UTF-16 text is, is its low bytes: written to `out`
// (room for raw.size() / 2 bytes) when it is so.
bool LowBytesIfPlain(std::string_view raw, char* out) {
    const size_t n = raw.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        const auto low = static_cast<unsigned char>(raw[2 * i]);
        if (low >= 0x80 || raw[2 * i + 1] != 0)
            return false;
        out[i] = static_cast<char>(low);
    }
    return true;
}

std::string WideText(std::string_view raw) {
    std::u16string wide(raw.size() / 2, u'\0');
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char16_t>(uint8_t(raw[2 * i]) | (uint8_t(raw[2 * i + 1]) << 8));
    return Utf16ToUtf8(wide);
}

} // namespace

void StringText(std::string_view raw, uint8_t encoding, std::string& out) {
    if (encoding == 1) {
        // ASCII, as most texts are, is clean as it stands.
        if (IsAscii(raw) || IsValidUtf8(raw)) {
            out.clear();
            out.append(raw);
        } else
            out = CleanUtf8(raw);
        return;
    }
    out.resize(raw.size() / 2);
    if (!LowBytesIfPlain(raw, out.data()))
        out = WideText(raw);
}

std::string StringText(std::string_view raw, uint8_t encoding) {
    if (encoding == 1)
        return IsAscii(raw) || IsValidUtf8(raw) ? std::string(raw) : CleanUtf8(raw);
    std::string out(raw.size() / 2, '\0');
    if (LowBytesIfPlain(raw, out.data()))
        return out;
    return WideText(raw);
}

namespace {

std::string N(uint32_t v) {
    return std::to_string(v);
}

constexpr std::string_view DamagedNote =
    "damaged: its length runs past the end of the file, skipped";

void MarkText(TDecodedRecord& r, const TRecordFields& f, size_t from, size_t to) {
    r.TextBegin = f.Offset() + from;
    r.TextEnd = f.Offset() + to;
}

void Header(const TRecordFields& f, std::string& d) {
    d += "\t";
    using F = TDbHeaderRecord::Field;
    const uint32_t length = f.U32(F::HeaderLength);
    d += "размер секции: " + N(length);
    d += " nextaddr:" + N(static_cast<uint32_t>(f.Offset() + length));
    d += ", размер с подсекциями: " + N(f.U32(F::TotalLength));
    static const std::array<const char*, 7> versions = {
        ", создан iTunes v4.2",      ", создан iTunes v4.5", ", создан iTunes v4.7",
        ", создан iTunes v4.71/4.8", ", создан iTunes v4.9", ", создан iTunes v5",
        ", создан iTunes v6"};
    const uint8_t version = f.Low8(F::Version);
    d += version >= 9 && version <= 15 ? versions[version - 9] : ", создан iTunes vUnknown";
    const uint8_t sets = f.Low8(F::DataSetCount);
    if (sets == 2)
        d += ", число dshm=2 шт.  ";
    else if (sets == 3)
        d += ", число dshm=3 шт.  ";
    d += "ID: ";
    for (size_t i = F::Id; i < F::Id + TDbHeaderRecord::Id.size(); ++i) {
        ByteToHex(f.B(i), d);
        d += " ";
    }
    if (f.B(F::Flag) == 2)
        d += "; флаг 2 на месте";
}

void DataSet(const TRecordFields& f, std::string& d) {
    using F = TDataSetRecord::Field;
    d += "\t";
    d += "размер:" + N(f.Low8(F::HeaderLength));
    d += "; размер с подсекциями:" + N(f.Low16(F::TotalLength));
    d += " назначение: ";
    switch (f.Low8(F::Type)) {
    case TDataSetRecord::dsTracks:
        d += "Track list";
        break;
    case TDataSetRecord::dsPlaylists:
        d += "PlayList list";
        break;
    case TDataSetRecord::dsPodcasts:
        d += "Podcast list";
        break;
    default:
        d += "Error type";
    }
}

void Track(const TRecordFields& f, TDecodedRecord& r) {
    using F = TTrackRecord::Field;
    std::string& d = r.Details;
    d += "\t\t";
    d += "размер:" + N(f.Low8(F::HeaderLength)) + " (надо244 или 156 для старых версий)";
    d += "; размер с дочерними dohm:" + N(f.Low16(F::TotalLength));
    r.DataCount = f.Low8(F::StringCount);
    d += " число dohm:" + N(r.DataCount);
    r.Id = f.U32(F::TrackId);
    d += "; ID:" + f.Hex(F::TrackId, 4);
    d += f.Low8(F::Visible) == 1 ? "флаг: НЕскрытый файл" : "флаг: скрытый файл";
    d += f.U32(F::FileKind) == 0 ? " Type: HDD" : " 4zeroError";
    const uint8_t b28 = f.B(F::VbrFlag), b29 = f.B(F::Mp3Flag);
    if (b28 == 0 && b29 == 1)
        d += " type: CBR MP3";
    else if (b28 == 1 && b29 == 1)
        d += " type: VBR MP3";
    else if (b28 == 0 && b29 == 0)
        d += " type: AAC";
    d += f.B(F::Compilation) == 1 ? " флаг компиляции ON" : " флаг компиляции OFF";
    d += " рейтинг*20:" + N(f.B(F::Stars));
    d += " TimeAdd:" + f.Hex(F::AddedTime, 4);
    r.Size = f.U32(F::Size);
    d += " Размер песни " + N(r.Size) + "Байт";
    r.TimeMs = f.U32(F::TimeMs);
    d += " " + N(r.TimeMs) + "мсек (" + PlayingTimeText(r.TimeMs) + " мин:сек)";
    d += " Трек№" + N(f.U32(F::TrackNumber)) + " из";
    d += N(f.U32(F::TrackCount)) + "(расхождение с док-цией?)";
    d += " year:" + N(f.U32(F::Year));
    r.BitRate = f.U32(F::BitRate);
    d += " bitrate:" + N(r.BitRate);
    d += " частота:" + N(f.U16(F::SampleRate)) + "Hz";
    if (f.B(F::SampleRateLow) != 0 || f.B(F::SampleRateLow + 1) != 0)
        d += " 2zeroError";
    d += " vol:" + N(f.U32(F::Volume));
    d += " timestart:" + N(f.U32(F::StartTime)) + "ms";
    d += " timestop:" + N(f.U32(F::StopTime)) + "ms";
    d += " soundcheck(рег.громкости):" + N(f.U32(F::SoundCheck));
    d += " play count:" + N(f.U32(F::PlayCount));
    d += " play count2: " + N(f.U32(F::PlayCount2));
    d += " lastplayedtime: " + N(f.U32(F::LastPlayed));
    d += "  Disk№(from multidisk): " + N(f.U32(F::DiscNumber));
    d += "  Total Disks(from multidisk): " + N(f.U32(F::DiscCount));
    d += "; User_ID_from_DRM:" + f.Hex(F::DrmUserId, 4);
    d += "; last modif.time of the track:" + f.Hex(F::ModifiedTime, 4);
    d += "; bookmark time:" + N(f.U32(F::Bookmark)) + "ms";
    d += ", dbidID:" + f.Hex(F::DbIdHigh, 4) + " " + f.Hex(F::DbId, 4);
    d += f.B(F::Checked) == 0 ? " checkedflagON" : " checkedflagOFF";
    d += " рейтинг:" + N(f.B(F::Rating));
    d += "; BPM:" + N(f.U16(F::Bpm));
    d += "; Число обложек:" + N(f.U16(F::ArtCount));
    d += "; ArtSize:" + N(f.U32(F::ArtSize)) + "ms";
    d += " sample_rate_2:" + f.Hex(F::SampleRate2, 4);
    d += " Date_Released:" + f.Hex(F::DateReleased, 4);
    d += " Unk14():";
    switch (f.U32(F::TypeCode) & 0x00FF0001) {
    case TTrackRecord::Mp3TypeCode:
        d += " Unk14=CBRMP3";
        break;
    case 0x000C0001:
        d += " Unk14=VBRMP3";
        break;
    case 0x00330000:
        d += " Unk14=AAC(проверить)";
        break;
    case TTrackRecord::OtherTypeCode:
        d += " Unk14=AAC";
        break;
    case 0:
    case 1:
        d += " Unk14=WAV(проверить)";
        break;
    case 0x00290000:
        d += " Unk14=Audible(проверить)";
        break;
    case 0x00290001:
        d += " Unk14=Audible";
        break;
    default:
        break;
    }
    d += " Unk14HEX=" + f.Hex(F::TypeCode, 4);
    const uint8_t kind = f.B(F::MediaKind);
    d += kind == 2 ? std::string(" Track(no podcast)") : " Track!!!:" + N(kind);
    d += f.B(F::SkipShuffle) == 1 ? " SkipShuffingFlagON" : " SkipShuffingFlagOFF";
    d += f.B(F::RememberPosition) == 1 ? " RemPosFlagON" : " RemPosFlagOFF";
    d += f.B(F::Podcast) == 1 ? " PodcastFlagON" : " PodcastFlagOFF";
    d += " dbid2(??\?)=" + f.Hex(F::DbId2, 8);
    d += "; Unk20=" + N(f.U32(F::Unknown20));
    d += "; samplecount=" + N(f.U32(F::SampleCount));
    switch (f.U32(F::MediaType)) {
    case 0:
        d += "; menu=Audio+Video";
        break;
    case 1:
        d += "; menu=Audio";
        break;
    case 2:
        d += "; menu=Video";
        break;
    default:
        break;
    }
}

const char* SortText(uint8_t v) {
    static const std::array<const char*, 28> texts = {" сортировка-нет",
                                                      " сортировка-неизвестно",
                                                      " сортировка-поназванию",
                                                      " сортировка-поальбому",
                                                      " сортировка-артист",
                                                      " сортировка-битрэйт",
                                                      " сортировка-стиль",
                                                      " сортировка-kind",
                                                      " сортировка-датамодификации",
                                                      " сортировка-номертрека",
                                                      " сортировка-размер",
                                                      " сортировка-время",
                                                      " сортировка-год",
                                                      " сортировка-частотадискретизации",
                                                      " сортировка-комментарий",
                                                      " сортировка-датадобавления",
                                                      " сортировка-эквалайзер",
                                                      " сортировка-композитор",
                                                      " сортировка-неизвестно",
                                                      " сортировка-счетчикпрослушанных",
                                                      " сортировка-проигранныепоследними",
                                                      " сортировка-номердиска",
                                                      " сортировка-мойрейтинг",
                                                      " сортировка-датарелиза",
                                                      " сортировка-BPM(темп)",
                                                      " сортировка-группы",
                                                      " сортировка-категории",
                                                      " сортировка-описание"};
    return v >= 1 && v <= 28 ? texts[v - 1] : "";
}

void Playlist(const TRecordFields& f, std::string& d) {
    using F = TPlaylistRecord::Field;
    d += "\t";
    d += "размер:" + N(f.Low8(F::HeaderLength));
    d += "; размер с дочерними:" + N(f.Low16(F::TotalLength));
    d += "; число объектов:" + N(f.Low16(F::DataRecordCount));
    d += "; число Playlist Items:" + N(f.Low16(F::ItemCount));
    d += f.B(F::Master) == 1 ? "флаг: скрытый плейлист" : "флаг: НЕскрытый плейлист";
    d += " Time:" + f.Hex(F::Time, 4);
    d += "; PL_ID:" + f.Hex(F::PlaylistId, 4);
    d += " Число dohm типа <50::::" + N(f.U32(F::StringCount));
    const uint32_t indexes = f.U16(F::IndexItemCount);
    d += "; число mhod52=::::" + N(indexes);
    d += indexes == 1 ? " Podcat_плейлист" : " normal_плейлист";
    d += SortText(f.B(F::SortOrder));
}

void Item(const TRecordFields& f, TDecodedRecord& r) {
    using F = TPlaylistItemRecord::Field;
    std::string& d = r.Details;
    d += "\t";
    d += "размер:" + N(f.Low8(F::HeaderLength));
    d += "; размер с дочерними:" + N(f.Low16(F::TotalLength));
    d += " число дочерних dohm:" + N(f.Low8(F::DataRecordCount));
    // The podcast group flag is the whole word at 16; any other non-zero word
    // has no name in the vocabulary.
    const uint32_t flag = f.U32(F::GroupFlag);
    if (flag == 0x100)
        d += " CGFlag: Podcast Group";
    else if (f.Low8(F::GroupFlag) == 0)
        d += " CGFlag: normal file";
    d += " GroupID:" + f.Hex(F::GroupId, 4);
    r.Id = f.U32(F::TrackId);
    d += " TrackID:" + f.Hex(F::TrackId, 4);
    d += " Время:" + DaysToDateText(static_cast<int32_t>(f.U32(F::Time)));
    d += " Time:" + f.Hex(F::Time, 4);
}

const char* DataTypeName(uint32_t type) {
    switch (type) {
    case 1:
        return "название (Title)";
    case 2:
        return "путь (Location)";
    case 3:
        return "альбом (Album)";
    case 4:
        return "испольни.(Artist)";
    case 5:
        return "стиль (Genre)";
    case 6:
        return "тип файла   ";
    case 7:
        return "установки EQ";
    case 8:
        return "комментарий";
    case 9:
        return "категория";
    case 12:
        return "композитор";
    case 13:
        return "группа";
    case 14:
        return "описание";
    case 15:
        return "Podcast Enclosure URL";
    case 16:
        return "Podcast RSS URL";
    case 17:
        return "Chapter data. This is a m4a-style entry that is used to display subsongs within a "
               "mhit. Introduced in db version 0x0d";
    case 18:
        return "Подзаголовок (Subtitle). То же самое что описание";
    case 50:
        return "Smart Playlist Data";
    case 51:
        return "Smart Playlist Rules";
    case 52:
        return "Library Playlist Index";
    case 100:
        return "Seems to vary.";
    default:
        return "";
    }
}

const char* Flag(uint8_t v, const char* on, const char* off, const char* error) {
    return v == 1 ? on : v == 0 ? off : error;
}

void EndZeros(const TRecordFields& f, size_t from, size_t to, std::string& d) {
    for (char c : f.Bytes(from, to - from + 1))
        if (c != 0)
            d += "endzerosERR";
}

void Data(const TRecordFields& f, TDecodedRecord& r) {
    using F = TStringRecord::Field;
    using I = TPlaylistFixedRecords::IndexField;
    std::string& d = r.Details;
    const uint32_t type = f.Low8(F::Type);
    r.DataType = type;
    r.SubLabel = N(type);
    d += DataTypeName(type);
    if (type < TStringRecord::FirstNonString) {
        r.IsString = true;
        d += "\t";
        if (f.Low8(F::HeaderLength) != TStringRecord::HeaderLength)
            d += "STypeError";
        d += " разм:" + N(f.Low16(F::TotalLength));
        d += " позиц:" + N(f.Low16(F::Position));
        const uint32_t length = f.Low16(F::TextLength);
        d += " длинстроки: " + N(length);
        const uint8_t encoding = f.B(F::Encoding);
        if (encoding > 1) {
            d += " UTF-error ";
            return;
        }
        d += encoding == 1 ? " UTF-8 " : " UTF-16 ";
        const size_t bytes = StringTextBytes(length, encoding);
        if (bytes > 0 && !f.Has(F::Text + bytes)) {
            d += DamagedNote;
            r.Damaged = true;
            return;
        }
        StringText(bytes ? f.Bytes(F::Text, bytes) : std::string_view(), encoding, r.Text);
        d += "\"" + r.Text + "\"";
        r.HasText = true;
        MarkText(r, f, F::Text, F::Text + bytes);
        return;
    }
    switch (type) {
    case 15:
    case 16:
    case 17: {
        d += "\t";
        if (f.Low8(F::HeaderLength) != TStringRecord::HeaderLength)
            d += "STypeError";
        const uint32_t total = f.Low16(F::TotalLength);
        d += " разм:" + N(total);
        // The text is what the record's length leaves after its 24-byte header.
        constexpr uint32_t header = TStringRecord::HeaderLength;
        if (total > header && !f.Has(total)) {
            d += DamagedNote;
            r.Damaged = true;
            return;
        }
        d += "\"" + CleanUtf8(total > header ? f.Bytes(header, total - header) : "") + "\"";
        if (total > header)
            MarkText(r, f, header, total);
        return;
    }
    case 50:
        d += "\t";
        d += "заголовок=" + N(f.Low8(F::HeaderLength));
        d += " разм:" + N(f.Low16(F::TotalLength));
        d += Flag(f.B(24), " LiveUpdateON", " LiveUpdateOFF", " LiveUpdateError");
        d += Flag(f.B(25), " RulesEnableON", " RulesEnableOFF", " RulesEnableError");
        d += Flag(f.B(26), " LimitsEnableON", " LimitsEnableOFF", " LimitsEnableError");
        switch (f.B(27)) {
        case 1:
            d += " Limit=Minutes";
            break;
        case 2:
            d += " Limit=Megabytes";
            break;
        case 3:
            d += " Limit=Songs";
            break;
        case 4:
            d += " Limit=Hours";
            break;
        case 5:
            d += " Limit=Gigabytes";
            break;
        default:
            break;
        }
        switch (f.B(28)) {
        case 2:
            d += " SortRandom";
            break;
        case 3:
            d += " SortSongName";
            break;
        case 4:
            d += " SortAlbum";
            break;
        case 5:
            d += " SortArtist";
            break;
        case 7:
            d += " SortGenre";
            break;
        case 16:
            d += " SortMostRecentlyAdded";
            break;
        case 20:
            d += " SortMostOftenPlayed";
            break;
        case 21:
            d += " SortMostRecentlyPlayed";
            break;
        case 23:
            d += " SortHighest Rating";
            break;
        default:
            break;
        }
        d += f.B(29) == 0 && f.B(30) == 0 && f.B(31) == 0 ? "3zeroOK" : "3zeroError";
        d += " Limit=" + N(f.U32(32));
        d += Flag(f.B(36), " matchcheckedonlyON", " matchcheckedonlyOFF", " matchcheckedonlyError");
        d += Flag(f.B(37), " RewersSortON", " RewersSortOFF", " RewersSortError");
        EndZeros(f, 38, 95, d);
        return;
    case 51:
        d += "\t";
        d += "заголовок=" + N(f.Low8(F::HeaderLength));
        d += " разм:" + N(f.Low16(F::TotalLength));
        d += "если вы читаете это, обратитесь к автору";
        return;
    case TPlaylistFixedRecords::IndexType: {
        d += "\t";
        d += "заголовок=" + N(f.Low8(F::HeaderLength));
        const uint32_t total = f.Low16(F::TotalLength);
        d += " разм:" + N(total);
        switch (f.B(I::SortKey)) {
        case 3:
            d += " ТипНазвание";
            break;
        case 4:
            d += " ТипАльбом";
            break;
        case 5:
            d += " ТипИсполнитель";
            break;
        case 7:
            d += " ТипСтиль";
            break;
        case 18:
            d += " ТипКомпозитор";
            break;
        default:
            break;
        }
        const uint32_t count = f.B(I::TrackCount);
        d += " ЧеслоПесен" + N(count);
        EndZeros(f, I::TrackCount + 1, IndexZerosEnd, d);
        d += " сорт.индекс:";
        if (total >= I::Index && 4 * count == total - I::Index) {
            if (!f.Has(I::Index + 4 * count)) {
                d += DamagedNote;
                r.Damaged = true;
                return;
            }
            const std::string_view index = f.Bytes(I::Index, 4 * count);
            for (size_t i = 0; i < index.size(); ++i) {
                ByteToHex(static_cast<uint8_t>(index[i]), d);
                if (i % 4 == 3)
                    d += " ";
            }
        } else {
            d += " не определен, ошибка документации";
        }
        return;
    }
    case TPositionRecord::Type:
        d += "\t";
        if (f.Low8(F::HeaderLength) != TStringRecord::HeaderLength)
            d += "STypeError";
        d += " разм:" + N(f.Low16(F::TotalLength));
        d += " поз.песни в ПЛ:" + N(f.Low8(TPositionRecord::Field::Position));
        return;
    default:
        return;
    }
}

} // namespace

void ByteToHex(uint8_t b, std::string& s) {
    static constexpr char digits[] = "0123456789ABCDEF";
    s += digits[b >> 4];
    s += digits[b & 15];
}

std::string PlayingTimeText(uint32_t ms) {
    const uint32_t s = ms / 1000;
    return N(s / 60) + ":" + N(s % 60);
}

std::string TrackKey(uint32_t id) {
    return N(id);
}

std::string DaysToDateText(int32_t days) {
    // Days since 1899-12-30 to a civil date (proleptic Gregorian).
    const int64_t z = int64_t{days} - 25569 + 719468; // to days since 0000-03-01
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    if (y < 1 || y > 9999)
        return "00.00.0000";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", static_cast<int>(d), static_cast<int>(m),
                  static_cast<int>(y));
    return buf;
}

std::string CleanUtf8(std::string_view bytes) {
    // ASCII, as most texts are, is clean as it stands.
    if (IsAscii(bytes) || IsValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    for (size_t pos = 0; pos < bytes.size();)
        AppendUtf8(out, DecodeUtf8(bytes, pos));
    return out;
}

TDecodedRecord DecodeRecord(std::string_view db, size_t offset) {
    return DecodeRecord(TDbWindow{db, 0, db.size()}, offset);
}

TDecodedRecord DecodeRecord(const TDbWindow& window, size_t offset) {
    TDecodedRecord r;
    const TRecordFields f(window, offset);
    const std::string_view tag = f.Bytes(0, 4);
    if (tag == TDbHeaderRecord::Tag) {
        r.Kind = TRecordKind::Header;
        r.Details = "база данных iTunes";
        Header(f, r.Details);
    } else if (tag == TDataSetRecord::Tag) {
        r.Kind = TRecordKind::DataSet;
        r.Details = " раздел базы данных";
        DataSet(f, r.Details);
    } else if (tag == TListRecord::TrackListTag) {
        r.Kind = TRecordKind::TrackList;
        r.Details = "  список треков\t\tразмер:" + N(f.Low8(TListRecord::Field::HeaderLength)) +
                    "; число песен:" + N(f.Low16(TListRecord::Field::Count));
        r.Count = f.PlausibleCount(TListRecord::Field::Count, TTrackRecord::Length);
    } else if (tag == TTrackRecord::Tag) {
        r.Kind = TRecordKind::Track;
        r.Details = "   отдельный трек";
        Track(f, r);
    } else if (tag == TStringRecord::Tag) {
        r.Kind = TRecordKind::Data;
        r.Details = "     инф: ";
        Data(f, r);
    } else if (tag == TListRecord::PlaylistListTag) {
        r.Kind = TRecordKind::PlaylistList;
        r.Details = "  список плейлистов\tразмер:" + N(f.Low8(TListRecord::Field::HeaderLength)) +
                    "; число плейлистов:" + N(f.Low16(TListRecord::Field::Count));
    } else if (tag == TPlaylistRecord::Tag) {
        r.Kind = TRecordKind::Playlist;
        r.Details = "   отдельный плейлист";
        Playlist(f, r.Details);
        r.DataCount = f.U32(TPlaylistRecord::Field::ItemCount);
        r.Count = f.PlausibleCount(TPlaylistRecord::Field::ItemCount, TPlaylistItemRecord::Length);
    } else if (tag == TPlaylistItemRecord::Tag) {
        r.Kind = TRecordKind::Item;
        r.Details = "     указ. на конкрет.песню";
        Item(f, r);
    }
    return r;
}

bool IsRecordTag(std::string_view tag) {
    // Every tag ends in "hm"; the first two letters tell them apart.
    if (tag.size() != 4 || tag[2] != 'h' || tag[3] != 'm')
        return false;
    const std::string_view head = tag.substr(0, 2);
    return head == "db" || head == "ds" || head == "tl" || head == "ti" || head == "do" ||
           head == "pl" || head == "py" || head == "pi";
}

TDecodedRecord DecodeRecordFields(std::string_view db, size_t offset) {
    TDecodedRecord r;
    DecodeRecordFields(db, offset, r);
    return r;
}

void DecodeRecordFields(std::string_view db, size_t offset, TDecodedRecord& r) {
    DecodeRecordFields(TDbWindow{db, 0, db.size()}, offset, r);
}

namespace {

// The fields handed over, kept in a decoded record.
struct TRecordSink {
    TDecodedRecord& R;

    void Data(uint32_t type, size_t textBegin, size_t textEnd) {
        R.Kind = TRecordKind::Data;
        R.DataType = type;
        R.TextBegin = textBegin;
        R.TextEnd = textEnd;
    }
    void DamagedData(uint32_t type, bool isString) {
        R.Kind = TRecordKind::Data;
        R.DataType = type;
        R.IsString = isString;
        R.Damaged = true;
    }
    void StringWithoutText(uint32_t type) {
        R.Kind = TRecordKind::Data;
        R.DataType = type;
        R.IsString = true;
    }
    void String(uint32_t type, std::string_view raw, uint8_t encoding, size_t textBegin,
                size_t textEnd) {
        Data(type, textBegin, textEnd);
        R.IsString = true;
        R.HasText = true;
        if (type >= TStringRecord::stTitle && type <= TStringRecord::stArtist)
            StringText(raw, encoding, R.Text);
    }
    void Track(uint32_t dataCount, uint32_t id, uint32_t size, uint32_t timeMs, uint32_t bitRate) {
        R.Kind = TRecordKind::Track;
        R.DataCount = dataCount;
        R.Id = id;
        R.Size = size;
        R.TimeMs = timeMs;
        R.BitRate = bitRate;
    }
    void Item(uint32_t id) {
        R.Kind = TRecordKind::Item;
        R.Id = id;
    }
    void DataSet() { R.Kind = TRecordKind::DataSet; }
    void Playlist(uint32_t dataCount, uint32_t count) {
        R.Kind = TRecordKind::Playlist;
        R.DataCount = dataCount;
        R.Count = count;
    }
    void TrackList(uint32_t count) {
        R.Kind = TRecordKind::TrackList;
        R.Count = count;
    }
    void PlaylistList() { R.Kind = TRecordKind::PlaylistList; }
    void Header() { R.Kind = TRecordKind::Header; }
};

} // namespace

void DecodeRecordFields(const TDbWindow& window, size_t offset, TDecodedRecord& r) {
    // The record is filled afresh; its strings keep their room for the next one.
    r.Kind = TRecordKind::None;
    r.Details.clear();
    r.SubLabel.clear();
    r.Count = r.Id = r.Size = r.TimeMs = r.BitRate = r.DataCount = r.DataType = 0;
    r.IsString = r.HasText = r.Damaged = false;
    r.Text.clear();
    r.TextBegin = r.TextEnd = 0;
    TRecordSink sink{r};
    DecodeFields(TRecordFields(window, offset), sink);
}
