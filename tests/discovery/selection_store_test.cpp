// The discovery dialogs' lists and selections in a real registry store: the
// history's letter-case rule and its 1028 limit, caller lists rewritten
// whole, the LastLookUp entries that count and their bound, and the
// installer's selection that Cancel removes.

#include <gtest/gtest.h>

#include "discovery/dialogs/SelectionStore.h"
#include "platform/registry/RegistryKey.h"
#include "settings/Settings.h"
#include "support/TempRegistry.h"

using namespace qx;

namespace {

reg::Key OpenOrCreate(const std::string& path) {
    reg::Key key;
    EXPECT_EQ(reg::Key::Create(reg::Hive::CurrentUser, path, key), 0) << path;
    return key;
}

std::vector<std::string> ValueNames(const std::string& path) {
    std::vector<std::string> names;
    reg::Key key;
    if (reg::Key::Open(reg::Hive::CurrentUser, path, reg::Access::Read, key) != 0)
        return names;
    std::string name;
    for (uint32_t i = 0; key.EnumValue(i, name) == 0; ++i)
        names.push_back(name);
    return names;
}

}  // namespace

TEST(SelectionStore, HistoryKeepsEachAddressOnceInAnyCaseUpToItsLimit) {
    qxtest::TempRegistry store;
    EXPECT_TRUE(ReadLastDiscovered(1).empty());
    EXPECT_TRUE(AddToLastDiscovered(1, "10.1.2.3"));
    EXPECT_TRUE(AddToLastDiscovered(1, "0000000a:00a0b0c0d0e0"));
    EXPECT_FALSE(AddToLastDiscovered(1, "0000000A:00A0B0C0D0E0")) << "the same IPX address";
    EXPECT_FALSE(AddToLastDiscovered(1, "10.1.2.3"));
    EXPECT_EQ(ReadLastDiscovered(1),
              (std::vector<std::string>{"10.1.2.3", "0000000a:00a0b0c0d0e0"}));
    EXPECT_TRUE(ReadLastDiscovered(2).empty()) << "each family has its own history";

    // A gap: reading stops there, and the next address fills it.
    reg::Key key = OpenOrCreate(std::string(DiscoveryKey(1)) + "\\LastDiscovered");
    ASSERT_EQ(key.SetString("3", "10.9.9.9"), 0);
    EXPECT_EQ(ReadLastDiscovered(1).size(), 2u);
    EXPECT_TRUE(AddToLastDiscovered(1, "10.4.4.4"));
    std::string text;
    ASSERT_EQ(key.GetString("2", text), 0);
    EXPECT_EQ(text, "10.4.4.4");
    EXPECT_FALSE(AddToLastDiscovered(1, "10.9.9.9")) << "seen past the gap";

    for (int i = 4; i < kLastDiscoveredLimit; ++i)
        ASSERT_EQ(key.SetString(std::to_string(i), "10.0." + std::to_string(i)), 0);
    EXPECT_EQ(ReadLastDiscovered(1).size(), 1028u);
    EXPECT_FALSE(AddToLastDiscovered(1, "10.200.0.1")) << "all 1028 values are taken";
    EXPECT_NE(key.GetString("1028", text), 0);
}

TEST(SelectionStore, CallerListsAreRewrittenWholeAndReadUpToTheFirstMissingName) {
    qxtest::TempRegistry store;
    std::vector<DeviceRow> rows = {{"A", "10.0.0.1", "Hall", "KV-C3811", 2},
                                   {"B", "10.0.0.2", "", "", 2},
                                   {"C", "10.0.0.3", "Lab", "OV", 2}};
    ASSERT_EQ(WriteStoredRows(2, "Address Book Viewer", rows), 0);
    ASSERT_EQ(WriteLastSelected(2, "Address Book Viewer",
                                {"10.0.0.1", "A", "Hall", "KV-C3811", "9100"}, true),
              0);
    auto back = ReadStoredRows(2, "Address Book Viewer");
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[2].name, "C");
    EXPECT_EQ(back[2].location, "Lab");

    // A shorter list leaves nothing of the longer one, the selection included.
    rows.resize(1);
    ASSERT_EQ(WriteStoredRows(2, "Address Book Viewer", rows), 0);
    EXPECT_EQ(ValueNames(CallerKeyPath(2, "Address Book Viewer")),
              (std::vector<std::string>{"Address0", "Name0", "Location0", "Model0"}));

    // Reading stops at the first missing name; other missing values read as "".
    reg::Key key = OpenOrCreate(CallerKeyPath(1, "Twain"));
    key.SetString("Name0", "X");
    key.SetString("Name2", "Z");
    back = ReadStoredRows(1, "Twain");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].address, "");

    // Twain and BRD keep only two selection values.
    ASSERT_EQ(WriteLastSelected(1, "Twain", {"10.0.0.9", "N", "L", "M", "P"}, false), 0);
    std::string text;
    EXPECT_EQ(key.GetString("Last Selected Name", text), 0);
    EXPECT_NE(key.GetString("Last Selected Model", text), 0);
}

TEST(SelectionStore, LastLookUpTakesCompleteEntriesBoundedAndRewritesAllFifteen) {
    qxtest::TempRegistry store;
    const std::string path = std::string(DiscoveryKey(1)) + "\\LastLookUp";
    reg::Key key = OpenOrCreate(path);
    auto entry = [&](int n, const std::string& address, bool bModel = true) {
        const std::string i = std::to_string(n);
        key.SetString("Address" + i, address);
        key.SetString("Name" + i, "N" + i);
        key.SetString("Location" + i, "L" + i);
        if (bModel)
            key.SetString("Model" + i, "M" + i);
    };
    entry(0, "10.0.0.1");
    entry(1, "10.0.0.2", false);       // incomplete: skipped
    entry(14, std::string(900, 'x'));  // the last entry that counts, bounded to 499 bytes
    entry(15, "10.0.0.16");            // beyond the fifteen
    auto rows = ReadLastLookUp(1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].address, "10.0.0.1");
    EXPECT_EQ(rows[1].address, std::string(499, 'x'));

    ASSERT_EQ(WriteLastLookUp(1, {{"P", "10.1.1.1", "Q", "R", 2}}), 0);
    rows = ReadLastLookUp(1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "P");
    std::string text;
    EXPECT_NE(key.GetString("Location1", text), 0) << "the incomplete entry's values went too";
    EXPECT_NE(key.GetString("Address14", text), 0);
    EXPECT_EQ(key.GetString("Address15", text), 0) << "only entries 0 to 14 are the dialog's";
}

TEST(SelectionStore, InstallerSelectionIsDeletedValueByValue) {
    qxtest::TempRegistry store;
    DeleteInstallerSelection();  // nothing there: nothing happens
    ASSERT_EQ(WriteLastSelected(kInstallerFamily, "Installer",
                                {"10.0.0.1", "A", "Hall", "KV", "9100"}, true),
              0);
    reg::Key key = OpenOrCreate(CallerKeyPath(2, "Installer"));
    key.SetString("Other", "kept");
    DeleteInstallerSelection();
    EXPECT_EQ(ValueNames(CallerKeyPath(2, "Installer")), std::vector<std::string>{"Other"});
}
