#include "app/command_line.h"

#include <gtest/gtest.h>

#include <QDir>

#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

TEST(AppCommandLine, WordsAreExactAndWinOverFiles) {
    test::IsolatedHome home;
    const auto everythingIsAFile = [](const QString&) { return true; };
    EXPECT_EQ(ClassifyCommandLine(QStringList{}, everythingIsAFile).command, StartCommand::None);
    EXPECT_EQ(ClassifyCommandLine({"exit"}, everythingIsAFile).command, StartCommand::Exit);
    EXPECT_EQ(ClassifyCommandLine({"rescan"}, everythingIsAFile).command, StartCommand::Rescan);
    // Other spellings are not words; they are looked up as files.
    EXPECT_EQ(ClassifyCommandLine({"Exit"}, everythingIsAFile).command, StartCommand::OpenDatabase);
    EXPECT_EQ(ClassifyCommandLine({"RESCAN"}, everythingIsAFile).command, StartCommand::OpenDatabase);
    EXPECT_EQ(ClassifyCommandLine({"exit "}, [](const QString&) { return false; }).command,
              StartCommand::Ignored);
    // Only the first parameter counts.
    const CommandLine two = ClassifyCommandLine({"rescan", "exit"}, everythingIsAFile);
    EXPECT_EQ(two.command, StartCommand::Rescan);
    EXPECT_EQ(two.firstParameter, "rescan");
}

TEST(AppCommandLine, ExistingFileOpensAsTyped) {
    test::IsolatedHome home;
    const std::string db = home.Dir().WriteFile("dbs/my index.dat", "x");
    home.Dir().MakeDir("a folder");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(home.Dir().Path()));

    const CommandLine relative = ClassifyCommandLine({"dbs/my index.dat"});
    EXPECT_EQ(relative.command, StartCommand::OpenDatabase);
    EXPECT_EQ(relative.firstParameter, "dbs/my index.dat");  // not expanded
    EXPECT_EQ(ClassifyCommandLine({QString::fromStdString(db)}).command, StartCommand::OpenDatabase);

    EXPECT_EQ(ClassifyCommandLine({"a folder"}).command, StartCommand::Ignored);
    EXPECT_EQ(ClassifyCommandLine({"missing.dat"}).command, StartCommand::Ignored);
    EXPECT_EQ(ClassifyCommandLine({""}).command, StartCommand::Ignored);

    // A file literally named "exit" still means the word.
    home.Dir().WriteFile("exit", "x");
    EXPECT_EQ(ClassifyCommandLine({"exit"}).command, StartCommand::Exit);
    QDir::setCurrent(previous);
}

TEST(AppCommandLine, ArgvSkipsTheProgramName) {
    test::IsolatedHome home;
    char program[] = "quillory";
    char word[] = "rescan";
    char* withWord[] = {program, word, nullptr};
    char* alone[] = {program, nullptr};
    EXPECT_EQ(ClassifyCommandLine(2, withWord).command, StartCommand::Rescan);
    EXPECT_EQ(ClassifyCommandLine(1, alone).command, StartCommand::None);
}

}  // namespace
}  // namespace quillory::app
