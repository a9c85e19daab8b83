// Text frames that hold a list: artists, composers, genres, languages.
#pragma once

#include "BvID3TextFrame.h"
#include "BvUnicode.h"
#include "Classes.h"

class TBvID3SimpleListFrame : public TBvID3CustomTextFrame {
public:
    TBvID3SimpleListFrame(TBvID3Controller* controller, TBvID3FrameID id,
                          const std::string& idString);
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::SimpleList; }
    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding e) const override;
    void GetText(TBvID3StringPair& pair) const override;
    void SetText(const TBvID3StringPair& pair) override;
    bool CheckFrame(int errorAction) override;

    TStrings& List() { return list_; }
    TWideStrings& ListW() { return listW_; }

    // 3 for language codes, 0 for none.
    int CellWidth() const { return FrameID() == fiLanguage ? 3 : 0; }
    // '/' for the person lists; zero for genres, languages and the lead artist,
    // whose names ("AC/DC") may themselves contain '/'.
    char Separator() const;

private:
    TStringList list_;
    TWideStringList listW_;
};
