#include "app/ui_prompts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace quillory::app {

void QtUiPrompts::ShowError(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QStringLiteral("Quillory"), text);
}

void QtUiPrompts::ShowInformation(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QStringLiteral("Quillory"), text);
}

QString QtUiPrompts::SaveFileName(QWidget* parent, const QString& defaultSuffix, const QString& filter) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace quillory::app
