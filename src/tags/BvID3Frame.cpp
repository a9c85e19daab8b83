#include "BvID3Frame.h"

#include "BvID3Controller.h"
#include "BvID3Tables.h"

#include <algorithm>

TBvID3FrameClass GetFrameClass(TBvID3FrameID id) {
    using C = TBvID3FrameClass;
    switch (id) {
    case fiAlbum:
    case fiCopyright:
    case fiDate:
    case fiEncodedBy:
    case fiFileType:
    case fiTime:
    case fiContentGroup:
    case fiTitle:
    case fiSubTitle:
    case fiInitialKey:
    case fiMediaType:
    case fiMood:
    case fiOrigAlbum:
    case fiOrigFileName:
    case fiFileOwner:
    case fiBand:
    case fiConductor:
    case fiMixArtist:
    case fiPartInSet:
    case fiProducedNotice:
    case fiPublisher:
    case fiTrackNum:
    case fiRecordingDates:
    case fiNetRadioStation:
    case fiNetRadioOwner:
    case fiAlbumSortOrder:
    case fiPerformerSortOrder:
    case fiTitleSortOrder:
    case fiISRC:
    case fiEncoderSettings:
    case fiSetSubTitle:
        return C::Text;
    case fiComposer:
    case fiContentType:
    case fiLyricist:
    case fiLanguage:
    case fiOrigLyricist:
    case fiOrigArtist:
    case fiLeadArtist:
        return C::SimpleList;
    case fiBPM:
    case fiPlaylistDelay:
    case fiSongLen:
    case fiOrigYear:
    case fiSize:
    case fiYear:
        return C::Number;
    case fiEncodingTime:
    case fiOrigReleaseTime:
    case fiRecordingTime:
    case fiReleaseTime:
    case fiTaggingTime:
        return C::Timestamp;
    case fiComment:
    case fiUnsyncedLyrics:
        return C::Content;
    case fiInvolvedPeople:
    case fiInvolvedPeople2:
    case fiMusicianCreditList:
        return C::DoubleList;
    case fiWWWCommercialInfo:
    case fiWWWCopyright:
    case fiWWWAudioFile:
    case fiWWWArtist:
    case fiWWWAudioSource:
    case fiWWWRadioPage:
    case fiWWWPayment:
    case fiWWWPublisher:
        return C::URL;
    case fiWWWUser:
        return C::URLUser;
    case fiUserText:
        return C::User;
    case fiPicture:
        return C::Picture;
    case fiGeneralObject:
        return C::GeneralObj;
    case fiPopularimeter:
        return C::Popularimeter;
    case fiPlayCounter:
        return C::PlayCounter;
    case fiOwnership:
        return C::Ownership;
    case fiTermsOfUse:
        return C::TermsOfUse;
    case fiAudioCrypto:
        return C::AudioEncryption;
    case fiCDID:
        return C::Binary;
    default:
        return C::Skip;
    }
}

const char* FrameClassName(TBvID3FrameClass c) {
    static const char* const names[] = {
        "TBvID3SkipFrame",       "TBvID3BinaryFrame",        "TBvID3TextFrame",
        "TBvID3SimpleListFrame", "TBvID3NumberFrame",        "TBvID3TimestampFrame",
        "TBvID3ContentFrame",    "TBvID3DoubleListFrame",    "TBvID3URLFrame",
        "TBvID3URLUserFrame",    "TBvID3UserFrame",          "TBvID3PictureFrame",
        "TBvID3GeneralObjFrame", "TBvID3PopularimeterFrame", "TBvID3PlayCounterFrame",
        "TBvID3OwnershipFrame",  "TBvID3TermsOfUseFrame",    "TBvID3AudioEncryptionFrame"};
    return names[size_t(c)];
}

TBvID3Frame::TBvID3Frame(TBvID3Controller* controller, TBvID3FrameID id,
                         const std::string& idString)
    : controller_(controller), frameID_(id) {
    if (id == fiUnknownFrame)
        idString_ = idString;
}

bool TBvID3Frame::SupportsVersion(TBvID3Version v) const {
    return v == ive2_2 || v == ive2_3 || v == ive2_4;
}

void TBvID3Frame::Assign(const TBvID3Frame* source) {
    if (!source) {
        Clear();
        return;
    }
    flags_ = source->flags_;
    EncryptionID = source->EncryptionID;
    GroupID = source->GroupID;
    decompressedSize_ = source->decompressedSize_;
    encoding_ = source->encoding_;
    dataLengthIndicator_ = source->dataLengthIndicator_;
    UpdateFrameSize();
}

void TBvID3Frame::UpdateFrameSize() {
    frameSize_ = GetFrameSize(encoding_);
    Modified();
}

