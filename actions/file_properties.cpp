#include "actions/file_properties.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>

#include "results/size_text.h"
#include "scan/file_time.h"

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

std::string TimeText(const struct statx_timestamp& time, LocalTimeConverter& converter,
                     const LocaleFormats& formats) {
    DateTime value = 0;
    if (!converter.Convert(FileTime{time.tv_sec, time.tv_nsec}, value)) return {};
    return DateText(value, formats);
}

}  // namespace

std::string PermissionsText(mode_t mode) {
    std::string text(1, TypeLetter(mode));
    const char letters[] = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit) text.push_back(mode & (0400 >> bit) ? letters[bit] : '-');
    // The set-user, set-group and sticky bits replace the execute letters, as ls shows them.
    if (mode & S_ISUID) text[3] = (mode & S_IXUSR) ? 's' : 'S';
    if (mode & S_ISGID) text[6] = (mode & S_IXGRP) ? 's' : 'S';
    if (mode & S_ISVTX) text[9] = (mode & S_IXOTH) ? 't' : 'T';
    char octal[16];
    std::snprintf(octal, sizeof octal, " (%o)", static_cast<unsigned>(mode & 07777));
    return text + octal;
}

std::optional<FilePropertiesText> ReadFileProperties(const std::string& path, const LocaleFormats& formats) {
    struct statx status {};
    if (path.empty() ||
        statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
              STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME, &status) != 0) {
        return std::nullopt;
    }
    FilePropertiesText text;
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos) {
        text.name = trimmed;
    } else {
        text.name = trimmed.substr(slash + 1);
        text.folder = trimmed.substr(0, slash + 1);
    }
    if (text.name.empty()) text.name = trimmed;  // the root folder
    if (!S_ISDIR(status.stx_mode))
        text.size = GroupDigits(static_cast<int64_t>(status.stx_size), formats) + " bytes";
    LocalTimeConverter converter;
    text.modified = TimeText(status.stx_mtime, converter, formats);
    text.accessed = TimeText(status.stx_atime, converter, formats);
    text.created =
        TimeText((status.stx_mask & STATX_BTIME) ? status.stx_btime : status.stx_mtime, converter, formats);
    text.permissions = PermissionsText(status.stx_mode);
    return text;
}

}  // namespace quillory
