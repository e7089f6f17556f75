#pragma once

// Runs a program (the command-line tool) as a separate process in a folder of its own and collects
// what it printed; scratch folders and whole-file reads and writes for the tests of files.

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace dorvanix::testing {

struct ProcessResult {
    int exitCode = -1;  // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// A fresh empty folder, removed with everything in it when the object goes.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "dorvanix-cli-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Names of every entry, hidden ones included.
    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

  private:
    std::filesystem::path path_;
};

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The address and thread sanitizers reserve terabytes of address space, so no limit on it can
// be set.
inline constexpr bool kCanLimitMemory = false;
#else
inline constexpr bool kCanLimitMemory = true;
#endif
// From here on this process cannot make unnamed temporaries: openat with O_TMPFILE fails with
// EOPNOTSUPP, as on NFS or vfat.
inline bool refuseUnnamedTemporaries() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),  // flags, low half
        BPF_STMT(BPF_ALU | BPF_AND | BPF_K, __O_TMPFILE),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __O_TMPFILE, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
    };
    const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Runs `program` with `args` in `folder`, standard output and error caught in files outside it.
// A positive `fileSizeLimit` caps the size of every file the process writes, a positive
// `memoryLimit` its address space (where kCanLimitMemory).
// `outDevice`, when given, takes standard output instead of the capture file. A positive
// `interruptAfterMs` sends `interrupt` that many milliseconds after the start, unless the
// process has ended by then. With
// `noUnnamedTemporaries` the process runs as on a file system without them.
inline ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                                const std::filesystem::path& folder, long fileSizeLimit = 0,
                                const char* outDevice = nullptr, int interruptAfterMs = 0,
                                int interrupt = SIGINT, bool noUnnamedTemporaries = false,
                                long memoryLimit = 0) {
    ScratchFolder capture;
    const std::string outPath = (capture / "stdout").string();
    const std::string errPath = (capture / "stderr").string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outDevice != nullptr ? outDevice : outPath.c_str(),
                               O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || ::chdir(folder.c_str()) != 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (fileSizeLimit > 0) {
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit),
                               static_cast<rlim_t>(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (memoryLimit > 0 && kCanLimitMemory) {
            const rlimit limit{static_cast<rlim_t>(memoryLimit), static_cast<rlim_t>(memoryLimit)};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        if (noUnnamedTemporaries && !refuseUnnamedTemporaries()) ::_exit(127);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    pid_t ended = 0;
    if (pid > 0 && interruptAfterMs > 0) {
        for (int waited = 0; waited < interruptAfterMs && ended == 0; waited += 10) {
            ::usleep(10'000);
            ended = ::waitpid(pid, &status, WNOHANG);
        }
        if (ended == 0) ::kill(pid, interrupt);
    }
    if (pid > 0 && ended == 0) ended = ::waitpid(pid, &status, 0);
    ProcessResult result;
    if (ended == pid && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.out = readBytes(outPath);
    result.err = readBytes(errPath);
    return result;
}

}  // namespace dorvanix::testing
