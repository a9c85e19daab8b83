#include "BvID3Controller.h"

#include "BvID3Tables.h"
#include "ScopeExit.h"

#include <algorithm>
#include <unordered_map>

std::string ID3ErrorText(const TBvID3Controller* controller, const std::string& text) {
    if (controller && !controller->Name.empty())
        return controller->Name + ": " + text;
    return text;
}

TBvID3Controller::TBvID3Controller() = default;

TBvID3Controller::~TBvID3Controller() {
    clients_.clear();
    frames_.Clear();
}

void TBvID3Controller::SetActive(bool value) {
    if (value == active_)
        return;
    if (!value) {
        frames_.Clear();
        frameNames_.clear();
        fileInfo_.ResetFileInfo();
        modified_ = false;
        active_ = false;
        NotifyClients();
        return;
    }
    auto stream = OpenTagFile(fileName_);
    OpenStream(*stream);
}

void TBvID3Controller::OpenStream(TBvReadStream& stream) {
    if (active_)
        SetActive(false);
    ReadTag(stream);
    active_ = true;
    FinishOpen();
}

void TBvID3Controller::FinishOpen() {
    if (ReadVersionChoice != vcAuto) {
        const TBvID3Version v = TBvID3Version(ReadVersionChoice); // vc2_2 -> ive2_2 ...
        frames_.RemoveUnsupported(v);
    }
    NotifyClients();
}

void TBvID3Controller::SetFileName(const std::string& value) {
    if (value == fileName_)
        return;
    const bool wasActive = active_;
    SetActive(false);
    fileName_ = value;
    if (wasActive)
        SetActive(true);
}

TBvID3Version TBvID3Controller::ReadVersion() const {
    return readVersion_;
}

TBvID3Version TBvID3Controller::WriteVersion() const {
    switch (WriteVersionChoice) {
    case vcAuto: {
        const TBvID3Version v = header_.Version();
        return v == ive2_2 || v == ive2_3 || v == ive2_4 ? v : ive2_4;
    }
    case vc2_2:
        return ive2_2;
    case vc2_3:
        return ive2_3;
    case vc2_4:
        return ive2_4;
    }
    throw EBvID3Error(ID3ErrorText(this, "Unknown version"));
}

uint8_t TBvID3Controller::AllowedEncodings(TBvID3Version v, TBvID3EncodingChoice c) const {
    if (c != ecAuto) {
        TBvID3Encoding forced = TBvID3Encoding(c - 1);
        if ((v == ive2_2 || v == ive2_3) && (forced == ienUTF_16BE || forced == ienUTF_8))
            forced = ienUTF_16;
        return uint8_t(1u << forced);
    }
    if (v == ive2_2 || v == ive2_3)
        return (1u << ienISO_8859_1) | (1u << ienUTF_16);
    if (v == ive2_4)
        return 0x0F;
    throw EBvID3Error(ID3ErrorText(this, "Unknown version"));
}

void TBvID3Controller::SetReadEncodingChoice(TBvID3EncodingChoice c) {
    if ((c == ecUTF_16BE || c == ecUTF_8) &&
        (ReadVersionChoice == vc2_2 || ReadVersionChoice == vc2_3))
        throw EBvID3Error(ID3ErrorText(this, "Encoding not supported in this version"));
    readEncodingChoice_ = c;
}

void TBvID3Controller::SetWriteEncodingChoice(TBvID3EncodingChoice c) {
    if ((c == ecUTF_16BE || c == ecUTF_8) &&
        (WriteVersionChoice == vc2_2 || WriteVersionChoice == vc2_3))
        throw EBvID3Error(ID3ErrorText(this, "Encoding not supported in this version"));
    writeEncodingChoice_ = c;
}

