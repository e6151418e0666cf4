#include "app/bool_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/dialog_buttons.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "search/query_parser.h"

namespace quillory::app {

TBoolForm::TBoolForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TBoolForm"));
    setWindowTitle(QStringLiteral("Boolean expression"));

    auto* group = new QGroupBox(QStringLiteral("Enter file names or wildcards"), this);
    auto* rows = new QGridLayout(group);
    for (size_t k = 0; k < kBuilderRowCount; ++k) {
        const int row = static_cast<int>(k) + 1;
        auto* box = new QComboBox(group);
        box->addItems({QStringLiteral("OR"), QStringLiteral("AND"), QStringLiteral("AND NOT")});
        box->setAccessibleName(QStringLiteral("Operator %1").arg(row));
        auto* edit = new QLineEdit(group);
        edit->setAccessibleName(QStringLiteral("Name or wildcard %1").arg(row));
        edit->setMinimumWidth(260);
        edit->installEventFilter(this);
        // A pasted text loses its double quotes as well: no row can hold one.
        connect(edit, &QLineEdit::textEdited, this, [edit](const QString& text) {
            if (!text.contains(QLatin1Char('"'))) return;
            const int cursor = edit->cursorPosition();
            const int before = static_cast<int>(text.left(cursor).count(QLatin1Char('"')));
            edit->setText(QString(text).remove(QLatin1Char('"')));
            edit->setCursorPosition(cursor - before);
        });
        rows->addWidget(box, row - 1, 0);
        rows->addWidget(edit, row - 1, 1);
        ComboBoxes[k] = box;
        Edits[k] = edit;
    }
    rows->setColumnStretch(1, 1);

    Button3 = new QPushButton(QStringLiteral("&Reset"), this);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton* button : {Button3, Button1, Button2}) {
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
        button->setAutoDefault(false);
    }
    Button1->setDefault(true);
    connect(Button3, &QPushButton::clicked, this, &TBoolForm::ResetRows);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button3);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    QWidget* previous = nullptr;
    for (size_t k = 0; k < kBuilderRowCount; ++k) {
        for (QWidget* widget : {static_cast<QWidget*>(ComboBoxes[k]), static_cast<QWidget*>(Edits[k])}) {
            if (previous) setTabOrder(previous, widget);
            previous = widget;
        }
    }
    setTabOrder(previous, Button3);
    setTabOrder(Button3, Button1);
    setTabOrder(Button1, Button2);
    EnterPressesFocusedButton(this);
    setFixedSize(sizeHint());
}

QComboBox* TBoolForm::OperatorBox(int row) const {
    return row >= 1 && row <= static_cast<int>(kBuilderRowCount) ? ComboBoxes[static_cast<size_t>(row - 1)]
                                                                 : nullptr;
}

QLineEdit* TBoolForm::TextField(int row) const {
    return row >= 1 && row <= static_cast<int>(kBuilderRowCount) ? Edits[static_cast<size_t>(row - 1)]
                                                                 : nullptr;
}

void TBoolForm::ResetRows() {
    TBoolRows rows;
    quillory::ResetRows(rows);
    for (size_t k = 0; k < kBuilderRowCount; ++k) {
        ComboBoxes[k]->setCurrentIndex(rows.OperatorIndex[k]);
        Edits[k]->setText(FromBytes(rows.Texts[k]));
    }
}

void TBoolForm::FillRows() {
    TBoolRows rows;
    quillory::FillRows(words_, rows);
    for (size_t k = 0; k < kBuilderRowCount; ++k) {
        ComboBoxes[k]->setCurrentIndex(rows.OperatorIndex[k]);
        Edits[k]->setText(FromBytes(rows.Texts[k]));
    }
}

void TBoolForm::CollectRows() {
    TBoolRows rows;
    for (size_t k = 0; k < kBuilderRowCount; ++k) {
        rows.OperatorIndex[k] = ComboBoxes[k]->currentIndex();
        rows.Texts[k] = ToBytes(Edits[k]->text());
    }
    quillory::CollectRows(rows, words_);
}

bool TBoolForm::ExecuteBuilder() {
    FillRows();
    if (const QScreen* screen =
            parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    if (exec() != QDialog::Accepted) return false;
    CollectRows();
    result_ = FromBytes(BuildText(words_));
    return true;
}

void TBoolForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Edits[0]->setFocus();
}

bool TBoolForm::eventFilter(QObject* watched, QEvent* event) {
    // A typed double quote is discarded.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->text() == QStringLiteral("\"")) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

TBoolForm* AttachBoolBuilder(TQuilloryForm1& form) {
    auto* builder = new TBoolForm(&form);
    QObject::connect(form.Button(3), &QPushButton::clicked, builder, [&form, builder] {
        TWordList words;
        ParseQuery(ToBytes(form.SearchBox()->currentText()), form.CheckBox(1)->isChecked(), true, words);
        builder->SetWords(words);
        if (builder->ExecuteBuilder()) form.SearchBox()->setEditText(builder->ResultText());
    });
    return builder;
}

}  // namespace quillory::app
