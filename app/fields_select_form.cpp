#include "app/fields_select_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialog_buttons.h"

namespace quillory::app {

TFieldsSelectFrm::TFieldsSelectFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFieldsSelectFrm"));
    setWindowTitle(QStringLiteral("Export"));
    Label1 = new QLabel(this);
    Label1->setWordWrap(true);
    ListView1 = new QListWidget(this);
    ListView1->setAccessibleName(QStringLiteral("Fields"));
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    Label1->setBuddy(ListView1);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setDefault(true);
    Button1->setAccessibleName(QStringLiteral("OK"));
    Button2->setAccessibleName(QStringLiteral("Cancel"));

    // FormCreate: the eight fields, each item's data number its position, the defaults ticked.
    for (const ExportFieldItem& field : DefaultExportFieldItems()) {
        auto* item = new QListWidgetItem(
            QString::fromLatin1(kExportFields[static_cast<size_t>(field.data)].caption), ListView1);
        item->setData(Qt::UserRole, field.data);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(field.checked ? Qt::Checked : Qt::Unchecked);
    }
    connect(ListView1, &QListWidget::itemChanged, this, &TFieldsSelectFrm::ListView1Change);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    EnterPressesFocusedButton(this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ListView1, 1);
    layout->addLayout(buttons);
    resize(256, 273);
    setMinimumSize(256, 273);
}

bool TFieldsSelectFrm::ChooseExportFields() {
    setWindowTitle(QStringLiteral("Export"));
    Label1->setText(QStringLiteral("Check the box next to each field you want to export, and then click OK"));
    return exec() == QDialog::Accepted;
}

std::vector<ExportFieldItem> TFieldsSelectFrm::Items() const {
    std::vector<ExportFieldItem> items;
    for (int i = 0; i < ListView1->count(); ++i) {
        const QListWidgetItem* item = ListView1->item(i);
        items.push_back({item->checkState() == Qt::Checked, item->data(Qt::UserRole).toInt()});
    }
    return items;
}

void TFieldsSelectFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // No control is active when the dialog opens; the list takes the focus for the keyboard.
    ListView1->setCurrentItem(nullptr);
    ListView1->setFocus();
}

void TFieldsSelectFrm::ListView1Change(QListWidgetItem* item) {
    if (item->checkState() == Qt::Checked) {
        Button1->setEnabled(true);
        return;
    }
    bool anyTicked = false;
    for (int i = 0; i < ListView1->count(); ++i) anyTicked |= ListView1->item(i)->checkState() == Qt::Checked;
    Button1->setEnabled(anyTicked);
}

}  // namespace quillory::app