void TBvID3Controller::ReadTag(TBvReadStream& f) {
    if (reading_ || writing_)
        throw EBvID3Error(ID3ErrorText(this, "Already reading or writing"));
    reading_ = true;
    tagStream_.Clear();
    BeginUpdate();
    TScopeExit endReading([this] {
        reading_ = false;
        tagStream_.Clear();
        tempStream_.Clear();
        EndUpdate();
    });

    header_.Reset();
    extendedHeader_.Reset();
    frames_.Clear();
    frameNames_.clear();
    skippedFrames_ = 0;
    wholeFramesEnd_ = TBvID3Header::HeaderSize;
    bool unsynchronised = false;

    if (f.Size() >= TBvID3Header::HeaderSize) {
        std::string head(TBvID3Header::HeaderSize, '\0');
        f.Seek(0);
        head.resize(size_t(f.Read(head.data(), TBvID3Header::HeaderSize)));
        tagStream_.Assign(std::move(head));
        header_.Read(tagStream_);
        const TBvID3Version v = header_.Version();
        if (header_.HasTag() && (v == ive2_2 || v == ive2_3 || v == ive2_4)) {
            try {
                switch (ReadVersionChoice) {
                case vcAuto:
                    readVersion_ = v;
                    break;
                default:
                    readVersion_ = TBvID3Version(ReadVersionChoice);
                }
                tagStream_.SetAllowedEncodings(AllowedEncodings(readVersion_, readEncodingChoice_));
                // A tag longer than the file (a cut-off download) gives what is there.
                const int64_t available = std::max<int64_t>(0, f.Size() - TBvID3Header::HeaderSize);
                std::string body(size_t(std::min<int64_t>(header_.Size(), available)), '\0');
                f.Seek(TBvID3Header::HeaderSize);
                body.resize(size_t(f.Read(body.data(), int64_t(body.size()))));
                if (header_.Flags() & hfUnsynchronisation) {
                    bool previousFF = false;
                    body = UnsyncDecode(body, previousFF);
                    unsynchronised = true;
                }
                tagStream_.Assign(std::move(body));
                if (header_.Flags() & hfExtendedHeader) {
                    extendedHeader_.Read(tagStream_);
                    wholeFramesEnd_ = TBvID3Header::HeaderSize + tagStream_.Position();
                }
                ReadFrames(tagStream_, readVersion_);
            } catch (const Exception&) {
                // A damaged tag keeps the frames read before the damage.
            }
        }
    }
    int64_t audioStart = 0;
    if (header_.HasTag()) {
        audioStart = int64_t(header_.Size()) + TBvID3Header::HeaderSize;
        // A tag that says it is longer than the file (a size field gone wrong, or a
        // copy cut short) would hide all the audio. The audio then begins after the
        // last frame that was there whole; positions in an unsynchronised body are
        // not file positions, so such a tag is searched from its header on.
        if (audioStart > f.Size())
            audioStart = unsynchronised ? TBvID3Header::HeaderSize : wholeFramesEnd_;
    }
    fileInfo_.ReadFileInfo(f, audioStart);
}

void TBvID3Controller::ReadFrames(TBvID3Stream& s, TBvID3Version v) {
    const int idLength = v == ive2_2 ? 3 : 4;
    const int headerSize = v == ive2_2 ? 6 : 10;
    while (s.BytesLeft() >= headerSize) {
        std::string id(size_t(idLength), '\0');
        if (s.Read(id.data(), idLength) < idLength)
            break;
        const TBvID3FrameID fid = StringToFrameID(id);
        if (fid == fiErrorFrame || fid == fiPaddingFrame)
            break;
        TBvID3Frame* frame = frames_.Add(CreateFrame(this, fid, fid == fiUnknownFrame ? id : ""));
        try {
            if (frame->Read(s, v))
                wholeFramesEnd_ = TBvID3Header::HeaderSize + s.Position();
        } catch (const Exception&) {
            // The frame's bytes are skipped; the frames after it are still read.
            wholeFramesEnd_ = TBvID3Header::HeaderSize + s.Position();
            ReleaseFrameName(frame->Name);
            frames_.Remove(frame);
            ++skippedFrames_;
        }
    }
}

