#include "actions/export_fields.h"

#include "results/attributes_text.h"
#include "results/size_text.h"

namespace quillory {

std::vector<ExportFieldItem> DefaultExportFieldItems() {
    std::vector<ExportFieldItem> items;
    items.reserve(kExportFieldCount);
    for (int i = 0; i < kExportFieldCount; ++i)
        items.push_back({kExportFields[static_cast<size_t>(i)].tickedByDefault, i});
    return items;
}

std::string ExportFieldValue(const TMyItem& entry, ExportField field, const LocaleFormats& formats) {
    switch (field) {
        case ExportField::Name:
            return std::string(entry.Name());
        case ExportField::Folder:
            return std::string(entry.Folder());
        case ExportField::Size:
            return SizeText(entry.Size, formats);
        case ExportField::CreationDate:
            return DateText(entry.Created, formats);
        case ExportField::ModificationDate:
            return DateText(entry.Modified, formats);
        case ExportField::LastAccessDate:
            return DateText(entry.Accessed, formats);
        case ExportField::Ext:
            return std::string(entry.Ext());
        case ExportField::Attributes:
            return AttributesText(entry.Attributes);
    }
    return {};
}

std::optional<ExportField> ExportFieldFromWord(std::string_view word) {
    for (int i = 0; i < kExportFieldCount; ++i) {
        if (word == kExportFields[static_cast<size_t>(i)].word) return static_cast<ExportField>(i);
    }
    return std::nullopt;
}

}  // namespace quillory
