#include "BvSHFileOperation.h"
#include "FileTestSupport.h"
#include "Files.h"
#include "RtStrings.h"

#include <filesystem>
#include <unistd.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using ShellOperationTest = CardFolderTest;

TEST(ShellOperationFlags, SumTheOptions) {
    EXPECT_EQ(0xB94, TBvSHFileOperation::OptionFlags(
                         {fofFilesOnly, fofNoConfirmation, fofNoConfirmMkDir, fofSilent,
                          fofSimpleProgress, fofNoCopySecurityAttributes}));
    TBvSHFileOperation op;
    EXPECT_EQ(0xC0, TBvSHFileOperation::OptionFlags(op.Options));
    EXPECT_EQ(foCopy, op.Operation);
    EXPECT_EQ(1u, TBvSHFileOperation::OperationCode(foMove));
    EXPECT_EQ(2u, TBvSHFileOperation::OperationCode(foCopy));
    EXPECT_EQ(3u, TBvSHFileOperation::OperationCode(foDelete));
    EXPECT_EQ(4u, TBvSHFileOperation::OperationCode(foRename));
}

TEST_F(ShellOperationTest, DeleteRemovesTheListedCardFiles) {
    fs::create_directories(OnCard("mobile/audio"));
    for (const char* n : {"a.mp3", "b.mp3", "c.mp3"})
        Put(OnCard(std::string("mobile/audio/") + n), "x");
    TBvSHFileOperation op;
    op.Operation = foDelete;
    op.Options = {fofFilesOnly, fofNoConfirmation, fofNoConfirmMkDir,
                  fofSilent,    fofSimpleProgress, fofNoCopySecurityAttributes};
    EXPECT_THROW(op.Execute(), EBvException);
    op.SetSourceFiles(TStringList{"E:\\mobile\\audio\\a.mp3", "E:\\MOBILE\\AUDIO\\B.MP3"});
    EXPECT_TRUE(op.Execute());
    EXPECT_FALSE(fs::exists(OnCard("mobile/audio/a.mp3")));
    EXPECT_FALSE(fs::exists(OnCard("mobile/audio/b.mp3")));
    EXPECT_TRUE(fs::exists(OnCard("mobile/audio/c.mp3")));

    // A missing file makes the result False; the others are still deleted.
    op.SetSourceFiles(TStringList{"E:\\mobile\\audio\\gone.mp3", "E:\\mobile\\audio\\c.mp3"});
    EXPECT_FALSE(op.Execute());
    EXPECT_FALSE(fs::exists(OnCard("mobile/audio/c.mp3")));

    // Roots and empty entries are never deleted.
    Put(OnCard("keep.txt"), "x");
    op.SetSourceFiles(TStringList{"E:\\", "E:", ""});
    EXPECT_FALSE(op.Execute());
    EXPECT_TRUE(fs::exists(OnCard("keep.txt")));
}

TEST_F(ShellOperationTest, RelativeSourcesAreTakenAgainstTheCurrentFolder) {
    fs::create_directories(OnCard("dir"));
    Put(OnCard("dir/x.mp3"), "x");
    ASSERT_TRUE(SetCurrentDir("E:\\dir"));
    TBvSHFileOperation op;
    op.Operation = foDelete;
    op.SourceFiles().Add("x.mp3");
    EXPECT_TRUE(op.Execute());
    ASSERT_EQ(0, chdir("/"));
    EXPECT_FALSE(fs::exists(OnCard("dir/x.mp3")));
}

TEST_F(ShellOperationTest, CopyMoveAndRename) {
    fs::create_directories(OnCard("src/sub"));
    fs::create_directories(OnCard("dst"));
    Put(OnCard("src/a.mp3"), "a");
    Put(OnCard("src/sub/b.mp3"), "b");
    TBvSHFileOperation op;
    op.Options = {fofNoConfirmation, fofSilent};
    op.SourceFiles().Add("E:\\src\\*.*");
    op.DestFiles().Add("E:\\dst");
    EXPECT_TRUE(op.Execute());
    EXPECT_EQ("a", FileToString("E:\\dst\\a.mp3"));
    EXPECT_EQ("b", FileToString("E:\\dst\\sub\\b.mp3"));

    std::vector<std::pair<std::string, std::string>> mapped;
    op.OnFileMapping = [&](TObject*, const std::string& o, const std::string& n) {
        mapped.emplace_back(o, n);
    };
    op.Options = {fofNoConfirmation, fofSilent, fofRenameOnCollision, fofWantMappingHandle};
    op.SourceFiles().Clear();
    op.SourceFiles().Add("E:\\src\\a.mp3");
    EXPECT_TRUE(op.Execute());
    EXPECT_TRUE(fs::exists(OnCard("dst/Copy of a.mp3")));
    ASSERT_EQ(1u, mapped.size());
    EXPECT_EQ("E:\\dst\\a.mp3", mapped[0].first);
    EXPECT_EQ("E:\\dst\\Copy of a.mp3", mapped[0].second);

    op.Operation = foMove;
    op.Options = {fofNoConfirmation, fofSilent};
    EXPECT_TRUE(op.Execute());
    EXPECT_FALSE(fs::exists(OnCard("src/a.mp3")));

    op.Operation = foRename;
    op.SourceFiles().Clear();
    op.SourceFiles().Add("E:\\dst\\Copy of a.mp3");
    op.DestFiles().Clear();
    op.DestFiles().Add("E:\\dst\\a.mp3");
    EXPECT_FALSE(op.Execute()); // rename never replaces
    op.DestFiles().Clear();
    op.DestFiles().Add("E:\\dst\\z.mp3");
    EXPECT_TRUE(op.Execute());
    EXPECT_TRUE(fs::exists(OnCard("dst/z.mp3")));
}
