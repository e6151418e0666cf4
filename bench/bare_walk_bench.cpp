// The bare walk: the least a walk of a tree can cost, as the yardstick of quillory-cli scan.
// Two threads share a stack of folders to read; each takes one, lists it with getdents64,
// describes every item with one statx (the same flags and fields the scan asks for), keeps
// the names in its own vector and pushes the subfolders. No catalogue, no order, no filters,
// no database: only the system calls of a walk and the names it has read.
//
// usage: quillory-bare-walk-bench FOLDER [THREADS]
// prints the number of items read (the root itself not counted) on stdout.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr unsigned kStatxMask =
    STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;
constexpr int kStatxFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT;
constexpr size_t kBufferSize = 32 * 1024;

// An open folder, closed when the last subfolder waiting below it has been opened.
struct OpenFolder {
    int fd;
    explicit OpenFolder(int f) : fd(f) {}
    ~OpenFolder() { close(fd); }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
};

struct Pending {
    std::shared_ptr<OpenFolder> parent;
    std::string name;
};

struct Walk {
    std::mutex mutex;
    std::condition_variable ready;
    std::vector<Pending> stack;
    int busy = 0;

    // Takes the next folder; false when every folder has been read.
    bool Take(Pending& out) {
        std::unique_lock lock(mutex);
        ready.wait(lock, [&] { return !stack.empty() || busy == 0; });
        if (stack.empty()) return false;
        out = std::move(stack.back());
        stack.pop_back();
        ++busy;
        return true;
    }

    void Finish(std::vector<Pending>& found) {
        {
            std::lock_guard lock(mutex);
            for (auto it = found.rbegin(); it != found.rend(); ++it) stack.push_back(std::move(*it));
            --busy;
        }
        found.clear();
        ready.notify_all();
    }

    void Read(const Pending& folder, std::vector<std::string>& names, std::vector<Pending>& found,
              std::vector<char>& buffer) {
        const int fd =
            openat(folder.parent->fd, folder.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return;
        auto self = std::make_shared<OpenFolder>(fd);
        for (;;) {
            const ssize_t n = getdents64(fd, buffer.data(), buffer.size());
            if (n <= 0) break;
            for (ssize_t pos = 0; pos < n;) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(buffer.data() + pos);
                pos += entry->d_reclen;
                const char* name = entry->d_name;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
                struct statx st;
                if (statx(fd, name, kStatxFlags, kStatxMask, &st) != 0) continue;
                names.emplace_back(name);
                if (S_ISDIR(st.stx_mode)) found.push_back({self, name});
            }
        }
    }

    void Work(std::vector<std::string>& names) {
        std::vector<char> buffer(kBufferSize);
        std::vector<Pending> found;
        Pending folder;
        while (Take(folder)) {
            Read(folder, names, found, buffer);
            folder = Pending();
            Finish(found);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [THREADS]\n", argv[0]);
        return 2;
    }
    const int threads = argc > 2 ? std::atoi(argv[2]) : 2;
    const int root = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0 || threads < 1) {
        std::perror(argv[1]);
        return 2;
    }
    Walk walk;
    walk.stack.push_back({std::make_shared<OpenFolder>(root), "."});
    std::vector<std::vector<std::string>> names(static_cast<size_t>(threads));
    std::vector<std::thread> workers;
    for (int i = 0; i < threads; ++i)
        workers.emplace_back([&walk, &names, i] { walk.Work(names[size_t(i)]); });
    for (std::thread& worker : workers) worker.join();
    size_t total = 0;
    for (const auto& list : names) total += list.size();
    std::printf("%zu\n", total);
    return 0;
}
