// The ID3v2 tag component: the frames of the open tag as typed properties in
// groups (texts, links, user texts and links, involved people, pictures,
// ownership, popularity, play counter), the tag version and the audio information.
// Texts arrive as the program's UTF-8 text, whatever encoding the tag used.
#pragma once

#include "BvID3Controller.h"
#include "BvID3Picture.h"
#include "BvID3PictureFrame.h"
#include "Classes.h"
#include "RtDateEx.h"

class TBvID3v2;

class TBvID3Persistent {
public:
    explicit TBvID3Persistent(TBvID3v2& owner) : owner_(owner) {}

protected:
    TBvID3v2& owner_;
};

#define BV_ID3_TEXT(Name, Id)                                                                      \
    std::string Name() const {                                                                     \
        return GetText(Id);                                                                        \
    }                                                                                              \
    void Set##Name(const std::string& v) {                                                         \
        SetText(Id, v);                                                                            \
    }
#define BV_ID3_LIST(Name, Id)                                                                      \
    TStrings& Name() {                                                                             \
        return GetList(Id);                                                                        \
    }                                                                                              \
    void Set##Name(const TStrings& v) {                                                            \
        SetList(Id, v);                                                                            \
    }
#define BV_ID3_NUMBER(Name, Id)                                                                    \
    uint32_t Name() const {                                                                        \
        return GetNumber(Id);                                                                      \
    }                                                                                              \
    void Set##Name(uint32_t v) {                                                                   \
        SetNumber(Id, v);                                                                          \
    }
#define BV_ID3_TIME(Name, Id)                                                                      \
    TDateTime Name() const {                                                                       \
        return GetTimestamp(Id);                                                                   \
    }                                                                                              \
    void Set##Name(TDateTime v) {                                                                  \
        SetTimestamp(Id, v);                                                                       \
    }

class TBvID3Text : public TBvID3Persistent {
public:
    using TBvID3Persistent::TBvID3Persistent;
    std::string GetText(TBvID3FrameID id) const;
    void SetText(TBvID3FrameID id, const std::string& value);
    // The first list frame's own list (created empty when missing, while active);
    // an empty list while inactive. Closing frees it.
    TStrings& GetList(TBvID3FrameID id);
    void SetList(TBvID3FrameID id, const TStrings& value);
    uint32_t GetNumber(TBvID3FrameID id) const;
    void SetNumber(TBvID3FrameID id, uint32_t value);
    TDateTime GetTimestamp(TBvID3FrameID id) const;
    void SetTimestamp(TBvID3FrameID id, TDateTime value);

