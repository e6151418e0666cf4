#include "app/settings_store.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <optional>
#include <stdexcept>

#include "platform/error.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

struct AutostartCall {
    QString name, program;
    bool runOnce = true, remove = true;
};

// Records the calls and may refuse like a failing write would.
struct RecordingAutostart {
    std::vector<AutostartCall> calls;
    std::optional<std::string> failWith;
    AutostartHook Hook() {
        return [this](const QString& name, const QString& program, bool runOnce, bool remove) {
            calls.push_back({name, program, runOnce, remove});
            if (failWith) throw Error(*failWith);
        };
    }
};

std::string ConfPath(const test::IsolatedHome& home) {
    return home.ConfigFolder() + "/Marlowen/Quillory.conf";
}

void WriteConf(const test::IsolatedHome& home, const std::string& text) {
    home.Dir().WriteFile("config/Marlowen/Quillory.conf", text);
}

TEST(AppSettingsStore, FirstStartGivesTheDefaultsAndAddsTheStartEntry) {
    test::IsolatedHome home;
    ASSERT_EQ(SettingsFilePath().toStdString(), ConfPath(home));
    DesktopSettings settings;
    settings.history = {"stale"};
    ProgramSettings options;
    RecordingAutostart autostart;
    LoadSettings(settings, options, autostart.Hook());

    EXPECT_TRUE(settings.history.isEmpty());
    EXPECT_FALSE(settings.caseSensitive);
    EXPECT_FALSE(settings.wholeWords);
    EXPECT_TRUE(settings.findFolders);
    EXPECT_TRUE(settings.findFiles);
    EXPECT_FALSE(settings.fullPath);
    EXPECT_TRUE(options.RescanOnStartup);
    EXPECT_FALSE(options.MinimizeOnStartup);
    EXPECT_TRUE(options.StartWindowsStarts);
    EXPECT_EQ(options.MaxResultsCount, 10000);
    EXPECT_EQ(options.HotKeys[1], 0);
    EXPECT_EQ(options.HotKeys[2], 0);
    EXPECT_FALSE(settings.view.stored);
    EXPECT_EQ(settings.view.columnWidths, (std::array<int, 5>{140, 180, 90, 100, 50}));

    ASSERT_EQ(autostart.calls.size(), 1u);
    EXPECT_EQ(autostart.calls[0].name, "Quillory");
    EXPECT_EQ(autostart.calls[0].program, QCoreApplication::applicationFilePath());
    EXPECT_FALSE(autostart.calls[0].runOnce);
    EXPECT_FALSE(autostart.calls[0].remove);
    // Reading creates nothing.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(ConfPath(home))));
}

