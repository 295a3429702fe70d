// Real folders full of names built to break things, driven through the real
// worker and quota pass: the converter receives exactly the arguments of the
// command-line rule, nothing else runs, and only the candidate .mp4 and the
// .jpg files of its title are ever deleted.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "core/convert_worker.h"
#include "core/file_name.h"
#include "core/shared_state.h"
#include "core/size_limit.h"
#include "core/texts.h"
#include "hostile_names.h"
#include "platform/posix/word_splitting.h"
#include "processes.h"
#include "support.h"
#include "test_platform.h"

namespace reliability {

using namespace test_support;
namespace {

// No file of this name may appear anywhere: it is what the shell syntax in
// the names would create if anything interpreted it.
bool InjectionRan(const TempFolder& scratch) {
    return Exists(scratch / "watch/PWNED") || Exists("PWNED") || Exists(scratch / "PWNED");
}

// A folder "watch" and, beside it, "outside" with files that links point at.
struct HostileFolder {
    TempFolder scratch;
    std::string watch = scratch / "watch";
    std::string outside = scratch / "outside";

    HostileFolder() {
        mkdir(watch.c_str(), 0755);
        mkdir(outside.c_str(), 0755);
        WriteFile(outside + "/target.mp4", "outside mp4");
        WriteFile(outside + "/target.jpg", "outside jpg");
        WriteFile(outside + "/target.flv", "outside flv");
        mkdir((outside + "/dir").c_str(), 0755);
        WriteFile(outside + "/dir/inner.mp4", "inner");
    }
    std::string In(const std::string& name) const { return watch + "/" + name; }

