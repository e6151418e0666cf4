#include "app/about_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "app/launch_targets.h"

namespace quillory::app {

namespace {

QLabel* MakeText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(text);
    return label;
}

}  // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TAboutForm"));
    setWindowTitle(QStringLiteral("About"));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setAutoFillBackground(true);
    Panel1->setPalette(white);

    Image1 = new QLabel(Panel1);
    Image1->setPixmap(QIcon(QStringLiteral(":/quillory/quillory.svg")).pixmap(64, 64));
    Image1->setAccessibleName(QStringLiteral("Quillory"));
    QLabel* name = MakeText(QStringLiteral("Quillory"), Panel1);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    QLabel* what = MakeText(
        QStringLiteral("Finds files and folders by name, at once,\nfrom an index kept in memory."), Panel1);
    QLabel* version = MakeText(QStringLiteral("Version %1").arg(QStringLiteral(QUILLORY_VERSION)), Panel1);
    QLabel* maker = MakeText(QStringLiteral("Marlowen - %1").arg(QString::fromLatin1(kMakerAddress)), Panel1);

    Label5 = new QLabel(QStringLiteral("<a href=\"#\">Close the window</a>"), this);
    Label5->setAccessibleName(QStringLiteral("Close the window"));
    Label5->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    Label5->setFocusPolicy(Qt::StrongFocus);
    connect(Label5, &QLabel::linkActivated, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addSpacing(6);
    texts->addWidget(what);
    texts->addSpacing(6);
    texts->addWidget(maker);
    texts->addStretch(1);
    auto* panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(16, 16, 24, 16);
    panelLayout->setSpacing(16);
    panelLayout->addWidget(Image1, 0, Qt::AlignTop);
    panelLayout->addLayout(texts, 1);
    auto* linkRow = new QHBoxLayout;
    linkRow->addStretch(1);
    linkRow->addWidget(Label5);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(Panel1, 1);
    layout->addLayout(linkRow);
    setFixedSize(sizeHint().expandedTo(QSize(400, 220)));
    Label5->setFocus();
}

void TAboutForm::mousePressEvent(QMouseEvent* event) {
    // Plain labels and the image pass their clicks on to here: only a click that lands on
    // nothing but the box or the panel closes it.
    QWidget* under = childAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && (under == nullptr || under == Panel1)) {
        accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void TAboutForm::keyPressEvent(QKeyEvent* event) {
    // The box has no cancel button: Escape does nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace quillory::app
