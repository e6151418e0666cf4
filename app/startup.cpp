#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSessionManager>

#include "app/bool_form.h"
#include "app/command_line.h"
#include "app/desktop_launcher.h"
#include "app/external_launcher.h"
#include "app/external_launches.h"
#include "app/global_hot_keys.h"
#include "app/instance_channel.h"
#include "app/main_window.h"
#include "app/option_commands.h"
#include "app/option_prompts.h"
#include "app/power_search_form.h"
#include "app/program_context.h"
#include "app/qt_text.h"
#include "app/result_action_prompts.h"
#include "app/result_actions.h"
#include "app/search_server.h"
#include "app/settings_store.h"
#include "app/termination_signals.h"
#include "app/ui_prompts.h"
#include "core/activity_log.h"
#include "core/database.h"

namespace quillory::app {

namespace {

// Loads the database chosen at start-up. A failure is shown and ends the program with exit
// status 1 before anything is saved, so no half-loaded or empty catalogue ever replaces a
// file. A damaged working database is first renamed aside so that the next start works; a
// file named on the command line is left as it is.
bool LoadStartupDatabase(ProgramContext& context, const QString& namedFile) {
    const bool named = !namedFile.isEmpty();
    const QString path =
        named ? QFileInfo(namedFile).absoluteFilePath() : QString::fromStdString(context.workingDatabasePath);
    if (!named && !QFileInfo::exists(path)) return true;
    try {
        const auto writing = context.keeper.Modify();
        Catalogue& catalogue = context.catalogue();
        LoadDatabase(catalogue.Entries, catalogue.Options, ToBytes(path), ActivityLog());
        if (named) catalogue.Options.DBFileName = ToBytes(namedFile);
        return true;
    } catch (const std::exception& error) {
        QString text = QString::fromUtf8(error.what());
        if (!named) {
            const QString aside = DamagedDatabaseName(path, QDateTime::currentDateTime());
            if (QFile::rename(path, aside)) {
                text += QStringLiteral(
                            "\n\nThe damaged database was renamed to \"%1\"; the next start begins "
                            "with an empty catalogue.")
                            .arg(aside);
            }
        }
        context.prompts->ShowError(nullptr, text);
        return false;
    }
}

}  // namespace

QString DamagedDatabaseName(const QString& path, const QDateTime& when) {
    return path + QStringLiteral(".damaged-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

int RunQuillory(int argc, char** argv) {
    ProgramContext context;
    QtUiPrompts prompts;
    context.prompts = &prompts;

    // 1. The command line, before any window exists.
    const CommandLine command = ClassifyCommandLine(argc, argv);
    if (command.command == StartCommand::Exit) {
        SendToRunningCopy(QStringLiteral("quit"));
        return 0;
    }
    if (command.command == StartCommand::Rescan) {
        if (SendToRunningCopy(QStringLiteral("rescan"))) return 0;
        context.rescanRequested = true;
    }

    // 2. The application.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillory"));
    QApplication::setOrganizationName(QStringLiteral("Marlowen"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillory/quillory.svg")));

    // 3. The windows, created once and hidden; the main window reads the settings.
    context.workingDatabasePath = WorkingDatabasePath();
    QtOptionPrompts optionPrompts;
    TQuilloryForm1 form(context);
    ExternalLaunches* launches = AttachExternalLaunches(form, std::make_unique<QtExternalLauncher>());
    AttachHotKeys(form, [launches] { launches->RunPowerSearch(); });
    AttachBoolBuilder(form);
    OptionCommandHooks optionHooks;
    optionHooks.reregisterHotKeys = [&form] {
        UnregisterHotKeys(form);
        RegisterHotKeys(form);
    };
    optionPrompts.powerSearchDialog = [launches](QWidget*, QString& path) {
        TPowerSearchForm* dialog = launches->PowerSearchForm();
        dialog->SetPath(path);
        if (dialog->exec() != QDialog::Accepted) return false;
        path = dialog->Path();
        return true;
    };
    AttachOptionCommands(form, optionPrompts, optionHooks);
    DesktopSettings settings;
    try {
        LoadSettings(settings, context.options(), SystemAutostart());
    } catch (const std::exception& error) {
        prompts.ShowError(nullptr, QString::fromUtf8(error.what()));
    }
    form.ApplySettings(settings);
    DesktopLauncher launcher;
    launcher.SetFailureReport(ShowLaunchFailures(&prompts, &form));
    QtResultActionPrompts actionPrompts;
    ResultActions resultActions(form, launcher, actionPrompts);

    // The channel for a later start's command words, and the signals that end the program.
    InstanceServer server;
    QObject::connect(&server, &InstanceServer::quitRequested, &form, &TQuilloryForm1::ExitProgram);
    QObject::connect(&server, &InstanceServer::rescanRequested, &form, [&form] {
        if (!form.RescanRunning()) form.Button2Click();
    });
    QObject::connect(TerminationSignals::Install(), &TerminationSignals::endRequested, &form,
                     &TQuilloryForm1::ExitProgram);
    // The session's end runs the destruction work at once; a save that failed (and was shown)
    // asks the session manager not to end the session.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form, &context](QSessionManager& manager) {
                         if (form.RunDestructionWork()) {
                             context.exitRequested = true;
                         } else if (manager.allowsInteraction()) {
                             manager.cancel();
                             manager.release();
                         }
                     });

    // 6. Shown when the loop starts unless the program starts hidden.
    const bool showAtStart = !context.options().MinimizeOnStartup;

    // 7. The data folder; a failure shows later as failures to save or log.
    try {
        CreateDataFolder();
    } catch (const std::exception&) {
    }

    // 8. The database.
    const QString namedFile =
        command.command == StartCommand::OpenDatabase ? command.firstParameter : QString();
    if (!LoadStartupDatabase(context, namedFile)) return 1;
    context.keeper.PrepareNamesAhead();

    // 9. The start-up timer, then the loop.
    if (showAtStart) form.OpenMainWindow();
    // A later start finds this copy only once it is fully started.
    server.Listen();
    // quillory-cli's searches, answered from the catalogue on a worker thread; only the copy
    // that owns the command-word socket owns the channel beside it.
    SearchServer searchServer(context.keeper, context.workingDatabasePath);
    if (server.IsListening()) searchServer.Listen(SearchServerSocketPath());
    form.EnableStartupTimer();
    app.exec();
    return 0;
}

}  // namespace quillory::app
