// The result actions in the window: opening, the clipboard, the context menu and transfers of
// real files, with the user and the desktop played by fakes.
#include "app/result_actions.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QMouseEvent>
#include <QTest>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "app/file_properties_form.h"
#include "app/main_window.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/view_selection.h"
#include "fake_prompts.h"
#include "fake_result_action_prompts.h"
#include "platform/trash.h"
#include "tests/results/result_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

namespace fs = std::filesystem;
using quillory::test::ReadFileBytes;

QByteArray ClipboardData(const char* format) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data ? data->data(QString::fromLatin1(format)) : QByteArray();
}

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

class ResultActionsTest : public ::testing::Test {
  protected:
    ResultActionsTest() { context.prompts = &prompts; }

    // Real files in a source folder, shown as the results, none selected.
    void ShowFiles(std::initializer_list<std::string_view> names) {
        for (const std::string_view name : names) {
            home.Dir().WriteFile("src/" + std::string(name), name);
            quillory::test::AddResult(context.results, {name, source});
        }
        Start();
    }
    void Start() {
        window = std::make_unique<TQuilloryForm1>(context);
        actions = new ResultActions(*window, launcher, actionPrompts, operations);
        window->Model()->ShowResults(context.results.Count());
    }
    void Select(std::initializer_list<size_t> rows, std::optional<size_t> focus) {
        for (size_t row : rows) window->Selection().SetSelected(row, true);
        if (focus) window->Selection().SetFocusedRow(*focus);
    }
    std::vector<size_t> SelectedRows() const {
        std::vector<size_t> rows;
        const std::vector<bool> selected = window->Selection().SelectedRows();
        for (size_t row = 0; row < selected.size(); ++row)
            if (selected[row]) rows.push_back(row);
        return rows;
    }
    // Starts a transfer through the menu item and waits for its end.
    void Transfer(const char* menuItem, const QString& folder) {
        actionPrompts.nextFolder = folder;
        QSignalSpy done(&actions->Transfer(), &TransferCommand::finished);
        window->MenuAction(QString::fromLatin1(menuItem))->trigger();
        ASSERT_TRUE(done.wait(10000));
    }

    quillory::test::IsolatedHome home;
    std::string source = home.Dir().MakeDir("src") + "/";
    std::string target = home.Dir().MakeDir("dst");
    test::FakePrompts prompts;
    test::FakeResultActionPrompts actionPrompts;
    test::RecordingLauncher launcher;
    FileOperations operations;
    ProgramContext context;
    std::unique_ptr<TQuilloryForm1> window;
    ResultActions* actions = nullptr;  // owned by the window
};

TEST_F(ResultActionsTest, CopyFilesPutsEveryFormatOfTheSelectedFilesOnTheClipboard) {
    ShowFiles({"a b.txt", "Grüße \"x\".txt", "it's.txt", "skipped.txt"});
    Select({0, 1, 2}, 3);
    window->MenuAction(QStringLiteral("Copyfiles1"))->trigger();
    const std::string a = source + "a b.txt", b = source + "Grüße \"x\".txt", c = source + "it's.txt";
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->formats(), (QStringList{"text/uri-list", "x-special/gnome-copied-files",
                                            "application/x-kde-cutselection", "text/plain"}));
    // Qt's own percent-encoding is the independent check of the URIs.
    const auto uri = [](const std::string& path) {
        return "file://" + QUrl::toPercentEncoding(QString::fromStdString(path), "/").toStdString();
    };
    EXPECT_EQ(ClipboardData("x-special/gnome-copied-files"),
              Bytes("copy\n" + uri(a) + "\n" + uri(b) + "\n" + uri(c)));
    EXPECT_EQ(ClipboardData("text/uri-list"), Bytes(uri(a) + "\r\n" + uri(b) + "\r\n" + uri(c) + "\r\n"));
    EXPECT_EQ(ClipboardData("application/x-kde-cutselection"), "0");
    EXPECT_EQ(ClipboardData("text/plain"), Bytes(a + "\n" + b + "\n" + c));
    // Other programs read the list back as the three files, in list order.
    const QList<QUrl> urls = data->urls();
    ASSERT_EQ(urls.size(), 3);
    EXPECT_EQ(urls[0].toLocalFile().toStdString(), a);
    EXPECT_EQ(urls[1].toLocalFile().toStdString(), b);
    EXPECT_EQ(urls[2].toLocalFile().toStdString(), c);
    EXPECT_EQ(SelectedRows(), (std::vector<size_t>{0, 1, 2}));  // the selection is untouched

    // With nothing selected the clipboard keeps what it had.
    window->Selection().SelectRows(std::vector<bool>(4, false));
    window->MenuAction(QStringLiteral("Copyfiles1"))->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->urls().size(), 3);
}

