#include "app/folder_list_form.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialog_buttons.h"
#include "app/option_prompts.h"
#include "app/text_box_lines.h"
#include "core/option_rules.h"
#include "core/text_lines.h"

namespace quillory::app {

TFolderListForm::TFolderListForm(OptionPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("TFolderListForm"));
    setWindowTitle(QStringLiteral("Select folders"));
    label_ = new QLabel(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setTabChangesFocus(true);
    Memo1->installEventFilter(this);
    label_->setBuddy(Memo1);
    browse_ = new QPushButton(this);
    browse_->setAutoDefault(false);
    connect(browse_, &QPushButton::clicked, this, &TFolderListForm::BrowseClick);

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(browse_);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(Memo1, 1);
    layout->addLayout(bottom);
    resize(420, 300);
}

bool TFolderListForm::Edit(bool included, std::string& text) {
    label_->setText(included ? QStringLiteral("&Enter included folders")
                             : QStringLiteral("&Enter excluded folders"));
    browse_->setText(QStringLiteral("&Add folder..."));
    Memo1->setAccessibleName(QString(label_->text()).remove(QLatin1Char('&')));
    browse_->setAccessibleName(QString(browse_->text()).remove(QLatin1Char('&')));
    SetBoxLines(*Memo1, SplitLines(text));
    Memo1->setFocus();
    if (exec() != QDialog::Accepted) return false;
    text = JoinLines(BoxLines(*Memo1));
    return true;
}

void TFolderListForm::TidyLines() {
    SetBoxLines(*Memo1, TidyFolderLines(BoxLines(*Memo1)));
}

void TFolderListForm::BrowseClick() {
    const QString folder = prompts_.ChooseFolder(this);
    if (folder.isEmpty()) return;
    std::vector<std::string> lines = BoxLines(*Memo1);
    if (AddChosenFolder(lines, folder.toUtf8().toStdString())) SetBoxLines(*Memo1, lines);
}

bool TFolderListForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1 && event->type() == QEvent::FocusOut) TidyLines();
    return QDialog::eventFilter(watched, event);
}

void TFolderListForm::accept() {
    // OK takes the focus from the box, so its lines are always tidied first; also when OK is
    // reached without a focus change.
    TidyLines();
    QDialog::accept();
}

}  // namespace quillory::app
