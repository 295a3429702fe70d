// How much the worker's scan and one quota repetition cost over real folders
// of 1,000, 10,000 and 100,000 entries, and a quota pass that deletes half of
// 1,000, 4,000 and 16,000 pairs, each beside a floor measured in the same run
// over the same folder, with a table of the ratios at the end.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench_folder.h"
#include "core/convert_worker.h"
#include "core/platform_port.h"
#include "core/shared_state.h"
#include "core/size_limit.h"
#include "floor_scan.h"
#include "platform/the_platform.h"

namespace {

constexpr std::size_t kSizes[] = {1000, 10000, 100000};
constexpr std::size_t kPairCounts[] = {1000, 4000, 16000};

// The real platform for searching and the clock; starting a converter
// always fails and deleting never happens, and pauses take no time. Its
// watch tells no names, so that every cycle lists the folder, and it claims
// no folder.
class BenchPlatform final : public SystemPlatform {
  public:
    bool RemoveWritableFile(const std::string&) override {
        ++removals;
        return false;
    }
    void SleepMs(unsigned) override {}
    FolderChanges WatchFolder(const std::string& folder) override {
        return Platform::WatchFolder(folder);
    }
    PauseEnd Pause(unsigned milliseconds, bool untilFolderChange) override {
        return Platform::Pause(milliseconds, untilFolderChange);
    }
    FolderClaim ClaimFolder(const std::string& folder) override {
        return Platform::ClaimFolder(folder);
    }
    RecordingProbe ProbeRecording(const std::string&) override { return {WriteState::Closed}; }
    ConverterStart StartHidden(const std::string&, const std::string&, const ConverterEnvironment&,
                               const OpenedRecording*) override {
        ++starts;
        return {};
    }

    std::int64_t starts = 0;
    std::int64_t removals = 0;
};

std::map<std::size_t, std::unique_ptr<BenchFolder>> g_folders;

const std::string& BenchFolderOf(std::size_t entries) {
    std::unique_ptr<BenchFolder>& folder = g_folders[entries];
    if (!folder)
        folder = std::make_unique<BenchFolder>(entries);
    return folder->Path();
}

// The floors check that they saw what the folder holds.
void FloorFlv(benchmark::State& run, std::size_t entries) {
    const std::string& folder = BenchFolderOf(entries);
    FloorResult result;
    for (auto _ : run) {
        result = FloorScan(folder, {".flv"});
        benchmark::DoNotOptimize(result);
    }
    if (result.matches != BenchFolder::kRecordings)
        run.SkipWithError("the floor missed recordings");
}

// One whole cycle: the *.flv search and the choice of the oldest, the quota
// pass (off), the converting status and a start attempt.
void WorkerScan(benchmark::State& run, std::size_t entries) {
    const std::string& folder = BenchFolderOf(entries);
    BenchPlatform platform;
    SharedState state;
    PublishSettings(state, {folder, "converter", 0});
    ConvertWorker worker(platform, state);
    for (auto _ : run)
        worker.RunCycle();
    if (platform.starts != static_cast<std::int64_t>(run.iterations()))
        run.SkipWithError("a cycle chose no recording");
}

void FloorMp4Jpg(benchmark::State& run, std::size_t entries) {
    const std::string& folder = BenchFolderOf(entries);
    FloorResult result;
    for (auto _ : run) {
        result = FloorScan(folder, {".mp4", ".jpg"});
        benchmark::DoNotOptimize(result);
    }
    if (result.matches != entries - BenchFolder::kRecordings)
        run.SkipWithError("the floor missed .mp4 or .jpg files");
}

// One repetition: the *.mp4 and *.jpg searches, the total and the oldest
// .mp4; the limit is far above the total, so nothing is deleted.
void QuotaRepetition(benchmark::State& run, std::size_t entries) {
    const std::string& folder = BenchFolderOf(entries);
    BenchPlatform platform;
    SharedState state;
    PublishSettings(state, {folder, "converter", INT32_MAX});
    for (auto _ : run)
        EnforceSizeLimit(platform, state);
    if (platform.removals != 0)
        run.SkipWithError("the quota pass tried to delete");
}

// The real platform with a clock 2 s ahead, so that the pairs just made
// count as older than the pass. The pairs are sparse, so that thousands of
// them take no disk; they count at their size all the same.
class QuotaPlatform final : public SystemPlatform {
  public:
    void FindEntries(const std::string& pattern,
                     const std::function<void(const DirEntry&)>& visit) override {
        SystemPlatform::FindEntries(pattern, [&](const DirEntry& listed) {
            DirEntry entry = listed;
            entry.allocated = entry.size;
            visit(entry);
        });
    }
    bool RemoveWritableFile(const std::string& path) override {
        const bool removed = SystemPlatform::RemoveWritableFile(path);
        removals += removed ? 1 : 0;
        return removed;
    }
    std::int64_t Now() override { return SystemPlatform::Now() + 2; }