    // The outside files with their contents, to compare before and after.
    std::map<std::string, std::string> OutsideSnapshot() const {
        std::map<std::string, std::string> files;
        for (const std::string& name : ListFolder(outside))
            files[name] = name == "dir" ? "(folder)" : ReadFile(outside + "/" + name);
        for (const std::string& name : ListFolder(outside + "/dir"))
            files["dir/" + name] = ReadFile(outside + "/dir/" + name);
        return files;
    }
};

// Adds the entries that are not plain files, named with the extension given:
// a directory, links to a file and to a folder outside, and a hard link.
std::vector<std::string> AddTrickyEntries(const HostileFolder& folder, const std::string& ext) {
    mkdir(folder.In("dir" + ext).c_str(), 0755);
    WriteFile(folder.In("dir" + ext) + "/inside", "x");
    symlink((folder.outside + "/target" + ext).c_str(), folder.In("link" + ext).c_str());
    symlink((folder.outside + "/dir").c_str(), folder.In("linkdir" + ext).c_str());
    link((folder.outside + "/target" + ext).c_str(), folder.In("hard" + ext).c_str());
    return {"dir", "link", "linkdir", "hard"};
}

TEST(HostileFolderTest, ConverterReceivesExactlyTheSplitArguments) {
    HostileFolder folder;
    const std::string log = folder.scratch / "converter.log";
    const std::string program = ConverterProgram("record", log);

    std::multiset<std::string> pending;
    const std::vector<std::string> extensions = {".flv", ".FLV", ".Flv"};
    const std::vector<std::string> titles = HostileTitles();
    for (std::size_t i = 0; i < titles.size(); ++i) {
        WriteFile(folder.In(titles[i] + extensions[i % extensions.size()]), "video");
        pending.insert(titles[i]);
    }
    // Links are never handed over, whatever they point at: they fail.
    const std::vector<std::string> links = {"link", "linkdir"};
    for (const std::string& title : AddTrickyEntries(folder, ".flv")) {
        if (std::find(links.begin(), links.end(), title) == links.end())
            pending.insert(title);
    }
    const auto outsideBefore = folder.OutsideSnapshot();
    std::cout << "[ figures ] hostile .flv entries: " << pending.size() + links.size() << std::endl;

    SharedState state;
    PublishSettings(state, {folder.watch + "/", program, 0});
    TestPlatform platform;
    std::size_t conversions = 0;
    platform.afterConvert = [&](const std::string& commandLine) {
        ++conversions;
        ASSERT_EQ(commandLine.compare(0, program.size() + 1, program + " "), 0);
        const std::string title = commandLine.substr(program.size() + 1);
        const auto runs = ReadConverterLog(log);
        ASSERT_EQ(runs.size(), conversions) << "one converter run per start, nothing else";
        EXPECT_EQ(runs.back().argv, SplitCommandLine(commandLine));
        // The converter's part: take the file out of the folder.
        ASSERT_TRUE(pending.count(title)) << "converted a title that is not pending: " << title;
        pending.erase(pending.find(title));
        for (const std::string& name : ListFolder(folder.watch)) {
            if (MatchesMask(name, "*.flv") && FileTitle(name) == title) {
                RemoveTree(folder.In(name));
                break;
            }
        }
    };

    ConvertWorker worker(platform, state);
    const std::size_t total = pending.size();
    for (std::size_t cycle = 0; cycle < 3 * total && !pending.empty(); ++cycle)
        worker.RunCycle();
    worker.RunCycle(); // the links, where no cycle came to them yet

    EXPECT_TRUE(pending.empty()) << pending.size() << " titles never converted";
    std::vector<std::string> failed = state.g_failedTitles.TakeAll();
    std::sort(failed.begin(), failed.end());
    EXPECT_EQ(failed, links);
    EXPECT_EQ(platform.Starts().size(), total);
    EXPECT_EQ(ReadConverterLog(log).size(), total);
    EXPECT_FALSE(InjectionRan(folder.scratch));
    EXPECT_EQ(folder.OutsideSnapshot(), outsideBefore);
    EXPECT_TRUE(platform.Removals().empty()) << "the worker itself never deletes";
}

TEST(HostileFolderTest, EmptyProgramNeverRunsTheTitle) {
    // With no program the line is a blank and the title: the title must not
    // become the program.
    HostileFolder folder;
    WriteFile(folder.In("touch PWNED.flv"), "");
    SharedState state;
    PublishSettings(state, {folder.watch + "/", "", 0});
    TestPlatform platform;
    ConvertWorker worker(platform, state);
    worker.RunCycle();

    EXPECT_EQ(platform.Starts(), std::vector<std::string>{" touch PWNED"});
    EXPECT_EQ(state.g_strStatus.Get(), texts::StartFailed(""));
    EXPECT_EQ(platform.Pauses(), std::vector<unsigned>{kIdlePauseMs});
    EXPECT_FALSE(InjectionRan(folder.scratch));
}

TEST(HostileFolderTest, NameThatIsOnlyTheExtensionIsNeverConverted) {
    HostileFolder folder;
    WriteFile(folder.In(".flv"), "");
    SharedState state;
    PublishSettings(state,
                    {folder.watch + "/", ConverterProgram("record", folder.scratch / "log"), 0});
    TestPlatform platform;
    ConvertWorker worker(platform, state);
    worker.RunCycle();
    EXPECT_TRUE(platform.Starts().empty());
    EXPECT_EQ(state.g_strStatus.Get(), texts::Idle(0, 0, false));
}

// Every deletion named an entry directly inside the folder.
void ExpectOnlyInside(const TestPlatform& platform, const std::string& watch) {
    for (const TestPlatform::Removal& removal : platform.Removals()) {
        ASSERT_EQ(removal.path.compare(0, watch.size() + 1, watch + "/"), 0) << removal.path;
        EXPECT_EQ(removal.path.find('/', watch.size() + 1), std::string::npos) << removal.path;
    }
}

TEST(HostileFolderTest, QuotaDeletesOnlyCandidatesAndTheirPartners) {
    HostileFolder folder;
    std::map<std::string, std::int64_t> times;
    std::int64_t age = 1000000;
    std::vector<std::string> deletableMp4;
    const std::vector<std::string> titles = HostileTitles();
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const std::string& title = titles[i];
        // Each .mp4 alone is over the limit; partners in varied case.
        MakeLargeFile(folder.In(title + ".mp4"), 2 * kMiB);
        WriteFile(folder.In(title + (i % 2 ? ".JPG" : ".jpg")), "thumb");
        WriteFile(folder.In(title + ".flv"), "input");
        times[title + ".mp4"] = age++;
        deletableMp4.push_back(title + ".mp4");
    }
    for (const std::string& title : AddTrickyEntries(folder, ".mp4")) {
        times[title + ".mp4"] = age++;
        if (title != "dir")
            deletableMp4.push_back(title + ".mp4");
    }
    AddTrickyEntries(folder, ".jpg");
    // A .mp4 whose partner is a directory (the last to go: alone over the
    // limit), .jpg files without an .mp4, and names a glob made from a
    // title would catch.
    MakeLargeFile(folder.In("dirpartner.mp4"), 2 * kMiB);
    mkdir(folder.In("dirpartner.jpg").c_str(), 0755);
    times["dirpartner.mp4"] = age++;
    deletableMp4.push_back("dirpartner.mp4");
    MakeLargeFile(folder.In("lonely.jpg"), kMiB / 2);
    WriteFile(folder.In("plain.jpg.jpg"), "x");
    WriteFile(folder.In("plainx.jpg"), "x");
    // The directory dir.mp4 is the newest .mp4: the pass ends on it.
    times["dir.mp4"] = age++;

    const auto outsideBefore = folder.OutsideSnapshot();
    std::vector<std::string> before = ListFolder(folder.watch);
    std::cout << "[ figures ] quota folder entries: " << before.size() << std::endl;

    // Expected: every deletable .mp4 gone, every non-directory .jpg whose name
    // is the title of one of them plus ".jpg" (case ignored) gone, all else kept.
    std::set<std::string> expectedGone(deletableMp4.begin(), deletableMp4.end());
    for (const std::string& name : before) {
        if (!MatchesMask(name, "*.jpg"))
            continue;
        struct stat info;
        if (lstat(folder.In(name).c_str(), &info) != 0 || S_ISDIR(info.st_mode))
            continue;
        for (const std::string& mp4 : deletableMp4)
            if (EqualsIgnoringAsciiCase(name, FileTitle(mp4) + ".jpg"))
                expectedGone.insert(name);
    }
    std::set<std::string> expectedLeft;
    for (const std::string& name : before)
        if (!expectedGone.count(name))
            expectedLeft.insert(name);