TBvID3Frame* TBvID3Controller::AddFrame(TBvID3FrameID id) {
    if (!active_ && !reading_)
        throw EBvID3Error(ID3ErrorText(this, "Controller is not active"));
    return frames_.Add(CreateFrame(this, id));
}

bool TBvID3Controller::FindFrame(TBvID3FrameID id, TBvID3Frame*& frame) const {
    int start = 0;
    if (frame) {
        start = frames_.IndexOf(frame) + 1;
        if (start == 0)
            return false;
    }
    for (int i = start; i < frames_.Count(); ++i)
        if (frames_.Items(i)->FrameID() == id) {
            frame = frames_.Items(i);
            return true;
        }
    return false;
}

int TBvID3Controller::FrameCountOfID(TBvID3FrameID id) const {
    int n = 0;
    for (int i = 0; i < frames_.Count(); ++i)
        n += frames_.Items(i)->FrameID() == id;
    return n;
}

void TBvID3Controller::RegisterClient(void* client, TClientCallback callback) {
    UnregisterClient(client);
    clients_.emplace_back(client, std::move(callback));
}

void TBvID3Controller::UnregisterClient(void* client) {
    std::erase_if(clients_, [client](const auto& c) { return c.first == client; });
}

void TBvID3Controller::NotifyClients() {
    const auto clients = clients_;
    for (const auto& [client, callback] : clients)
        if (callback)
            callback(client, *this, active_);
}

void TBvID3Controller::Changed(int event, TBvID3Frame* frame) {
    if ((event == 0 || event == 2) && !reading_ && !writing_)
        modified_ = true;
    if (updateCount_ == 0 && OnChange)
        OnChange(event, frame);
}

void TBvID3Controller::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0)
        Changed(1, nullptr);
}

void TBvID3Controller::SetVersion(TBvID3Version v) {
    if (v == iveLowerThan2_2)
        v = ive2_2;
    if (v == iveHigherThan2_4)
        v = ive2_4;
    if (v == Version())
        return;
    frames_.RemoveUnsupported(v);
    header_.ChangeToVersion(v);
    extendedHeader_.ChangeToVersion(v);
}

std::string TBvID3Controller::UniqueFrameName(const std::string& idString, const char* className) {
    std::string base = idString;
    if (base.empty() || (base[0] >= '0' && base[0] <= '9'))
        base = std::string(className ? className : "Frame") + base;
    base = Name + base;
    std::string name = base;
    for (int n = 2; frameNames_.count(name); ++n)
        name = base + std::to_string(n);
    frameNames_.insert(name);
    return name;
}

std::string TBvID3Controller::RenderTag(uint32_t padding) {
    if (reading_ || writing_)
        throw EBvID3Error(ID3ErrorText(this, "Already reading or writing"));
    writing_ = true;
    TScopeExit endWriting([this] {
        writing_ = false;
        tagStream_.Clear();
        tempStream_.Clear();
    });
    const TBvID3Version v = WriteVersion();
    tagStream_.Clear();
    tagStream_.SetAllowedEncodings(AllowedEncodings(v, writeEncodingChoice_));
    for (int i = 0; i < frames_.Count(); ++i) {
        TBvID3Frame* frame = frames_.Items(i);
        if (frame->SupportsVersion(v))
            frame->Write(tagStream_, v);
    }
    std::string body = tagStream_.Bytes();
    tagStream_.Clear();
    if (header_.Flags() & hfExtendedHeader && v != ive2_2) {
        extendedHeader_.Write(tagStream_);
        body = tagStream_.Bytes() + body;
        tagStream_.Clear();
    }
    if (header_.Flags() & hfUnsynchronisation)
        body = UnsyncEncode(body);
    body.append(padding, '\0');
    if (body.size() > TBvID3Header::MaxSize)
        throw EBvID3Error(ID3ErrorText(this, "Tag is too big"));
    header_.SetSize(uint32_t(body.size()));
    header_.Write(tagStream_);
    return tagStream_.Bytes() + body;
}