    std::int64_t removals = 0;
};

// The floor of a pass: one listing of the .mp4 and .jpg entries, then the
// deletion of the pairs that a pass deletes.
void FloorQuotaPass(benchmark::State& run, std::size_t pairs) {
    PairFolder folder(pairs);
    for (auto _ : run) {
        run.PauseTiming();
        folder.Refill();
        run.ResumeTiming();
        benchmark::DoNotOptimize(FloorScan(folder.Path(), {".mp4", ".jpg"}));
        for (std::size_t i = 0; i < pairs / 2; ++i) {
            const std::string stem = folder.Path() + "pair " + std::to_string(i);
            unlink((stem + ".mp4").c_str());
            unlink((stem + ".jpg").c_str());
        }
    }
}

// A whole pass over `pairs` pairs of 1 MiB with a limit of half that: it
// deletes half the pairs.
void QuotaPass(benchmark::State& run, std::size_t pairs) {
    PairFolder folder(pairs);
    QuotaPlatform platform;
    SharedState state;
    PublishSettings(state, {folder.Path(), "converter", static_cast<std::uint32_t>(pairs / 2)});
    for (auto _ : run) {
        run.PauseTiming();
        folder.Refill();
        run.ResumeTiming();
        EnforceSizeLimit(platform, state);
    }
    if (platform.removals != static_cast<std::int64_t>(run.iterations() * pairs))
        run.SkipWithError("the pass did not delete half the pairs");
}

std::string NameOf(const char* job, std::size_t entries) {
    return std::string(job) + "/" + std::to_string(entries);
}

struct Times {
    double cpu = 0.0; // seconds per run
    double real = 0.0;
};

// The console report, keeping for the table the times of each benchmark: the
// median when it ran with repetitions, otherwise its single run.
class RatioReporter final : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median) {
                const double toSeconds = 1.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
                m_times[run.run_name.function_name] = {run.GetAdjustedCPUTime() * toSeconds,
                                                       run.GetAdjustedRealTime() * toSeconds};
            }
        }
    }

    void PrintRatios() const {
        std::printf("\nMicroseconds per run (median of the repetitions); ratio = engine / floor\n");
        std::printf("%-17s %8s | %10s %10s %6s | %10s %10s %6s\n", "", "", "cpu time", "", "",
                    "real time", "", "");
        std::printf("%-17s %8s | %10s %10s %6s | %10s %10s %6s\n", "job", "entries", "floor",
                    "engine", "ratio", "floor", "engine", "ratio");
        for (const auto& [job, floor] : {std::pair{"worker_scan", "floor_flv"},
                                         std::pair{"quota_repetition", "floor_mp4_jpg"}})
            for (std::size_t entries : kSizes)
                PrintRow(job, floor, entries);
        for (std::size_t pairs : kPairCounts)
            PrintRow("quota_pass", "floor_quota_pass", pairs);
    }

  private:
    void PrintRow(const char* job, const char* floorJob, std::size_t entries) const {
        const auto engine = m_times.find(NameOf(job, entries));
        const auto floor = m_times.find(NameOf(floorJob, entries));
        if (engine == m_times.end() || floor == m_times.end())
            return;
        const Times& e = engine->second;
        const Times& f = floor->second;
        std::printf("%-17s %8zu | %10.1f %10.1f %6.2f | %10.1f %10.1f %6.2f\n", job, entries,
                    f.cpu * 1e6, e.cpu * 1e6, e.cpu / f.cpu, f.real * 1e6, e.real * 1e6,
                    e.real / f.real);
    }

    std::map<std::string, Times> m_times;
};

void Register(const char* job, void (*function)(benchmark::State&, std::size_t),
              std::size_t entries) {
    benchmark::RegisterBenchmark(NameOf(job, entries).c_str(), function, entries);
}

void RegisterAll() {
    // Each engine figure right after its floor, folder by folder.
    for (std::size_t entries : kSizes) {
        Register("floor_flv", FloorFlv, entries);
        Register("worker_scan", WorkerScan, entries);
        Register("floor_mp4_jpg", FloorMp4Jpg, entries);
        Register("quota_repetition", QuotaRepetition, entries);
    }
    for (std::size_t pairs : kPairCounts) {
        Register("floor_quota_pass", FloorQuotaPass, pairs);
        Register("quota_pass", QuotaPass, pairs);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::SetDefaultTimeUnit(benchmark::kMicrosecond);
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    g_folders.clear();
    return 0;
}
