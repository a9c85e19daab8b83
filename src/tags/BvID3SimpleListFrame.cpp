#include "BvID3SimpleListFrame.h"

#include "BvID3Controller.h"
#include "BvID3Tables.h"
#include "TextCodec.h"

TBvID3SimpleListFrame::TBvID3SimpleListFrame(TBvID3Controller* controller, TBvID3FrameID id,
                                             const std::string& idString)
    : TBvID3CustomTextFrame(controller, id, idString) {
    auto changed = [this](auto&) {
        if (Controller() && !Controller()->Reading())
            UpdateFrameSize();
    };
    list_.OnChange = changed;
    listW_.OnChange = changed;
}

char TBvID3SimpleListFrame::Separator() const {
    switch (FrameID()) {
    case fiComposer:
    case fiLyricist:
    case fiOrigLyricist:
    case fiOrigArtist:
        return '/';
    default:
        return '\0';
    }
}

void TBvID3SimpleListFrame::ReadFrame(TBvID3Stream& s) {
    if (CellWidth() != 0 || Separator() != '\0') {
        TBvID3CustomTextFrame::ReadFrame(s);
        return;
    }
    // Zero-separated values (ID3v2.4's own list form); an empty value between
    // terminators carries nothing and is dropped.
    SetEncodingQuiet(s.ReadEncoding());
    const int unit =
        IsUnicodeEncoding(s.SourceEncoding()) && s.SourceEncoding() != ienUTF_8 ? 2 : 1;
    while (s.BytesLeft() >= unit) {
        TBvID3StringPair pair;
        if (s.ReadStringEnc(pair) == 0)
            break;
        std::string item = Encoding() == ienISO_8859_1 ? pair.Ansi : Utf16ToUtf8(pair.Wide);
        if (!item.empty())
            list_.Add(item);
    }
}

void TBvID3SimpleListFrame::SetText(const TBvID3StringPair& pair) {
    const bool ansi = Encoding() == ienISO_8859_1;
    const int width = CellWidth();
    const char sep = Separator();
    auto split = [&](const auto& text, auto& target, auto makeItem) {
        if (text.empty())
            return;
        if (width > 0) {
            for (size_t i = 0; i + size_t(width) <= text.size(); i += size_t(width))
                target.Add(makeItem(text.substr(i, size_t(width))));
            return;
        }
        size_t start = 0;
        for (size_t i = 0; i <= text.size(); ++i)
            if (i == text.size() || text[i] == static_cast<unsigned char>(sep)) {
                target.Add(makeItem(text.substr(start, i - start)));
                start = i + 1;
            }
    };
    if (ansi)
        split(pair.Ansi, list_, [](const std::string& s) { return s; });
    else
        split(pair.Wide, listW_, [](const std::u16string& s) { return s; });
}

void TBvID3SimpleListFrame::GetText(TBvID3StringPair& pair) const {
    const char sep = Separator();
    const bool join = CellWidth() == 0;
    pair = {};
    for (int i = 0; i < list_.Count(); ++i) {
        if (i > 0 && join)
            pair.Ansi += sep;
        pair.Ansi += list_[i];
    }
    for (int i = 0; i < listW_.Count(); ++i) {
        if (i > 0 && join)
            pair.Wide += char16_t(sep);
        pair.Wide += listW_[i];
    }
    // Only one half is in use; the other follows it.
    if (Encoding() == ienISO_8859_1)
        pair.Wide = Utf8ToUtf16(pair.Ansi);
    else
        pair.Ansi = Utf16ToUtf8(pair.Wide);
}

int64_t TBvID3SimpleListFrame::GetFrameSize(TBvID3Encoding e) const {
    if (CellWidth() != 0 || Separator() != '\0')
        return TBvID3CustomTextFrame::GetFrameSize(e);
    int64_t size = 1;
    const bool ansi = Encoding() == ienISO_8859_1;
    const int count = ansi ? list_.Count() : listW_.Count();
    for (int i = 0; i < count; ++i) {
        TBvID3StringPair pair;
        if (ansi)
            pair.Ansi = list_[i];
        else
            pair.Wide = listW_[i];
        ConvertPair(pair, Encoding(), e);
        size += EncodedLength(pair, e) + TerminatorLength(e);
    }
    return size;
}

void TBvID3SimpleListFrame::WriteFrame(TBvID3Stream& s) {
    if (CellWidth() != 0 || Separator() != '\0') {
        TBvID3CustomTextFrame::WriteFrame(s);
        return;
    }
    s.WriteEncoding();
    const bool ansi = Encoding() == ienISO_8859_1;
    const int count = ansi ? list_.Count() : listW_.Count();
    for (int i = 0; i < count; ++i) {
        TBvID3StringPair pair;
        if (ansi)
            pair.Ansi = list_[i];
        else
            pair.Wide = listW_[i];
        s.WriteStringEnc(pair);
        s.WriteTerminator();
    }
}

bool TBvID3SimpleListFrame::CheckFrame(int errorAction) {
    const bool ansi = Encoding() == ienISO_8859_1;
    const int count = ansi ? list_.Count() : listW_.Count();
    for (int i = 0; i < count; ++i) {
        std::string item = ansi ? list_[i] : Utf16ToUtf8(listW_[i]);
        if (FrameID() == fiLanguage) {
            if (item == "XXX" || IsValidLanguage(item)) {
                if (errorAction == caRepair && item != "XXX")
                    item = LowerCase(item);
            } else if (errorAction == caRepair) {
                item = "XXX";
            } else if (errorAction == caRaise) {
                throw EBvID3Error(ErrorText(Format("'%s' is an invalid language value", {item})));
            } else {
                return false;
            }
        } else {
            const char sep = Separator();
            if (item.find(sep) != std::string::npos) {
                if (errorAction == caRaise)
                    throw EBvID3Error(ErrorText(Format("Invalid char '%s' in string '%s' in list",
                                                       {std::string(1, sep), item})));
                if (errorAction == caReport)
                    return false;
                std::erase(item, sep);
            }
        }
        if (ansi) {
            if (list_[i] != item)
                list_.Put(i, item);
        } else if (Utf16ToUtf8(listW_[i]) != item) {
            listW_.Put(i, Utf8ToUtf16(item));
        }
    }
    return true;
}
