// The kit's file dialogs and folder chooser answered through the scripted dialog seam.
#include "BvDialogs.h"
#include "BvSelectDirectory.h"
#include "Drives.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class ScriptedDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "bvdialogs-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
        card_ = tmpl;
        setenv("BRISVANE_DRIVES", ("E=" + card_ + ":removable").c_str(), 1);
        RefreshDriveTable();
        SetDialogResponder([this](const TDialogRequest& r) {
            requests_.push_back(r);
            return answer_;
        });
    }
    void TearDown() override {
        SetDialogResponder({});
        unsetenv("BRISVANE_DRIVES");
        RefreshDriveTable();
        fs::remove_all(card_);
    }
    std::string card_;
    TDialogAnswer answer_;
    std::vector<TDialogRequest> requests_;
};

TEST_F(ScriptedDialogs, ChosenFilesComeBackInDriveLetterFormInOrder) {
    answer_.Accepted = true;
    answer_.Paths = {card_ + "/b.mp3", card_ + "/music/a.m4a"};
    TBvOpenDialog dialog(nullptr);
    dialog.Options |= ofAllowMultiSelect;
    dialog.UseUserSize = true;
    dialog.Width = 700;
    dialog.Height = 500;
    int errors = 0;
    dialog.OnError = [&](TObject*, uint32_t) { ++errors; };
    ASSERT_TRUE(dialog.Execute());
    ASSERT_EQ(2, dialog.Files()->Count());
    EXPECT_EQ("E:\\b.mp3", dialog.Files()->Get(0));
    EXPECT_EQ("E:\\music\\a.m4a", dialog.Files()->Get(1));
    EXPECT_EQ("E:\\b.mp3", dialog.FileName);
    EXPECT_EQ(0, errors);
    ASSERT_EQ(1u, requests_.size());
    EXPECT_TRUE(requests_[0].MultiSelect);
    EXPECT_TRUE(requests_[0].UserSize);
    EXPECT_EQ(700, requests_[0].Width);
    EXPECT_EQ(TDialogRequest::dkOpenFile, requests_[0].Kind);
}

TEST_F(ScriptedDialogs, CancelGivesFalseAndReportsErrorZero) {
    for (bool saving : {false, true}) {
        SCOPED_TRACE(saving ? "save" : "open");
        std::unique_ptr<TBvOpenDialog> dialog = saving ? std::make_unique<TBvSaveDialog>(nullptr)
                                                       : std::make_unique<TBvOpenDialog>(nullptr);
        std::vector<uint32_t> codes;
        dialog->OnError = [&](TObject* sender, uint32_t code) {
            EXPECT_EQ(dialog.get(), sender);
            codes.push_back(code);
        };
        answer_ = {};
        EXPECT_FALSE(dialog->Execute());
        EXPECT_EQ((std::vector<uint32_t>{0}), codes);
        EXPECT_EQ(0, dialog->Files()->Count());
    }
    EXPECT_EQ(TDialogRequest::dkSaveFile, requests_.back().Kind);
}

struct TPlaceCase {
    const char* name;
    TRect area;
    int width, height, naturalWidth, naturalHeight;
    TRect want;
};

TEST(DialogPlacement, StaysInsideTheWorkArea) {
    const TPlaceCase cases[] = {
        {"asked size, centred across and a third down",
         {0, 0, 1000, 800},
         600,
         500,
         400,
         300,
         {200, 100, 800, 600}},
        {"smaller than natural grows to natural",
         {0, 0, 1000, 800},
         100,
         100,
         400,
         300,
         {300, 166, 700, 466}},
        {"larger than the area is cut to it",
         {0, 0, 800, 600},
         2000,
         1500,
         400,
         300,
         {0, 0, 800, 600}},
        {"a work area below a top panel",
         {0, 40, 1024, 768},
         2000,
         900,
         400,
         300,
         {0, 40, 1024, 768}},
        {"a second screen to the right",
         {1920, 0, 3200, 1024},
         640,
         480,
         400,
         300,
         {2240, 181, 2880, 661}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TRect r = PlaceInWorkArea(c.area, c.width, c.height, c.naturalWidth, c.naturalHeight);
        EXPECT_EQ(c.want.Left, r.Left);
        EXPECT_EQ(c.want.Top, r.Top);
        EXPECT_EQ(c.want.Right, r.Right);
        EXPECT_EQ(c.want.Bottom, r.Bottom);
        EXPECT_GE(r.Left, c.area.Left);
        EXPECT_GE(r.Top, c.area.Top);
        EXPECT_LE(r.Right, c.area.Right);
        EXPECT_LE(r.Bottom, c.area.Bottom);
    }
}

TEST_F(ScriptedDialogs, FolderChooserBrowsesFromItsRootOrOpensInIt) {
    fs::create_directories(card_ + "/music");
    struct {
        bool classic;
        const char* initial;
        const char* wantStart; // below the card, where the dialog opens; null: no folder
    } cases[] = {{false, "", nullptr}, {false, "E:\\", ""}, {true, "E:\\music", "/music"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.initial);
        requests_.clear();
        answer_.Accepted = true;
        answer_.Paths = {card_ + "/music"};
        TBvSelectDirectory chooser(nullptr);
        chooser.ClassicDialog = c.classic;
        chooser.InitialDir = c.initial;
        ASSERT_TRUE(chooser.Execute());
        EXPECT_EQ("E:\\music", chooser.Directory());
        ASSERT_EQ(1u, requests_.size());
        EXPECT_EQ(TDialogRequest::dkSelectFolder, requests_[0].Kind);
        EXPECT_EQ(c.wantStart ? card_ + c.wantStart : std::string(), requests_[0].Value);

        answer_ = {};
        EXPECT_FALSE(chooser.Execute());
        EXPECT_EQ(c.initial, chooser.Directory());
    }
}

} // namespace
