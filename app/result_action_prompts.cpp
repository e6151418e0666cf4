#include "app/result_action_prompts.h"

#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillory::app {

namespace {

bool PromptsToStderr() {
    const char* mode = std::getenv("QUILLORY_PROMPTS");
    return mode && std::strcmp(mode, "stderr") == 0;
}

}  // namespace

void ResultActionPrompts::SetClipboard(std::unique_ptr<QMimeData> data) {
    QGuiApplication::clipboard()->setMimeData(data.release());
}

QString QtResultActionPrompts::ChooseFolder(QWidget* parent) {
    if (PromptsToStderr()) return {};
    return QFileDialog::getExistingDirectory(parent, QString(), QString(),
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

ErrorAnswer QtResultActionPrompts::AskTransferError(QWidget* parent, const TransferFailure& failure) {
    const QString text = QString::fromUtf8(failure.message + "\n" + failure.fileName);
    if (PromptsToStderr()) {
        std::fprintf(stderr, "%s: %s\n", failure.title.c_str(), text.toUtf8().replace('\n', ' ').constData());
        return ErrorAnswer::Abort;
    }
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(failure.title), text, QMessageBox::NoButton,
                    parent);
    QPushButton* abort = box.addButton(QStringLiteral("&Abort"), QMessageBox::RejectRole);
    QPushButton* ignore = box.addButton(QStringLiteral("&Ignore"), QMessageBox::AcceptRole);
    abort->setAccessibleName(QStringLiteral("Abort"));
    ignore->setAccessibleName(QStringLiteral("Ignore"));
    box.setDefaultButton(abort);
    box.setEscapeButton(ignore);  // closing the box goes on, as Ignore does
    box.exec();
    return box.clickedButton() == abort ? ErrorAnswer::Abort : ErrorAnswer::Ignore;
}

QAction* QtResultActionPrompts::ExecMenu(QMenu& menu, const QPoint& globalPosition) {
    return menu.exec(globalPosition);
}

void QtResultActionPrompts::ExecDialog(QDialog& dialog) {
    dialog.exec();
}

}  // namespace quillory::app
