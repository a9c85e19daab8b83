// The identifiers, versions, encodings and flags that the ID3v2 classes share,
// and the error they raise.
#pragma once

#include "SysUtils.h"

#include <cstdint>
#include <string>

BV_DECLARE_EXCEPTION(EBvID3Error, Exception);

enum TBvID3FrameID : uint8_t {
    fiErrorFrame,
    fiPaddingFrame,
    fiUnknownFrame,
    fiAudioCrypto,
    fiPicture,
    fiAudioSeekPoint,
    fiComment,
    fiCommercial,
    fiCryptoReg,
    fiEqualization2,
    fiEqualization,
    fiEventTiming,
    fiGeneralObject,
    fiGroupingReg,
    fiInvolvedPeople,
    fiLinkedInfo,
    fiCDID,
    fiMPEGLookup,
    fiOwnership,
    fiPrivate,
    fiPlayCounter,
    fiPopularimeter,
    fiPositionsync,
    fiBufferSize,
    fiVolumeAdj2,
    fiVolumeAdj,
    fiReverb,
    fiSeekFrame,
    fiSignature,
    fiSyncedLyrics,
    fiSyncedTempo,
    fiAlbum,
    fiBPM,
    fiComposer,
    fiContentType,
    fiCopyright,
    fiDate,
    fiEncodingTime,
    fiPlaylistDelay,
    fiOrigReleaseTime,
    fiRecordingTime,
    fiReleaseTime,
    fiTaggingTime,
    fiInvolvedPeople2,
    fiEncodedBy,
    fiLyricist,
    fiFileType,
    fiTime,
    fiContentGroup,
    fiTitle,
    fiSubTitle,
    fiInitialKey,
    fiLanguage,
    fiSongLen,
    fiMusicianCreditList,
    fiMediaType,
    fiMood,
    fiOrigAlbum,
    fiOrigFileName,
    fiOrigLyricist,
    fiOrigArtist,
    fiOrigYear,
    fiFileOwner,
    fiLeadArtist,
    fiBand,
    fiConductor,
    fiMixArtist,
    fiPartInSet,
    fiProducedNotice,
    fiPublisher,
    fiTrackNum,
    fiRecordingDates,
    fiNetRadioStation,
    fiNetRadioOwner,
    fiSize,
    fiAlbumSortOrder,
    fiPerformerSortOrder,
    fiTitleSortOrder,
    fiISRC,
    fiEncoderSettings,
    fiSetSubTitle,
    fiUserText,
    fiYear,
    fiUniqueFileID,
    fiTermsOfUse,
    fiUnsyncedLyrics,
    fiWWWCommercialInfo,
    fiWWWCopyright,
    fiWWWAudioFile,
    fiWWWArtist,
    fiWWWAudioSource,
    fiWWWRadioPage,
    fiWWWPayment,
    fiWWWPublisher,
    fiWWWUser,
    fiMetaCrypto,
    fiMetaCompression
};
constexpr int FrameIDCount = 97;

enum TBvID3Version : uint8_t { iveLowerThan2_2, ive2_2, ive2_3, ive2_4, iveHigherThan2_4 };

enum TBvID3Encoding : uint8_t { ienISO_8859_1, ienUTF_16, ienUTF_16BE, ienUTF_8 };

enum TBvID3EncodingChoice : uint8_t { ecAuto, ecISO_8859_1, ecUTF_16, ecUTF_16BE, ecUTF_8 };

enum TBvID3VersionChoice : uint8_t { vcAuto, vc2_2, vc2_3, vc2_4 };

// Header flags, as bits of a set.
enum TBvID3HeaderFlag : uint8_t {
    hfUnsynchronisation = 1,
    hfExtendedHeader = 2,
    hfExperimentalIndicator = 4,
    hfFooterPresent = 8
};
enum TBvID3HeaderExtendedFlag : uint8_t {
    hefTagIsAnUpdate = 1,
    hefCRCDataPresent = 2,
    hefTagRestrictions = 4
};
enum TBvID3FrameHeaderFlag : uint16_t {
    fhfOnTagAlterDiscardFrame = 1,
    fhfOnFileAlterDiscardFrame = 2,
    fhfReadOnly = 4,
    fhfIsCompressed = 8,
    fhfIsEncrypted = 16,
    fhfContainsGroupInformation = 32,
    fhfUnsynchronisationApplied = 64,
    fhfDataLengthIndicator = 128
};

// The two halves of a text: Ansi holds the program's text (UTF-8 here) for
// ISO-8859-1 frames, Wide the UTF-16 text for the Unicode encodings.
struct TBvID3StringPair {
    std::string Ansi;
    std::u16string Wide;
};

inline bool IsUnicodeEncoding(TBvID3Encoding e) {
    return e != ienISO_8859_1;
}
