// The mapping table that readers of the same files share: kept while every
// file is the one it was read from, read again as soon as one changes or is
// gone, and never kept when its files are too young for their time stamps to
// tell or when the load cut a line.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "model/SharedMappingTable.h"
#include "support/TempRegistry.h"

using namespace qx;

namespace {

std::string Entry(int id, const std::string& oid) {
    return "EID_" + std::to_string(id) + "\t" + std::to_string(id) + "\t" + oid +
           "\t\t\t\t\tinteger\tread-only\t\tstatic\t\t\t\t\n";
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::vector<std::string> WriteSet(const std::string& dir, const std::string& last) {
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i) {
        paths.push_back(dir + "/map" + std::to_string(i) + ".txt");
        Write(paths.back(), i == 4 ? last : Entry(100 + i, "1.3.6.1.2.1.1." + std::to_string(i)));
    }
    return paths;
}

class SharedMappingTableTest : public ::testing::Test {
  protected:
    // Files are trusted by their stamps only once they are two seconds old:
    // one wait serves every case.
    static void SetUpTestSuite() {
        s_dirs = new std::vector<qxtest::TempDir>(3);
        s_settled = WriteSet((*s_dirs)[0].Path(), Entry(104, "1.3.6.1.2.1.1.4"));
        s_other = WriteSet((*s_dirs)[2].Path(), Entry(104, "1.3.6.1.2.1.1.4"));
        s_cut = WriteSet((*s_dirs)[1].Path(), Entry(104, "1.3.6.1.2.1.1." + std::string(300, '4')));
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    }
    static void TearDownTestSuite() {
        delete s_dirs;
        s_dirs = nullptr;
    }
    void SetUp() override { ForgetSharedMappingTables(); }

    static std::vector<qxtest::TempDir>* s_dirs;
    static std::vector<std::string> s_settled, s_cut, s_other;  // s_settled gets changed
};

std::vector<qxtest::TempDir>* SharedMappingTableTest::s_dirs = nullptr;
std::vector<std::string> SharedMappingTableTest::s_settled, SharedMappingTableTest::s_cut,
    SharedMappingTableTest::s_other;

}  // namespace

TEST_F(SharedMappingTableTest, SettledFilesAreReadOnceAndAChangedFileAgain) {
    std::string error = "stale";
    auto first = LoadSharedMappingTable(s_settled, &error);
    ASSERT_NE(first, nullptr) << error;
    EXPECT_EQ(error, "");
    ASSERT_EQ(first->Count(), 5u);
    EXPECT_EQ(first->GetEntryById(104)->GetOidText(), "1.3.6.1.2.1.1.4.0");
    EXPECT_EQ(LoadSharedMappingTable(s_settled), first) << "unchanged files: the same table";

    // Same size, new text, written just now: read again, and not kept while
    // the file is that young.
    Write(s_settled[4], Entry(105, "1.3.6.1.2.1.1.4"));
    auto changed = LoadSharedMappingTable(s_settled);
    ASSERT_NE(changed, nullptr);
    EXPECT_NE(changed, first);
    EXPECT_EQ(changed->GetEntryById(104), nullptr);
    ASSERT_NE(changed->GetEntryById(105), nullptr);
    EXPECT_NE(LoadSharedMappingTable(s_settled), changed);
    EXPECT_EQ(first->GetEntryById(104)->nElementId, 104) << "a table handed out stays whole";

    // A file that is gone fails every time, as a fresh load does.
    std::remove(s_settled[2].c_str());
    for (int i = 0; i < 2; ++i) {
        error.clear();
        EXPECT_EQ(LoadSharedMappingTable(s_settled, &error), nullptr);
        EXPECT_NE(error.find(s_settled[2]), std::string::npos) << error;
    }
    Write(s_settled[2], Entry(102, "1.3.6.1.2.1.1.2"));
    EXPECT_NE(LoadSharedMappingTable(s_settled), nullptr);
}

TEST_F(SharedMappingTableTest, ALoadThatCutALineIsNotKept) {
    auto first = LoadSharedMappingTable(s_cut);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->CutLines(), 1);
    auto second = LoadSharedMappingTable(s_cut);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first) << "the cut line's trace comes with every load";
}

TEST_F(SharedMappingTableTest, AnotherSetOfFilesHasATableOfItsOwn) {
    auto other = LoadSharedMappingTable(s_other);
    auto cut = LoadSharedMappingTable(s_cut);
    ASSERT_NE(other, nullptr);
    ASSERT_NE(cut, nullptr);
    EXPECT_NE(other, cut);
    EXPECT_EQ(LoadSharedMappingTable(s_other), other);
    std::vector<std::string> fewer(s_other.begin(), s_other.begin() + 4);
    auto four = LoadSharedMappingTable(fewer);
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(four->Count(), 4u);
}