    BV_ID3_TEXT(Album, fiAlbum)
    BV_ID3_TEXT(AlbumSortOrder, fiAlbumSortOrder)
    BV_ID3_TEXT(Band, fiBand)
    BV_ID3_TEXT(Conductor, fiConductor)
    BV_ID3_TEXT(ContentGroup, fiContentGroup)
    BV_ID3_TEXT(Copyright, fiCopyright)
    BV_ID3_TEXT(Date, fiDate)
    BV_ID3_TEXT(EncodedBy, fiEncodedBy)
    BV_ID3_TEXT(EncoderSettings, fiEncoderSettings)
    BV_ID3_TEXT(FileOwner, fiFileOwner)
    BV_ID3_TEXT(FileType, fiFileType)
    BV_ID3_TEXT(InitialKey, fiInitialKey)
    BV_ID3_TEXT(ISRC, fiISRC)
    BV_ID3_TEXT(MediaType, fiMediaType)
    BV_ID3_TEXT(MixArtist, fiMixArtist)
    BV_ID3_TEXT(Mood, fiMood)
    BV_ID3_TEXT(NetRadioOwner, fiNetRadioOwner)
    BV_ID3_TEXT(NetRadioStation, fiNetRadioStation)
    BV_ID3_TEXT(OrigAlbum, fiOrigAlbum)
    BV_ID3_TEXT(OrigFileName, fiOrigFileName)
    BV_ID3_TEXT(PartInSet, fiPartInSet)
    BV_ID3_TEXT(PerformerSortOrder, fiPerformerSortOrder)
    BV_ID3_TEXT(ProducedNotice, fiProducedNotice)
    BV_ID3_TEXT(Publisher, fiPublisher)
    BV_ID3_TEXT(RecordingDates, fiRecordingDates)
    BV_ID3_TEXT(SetSubTitle, fiSetSubTitle)
    BV_ID3_TEXT(SubTitle, fiSubTitle)
    BV_ID3_TEXT(Time, fiTime)
    BV_ID3_TEXT(Title, fiTitle)
    BV_ID3_TEXT(TitleSortOrder, fiTitleSortOrder)
    BV_ID3_TEXT(TrackNum, fiTrackNum)
    BV_ID3_LIST(Composer, fiComposer)
    BV_ID3_LIST(ContentType, fiContentType)
    BV_ID3_LIST(Language, fiLanguage)
    BV_ID3_LIST(LeadArtist, fiLeadArtist)
    BV_ID3_LIST(Lyricist, fiLyricist)
    BV_ID3_LIST(OrigArtist, fiOrigArtist)
    BV_ID3_LIST(OrigLyricist, fiOrigLyricist)
    BV_ID3_NUMBER(BPM, fiBPM)
    BV_ID3_NUMBER(OrigYear, fiOrigYear)
    BV_ID3_NUMBER(PlaylistDelay, fiPlaylistDelay)
    BV_ID3_NUMBER(Size, fiSize)
    BV_ID3_NUMBER(SongLen, fiSongLen)
    BV_ID3_NUMBER(Year, fiYear)
    BV_ID3_TIME(EncodingTime, fiEncodingTime)
    BV_ID3_TIME(OrigReleaseTime, fiOrigReleaseTime)
    BV_ID3_TIME(RecordingTime, fiRecordingTime)
    BV_ID3_TIME(ReleaseTime, fiReleaseTime)
    BV_ID3_TIME(TaggingTime, fiTaggingTime)

private:
    TStringList inactiveList_;
};

class TBvID3Web : public TBvID3Persistent {
public:
    using TBvID3Persistent::TBvID3Persistent;
    std::string GetURL(TBvID3FrameID id) const;
    void SetURL(TBvID3FrameID id, const std::string& value);
    std::string Artist() const { return GetURL(fiWWWArtist); }
    std::string AudioFile() const { return GetURL(fiWWWAudioFile); }
    std::string AudioSource() const { return GetURL(fiWWWAudioSource); }
    std::string CommercialInfo() const { return GetURL(fiWWWCommercialInfo); }
    std::string Copyright() const { return GetURL(fiWWWCopyright); }
    std::string Payment() const { return GetURL(fiWWWPayment); }
    std::string Publisher() const { return GetURL(fiWWWPublisher); }
    std::string RadioPage() const { return GetURL(fiWWWRadioPage); }
};

// The n-th frame of one identifier, selected by ItemIndex.
class TBvID3IndexedGroup : public TBvID3Persistent {
public:
    TBvID3IndexedGroup(TBvID3v2& owner, TBvID3FrameID id) : TBvID3Persistent(owner), id_(id) {}
    int ItemCount() const;
    int ItemIndex() const;
    void SetItemIndex(int index);

protected:
    TBvID3Frame* Current() const;
    TBvID3Frame* CurrentOrNew();
    TBvID3FrameID id_;
    int itemIndex_ = 0;
};

class TBvID3UDText : public TBvID3IndexedGroup {
public:
    explicit TBvID3UDText(TBvID3v2& owner) : TBvID3IndexedGroup(owner, fiUserText) {}
    std::string Description() const;
    std::string Value() const;
    void SetDescription(const std::string& v);
    void SetValue(const std::string& v);
};

