// The main window guiding a new user: searching while typing, the result limit it admits to,
// the hint in an empty list and the status after an action.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/main_window.h"
#include "app/result_item_delegate.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/settings_store.h"
#include "fake_prompts.h"
#include "tests/search/catalogue_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

using quillory::test::AddEntry;

class WindowGuidanceTest : public ::testing::Test {
  protected:
    WindowGuidanceTest() {
        context.prompts = &prompts;
        context.settings.MaxResultsCount = 10000;
        context.workingDatabasePath = home.DataFolder() + "index.dat";
        for (const char* name : {"zeta.mp3", "Report.txt", "readme", "alpha.mp3"}) {
            AddEntry(context.keeper.Write()->Entries, "/music/", name);
        }
        window = std::make_unique<TQuilloryForm1>(context);
        window->OpenMainWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QStringList Names() const {
        QStringList texts;
        const ResultListModel& model = *window->Model();
        for (int row = 0; row < model.rowCount(); ++row) texts << model.index(row, 0).data().toString();
        return texts;
    }

    void Search(const QString& text) {
        window->SearchBox()->setEditText(text);
        window->SearchButton()->click();
    }

    void Type(const QString& text) {
        QLineEdit* edit = window->SearchBox()->lineEdit();
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, text);
    }

    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    ProgramContext context;
    std::unique_ptr<TQuilloryForm1> window;
};

TEST_F(WindowGuidanceTest, TypingSearchesAndTheTextJoinsTheHistoryWhenTheListTakesTheFocus) {
    Type(QStringLiteral("zeta"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Names() == QStringList{"zeta.mp3"}; }));
    EXPECT_TRUE(window->SearchBox()->hasFocus());
    EXPECT_EQ(window->SearchBox()->count(), 0);

    window->ResultView()->setFocus();
    ASSERT_EQ(window->SearchBox()->count(), 1);
    EXPECT_EQ(window->SearchBox()->itemText(0), QStringLiteral("zeta"));
}

TEST_F(WindowGuidanceTest, WithSearchAsYouTypeOffOnlyEnterSearches) {
    context.settings.SearchAsYouType = false;
    Type(QStringLiteral("zeta"));
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_TRUE(Names().isEmpty());

    QTest::keyClick(window->SearchBox()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(Names(), QStringList{"zeta.mp3"});
    EXPECT_EQ(window->SearchBox()->itemText(0), QStringLiteral("zeta"));
}

TEST_F(WindowGuidanceTest, ACappedSearchOffersToShowAllAndTheNoticeGoesWhenAllAreShown) {
    context.settings.MaxResultsCount = 2;
    Search(QString());
    ASSERT_EQ(Names().size(), 2);
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("OK! 2 files found.")));
    ASSERT_TRUE(window->LimitNotice()->isVisible());
    EXPECT_TRUE(window->LimitNotice()->text().contains(QStringLiteral("first 2 ")));

    Q_EMIT window->LimitNotice()->linkActivated(QStringLiteral("all"));
    EXPECT_EQ(Names().size(), 4);
    EXPECT_FALSE(window->LimitNotice()->isVisible());
    EXPECT_EQ(context.settings.MaxResultsCount, 2);  // once, not from now on

    Search(QStringLiteral("zeta"));
    EXPECT_FALSE(window->LimitNotice()->isVisible());
}

TEST_F(WindowGuidanceTest, TheHintShowsBeforeTheFirstSearchAndAfterOneThatFoundNothing) {
    EXPECT_TRUE(window->EmptyHint()->isVisible());
    EXPECT_TRUE(window->EmptyHint()->text().contains(QStringLiteral("-\"draft\"")));
    Search(QStringLiteral("zeta"));
    EXPECT_FALSE(window->EmptyHint()->isVisible());
    Search(QStringLiteral("nothing like it"));
    EXPECT_TRUE(window->EmptyHint()->isVisible());
}

TEST_F(WindowGuidanceTest, ASuccessfulExportNamesTheFileAndTheCount) {
    Search(QStringLiteral("*.mp3"));
    prompts.nextSaveName = QString::fromStdString(home.Dir() / "list.txt");
    window->Listoffiles1Click();
    EXPECT_EQ(window->StatusText(), QStringLiteral("Exported 2 results to list.txt"));
}

TEST_F(WindowGuidanceTest, TheFolderColumnTakesTheSpareWidthAndStoredWidthsHoldForTheOthers) {
    DesktopSettings settings;
    settings.view.columnWidths = {150, 100, 50, 100, 60};
    window->ApplySettings(settings);
    ResultListView* list = window->ResultView();
    EXPECT_EQ(list->columnWidth(0), 150);
    EXPECT_EQ(list->columnWidth(2), 50);
    EXPECT_EQ(list->columnWidth(4), 60);
    const int folder = list->columnWidth(1);
    window->resize(window->width() + 200, window->height());
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->columnWidth(1) >= folder + 150; }));
    EXPECT_EQ(list->columnWidth(0), 150);
    EXPECT_EQ(list->horizontalHeader()->length(), list->viewport()->width());
}

TEST_F(WindowGuidanceTest, TheMatchingPartsOfNamesAndWithFullPathOfFoldersAreMarked) {
    const auto* delegate = dynamic_cast<const ResultItemDelegate*>(window->ResultView()->itemDelegate());
    ASSERT_TRUE(delegate);
    const ResultListModel& model = *window->Model();
    using Marks = ResultItemDelegate::Marks;
    Search(QStringLiteral("eta"));
    ASSERT_EQ(Names(), QStringList{"zeta.mp3"});
    EXPECT_EQ(delegate->MarksOf(model.index(0, 0)), (Marks{{1, 3}}));
    EXPECT_EQ(delegate->MarksOf(model.index(0, 1)), Marks{});
    EXPECT_FALSE(window->ResultView()->viewport()->grab().isNull());

    // With "Full path" a match may run from the folder into the name.
    window->CheckBox(5)->setChecked(true);
    Search(QStringLiteral("usic/z"));
    ASSERT_EQ(Names(), QStringList{"zeta.mp3"});
    EXPECT_EQ(delegate->MarksOf(model.index(0, 1)), (Marks{{2, 5}}));
    EXPECT_EQ(delegate->MarksOf(model.index(0, 0)), (Marks{{0, 1}}));
}

}  // namespace
}  // namespace quillory::app
