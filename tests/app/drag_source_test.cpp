// The file source as drop targets and the result list see it: the formats and bytes of the
// data object, the outcome of a drag, and the mouse gestures that start one (with the drag
// loop replaced by a recorder, so no real drag ever runs).
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QUrl>

#include "actions/clipboard_text.h"
#include "app/drop_file_source.h"
#include "app/file_drop_data.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/view_selection.h"
#include "tests/results/result_builder.h"

namespace quillory::app {
namespace {

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

TEST(FileDropData, RendersEachFormatOnDemandInTheFixedOrder) {
    const std::vector<std::string> files = {"/d/a b.txt",
                                            "/d/\xC3\x9C"
                                            "ber \"q\".mp3",
                                            "/d/it's.txt"};
    FileDropData data(files, PreferredEffect::Copy);
    EXPECT_EQ(data.formats(), (QStringList{"text/uri-list", "x-special/gnome-copied-files",
                                           "application/x-kde-cutselection", "text/plain"}));
    EXPECT_EQ(data.Renders(), 0);
    EXPECT_TRUE(data.hasFormat(QStringLiteral("x-special/gnome-copied-files")));
    EXPECT_FALSE(data.hasFormat(QStringLiteral("text/html")));

    const QByteArray uris[] = {"file:///d/a%20b.txt", "file:///d/%C3%9Cber%20%22q%22.mp3",
                               "file:///d/it%27s.txt"};
    EXPECT_EQ(data.data(QStringLiteral("text/uri-list")),
              uris[0] + "\r\n" + uris[1] + "\r\n" + uris[2] + "\r\n");
    EXPECT_EQ(data.Renders(), 1);
    EXPECT_EQ(data.data(QStringLiteral("x-special/gnome-copied-files")),
              "copy\n" + uris[0] + "\n" + uris[1] + "\n" + uris[2]);
    EXPECT_EQ(data.data(QStringLiteral("application/x-kde-cutselection")), QByteArray("0"));
    EXPECT_EQ(data.data(QStringLiteral("text/plain")), Bytes(files[0] + "\n" + files[1] + "\n" + files[2]));
    EXPECT_EQ(data.data(QStringLiteral("text/html")), QByteArray());

    // Toolkit readers get the same files back.
    const QList<QUrl> urls = data.urls();
    ASSERT_EQ(urls.size(), 3);
    EXPECT_EQ(urls[1].toLocalFile(), QString::fromUtf8(files[1].c_str()));
    EXPECT_EQ(data.text(), QString::fromUtf8((files[0] + "\n" + files[1] + "\n" + files[2]).c_str()));
}

TEST(FileDropData, OneFileAndACut) {
    FileDropData data({"/home/ann/my notes.txt"}, PreferredEffect::Cut);
    EXPECT_EQ(data.data(QStringLiteral("text/uri-list")), QByteArray("file:///home/ann/my%20notes.txt\r\n"));
    EXPECT_EQ(data.data(QStringLiteral("x-special/gnome-copied-files")),
              QByteArray("cut\nfile:///home/ann/my%20notes.txt"));
    EXPECT_EQ(data.data(QStringLiteral("application/x-kde-cutselection")), QByteArray("1"));
    EXPECT_EQ(data.data(QStringLiteral("text/plain")), QByteArray("/home/ann/my notes.txt"));
}

struct RecordedDrag {
    std::vector<std::string> files;
    Qt::DropActions allowed;
    QStringList formats;
};

// Replaces the drag loop: records what would have been dragged and answers `answer`.
DragExecutor Recorder(std::vector<RecordedDrag>& drags, Qt::DropAction answer = Qt::CopyAction) {
    return [&drags, answer](QObject*, std::unique_ptr<QMimeData> data, Qt::DropActions allowed) {
        const auto* files = dynamic_cast<FileDropData*>(data.get());
        drags.push_back({files ? files->Files() : std::vector<std::string>{}, allowed, data->formats()});
        return answer;
    };
}

TEST(DropFileSource, OffersCopyOnlyAndReportsTheOutcome) {
    std::vector<RecordedDrag> drags;
    TDropFileSource source;
    EXPECT_EQ(source.ExecuteDrag(nullptr), DragOutcome::Cancelled) << "no files";

    source.Files = {"/a.txt", "/b.txt"};
    const struct {
        Qt::DropAction answer;
        DragOutcome outcome;
    } rows[] = {
        {Qt::CopyAction, DragOutcome::Copied},
        {Qt::IgnoreAction, DragOutcome::Cancelled},
        {Qt::MoveAction, DragOutcome::Cancelled},  // not allowed: nothing was moved
        {Qt::LinkAction, DragOutcome::Cancelled},
    };
    for (const auto& row : rows) {
        source.SetExecutor(Recorder(drags, row.answer));
        EXPECT_EQ(source.ExecuteDrag(nullptr), row.outcome) << row.answer;
    }
    ASSERT_EQ(drags.size(), 4u);
    EXPECT_EQ(drags[0].allowed, Qt::DropActions(Qt::CopyAction));
    EXPECT_EQ(drags[0].files, source.Files);
    EXPECT_EQ(drags[0].formats.size(), 4);

    EXPECT_EQ(OutcomeOf(Qt::MoveAction, Qt::CopyAction | Qt::MoveAction), DragOutcome::Moved);
    EXPECT_EQ(OutcomeOf(Qt::LinkAction, Qt::LinkAction), DragOutcome::Linked);
}

class ListDragTest : public ::testing::Test {
  protected:
    ListDragTest() : model(results, LocaleFormats::FromEnvironment()), selection(view, model) {
        for (const char* name : {"a.txt", "b c.txt", "\xC3\xA9t\xC3\xA9.mp3", "d.txt", "e.txt"}) {
            test::AddResult(results, {name, "/r/"});
        }
        model.ShowResults(results.Count());
        view.setModel(&model);
        view.SetDragFiles([this] { return SelectedFullPaths(results, selection); });
        view.DropSource().SetExecutor(Recorder(drags));
        view.resize(400, 300);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    ~ListDragTest() override {
        // The test library remembers held buttons between tests: let go of all of them.
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            if (QTestPrivate::qtestMouseButtons & button)
                QTest::mouseRelease(view.viewport(), button, {}, last);
        }
    }

