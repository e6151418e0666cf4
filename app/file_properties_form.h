#pragma once
// The "Properties" dialog of the result list's context menu: one file's name, folder, size,
// times and permissions, read from the file system when the dialog is made.

#include <QDialog>

#include "actions/file_properties.h"

class QLabel;

namespace quillory::app {

class TFilePropertiesForm : public QDialog {
    Q_OBJECT
  public:
    TFilePropertiesForm(const FilePropertiesText& properties, QWidget* parent = nullptr);

    // The value shown beside a caption ("Name", "Folder", "Size", "Modified", "Accessed",
    // "Created", "Permissions"); empty for an unknown caption.
    QString Value(const QString& caption) const;
};

}  // namespace quillory::app
