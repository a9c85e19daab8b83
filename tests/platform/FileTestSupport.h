// A private folder mapped as drive "E:" (removable) for the file tests.
#pragma once

#include "Drives.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

class CardFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "bvtest-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
        root_ = tmpl;
        card_ = root_ + "/card";
        std::filesystem::create_directory(card_);
        setenv("BRISVANE_DRIVES", ("E=" + card_ + ":removable").c_str(), 1);
        RefreshDriveTable();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(root_, ec);
        unsetenv("BRISVANE_DRIVES");
        RefreshDriveTable();
    }
    // The Linux path of a name below the card folder.
    std::string OnCard(const std::string& rel) const { return card_ + "/" + rel; }
    static void Put(const std::string& path, const std::string& bytes) {
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }

    std::string root_;
    std::string card_;
};
