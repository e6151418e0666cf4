#include "app/option_commands.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "app/main_window.h"
#include "app/option_form.h"
#include "app/ui_prompts.h"

namespace quillory::app {

OptionCommands::OptionCommands(TQuilloryForm1& form, OptionPrompts& prompts, OptionCommandHooks hooks)
    : QObject(&form),
      form_(form),
      hooks_(std::move(hooks)),
      dialog_(new TOptionForm(form.Context(), prompts, &form)) {}

void OptionCommands::OpenDatabasePage() {
    dialog_->Pages()->setCurrentIndex(TOptionForm::DatabasePage);
    OpenOptions();
}

void OptionCommands::OpenOptions() {
    const bool accepted = dialog_->Run();
    // The dialog may have loaded another database, changed the folders or the setting.
    form_.RestartLiveUpdates();
    if (!accepted) return;
    if (hooks_.reregisterHotKeys) hooks_.reregisterHotKeys();
    form_.UpdateCaption();
    if (!hooks_.autostart) return;
    try {
        hooks_.autostart(QStringLiteral("Quillory"), QCoreApplication::applicationFilePath(), false,
                         !form_.Context().settings.StartWindowsStarts);
    } catch (const std::exception& error) {
        if (form_.Context().prompts)
            form_.Context().prompts->ShowError(&form_, QString::fromUtf8(error.what()));
    }
}

OptionCommands* AttachOptionCommands(TQuilloryForm1& form, OptionPrompts& prompts, OptionCommandHooks hooks) {
    auto* commands = new OptionCommands(form, prompts, std::move(hooks));
    QObject::connect(form.Button(4), &QPushButton::clicked, commands, &OptionCommands::OpenOptions);
    if (QAction* item = form.MenuAction(QStringLiteral("Programoptions1"))) {
        QObject::connect(item, &QAction::triggered, commands, &OptionCommands::OpenOptions);
    }
    QObject::connect(form.DatabasesLinkLabel(), &QLabel::linkActivated, commands,
                     &OptionCommands::OpenDatabasePage);
    return commands;
}

}  // namespace quillory::app
