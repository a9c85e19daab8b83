#include "BvID3Stream.h"

#include "BvUnicode.h"
#include "TextCodec.h"

#include <algorithm>
#include <cstring>

std::string UnsyncDecode(std::string_view bytes, bool& previousFF) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const uint8_t b = uint8_t(c);
        if (!(previousFF && b == 0))
            out += c;
        previousFF = b == 0xFF;
    }
    return out;
}

std::string UnsyncEncode(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (uint8_t(bytes[i]) == 0xFF && i + 1 < bytes.size() &&
            (bytes[i + 1] == 0 || (uint8_t(bytes[i + 1]) & 0xE0) == 0xE0))
            out += '\0';
    }
    // A final 0xFF would join the next frame's first byte into a false sync.
    if (!bytes.empty() && uint8_t(bytes.back()) == 0xFF)
        out += '\0';
    return out;
}

void TBvID3Stream::Assign(std::string bytes) {
    data_ = std::move(bytes);
    position_ = 0;
    // New contents start outside any frame, also after a frame reader failed.
    readingFrame_ = writingFrame_ = false;
}

void TBvID3Stream::Clear() {
    data_.clear();
    position_ = 0;
    readingFrame_ = writingFrame_ = false;
}

int64_t TBvID3Stream::Read(void* buffer, int64_t count) {
    int64_t limit = Size();
    if (readingFrame_)
        limit = std::min(limit, frameStart_ + frameSize_);
    const int64_t n = std::min(count, limit - position_);
    if (n <= 0)
        return 0;
    std::memcpy(buffer, data_.data() + position_, size_t(n));
    position_ += n;
    return n;
}

void TBvID3Stream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return;
    if (position_ > Size())
        data_.resize(size_t(position_), '\0');
    const size_t at = size_t(position_);
    if (at + size_t(count) > data_.size())
        data_.resize(at + size_t(count));
    std::memcpy(data_.data() + at, buffer, size_t(count));
    position_ += count;
}

void TBvID3Stream::BeginReadFrame(int64_t size) {
    if (readingFrame_ || writingFrame_)
        throw EBvID3Error("Already reading/writing frame");
    frameStart_ = position_;
    frameSize_ = size < 0 ? 0 : size;
    readingFrame_ = true;
}

void TBvID3Stream::EndReadFrame() {
    if (!readingFrame_)
        throw EBvID3Error("Not reading frame");
    position_ = frameStart_ + frameSize_;
    readingFrame_ = false;
}

void TBvID3Stream::BeginWriteFrame(int64_t size) {
    if (readingFrame_ || writingFrame_)
        throw EBvID3Error("Already reading/writing frame");
    frameStart_ = position_;
    frameSize_ = size;
    writingFrame_ = true;
}

void TBvID3Stream::EndWriteFrame() {
    if (!writingFrame_)
        throw EBvID3Error("Not writing frame");
    writingFrame_ = false;
    if (position_ - frameStart_ != frameSize_)
        throw EBvID3Error("Frame size differs from actually amount of data written");
    position_ = frameStart_ + frameSize_;
}

int64_t TBvID3Stream::BytesLeft() const {
    return readingFrame_ ? frameStart_ + frameSize_ - position_ : Size() - position_;
}

bool TBvID3Stream::CanRead(int64_t count) const {
    if (writingFrame_)
        throw EBvID3Error("Cannot call CanRead while writing");
    const int64_t left = BytesLeft();
    return left >= 0 && count <= left;
}

uint8_t TBvID3Stream::ReadByte() {
    uint8_t b = 0;
    Read(&b, 1);
    return b;
}

uint32_t TBvID3Stream::ReadBE32() {
    uint8_t b[4] = {};
    Read(b, 4);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

uint32_t TBvID3Stream::ReadBE24() {
    uint8_t b[3] = {};
    Read(b, 3);
    return (uint32_t(b[0]) << 16) | (uint32_t(b[1]) << 8) | b[2];
}

uint16_t TBvID3Stream::ReadBE16() {
    uint8_t b[2] = {};
    Read(b, 2);
    return uint16_t((b[0] << 8) | b[1]);
}

uint32_t TBvID3Stream::ReadCounter() {
    return BytesLeft() == 4 ? ReadBE32() : 0;
}

uint64_t TBvID3Stream::ReadSyncSafe(int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 7) | (ReadByte() & 0x7F);
    return value;
}

