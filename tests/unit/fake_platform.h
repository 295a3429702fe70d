// A folder, a clock and a process table in memory, for testing the worker and
// the quota pass without an operating system.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/file_name.h"
#include "core/platform_port.h"

class FakePlatform : public Platform {
  public:
    struct File {
        std::string name;
        std::int64_t created = 0;
        std::uint64_t size = 0;
        bool directory = false;
        bool readOnly = false;
        std::int64_t modified = 0;
        WriteState writing = WriteState::Closed; // what the probe answers
        bool usableName = true;
        std::string identity = {}; // empty: the name
        bool locked = false;       // deleting fails, as for a file in use
        bool link = false;
        std::uint64_t allocated = ~std::uint64_t{0}; // set aside on disk; unknown by default
        std::string fileId = {};                     // shared by the names of one file

        bool operator==(const File&) const = default;
    };

    // Entries of `folder`, in listing order. Patterns for other folders find
    // nothing.
    std::string folder;
    std::vector<File> files;
    std::int64_t now = 100000;
    bool startFails = false;
    std::string refusedTitle; // a title the start refuses to pass
    LeadByteTest leadBytes = nullptr;
    std::vector<std::string> aliases; // paths that name an entry of another name
    // True: the watch tells which entries changed since it was last asked,
    // as inotify does; false: it never can, and the worker lists the folder.
    bool watchTellsNames = false;

    // Called while the worker waits for a converter, with its command line.
    std::function<void(const std::string&)> onConvert;
    // Called after each successful deletion.
    std::function<void(const std::string&)> onRemove;

    std::vector<std::string> patterns; // every search, in order
    std::vector<std::string> started;  // every command line started
    ConverterEnvironment environment;  // that of the last start
    std::vector<std::string> removed;  // every path deleted
    std::vector<std::string> probed;   // every path probed for writers
    std::vector<std::string> handed;   // the recording handed to each start, "" for none
    int openRecordings = 0;            // recordings opened by the probe and not yet closed
    std::vector<unsigned> sleeps;      // every pause and sleep, in milliseconds
    std::vector<std::string> watched;  // every folder watched, in order
    std::vector<std::string> claimed;  // every folder claimed, in order
    FolderClaim claim;                 // what each claim answers
    int wakes = 0;                     // calls of WakePause
    // Changes of the folder that end idle pauses, in order: how many
    // milliseconds into its pause each comes, and what it does.
    struct Change {
        unsigned at;
        std::function<void()> effect;
    };
    std::vector<Change> changes;

    File& Add(std::string name, std::int64_t created, std::uint64_t size = 0) {
        files.push_back({std::move(name), created, size});
        return files.back();
    }
    File* Find(const std::string& name) {
        for (File& f : files)
            if (f.name == name)
                return &f;
        return nullptr;
    }
    bool Has(const std::string& name) const {
        for (const File& f : files)
            if (f.name == name)
                return true;
        return false;
    }

    void FindEntries(const std::string& pattern,
                     const std::function<void(const DirEntry&)>& visit) override {
        patterns.push_back(pattern);
        if (pattern.compare(0, folder.size(), folder) != 0)
            return;
        const std::string mask = pattern.substr(folder.size());
        if (mask.find(kPathSeparator) != std::string::npos)
            return;
        const std::vector<File> listed = files; // the visitor may change the folder
        for (const File& f : listed)
            if (MatchesMask(f.name, mask))
                visit(Described(f));
    }

    std::optional<DirEntry> LookUpEntry(const std::string& lookedUpFolder,
                                        const std::string& identity) override {
        for (const File& f : files)
            if (lookedUpFolder == folder && IdentityOf(f) == identity)
                return Described(f);
        return std::nullopt;
    }

    bool RemoveWritableFile(const std::string& path) override {
        if (path.compare(0, folder.size(), folder) != 0)
            return false;
        const std::string name = path.substr(folder.size());
        for (auto it = files.begin(); it != files.end(); ++it) {
            // File names compare as the quota pass formed them: exactly.
            if (it->name == name && !it->directory && !it->readOnly && !it->locked) {
                files.erase(it);
                removed.push_back(path);
                if (onRemove)
                    onRemove(path);
                return true;
            }
        }
        return false;
    }

