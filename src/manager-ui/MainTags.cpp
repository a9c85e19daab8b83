// The "Edit tags" box: the edits of the chosen track's tags.
#include "Main.h"
#include "MainLayout.h"

void TForm1::CreateTagsBox() {
    const int top = kGroupCaptionRoom;
    const int step = kEditHeight + 6;
    bvGroupBoxTags = MakeGroupBox("bvGroupBoxTags", "Edit tags", top + 8 * step + kBoxPadding);
    auto row = [&]<class TField = TEdit>(const std::string& name, const std::string& caption,
                                         int index, bool readOnly) {
        auto* label = new TLabel(this);
        label->SetParent(bvGroupBoxTags);
        UseWindowFont(label->Font());
        label->SetCaption(caption);
        label->SetBounds(kBoxPadding, top + index * step + 3, kLabelWidth, kEditHeight);
        TagLabels.push_back(label);
        auto* edit = new TField(this);
        edit->SetName(name);
        edit->SetParent(bvGroupBoxTags);
        UseWindowFont(edit->Font());
        edit->SetBounds(kBoxPadding + kLabelWidth, top + index * step,
                        kColumnWidth - 2 * kBoxPadding - kLabelWidth, kEditHeight);
        StretchInBox(edit);
        edit->SetReadOnly(readOnly);
        return edit;
    };
    edArtist = row("edArtist", "Artist:", 0, false);
    edTitle = row("edTitle", "Title:", 1, false);
    edAlbum = row("edAlbum", "Album:", 2, false);
    // Minutes and seconds in a masked edit: typing overwrites the digits, the colon stays.
    edTime = row.operator()<TMaskEdit>("edTime", "Time:", 3, false);
    edTime->SetEditMask("!90:00;1; ");
    edBitrate = row("edBitrate", "Bitrate:", 4, true);
    edSize = row("edSize", "Size:", 5, true);
    edFileName = row("edFileName", "File:", 6, true);
    // The track takes the time once both parts are numbers.
    edTime->MaxLength = 5;
    lbUID = new TLabel(this);
    lbUID->SetName("lbUID");
    lbUID->SetParent(bvGroupBoxTags);
    UseWindowFont(lbUID->Font());
    lbUID->SetBounds(kBoxPadding, top + 7 * step + 3, kColumnWidth - 2 * kBoxPadding, kEditHeight);
}

void TForm1::SyncTagEditor() {
    const TTagEditorState& t = Manager->TagEditor;
    const std::pair<TCustomEdit*, const std::string*> edits[] = {
        {edArtist, &t.edArtist},    {edTitle, &t.edTitle},     {edAlbum, &t.edAlbum},
        {edTime, &t.edTime},        {edBitrate, &t.edBitrate}, {edSize, &t.edSize},
        {edFileName, &t.edFileName}};
    for (auto [edit, text] : edits)
        if (edit->Caption() != *text)
            edit->SetText(*text);
    lbUID->SetCaption(t.lbUID);
}

void TForm1::bvGroupBoxTagsExpanded(TControlEventArgs&) {
    Manager->bvGroupBoxTagsExpanded();
    // The row number stays out of sight when the box shows its children.
    lbUID->SetVisible(false);
}
