#include "app/power_search_form.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialog_buttons.h"
#include "app/external_launcher.h"
#include "app/launch_targets.h"

namespace quillory::app {

TPowerSearchForm::TPowerSearchForm(ExternalLauncher& launcher, QWidget* parent)
    : QDialog(parent), launcher_(launcher) {
    setObjectName(QStringLiteral("TPowerSearchForm"));
    setWindowTitle(QStringLiteral("Power search"));
    chooseFile_ = [](QWidget* owner, const QString& filter) {
        return QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
    };

    auto* label1 = new QLabel(QStringLiteral("&Select a program for power search:"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setAccessibleName(QStringLiteral("Select a program for power search:"));
    Edit1->setMinimumWidth(320);
    label1->setBuddy(Edit1);
    Button1 = new QPushButton(QStringLiteral("..."), this);
    Button1->setAccessibleName(QStringLiteral("Choose the program"));
    Button1->setAutoDefault(false);
    Button1->setFixedWidth(Button1->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    connect(Button1, &QPushButton::clicked, this, &TPowerSearchForm::Button1Click);

    auto* label2 = new QLabel(QStringLiteral("Our recommendation: use Varnecast for power searches"), this);
    auto* label3 = new QLabel(QStringLiteral("You can download this software now: "), this);
    const QString address = QString::fromLatin1(kMakerAddress);
    Label4 = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()), this);
    Label4->setAccessibleName(address);
    Label4->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    Label4->setFocusPolicy(Qt::StrongFocus);
    connect(Label4, &QLabel::linkActivated, this, &TPowerSearchForm::Label4Click);

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(Edit1, 1);
    pathRow->addWidget(Button1);
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(label3);
    linkRow->addWidget(Label4);
    linkRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addLayout(pathRow);
    layout->addSpacing(8);
    layout->addWidget(label2);
    layout->addLayout(linkRow);
    layout->addStretch(1);
    layout->addWidget(buttons);
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Label4);
    setTabOrder(Label4, buttons);
    setFixedSize(sizeHint());
}

QString TPowerSearchForm::ProgramFilter() {
    // One entry covering both patterns; programs here usually have no extension at all, so
    // every file can be chosen as well.
    return QStringLiteral("Programs (*.exe *.vrn*);;All files (*)");
}

QString TPowerSearchForm::Path() const {
    return Edit1->text();
}

void TPowerSearchForm::SetPath(const QString& path) {
    Edit1->setText(path);
}

void TPowerSearchForm::Button1Click() {
    const QString chosen = chooseFile_ ? chooseFile_(this, ProgramFilter()) : QString();
    if (!chosen.isEmpty()) Edit1->setText(chosen);
}

void TPowerSearchForm::Label4Click() {
    launcher_.Launch(MakerPage(QString()));
}

}  // namespace quillory::app