TEST_F(ResultActionsTest, CopyShortcutsAndCtrlCPutPathsAsText) {
    ShowFiles({"one.txt", "two words.txt", "three.txt"});
    Select({0, 1}, 2);
    window->MenuAction(QStringLiteral("Copyshortcuts1"))->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->formats(), QStringList{"text/plain"});
    EXPECT_EQ(ClipboardData("text/plain"), Bytes(source + "one.txt\n" + source + "two words.txt\n"));
    EXPECT_EQ(SelectedRows(), std::vector<size_t>{2});  // only the focused row is left selected

    // Ctrl+C: the focused row alone, no line end, even when it is not selected.
    Select({0}, 1);
    window->Selection().SetSelected(1, false);
    window->ResultView()->setFocus();
    QTest::keyClick(window->ResultView(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), source + "two words.txt");
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->formats(), QStringList{"text/plain"});
}

TEST_F(ResultActionsTest, ExecuteEnterDoubleClickOpenFilesAndOpenFolder) {
    ShowFiles({"a.txt", "Report.DOCX", "c d.txt"});
    Select({1, 2}, 0);
    window->MenuAction(QStringLiteral("Execute1"))->trigger();
    window->ResultView()->setFocus();
    QTest::keyClick(window->ResultView(), Qt::Key_Return);
    window->MenuAction(QStringLiteral("Openfiles1"))->trigger();
    window->MenuAction(QStringLiteral("Openfolder1"))->trigger();
    EXPECT_EQ(launcher.calls,
              (std::vector<std::string>{"launcher \"" + source + "a.txt\"",
                                        "launcher \"" + source + "a.txt\"", "owner " + source + "Report.DOCX",
                                        "launcher \"" + source + "c d.txt\"", "folder " + source + "a.txt"}));

    // A double-click on a row (its first click focuses it) opens it.
    launcher.calls.clear();
    window->resize(600, 400);
    window->show();
    const QRect row = window->ResultView()->visualRect(window->Model()->index(2, 0));
    QTest::mouseClick(window->ResultView()->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(window->ResultView()->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_FALSE(launcher.calls.empty());
    EXPECT_EQ(launcher.calls.back(), "launcher \"" + source + "c d.txt\"");
}

TEST_F(ResultActionsTest, NothingIsOpenedWithoutAFocusedRow) {
    ShowFiles({"a.txt"});
    Select({0}, std::nullopt);
    window->MenuAction(QStringLiteral("Execute1"))->trigger();
    window->MenuAction(QStringLiteral("Openfolder1"))->trigger();
    EXPECT_TRUE(launcher.calls.empty());
    actions->ShowContextMenu(QPoint(-1, -1));
    EXPECT_TRUE(actionPrompts.menuPositions.empty());
}

TEST_F(ResultActionsTest, ContextMenuShowsTheProgramsItemFirstAndItsCommandOpensTheFolder) {
    ShowFiles({"a.txt", "b.txt", "c.txt"});
    Select({0, 2}, 1);
    actionPrompts.chooseCommand = kOpenContainingFolderCommand;
    actions->ShowContextMenu(QPoint(5, 5));
    const std::vector<std::pair<QString, int>> expected{{"Open Containing Folder", 135},
                                                        {"-", 136},
                                                        {"&Open", 1},
                                                        {"&Copy", 2},
                                                        {"Copy &Path", 3},
                                                        {"-", 0},
                                                        {"Move to &Trash", 4},
                                                        {"-", 0},
                                                        {"P&roperties", 5}};
    EXPECT_EQ(actionPrompts.menuItems, expected);
    // For the focused row only, whatever else is selected.
    EXPECT_EQ(launcher.calls, std::vector<std::string>{"folder " + source + "b.txt"});
    EXPECT_EQ(actionPrompts.menuPositions.at(0), window->ResultView()->viewport()->mapToGlobal(QPoint(5, 5)));

    // The desktop's commands: Open goes through the open rule, Copy Path to the clipboard.
    actionPrompts.chooseCommand = kOpenCommand;
    actions->ShowContextMenu(QPoint(5, 5));
    EXPECT_EQ(launcher.calls.back(), "launcher \"" + source + "b.txt\"");
    actionPrompts.chooseCommand = kCopyPathCommand;
    actions->ShowContextMenu(QPoint(5, 5));
    EXPECT_EQ(ClipboardData("text/plain"), Bytes(source + "b.txt"));
    actionPrompts.chooseCommand = kCopyCommand;
    actions->ShowContextMenu(QPoint(5, 5));
    EXPECT_EQ(ClipboardData("x-special/gnome-copied-files"), Bytes("copy\nfile://" + source + "b.txt"));
    EXPECT_EQ(launcher.calls.size(), 2u);
}

TEST_F(ResultActionsTest, PropertiesShowsTheFileAndAMissingFileShowsNoMenu) {
    ShowFiles({"size 12.txt", "gone.txt"});
    fs::remove(source + "gone.txt");
    Select({}, 0);
    QString name, folder, size, permissions;
    actionPrompts.onDialog = [&](QDialog& dialog) {
        auto& form = dynamic_cast<TFilePropertiesForm&>(dialog);
        name = form.Value("Name");
        folder = form.Value("Folder");
        size = form.Value("Size");
        permissions = form.Value("Permissions");
    };
    actionPrompts.chooseCommand = kPropertiesCommand;
    actions->ShowContextMenu(QPoint(-1, -1));
    EXPECT_EQ(name, "size 12.txt");
    EXPECT_EQ(folder.toStdString(), source);
    EXPECT_TRUE(size.endsWith(" bytes")) << size.toStdString();
    EXPECT_TRUE(permissions.startsWith('-'));

    window->Selection().SetFocusedRow(1);
    actions->ShowContextMenu(QPoint(-1, -1));
    EXPECT_EQ(actionPrompts.menuPositions.size(), 1u);  // no second menu
}

TEST_F(ResultActionsTest, MoveToTrashPutsTheFileInTheUsersTrash) {
    ShowFiles({"waste.txt"});
    Select({}, 0);
    actionPrompts.chooseCommand = kMoveToTrashCommand;
    actions->ShowContextMenu(QPoint(-1, -1));
    EXPECT_FALSE(fs::exists(source + "waste.txt"));
    EXPECT_TRUE(fs::exists(home.Dir() / "data/Trash/files/waste.txt"));
    EXPECT_TRUE(prompts.errors.isEmpty());
}

// A name that is not UTF-8 and a neighbour whose name reads the same on screen: the trash
// gets the chosen entry's file, recorded under its exact bytes.
TEST_F(ResultActionsTest, MoveToTrashTakesTheEntrysOwnBytes) {
    const std::string bad = "bad\xff.txt";
    const std::string lookalike = "bad\xef\xbf\xbd.txt";
    ShowFiles({bad, lookalike});
    Select({}, 0);
    actionPrompts.chooseCommand = kMoveToTrashCommand;
    actions->ShowContextMenu(QPoint(-1, -1));
    EXPECT_FALSE(fs::exists(source + bad));
    EXPECT_EQ(ReadFileBytes(source + lookalike), lookalike);
    EXPECT_EQ(ReadFileBytes(home.Dir() / "data/Trash/files/" + bad), bad);
    const std::string info = ReadFileBytes(home.Dir() / "data/Trash/info/" + bad + ".trashinfo");
    EXPECT_NE(info.find("\nPath=" + TrashInfoPath(source) + "bad%FF.txt\n"), std::string::npos) << info;
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(ResultActionsTest, MenuKeyAndShiftF10OpenTheMenuAtTheFocusedRow) {
    ShowFiles({"a.txt", "b.txt", "c.txt"});
    window->resize(600, 400);
    window->show();
    Select({}, 2);
    window->ResultView()->setFocus();
    QTest::keyClick(window->ResultView(), Qt::Key_Menu);
    QTest::keyClick(window->ResultView(), Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_EQ(actionPrompts.menuPositions.size(), 2u);
    const QRect row = window->ResultView()->visualRect(window->Model()->index(2, 0));
    const QRect globalRow(window->ResultView()->viewport()->mapToGlobal(row.topLeft()), row.size());
    EXPECT_TRUE(globalRow.contains(actionPrompts.menuPositions[0])) << row.y();
    EXPECT_EQ(actionPrompts.menuPositions[1], actionPrompts.menuPositions[0]);

    // F5 repaints and changes nothing.
    QTest::keyClick(window->ResultView(), Qt::Key_F5);
    EXPECT_EQ(window->Model()->rowCount(), 3);
}

TEST_F(ResultActionsTest, RightButtonOpensTheMenuWhenItGoesUpUnlessADragCameFirst) {
    ShowFiles({"a.txt", "b.txt", "c.txt"});
    window->resize(600, 400);
    window->show();
    Select({1}, 1);
    int drags = 0;
    window->ResultView()->DropSource().SetExecutor(
        [&drags](QObject*, std::unique_ptr<QMimeData>, Qt::DropActions) {
            ++drags;
            return Qt::CopyAction;
        });
    QWidget* viewport = window->ResultView()->viewport();
    const QPoint row = window->ResultView()->visualRect(window->Model()->index(1, 0)).center();

    QTest::mousePress(viewport, Qt::RightButton, {}, row);
    EXPECT_TRUE(actionPrompts.menuPositions.empty());  // not on the way down
    QTest::mouseRelease(viewport, Qt::RightButton, {}, row);
    EXPECT_EQ(actionPrompts.menuPositions.size(), 1u);

    // A right-button drag: the drag runs, and no menu follows when the button goes up.
    QTest::mousePress(viewport, Qt::RightButton, {}, row);
    QMouseEvent move(QEvent::MouseMove, QPointF(row + QPoint(0, 12)), viewport->mapToGlobal(QPointF(row + QPoint(0, 12))),
                     Qt::NoButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, row + QPoint(0, 12));
    EXPECT_EQ(drags, 1);
    EXPECT_EQ(actionPrompts.menuPositions.size(), 1u);
}

TEST_F(ResultActionsTest, CopyToFolderCopiesTheSelectedFilesAndKeepsTheList) {
    ShowFiles({"a.txt", "b c.txt", "d.txt"});
    home.Dir().WriteFile("dst/a.txt", "old");  // replaced without a question
    Select({0, 1}, 2);
    Transfer("Copytofolder1", QString::fromStdString(target));  // no trailing separator
    EXPECT_EQ(ReadFileBytes(target + "/a.txt"), "a.txt");
    EXPECT_EQ(ReadFileBytes(target + "/b c.txt"), "b c.txt");
    EXPECT_FALSE(fs::exists(target + "/d.txt"));
    EXPECT_EQ(window->StatusText(), "OK! - 2 files copied");
    EXPECT_EQ(window->Model()->rowCount(), 3);
    EXPECT_EQ(SelectedRows(), (std::vector<size_t>{0, 1, 2}));  // the focused row is selected too
    EXPECT_TRUE(actionPrompts.questions.empty());

    // A cancelled folder browser does nothing.
    actionPrompts.nextFolder.clear();
    window->MenuAction(QStringLiteral("Movetofolder1"))->trigger();
    EXPECT_FALSE(actions->Transfer().Running());
    EXPECT_EQ(actionPrompts.foldersAsked, 2);
}

TEST_F(ResultActionsTest, CopyOrMoveToFolderWithNothingSelectedSaysSoWithoutAskingForAFolder) {
    ShowFiles({"a.txt"});
    actionPrompts.nextFolder = QString::fromStdString(target);
    for (const char* item : {"Copytofolder1", "Movetofolder1"}) {
        window->SetStatusText({});
        window->MenuAction(QString::fromLatin1(item))->trigger();
        EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Nothing is selected"))) << item;
    }
    EXPECT_EQ(actionPrompts.foldersAsked, 0);
    EXPECT_FALSE(actions->Transfer().Running());
}

TEST_F(ResultActionsTest, MoveWithAFailingFileAndIgnoreShrinksTheList) {
    ShowFiles({"a.txt", "b.txt", "c.txt", "d.txt"});
    home.Dir().MakeDir("dst/b.txt");  // a folder holds b's name: b cannot be moved there
    Select({0, 1, 2}, 3);
    actionPrompts.answers = {ErrorAnswer::Ignore};
    Transfer("Movetofolder1", QString::fromStdString(target + "/"));
    EXPECT_EQ(actionPrompts.questions, std::vector<std::string>{"Error|Cannot move the file\r\nb.txt"});
    EXPECT_EQ(window->StatusText(), "OK! - 2 files moved");
    EXPECT_EQ(quillory::test::Names(context.results), "b.txt d.txt");
    EXPECT_EQ(window->Model()->rowCount(), 2);
    EXPECT_EQ(SelectedRows(), std::vector<size_t>{0});  // b stays selected; the focused row 3 is gone
    EXPECT_TRUE(fs::exists(target + "/a.txt"));
    EXPECT_TRUE(fs::exists(target + "/c.txt"));
    EXPECT_TRUE(fs::exists(source + "b.txt"));
    EXPECT_TRUE(fs::exists(source + "d.txt"));
}

TEST_F(ResultActionsTest, AbortEndsTheMoveAtOnce) {
    ShowFiles({"a.txt", "b.txt", "c.txt"});
    home.Dir().MakeDir("dst/b.txt");
    Select({0, 1, 2}, 1);
    actionPrompts.answers = {ErrorAnswer::Abort};
    Transfer("Movetofolder1", QString::fromStdString(target));
    EXPECT_EQ(window->StatusText(), "Abort! - 1 files moved");
    EXPECT_EQ(quillory::test::Names(context.results), "b.txt c.txt");
    EXPECT_TRUE(fs::exists(source + "c.txt"));  // never touched
    EXPECT_FALSE(fs::exists(target + "/c.txt"));
    EXPECT_EQ(window->Selection().FocusedRow(), std::optional<size_t>(1));
}

// Holds the first copy until the test lets it go, so a stop arrives during a transfer.
struct GatedOperations : FileOperations {
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false;
    bool released = false;
    int CopyContent(int from, int to) override {
        {
            std::unique_lock lock(mutex);
            started = true;
            changed.notify_all();
            changed.wait(lock, [this] { return released; });
        }
        return FileOperations::CopyContent(from, to);
    }
};

TEST(ResultActionsStop, AStopEndsTheTransferAfterTheFileUnderWay) {
    quillory::test::IsolatedHome home;
    const std::string source = home.Dir().MakeDir("src") + "/";
    const std::string target = home.Dir().MakeDir("dst");
    test::FakePrompts prompts;
    test::FakeResultActionPrompts actionPrompts;
    test::RecordingLauncher launcher;
    GatedOperations operations;
    ProgramContext context;
    context.prompts = &prompts;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        home.Dir().WriteFile(std::string("src/") + name, name);
        quillory::test::AddResult(context.results, {name, source});
    }
    TQuilloryForm1 window(context);
    auto* actions = new ResultActions(window, launcher, actionPrompts, operations);
    window.Model()->ShowResults(3);
    window.Selection().SelectAllRows();
    QSignalSpy done(&actions->Transfer(), &TransferCommand::finished);
    ASSERT_TRUE(actions->Transfer().Start(target, false));
    EXPECT_FALSE(actions->Transfer().Start(target, true));  // one transfer at a time
    {
        std::unique_lock lock(operations.mutex);
        operations.changed.wait(lock, [&] { return operations.started; });
    }
    actions->Transfer().Stop();
    {
        std::lock_guard lock(operations.mutex);
        operations.released = true;
        operations.changed.notify_all();
    }
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(window.StatusText(), "Abort! - 1 files copied");
    EXPECT_TRUE(fs::exists(target + "/a.txt"));
    EXPECT_FALSE(fs::exists(target + "/b.txt"));
    EXPECT_FALSE(actions->Transfer().Running());
}

// Stands in for a window thread that never gets round to the calls posted to an object: it
// takes them and drops them.
class DroppedPostedCalls : public QObject {
  public:
    int dropped = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MetaCall) return false;
        ++dropped;
        return true;
    }
};

TEST(ResultActionsStop, ClosingTheWindowDuringAnUnansweredQuestionEndsTheTransfer) {
    quillory::test::IsolatedHome home;
    const std::string source = home.Dir().MakeDir("src") + "/";
    test::FakePrompts prompts;
    test::FakeResultActionPrompts actionPrompts;
    test::RecordingLauncher launcher;
    ProgramContext context;
    context.prompts = &prompts;
    quillory::test::AddResult(context.results, {"missing.txt", source});
    quillory::test::AddResult(context.results, {"b.txt", source});
    home.Dir().WriteFile("src/b.txt", "b");
    auto window = std::make_unique<TQuilloryForm1>(context);
    auto* actions = new ResultActions(*window, launcher, actionPrompts);
    window->Model()->ShowResults(2);
    window->Selection().SelectAllRows();
    DroppedPostedCalls neverRun;
    actions->Transfer().installEventFilter(&neverRun);
    ASSERT_TRUE(actions->Transfer().Start(home.Dir().MakeDir("dst"), false));
    // The question is posted to the window's thread, which never runs it: the window ends
    // first, and its end must not wait for an answer that will never come. It follows two
    // status texts (waiting, then the copy of missing.txt).
    ASSERT_TRUE(QTest::qWaitFor([&] { return neverRun.dropped >= 3; }, 10000));
    window.reset();
    EXPECT_FALSE(fs::exists(home.Dir() / "dst/b.txt"));
}

}  // namespace
}  // namespace quillory::app
