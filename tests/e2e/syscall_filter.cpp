// Runs a program under the system-call rules that the service units give
// kovalin-headless, as systemd would install them, for the tests where
// systemd is not PID 1:
//   syscall_filter ALLOWED-LIST ERRNO PROGRAM ARG...
// ALLOWED-LIST has one system call name per line (SystemCallFilter=); any
// other call fails with ERRNO (SystemCallErrorNumber=), and a call of another
// architecture ends the process (SystemCallArchitectures=native). On top,
// within the allowed calls:
// - RestrictAddressFamilies=AF_UNIX: socket() of another family fails with
//   EAFNOSUPPORT;
// - RestrictNamespaces=yes: clone and unshare with a namespace flag, and
//   setns, fail; clone3, whose flags a filter cannot read, gives ENOSYS;
// - LockPersonality=yes: personality() only reads or keeps PER_LINUX;
// - MemoryDenyWriteExecute=yes: no mapping both writable and executable, no
//   mprotect to executable, no executable shared memory; and the kernel's
//   own rule, PR_SET_MDWE (Linux 6.3);
// - RestrictSUIDSGID=yes: no set-user-ID or set-group-ID bit on a new or
//   changed file.
// Also sets no_new_privs, which a filter needs without privileges.
#include <errno.h>
#include <fcntl.h>
#include <linux/sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/personality.h>
#include <sys/prctl.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

namespace {

#ifndef PR_SET_MDWE
constexpr int PR_SET_MDWE = 65;
constexpr int PR_MDWE_REFUSE_EXEC_GAIN = 1;
#endif

constexpr scmp_datum_t kNamespaceFlags = CLONE_NEWNS | CLONE_NEWCGROUP | CLONE_NEWUTS |
                                         CLONE_NEWIPC | CLONE_NEWUSER | CLONE_NEWPID |
                                         CLONE_NEWNET | CLONE_NEWTIME;
constexpr scmp_datum_t kSetIds = S_ISUID | S_ISGID;

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "syscall_filter: %s\n", what.c_str());
    std::exit(125);
}

class Filter {
  public:
    explicit Filter(int error) : m_context(seccomp_init(SCMP_ACT_ERRNO(error))) {
        if (!m_context)
            Die("seccomp_init");
    }
    ~Filter() { seccomp_release(m_context); }

    // The call, allowed when any one of the conditions holds (none: always).
    void Allow(int call, std::initializer_list<scmp_arg_cmp> anyOf = {}) {
        if (anyOf.size() == 0)
            return Add(SCMP_ACT_ALLOW, call, {});
        for (const scmp_arg_cmp& condition : anyOf)
            Add(SCMP_ACT_ALLOW, call, {condition});
    }
    void Refuse(int call, int error, std::initializer_list<scmp_arg_cmp> when = {}) {
        Add(SCMP_ACT_ERRNO(error), call, when);
    }
    void Load() {
        if (seccomp_load(m_context) != 0)
            Die("seccomp_load");
    }

  private:
    void Add(std::uint32_t action, int call, std::initializer_list<scmp_arg_cmp> when) {
        const int result = seccomp_rule_add_array(m_context, action, call,
                                                  static_cast<unsigned>(when.size()), when.begin());
        if (result != 0)
            Die("a rule for " + std::string(seccomp_syscall_resolve_num_arch(
                                    SCMP_ARCH_NATIVE, call)));
    }
    scmp_filter_ctx m_context;
};

scmp_arg_cmp Masked(unsigned arg, scmp_datum_t mask, scmp_datum_t value) {
    return SCMP_CMP(arg, SCMP_CMP_MASKED_EQ, mask, value);
}

// The rules for one allowed call: plain, or with the conditions above.
void AllowCall(Filter& filter, const std::string& name) {
    const int call = seccomp_syscall_resolve_name(name.c_str());
    if (call == __NR_SCMP_ERROR)
        return; // a call this architecture lacks, as systemd skips it
    const auto is = [&](const char* other) { return name == other; };
    const scmp_datum_t wx = PROT_WRITE | PROT_EXEC;
    if (is("socket") || is("socketpair")) {
        filter.Allow(call, {SCMP_A0(SCMP_CMP_EQ, AF_UNIX)});
        filter.Refuse(call, EAFNOSUPPORT, {SCMP_A0(SCMP_CMP_NE, AF_UNIX)});
    } else if (is("clone")) {
        filter.Allow(call, {Masked(0, kNamespaceFlags, 0)});
    } else if (is("unshare")) {
        filter.Allow(call, {Masked(0, kNamespaceFlags, 0)});
    } else if (is("clone3") || is("openat2")) {
        filter.Refuse(call, ENOSYS);
    } else if (is("setns")) {
        // refused by the default action
    } else if (is("personality")) {
        filter.Allow(call, {SCMP_A0(SCMP_CMP_EQ, PER_LINUX), SCMP_A0(SCMP_CMP_EQ, 0xffffffff)});
    } else if (is("mmap") || is("mmap2")) {
        filter.Allow(call, {Masked(2, wx, 0), Masked(2, wx, PROT_WRITE), Masked(2, wx, PROT_EXEC)});
    } else if (is("mprotect") || is("pkey_mprotect")) {
        filter.Allow(call, {Masked(2, PROT_EXEC, 0)});
    } else if (is("shmat")) {
        filter.Allow(call, {Masked(2, SHM_EXEC, 0)});
    } else if (is("chmod") || is("fchmod") || is("mkdir") || is("creat")) {
        filter.Allow(call, {Masked(1, kSetIds, 0)});
    } else if (is("fchmodat") || is("mkdirat") || is("mknod")) {
        filter.Allow(call, {Masked(name == "mknod" ? 1 : 2, kSetIds, 0)});
    } else if (is("mknodat")) {
        filter.Allow(call, {Masked(2, kSetIds, 0)});
    } else if (is("open")) {
        filter.Allow(call, {Masked(1, O_CREAT, 0), Masked(2, kSetIds, 0)});
    } else if (is("openat")) {
        filter.Allow(call, {Masked(2, O_CREAT, 0), Masked(3, kSetIds, 0)});
    } else {
        filter.Allow(call);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        Die("usage: syscall_filter ALLOWED-LIST ERRNO PROGRAM ARG...");
    std::ifstream list(argv[1]);
    std::set<std::string> names;
    for (std::string name; std::getline(list, name);)
        if (!name.empty())
            names.insert(name);
    if (names.empty())
        Die(std::string("no system calls in ") + argv[1]);

    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        Die("PR_SET_NO_NEW_PRIVS");
    if (prctl(PR_SET_MDWE, PR_MDWE_REFUSE_EXEC_GAIN, 0, 0, 0) != 0)
        Die("PR_SET_MDWE (Linux 6.3 or later)");
    Filter filter(std::atoi(argv[2]));
    for (const std::string& name : names)
        AllowCall(filter, name);
    filter.Load();
    execvp(argv[3], argv + 3);
    Die(std::string("cannot run ") + argv[3]);
}
