#include "platform/trash.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/error.h"
#include "platform/scoped_fd.h"

namespace quillory {

namespace {

std::string ParentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

// `path` as a real folder (made with mode 0700 when missing), never a link to one elsewhere.
int MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) == 0) return 0;
    if (errno != EEXIST) return errno;
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return errno;
    return S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
}

int PrepareTrash(const std::string& trash) {
    if (const int error = MakeFolder(trash)) return error;
    if (const int error = MakeFolder(trash + "/files")) return error;
    return MakeFolder(trash + "/info");
}

// The home's trash when it lies on `device`.
int HomeTrash(dev_t device, std::string& trash) {
    try {
        const std::string data = ApplicationDataFolder();
        CreateFolderTree(data);
        trash = data + "/Trash";
    } catch (const Error& error) {
        return error.SystemCode() != 0 ? error.SystemCode() : ENOENT;
    }
    if (const int error = PrepareTrash(trash)) return error;
    struct stat status {};
    if (stat(trash.c_str(), &status) != 0) return errno;
    return status.st_dev == device ? 0 : EXDEV;
}

// The trash of the file system on `device` that holds `path`, at the top folder of that
// file system.
int FileSystemTrash(const std::string& path, dev_t device, std::string& trash) {
    std::string top = ParentOf(path);
    while (top != "/") {
        const std::string up = ParentOf(top);
        struct stat status {};
        if (stat(up.c_str(), &status) != 0 || status.st_dev != device) break;
        top = up;
    }
    const std::string base = top == "/" ? std::string() : top;
    const uid_t uid = getuid();
    struct stat status {};
    // A shared ".Trash" counts only when sticky, so no user can take another's folder in it.
    const std::string shared = base + "/.Trash";
    if (lstat(shared.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && (status.st_mode & S_ISVTX)) {
        trash = shared + "/" + std::to_string(uid);
        if (PrepareTrash(trash) == 0 && lstat(trash.c_str(), &status) == 0 && status.st_uid == uid) return 0;
    }
    trash = base + "/.Trash-" + std::to_string(uid);
    if (const int error = MakeFolder(trash)) return error;
    if (lstat(trash.c_str(), &status) != 0) return errno;
    if (status.st_uid != uid) return EACCES;
    return PrepareTrash(trash);
}

// The n-th name tried for `name` in the trash: the name itself, then "report.2.txt" ...
std::string CandidateName(const std::string& name, int n) {
    if (n == 1) return name;
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return name + "." + std::to_string(n);
    return name.substr(0, dot) + "." + std::to_string(n) + name.substr(dot);
}

std::string DeletionDate() {
    const DateTimeParts now = DecodeDateTime(NowDateTime());
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", now.year, now.month,
                                     now.day, now.hour, now.minute, now.second);
    return std::string(text, static_cast<size_t>(length));
}

bool WriteAll(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the no-replace rename: a plain one where the name is free.
    struct stat status {};
    if (lstat(to.c_str(), &status) == 0) return EEXIST;
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

std::string TrashInfoPath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
            byte == '/' || byte == '-' || byte == '.' || byte == '_' || byte == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

int MoveFileToTrash(const std::string& given) {
    std::string path = given;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty() || path.front() != '/' || path == "/") return EINVAL;
    struct stat item {};
    if (lstat(path.c_str(), &item) != 0) return errno;

    std::string trash;
    if (HomeTrash(item.st_dev, trash) != 0) {
        if (const int error = FileSystemTrash(path, item.st_dev, trash)) return error;
    }
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::string info =
        "[Trash Info]\nPath=" + TrashInfoPath(path) + "\nDeletionDate=" + DeletionDate() + "\n";
    // The information file is made first, exclusively: it reserves the name, and a name with
    // no information file is never taken even when "files/" holds it.
    for (int n = 1; n <= 10000; ++n) {
        const std::string candidate = CandidateName(name, n);
        const std::string infoPath = trash + "/info/" + candidate + ".trashinfo";
        ScopedFd fd(open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600));
        if (fd.Get() < 0) {
            if (errno == EEXIST) continue;
            return errno;
        }
        const auto fail = [&](int error) {
            unlink(infoPath.c_str());
            return error;
        };
        if (!WriteAll(fd.Get(), info)) return fail(errno != 0 ? errno : EIO);
        if (!fd.Close()) return fail(errno);
        const int moved = RenameNoReplace(path, trash + "/files/" + candidate);
        if (moved == EEXIST || moved == ENOTEMPTY) {
            unlink(infoPath.c_str());
            continue;
        }
        if (moved != 0) return fail(moved);
        return 0;
    }
    return EEXIST;
}

}  // namespace quillory
