#include "app/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <system_error>

#include "actions/clipboard_text.h"
#include "actions/export_writers.h"
#include "actions/file_copy.h"
#include "app/dialog_buttons.h"
#include "app/fields_select_form.h"
#include "app/global_hot_keys.h"
#include "app/list_place.h"
#include "app/qt_text.h"
#include "app/rescan_form.h"
#include "app/resources.h"
#include "app/result_icons.h"
#include "app/result_item_delegate.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/settings_store.h"
#include "app/ui_prompts.h"
#include "app/view_selection.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "core/option_rules.h"
#include "platform/error.h"
#include "platform/path_status.h"
#include "search/match_ranges.h"

namespace quillory::app {

namespace {

// A refresh follows a batch of changes after this; while the user is busy with the list it
// looks again this often.
constexpr int kRefreshDelayMs = 100;
constexpr int kRefreshRetryMs = 250;

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    button->setAutoDefault(false);
    return button;
}

QCheckBox* MakeCheckBox(const QString& caption, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return box;
}

// Gives `window` the stored size and position, fitted to the free area of the screen that
// holds the stored corner (the primary screen when none does): never larger than that area
// unless the window's minimum size is, and moved into it as far as needed, so the window is
// always reachable and no setting, however large, makes a giant one.
void PlaceOnScreen(QWidget& window, const ViewGeometry& view) {
    const QScreen* screen = QGuiApplication::screenAt(QPoint(view.left, view.top));
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    // The frame is known once the window has been on the screen; before that it counts as
    // nothing, and the window manager adds it.
    const QSize frame = window.frameGeometry().size() - window.size();
    const int width = std::max(window.minimumWidth(), std::min(view.width, area.width() - frame.width()));
    const int height =
        std::max(window.minimumHeight(), std::min(view.height, area.height() - frame.height()));
    const int left =
        std::max(area.left(), std::min(view.left, area.left() + area.width() - width - frame.width()));
    const int top =
        std::max(area.top(), std::min(view.top, area.top() + area.height() - height - frame.height()));
    window.resize(width, height);
    window.move(left, top);
}

QString SearchHintText() {
    return QStringLiteral(
        "<p>Type a name or part of one.</p><table cellspacing=\"3\">"
        "<tr><td><b>*.mp3</b></td><td>wildcards: every name ending in .mp3</td></tr>"
        "<tr><td><b>report invoice</b></td><td>a blank means OR: either word</td></tr>"
        "<tr><td><b>report +\"2024\"</b></td><td>AND: both words</td></tr>"
        "<tr><td><b>report -\"draft\"</b></td><td>AND NOT: report, but not draft</td></tr>"
        "<tr><td><b>port</b> + Whole words</td><td>finds port list.txt, not report.txt</td></tr>"
        "<tr><td><b>*/music/*.mp3</b> + Full path</td><td>searches the folders too</td></tr>"
        "</table>");
}

}  // namespace

// Runs on the rescan's worker: every call is posted, with copies, to the window's thread.
// Calls that arrive after their rescan was collected (a search stopped it) are dropped.
class TQuilloryForm1::WindowRescanObserver final : public RescanObserver {
  public:
    explicit WindowRescanObserver(TQuilloryForm1& form) : form_(form) {}
    void Progress(std::string folder, size_t found) override {
        const uint64_t serial = form_.rescanSerial_;
        QMetaObject::invokeMethod(
            &form_,
            [form = &form_, serial, folder = FromBytes(folder), found] {
                if (serial == form->rescanSerial_ && form->context_.keeper.Rescanning()) {
                    form->ShowProgress(folder, found);
                }
            },
            Qt::QueuedConnection);
    }
    void Finished() override {
        const uint64_t serial = form_.rescanSerial_;
        QMetaObject::invokeMethod(
            &form_,
            [form = &form_, serial] {
                if (serial == form->rescanSerial_) form->RescanEnded();
            },
            Qt::QueuedConnection);
    }

  private:
    TQuilloryForm1& form_;
};

TQuilloryForm1::TQuilloryForm1(ProgramContext& context, QWidget* parent)
    : QMainWindow(parent),
      context_(context),
      sorter_(Collation::FromEnvironment(CollationStrength::Tertiary)),
      typeAhead_(Collation::FromEnvironment(CollationStrength::Secondary)) {
    InitResources();
    trayAvailable_ = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    setObjectName(QStringLiteral("TQuilloryForm1"));
    setWindowTitle(QStringLiteral("Quillory"));
    setWindowIcon(QIcon(QStringLiteral(":/quillory/quillory.svg")));
    BuildControls();
    BuildMenus();
    BuildTray();
    fieldsChooser_ = new TFieldsSelectFrm(this);
    rescanForm_ = new TRescanForm(this);
    connect(rescanForm_, &TRescanForm::hideToTrayRequested, this, &TQuilloryForm1::HideToTray);
    // "Stop" ends the rescan as a search would, without the search.
    connect(rescanForm_, &TRescanForm::stopRequested, this, &TQuilloryForm1::RescanEnded);

    rescanObserver_ = std::make_unique<WindowRescanObserver>(*this);
    context_.keeper.SetSortCollation(sorter_.GetCollation().Clone());

    StartupTimer.setInterval(500);
    StartupTimer.setSingleShot(true);
    connect(&StartupTimer, &QTimer::timeout, this, &TQuilloryForm1::StartupTimerTimer);
    connect(qApp, &QApplication::focusChanged, this, &TQuilloryForm1::FocusChanged);
    EnterPressesFocusedButton(this);

    // The design size: a client area of 592 by 409, centred until the settings say otherwise.
    setMinimumSize(600, 240);
    resize(640, 450);
    ComboBox1->setFocus();
}