    SharedState state;
    PublishSettings(state, {folder.watch + "/", "unused", 1});
    TestPlatform platform;
    platform.FixCreationTimes(times);
    EnforceSizeLimit(platform, state);
    EnforceSizeLimit(platform, state); // again: the blocked folder stays as it is

    const std::vector<std::string> after = ListFolder(folder.watch);
    EXPECT_EQ(std::set<std::string>(after.begin(), after.end()), expectedLeft);

    EXPECT_TRUE(Exists(folder.In("dir.mp4/inside")));
    EXPECT_TRUE(Exists(folder.In("dir.jpg/inside")));
    EXPECT_EQ(folder.OutsideSnapshot(), outsideBefore);
    ExpectOnlyInside(platform, folder.watch);
    for (const TestPlatform::Removal& removal : platform.Removals())
        EXPECT_FALSE(MatchesMask(removal.path, "*.flv")) << removal.path;
}

// What an upload makes of sizes and names: a sparse file counts the blocks
// it takes, a file with several names counts once, and the .jpg of another
// title alike but for case stays with its own .mp4.
TEST(HostileFolderTest, QuotaCountsTheSpaceTakenAndTheExactPartner) {
    const std::uint64_t kKiB = 1024;
    const auto pairs = [](const HostileFolder& folder) {
        for (const char* title : {"p1", "p2", "p3"}) {
            MakeLargeFile(folder.In(std::string(title) + ".mp4"), 100 * kKiB);
            WriteFile(folder.In(std::string(title) + ".jpg"), "thumb");
        }
    };
    const struct {
        const char* what;
        std::function<void(const HostileFolder&)> make;
        std::uint32_t limit;
        std::vector<std::string> left;
    } cases[] = {
        {"a sparse .mp4 of 200 GiB",
         [&](const HostileFolder& folder) {
             pairs(folder);
             MakeSparseFile(folder.In("zzz.mp4"), 200 * kMiB * 1024);
         },
         100,
         {"p1.jpg", "p1.mp4", "p2.jpg", "p2.mp4", "p3.jpg", "p3.mp4", "zzz.mp4"}},
        {"five names of one 9 MB .mp4",
         [&](const HostileFolder& folder) {
             pairs(folder);
             MakeLargeFile(folder.In("l1.mp4"), 9000000);
             for (const char* name : {"l2.mp4", "l3.mp4", "l4.mp4", "l5.mp4"})
                 ASSERT_EQ(link(folder.In("l1.mp4").c_str(), folder.In(name).c_str()), 0);
         },
         10,
         {"l1.mp4", "l2.mp4", "l3.mp4", "l4.mp4", "l5.mp4", "p1.jpg", "p1.mp4", "p2.jpg", "p2.mp4",
          "p3.jpg", "p3.mp4"}},
        {"a.mp4 beside A.mp4 and its A.JPG",
         [](const HostileFolder& folder) {
             MakeLargeFile(folder.In("a.mp4"), 2 * kMiB);
             WriteFile(folder.In("A.mp4"), "newer");
             WriteFile(folder.In("A.JPG"), "thumb of A");
         },
         1,
         {"A.JPG", "A.mp4"}},
    };
    for (const auto& [what, make, limit, left] : cases) {
        HostileFolder folder;
        make(folder);
        SharedState state;
        PublishSettings(state, {folder.watch + "/", "unused", limit});
        TestPlatform platform;
        // The pairs and a.mp4 are the oldest: they would go first.
        platform.FixCreationTimes({{"p1.mp4", 10}, {"p2.mp4", 20}, {"p3.mp4", 30}, {"a.mp4", 10}});
        EnforceSizeLimit(platform, state);
        std::vector<std::string> after = ListFolder(folder.watch);
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, left) << what;
    }
}

TEST(HostileFolderTest, FolderNotWritableDeletesNothing) {
    HostileFolder folder;
    MakeLargeFile(folder.In("a.mp4"), 2 * kMiB);
    WriteFile(folder.In("a.jpg"), "thumb");
    chmod(folder.watch.c_str(), 0555);
    const int status = RunAsNobody([&] {
        SharedState state;
        PublishSettings(state, {folder.watch + "/", "unused", 1});
        TestPlatform platform;
        EnforceSizeLimit(platform, state);
        const auto removals = platform.Removals();
        return removals.size() == 1 && !removals[0].removed ? 0 : 1;
    });
    if (status < 0)
        GTEST_SKIP() << "needs root to run the pass as another user";
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Exists(folder.In("a.mp4")));
    EXPECT_TRUE(Exists(folder.In("a.jpg")));
}

} // namespace
} // namespace reliability
