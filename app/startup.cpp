#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <cerrno>
#include <cstdio>
#include <optional>

#include "app/bool_form.h"
#include "app/command_line.h"
#include "app/desktop_launcher.h"
#include "app/external_launcher.h"
#include "app/external_launches.h"
#include "app/global_hot_keys.h"
#include "app/instance_channel.h"
#include "app/main_window.h"
#include "app/option_commands.h"
#include "app/option_form.h"
#include "app/option_prompts.h"
#include "app/power_search_form.h"
#include "app/program_context.h"
#include "app/qt_text.h"
#include "app/result_action_prompts.h"
#include "app/result_actions.h"
#include "app/settings_store.h"
#include "app/termination_signals.h"
#include "app/ui_prompts.h"
#include "command/search_channel_client.h"
#include "command/search_server.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "platform/error.h"
#include "platform/file_lock.h"
#include "platform/prune_paths.h"

namespace quillory::app {

namespace {

// The name a damaged working database is renamed to at start-up, so that the next start
// works and the damaged file stays for inspection: "index.dat.damaged-YYYYMMDD-HHMMSS".
QString DamagedDatabaseName(const QString& path, DateTime when) {
    const DateTimeParts t = DecodeDateTime(when);
    return path + QString::asprintf(".damaged-%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                                    t.minute, t.second);
}

// Loads the database chosen at start-up. A failure is shown and ends the program with exit
// status 1 before anything is saved, so no half-loaded or empty catalogue ever replaces a
// file. A damaged working database is first renamed aside so that the next start works; a
// file named on the command line is left as it is.
bool LoadStartupDatabase(ProgramContext& context, const QString& namedFile) {
    const bool named = !namedFile.isEmpty();
    const QString path =
        named ? QFileInfo(namedFile).absoluteFilePath() : QString::fromStdString(context.workingDatabasePath);
    if (!named && !QFileInfo::exists(path)) {
        // A first start leaves out what the system's locate database leaves out; the user
        // may take any of it back in the Options dialog.
        if (!QFileInfo::exists(SettingsFilePath()))
            context.keeper.Write()->Options.ExcludedFolders = FirstStartExcludedFolders();
        return true;
    }
    try {
        const auto catalogue = context.keeper.Write();
        LoadDatabase(catalogue->Entries, catalogue->Options, ToBytes(path), ActivityLog());
        // The absolute path: a later start from another folder must find the same file.
        if (named) catalogue->Options.DBFileName = ToBytes(path);
        return true;
    } catch (const std::exception& error) {
        QString text = QString::fromUtf8(error.what());
        // Damaged is a file that was read and found wrong, or that the medium could not give
        // back; a refused open or a lack of memory says nothing about the file, which stays.
        const auto* failure = dynamic_cast<const Error*>(&error);
        const bool damaged = failure && (failure->SystemCode() == 0 || failure->SystemCode() == EIO);
        if (!named && damaged) {
            const QString aside = DamagedDatabaseName(path, context.now());
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

// The word a start hands to the copy that already runs.
QString WordForRunningCopy(const CommandLine& command) {
    switch (command.command) {
        case StartCommand::Rescan:
            return QStringLiteral("rescan");
        case StartCommand::OpenDatabase:
            return OpenDatabaseWord(QFileInfo(command.firstParameter).absoluteFilePath());
        default:
            return QStringLiteral("show");
    }
}

namespace {

// One copy per user: two copies would each save the catalogue and the settings at their end,
// the last one over the other's. The claim is a lock held for this process's life; a start
// that finds it taken hands its request to the running copy. Returns the exit status when
// this start ends here.
std::optional<int> ClaimOrHandOver(const CommandLine& command, std::optional<FileLock>& claim) {
    if (command.command == StartCommand::Exit) {
        SendToRunningCopy(QStringLiteral("quit"));
        return 0;
    }
    try {
        claim.emplace(ToBytes(InstanceSocketPath()), "Quillory");
    } catch (const Error& error) {
        if (error.SystemCode() == EWOULDBLOCK) {
            if (SendToStartingCopy(WordForRunningCopy(command))) return 0;
            std::fprintf(stderr, "quillory: another copy is running but does not answer on %s\n",
                         QFile::encodeName(InstanceSocketPath()).constData());
            return 1;
        }
        // No runtime folder to hold the lock in: the program runs, unguarded.
        std::fprintf(stderr, "quillory: %s\n", error.what());
    }
    return std::nullopt;
}

// The window's commands that live in files of their own: external programs, hot keys, the
// Boolean builder and the Options dialog.
OptionCommands* AttachCommands(TQuilloryForm1& form, QtOptionPrompts& optionPrompts) {
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
    return AttachOptionCommands(form, optionPrompts, optionHooks);
}

void NameApplication() {
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setOrganizationName(QStringLiteral("Marlowen"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillory/quillory.svg")));
}

// The settings, read into the context and the window; a database loaded later brings its
// own name.
void ApplyStoredSettings(ProgramContext& context, TQuilloryForm1& form) {
    DesktopSettings settings;
    const QString autostartError = LoadSettings(settings, context.settings, SystemAutostart());
    if (!autostartError.isEmpty()) context.prompts->ShowError(nullptr, autostartError);
    context.database().DBFileName = settings.databaseFile;
    form.ApplySettings(settings);
}

// The words and signals that end the program or change the catalogue. Where no one can
// answer a message box (a script's "exit", a signal, the session's end), a failure to save is
// logged and the program still ends.
void ConnectRequests(QApplication& app, InstanceServer& server, TQuilloryForm1& form,
                     OptionCommands* optionCommands) {
    QObject::connect(&server, &InstanceServer::quitRequested, &form, [&form] { form.ExitProgram(false); });
    QObject::connect(&server, &InstanceServer::rescanRequested, &form, &TQuilloryForm1::StartRescan);
    QObject::connect(&server, &InstanceServer::showRequested, &form, &TQuilloryForm1::OpenMainWindow);
    QObject::connect(&server, &InstanceServer::openRequested, &form,
                     [&form, optionCommands](const QString& path) {
                         optionCommands->Dialog()->OpenDatabaseFile(path);
                         form.UpdateCaption();
                         form.OpenMainWindow();
                     });
    QObject::connect(TerminationSignals::Install(), &TerminationSignals::endRequested, &form,
                     [&form] { form.ExitProgram(false); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager&) { form.ExitProgram(false); });
}

}  // namespace

int RunQuillory(int argc, char** argv) {
    ProgramContext context;
    QtUiPrompts prompts;
    context.prompts = &prompts;

    // 1. The command line, before any window exists.
    const CommandLine command = ClassifyCommandLine(argc, argv);
    std::optional<FileLock> claim;
    if (const std::optional<int> ended = ClaimOrHandOver(command, claim)) return *ended;
    if (command.command == StartCommand::Rescan) context.rescanRequested = true;

    // 2. The application.
    QApplication app(argc, argv);
    NameApplication();

    // 3. The windows, created once and hidden; the main window reads the settings.
    context.workingDatabasePath = WorkingDatabasePath();
    QtOptionPrompts optionPrompts;
    TQuilloryForm1 form(context);
    OptionCommands* optionCommands = AttachCommands(form, optionPrompts);
    ApplyStoredSettings(context, form);
    DesktopLauncher launcher;
    launcher.SetFailureReport(ShowLaunchFailures(&prompts, &form));
    QtResultActionPrompts actionPrompts;
    ResultActions resultActions(form, launcher, actionPrompts);

    // The channel for a later start's words is claimed before the database loads, so no copy
    // is ever running unreachable; what arrives meanwhile waits in the socket and is acted on
    // once the event loop runs, after the load.
    InstanceServer server;
    QString listenError;
    if (!server.Listen(&listenError)) std::fprintf(stderr, "quillory: %s\n", qPrintable(listenError));
    // 6. Shown when the loop starts unless the program starts hidden; with no tray to come
    // back from, it is always shown.
    const bool showAtStart = !context.settings.MinimizeOnStartup || !QSystemTrayIcon::isSystemTrayAvailable();

    // 7. The data folder; a failure shows later as failures to save or log.
    try {
        CreateDataFolder();
    } catch (const std::exception&) {
    }

    // 8. The database. The requests are acted on once the load succeeded: a failed start
    // saves nothing.
    const QString namedFile =
        command.command == StartCommand::OpenDatabase ? command.firstParameter : QString();
    if (!LoadStartupDatabase(context, namedFile)) return 1;
    context.keeper.PrepareNamesAhead();
    ConnectRequests(app, server, form, optionCommands);

    // 9. The start-up timer, then the loop.
    if (showAtStart) form.OpenMainWindow();
    // quillory-cli's searches, answered from the catalogue on a worker thread; only the copy
    // that owns the command-word socket owns the channel beside it.
    command::SearchServer searchServer(context.keeper, context.workingDatabasePath);
    const std::string searchSocket = command::SearchChannelSocketPath();
    if (server.IsListening() && !searchSocket.empty()) searchServer.Listen(searchSocket);
    form.EnableStartupTimer();
    return app.exec();
}

}  // namespace quillory::app