TQuilloryForm1::~TQuilloryForm1() {
    // The children die after this body: a focus change while they do must not reach them.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    // The rescan's worker and the live watcher post to this window: they end before it does.
    context_.keeper.CollectRescan();
    context_.live.Stop();
    // Child windows deleted after this body move the focus; the handler must not see it.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void TQuilloryForm1::BuildControls() {
    auto* central = new QWidget(this);
    BuildSearchControls(central);
    BuildResultList(central);
    LayOutControls(central);
}

void TQuilloryForm1::BuildSearchControls(QWidget* central) {
    ComboBox1 = new QComboBox(central);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setMaxCount(static_cast<int>(kMaxSearchHistory));
    ComboBox1->setEditText(QStringLiteral("Enter file name or wildcards"));
    ComboBox1->setAccessibleName(QStringLiteral("Search text"));
    // Screen readers name an editable combo box by its line edit, which would otherwise be
    // named by the text typed into it.
    ComboBox1->lineEdit()->setAccessibleName(QStringLiteral("Search text"));
    ComboBox1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    ComboBox1->lineEdit()->selectAll();
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this, &TQuilloryForm1::Button1Click);
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, &TQuilloryForm1::SearchTextEdited);
    connect(ComboBox1, &QComboBox::textActivated, this, &TQuilloryForm1::SearchTextEdited);
    typingTimer_.setSingleShot(true);
    typingTimer_.setInterval(0);
    connect(&typingTimer_, &QTimer::timeout, this, &TQuilloryForm1::TypedSearch);
    refreshTimer_.setSingleShot(true);
    connect(&refreshTimer_, &QTimer::timeout, this, &TQuilloryForm1::RefreshResults);

    Button1 = MakeButton(QStringLiteral("&Search"), central);
    Button1->setDefault(true);
    Button3 = MakeButton(QStringLiteral("..."), central);
    Button3->setAccessibleName(QStringLiteral("Boolean expression builder"));
    Button3->setToolTip(QStringLiteral("Build a query with AND, OR and AND NOT"));
    Button3->setFixedWidth(Button3->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    connect(Button1, &QPushButton::clicked, this, &TQuilloryForm1::Button1Click);

    CheckBox1 = MakeCheckBox(QStringLiteral("&Case sensitive"), central);
    CheckBox2 = MakeCheckBox(QStringLiteral("&Whole words"), central);
    CheckBox3 = MakeCheckBox(QStringLiteral("Find fol&ders"), central);
    CheckBox4 = MakeCheckBox(QStringLiteral("Find fi&les"), central);
    CheckBox5 = MakeCheckBox(QStringLiteral("F&ull path"), central);
    CheckBox3->setChecked(true);
    CheckBox4->setChecked(true);
    // At least one of "Find folders" and "Find files" stays ticked however a box changes: by
    // mouse, keyboard, an assistive technology's toggle or the settings. Only toggled is sent
    // on every one of those paths.
    connect(CheckBox3, &QCheckBox::toggled, this, &TQuilloryForm1::CheckBox3Click);
    connect(CheckBox4, &QCheckBox::toggled, this, &TQuilloryForm1::CheckBox4Click);

    DatabasesLink = new QLabel(QStringLiteral("<a href=\"#\">Databases</a>"), central);
    DatabasesLink->setToolTip(QStringLiteral("Manage search databases"));
    DatabasesLink->setAccessibleName(QStringLiteral("Databases"));
    DatabasesLink->setAccessibleDescription(QStringLiteral("Manage search databases"));
    DatabasesLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    DatabasesLink->setFocusPolicy(Qt::StrongFocus);

    Button2 = MakeButton(QStringLiteral("&Rescan"), central);
    Button4 = MakeButton(QStringLiteral("Op&tions"), central);
    Button5 = MakeButton(QStringLiteral("Power s&earch"), central);
    Button6 = MakeButton(QStringLiteral("&Internet search"), central);
    Button7 = MakeButton(QStringLiteral("Hel&p"), central);
    Button8 = MakeButton(QStringLiteral("A&bout"), central);
    Button9 = MakeButton(QStringLiteral("Close"), central);
    connect(Button2, &QPushButton::clicked, this, &TQuilloryForm1::Button2Click);
    connect(Button9, &QPushButton::clicked, this, &QWidget::close);
}

