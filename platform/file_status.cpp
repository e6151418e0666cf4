#include "platform/file_status.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>

namespace quillory {

namespace {

char TypeLetter(mode_t mode) {
    if (S_ISDIR(mode)) return 'd';
    if (S_ISLNK(mode)) return 'l';
    if (S_ISCHR(mode)) return 'c';
    if (S_ISBLK(mode)) return 'b';
    if (S_ISFIFO(mode)) return 'p';
    if (S_ISSOCK(mode)) return 's';
    return '-';
}

FileTime TimeOf(const struct statx_timestamp& time) {
    return FileTime{time.tv_sec, time.tv_nsec};
}

}  // namespace

std::optional<FileStatusDetails> ReadFileStatus(const std::string& path) {
    struct statx status {};
    if (path.empty() ||
        statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
              STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME, &status) != 0) {
        return std::nullopt;
    }
    FileStatusDetails details;
    details.mode = status.stx_mode;
    details.folder = S_ISDIR(status.stx_mode);
    details.size = status.stx_size;
    details.modified = TimeOf(status.stx_mtime);
    details.accessed = TimeOf(status.stx_atime);
    details.created = TimeOf((status.stx_mask & STATX_BTIME) ? status.stx_btime : status.stx_mtime);
    return details;
}

std::string PermissionsText(uint32_t mode) {
    std::string text(1, TypeLetter(static_cast<mode_t>(mode)));
    const char letters[] = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit) text.push_back(mode & (0400u >> bit) ? letters[bit] : '-');
    // The set-user, set-group and sticky bits replace the execute letters, as ls shows them.
    if (mode & S_ISUID) text[3] = (mode & S_IXUSR) ? 's' : 'S';
    if (mode & S_ISGID) text[6] = (mode & S_IXGRP) ? 's' : 'S';
    if (mode & S_ISVTX) text[9] = (mode & S_IXOTH) ? 't' : 'T';
    char octal[16];
    std::snprintf(octal, sizeof octal, " (%o)", static_cast<unsigned>(mode & 07777));
    return text + octal;
}

}  // namespace quillory
