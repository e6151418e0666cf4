// The main window from one start to the next and around its dialogs: the geometry it keeps,
// the rule of the two "Find" boxes, coming back from the tray with a modal dialog open, and
// what a screen reader hears.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <climits>

#include "app/main_window.h"
#include "app/settings_store.h"
#include "fake_prompts.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

class MainWindowStateTest : public ::testing::Test {
  protected:
    MainWindowStateTest() {
        context.prompts = &prompts;
        context.workingDatabasePath = home.DataFolder() + "index.dat";
        window = std::make_unique<TQuilloryForm1>(context);
    }

    static DesktopSettings Geometry(int width, int height, int left, int top) {
        DesktopSettings settings;
        settings.view.stored = true;
        settings.view.width = width;
        settings.view.height = height;
        settings.view.left = left;
        settings.view.top = top;
        return settings;
    }

    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    ProgramContext context;
    std::unique_ptr<TQuilloryForm1> window;
};

TEST_F(MainWindowStateTest, EveryStartRestoresTheGeometryTheLastEndSaved) {
    DesktopSettings settings = Geometry(640, 400, 30, 20);
    for (int start = 0; start < 3; ++start) {
        window = std::make_unique<TQuilloryForm1>(context);
        window->ApplySettings(settings);
        window->OpenMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        const ViewGeometry saved = window->CurrentSettings().view;
        EXPECT_EQ(saved.width, 640) << "start " << start;
        EXPECT_EQ(saved.height, 400) << "start " << start;
        EXPECT_EQ(saved.left, 30) << "start " << start;
        EXPECT_EQ(saved.top, 20) << "start " << start;
        settings.view = saved;
    }
}

TEST_F(MainWindowStateTest, AStoredGeometryBeyondTheScreenIsFittedIntoItsFreeArea) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const DesktopSettings cases[] = {
        Geometry(100000, 100000, 10, 10), Geometry(INT_MAX, INT_MAX, INT_MAX, INT_MAX),
        Geometry(640, 300, INT_MIN, -5000), Geometry(640, 300, area.right() - 5, 10)};
    for (const DesktopSettings& settings : cases) {
        window->ApplySettings(settings);
        // Checked before the window is ever shown: a giant one must never reach the screen.
        ASSERT_TRUE(area.contains(QRect(window->pos(), window->size())))
            << settings.view.width << " x " << settings.view.left;
    }
    window->OpenMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // Once shown, the frame counts too.
    window->ApplySettings(cases[1]);
    EXPECT_TRUE(area.contains(window->frameGeometry()));
    window->ApplySettings(Geometry(640, 300, 40, 50));
    EXPECT_EQ(window->size(), QSize(640, 300));
    EXPECT_EQ(window->pos(), QPoint(40, 50));
}

TEST_F(MainWindowStateTest, FindFoldersOrFindFilesStaysTickedHoweverABoxChanges) {
    QCheckBox* folders = window->CheckBox(3);
    QCheckBox* files = window->CheckBox(4);
    // An assistive technology's toggle action, as a screen reader user unticks both.
    const auto toggle = [](QCheckBox* box) {
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(box);
        ASSERT_TRUE(access && access->actionInterface());
        access->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    toggle(folders);
    EXPECT_FALSE(folders->isChecked());
    EXPECT_TRUE(files->isChecked());
    toggle(files);
    EXPECT_FALSE(files->isChecked());
    EXPECT_TRUE(folders->isChecked());

    // The keyboard.
    folders->setFocus();
    QTest::keyClick(folders, Qt::Key_Space);
    EXPECT_FALSE(folders->isChecked());
    EXPECT_TRUE(files->isChecked());

    // Settings with both off.
    DesktopSettings settings;
    settings.findFolders = false;
    settings.findFiles = false;
    window->ApplySettings(settings);
    EXPECT_TRUE(files->isChecked());
    EXPECT_FALSE(folders->isChecked());
}

TEST_F(MainWindowStateTest, TheTrayAndTheHotKeyBringBackTheWindowWithTheModalDialogAboveIt) {
    window->SetTrayAvailable([] { return true; });
    window->OpenMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QDialog dialog(window.get());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    // Another program's window has the focus before each way back.
    QWidget elsewhere;
    elsewhere.show();

    const std::pair<const char*, std::function<void()>> ways[] = {
        {"tray click", [this] { Q_EMIT window->TrayIcon()->activated(QSystemTrayIcon::Trigger); }},
        {"tray menu", [this] { window->MenuAction(QStringLiteral("OpenQuillorySearch1"))->trigger(); }},
        // Hot key 1 also activates the window itself afterwards.
        {"hot key",
         [this] {
             window->OpenMainWindow();
             window->activateWindow();
         }},
    };
    for (const auto& [way, open] : ways) {
        elsewhere.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &elsewhere; }, 5000));
        // The window manager minimises the dialog with its window. A blocked tray icon could
        // not bring the window back, so it stays on the taskbar instead of going to the tray.
        dialog.showMinimized();
        window->showMinimized();
        QApplication::processEvents();
        EXPECT_TRUE(window->isVisible()) << way;
        EXPECT_EQ(window->MainWindowState(), TQuilloryForm1::HiddenToTray) << way;

        open();
        EXPECT_FALSE(window->isMinimized()) << way;
        EXPECT_FALSE(dialog.isMinimized()) << way;
        EXPECT_EQ(window->MainWindowState(), TQuilloryForm1::Shown) << way;
        // Every activation asked for on the way arrives; the last one must be the dialog's.
        for (int round = 0; round < 5; ++round) QApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), &dialog) << way;
    }
    dialog.hide();

    // With no modal dialog the window goes to the tray; with no tray it is only minimised.
    window->close();
    EXPECT_FALSE(window->isVisible());
    window->SetTrayAvailable([] { return false; });
    window->OpenMainWindow();
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
}

TEST_F(MainWindowStateTest, ScreenReadersHearTheStatusTextAndNameTheSearchBox) {
    const QString text = QStringLiteral("OK! 12 files found. Search time: 0.01 sec.");
    window->SetStatusText(text);
    QLabel* status = window->statusBar()->findChild<QLabel*>();
    ASSERT_NE(status, nullptr);
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(status);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->text(QAccessible::Name), text);
    EXPECT_EQ(access->text(QAccessible::Description), QStringLiteral("Status"));

    QAccessibleInterface* search = QAccessible::queryAccessibleInterface(window->SearchBox()->lineEdit());
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->text(QAccessible::Name), QStringLiteral("Search text"));
}

}  // namespace
}  // namespace quillory::app