void TQuilloryForm1::BuildResultList(QWidget* central) {
    ListView1 = new ResultListView(central);
    ListView1->setAccessibleName(QStringLiteral("Results"));
    model_ = std::make_unique<ResultListModel>(context_.results, LocaleFormats::FromEnvironment());
    ListView1->setModel(model_.get());
    selection_ = std::make_unique<ViewSelection>(*ListView1, *model_);
    icons_ = new ResultIcons(
        *ListView1, *model_, context_.results, [this] { return RescanRunning(); }, nullptr, this);
    // Before the first search and after one that found nothing, the list teaches the syntax.
    emptyHint_ = new QLabel(SearchHintText(), ListView1->viewport());
    emptyHint_->setAccessibleName(QStringLiteral("Search tips"));
    emptyHint_->setTextFormat(Qt::RichText);
    emptyHint_->setForegroundRole(QPalette::PlaceholderText);
    emptyHint_->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* hintLayout = new QVBoxLayout(ListView1->viewport());
    hintLayout->addWidget(emptyHint_, 0, Qt::AlignCenter);
    ListView1->SetDragFiles([this] { return SelectedFullPaths(context_.results, *selection_); });
    for (int column = 0; column < kResultColumnCount; ++column) {
        ListView1->setColumnWidth(column, kResultColumns[static_cast<size_t>(column)].initialWidth);
    }
    // The folder takes whatever width the window gives beyond the other columns.
    ListView1->horizontalHeader()->setSectionResizeMode(static_cast<int>(ResultColumn::Folder),
                                                        QHeaderView::Stretch);
    ListView1->setItemDelegate(
        new ResultItemDelegate([this](int row, int column) { return MatchMarks(row, column); }, ListView1));
    connect(ListView1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TQuilloryForm1::ListView1ColumnClick);
    connect(ListView1, &ResultListView::characterTyped, this,
            [this](char32_t c) { typeAhead_.KeyTyped(c, context_.results, *selection_); });
}

void TQuilloryForm1::LayOutControls(QWidget* central) {
    // Search row, option row, then the list with the command buttons beside it.
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(ComboBox1, 1);
    searchRow->addWidget(Button3);
    searchRow->addWidget(Button1);
    auto* optionRow = new QHBoxLayout;
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5}) optionRow->addWidget(box);
    optionRow->addStretch(1);
    optionRow->addWidget(DatabasesLink);
    auto* commands = new QVBoxLayout;
    for (QPushButton* button : {Button2, Button4, Button5, Button6, Button7, Button8})
        commands->addWidget(button);
    commands->addStretch(1);
    commands->addWidget(Button9);
    auto* body = new QHBoxLayout;
    body->addWidget(ListView1, 1);
    body->addLayout(commands);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 4);
    layout->addLayout(searchRow);
    layout->addLayout(optionRow);
    layout->addLayout(body, 1);
    setCentralWidget(central);

    statusLabel_ = new QLabel(this);
    // No fixed name: a label's accessible name is its text, so screen readers read the status
    // itself ("OK! 12 files found...") and hear its changes.
    statusLabel_->setAccessibleDescription(QStringLiteral("Status"));
    statusLabel_->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(statusLabel_, 1);
    limitNotice_ = new QLabel(this);
    limitNotice_->setAccessibleName(QStringLiteral("Result limit"));
    limitNotice_->setTextFormat(Qt::RichText);
    limitNotice_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    limitNotice_->setFocusPolicy(Qt::StrongFocus);
    limitNotice_->hide();
    connect(limitNotice_, &QLabel::linkActivated, this, &TQuilloryForm1::ShowAllResults);
    statusBar()->addPermanentWidget(limitNotice_);
    statusBar()->setSizeGripEnabled(true);

    // Keyboard order: search box, builder, Search, options, Databases, list, commands.
    QWidget* order[] = {ComboBox1, Button3,   Button1,       CheckBox1, CheckBox2, CheckBox3,
                        CheckBox4, CheckBox5, DatabasesLink, ListView1, Button2,   Button4,
                        Button5,   Button6,   Button7,       Button8,   Button9,   limitNotice_};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

// Every menu item carries its handler's name as its object name, so the command files that
// attach behaviour to it (and tests) find it with MenuAction().
static QAction* AddAction(QMenu* menu, const char* objectName, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(objectName));
    return action;
}

void TQuilloryForm1::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QMenu* exportMenu = file->addMenu(QStringLiteral("&Export"));
    connect(AddAction(exportMenu, "Listoffiles1", QStringLiteral("&List of files")), &QAction::triggered,
            this, &TQuilloryForm1::Listoffiles1Click);
    connect(AddAction(exportMenu, "Tableofresults1", QStringLiteral("&Table of results")),
            &QAction::triggered, this, &TQuilloryForm1::Tableofresults1Click);
    file->addSeparator();
    AddAction(file, "Execute1", QStringLiteral("E&xecute"));
    AddAction(file, "Openfiles1", QStringLiteral("&Open files"));
    AddAction(file, "Openfolder1", QStringLiteral("Open &folder"));
    file->addSeparator();
    connect(AddAction(file, "Close1", QStringLiteral("&Close")), &QAction::triggered, this, &QWidget::close);

    QMenu* actions = menuBar()->addMenu(QStringLiteral("&Actions"));
    AddAction(actions, "Copyshortcuts1", QStringLiteral("Copy &paths"));
    AddAction(actions, "Copyfiles1", QStringLiteral("Copy &files"));
    AddAction(actions, "Copytofolder1", QStringLiteral("Copy &to folder..."));
    AddAction(actions, "Movetofolder1", QStringLiteral("&Move to folder..."));
    actions->addSeparator();
    QAction* selectAll = AddAction(actions, "Selectall1", QStringLiteral("Select &All"));
    selectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    selectAll->setShortcutContext(Qt::WindowShortcut);
    connect(selectAll, &QAction::triggered, this, &TQuilloryForm1::Selectall1Click);
    connect(AddAction(actions, "Invertselection1", QStringLiteral("&Invert selection")), &QAction::triggered,
            this, &TQuilloryForm1::Invertselection1Click);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    AddAction(options, "Programoptions1", QStringLiteral("&Program options..."));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    AddAction(help, "Help1", QStringLiteral("&Help"));
    AddAction(help, "About1", QStringLiteral("&About"));
}