TEST(AppSettingsStore, SavedFileIsTextAndReadsBack) {
    test::IsolatedHome home;
    DesktopSettings saved;
    saved.history = {"first", "*.txt", "with, comma"};
    saved.caseSensitive = true;
    saved.findFolders = false;
    saved.fullPath = true;
    saved.view = {false, 800, 500, -20, 3000, {200, 50, 60, 70, 80}};
    ProgramSettings options;
    options.RescanOnStartup = false;
    options.MinimizeOnStartup = true;
    options.StartWindowsStarts = false;
    options.PowerSearchFile = "/opt/power search";
    saved.databaseFile = "dbs/m\xC3\xBCsic.dat";
    options.MaxResultsCount = 300;
    options.HotKeys[1] = 0x8041;
    options.HotKeys[2] = 0x6000 | 'Q';
    options.SearchAsYouType = false;
    options.LiveUpdates = false;
    SaveSettings(saved, options);

    const std::string text = test::ReadFileBytes(ConfPath(home));
    EXPECT_EQ(text.find("true"), std::string::npos) << text;
    EXPECT_EQ(text.find("false"), std::string::npos) << text;
    EXPECT_EQ(text.find("%General"), std::string::npos) << text;
    for (const char* line : {"[General]\n",
                             "[Options]\n",
                             "[View]\n",
                             "Names=\"first\\r\\n*.txt\\r\\nwith, comma\\r\\n\"\n",
                             "Case%20sensitive=1\n",
                             "Whole%20words=0\n",
                             "Find%20folders=0\n",
                             "Find%20files=1\n",
                             "Full%20path=1\n",
                             "RescanOnStartup=0\n",
                             "MinimizeOnStartup=1\n",
                             "StartWindowsStarts=0\n",
                             "MaxResultsCount=300\n",
                             "HotKeyID1=32833\n",
                             "HotKeyID2=24657\n",
                             "SearchAsYouType=0\n",
                             "LiveUpdates=0\n",
                             "Width=800\n",
                             "Left=-20\n",
                             "Top=3000\n",
                             "Column%20width%201=200\n",
                             "Column%20width%205=80\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    }

    DesktopSettings loaded;
    ProgramSettings read;
    RecordingAutostart autostart;
    LoadSettings(loaded, read, autostart.Hook());
    EXPECT_EQ(loaded.history, saved.history);
    EXPECT_TRUE(loaded.caseSensitive);
    EXPECT_FALSE(loaded.wholeWords);
    EXPECT_FALSE(loaded.findFolders);
    EXPECT_TRUE(loaded.findFiles);
    EXPECT_TRUE(loaded.fullPath);
    EXPECT_TRUE(loaded.view.stored);
    EXPECT_EQ(loaded.view.width, 800);
    EXPECT_EQ(loaded.view.height, 500);
    EXPECT_EQ(loaded.view.left, -20);
    EXPECT_EQ(loaded.view.top, 3000);
    EXPECT_EQ(loaded.view.columnWidths, saved.view.columnWidths);
    EXPECT_FALSE(read.RescanOnStartup);
    EXPECT_TRUE(read.MinimizeOnStartup);
    EXPECT_FALSE(read.StartWindowsStarts);
    EXPECT_EQ(read.PowerSearchFile, options.PowerSearchFile);
    EXPECT_EQ(loaded.databaseFile, saved.databaseFile);
    EXPECT_EQ(read.MaxResultsCount, 300);
    EXPECT_EQ(read.HotKeys[1], 0x8041);
    EXPECT_EQ(read.HotKeys[2], 0x6000 | 'Q');
    EXPECT_FALSE(read.SearchAsYouType);
    EXPECT_FALSE(read.LiveUpdates);
    ASSERT_EQ(autostart.calls.size(), 1u);
    EXPECT_TRUE(autostart.calls[0].remove);
}

TEST(AppSettingsStore, HistoryLinesEachEndInCrLfAndLoneLineFeedsSplit) {
    test::IsolatedHome home;
    DesktopSettings settings;
    settings.history = {"a", "", "c"};
    SaveSettings(settings, ProgramSettings{});
    EXPECT_NE(test::ReadFileBytes(ConfPath(home)).find("Names=a\\r\\n\\r\\nc\\r\\n\n"), std::string::npos);

    const auto historyOf = [&](const std::string& names) {
        WriteConf(home, "[General]\nNames=" + names + "\n");
        DesktopSettings loaded;
        ProgramSettings options;
        LoadSettings(loaded, options, {});
        return loaded.history;
    };
    EXPECT_EQ(historyOf("a\\r\\n\\r\\nc\\r\\n"), (QStringList{"a", "", "c"}));
    EXPECT_EQ(historyOf("one\\ntwo\\n"), (QStringList{"one", "two"}));
    EXPECT_EQ(historyOf("one\\r\\ntwo"), (QStringList{"one", "two"}));
    EXPECT_EQ(historyOf("\\r\\n"), (QStringList{""}));
    EXPECT_EQ(historyOf(""), QStringList{});
}

TEST(AppSettingsStore, ValuesAreReadThroughTheIntegerRule) {
    test::IsolatedHome home;
    WriteConf(home,
              "[General]\n"
              "Case%20sensitive=7\n"
              "Whole%20words=-1\n"
              "Find%20folders=abc\n"
              "Find%20files=0\n"
              "Full%20path=true\n"
              "[Options]\n"
              "RescanOnStartup=0\n"
              "StartWindowsStarts=\n"
              "MaxResultsCount=12x\n"
              "HotKeyID1=98369\n"
              "HotKeyID2=-1\n");
    DesktopSettings settings;
    ProgramSettings options;
    LoadSettings(settings, options, {});
    EXPECT_TRUE(settings.caseSensitive);
    EXPECT_TRUE(settings.wholeWords);
    EXPECT_TRUE(settings.findFolders);  // not a number: the default
    EXPECT_FALSE(settings.findFiles);
    EXPECT_FALSE(settings.fullPath);  // "true" is not a number
    EXPECT_FALSE(options.RescanOnStartup);
    EXPECT_TRUE(options.StartWindowsStarts);
    EXPECT_EQ(options.MaxResultsCount, 10000);
    EXPECT_EQ(options.HotKeys[1], 0x8041);  // low 16 bits of 0x18041
    EXPECT_EQ(options.HotKeys[2], 0xFFFF);
    EXPECT_TRUE(options.SearchAsYouType);  // absent: on
    EXPECT_TRUE(options.LiveUpdates);      // absent: on
}

TEST(AppSettingsStore, ViewValuesApplyOnlyWhenTheSectionHoldsOne) {
    test::IsolatedHome home;
    const auto viewOf = [&](const std::string& viewSection) {
        WriteConf(home, "[Options]\nMaxResultsCount=100\n" + viewSection);
        DesktopSettings settings;
        ProgramSettings options;
        LoadSettings(settings, options, {});
        return settings.view;
    };
    EXPECT_FALSE(viewOf("").stored);
    const ViewGeometry empty = viewOf("[View]\n");
    EXPECT_FALSE(empty.stored);
    EXPECT_EQ(empty.columnWidths, (std::array<int, 5>{140, 180, 90, 100, 50}));

    const ViewGeometry leftOnly = viewOf("[View]\nLeft=333\n");
    EXPECT_TRUE(leftOnly.stored);
    EXPECT_EQ(leftOnly.width, 640);
    EXPECT_EQ(leftOnly.height, 450);
    EXPECT_EQ(leftOnly.left, 333);
    EXPECT_EQ(leftOnly.top, 10);
    EXPECT_EQ(leftOnly.columnWidths, (std::array<int, 5>{100, 100, 100, 100, 100}));

    const ViewGeometry small = viewOf(
        "[View]\nWidth=100\nHeight=10\nTop=-5000\nColumn%20width%203=20\n"
        "Column%20width%201=600\nColumn%20width%205=50\n");
    EXPECT_EQ(small.width, 600);
    EXPECT_EQ(small.height, 240);
    EXPECT_EQ(small.top, -5000);
    EXPECT_EQ(small.columnWidths, (std::array<int, 5>{600, 100, 50, 100, 50}));
}

TEST(AppSettingsStore, RefusedStartEntryIsReportedAndEveryValueIsStillRead) {
    test::IsolatedHome home;
    WriteConf(
        home,
        "[General]\nWhole%20words=1\n"
        "[Options]\nMinimizeOnStartup=1\nStartWindowsStarts=0\nDBFileName=other.dat\nMaxResultsCount=300\n"
        "HotKeyID1=5\n[View]\nWidth=900\n");
    DesktopSettings settings;
    ProgramSettings options;
    RecordingAutostart autostart;
    autostart.failWith = "Failed to create key /somewhere";
    EXPECT_EQ(LoadSettings(settings, options, autostart.Hook()), QStringLiteral("Failed to create key /somewhere"));
    ASSERT_EQ(autostart.calls.size(), 1u);
    EXPECT_TRUE(autostart.calls[0].remove);
    // Every value, before the failure and after it: the end of the program saves these, and
    // defaults saved in their place would lose the user's settings.
    EXPECT_TRUE(settings.wholeWords);
    EXPECT_TRUE(options.MinimizeOnStartup);
    EXPECT_FALSE(options.StartWindowsStarts);
    EXPECT_EQ(settings.databaseFile, "other.dat");
    EXPECT_EQ(options.MaxResultsCount, 300);
    EXPECT_EQ(options.HotKeys[1], 5);
    EXPECT_TRUE(settings.view.stored);
    EXPECT_EQ(settings.view.width, 900);

    // Without a failure nothing is reported.
    autostart.failWith.reset();
    EXPECT_TRUE(LoadSettings(settings, options, autostart.Hook()).isEmpty());
}

TEST(AppSettingsStore, SavingKeepsOtherValuesAndBytesThatAreNotText) {
    test::IsolatedHome home;
    WriteConf(home, "[Options]\nSomethingElse=keep me\nMaxResultsCount=300\n[Other]\nx=1\n");
    ProgramSettings options;
    DesktopSettings saved;
    saved.databaseFile = std::string("/data/\xFF\xFEraw.dat", 15);
    options.MaxResultsCount = 1000000000;
    SaveSettings(saved, options);
    const std::string text = test::ReadFileBytes(ConfPath(home));
    EXPECT_NE(text.find("SomethingElse=keep me"), std::string::npos) << text;
    EXPECT_NE(text.find("[Other]\nx=1"), std::string::npos) << text;
    EXPECT_NE(text.find("MaxResultsCount=1000000000\n"), std::string::npos) << text;

    DesktopSettings loaded;
    ProgramSettings read;
    LoadSettings(loaded, read, {});
    EXPECT_EQ(loaded.databaseFile, saved.databaseFile);
    EXPECT_EQ(read.MaxResultsCount, 1000000000);
}

TEST(AppSettingsStore, RefusedWritesRaiseTheDefinedErrors) {
    test::IsolatedHome home;
    // The configuration folder is a plain file: the settings folder cannot be created.
    home.Dir().WriteFile("config", "not a folder");
    try {
        SaveSettings(DesktopSettings{}, ProgramSettings{});
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Failed to create key " + home.ConfigFolder() + "/Marlowen");
    }
    // The settings file's name is taken by a folder: the file cannot be written.
    test::ScopedEnv other("XDG_CONFIG_HOME", home.Dir() / "other");
    const std::string blocker = home.Dir().MakeDir("other/Marlowen/Quillory.conf");
    try {
        SaveSettings(DesktopSettings{}, ProgramSettings{});
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Failed to set data for '" + blocker + "'");
    }
}

TEST(AppSettingsStore, FollowsTheConfigFolderOnEveryCall) {
    test::IsolatedHome home;
    ProgramSettings options;
    options.MaxResultsCount = 100;
    SaveSettings(DesktopSettings{}, options);
    {
        test::ScopedEnv other("XDG_CONFIG_HOME", home.Dir() / "other");
        ProgramSettings read;
        DesktopSettings settings;
        LoadSettings(settings, read, {});
        EXPECT_EQ(read.MaxResultsCount, 10000);
    }
    unsetenv("XDG_CONFIG_HOME");  // falls back to $HOME/.config
    SaveSettings(DesktopSettings{}, options);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(home.Dir() / ".config/Marlowen/Quillory.conf")));
}

}  // namespace
}  // namespace quillory::app
