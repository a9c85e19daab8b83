#include "UpdateTestSupport.h"

#include "RtFileUtils.h"
#include "SafeFiles.h"

#include <map>

using namespace BvTest;

namespace {

// Every file below a folder (links not followed) and its bytes or link target.
std::map<std::string, std::string> FolderContents(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string rel = fs::relative(e.path(), folder).string();
        if (e.is_symlink())
            files[rel] = "-> " + fs::read_symlink(e.path()).string();
        else if (e.is_regular_file())
            files[rel] = ReadWholeFile(e.path().string());
        else
            files[rel] = "<folder>";
    }
    return files;
}

bool AnyContains(const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

} // namespace

// ---- Links on the card ------------------------------------------------------------

struct TLinkCase {
    const char* Name;
    const char* Link;   // the card folder that is a link, below the card's root
    const char* Inside; // what the outside folder holds, as the card folder would
    const char* Shown;  // the link as the messages name it
    bool OnDatabasePath;
    bool LinkIsDatabaseFolder;
};

class CardLinks : public ::testing::TestWithParam<TLinkCase> {};

TEST_P(CardLinks, NothingOutsideTheCardIsDeletedOrWritten) {
    const TLinkCase& c = GetParam();
    TCardRun t;
    const std::string outside = t.Folder.Path("outside");
    fs::create_directories(outside + "/" + c.Inside);
    // A database and a track of the same name as the PC's track wait outside.
    WriteWholeFile(outside + "/" + c.Inside + "/iTunesDB", "the other folder's own file");
    fs::copy_file(TagFixture("v11_only.mp3"), outside + "/" + c.Inside + "/one.mp3");
    const std::string link = t.Card + "/" + c.Link;
    fs::create_directories(fs::path(link).parent_path());
    fs::create_directory_symlink(outside, link);
    const auto before = FolderContents(outside);

    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Update();
    EXPECT_FALSE(t.Logged("Mobile updated!")) << t.AllLog();
    EXPECT_TRUE(AnyContains(t.Ui.Warnings, c.Shown)) << t.AllLog();
    t.M().btnScanMobileClick();
    t.Pump();
    t.M().Checkforbadfiles1Click();
    t.Pump();
    for (int r = 0; r < t.M().Model.TrackCount(); ++r)
        EXPECT_FALSE(t.M().Model.IsOnPhone(t.Field(r, "FileName"))) << t.Field(r, "FileName");
    t.Ui.Answers.push_back(TQuestionResult::Yes);
    t.M().DeletephoneDB1Click();

    EXPECT_EQ(before, FolderContents(outside));
    if (c.LinkIsDatabaseFolder) {
        // The link itself went, as a link.
        EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    } else {
        EXPECT_TRUE(fs::is_symlink(link));
    }
    if (c.OnDatabasePath && !c.LinkIsDatabaseFolder) {
        EXPECT_EQ(2, std::count_if(t.Ui.Warnings.begin(), t.Ui.Warnings.end(),
                                   [&](const std::string& w) { return w.find(c.Shown) != w.npos; }))
            << "the update and \"Delete phone DB\" each name the link";
    }
}

INSTANTIATE_TEST_SUITE_P(
    , CardLinks,
    ::testing::Values(
        TLinkCase{"iTunesFolder", "iTunes", "iTunes_Control/iTunes", "E:\\iTunes", true, false},
        TLinkCase{"MobileFolder", "mobile", "audio", "E:\\mobile", false, false},
        TLinkCase{"UploadFolder", "mobile/audio", ".", "E:\\mobile\\audio", false, false},
        TLinkCase{"DatabaseFolder", "iTunes/iTunes_Control/iTunes", ".",
                  "E:\\iTunes\\iTunes_Control\\iTunes", true, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(CardLinkedFile, TrackFileThatIsALinkIsReplacedAsALink) {
    TCardRun t;
    const std::string outside = t.Folder.Path("outside.mp3");
    WriteWholeFile(outside, "not the card's");
    fs::create_directories(t.Card + "/mobile/audio");
    fs::create_symlink(outside, t.Card + "/mobile/audio/one.mp3");
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "one.mp3"));
    t.Update();
    ASSERT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    EXPECT_EQ("not the card's", ReadWholeFile(outside));
    for (const auto& e : fs::directory_iterator(t.Card + "/mobile/audio"))
        EXPECT_FALSE(fs::is_symlink(e.symlink_status())) << e.path();
}
