#include "app/extension_filter_form.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialog_buttons.h"
#include "app/text_box_lines.h"
#include "core/option_rules.h"
#include "core/text_lines.h"

namespace quillory::app {

TExtensionFilterForm::TExtensionFilterForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TExtensionFilterForm"));
    setWindowTitle(QStringLiteral("File extension filter"));
    auto* group = new QGroupBox(QStringLiteral("Enter extension list"), this);
    RadioButton1 = new QRadioButton(QStringLiteral("&Include list"), group);
    RadioButton2 = new QRadioButton(QStringLiteral("E&xclude list"), group);
    RadioButton1->setAccessibleName(QStringLiteral("Include list"));
    RadioButton2->setAccessibleName(QStringLiteral("Exclude list"));
    Memo1 = new QPlainTextEdit(group);
    Memo2 = new QPlainTextEdit(group);
    Memo1->setAccessibleName(QStringLiteral("Include list extensions"));
    Memo2->setAccessibleName(QStringLiteral("Exclude list extensions"));
    for (QPlainTextEdit* box : {Memo1, Memo2}) {
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setTabChangesFocus(true);
        box->installEventFilter(this);
    }
    auto* grid = new QGridLayout(group);
    grid->addWidget(RadioButton1, 0, 0);
    grid->addWidget(RadioButton2, 0, 1);
    grid->addWidget(Memo1, 1, 0);
    grid->addWidget(Memo2, 1, 1);

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addWidget(buttons);
    setTabOrder(RadioButton1, Memo1);
    setTabOrder(Memo1, RadioButton2);
    setTabOrder(RadioButton2, Memo2);
    resize(400, 300);
}

bool TExtensionFilterForm::Edit(bool includeList, ExtensionLists& lists) {
    SetBoxLines(*Memo1, SplitLines(lists.included));
    SetBoxLines(*Memo2, SplitLines(lists.excluded));
    (includeList ? RadioButton1 : RadioButton2)->setChecked(true);
    (includeList ? Memo1 : Memo2)->setFocus();
    if (exec() != QDialog::Accepted) return false;
    lists.included = JoinLines(BoxLines(*Memo1));
    lists.excluded = JoinLines(BoxLines(*Memo2));
    lists.includeMode = RadioButton1->isChecked();
    lists.excludeMode = RadioButton2->isChecked();
    return true;
}

void TExtensionFilterForm::TidyBoxes() {
    SetBoxLines(*Memo1, TidyExtensionLines(BoxLines(*Memo1)));
    SetBoxLines(*Memo2, TidyExtensionLines(BoxLines(*Memo2)));
}

bool TExtensionFilterForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1 || watched == Memo2) {
        if (event->type() == QEvent::KeyPress) {
            // Extensions are typed without dots and wildcards.
            const QString typed = static_cast<QKeyEvent*>(event)->text();
            if (typed == QStringLiteral("*") || typed == QStringLiteral(".") ||
                typed == QStringLiteral("?")) {
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            TidyBoxes();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TExtensionFilterForm::accept() {
    TidyBoxes();
    QDialog::accept();
}

}  // namespace quillory::app
