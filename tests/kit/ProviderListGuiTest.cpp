// A stock list box and combo box in provider mode, listing a small provider's tree, used with
// the mouse and the keyboard.
#include "BvProviderListLink.h"
#include "FakeProvider.h"
#include "GuiTestEnvironment.h"

#include <QAbstractItemView>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <cstdlib>

#include <gtest/gtest.h>

namespace {

// An item that remembers it was picked.
class TPickAction : public TBvDataItemAggregatedObject, public IBvDataItemAction {
    BV_CLASS_INFO()
public:
    using TBvDataItemAggregatedObject::TBvDataItemAggregatedObject;
    void Execute(TComponent* sender) override { picks.push_back(sender); }
    std::vector<TComponent*> picks;

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override {
        return BvOffer<IBvDataItemAction>(this, iid, obj) ||
               TBvDataItemAggregatedObject::GetOwnInterface(iid, obj);
    }
};

const TClassInfo& TPickAction::StaticClassInfo() {
    static const TClassInfo info("TPickAction", &TBvDataItemAggregatedObject::StaticClassInfo());
    return info;
}

std::vector<std::string> Lines(TStrings* items) {
    std::vector<std::string> out;
    for (int i = 0; i < items->Count(); ++i)
        out.push_back(items->Get(i));
    return out;
}

TEST(ProviderList, ListBoxAndComboBoxListAProvidersItems) {
    auto p = MakeProvider();
    auto* music = p->AddItem("Music");
    p->AddItem("Rock", p->SubList(music));
    auto* jazz = p->AddItem("Jazz", p->SubList(music));
    auto* podcasts = p->AddItem("Podcasts");
    auto* pick = BvCreate<TPickAction>(jazz);

    TForm* form = MakeTestForm(360, 220);
    form->SetCaption("Provider mode");
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 160, 150);
    auto* combo = new TComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(190, 10, 160, 24);
    auto* listLink = new TBvProviderListLink(list);
    auto* comboLink = new TBvProviderListLink(combo);
    listLink->SetProvider(p.Get());
    comboLink->SetProvider(p.Get());
    form->Show();
    Application->ProcessMessages();

    EXPECT_EQ(Lines(list->Items()),
              (std::vector<std::string>{"Music", "Rock", "Jazz", "Podcasts"}));
    EXPECT_EQ(Lines(combo->Items()),
              (std::vector<std::string>{"Music", "   Rock", "   Jazz", "Podcasts"}));

    // The rows are drawn by the provider's renderer, indented by their level.
    // The rows are drawn by the provider's renderer, indented by their level: the text of a
    // sub-item starts further right than its parent's.
    QImage rows = list->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto firstInk = [&](int row) {
        TRect r = list->ItemRect(row);
        for (int x = r.Left; x < r.Right && x < rows.width(); ++x)
            for (int y = r.Top + 2; y < r.Bottom - 2 && y < rows.height(); ++y)
                if (qGray(rows.pixel(x + 1, y + 1)) < 100)
                    return x;
        return -1;
    };
    int musicInk = firstInk(0), rockInk = firstInk(1), podcastsInk = firstInk(3);
    ASSERT_GE(musicInk, 0) << "no text drawn";
    EXPECT_GE(rockInk - musicInk, 12);
    EXPECT_LT(std::abs(podcastsInk - musicInk), 8); // glyphs differ a little at their left

    // A click on the third row selects Jazz.
    auto* view = qobject_cast<QAbstractItemView*>(list->Widget());
    if (!view)
        view = list->Widget()->findChild<QAbstractItemView*>();
    ASSERT_NE(view, nullptr);
    QWidget* target = view->viewport();
    TRect third = list->ItemRect(2);
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier,
                      QPoint(third.Left + 20, (third.Top + third.Bottom) / 2));
    Application->ProcessMessages();
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(listLink->ItemAt(list->ItemIndex()).Get(), static_cast<IBvDataItem*>(jazz));

    // Picking Jazz in the combo box with the keyboard runs the item's action.
    combo->SetItemIndex(1);
    combo->SetFocus();
    QTest::keyClick(combo->Widget(), Qt::Key_Down);
    Application->ProcessMessages();
    EXPECT_EQ(combo->ItemIndex(), 2);
    ASSERT_EQ(pick->picks.size(), 1u);
    EXPECT_EQ(pick->picks[0], combo);

    // The provider's changes reach both controls.
    p->AddItem("Blues", p->SubList(music));
    EXPECT_EQ(Lines(list->Items()),
              (std::vector<std::string>{"Music", "Rock", "Jazz", "Blues", "Podcasts"}));
    EXPECT_EQ(combo->Items()->Count(), 5);
    auto manage = Supports<IBvDataItemsManagement>(static_cast<IBvDataItems*>(p->Root()));
    manage->Delete(podcasts->GetIndex());
    EXPECT_EQ(list->Items()->Count(), 4);

    // The whole form after use: Jazz selected in the list, picked in the combo box, Blues added.
    Application->ProcessMessages();
    QImage shot = form->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::string path = std::string(BV_BINARY_DIR) + "/kit_provider_lists.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));

    // The form goes first; its controls unlink before the provider hears anything more.
    p->Log.clear();
    delete form;
    EXPECT_EQ(p->SinkCount(), 0);
    EXPECT_EQ(p->Log, (std::vector<std::string>{"Unregister", "Unregister"}));
}

} // namespace