    QPoint RowPoint(int row) const { return view.visualRect(model.index(row, 0)).center(); }
    void Press(Qt::MouseButton button, QPoint at, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(view.viewport(), button, modifiers, at);
        last = at;
    }
    void Move(QPoint at) {
        QTest::mouseMove(view.viewport(), at);
        last = at;
    }
    // A move with modifier keys or buttons of its own (QTest moves carry neither).
    void MoveWith(QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
        QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton, buttons,
                         modifiers);
        QApplication::sendEvent(view.viewport(), &move);
        last = at;
    }

    EntryList results;
    ResultListModel model;
    ResultListView view;
    ViewSelection selection;
    std::vector<RecordedDrag> drags;
    QPoint last;
};

TEST_F(ListDragTest, TheSelectedRowsGoOnceThePointerHasMovedTenPixels) {
    for (size_t row : {0u, 2u, 3u}) selection.SetSelected(row, true);
    const QPoint start = RowPoint(2);
    Press(Qt::LeftButton, start);
    Move(start + QPoint(9, 9));
    EXPECT_TRUE(drags.empty());
    Move(start + QPoint(10, 0));
    ASSERT_EQ(drags.size(), 1u);
    EXPECT_EQ(drags[0].files, (std::vector<std::string>{"/r/a.txt", "/r/\xC3\xA9t\xC3\xA9.mp3", "/r/d.txt"}));
    EXPECT_EQ(drags[0].allowed, Qt::DropActions(Qt::CopyAction));
    EXPECT_EQ(view.DropSource().Files, drags[0].files);
    EXPECT_TRUE(view.Gesture().DraggedSincePress());

    // The gesture is used up: further moves start nothing until the next press.
    Move(start + QPoint(40, 40));
    EXPECT_EQ(drags.size(), 1u);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, last);
    Press(Qt::LeftButton, RowPoint(0));
    EXPECT_FALSE(view.Gesture().DraggedSincePress());
    Move(RowPoint(0) - QPoint(0, 12));
    EXPECT_EQ(drags.size(), 2u);
}

TEST_F(ListDragTest, ModifierKeysOtherButtonsAndAnEmptySelectionStartNothing) {
    const QPoint start = RowPoint(1);
    Press(Qt::LeftButton, start, Qt::ControlModifier);
    ASSERT_TRUE(selection.IsSelected(1));
    MoveWith(start + QPoint(0, 30), Qt::LeftButton, Qt::ControlModifier);
    MoveWith(start + QPoint(30, 0), Qt::LeftButton, Qt::ShiftModifier);
    MoveWith(start + QPoint(30, 0), Qt::LeftButton, Qt::AltModifier);
    MoveWith(start + QPoint(30, 0), Qt::LeftButton | Qt::MiddleButton, {});
    MoveWith(start + QPoint(30, 0), Qt::LeftButton | Qt::RightButton, {});
    MoveWith(start + QPoint(30, 0), Qt::MiddleButton, {});
    EXPECT_TRUE(drags.empty());
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, last);

    // A press below the last row selects nothing: no drag however far the pointer goes.
    selection.SetRangeSelected(0, results.Count(), false);
    ASSERT_EQ(selection.SelectedCount(), 0u);
    const QPoint empty(50, view.viewport()->height() - 5);
    ASSERT_EQ(view.indexAt(empty).row(), -1);
    Press(Qt::LeftButton, empty);
    ASSERT_EQ(selection.SelectedCount(), 0u);
    Move(empty - QPoint(30, 30));
    EXPECT_TRUE(drags.empty());
}

TEST_F(ListDragTest, ARightButtonDragKeepsTheSelectionAndRulesOutTheMenu) {
    for (size_t row : {1u, 4u}) selection.SetSelected(row, true);
    const QPoint start = RowPoint(4);
    Press(Qt::RightButton, start);
    EXPECT_TRUE(view.Gesture().MenuAllowed());
    Move(start + QPoint(0, -10));
    ASSERT_EQ(drags.size(), 1u);
    EXPECT_EQ(drags[0].files, (std::vector<std::string>{"/r/b c.txt", "/r/e.txt"}));
    EXPECT_FALSE(view.Gesture().MenuAllowed());
    QTest::mouseRelease(view.viewport(), Qt::RightButton, {}, last);
    EXPECT_FALSE(view.Gesture().MenuAllowed());
    Press(Qt::RightButton, start);
    EXPECT_TRUE(view.Gesture().MenuAllowed());
}

TEST_F(ListDragTest, PressingOneOfSeveralSelectedRowsDragsThemAll) {
    for (size_t row : {0u, 1u, 3u}) selection.SetSelected(row, true);
    const QPoint start = RowPoint(3);
    Press(Qt::LeftButton, start);
    Move(start + QPoint(15, 0));
    ASSERT_EQ(drags.size(), 1u);
    EXPECT_EQ(drags[0].files, (std::vector<std::string>{"/r/a.txt", "/r/b c.txt", "/r/d.txt"}));
}

}  // namespace
}  // namespace quillory::app
