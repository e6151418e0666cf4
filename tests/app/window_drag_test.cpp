// The main window's list drags the selected results' files and shows their icons.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "app/main_window.h"
#include "app/result_icons.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/view_selection.h"
#include "fake_prompts.h"
#include "tests/search/catalogue_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

TEST(WindowDrag, TheSelectedResultsAreDraggedWithTheirIcons) {
    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    ProgramContext context;
    context.prompts = &prompts;
    context.settings.MaxResultsCount = 100;
    context.workingDatabasePath = home.DataFolder() + "index.dat";
    quillory::test::AddEntry(context.keeper.Write()->Entries, "/music/", "zeta song.mp3");
    quillory::test::AddEntry(context.keeper.Write()->Entries, "/docs/", "notes.txt");
    quillory::test::AddEntry(context.keeper.Write()->Entries, "/docs/", "alpha.mp3");
    TQuilloryForm1 window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    std::vector<std::string> dragged;
    ResultListView& view = *window.ResultView();
    view.DropSource().SetExecutor([&](QObject*, std::unique_ptr<QMimeData> data, Qt::DropActions) {
        dragged.push_back(data->data(QStringLiteral("text/plain")).toStdString());
        return Qt::CopyAction;
    });
    window.SearchBox()->setEditText(QStringLiteral("*.mp3"));
    window.SearchBox()->lineEdit()->setFocus();
    QTest::keyClick(window.SearchBox()->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(window.Model()->rowCount(), 2);
    // The visible rows get their icons when the window is idle.
    ASSERT_TRUE(QTest::qWaitFor([&] { return context.results[0].IconIndex >= 1; }, 10000));
    EXPECT_EQ(context.results[1].IconIndex, context.results[0].IconIndex);

    window.Selection().SetRangeSelected(0, 2, true);
    const QPoint start = view.visualRect(window.Model()->index(1, 0)).center();
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(view.viewport(), start + QPoint(0, 10));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, start + QPoint(0, 10));
    EXPECT_EQ(dragged, std::vector<std::string>{"/music/zeta song.mp3\n/docs/alpha.mp3"});
    EXPECT_FALSE(view.Gesture().MenuAllowed());
}

}  // namespace
}  // namespace quillory::app