    std::int64_t Now() override { return now; }

    void SleepMs(unsigned milliseconds) override {
        sleeps.push_back(milliseconds);
        now += milliseconds / 1000;
    }

    // Told by name: every entry that differs from what the previous call
    // saw of the same folder.
    FolderChanges WatchFolder(const std::string& watchedFolder) override {
        watched.push_back(watchedFolder);
        std::map<std::string, File> present;
        for (const File& f : files)
            if (watchedFolder == folder)
                present.emplace(IdentityOf(f), f);
        FolderChanges changes;
        changes.named = watchTellsNames && m_seen && m_seenFolder == watchedFolder;
        if (changes.named) {
            for (const auto& [identity, file] : present) {
                const auto before = m_seen->find(identity);
                if (before == m_seen->end() || !(before->second == file))
                    changes.changed.push_back(identity);
            }
            for (const auto& [identity, file] : *m_seen)
                if (!present.count(identity))
                    changes.gone.push_back(identity);
        }
        m_seen = std::move(present);
        m_seenFolder = watchedFolder;
        return changes;
    }

    PauseEnd Pause(unsigned milliseconds, bool untilFolderChange) override {
        if (!untilFolderChange || changes.empty() || changes.front().at >= milliseconds) {
            SleepMs(milliseconds);
            return PauseEnd::TimedOut;
        }
        const Change change = changes.front();
        changes.erase(changes.begin());
        sleeps.push_back(milliseconds);
        now += change.at / 1000;
        if (change.effect)
            change.effect();
        return PauseEnd::FolderChanged;
    }

    void WakePause() override { ++wakes; }

    FolderClaim ClaimFolder(const std::string& claimedFolder) override {
        claimed.push_back(claimedFolder);
        return claim;
    }

    RecordingProbe ProbeRecording(const std::string& path) override {
        probed.push_back(path);
        const File* file = Find(path.substr(folder.size()));
        if (!file)
            return {WriteState::Gone};
        if (file->writing != WriteState::Closed && file->writing != WriteState::Unknown)
            return {file->writing};
        return {file->writing, std::make_unique<Recording>(*this, path)};
    }

    bool NamesAnotherEntry(const std::string& path) override {
        return std::find(aliases.begin(), aliases.end(), path) != aliases.end();
    }

    ConverterStart StartHidden(const std::string& program, const std::string& title,
                               const ConverterEnvironment& env,
                               const OpenedRecording* recording) override {
        if (title == refusedTitle)
            return {nullptr, true};
        if (startFails)
            return {};
        const std::string commandLine = program + " " + title;
        started.push_back(commandLine);
        environment = env;
        const auto* opened = dynamic_cast<const Recording*>(recording);
        handed.push_back(opened ? opened->path : "");
        return {std::make_unique<Process>(*this, commandLine)};
    }

    LeadByteTest LeadBytes() const override { return leadBytes; }

  private:
    static std::string IdentityOf(const File& f) {
        return f.identity.empty() ? f.name : f.identity;
    }
    static DirEntry Described(const File& f) {
        return {f.name,      IdentityOf(f), f.created,    f.directory ? 0 : f.size,
                f.directory, f.modified,    f.usableName, f.readOnly && !f.directory,
                f.link,      f.allocated,   f.fileId};
    }

    // The folder as the last watch saw it, by identity.
    std::optional<std::map<std::string, File>> m_seen;
    std::string m_seenFolder;

    struct Recording : OpenedRecording {
        Recording(FakePlatform& owner, std::string openedPath)
            : owner(owner), path(std::move(openedPath)) {
            ++owner.openRecordings;
        }
        ~Recording() override { --owner.openRecordings; }
        FakePlatform& owner;
        std::string path;
    };

    class Process : public ConverterProcess {
      public:
        Process(FakePlatform& owner, std::string commandLine)
            : m_owner(owner), m_commandLine(std::move(commandLine)) {}
        void Wait() override {
            if (m_owner.onConvert)
                m_owner.onConvert(m_commandLine);
        }

      private:
        FakePlatform& m_owner;
        std::string m_commandLine;
    };
};