class TBvID3UDUrl : public TBvID3IndexedGroup {
public:
    explicit TBvID3UDUrl(TBvID3v2& owner) : TBvID3IndexedGroup(owner, fiWWWUser) {}
    std::string Description() const;
    std::string URL() const;
    void SetDescription(const std::string& v);
    void SetURL(const std::string& v);
};

class TBvID3Ipl : public TBvID3Persistent {
public:
    using TBvID3Persistent::TBvID3Persistent;
    int ItemCount() const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    std::string Job() const;
    std::string Person() const;
    // Change the selected pair; with no pair selected a new one is added and
    // selected. The frame is found or created, while active.
    void SetJob(const std::string& value);
    void SetPerson(const std::string& value);

private:
    int itemIndex_ = 0;
};

class TBvID3Owner : public TBvID3Persistent {
public:
    using TBvID3Persistent::TBvID3Persistent;
    std::string Price() const;
    TDateTime DatePurchased() const;
    std::string Seller() const;
    void SetPrice(const std::string& value);
    void SetDatePurchased(TDateTime value);
    void SetSeller(const std::string& value);
};

class TBvID3Popularimeter : public TBvID3Persistent {
public:
    using TBvID3Persistent::TBvID3Persistent;
    std::string EMailAddress() const;
    uint8_t Rating() const;
    uint32_t Counter() const;
    void SetEMailAddress(const std::string& value);
    void SetRating(uint8_t value);
    void SetCounter(uint32_t value);
};

#define BV_ID3_PICTURE_TYPES(X)                                                                    \
    X(Other, ptOther)                                                                              \
    X(FileIcon, ptFileIcon)                                                                        \
    X(OtherFileIcon, ptOtherFileIcon)                                                              \
    X(CoverFront, ptCoverFront)                                                                    \
    X(CoverBack, ptCoverBack)                                                                      \
    X(LeafletPage, ptLeafletPage)                                                                  \
    X(Media, ptMedia)                                                                              \
    X(LeadArtist, ptLeadArtist)                                                                    \
    X(Artist, ptArtist)                                                                            \
    X(Conductor, ptConductor)                                                                      \
    X(Band, ptBand)                                                                                \
    X(Composer, ptComposer)                                                                        \
    X(Lyricist, ptLyricist)                                                                        \
    X(RecordingLocation, ptRecordingLocation)                                                      \
    X(DuringRecording, ptDuringRecording)                                                          \
    X(DuringPerformance, ptDuringPerformance)                                                      \
    X(MovieVideoScreenCapture, ptMovieVideoScreenCapture)                                          \
    X(BrightColouredFish, ptBrightColouredFish)                                                    \
    X(Illustration, ptIllustration)                                                                \
    X(BandLogotype, ptBandLogotype)                                                                \
    X(PublisherLogotype, ptPublisherLogotype)

// One picture per picture type. They follow the component: loaded from the
// tag when it opens, cleared when it closes; a picture the caller changes while
// the component is active is stored in the tag's picture frame of its type.
class TBvID3Pictures {
public:
    TBvID3Picture& Picture(TBvID3PictureType type) { return pictures_[type]; }
    const TBvID3Picture& Picture(TBvID3PictureType type) const { return pictures_[type]; }
#define BV_ID3_PICTURE(Name, Type)                                                                 \
    TBvID3Picture& Name() {                                                                        \
        return pictures_[Type];                                                                    \
    }                                                                                              \
    void Set##Name(const TBvID3Picture& v) {                                                       \
        pictures_[Type].Assign(v);                                                                 \
    }
    BV_ID3_PICTURE_TYPES(BV_ID3_PICTURE)
#undef BV_ID3_PICTURE

private:
    TBvID3Picture pictures_[PictureTypeCount];
};

class TBvID3Images;

