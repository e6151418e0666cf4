#include "app/rescan_form.h"

#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "app/launch_targets.h"
#include "app/qt_text.h"
#include "scan/duration_text.h"

namespace quillory::app {

namespace {

// A label with one link that behaves as one control: Tab and Shift+Tab go straight to the next
// control, the link shows highlighted however the focus came, and Space, Enter and Return
// activate it (a plain label first steps through its links, highlights and activates only a
// link reached by Tab, and ignores Space).
class KeyboardLink : public QLabel {
  public:
    KeyboardLink(const QString& text, QWidget* parent)
        : QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()), parent) {
        setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        setFocusPolicy(Qt::StrongFocus);
        setAccessibleName(text);
    }

  protected:
    void focusInEvent(QFocusEvent* event) override {
        QFocusEvent highlighted(QEvent::FocusIn, event->reason() == Qt::BacktabFocusReason
                                                     ? Qt::BacktabFocusReason
                                                     : Qt::TabFocusReason);
        QLabel::focusInEvent(&highlighted);
    }

    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }

    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Space:
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) break;
                event->accept();
                Q_EMIT linkActivated(QStringLiteral("#"));
                return;
            default:
                break;
        }
        QLabel::keyPressEvent(event);
    }
};

}  // namespace

TRescanForm::TRescanForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TRescanForm"));
    setWindowTitle(QStringLiteral("Rescan process"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(BuildProgress());
    layout->addStretch();
    layout->addLayout(BuildLinks());
    setTabOrder(stop_, Label10);
    setTabOrder(Label10, Label5);
    setTabOrder(Label5, Label7);
    setTabOrder(Label7, Label8);
    setTabOrder(Label8, Label9);
    setFixedSize(sizeHint().expandedTo(QSize(480, 130)));
}

QLayout* TRescanForm::BuildProgress() {
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
    auto* timeCaption = new QLabel(QStringLiteral("Time taken:"), this);
    elapsed_ = new QLabel(this);
    elapsed_->setAccessibleName(QStringLiteral("Time taken"));
    progress_ = new QProgressBar(this);
    progress_->setAccessibleName(QStringLiteral("Rescan progress"));
    stop_ = new QPushButton(QStringLiteral("S&top"), this);
    stop_->setAccessibleName(QStringLiteral("Stop"));
    stop_->setAutoDefault(false);
    connect(stop_, &QPushButton::clicked, this, &TRescanForm::stopRequested);
    ticker_.setInterval(1000);
    connect(&ticker_, &QTimer::timeout, this, &TRescanForm::ShowElapsed);

    auto* values = new QGridLayout;
    values->addWidget(folderCaption, 0, 0);
    values->addWidget(Label3, 0, 1);
    values->addWidget(countCaption, 1, 0);
    values->addWidget(Label4, 1, 1);
    values->addWidget(timeCaption, 2, 0);
    values->addWidget(elapsed_, 2, 1);
    values->setColumnStretch(1, 1);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(stop_);
    auto* column = new QVBoxLayout;
    column->addLayout(values);
    column->addLayout(progressRow);
    return column;
}

QLayout* TRescanForm::BuildLinks() {
    auto* heading = new QLabel(QStringLiteral("File Search Tools"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    Label5 = new KeyboardLink(QString::fromLatin1(kMakerAddress), this);
    Label5->setAccessibleDescription(heading->text());
    Label7 = new KeyboardLink(QStringLiteral("Read about Quillory"), this);
    Label8 = new KeyboardLink(QStringLiteral("Read about Quillory Pro"), this);
    Label9 = new KeyboardLink(QStringLiteral("Read about all our search products"), this);
    Label10 = new KeyboardLink(QStringLiteral("Hide the program to tray"), this);
    connect(Label10, &QLabel::linkActivated, this, &TRescanForm::Label10Click);
    connect(Label5, &QLabel::linkActivated, this,
            [this] { Q_EMIT makerPageRequested(QStringLiteral("search-software.htm")); });
    connect(Label7, &QLabel::linkActivated, this,
            [this] { Q_EMIT helpTopicRequested(QStringLiteral("overview.htm")); });
    connect(Label8, &QLabel::linkActivated, this,
            [this] { Q_EMIT helpTopicRequested(QStringLiteral("quillory-pro.htm")); });
    connect(Label9, &QLabel::linkActivated, this,
            [this] { Q_EMIT helpTopicRequested(QStringLiteral("search-soft.htm")); });
    auto* links = new QGridLayout;
    links->addWidget(heading, 0, 0);
    links->addWidget(Label5, 1, 0);
    links->addWidget(Label10, 2, 0);
    links->addWidget(Label7, 0, 2);
    links->addWidget(Label8, 1, 2);
    links->addWidget(Label9, 2, 2);
    links->setColumnStretch(1, 1);
    return links;
}

void TRescanForm::ShowProgress(const QString& folder, qulonglong found, bool mainWindowShown) {
    folder_ = folder;
    Label3->setText(Label3->fontMetrics().elidedText(folder, Qt::ElideMiddle, Label3->width()));
    Label3->setToolTip(folder);
    Label4->setText(QString::number(found));
    if (expected_ > 0) progress_->setValue(static_cast<int>(std::min(found, expected_)));
    ShowElapsed();
    if (mainWindowShown && isHidden()) show();
}

void TRescanForm::Begin(qulonglong expected) {
    // A count beyond what the bar holds is shown as its maximum: the bar only says how far.
    expected_ = std::min<qulonglong>(expected, INT_MAX);
    progress_->setRange(0, static_cast<int>(expected_));
    progress_->setValue(0);
    clock_.start();
    ShowElapsed();
}

void TRescanForm::ShowElapsed() {
    if (clock_.isValid()) elapsed_->setText(FromBytes(DurationText(clock_.elapsed() / 1000)));
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
    ShowElapsed();
    ticker_.start();
    QDialog::showEvent(event);
}

void TRescanForm::hideEvent(QHideEvent* event) {
    ticker_.stop();
    QDialog::hideEvent(event);
}

void TRescanForm::Label10Click() {
    close();
    Q_EMIT hideToTrayRequested();
}

}  // namespace quillory::app
