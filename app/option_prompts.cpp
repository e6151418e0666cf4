#include "app/option_prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <cstdio>

namespace quillory::app {

namespace {

bool PromptsToStderr() {
    return qEnvironmentVariable("QUILLORY_PROMPTS") == QStringLiteral("stderr");
}

}  // namespace

QString QtOptionPrompts::ChooseDatabaseFile(QWidget* parent, const QString& title, bool forSave,
                                            const QString& startFolder, const QString& proposedName) {
    if (PromptsToStderr()) return {};
    QFileDialog dialog(parent, title);
    dialog.setNameFilter(QStringLiteral("Quillory databases ( *.qdb )"));
    dialog.setDefaultSuffix(QStringLiteral("qdb"));
    if (forSave) {
        // Saving again over the current database is the usual case: no question.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (!startFolder.isEmpty()) dialog.setDirectory(startFolder);
    if (!proposedName.isEmpty()) dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString QtOptionPrompts::ChooseFolder(QWidget* parent) {
    if (PromptsToStderr()) return {};
    return QFileDialog::getExistingDirectory(parent, QString(), QDir::homePath(), QFileDialog::ShowDirsOnly);
}

void QtOptionPrompts::ShowInformationBox(const QString& caption, const QString& text) {
    if (PromptsToStderr()) {
        std::fprintf(stderr, "quillory: %s: %s\n", caption.toLocal8Bit().constData(),
                     text.toLocal8Bit().constData());
        std::fflush(stderr);
        return;
    }
    QMessageBox::information(nullptr, caption, text);
}

bool QtOptionPrompts::ChoosePowerSearchProgram(QWidget* parent, QString& path) {
    if (PromptsToStderr() || !powerSearchDialog) return false;
    return powerSearchDialog(parent, path);
}

}  // namespace quillory::app