// The description of each picture type's frame.
class TBvID3PicturesDesc {
public:
    explicit TBvID3PicturesDesc(TBvID3Images& images) : images_(images) {}
    std::string Info(TBvID3PictureType type) const;
    void SetInfo(TBvID3PictureType type, const std::string& value);
#define BV_ID3_PICTURE_INFO(Name, Type)                                                            \
    std::string Name() const {                                                                     \
        return Info(Type);                                                                         \
    }                                                                                              \
    void Set##Name(const std::string& v) {                                                         \
        SetInfo(Type, v);                                                                          \
    }
    BV_ID3_PICTURE_TYPES(BV_ID3_PICTURE_INFO)
#undef BV_ID3_PICTURE_INFO

private:
    TBvID3Images& images_;
};

// The attached pictures by type: as picture objects (Pictures), as the frames'
// stored bytes (Picture), and their descriptions (Infos).
class TBvID3Images : public TBvID3Persistent {
public:
    explicit TBvID3Images(TBvID3v2& owner);
    TBvID3Pictures& Pictures() { return pictures_; }
    TBvID3PicturesDesc& Infos() { return infos_; }
    const TBvID3PictureFrame* Picture(TBvID3PictureType type) const;
    std::string Info(TBvID3PictureType type) const;
    // The description of a type's frame (found or created), while active.
    void SetInfo(TBvID3PictureType type, const std::string& value);
    // Stores a picture of the type (found or created), while active.
    void SetPicture(TBvID3PictureType type, const std::string& mimeType, std::string_view data);

private:
    friend class TBvID3v2;
    TBvID3PictureFrame* FrameOrNew(TBvID3PictureType type);
    // The component opened or closed: every picture follows the tag.
    void Reload(bool active);
    void PictureChanged(TBvID3PictureType type);
    TBvID3Pictures pictures_;
    TBvID3PicturesDesc infos_{*this};
};

class TBvID3v2 : public TBvID3Controller {
public:
    TBvID3v2();
    ~TBvID3v2() override;

    TBvID3Text& Texts() { return texts_; }
    TBvID3UDText& UserDefinedText() { return udText_; }
    TBvID3Web& Web() { return web_; }
    TBvID3UDUrl& UserDefinedWeb() { return udUrl_; }
    TBvID3Ipl& InvolvedPeople() { return ipl_; }
    TBvID3Images& Images() { return images_; }
    TBvID3Owner& Owner() { return owner_; }
    TBvID3Popularimeter& Popularimeter() { return popularimeter_; }
    uint32_t PlayCounter() const;
    void SetPlayCounter(uint32_t value);

    // The first frame of an identifier and class, or null.
    template <typename T> T* First(TBvID3FrameID id) const {
        for (int i = 0; i < Frames().Count(); ++i)
            if (Frames().Items(i)->FrameID() == id)
                if (auto* f = dynamic_cast<T*>(Frames().Items(i)))
                    return f;
        return nullptr;
    }
    // The first frame, created when missing; null while inactive.
    template <typename T> T* FirstOrNew(TBvID3FrameID id) {
        if (!Active())
            return nullptr;
        if (T* f = First<T>(id))
            return f;
        TBvID3Frame* frame = AddFrame(id);
        if (T* f = dynamic_cast<T*>(frame))
            return f;
        Frames().Remove(frame);
        throw EBvID3Error(ID3ErrorText(
            this, Format("Frame class '%s' cannot be used to represent frame ID '%s'",
                         {FrameClassName(GetFrameClass(id)), FrameIDToStringVisible(id)})));
    }

private:
    static std::string FrameIDToStringVisible(TBvID3FrameID id);

    TBvID3Text texts_{*this};
    TBvID3UDText udText_{*this};
    TBvID3Web web_{*this};
    TBvID3UDUrl udUrl_{*this};
    TBvID3Ipl ipl_{*this};
    TBvID3Images images_{*this};
    TBvID3Owner owner_{*this};
    TBvID3Popularimeter popularimeter_{*this};
};
