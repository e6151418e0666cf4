#pragma once
// The program's icon table: the icons the result list shows, each found once. A look-up
// takes the MIME type from the file name alone (never opening the file) and the icon of
// that type from the desktop's icon theme; entry 0 is the generic file icon, shown for rows
// whose icon is not known yet.

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <vector>

#include "results/icon_loader.h"

namespace quillory::app {

class DesktopIconTable : public IconProvider {
  public:
    DesktopIconTable();

    // One table entry per MIME type: the theme's icon for the type, else its generic icon,
    // else the style's file or folder icon.
    int32_t SystemIconIndex(const std::string& path, bool folder) override;

    // The icon at `index`; the generic file icon for an index outside the table.
    QIcon Icon(int32_t index) const;
    int32_t Count() const { return static_cast<int32_t>(icons_.size()); }

  private:
    QMimeDatabase mimes_;
    std::vector<QIcon> icons_;
    QHash<QString, int32_t> byMimeType_;
};

}  // namespace quillory::app
