#include "BvID3v2.h"

#include "BvID3DoubleListFrame.h"
#include "BvID3NumberFrame.h"
#include "BvID3OwnershipFrame.h"
#include "BvID3PlayCounterFrame.h"
#include "BvID3PopularimeterFrame.h"
#include "BvID3SimpleListFrame.h"
#include "BvID3Tables.h"
#include "BvID3TextFrame.h"
#include "BvID3TimestampFrame.h"
#include "BvID3URLFrame.h"
#include "BvID3URLUserFrame.h"
#include "BvID3UserFrame.h"
#include "TextCodec.h"

#include <algorithm>

namespace {

std::string Text(const TBvID3StringPair& p, TBvID3Encoding e) {
    return e == ienISO_8859_1 ? p.Ansi : Utf16ToUtf8(p.Wide);
}

TBvID3StringPair Pair(const std::string& s) {
    return {s, Utf8ToUtf16(s)};
}

} // namespace

TBvID3v2::TBvID3v2() {
    RegisterClient(this, [this](void*, TBvID3Controller&, bool active) { images_.Reload(active); });
    SetWriteEncodingChoice(ecISO_8859_1);
    SetReadEncodingChoice(ecISO_8859_1);
    Options = 3;
}

TBvID3v2::~TBvID3v2() {
    UnregisterClient(this);
}

std::string TBvID3v2::FrameIDToStringVisible(TBvID3FrameID id) {
    std::string s = FrameIDToString(id, 4);
    return s[0] ? s : FrameIDToString(id, 3);
}

uint32_t TBvID3v2::PlayCounter() const {
    auto* f = First<TBvID3PlayCounterFrame>(fiPlayCounter);
    return f ? f->Counter : 0;
}

void TBvID3v2::SetPlayCounter(uint32_t value) {
    if (auto* f = FirstOrNew<TBvID3PlayCounterFrame>(fiPlayCounter))
        f->Counter = value;
}

std::string TBvID3Text::GetText(TBvID3FrameID id) const {
    auto* f = owner_.First<TBvID3TextFrame>(id);
    return f ? f->Text() : std::string();
}

void TBvID3Text::SetText(TBvID3FrameID id, const std::string& value) {
    if (auto* f = owner_.FirstOrNew<TBvID3TextFrame>(id))
        f->SetText(value);
}

TStrings& TBvID3Text::GetList(TBvID3FrameID id) {
    if (!owner_.Active()) {
        inactiveList_.Clear();
        return inactiveList_;
    }
    return owner_.FirstOrNew<TBvID3SimpleListFrame>(id)->List();
}

void TBvID3Text::SetList(TBvID3FrameID id, const TStrings& value) {
    if (auto* f = owner_.FirstOrNew<TBvID3SimpleListFrame>(id))
        f->List().Assign(value);
}

uint32_t TBvID3Text::GetNumber(TBvID3FrameID id) const {
    auto* f = owner_.First<TBvID3NumberFrame>(id);
    return f ? f->Value() : 0;
}

void TBvID3Text::SetNumber(TBvID3FrameID id, uint32_t value) {
    if (auto* f = owner_.FirstOrNew<TBvID3NumberFrame>(id))
        f->SetValue(value);
}

TDateTime TBvID3Text::GetTimestamp(TBvID3FrameID id) const {
    auto* f = owner_.First<TBvID3TimestampFrame>(id);
    return f ? f->Value() : 0;
}

void TBvID3Text::SetTimestamp(TBvID3FrameID id, TDateTime value) {
    if (auto* f = owner_.FirstOrNew<TBvID3TimestampFrame>(id))
        f->SetValue(value);
}

std::string TBvID3Web::GetURL(TBvID3FrameID id) const {
    auto* f = owner_.First<TBvID3URLFrame>(id);
    return f ? f->URL : std::string();
}

void TBvID3Web::SetURL(TBvID3FrameID id, const std::string& value) {
    if (auto* f = owner_.FirstOrNew<TBvID3URLFrame>(id)) {
        f->URL = value;
        f->UpdateFrameSize();
    }
}

int TBvID3IndexedGroup::ItemCount() const {
    return owner_.FrameCountOfID(id_);
}

int TBvID3IndexedGroup::ItemIndex() const {
    if (!owner_.Active())
        return -1;
    return std::clamp(itemIndex_, -1, ItemCount() - 1);
}

void TBvID3IndexedGroup::SetItemIndex(int index) {
    itemIndex_ = std::max(-1, index);
}

TBvID3Frame* TBvID3IndexedGroup::Current() const {
    const int index = ItemIndex();
    if (index < 0)
        return nullptr;
    TBvID3Frame* f = nullptr;
    for (int i = 0; i <= index; ++i)
        if (!owner_.FindFrame(id_, f))
            return nullptr;
    return f;
}

