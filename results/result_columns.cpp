#include "results/result_columns.h"

#include "results/size_text.h"

namespace quillory {

std::string ResultColumnText(const TMyItem& entry, ResultColumn column, const LocaleFormats& formats) {
    switch (column) {
        case ResultColumn::Name:
            return std::string(entry.Name());
        case ResultColumn::Folder:
            return std::string(entry.Folder());
        case ResultColumn::Size:
            return SizeText(entry.Size, formats);
        case ResultColumn::Date:
            return DateText(entry.Modified, formats);
        case ResultColumn::Ext:
            return std::string(entry.Ext());
    }
    return {};
}

bool ColumnTexts(const EntryList& results, size_t index, const LocaleFormats& formats, ResultRowTexts& row) {
    if (index >= results.Count()) return false;
    const TMyItem& entry = results[index];
    row.caption = entry.Name();
    row.subItems[0] = entry.Folder();
    row.subItems[1] = SizeText(entry.Size, formats);
    row.subItems[2] = DateText(entry.Modified, formats);
    row.subItems[3] = entry.Ext();
    row.imageIndex = entry.IconIndex >= 0 ? entry.IconIndex : 0;
    return true;
}

}  // namespace quillory
