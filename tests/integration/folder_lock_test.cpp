// The watch folder's lock on real folders and processes: one process at a
// time holds a folder, the others learn its PID; only those who may write
// the folder can open the lock file; nothing but a plain file is a lock.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/folder_lock.h"
#include "processes.h"
#include "support.h"

namespace {

using namespace test_support;
using State = FolderClaim::State;

// Another process that claims a folder and holds it until Release.
class OtherProcess {
  public:
    explicit OtherProcess(const std::string& folder) {
        int claimed[2], release[2];
        if (pipe(claimed) != 0 || pipe(release) != 0)
            ADD_FAILURE() << "pipe";
        m_pid = fork();
        if (m_pid == 0) {
            const char state = static_cast<char>(ClaimWatchFolder(folder).state);
            if (write(claimed[1], &state, 1) != 1)
                _exit(1);
            close(release[1]);
            char byte;
            _exit(read(release[0], &byte, 1) == 0 ? 0 : 1);
        }
        close(claimed[1]);
        close(release[0]);
        m_release = release[1];
        char state = -1;
        if (read(claimed[0], &state, 1) == 1)
            m_state = static_cast<State>(state);
        close(claimed[0]);
    }
    ~OtherProcess() { Release(); }

    State Claimed() const { return m_state; }
    pid_t Pid() const { return m_pid; }

    void Release() {
        if (m_release < 0)
            return;
        close(m_release);
        m_release = -1;
        waitpid(m_pid, nullptr, 0);
    }

  private:
    pid_t m_pid = -1;
    int m_release = -1;
    State m_state = State::NoLock;
};

TEST(FolderLockTest, OneProcessAtATimeHoldsAFolderAndTheOthersLearnItsPid) {
    TempFolder a, b;
    {
        OtherProcess other(a.Prefix());
        ASSERT_EQ(other.Claimed(), State::Held);
        const FolderClaim claim = ClaimWatchFolder(a.Prefix());
        EXPECT_EQ(claim.state, State::HeldElsewhere);
        EXPECT_EQ(claim.ownerPid, other.Pid());
        EXPECT_EQ(ClaimWatchFolder(b.Prefix()).state, State::Held);
    }
    // Its holder gone, the folder is free; claiming it gives up the other.
    EXPECT_EQ(ClaimWatchFolder(a.Prefix()).state, State::Held);
    EXPECT_EQ(OtherProcess(b.Prefix()).Claimed(), State::Held);
    EXPECT_EQ(OtherProcess(a.Prefix()).Claimed(), State::HeldElsewhere);
    EXPECT_EQ(ClaimWatchFolder(a.Prefix()).state, State::Held); // asked again: still held

    // A lock file replaced under the holder guards nothing: the holder
    // claims the new one, so the folder stays its own.
    a.Touch("new.lock");
    ASSERT_EQ(rename((a / "new.lock").c_str(), (a / kFolderLockName).c_str()), 0);
    EXPECT_EQ(ClaimWatchFolder(a.Prefix()).state, State::Held);
    EXPECT_EQ(OtherProcess(a.Prefix()).Claimed(), State::HeldElsewhere);
}

TEST(FolderLockTest, OnlyThoseWhoMayWriteTheFolderCanOpenTheLockFile) {
    const struct {
        mode_t folder;
        mode_t lock;
    } cases[] = {
        {0755, 0600},
        {0775, 0660},
        {0777, 0666},
        {01733, 0666},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        ASSERT_EQ(chmod(folder.Path().c_str(), c.folder), 0);
        ASSERT_EQ(ClaimWatchFolder(folder.Prefix()).state, State::Held);
        struct stat lock;
        ASSERT_EQ(lstat((folder / kFolderLockName).c_str(), &lock), 0);
        EXPECT_EQ(lock.st_mode & 07777, c.lock) << std::oct << c.folder;
    }

    // As root: the file goes to the folder's owner, and a user who may only
    // read the folder can neither open the file nor make one.
    TempFolder theirs, readOnly;
    ASSERT_EQ(chmod(readOnly.Path().c_str(), 0755), 0);
    ASSERT_EQ(ClaimWatchFolder(readOnly.Prefix()).state, State::Held);
    if (chown(theirs.Path().c_str(), 65534, 65534) != 0)
        GTEST_SKIP() << "not root";
    ASSERT_EQ(ClaimWatchFolder(theirs.Prefix()).state, State::Held);
    struct stat lock;
    ASSERT_EQ(lstat((theirs / kFolderLockName).c_str(), &lock), 0);
    EXPECT_EQ(lock.st_uid, 65534u);
    TempFolder empty;
    ASSERT_EQ(chmod(empty.Path().c_str(), 0755), 0);
    EXPECT_EQ(RunAsNobody([&] {
                  const int fd = open((readOnly / kFolderLockName).c_str(), O_RDONLY);
                  const bool none = ClaimWatchFolder(empty.Prefix()).state == State::NoLock &&
                                    !Exists(empty / kFolderLockName);
                  return fd < 0 && none ? 0 : 1;
              }),
              0);
}

TEST(FolderLockTest, WhatIsNoPlainFileOfItsOwnGivesNoLockAndIsLeftAlone) {
    TempFolder outside;
    outside.Touch("target");
    const struct {
        const char* what;
        std::function<void(const TempFolder&)> make;
    } cases[] = {
        {"a link",
         [&](const TempFolder& f) {
             ASSERT_EQ(symlink((outside / "target").c_str(), (f / kFolderLockName).c_str()), 0);
         }},
        {"a folder",
         [](const TempFolder& f) { ASSERT_EQ(mkdir((f / kFolderLockName).c_str(), 0755), 0); }},
        {"a FIFO",
         [](const TempFolder& f) { ASSERT_EQ(mkfifo((f / kFolderLockName).c_str(), 0666), 0); }},
        {"a file with a second name",
         [&](const TempFolder& f) {
             f.Touch(kFolderLockName);
             ASSERT_EQ(link((f / kFolderLockName).c_str(), (outside / "second").c_str()), 0);
         }},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        c.make(folder);
        EXPECT_EQ(ClaimWatchFolder(folder.Prefix()).state, State::NoLock) << c.what;
        EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{kFolderLockName}) << c.what;
        RemoveTree(outside / "second");
    }
    EXPECT_EQ(ReadFile(outside / "target"), "");
    EXPECT_EQ(ClaimWatchFolder(outside / "missing/").state, State::NoLock);
    EXPECT_FALSE(Exists(outside / "missing"));
}

} // namespace
