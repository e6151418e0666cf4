#include "app/option_form.h"

#include "app/dialog_buttons.h"
#include "app/hotkey_codes.h"
#include "app/qt_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdint>

#include "app/folder_list_form.h"
#include "app/option_prompts.h"
#include "app/program_context.h"
#include "app/ui_prompts.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "core/option_rules.h"
#include "platform/locale_formats.h"
#include "scan/duration_text.h"

namespace quillory::app {

namespace {

QKeySequenceEdit* MakeHotKeyField(const QString& name, QWidget* parent) {
    auto* field = new QKeySequenceEdit(parent);
    field->setAccessibleName(name);
    field->setClearButtonEnabled(true);
    // The focus goes to the field's own line edit, and its clear button is a control of its
    // own: a screen reader names what it reaches there.
    if (auto* edit = field->findChild<QLineEdit*>()) {
        edit->setAccessibleName(name);
        for (QToolButton* clear : edit->findChildren<QToolButton*>())
            clear->setAccessibleName(QStringLiteral("Clear ") + name);
    }
    // A hot key is one key with its modifiers: the field keeps the first one typed.
    QObject::connect(field, &QKeySequenceEdit::keySequenceChanged, field,
                     [field](const QKeySequence& sequence) {
                         if (sequence.count() > 1) field->setKeySequence(QKeySequence(sequence[0]));
                     });
    return field;
}

QPushButton* MakeButton(const QString& caption, const QString& accessibleName, const QString& hint,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setAccessibleName(accessibleName);
    if (!hint.isEmpty()) button->setToolTip(hint);
    return button;
}

}  // namespace

TOptionForm::TOptionForm(ProgramContext& context, OptionPrompts& prompts, QWidget* parent)
    : QDialog(parent), context_(context), prompts_(prompts) {
    setObjectName(QStringLiteral("TOptionForm"));
    setWindowTitle(QStringLiteral("Options"));
    PageControl1 = new QTabWidget(this);
    PageControl1->setAccessibleName(QStringLiteral("Pages"));
    auto* general = new QWidget;
    auto* database = new QWidget;
    auto* search = new QWidget;
    BuildGeneralPage(general);
    BuildDatabasePage(database);
    BuildSearchPage(search);
    PageControl1->addTab(general, QStringLiteral("&General"));
    PageControl1->addTab(database, QStringLiteral("&Database"));
    PageControl1->addTab(search, QStringLiteral("Searc&h"));

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(buttons);

    folderList_ = new TFolderListForm(prompts_, this);
    extensionFilter_ = new TExtensionFilterForm(this);
}

void TOptionForm::BuildGeneralPage(QWidget* page) {
    auto* startup = new QGroupBox(QStringLiteral("Startup"), page);
    CheckBox1 = new QCheckBox(QStringLiteral("&Rescan on program startup"), startup);
    CheckBox2 = new QCheckBox(QStringLiteral("&Minimize program on startup"), startup);
    CheckBox3 = new QCheckBox(QStringLiteral("&Start program at login"), startup);
    auto* startupLayout = new QVBoxLayout(startup);
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) {
        box->setAccessibleName(QString(box->text()).remove(QLatin1Char('&')));
        startupLayout->addWidget(box);
    }

    auto* hotKeys = new QGroupBox(QStringLiteral("Hot keys"), page);
    HotKey1 = MakeHotKeyField(QStringLiteral("Open program"), hotKeys);
    HotKey2 = MakeHotKeyField(QStringLiteral("Power search"), hotKeys);
    auto* label1 = new QLabel(QStringLiteral("&Open program"), hotKeys);
    auto* label2 = new QLabel(QStringLiteral("Po&wer search"), hotKeys);
    label1->setBuddy(HotKey1);
    label2->setBuddy(HotKey2);
    auto* program = MakeButton(QStringLiteral("Select &program for power search"),
                               QStringLiteral("Select program for power search"), QString(), hotKeys);
    connect(program, &QPushButton::clicked, this, &TOptionForm::PowerSearchProgramClick);
    auto* grid = new QGridLayout(hotKeys);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(HotKey1, 0, 1);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(HotKey2, 1, 1);
    grid->addWidget(program, 2, 0, 1, 2);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(startup);
    layout->addWidget(hotKeys);
    layout->addStretch(1);
}

