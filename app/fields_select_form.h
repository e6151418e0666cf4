#pragma once
// The export field chooser: eight fields in their fixed order, each with a check box. The
// ticks start at the defaults when the program starts and stay as the user leaves them for
// the rest of the run. OK is enabled only while at least one field is ticked, so the table
// is never written with no fields.

#include <QDialog>
#include <vector>

#include "actions/export_fields.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace quillory::app {

class TFieldsSelectFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TFieldsSelectFrm(QWidget* parent = nullptr);

    // Shows the dialog modally; true when it was closed with OK.
    bool ChooseExportFields();

    // The chooser's items: tick and data number, in the list's order.
    std::vector<ExportFieldItem> Items() const;

    QListWidget* FieldList() const { return ListView1; }
    QPushButton* OkButton() const { return Button1; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ListView1Change(QListWidgetItem* item);

    QLabel* Label1;
    QListWidget* ListView1;
    QPushButton* Button1;
    QPushButton* Button2;
};

}  // namespace quillory::app