void TBvID3Frame::Modified() {
    if (controller_)
        controller_->Changed(0, this);
}

std::string TBvID3Frame::ErrorText(const std::string& text) const {
    return ID3ErrorText(controller_,
                        Format("Error in frame %s (%s), %s", {FrameName(), Name, text}));
}

void TBvID3Frame::SetFrameID(TBvID3FrameID id) {
    if (id < 2 || GetFrameClass(id) != FrameClass())
        throw EBvID3Error(ErrorText(
            Format("Frame ID '%s' not supported by this frame", {FrameIDToString(id, 4)})));
    frameID_ = id;
    idString_.clear();
}

std::string TBvID3Frame::FrameName() const {
    return idString_.empty() ? FrameIDToString(frameID_, 4) : idString_;
}

void TBvID3Frame::SetFrameName(const std::string& name) {
    const std::string upper = UpperCase(name);
    if (upper.empty()) {
        idString_.clear();
        return;
    }
    const TBvID3FrameID id = StringToFrameID(upper);
    if (id < 2 || GetFrameClass(id) != FrameClass())
        throw EBvID3Error(
            ErrorText(Format("Frame ID string '%s' not supported by this frame", {upper})));
    frameID_ = id;
    idString_ = id == fiUnknownFrame ? upper : std::string();
}

void TBvID3Frame::SetEncoding(TBvID3Encoding e) {
    if (e == encoding_)
        return;
    encoding_ = e;
    UpdateFrameSize();
}

void TBvID3Frame::SetFlags(uint16_t flags) {
    const uint16_t added = uint16_t(flags & ~flags_);
    if (added & fhfIsCompressed)
        throw EBvID3Error(ErrorText("Controller does not support compression"));
    if (added & fhfIsEncrypted)
        throw EBvID3Error(ErrorText("Controller does not support encryption"));
    flags_ = flags;
}

int TBvID3Frame::Index() const {
    return controller_ ? controller_->Frames().IndexOf(this) : -1;
}

void TBvID3Frame::SetIndex(int index) {
    if (controller_)
        controller_->Frames().Move(this, index);
}