void TBvID3Stream::WriteBE32(uint32_t v) {
    const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    Write(b, 4);
}

void TBvID3Stream::WriteBE24(uint32_t v) {
    if (v > 0xFFFFFF)
        throw EBvID3Error("Cannot write value in v2.2; too big");
    const uint8_t b[3] = {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    Write(b, 3);
}

void TBvID3Stream::WriteBE16(uint16_t v) {
    const uint8_t b[2] = {uint8_t(v >> 8), uint8_t(v)};
    Write(b, 2);
}

void TBvID3Stream::WriteSyncSafe(uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        WriteByte(uint8_t((value >> (7 * i)) & 0x7F));
}

void TBvID3Stream::SetSourceEncoding(TBvID3Encoding e) {
    source_ = e;
    ChooseDestination();
}

void TBvID3Stream::SetAllowedEncodings(uint8_t allowed) {
    allowed_ = allowed;
    ChooseDestination();
}

void TBvID3Stream::CopyEncodings(const TBvID3Stream& other) {
    allowed_ = other.allowed_;
    source_ = other.source_;
    dest_ = other.dest_;
}

void TBvID3Stream::ChooseDestination() {
    if (allowed_ == 0)
        throw EBvID3Error("FAllowedEncodings is empty");
    if (allowed_ & (1u << source_)) {
        dest_ = source_;
        return;
    }
    for (TBvID3Encoding e : {ienUTF_16, ienUTF_16BE, ienUTF_8, ienISO_8859_1})
        if (allowed_ & (1u << e)) {
            dest_ = e;
            return;
        }
    throw EBvID3Error("Could not find allowable encoding");
}

TBvID3Encoding TBvID3Stream::ReadEncoding() {
    const uint8_t e = ReadByte();
    if (e > 3)
        throw EBvID3Error("Unknown encoding");
    SetSourceEncoding(TBvID3Encoding(e));
    return dest_;
}

namespace {

// Bytes up to the first zero byte or the end of what may be read.
std::string ReadZeroTerminated(TBvID3Stream& s, int64_t& consumed) {
    const int64_t left = std::max<int64_t>(0, s.BytesLeft());
    const char* start = s.Bytes().data() + std::min(s.Position(), s.Size());
    const int64_t avail = std::min(left, s.Size() - std::min(s.Position(), s.Size()));
    const void* zero = std::memchr(start, 0, size_t(avail));
    const int64_t n = zero ? static_cast<const char*>(zero) - start : avail;
    std::string text(start, size_t(n));
    consumed = n + (zero ? 1 : 0);
    s.Seek(s.Position() + consumed);
    return text;
}

std::u16string ReadUnits(TBvID3Stream& s, bool bigEndian, int64_t& consumed) {
    std::u16string text;
    uint8_t b[2];
    while (s.CanRead(2) && s.Read(b, 2) == 2) {
        consumed += 2;
        const char16_t unit =
            bigEndian ? char16_t((b[0] << 8) | b[1]) : char16_t((b[1] << 8) | b[0]);
        if (unit == 0)
            break;
        text += unit;
    }
    return text;
}

// The byte order of UTF-16 text that came without a mark, told from where its zero
// bytes sit: Latin text has them all in the high byte of each unit, which is the
// second byte little-endian and the first big-endian. Little-endian when unclear,
// as most writers that drop the mark write it so.
bool LooksBigEndian(const TBvID3Stream& s) {
    const int64_t from = std::min(s.Position(), s.Size());
    const int64_t avail = std::min(std::max<int64_t>(0, s.BytesLeft()), s.Size() - from);
    const auto* p = reinterpret_cast<const uint8_t*>(s.Bytes().data() + from);
    int64_t zeroFirst = 0, zeroSecond = 0;
    for (int64_t i = 0; i + 1 < avail; i += 2) {
        if (p[i] == 0 && p[i + 1] == 0)
            break;
        zeroFirst += p[i] == 0;
        zeroSecond += p[i + 1] == 0;
    }
    return zeroFirst > zeroSecond;
}

} // namespace

int64_t TBvID3Stream::ReadStringEnc(TBvID3StringPair& pair) {
    int64_t consumed = 0;
    pair = {};
    switch (source_) {
    case ienISO_8859_1:
        pair.Ansi = Latin1ToUtf8(ReadZeroTerminated(*this, consumed));
        break;
    case ienUTF_16: {
        if (!CanRead(2))
            break;
        uint8_t bom[2];
        Read(bom, 2);
        consumed = 2;
        if (bom[0] == 0xFF && bom[1] == 0xFE) {
            pair.Wide = ReadUnits(*this, false, consumed);
        } else if (bom[0] == 0xFE && bom[1] == 0xFF) {
            pair.Wide = ReadUnits(*this, true, consumed);
        } else {
            // No mark: those two bytes are the first character.
            Seek(Position() - 2);
            consumed = 0;
            pair.Wide = ReadUnits(*this, LooksBigEndian(*this), consumed);
        }
        break;
    }
    case ienUTF_16BE:
        pair.Wide = ReadUnits(*this, true, consumed);
        break;
    case ienUTF_8:
        pair.Wide = UTF8ToWideString(ReadZeroTerminated(*this, consumed));
        break;
    }
    ConvertPair(pair, source_, dest_);
    return consumed;
}

void TBvID3Stream::ReadTwoStrings(TBvID3StringPair& first, TBvID3StringPair& second) {
    ReadStringEnc(first);
    second = {};
    const int need = source_ == ienUTF_16 || source_ == ienUTF_16BE ? 2 : 1;
    if (CanRead(need))
        ReadStringEnc(second);
    else
        ConvertPair(second, source_, dest_);
}

std::string TBvID3Stream::ReadIsoString() {
    int64_t consumed = 0;
    return Latin1ToUtf8(ReadZeroTerminated(*this, consumed));
}

std::string TBvID3Stream::ReadLanguage() {
    if (!CanRead(3))
        return std::string();
    char b[3];
    Read(b, 3);
    return Latin1ToUtf8(std::string_view(b, 3));
}

void TBvID3Stream::WriteEncoding() {
    WriteByte(uint8_t(dest_));
}

void TBvID3Stream::WriteStringEnc(const TBvID3StringPair& original) {
    TBvID3StringPair pair = original;
    ConvertPair(pair, source_, dest_);
    switch (dest_) {
    case ienISO_8859_1:
        Write(Utf8ToSingleByte(pair.Ansi, TCodePage::Latin1));
        break;
    case ienUTF_16:
        WriteByte(0xFF);
        WriteByte(0xFE);
        for (char16_t c : pair.Wide) {
            WriteByte(uint8_t(c));
            WriteByte(uint8_t(c >> 8));
        }
        break;
    case ienUTF_16BE:
        for (char16_t c : pair.Wide)
            WriteBE16(c);
        break;
    case ienUTF_8:
        Write(WideStringToUTF8(pair.Wide));
        break;
    }
}

void TBvID3Stream::WriteTerminator() {
    WriteByte(0);
    if (TerminatorLength(dest_) == 2)
        WriteByte(0);
}

void TBvID3Stream::WriteIsoString(std::string_view text, bool terminate) {
    Write(Utf8ToSingleByte(text, TCodePage::Latin1));
    if (terminate)
        WriteByte(0);
}

void TBvID3Stream::WriteLanguage(std::string_view language) {
    const std::string bytes = Utf8ToSingleByte(language, TCodePage::Latin1);
    if (bytes.size() != 3)
        throw EBvID3Error("Language is not of length 3");
    Write(bytes);
}

void ConvertPair(TBvID3StringPair& pair, TBvID3Encoding from, TBvID3Encoding to) {
    if (from > ienUTF_8 || to > ienUTF_8)
        throw EBvID3Error("Unknown encoding");
    if (from == to || (IsUnicodeEncoding(from) && IsUnicodeEncoding(to)))
        return;
    if (from == ienISO_8859_1)
        pair.Wide = Utf8ToUtf16(pair.Ansi);
    else
        pair.Ansi = Utf16ToUtf8(pair.Wide);
}

int64_t EncodedLength(const TBvID3StringPair& pair, TBvID3Encoding e) {
    switch (e) {
    case ienISO_8859_1:
        return int64_t(Utf8ToSingleByte(pair.Ansi, TCodePage::Latin1).size());
    case ienUTF_16:
        return 2 * int64_t(pair.Wide.size()) + 2;
    case ienUTF_16BE:
        return 2 * int64_t(pair.Wide.size());
    case ienUTF_8:
        return int64_t(WideStringToUTF8(pair.Wide).size());
    }
    throw EBvID3Error("Unknown encoding");
}