void TQuilloryForm1::BuildTray() {
    trayMenu_ = new QMenu(this);
    QAction* open = AddAction(trayMenu_, "OpenQuillorySearch1", QStringLiteral("Open Quillory Search"));
    connect(open, &QAction::triggered, this, &TQuilloryForm1::OpenMainWindow);
    trayMenu_->setDefaultAction(open);
    AddAction(trayMenu_, "OpenPowerSearch1", QStringLiteral("Open Power Search"));
    AddAction(trayMenu_, "OpenInternetSearch1", QStringLiteral("Open Internet Search"));
    trayMenu_->addSeparator();
    connect(AddAction(trayMenu_, "Exit1", QStringLiteral("Exit")), &QAction::triggered, this,
            &TQuilloryForm1::ExitProgram);
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(QStringLiteral("Quillory"));
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) OpenMainWindow();
    });
    tray_->show();
}

QAction* TQuilloryForm1::MenuAction(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

QPushButton* TQuilloryForm1::Button(int number) const {
    QPushButton* const buttons[] = {Button1, Button2, Button3, Button4, Button5,
                                    Button6, Button7, Button8, Button9};
    return number >= 1 && number <= 9 ? buttons[number - 1] : nullptr;
}

QCheckBox* TQuilloryForm1::CheckBox(int number) const {
    QCheckBox* const boxes[] = {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5};
    return number >= 1 && number <= 5 ? boxes[number - 1] : nullptr;
}

QString TQuilloryForm1::StatusText() const {
    return statusLabel_->text();
}

void TQuilloryForm1::SetStatusText(const QString& text) {
    statusLabel_->setText(text);
}

void TQuilloryForm1::ShowError(const QString& text) {
    if (context_.prompts) context_.prompts->ShowError(this, text);
}

void TQuilloryForm1::ApplySettings(const DesktopSettings& settings) {
    QStringList items;
    for (const QString& item : settings.history) items << item;
    std::string historyText;
    for (const QString& item : settings.history) historyText += ToBytes(item) + "\r\n";
    history_.SetText(historyText);
    ShowHistory();
    CheckBox1->setChecked(settings.caseSensitive);
    CheckBox2->setChecked(settings.wholeWords);
    // "Find files" first: settings with both boxes off leave "Find files" ticked.
    CheckBox4->setChecked(settings.findFiles);
    CheckBox3->setChecked(settings.findFolders);
    CheckBox5->setChecked(settings.fullPath);
    const ViewGeometry& view = settings.view;
    if (view.stored) {
        PlaceOnScreen(*this, view);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // No stored position: centred on the screen at the design size.
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    for (int column = 0; column < kResultColumnCount; ++column) {
        ListView1->setColumnWidth(column, view.columnWidths[static_cast<size_t>(column)]);
    }
    if (!view.stored) {
        // The design width of "Date" cuts off the time in most locales: at the first start
        // the column is as wide as a date and time of this locale need.
        const int dateColumn = static_cast<int>(ResultColumn::Date);
        const QString sample = FromBytes(DateText(44196.999988, LocaleFormats::FromEnvironment()));
        const int fitted = ListView1->fontMetrics().horizontalAdvance(sample) + 16;
        ListView1->setColumnWidth(dateColumn, std::max(ListView1->columnWidth(dateColumn), fitted));
    }
}

DesktopSettings TQuilloryForm1::CurrentSettings() const {
    DesktopSettings settings;
    for (const std::string& item : history_.Items()) settings.history << FromBytes(item);
    settings.caseSensitive = CheckBox1->isChecked();
    settings.wholeWords = CheckBox2->isChecked();
    settings.findFolders = CheckBox3->isChecked();
    settings.findFiles = CheckBox4->isChecked();
    settings.fullPath = CheckBox5->isChecked();
    settings.databaseFile = context_.database().DBFileName;
    settings.view.stored = true;
    // The measures resize() and move() take back at the next start: the size inside the
    // frame, which the window manager adds whatever its size, and the frame's corner. Saving
    // the outer size would let the window grow by its frame at every start.
    settings.view.width = width();
    settings.view.height = height();
    settings.view.left = pos().x();
    settings.view.top = pos().y();
    for (int column = 0; column < kResultColumnCount; ++column) {
        settings.view.columnWidths[static_cast<size_t>(column)] = ListView1->columnWidth(column);
    }
    return settings;
}

void TQuilloryForm1::ShowHistory() {
    const QString text = ComboBox1->currentText();
    ComboBox1->clear();
    for (const std::string& item : history_.Items()) ComboBox1->addItem(FromBytes(item));
    ComboBox1->setEditText(text);
}

TSearchOptions TQuilloryForm1::ReadSearchOptions() const {
    TSearchOptions options;
    options.CaseSensitive = CheckBox1->isChecked();
    options.WholeWords = CheckBox2->isChecked();
    options.FindFolders = CheckBox3->isChecked();
    options.FindFiles = CheckBox4->isChecked();
    options.FullPath = CheckBox5->isChecked();
    return options;
}

void TQuilloryForm1::CheckBox3Click() {
    if (!CheckBox3->isChecked()) CheckBox4->setChecked(true);
}

void TQuilloryForm1::CheckBox4Click() {
    if (!CheckBox4->isChecked()) CheckBox3->setChecked(true);
}

void TQuilloryForm1::EnableStartupTimer() {
    StartupTimer.start();
}

void TQuilloryForm1::StartupTimerTimer() {
    StartupTimer.stop();
    RegisterHotKeys(*this);
    UpdateCaption();
    if (context_.settings.RescanOnStartup || context_.rescanRequested) {
        StartRescan();
    } else {
        RestartLiveUpdates();
        // Reading the options above stopped a build of the column ranks the start-up began.
        context_.keeper.PrepareOrdersAhead();
    }
}

void TQuilloryForm1::UpdateCaption() {
    const std::string name = context_.database().DBFileName;
    QString caption = QStringLiteral("Quillory - Database: ");
    if (name.empty()) {
        caption += QStringLiteral("None");
    } else {
        const size_t slash = name.find_last_of('/');
        caption += FromBytes(slash == std::string::npos ? name : name.substr(slash + 1));
    }
    setWindowTitle(caption);
}

void TQuilloryForm1::OpenMainWindow() {
    const bool firstShow = mainWindowState_ == NotYetShown;
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    mainWindowState_ = Shown;
    if (firstShow) {
        // The first thing typed replaces the initial text of the search box.
        ComboBox1->setFocus(Qt::OtherFocusReason);
        ComboBox1->lineEdit()->selectAll();
    }
    BringModalDialogForward();
}

void TQuilloryForm1::BringModalDialogForward() {
    // A window under a modal dialog takes no input: the dialog comes back with it, above it,
    // even from a minimised state nothing else on the screen would restore it from.
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == this) return;
    if (modal->isMinimized()) modal->showNormal();
    modal->raise();
    modal->activateWindow();
}

void TQuilloryForm1::HideToTray() {
    // With no tray to come back from, the window is minimised instead of hidden, so the
    // program is never unreachable. The same while a modal dialog is open: it blocks every
    // other window of the program, a tray icon drawn by the program among them, and the
    // window is then brought back from the taskbar.
    if (!trayAvailable_() || QApplication::activeModalWidget()) {
        // Never bring a window that was not shown onto the screen just to minimise it.
        if (!isVisible()) return;
        if (!isMinimized()) showMinimized();
        mainWindowState_ = HiddenToTray;
        return;
    }
    rescanForm_->hide();
    hide();
    mainWindowState_ = HiddenToTray;
}

void TQuilloryForm1::closeEvent(QCloseEvent* event) {
    if (!context_.exitRequested) {
        event->ignore();
        HideToTray();
        return;
    }
    event->accept();
}

void TQuilloryForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) {
            // Activated under a modal dialog (the taskbar, a hot key): the dialog is what
            // takes input, so it comes to the front and gets the keyboard.
            QTimer::singleShot(0, modal, [this, modal] {
                if (QApplication::activeModalWidget() == modal) BringModalDialogForward();
            });
        } else if (rescanForm_->isVisible()) {
            // While the progress window is up, activating the main window hands the keyboard
            // to it.
            QTimer::singleShot(0, rescanForm_, [form = rescanForm_] {
                if (form->isVisible()) form->activateWindow();
            });
        }
    }
    if (event->type() != QEvent::WindowStateChange) return;
    if (isMinimized()) {
        if (trayAvailable_()) QTimer::singleShot(0, this, &TQuilloryForm1::HideToTray);
        mainWindowState_ = HiddenToTray;
    } else if (isVisible()) {
        mainWindowState_ = Shown;
    }
}

