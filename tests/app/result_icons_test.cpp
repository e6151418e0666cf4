// The icons of the result list: the desktop icon table (MIME type from the name alone, one
// entry per type) and the idle look-ups of the rows on screen, counted through a table that
// records its look-ups.
#include "app/result_icons.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <fstream>

#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "tests/results/result_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

class CountingTable : public DesktopIconTable {
  public:
    explicit CountingTable(std::vector<std::string>& asked) : asked_(asked) {}
    int32_t SystemIconIndex(const std::string& path, bool folder) override {
        asked_.push_back(path);
        return DesktopIconTable::SystemIconIndex(path, folder);
    }

  private:
    std::vector<std::string>& asked_;
};

TEST(DesktopIconTable, OneEntryPerMimeTypeFoundFromTheNameAlone) {
    DesktopIconTable table;
    EXPECT_EQ(table.Count(), 1);
    EXPECT_FALSE(table.Icon(0).isNull()) << "the generic file icon";

    const int32_t text = table.SystemIconIndex("/nowhere/a.txt", false);
    EXPECT_GE(text, 1);
    EXPECT_EQ(table.SystemIconIndex("/elsewhere/B.TXT", false), text);
    const int32_t folder = table.SystemIconIndex("/nowhere/photos.2011", true);
    EXPECT_NE(folder, text);
    EXPECT_EQ(table.SystemIconIndex("/nowhere/music", true), folder);
    const int32_t png = table.SystemIconIndex("/nowhere/p.png", false);
    EXPECT_NE(png, text);
    EXPECT_EQ(table.Count(), 4);
    for (int32_t i = 0; i < table.Count(); ++i) EXPECT_FALSE(table.Icon(i).isNull()) << i;
    EXPECT_FALSE(table.Icon(99).isNull()) << "outside the table: the generic icon";

    // A file whose contents say PNG but whose name says text is a text file: never opened.
    test::TempDir dir;
    const std::string path = dir.Path() + "/picture.txt";
    std::ofstream(path, std::ios::binary) << "\x89PNG\r\n\x1a\n";
    EXPECT_EQ(table.SystemIconIndex(path, false), text);
}

class ResultIconsTest : public ::testing::Test {
  protected:
    // A name ending in "/" is a folder's (shown without the slash).
    void Show(const std::vector<std::string>& names, int height = 300) {
        for (const std::string& name : names) {
            const bool folder = name.ends_with('/');
            test::ResultRow row{folder ? std::string_view(name).substr(0, name.size() - 1) : name, "/r/"};
            if (folder) row.attributes = kAttrDirectory;
            test::AddResult(results, row).IconIndex = -1;
        }
        model.ShowResults(results.Count());
        view.setModel(&model);
        icons = std::make_unique<ResultIcons>(
            view, model, results, [this] { return busy; }, std::make_unique<CountingTable>(asked));
        view.resize(400, height);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    // Lets the paint and the idle pass after it run.
    void Idle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }
    int LastVisibleRow() const {
        const int row = view.rowAt(view.viewport()->height() - 1);
        return row < 0 ? model.rowCount() - 1 : row;
    }

    EntryList results;
    ResultListModel model{results, LocaleFormats::FromEnvironment()};
    ResultListView view;
    std::vector<std::string> asked;
    bool busy = false;
    std::unique_ptr<ResultIcons> icons;
};

std::vector<std::string> Numbered(const std::string& ext, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back("f" + std::to_string(i) + ext);
    return names;
}

TEST_F(ResultIconsTest, TheVisibleTextRowsShareOneLookUpAtTheFirstIdleMoment) {
    Show(Numbered(".txt", 200), 900);
    Idle();
    const int last = LastVisibleRow();
    ASSERT_GE(last, 29) << "thirty rows on screen";
    EXPECT_EQ(asked, std::vector<std::string>{"/r/f0.txt"});
    for (int row = 0; row <= last; ++row)
        EXPECT_EQ(results[static_cast<size_t>(row)].IconIndex, results[0].IconIndex);
    EXPECT_GE(results[0].IconIndex, 1);
    EXPECT_EQ(results[static_cast<size_t>(last) + 1].IconIndex, -1) << "rows below the screen wait";
    EXPECT_FALSE(icons->Loader().Pending());

    // The model's decoration is the table's icon for a known row, the generic one otherwise.
    const QIcon shown = model.index(0, 0).data(Qt::DecorationRole).value<QIcon>();
    EXPECT_EQ(shown.cacheKey(), icons->Table().Icon(results[0].IconIndex).cacheKey());
    EXPECT_FALSE(model.index(0, 1).data(Qt::DecorationRole).isValid()) << "only the Name column has icons";
    EXPECT_EQ(model.index(199, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
              icons->Table().Icon(0).cacheKey());

    // Scrolling to rows not looked up yet: generic icons until the idle pass, then theirs.
    view.scrollToBottom();
    Idle();
    EXPECT_EQ(asked.size(), 2u) << "a new batch, a new cache";
    EXPECT_EQ(results[199].IconIndex, results[0].IconIndex);
}

TEST_F(ResultIconsTest, FoldersAndFilesWithTheSameExtensionAreLookedUpApart) {
    // A folder first, then files; a file first, then a folder.
    Show({"x.d/", "z.d", "y.D/", "w.d", "a.e", "b.e/"});
    Idle();
    EXPECT_EQ(asked, (std::vector<std::string>{"/r/x.d", "/r/z.d", "/r/a.e", "/r/b.e"}));
    const int32_t folder = icons->Table().SystemIconIndex("/r/any", true);
    EXPECT_EQ(results[0].IconIndex, folder);
    EXPECT_EQ(results[2].IconIndex, folder);
    EXPECT_EQ(results[5].IconIndex, folder);
    EXPECT_NE(results[1].IconIndex, folder) << "a file shows no folder icon";
    EXPECT_EQ(results[3].IconIndex, results[1].IconIndex);
    EXPECT_NE(results[4].IconIndex, folder);
}

TEST_F(ResultIconsTest, TenExecutablesOnScreenAreTenLookUps) {
    Show(Numbered(".exe", 10));
    Idle();
    EXPECT_EQ(asked.size(), 10u);
    Idle();
    view.viewport()->repaint();
    Idle();
    EXPECT_EQ(asked.size(), 10u) << "never asked twice";
}

TEST_F(ResultIconsTest, WhileARescanRunsTheRowsGetTheirIconsAtOnce) {
    busy = true;
    Show(Numbered(".png", 3));
    // Without any idle moment: the row's first decoration already carries its icon.
    results[0].IconIndex = -1;
    const QIcon first = model.index(0, 0).data(Qt::DecorationRole).value<QIcon>();
    EXPECT_GE(results[0].IconIndex, 1);
    EXPECT_EQ(first.cacheKey(), icons->Table().Icon(results[0].IconIndex).cacheKey());
    EXPECT_FALSE(icons->IdlePassScheduled());

    // When idle, the same question only schedules the pass.
    busy = false;
    results[1].IconIndex = -1;
    model.index(1, 0).data(Qt::DecorationRole);
    EXPECT_EQ(results[1].IconIndex, -1);
    EXPECT_TRUE(icons->IdlePassScheduled());
    Idle();
    EXPECT_GE(results[1].IconIndex, 1);
}

}  // namespace
}  // namespace quillory::app
