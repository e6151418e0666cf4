#pragma once
// The data object of a file drag (and of "Copy files"): it holds the paths and renders each
// offered format only when a target asks for it. The formats and their bytes are the
// engine's (file_drop_formats.h); this class only hands them to the toolkit.

#include <QMimeData>
#include <string>
#include <vector>

#include "actions/dropsource/file_drop_formats.h"

namespace quillory::app {

class FileDropData : public QMimeData {
    Q_OBJECT
  public:
    FileDropData(std::vector<std::string> files, PreferredEffect effect);

    // The offered formats in their fixed order: the file-drop list (text/uri-list), the
    // preferred effect for GNOME and KDE file managers, the paths as text.
    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

    const std::vector<std::string>& Files() const { return files_; }
    PreferredEffect Effect() const { return effect_; }
    // How many blocks were rendered so far (a block is built per request, never ahead).
    int Renders() const { return renders_; }

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

  private:
    std::vector<std::string> files_;
    PreferredEffect effect_;
    mutable int renders_ = 0;
};

}  // namespace quillory::app
