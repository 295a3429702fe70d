// A save that is killed at any moment leaves the old file or the new one.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "real_folder.h"
#include "settings/settings_file.h"

namespace {

using testing_support::TempFolder;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SettingsCrashTest, KillDuringSaveLeavesTheOldOrTheNewFile) {
    TempFolder folder;
    const std::string path = folder.Prefix() + "Kovaset.ini";
    const SettingsRecord a{std::string(1000, 'a') + "/", std::string(1000, 'A'), 1};
    const SettingsRecord b{std::string(900, 'b') + "/", std::string(1010, 'B'), 2};
    ASSERT_TRUE(SaveSettings(path, a));

    std::mt19937 random(12345);
    for (int round = 0; round < 25; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (bool flip = false;; flip = !flip)
                SaveSettings(path, flip ? a : b);
        }
        // Fault injection: the kill lands at a different moment each round.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string bytes = ReadAll(path);
        ASSERT_TRUE(bytes == FormatSettings(a) || bytes == FormatSettings(b))
            << "round " << round << ": " << bytes.size() << " bytes";
    }
}

} // namespace