TBvID3Frame* TBvID3IndexedGroup::CurrentOrNew() {
    if (!owner_.Active())
        return nullptr;
    if (TBvID3Frame* f = Current())
        return f;
    TBvID3Frame* f = owner_.AddFrame(id_);
    itemIndex_ = ItemCount() - 1;
    return f;
}

std::string TBvID3UDText::Description() const {
    auto* f = dynamic_cast<TBvID3UserFrame*>(Current());
    return f ? Text(f->Description, f->Encoding()) : std::string();
}

std::string TBvID3UDText::Value() const {
    auto* f = dynamic_cast<TBvID3UserFrame*>(Current());
    return f ? Text(f->Value, f->Encoding()) : std::string();
}

void TBvID3UDText::SetDescription(const std::string& v) {
    if (auto* f = dynamic_cast<TBvID3UserFrame*>(CurrentOrNew())) {
        f->Description = Pair(v);
        f->UpdateFrameSize();
    }
}

void TBvID3UDText::SetValue(const std::string& v) {
    if (auto* f = dynamic_cast<TBvID3UserFrame*>(CurrentOrNew())) {
        f->Value = Pair(v);
        f->UpdateFrameSize();
    }
}

std::string TBvID3UDUrl::Description() const {
    auto* f = dynamic_cast<TBvID3URLUserFrame*>(Current());
    return f ? Text(f->Description, f->Encoding()) : std::string();
}

std::string TBvID3UDUrl::URL() const {
    auto* f = dynamic_cast<TBvID3URLUserFrame*>(Current());
    return f ? f->URL : std::string();
}

void TBvID3UDUrl::SetDescription(const std::string& v) {
    if (auto* f = dynamic_cast<TBvID3URLUserFrame*>(CurrentOrNew())) {
        f->Description = Pair(v);
        f->UpdateFrameSize();
    }
}

void TBvID3UDUrl::SetURL(const std::string& v) {
    if (auto* f = dynamic_cast<TBvID3URLUserFrame*>(CurrentOrNew())) {
        f->URL = v;
        f->UpdateFrameSize();
    }
}

int TBvID3Ipl::ItemCount() const {
    auto* f = owner_.First<TBvID3DoubleListFrame>(fiInvolvedPeople);
    return f ? f->Count() : 0;
}

int TBvID3Ipl::ItemIndex() const {
    if (!owner_.Active())
        return -1;
    return std::clamp(itemIndex_, -1, ItemCount() - 1);
}

void TBvID3Ipl::SetItemIndex(int index) {
    itemIndex_ = std::max(-1, index);
}

std::string TBvID3Ipl::Job() const {
    auto* f = owner_.First<TBvID3DoubleListFrame>(fiInvolvedPeople);
    const int i = ItemIndex();
    return f && i >= 0 ? f->Job(i) : std::string();
}

std::string TBvID3Ipl::Person() const {
    auto* f = owner_.First<TBvID3DoubleListFrame>(fiInvolvedPeople);
    const int i = ItemIndex();
    return f && i >= 0 ? f->Person(i) : std::string();
}

void TBvID3Ipl::SetJob(const std::string& value) {
    auto* f = owner_.FirstOrNew<TBvID3DoubleListFrame>(fiInvolvedPeople);
    if (!f)
        return;
    const int i = ItemIndex();
    if (i < 0)
        itemIndex_ = f->AddItem(value, "");
    else
        f->SetJob(i, value);
}

void TBvID3Ipl::SetPerson(const std::string& value) {
    auto* f = owner_.FirstOrNew<TBvID3DoubleListFrame>(fiInvolvedPeople);
    if (!f)
        return;
    const int i = ItemIndex();
    if (i < 0)
        itemIndex_ = f->AddItem("", value);
    else
        f->SetPerson(i, value);
}

std::string TBvID3Owner::Price() const {
    auto* f = owner_.First<TBvID3OwnershipFrame>(fiOwnership);
    return f ? f->PricePayed : std::string();
}

TDateTime TBvID3Owner::DatePurchased() const {
    auto* f = owner_.First<TBvID3OwnershipFrame>(fiOwnership);
    return f ? f->DateOfPurch : 0;
}

std::string TBvID3Owner::Seller() const {
    auto* f = owner_.First<TBvID3OwnershipFrame>(fiOwnership);
    return f ? Text(f->Seller, f->Encoding()) : std::string();
}

void TBvID3Owner::SetPrice(const std::string& value) {
    if (auto* f = owner_.FirstOrNew<TBvID3OwnershipFrame>(fiOwnership)) {
        f->PricePayed = value;
        f->UpdateFrameSize();
    }
}

void TBvID3Owner::SetDatePurchased(TDateTime value) {
    if (auto* f = owner_.FirstOrNew<TBvID3OwnershipFrame>(fiOwnership)) {
        f->DateOfPurch = value;
        f->UpdateFrameSize();
    }
}

