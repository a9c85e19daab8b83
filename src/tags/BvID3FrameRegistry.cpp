// Which class represents which frame identifier, and how many of one a tag may hold.
#include "BvID3AudioEncryptionFrame.h"
#include "BvID3BinaryFrame.h"
#include "BvID3ContentFrame.h"
#include "BvID3Controller.h"
#include "BvID3DoubleListFrame.h"
#include "BvID3GeneralObjFrame.h"
#include "BvID3NumberFrame.h"
#include "BvID3OwnershipFrame.h"
#include "BvID3PictureFrame.h"
#include "BvID3PlayCounterFrame.h"
#include "BvID3PopularimeterFrame.h"
#include "BvID3SimpleListFrame.h"
#include "BvID3Tables.h"
#include "BvID3TermsOfUseFrame.h"
#include "BvID3TextFrame.h"
#include "BvID3TimestampFrame.h"
#include "BvID3URLFrame.h"
#include "BvID3URLUserFrame.h"
#include "BvID3UserFrame.h"

namespace {

template <typename T>
std::unique_ptr<TBvID3Frame> Make(TBvID3Controller* c, TBvID3FrameID id, const std::string& s) {
    return std::make_unique<T>(c, id, s);
}

} // namespace

std::unique_ptr<TBvID3Frame> CreateFrame(TBvID3Controller* controller, TBvID3FrameID id,
                                         const std::string& idString) {
    if (id < 2)
        throw EBvID3Error(
            ID3ErrorText(controller, Format("Frame ID '%s' not supported by this frame",
                                            {FrameIDToString(id, 4)})));
    using C = TBvID3FrameClass;
    const C cls = GetFrameClass(id);
    std::unique_ptr<TBvID3Frame> f;
    switch (cls) {
    case C::Skip:
        f = Make<TBvID3SkipFrame>(controller, id, idString);
        break;
    case C::Binary:
        f = Make<TBvID3BinaryFrame>(controller, id, idString);
        break;
    case C::Text:
        f = Make<TBvID3TextFrame>(controller, id, idString);
        break;
    case C::SimpleList:
        f = Make<TBvID3SimpleListFrame>(controller, id, idString);
        break;
    case C::Number:
        f = Make<TBvID3NumberFrame>(controller, id, idString);
        break;
    case C::Timestamp:
        f = Make<TBvID3TimestampFrame>(controller, id, idString);
        break;
    case C::Content:
        f = Make<TBvID3ContentFrame>(controller, id, idString);
        break;
    case C::DoubleList:
        f = Make<TBvID3DoubleListFrame>(controller, id, idString);
        break;
    case C::URL:
        f = Make<TBvID3URLFrame>(controller, id, idString);
        break;
    case C::URLUser:
        f = Make<TBvID3URLUserFrame>(controller, id, idString);
        break;
    case C::User:
        f = Make<TBvID3UserFrame>(controller, id, idString);
        break;
    case C::Picture:
        f = Make<TBvID3PictureFrame>(controller, id, idString);
        break;
    case C::GeneralObj:
        f = Make<TBvID3GeneralObjFrame>(controller, id, idString);
        break;
    case C::Popularimeter:
        f = Make<TBvID3PopularimeterFrame>(controller, id, idString);
        break;
    case C::PlayCounter:
        f = Make<TBvID3PlayCounterFrame>(controller, id, idString);
        break;
    case C::Ownership:
        f = Make<TBvID3OwnershipFrame>(controller, id, idString);
        break;
    case C::TermsOfUse:
        f = Make<TBvID3TermsOfUseFrame>(controller, id, idString);
        break;
    case C::AudioEncryption:
        f = Make<TBvID3AudioEncryptionFrame>(controller, id, idString);
        break;
    }
    if (controller) {
        std::string visible = id == fiUnknownFrame ? idString : FrameIDToString(id, 4);
        if (visible[0] == '\0')
            visible = FrameIDToString(id, 3);
        f->Name = controller->UniqueFrameName(visible, FrameClassName(cls));
    }
    return f;
}

bool CanAddFrame(const TBvID3Controller& controller, TBvID3FrameID id) {
    switch (id) {
    case fiComment:
    case fiUnsyncedLyrics:
    case fiPicture:
    case fiGeneralObject:
    case fiAudioCrypto:
    case fiPopularimeter:
    case fiUserText:
    case fiWWWUser:
    case fiWWWCommercialInfo:
    case fiWWWArtist:
        return true;
    default:
        break;
    }
    switch (GetFrameClass(id)) {
    case TBvID3FrameClass::Skip:
        return false;
    default:
        return !controller.HasFrame(id);
    }
}