bool TBvID3Frame::Read(TBvID3Stream& s, TBvID3Version v) {
    int64_t size;
    flags_ = 0;
    int extra = 0;
    if (v == ive2_2) {
        size = s.ReadBE24();
    } else if (v == ive2_3) {
        size = s.ReadBE32();
        const uint8_t f1 = s.ReadByte(), f2 = s.ReadByte();
        if (f1 & 0x80)
            flags_ |= fhfOnTagAlterDiscardFrame;
        if (f1 & 0x40)
            flags_ |= fhfOnFileAlterDiscardFrame;
        if (f1 & 0x20)
            flags_ |= fhfReadOnly;
        if (f2 & 0x80)
            flags_ |= fhfIsCompressed;
        if (f2 & 0x40)
            flags_ |= fhfIsEncrypted;
        if (f2 & 0x20)
            flags_ |= fhfContainsGroupInformation;
        if (flags_ & fhfIsCompressed) {
            decompressedSize_ = s.ReadBE32();
            extra += 4;
        }
        if (flags_ & fhfIsEncrypted) {
            EncryptionID = s.ReadByte();
            extra += 1;
        }
        if (flags_ & fhfContainsGroupInformation) {
            GroupID = s.ReadByte();
            extra += 1;
        }
    } else {
        uint8_t b[4] = {};
        s.Read(b, 4);
        // Some writers store 2.4 sizes as plain big-endian numbers; a byte with its
        // top bit set cannot be sync-safe and tells them apart.
        if ((b[0] | b[1] | b[2] | b[3]) & 0x80)
            size = (int64_t(b[0]) << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
        else
            size = (int64_t(b[0]) << 21) | (b[1] << 14) | (b[2] << 7) | b[3];
        const uint8_t f1 = s.ReadByte(), f2 = s.ReadByte();
        if (f1 & 0x40)
            flags_ |= fhfOnTagAlterDiscardFrame;
        if (f1 & 0x20)
            flags_ |= fhfOnFileAlterDiscardFrame;
        if (f1 & 0x10)
            flags_ |= fhfReadOnly;
        if (f2 & 0x40)
            flags_ |= fhfContainsGroupInformation;
        if (f2 & 0x08)
            flags_ |= fhfIsCompressed;
        if (f2 & 0x04)
            flags_ |= fhfIsEncrypted;
        if (f2 & 0x02)
            flags_ |= fhfUnsynchronisationApplied;
        if (f2 & 0x01)
            flags_ |= fhfDataLengthIndicator;
        if (flags_ & fhfContainsGroupInformation) {
            GroupID = s.ReadByte();
            extra += 1;
        }
        if (flags_ & fhfIsEncrypted) {
            EncryptionID = s.ReadByte();
            extra += 1;
        }
        if (flags_ & fhfDataLengthIndicator) {
            dataLengthIndicator_ = uint32_t(s.ReadSyncSafe(4));
            extra += 4;
        }
    }
    const int64_t dataSize = size - extra;
    if (dataSize < 0 || !s.CanRead(dataSize)) {
        // The frame claims more than the tag holds: the rest is skipped.
        s.BeginReadFrame(std::max<int64_t>(0, s.BytesLeft()));
        s.EndReadFrame();
        frameSize_ = 0;
        return false;
    }
    frameSize_ = dataSize;
    try {
        if (v == ive2_4 && (flags_ & fhfUnsynchronisationApplied)) {
            std::string raw(size_t(dataSize), '\0');
            s.Read(raw.data(), dataSize);
            bool previousFF = false;
            TBvID3Stream& temp = controller_->TempStream();
            temp.Assign(UnsyncDecode(raw, previousFF));
            temp.CopyEncodings(s);
            temp.BeginReadFrame(temp.Size());
            ReadFrame(temp);
            temp.EndReadFrame();
            SetEncodingQuiet(encoding_);
        } else {
            s.BeginReadFrame(dataSize);
            ReadFrame(s);
            s.EndReadFrame();
        }
    } catch (const Exception& e) {
        if (s.ReadingFrame())
            s.EndReadFrame();
        throw EBvID3Error(ErrorText(e.Message()));
    }
    return true;
}

void TBvID3Frame::Write(TBvID3Stream& s, TBvID3Version v) {
    try {
        s.SetSourceEncoding(encoding_);
        const std::string id = !idString_.empty() && int(idString_.size()) == (v == ive2_2 ? 3 : 4)
                                   ? idString_
                                   : FrameIDToString(frameID_, v == ive2_2 ? 3 : 4);
        // An identifier the version lacks would read back as padding and end the tag.
        if (id[0] == '\0')
            return;
        int64_t size = GetFrameSize(s.DestEncoding());
        if (v == ive2_2) {
            if (size > 0xFFFFFF)
                throw EBvID3Error("Frame size is too big");
            s.Write(id);
            s.WriteBE24(uint32_t(size));
        } else if (v == ive2_3) {
            s.Write(id);
            s.WriteBE32(uint32_t(size + ((flags_ & fhfContainsGroupInformation) ? 1 : 0)));
            s.WriteByte(uint8_t(((flags_ & fhfOnTagAlterDiscardFrame) ? 0x80 : 0) |
                                ((flags_ & fhfOnFileAlterDiscardFrame) ? 0x40 : 0) |
                                ((flags_ & fhfReadOnly) ? 0x20 : 0)));
            s.WriteByte((flags_ & fhfContainsGroupInformation) ? 0x20 : 0);
            if (flags_ & fhfContainsGroupInformation)
                s.WriteByte(GroupID);
        } else {
            std::string data;
            if (flags_ & fhfUnsynchronisationApplied) {
                TBvID3Stream& temp = controller_->TempStream();
                temp.Clear();
                temp.CopyEncodings(s);
                temp.BeginWriteFrame(size);
                WriteFrame(temp);
                temp.EndWriteFrame();
                data = UnsyncEncode(temp.Bytes());
                dataLengthIndicator_ = uint32_t(size);
            }
            const bool grouped = flags_ & fhfContainsGroupInformation;
            const bool unsync = flags_ & fhfUnsynchronisationApplied;
            const bool dli = unsync || (flags_ & fhfDataLengthIndicator);
            const int64_t stored =
                (unsync ? int64_t(data.size()) : size) + (grouped ? 1 : 0) + (dli ? 4 : 0);
            s.Write(id);
            s.WriteSyncSafe(uint64_t(stored), 4);
            s.WriteByte(uint8_t(((flags_ & fhfOnTagAlterDiscardFrame) ? 0x40 : 0) |
                                ((flags_ & fhfOnFileAlterDiscardFrame) ? 0x20 : 0) |
                                ((flags_ & fhfReadOnly) ? 0x10 : 0)));
            s.WriteByte(uint8_t((grouped ? 0x40 : 0) | (unsync ? 0x02 : 0) | (dli ? 0x01 : 0)));
            if (grouped)
                s.WriteByte(GroupID);
            if (dli)
                s.WriteSyncSafe(unsync ? dataLengthIndicator_ : uint64_t(size), 4);
            if (unsync) {
                s.Write(data);
                return;
            }
        }
        s.BeginWriteFrame(size);
        WriteFrame(s);
        s.EndWriteFrame();
    } catch (const EBvID3Error& e) {
        throw EBvID3Error(ErrorText(e.Message()));
    }
}