void TBvID3Owner::SetSeller(const std::string& value) {
    if (auto* f = owner_.FirstOrNew<TBvID3OwnershipFrame>(fiOwnership)) {
        f->Seller = Pair(value);
        f->UpdateFrameSize();
    }
}

std::string TBvID3Popularimeter::EMailAddress() const {
    auto* f = owner_.First<TBvID3PopularimeterFrame>(fiPopularimeter);
    return f ? f->EMailAddress : std::string();
}

uint8_t TBvID3Popularimeter::Rating() const {
    auto* f = owner_.First<TBvID3PopularimeterFrame>(fiPopularimeter);
    return f ? f->Rating : 0;
}

uint32_t TBvID3Popularimeter::Counter() const {
    auto* f = owner_.First<TBvID3PopularimeterFrame>(fiPopularimeter);
    return f ? f->Counter : 0;
}

void TBvID3Popularimeter::SetEMailAddress(const std::string& value) {
    if (auto* f = owner_.FirstOrNew<TBvID3PopularimeterFrame>(fiPopularimeter)) {
        f->EMailAddress = value;
        f->UpdateFrameSize();
    }
}

void TBvID3Popularimeter::SetRating(uint8_t value) {
    if (auto* f = owner_.FirstOrNew<TBvID3PopularimeterFrame>(fiPopularimeter)) {
        f->Rating = value;
        f->UpdateFrameSize();
    }
}

void TBvID3Popularimeter::SetCounter(uint32_t value) {
    if (auto* f = owner_.FirstOrNew<TBvID3PopularimeterFrame>(fiPopularimeter)) {
        f->Counter = value;
        f->UpdateFrameSize();
    }
}

std::string TBvID3PicturesDesc::Info(TBvID3PictureType type) const {
    return images_.Info(type);
}

void TBvID3PicturesDesc::SetInfo(TBvID3PictureType type, const std::string& value) {
    images_.SetInfo(type, value);
}

TBvID3Images::TBvID3Images(TBvID3v2& owner) : TBvID3Persistent(owner) {
    for (int t = 0; t < PictureTypeCount; ++t)
        pictures_.Picture(TBvID3PictureType(t)).OnChange = [this, t](TBvID3Picture&) {
            PictureChanged(TBvID3PictureType(t));
        };
}

void TBvID3Images::Reload(bool active) {
    for (int t = 0; t < PictureTypeCount; ++t) {
        const TBvID3PictureFrame* frame = active ? Picture(TBvID3PictureType(t)) : nullptr;
        pictures_.Picture(TBvID3PictureType(t)).SetStored(frame ? frame->Data() : std::string());
    }
}

void TBvID3Images::PictureChanged(TBvID3PictureType type) {
    if (!owner_.Active())
        return;
    const TBvID3Picture& picture = pictures_.Picture(type);
    if (picture.Empty()) {
        // An emptied picture takes its frame with it rather than leaving an
        // empty picture frame in the tag.
        if (auto* frame = const_cast<TBvID3PictureFrame*>(Picture(type)))
            owner_.Frames().Remove(frame);
        return;
    }
    TBvID3PictureFrame* frame = FrameOrNew(type);
    frame->MIMEType = PictureMIMEType(picture.GraphicClassName());
    frame->URL.clear();
    frame->LoadFromBytes(picture.Data());
}

TBvID3PictureFrame* TBvID3Images::FrameOrNew(TBvID3PictureType type) {
    if (auto* p = const_cast<TBvID3PictureFrame*>(Picture(type)))
        return p;
    auto* p = dynamic_cast<TBvID3PictureFrame*>(owner_.AddFrame(fiPicture));
    p->PictureType = type;
    return p;
}

const TBvID3PictureFrame* TBvID3Images::Picture(TBvID3PictureType type) const {
    for (int i = 0; i < owner_.Frames().Count(); ++i)
        if (auto* p = dynamic_cast<const TBvID3PictureFrame*>(owner_.Frames().Items(i)))
            if (p->PictureType == type)
                return p;
    return nullptr;
}

std::string TBvID3Images::Info(TBvID3PictureType type) const {
    const TBvID3PictureFrame* p = Picture(type);
    return p ? Text(p->Description, p->Encoding()) : std::string();
}

void TBvID3Images::SetInfo(TBvID3PictureType type, const std::string& value) {
    if (!owner_.Active())
        return;
    TBvID3PictureFrame* p = FrameOrNew(type);
    p->Description = Pair(value);
    p->UpdateFrameSize();
}

void TBvID3Images::SetPicture(TBvID3PictureType type, const std::string& mimeType,
                              std::string_view data) {
    if (!owner_.Active())
        return;
    TBvID3PictureFrame* p = FrameOrNew(type);
    p->MIMEType = mimeType;
    p->LoadFromBytes(data);
    pictures_.Picture(type).SetStored(data);
}
