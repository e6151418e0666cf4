#include "app/ui_prompts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <cstdio>

namespace quillory::app {

namespace {

bool PromptsToStderr() {
    return qEnvironmentVariable("QUILLORY_PROMPTS") == QStringLiteral("stderr");
}

void PrintMessage(const char* kind, const QString& text) {
    std::fprintf(stderr, "quillory: %s: %s\n", kind, text.toLocal8Bit().constData());
    std::fflush(stderr);
}

}  // namespace

void QtUiPrompts::ShowError(QWidget* parent, const QString& text) {
    if (PromptsToStderr()) return PrintMessage("error", text);
    QMessageBox::critical(parent, QStringLiteral("Quillory"), text);
}

void QtUiPrompts::ShowInformation(QWidget* parent, const QString& text) {
    if (PromptsToStderr()) return PrintMessage("information", text);
    QMessageBox::information(parent, QStringLiteral("Quillory"), text);
}

QString QtUiPrompts::SaveFileName(QWidget* parent, const QString& defaultSuffix, const QString& filter) {
    if (PromptsToStderr()) return {};
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace quillory::app
