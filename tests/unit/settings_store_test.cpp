#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_file_system.h"

namespace {

TEST(SettingsStoreTest, AFileWhereItsFolderShouldBeFailsTheSaveAndNothingIsWritten) {
    FakeFileSystem fs;
    fs.nodes["/home/u/.config"] = {"a file"};
    EXPECT_FALSE(SettingsStore(fs, "/home/u/.config/kovalin/Kovaset.ini").Save({"/w/", "c", 5}));
    EXPECT_EQ(fs.nodes.size(), 1u);
}

} // namespace
