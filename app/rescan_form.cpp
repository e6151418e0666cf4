#include "app/rescan_form.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace quillory::app {

namespace {

QLabel* MakeLink(const QString& text, QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()), parent);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
    label->setAccessibleName(text);
    return label;
}

}  // namespace

TRescanForm::TRescanForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TRescanForm"));
    setWindowTitle(QStringLiteral("Rescan process"));
    setModal(false);

    auto* folderCaption = new QLabel(QStringLiteral("Current folder:"), this);
    auto* countCaption = new QLabel(QStringLiteral("Processed files:"), this);
    Label3 = new QLabel(this);
    Label4 = new QLabel(this);
    // The folder value has a fixed width: long paths are elided in the middle, never widen
    // the window.
    Label3->setFixedWidth(360);
    Label3->setTextFormat(Qt::PlainText);
    Label3->setAccessibleName(QStringLiteral("Current folder"));
    Label4->setAccessibleName(QStringLiteral("Processed files"));
    Label4->setTextFormat(Qt::PlainText);
    Label10 = MakeLink(QStringLiteral("Hide the program to tray"), this);
    QLabel* help = MakeLink(QStringLiteral("Help on rescanning"), this);
    connect(Label10, &QLabel::linkActivated, this, &TRescanForm::Label10Click);
    connect(help, &QLabel::linkActivated, this, &TRescanForm::helpRequested);

    auto* values = new QGridLayout;
    values->addWidget(folderCaption, 0, 0);
    values->addWidget(Label3, 0, 1);
    values->addWidget(countCaption, 1, 0);
    values->addWidget(Label4, 1, 1);
    values->setColumnStretch(1, 1);
    auto* links = new QHBoxLayout;
    links->addWidget(Label10);
    links->addStretch();
    links->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(values);
    layout->addStretch();
    layout->addLayout(links);
    setFixedSize(sizeHint().expandedTo(QSize(480, 130)));
}

void TRescanForm::ShowProgress(const QString& folder, qulonglong found, bool mainWindowShown) {
    folder_ = folder;
    Label3->setText(Label3->fontMetrics().elidedText(folder, Qt::ElideMiddle, Label3->width()));
    Label3->setToolTip(folder);
    Label4->setText(QString::number(found));
    if (mainWindowShown && isHidden()) show();
}

QString TRescanForm::CurrentFolderText() const {
    return Label3->text().isEmpty() ? QString() : folder_;
}

QString TRescanForm::ProcessedFilesText() const {
    return Label4->text();
}

void TRescanForm::showEvent(QShowEvent* event) {
    // FormShow: a window shown again shows empty values until the next progress point.
    Label3->clear();
    Label3->setToolTip({});
    Label4->clear();
    QDialog::showEvent(event);
}

void TRescanForm::Label10Click() {
    close();
    Q_EMIT hideToTrayRequested();
}

}  // namespace quillory::app
