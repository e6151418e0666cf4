#include "actions/file_properties.h"

#include "platform/file_status.h"
#include "results/size_text.h"
#include "scan/file_time.h"

namespace quillory {

namespace {

std::string TimeText(const FileTime& time, LocalTimeConverter& converter, const LocaleFormats& formats) {
    DateTime value = 0;
    if (!converter.Convert(time, value)) return {};
    return DateText(value, formats);
}

}  // namespace

std::optional<FilePropertiesText> ReadFileProperties(const std::string& path, const LocaleFormats& formats) {
    const std::optional<FileStatusDetails> status = ReadFileStatus(path);
    if (!status) return std::nullopt;
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
    if (!status->folder) text.size = GroupDigits(static_cast<int64_t>(status->size), formats) + " bytes";
    LocalTimeConverter converter;
    text.modified = TimeText(status->modified, converter, formats);
    text.accessed = TimeText(status->accessed, converter, formats);
    text.created = TimeText(status->created, converter, formats);
    text.permissions = PermissionsText(status->mode);
    return text;
}

}  // namespace quillory
