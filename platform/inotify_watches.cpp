#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/error.h"
#include "platform/folder_watches.h"
#include "platform/scoped_fd.h"

namespace quillory {

namespace {

constexpr uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_MODIFY |
                                IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW |
                                IN_EXCL_UNLINK;
// Room for about two thousand notices per read.
constexpr size_t kReadBytes = 64 * 1024;
// Reads per Wait: a flood of notices is handed over in parts.
constexpr int kReadsPerWait = 16;

uint32_t KindsOf(const struct inotify_event& event) {
    const uint32_t mask = event.mask;
    if (mask & IN_Q_OVERFLOW) return kWatchOverflow;
    if (mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED)) return kFolderGone;
    if (event.len == 0) return (mask & IN_ATTRIB) ? uint32_t{kFolderChanged} : 0;
    uint32_t kinds = 0;
    if (mask & (IN_CREATE | IN_MOVED_TO)) kinds |= kItemAdded;
    if (mask & (IN_DELETE | IN_MOVED_FROM)) kinds |= kItemRemoved;
    if (mask & (IN_ATTRIB | IN_MODIFY | IN_CLOSE_WRITE)) kinds |= kItemChanged;
    if (kinds != 0 && (mask & IN_ISDIR)) kinds |= kItemIsFolder;
    return kinds;
}

class InotifyWatches final : public FolderWatches {
  public:
    InotifyWatches(int notices, int wake) : notices_(notices), wake_(wake), buffer_(new char[kReadBytes]) {}

    int Add(const std::string& path) override {
        const int watch = inotify_add_watch(notices_.Get(), path.c_str(), kWatchMask);
        return watch >= 0 ? watch : -errno;
    }

    void Remove(int watch) override { inotify_rm_watch(notices_.Get(), watch); }

    void Wait(int timeoutMs, const Sink& sink) override {
        struct pollfd fds[2] = {{notices_.Get(), POLLIN, 0}, {wake_.Get(), POLLIN, 0}};
        if (::poll(fds, 2, timeoutMs) <= 0) return;
        if (fds[1].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(wake_.Get(), &count, sizeof count);
        }
        if (fds[0].revents & POLLIN) ReadReady(sink);
    }

    void Wake() override {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_.Get(), &one, sizeof one);
    }

  private:
    void ReadReady(const Sink& sink) {
        for (int reads = 0; reads < kReadsPerWait; ++reads) {
            const ssize_t n = ::read(notices_.Get(), buffer_.get(), kReadBytes);
            if (n <= 0) return;  // EAGAIN: all read
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const struct inotify_event*>(buffer_.get() + at);
                at += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
                const uint32_t kinds = KindsOf(*event);
                if (kinds == 0) continue;
                // The name is padded with NUL bytes to an aligned length.
                sink({kinds == kWatchOverflow ? -1 : event->wd, kinds,
                      std::string_view(event->name, event->len == 0 ? 0 : strnlen(event->name, event->len))});
            }
        }
    }

    ScopedFd notices_;
    ScopedFd wake_;
    std::unique_ptr<char[]> buffer_;
};

}  // namespace

std::unique_ptr<FolderWatches> OpenSystemFolderWatches() {
    const int notices = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (notices < 0) throw SystemError("Cannot watch folders for changes", errno);
    const int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0) {
        const int code = errno;
        close(notices);
        throw SystemError("Cannot watch folders for changes", code);
    }
    return std::make_unique<InotifyWatches>(notices, wake);
}

}  // namespace quillory