void TQuilloryForm1::keyPressEvent(QKeyEvent* event) {
    // Enter on a control that does not use it itself (not a push button: those press
    // themselves) acts on the default button, as a dialog would; while the list has the focus
    // "Search" is not the default button.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && Button1->isDefault() &&
        Button1->isEnabled()) {
        Button1Click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TQuilloryForm1::FocusChanged(QWidget*, QWidget* now) {
    if (now && now->window() != this) return;
    Button1->setDefault(now != ListView1);
    if (now == ListView1) RememberTypedText();
}

void TQuilloryForm1::SearchTextEdited() {
    if (context_.settings.SearchAsYouType) typingTimer_.start();
}

void TQuilloryForm1::RememberTypedText() {
    if (!typedText_) return;
    history_.RememberSearchText(*typedText_);
    typedText_.reset();
    ShowHistory();
}

void TQuilloryForm1::Selectall1Click() {
    selection_->SelectAllRows();
}

void TQuilloryForm1::Invertselection1Click() {
    selection_->InvertAllRows();
}

void TQuilloryForm1::ListView1ColumnClick(int column) {
    // The selection follows the entries through the new order; the focused row stays. With
    // nothing selected there is nothing to carry (the common case, and a million-row pass).
    const bool anySelected = selection_->AnySelected();
    const std::vector<bool> before = anySelected ? selection_->SelectedRows() : std::vector<bool>{};
    // The catalogue's ranks serve when the catalogue is free this instant; a click never
    // stops a rescan or waits for the ranks' build.
    auto catalogue = context_.keeper.ReadIfIdle();
    const std::span<const uint32_t> order =
        SortColumnClick(sortState_, context_.results, sorter_, column,
                        catalogue ? &(*catalogue)->Ranks : nullptr, resultOrigin_);
    // Ranks that were missing are built now, for the next click.
    if (catalogue) {
        catalogue.reset();
        context_.keeper.PrepareOrdersAhead();
    }
    if (order.empty()) return;
    model_->ResultsReordered();
    if (anySelected) {
        std::vector<bool> after(order.size(), false);
        for (size_t place = 0; place < order.size(); ++place) {
            after[place] = order[place] < before.size() && before[order[place]];
        }
        selection_->SelectRows(after);
    }
    ListView1->horizontalHeader()->setSortIndicatorShown(true);
    ListView1->horizontalHeader()->setSortIndicator(
        sortState_.SortColumn, sortState_.SortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TQuilloryForm1::Button1Click() {
    RunSearch(ToBytes(ComboBox1->currentText()), ReadSearchOptions(), context_.settings.MaxResultsCount,
              SearchKind::Settled);
}

void TQuilloryForm1::TypedSearch() {
    RunSearch(ToBytes(ComboBox1->currentText()), ReadSearchOptions(), context_.settings.MaxResultsCount,
              SearchKind::Typed);
}

void TQuilloryForm1::RunSearch(const std::string& text, const TSearchOptions& options,
                               int64_t maxResultsCount, SearchKind kind) {
    const bool typed = kind != SearchKind::Settled;
    lastText_ = text;
    lastOptions_ = options;
    lastMaxResults_ = maxResultsCount;
    searched_ = true;
    refreshTimer_.stop();
    if (kind == SearchKind::Typed) {
        typingTimer_.stop();
        typedText_ = text;
    } else if (kind == SearchKind::Settled) {
        typingTimer_.stop();
        typedText_.reset();
        history_.RememberSearchText(text);
        ShowHistory();
    }
    sortState_.NewSearch();
    ListView1->horizontalHeader()->setSortIndicatorShown(false);
    // A refresh replaces the list at once: no "Waiting..." flickers in between.
    if (kind != SearchKind::Refresh) {
        SetStatusText(QString::fromLatin1(kWaitingStatus.data(), static_cast<qsizetype>(kWaitingStatus.size())));
        statusBar()->repaint();
        model_->ShowResults(0);
    }
    Button1->setEnabled(false);
    // A running rescan is stopped and waited for first: the search sees what it found.
    stoppedRescanText_.clear();
    RescanEnded();
    size_t found = 0;
    size_t catalogueEntries = 0;
    {
        // The search may bring the name cache up to date: the search channel declines meanwhile.
        const auto catalogue = context_.keeper.Write();
        resultOrigin_.Forget();
        found = searchDriver_.Search(*catalogue, text, options, maxResultsCount, context_.results);
        resultOrigin_.Record(catalogue->Entries.Generation(), searchDriver_.MatchIndices(), context_.results);
        catalogueEntries = catalogue->Entries.Count();
    }
    // A search that stopped a rescan leaves the stop text: the catalogue it searched is
    // incomplete, and the user must learn that.
    SetStatusText(stoppedRescanText_.isEmpty() ? FromBytes(searchDriver_.StatusText()) : stoppedRescanText_);
    model_->ShowResults(found);
    Button1->setEnabled(true);
    // A search that reached its limit says so: more entries may match than are listed.
    const bool capped =
        maxResultsCount < kAllResults && found >= static_cast<size_t>(std::max<int64_t>(maxResultsCount, 1));
    limitNotice_->setText(QStringLiteral("Only the first %1 are shown. <a href=\"all\">Show all</a>")
                              .arg(QLocale().toString(static_cast<qulonglong>(found))));
    limitNotice_->setVisible(capped);
    emptyHint_->setVisible(found == 0);
    if (!typed) ListView1->setFocus();
    // Once the results are shown, the sorter's memory for a click on them is made ready, so
    // the first click on a million results pays no page faults.
    QTimer::singleShot(0, this, [this, catalogueEntries] {
        sorter_.PrepareClicks(context_.results.Count(), catalogueEntries);
    });
    // The search took the catalogue back: a build of the column ranks goes on (after a
    // refresh it waits for the user: changes may keep coming).
    if (kind != SearchKind::Refresh) context_.keeper.PrepareOrdersAhead();
}

ResultItemDelegate::Marks TQuilloryForm1::MatchMarks(int row, int column) const {
    ResultItemDelegate::Marks marks;
    const bool fullPath = lastOptions_.FullPath;
    const bool name = column == static_cast<int>(ResultColumn::Name);
    const bool folder = column == static_cast<int>(ResultColumn::Folder);
    if (row < 0 || static_cast<size_t>(row) >= context_.results.Count() || !(name || (fullPath && folder)))
        return marks;
    // The ranges are those of the subject the search tested, cut to this cell's part of it.
    const TMyItem& entry = context_.results[static_cast<size_t>(row)];
    const std::string subject = fullPath ? EntryFullPath(entry) : std::string(entry.Name());
    const std::string_view shown = folder ? entry.Folder() : entry.Name();
    const size_t offset = fullPath && name ? entry.Folder().size() : 0;
    for (const ByteRange& range : MatchRanges(subject, searchDriver_.Words(), lastOptions_)) {
        const size_t begin = std::clamp(range.begin, offset, offset + shown.size()) - offset;
        const size_t end = std::clamp(range.end, offset, offset + shown.size()) - offset;
        if (begin >= end) continue;
        marks.emplace_back(static_cast<int>(FromBytes(shown.substr(0, begin)).size()),
                           static_cast<int>(FromBytes(shown.substr(begin, end - begin)).size()));
    }
    return marks;
}

void TQuilloryForm1::ShowAllResults() {
    RunSearch(lastText_, lastOptions_, std::numeric_limits<int64_t>::max(), SearchKind::Settled);
}

void TQuilloryForm1::RestartLiveUpdates() {
    command::LiveCatalogue& live = context_.live;
    live.Stop();
    if (!context_.settings.LiveUpdates || context_.keeper.Rescanning()) {
        live.DropQueued();
        return;
    }
    // What the watcher found so far belongs to this catalogue: it goes in before the new start.
    ApplyLiveChanges();
    live.Start([this] { QMetaObject::invokeMethod(this, &TQuilloryForm1::ApplyLiveChanges, Qt::QueuedConnection); });
}

void TQuilloryForm1::ApplyLiveChanges() {
    // Nothing is queued while a rescan runs: its start dropped what was.
    if (context_.keeper.Rescanning()) return;
    LiveChanges changes;
    try {
        changes = context_.live.ApplyQueued();
    } catch (const std::logic_error&) {
        // The catalogue is held further up this thread (a nested event loop): later.
        QTimer::singleShot(kRefreshRetryMs, this, &TQuilloryForm1::ApplyLiveChanges);
        return;
    }
    if (searched_ && !refreshTimer_.isActive() && ChangesTouchSearch(changes)) refreshTimer_.start(kRefreshDelayMs);
}

bool TQuilloryForm1::ChangesTouchSearch(const LiveChanges& changes) {
    EntryList found;
    for (const EntryList* entries : {&changes.removed, &changes.added}) {
        if (!entries->Empty() && changeMatcher_.Search(*entries, lastText_, lastOptions_, 1, found) > 0) return true;
    }
    return false;
}

bool TQuilloryForm1::UserBusyWithList() const {
    if (QApplication::activePopupWidget() || ListView1->Dragging()) return true;
    const TFLFind& typed = typeAhead_.State();
    return !typed.Text.empty() && SteadyTickCount() - typed.Tick < kTypeAheadPauseMs;
}

void TQuilloryForm1::RefreshResults() {
    if (UserBusyWithList()) {
        refreshTimer_.start(kRefreshRetryMs);
        Q_EMIT refreshPostponed();
        return;
    }
    const ListPlace place = RememberListPlace(*ListView1, *selection_, context_.results);
    const SortState sorted = sortState_;
    RunSearch(lastText_, lastOptions_, lastMaxResults_, SearchKind::Refresh);
    if (sorted.ResultsSorted && sorted.SortColumn != kNoSortColumn) {
        ListView1ColumnClick(sorted.SortColumn);
        if (sorted.SortDescending) ListView1ColumnClick(sorted.SortColumn);
    }
    RestoreListPlace(place, *ListView1, *selection_, context_.results);
    Q_EMIT resultsRefreshed();
}

void TQuilloryForm1::StartRescan() {
    if (context_.keeper.Rescanning()) return;
    // The view is emptied; the results themselves stay as they were.
    SetStatusText(QString::fromLatin1(kWaitingStatus.data(), static_cast<qsizetype>(kWaitingStatus.size())));
    statusBar()->repaint();
    model_->ShowResults(0);
    limitNotice_->hide();
    Button2->setEnabled(false);
    // The rescan finds every change itself: what the watcher found meanwhile is dropped.
    context_.live.Stop();
    context_.live.DropQueued();
    refreshTimer_.stop();
    rescanForm_->Begin(context_.keeper.DescribedCount());
    PlaceRescanForm();
    if (mainWindowState_ == Shown) rescanForm_->show();
    ++rescanSerial_;
    context_.keeper.StartRescan(*rescanObserver_);
}

void TQuilloryForm1::PlaceRescanForm() {
    // Over the foot of the result list, never further right or higher than the list: the
    // command buttons beside it and the search controls above it stay in reach.
    const QRect list(ListView1->mapToGlobal(QPoint(0, 0)), ListView1->size());
    const QSize size = rescanForm_->frameGeometry().size();
    const int left = std::min(list.center().x() - size.width() / 2, list.right() + 1 - size.width());
    const int top = std::max(list.top(), list.bottom() + 1 - size.height() - 8);
    rescanForm_->move(left, top);
}

bool TQuilloryForm1::RescanRunning() const {
    return context_.keeper.Rescanning();
}

void TQuilloryForm1::ShowProgress(const QString& folder, qulonglong found) {
    SetStatusText(folder);
    rescanForm_->ShowProgress(folder, found, mainWindowState_ == Shown);
}

void TQuilloryForm1::RescanEnded() {
    const std::optional<RescanResult> result = context_.keeper.CollectRescan();
    if (!result) return;
    SetStatusText(FromBytes(result->statusText));
    if (!result->Completed()) stoppedRescanText_ = StatusText();
    rescanForm_->hide();
    Button2->setEnabled(true);
    // A stopped rescan holds part of the folders: following its changes would not make it whole.
    if (result->Completed()) RestartLiveUpdates();
    context_.keeper.PrepareNamesAhead();
    Q_EMIT rescanFinished();
}

void TQuilloryForm1::Listoffiles1Click() {
    const QString path =
        context_.prompts->SaveFileName(this, QStringLiteral("txt"), QStringLiteral("Text files (*.txt)"));
    if (path.isEmpty()) return;
    try {
        WriteFileList(ToBytes(path), context_.results);
        ShowExported(path);
    } catch (const std::exception& error) {
        ShowError(QString::fromUtf8(error.what()));
    }
}

void TQuilloryForm1::ShowExported(const QString& path) {
    SetStatusText(QStringLiteral("Exported %1 results to %2")
                      .arg(QLocale().toString(static_cast<qulonglong>(context_.results.Count())),
                           QFileInfo(path).fileName()));
}

void TQuilloryForm1::Tableofresults1Click() {
    if (!fieldsChooser_->ChooseExportFields()) return;
    const QString path =
        context_.prompts->SaveFileName(this, QStringLiteral("csv"), QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) return;
    try {
        WriteResultTable(ToBytes(path), context_.results, fieldsChooser_->Items(),
                         LocaleFormats::FromEnvironment());
        ShowExported(path);
    } catch (const std::exception& error) {
        ShowError(QString::fromUtf8(error.what()));
    }
}

QString TQuilloryForm1::SaveCatalogueAtTheEnd(bool& saved) {
    QString failure;
    const auto catalogue = context_.keeper.Read();
    const TProgramOptions& options = catalogue->Options;
    const std::string& working = context_.workingDatabasePath;
    // A stopped rescan found part of the folders: it never replaces a complete file. With no
    // file yet (a first start) what it found is better than nothing and is saved.
    const bool keepPrevious = catalogue->Incomplete && PathExists(working);
    if (!keepPrevious) {
        try {
            SaveDatabase(catalogue->Entries, options, working, ActivityLog());
        } catch (const std::exception& error) {
            failure = QStringLiteral(
                          "The catalogue was not saved to \"%1\": %2\nThe last saved copy is kept there.")
                          .arg(FromBytes(working), QString::fromUtf8(error.what()));
            saved = false;
        }
    }
    // The named database gets the working catalogue only when it was rescanned within a day
    // (either way, for a clock that moved back) and saved whole; a failed copy is not
    // reported.
    std::error_code sameFileError;
    if (saved && !catalogue->Incomplete && NamedDatabaseDue(options, context_.now()) &&
        !std::filesystem::equivalent(working, options.DBFileName, sameFileError)) {
        if (MayReplaceNamedDatabase(options.DBFileName)) {
            CopyOneFile(working, options.DBFileName);
        } else {
            failure = QStringLiteral("\"%1\" is not a database: the catalogue was not copied over it.")
                          .arg(FromBytes(options.DBFileName));
        }
    }
    return failure;
}

bool TQuilloryForm1::RunDestructionWork(bool someoneAnswers) {
    bool saved = true;
    // A failure is shown when someone is there to answer; at the session's end or on a
    // signal it goes to the activity log and the standard error stream instead, and the end
    // goes on: a box nobody answers would hold the program forever.
    const auto report = [this, someoneAnswers](const QString& text) {
        if (someoneAnswers) {
            ShowError(text);
            return;
        }
        std::fprintf(stderr, "quillory: %s\n", text.toLocal8Bit().constData());
        try {
            ActivityLog().AppendLog(": " + ToBytes(text));
        } catch (const std::exception&) {
        }
    };
    // Takes the catalogue back: a running rescan stops here and leaves it incomplete.
    RescanEnded();
    // The saved catalogue holds every change found up to now.
    context_.live.Stop();
    context_.live.ApplyQueued();
    // A failure is reported once the catalogue is let go: a box runs the event loop.
    const QString failure = SaveCatalogueAtTheEnd(saved);
    if (!failure.isEmpty()) report(failure);
    UnregisterHotKeys(*this);
    // The settings are saved even when the catalogue could not be.
    try {
        SaveSettings(CurrentSettings(), context_.settings);
    } catch (const std::exception& error) {
        report(QString::fromUtf8(error.what()));
        saved = false;
    }
    return saved;
}

void TQuilloryForm1::ExitProgram(bool someoneAnswers) {
    context_.exitRequested = true;
    if (!ended_) {
        ended_ = true;
        if (!RunDestructionWork(someoneAnswers)) exitStatus_ = 1;
    }
    tray_->hide();
    close();
    QCoreApplication::exit(exitStatus_);
}

}  // namespace quillory::app