void TOptionForm::BuildDatabasePage(QWidget* page) {
    QGroupBox* management = BuildManagementGroup(page);
    QGroupBox* statistics = BuildStatisticsGroup(page);
    liveUpdates_ = new QCheckBox(QStringLiteral("&Keep the catalogue up to date"), page);
    liveUpdates_->setAccessibleName(QStringLiteral("Keep the catalogue up to date"));
    liveUpdates_->setToolTip(QStringLiteral("Follow the changes in the folders while the program runs"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(management);
    layout->addWidget(liveUpdates_);
    layout->addWidget(statistics);
    layout->addStretch(1);
}

QGroupBox* TOptionForm::BuildManagementGroup(QWidget* page) {
    auto* management = new QGroupBox(QStringLiteral("Management"), page);
    auto* foldersLabel = new QLabel(QStringLiteral("&Folders:"), management);
    auto* includedFolders = MakeButton(QStringLiteral("+"), QStringLiteral("Included drives and folders"),
                                       QStringLiteral("Included"), management);
    auto* excludedFolders = MakeButton(QStringLiteral("-"), QStringLiteral("Excluded folders"),
                                       QStringLiteral("Excluded"), management);
    foldersLabel->setBuddy(includedFolders);
    CheckBox4 = new QCheckBox(management);
    CheckBox4->setAccessibleName(QStringLiteral("Extensions:"));
    auto* extensionsLabel = new QLabel(QStringLiteral("E&xtensions:"), management);
    extensionsLabel->setBuddy(CheckBox4);
    auto* includedExtensions = MakeButton(QStringLiteral("+"), QStringLiteral("Included extensions"),
                                          QStringLiteral("Included"), management);
    auto* excludedExtensions = MakeButton(QStringLiteral("-"), QStringLiteral("Excluded extensions"),
                                          QStringLiteral("Excluded"), management);
    auto* newDb = MakeButton(QStringLiteral("&New DB"), QStringLiteral("New DB"),
                             QStringLiteral("Create a new database\nExamples: your computer files, local "
                                            "network mp3 files etc."),
                             management);
    auto* openDb = MakeButton(QStringLiteral("&Open DB"), QStringLiteral("Open DB"),
                              QStringLiteral("Open database"), management);
    auto* saveDb = MakeButton(QStringLiteral("&Save DB"), QStringLiteral("Save DB"),
                              QStringLiteral("Save current database to a file"), management);
    for (QPushButton* small : {includedFolders, excludedFolders, includedExtensions, excludedExtensions}) {
        small->setFixedWidth(small->fontMetrics().horizontalAdvance(QStringLiteral("+")) + 28);
    }
    connect(includedFolders, &QPushButton::clicked, this, &TOptionForm::IncludedFoldersClick);
    connect(excludedFolders, &QPushButton::clicked, this, &TOptionForm::ExcludedFoldersClick);
    connect(includedExtensions, &QPushButton::clicked, this, &TOptionForm::IncludedExtensionsClick);
    connect(excludedExtensions, &QPushButton::clicked, this, &TOptionForm::ExcludedExtensionsClick);
    connect(newDb, &QPushButton::clicked, this, &TOptionForm::NewDBClick);
    connect(openDb, &QPushButton::clicked, this, &TOptionForm::OpenDBClick);
    connect(saveDb, &QPushButton::clicked, this, &TOptionForm::SaveDBClick);

    auto* grid = new QGridLayout(management);
    grid->addWidget(foldersLabel, 0, 1);
    grid->addWidget(includedFolders, 0, 2);
    grid->addWidget(excludedFolders, 0, 3);
    grid->addWidget(CheckBox4, 1, 0);
    grid->addWidget(extensionsLabel, 1, 1);
    grid->addWidget(includedExtensions, 1, 2);
    grid->addWidget(excludedExtensions, 1, 3);
    grid->setColumnStretch(4, 1);
    auto* commands = new QHBoxLayout;
    commands->addWidget(newDb);
    commands->addWidget(openDb);
    commands->addWidget(saveDb);
    commands->addStretch(1);
    grid->addLayout(commands, 2, 0, 1, 5);
    return management;
}

QGroupBox* TOptionForm::BuildStatisticsGroup(QWidget* page) {
    auto* statistics = new QGroupBox(QStringLiteral("Statistics"), page);
    countText_ = new QLabel(statistics);
    secondsText_ = new QLabel(statistics);
    timeText_ = new QLabel(statistics);
    liveText_ = new QLabel(statistics);
    auto* statisticsGrid = new QGridLayout(statistics);
    const QString captions[] = {QStringLiteral("Files and folders:"), QStringLiteral("Last rescan speed:"),
                                QStringLiteral("Last rescan time:"), QStringLiteral("Live updates:")};
    QLabel* values[] = {countText_, secondsText_, timeText_, liveText_};
    for (int row = 0; row < 4; ++row) {
        statisticsGrid->addWidget(new QLabel(captions[row], statistics), row, 0);
        values[row]->setAccessibleName(QString(captions[row]).chopped(1));
        values[row]->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        statisticsGrid->addWidget(values[row], row, 1);
    }
    statisticsGrid->setColumnStretch(1, 1);
    return statistics;
}

void TOptionForm::BuildSearchPage(QWidget* page) {
    auto* label = new QLabel(QStringLiteral("D&isplay"), page);
    ComboBox1 = new QComboBox(page);
    ComboBox1->setAccessibleName(QStringLiteral("Display"));
    for (std::string_view item : kResultLimitItems) ComboBox1->addItem(FromBytes(item));
    label->setBuddy(ComboBox1);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(ComboBox1);
    row->addStretch(1);
    searchAsYouType_ = new QCheckBox(QStringLiteral("Search as you &type"), page);
    searchAsYouType_->setAccessibleName(QStringLiteral("Search as you type"));
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(row);
    layout->addWidget(searchAsYouType_);
    layout->addStretch(1);
}

QPushButton* TOptionForm::CommandButton(const QString& accessibleName) const {
    for (QPushButton* button : findChildren<QPushButton*>()) {
        if (button->accessibleName() == accessibleName && button->window() == this) return button;
    }
    return nullptr;
}

bool TOptionForm::Run() {
    Fill();
    if (exec() != QDialog::Accepted) return false;
    Apply();
    return true;
}

void TOptionForm::Fill() {
    const ProgramSettings& options = context_.settings;
    CheckBox1->setChecked(options.RescanOnStartup);
    CheckBox2->setChecked(options.MinimizeOnStartup);
    CheckBox3->setChecked(options.StartWindowsStarts);
    ShowHotKey(*HotKey1, options.HotKeys[1]);
    ShowHotKey(*HotKey2, options.HotKeys[2]);
    copies_.powerSearchFile = options.PowerSearchFile;
    FillDatabaseCopies();
    ShowStatistics();
    ComboBox1->setCurrentIndex(ResultLimitIndex(options.MaxResultsCount));
    searchAsYouType_->setChecked(options.SearchAsYouType);
    liveUpdates_->setChecked(options.LiveUpdates);
}

void TOptionForm::FillDatabaseCopies() {
    const TProgramOptions& options = context_.database();
    copies_.includedFolders = options.IncludedFolders;
    copies_.excludedFolders = options.ExcludedFolders;
    copies_.extensions = {options.IncludedExtensions, options.ExcludedExtensions,
                          options.IncludeExtensionsMode, options.ExcludeExtensionsMode};
    CheckBox4->setChecked(options.ExtensionFilterOn);
}

void TOptionForm::CommitDatabaseCopies() {
    TProgramOptions& options = context_.database();
    options.IncludedFolders = copies_.includedFolders;
    options.ExcludedFolders = copies_.excludedFolders;
    options.ExtensionFilterOn = CheckBox4->isChecked();
    options.IncludeExtensionsMode = copies_.extensions.includeMode;
    options.ExcludeExtensionsMode = copies_.extensions.excludeMode;
    options.IncludedExtensions = copies_.extensions.included;
    options.ExcludedExtensions = copies_.extensions.excluded;
}

QString LiveUpdatesText(command::LiveCatalogue& live) {
    const std::string& problem = live.Problem();
    if (!problem.empty()) return QStringLiteral("Off: %1").arg(QString::fromUtf8(problem.c_str()));
    if (!live.Watching()) return QStringLiteral("Off");
    const LiveCounts counts = live.Counts();
    if (!counts.started) return QStringLiteral("Starting...");
    return QStringLiteral("%1 folders watched, %2 checked every few minutes")
        .arg(QLocale().toString(static_cast<qulonglong>(counts.watched)),
             QLocale().toString(static_cast<qulonglong>(counts.checked)));
}

void TOptionForm::ShowStatistics() {
    // During a rescan: the entries and statistics the catalogue had when it began.
    const TProgramOptions& options = context_.database();
    countText_->setText(QString::number(context_.keeper.DescribedCount()));
    secondsText_->setText(FromBytes(DurationText(options.LastRescanSeconds)));
    timeText_->setText(FromBytes(DateText(options.LastRescanTime, LocaleFormats::FromEnvironment())));
    liveText_->setText(LiveUpdatesText(context_.live));
}

void TOptionForm::Apply() {
    ProgramSettings& options = context_.settings;
    options.RescanOnStartup = CheckBox1->isChecked();
    options.MinimizeOnStartup = CheckBox2->isChecked();
    options.StartWindowsStarts = CheckBox3->isChecked();
    options.HotKeys[1] = HotKeyOfField(*HotKey1);
    options.HotKeys[2] = HotKeyOfField(*HotKey2);
    options.PowerSearchFile = copies_.powerSearchFile;
    CommitDatabaseCopies();
    options.MaxResultsCount = ResultLimitForIndex(ComboBox1->currentIndex(), options.MaxResultsCount);
    options.SearchAsYouType = searchAsYouType_->isChecked();
    options.LiveUpdates = liveUpdates_->isChecked();
}

void TOptionForm::ShowError(const std::exception& error) {
    if (context_.prompts) context_.prompts->ShowError(this, QString::fromUtf8(error.what()));
}

bool TOptionForm::KeepNamedDatabaseUpToDate() {
    try {
        const auto catalogue = context_.keeper.Read();
        // A catalogue of a stopped rescan holds part of the folders: it never replaces the file.
        if (catalogue->Incomplete || !NamedDatabaseDue(catalogue->Options, context_.now())) return true;
        SaveDatabase(catalogue->Entries, catalogue->Options, catalogue->Options.DBFileName, ActivityLog());
        return true;
    } catch (const std::exception& error) {
        ShowError(error);
        return false;
    }
}

void TOptionForm::OpenDBClick() {
    const QString path = prompts_.ChooseDatabaseFile(this, QStringLiteral("Open database from file"), false,
                                                     QString(), QString());
    if (!path.isEmpty()) OpenDatabaseFile(path);
}

bool TOptionForm::OpenDatabaseFile(const QString& path) {
    if (!KeepNamedDatabaseUpToDate()) return false;
    // What the watcher found belongs to the catalogue being replaced; it starts again for the
    // loaded one when the dialog closes.
    context_.live.Stop();
    context_.live.DropQueued();
    try {
        // The load changes nothing when it fails; on success the database fields are the ones
        // stored in the file, except its file name: the named database is the file the user
        // opened, never a path read from inside a file someone else may have made.
        const auto catalogue = context_.keeper.Write();
        const std::string absolute = ToBytes(QFileInfo(path).absoluteFilePath());
        LoadDatabase(catalogue->Entries, catalogue->Options, absolute, ActivityLog());
        catalogue->Options.DBFileName = absolute;
        catalogue->Incomplete = false;
    } catch (const std::exception& error) {
        ShowError(error);
        return false;
    }
    FillDatabaseCopies();
    ShowStatistics();
    context_.keeper.PrepareNamesAhead();
    return true;
}

void TOptionForm::SaveDBClick() {
    QString startFolder;
    QString proposedName;
    {
        const TProgramOptions& options = context_.database();
        if (!options.DBFileName.empty()) {
            startFolder = FromBytes(FolderOf(options.DBFileName));
            proposedName = FromBytes(NameWithoutExtension(options.DBFileName));
        } else {
            proposedName = FromBytes(options.DatabaseName);
        }
    }
    const QString chosen = prompts_.ChooseDatabaseFile(this, QStringLiteral("Save database to file"), true,
                                                       startFolder, proposedName);
    if (chosen.isEmpty()) return;
    const std::string path = WithDatabaseExtension(ToBytes(QFileInfo(chosen).absoluteFilePath()));
    context_.database().DBFileName = path;
    context_.database().DatabaseName = NameWithoutExtension(path);
    // The list copies describe what is saved, so they are committed now, OK or not.
    CommitDatabaseCopies();
    try {
        const auto catalogue = context_.keeper.Read();
        SaveDatabase(catalogue->Entries, catalogue->Options, path, ActivityLog());
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

void TOptionForm::NewDBClick() {
    if (!KeepNamedDatabaseUpToDate()) return;
    context_.database().DBFileName.clear();
    countText_->clear();
    secondsText_->clear();
    timeText_->clear();
    QStringList lines;
    for (const std::string& line : NewDatabaseMessageLines()) lines << FromBytes(line);
    prompts_.ShowInformationBox(QStringLiteral("New database"), lines.join(QLatin1Char('\n')));
    context_.keeper.PrepareNamesAhead();
}

void TOptionForm::IncludedFoldersClick() {
    folderList_->Edit(true, copies_.includedFolders);
}

void TOptionForm::ExcludedFoldersClick() {
    folderList_->Edit(false, copies_.excludedFolders);
}

void TOptionForm::IncludedExtensionsClick() {
    extensionFilter_->Edit(true, copies_.extensions);
}

void TOptionForm::ExcludedExtensionsClick() {
    extensionFilter_->Edit(false, copies_.extensions);
}

void TOptionForm::PowerSearchProgramClick() {
    QString path = FromBytes(copies_.powerSearchFile);
    if (prompts_.ChoosePowerSearchProgram(this, path)) copies_.powerSearchFile = ToBytes(path);
}

}  // namespace quillory::app
