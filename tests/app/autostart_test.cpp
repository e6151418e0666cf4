#include "app/autostart.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStandardPaths>

#include "platform/error.h"
#include "tests/support/run_process.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

// Undoes what a desktop-entry reader does to an Exec value holding one quoted argument:
// the string escapes first, then %% and the quoting.
QString ReadBackExec(const QString& value) {
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            unescaped += next == 'n'   ? QChar('\n')
                         : next == 't' ? QChar('\t')
                         : next == 'r' ? QChar('\r')
                                       : next;
        } else {
            unescaped += value[i];
        }
    }
    unescaped.replace("%%", "%");
    EXPECT_TRUE(unescaped.startsWith('"') && unescaped.endsWith('"')) << unescaped.toStdString();
    QString argument;
    for (qsizetype i = 1; i + 1 < unescaped.size(); ++i) {
        if (unescaped[i] == '\\') ++i;
        argument += unescaped[i];
    }
    return argument;
}

TEST(AppAutostart, WritesTheExactEntryAndRemovesIt) {
    test::IsolatedHome home;
    const std::string path = home.ConfigFolder() + "/autostart/Quillory.desktop";
    ASSERT_EQ(AutostartEntryPath("Quillory").toStdString(), path);

    SetRunAtStartup("Quillory", "/usr/bin/quillory", false, false);
    EXPECT_EQ(test::ReadFileBytes(path),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Quillory\n"
              "Exec=\"/usr/bin/quillory\"\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");

    // Written again on each start: a moved program updates its entry.
    SetRunAtStartup("Quillory", "/opt/q/quillory", false, false);
    EXPECT_NE(test::ReadFileBytes(path).find("Exec=\"/opt/q/quillory\"\n"), std::string::npos);

    SetRunAtStartup("Quillory", "/opt/q/quillory", false, true);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    // Removing again, and removing where the folder never existed, are silent.
    EXPECT_NO_THROW(SetRunAtStartup("Quillory", "/opt/q/quillory", false, true));
    test::ScopedEnv elsewhere("XDG_CONFIG_HOME", home.Dir() / "nothing-here");
    EXPECT_NO_THROW(SetRunAtStartup("Quillory", "", false, true));
}

TEST(AppAutostart, FollowsTheConfigFolderWhenUnset) {
    test::IsolatedHome home;
    unsetenv("XDG_CONFIG_HOME");
    SetRunAtStartup("Quillory", "/usr/bin/quillory", false, false);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(home.Dir() / ".config/autostart/Quillory.desktop")));
}

TEST(AppAutostart, AwkwardProgramPathsSurviveQuoting) {
    test::IsolatedHome home;
    const QString awkward = QStringLiteral("/opt/my \"q\" $HOME `x` a\\b 100%/f\u00fcr\tq");
    EXPECT_EQ(ReadBackExec(QuoteExecArgument(awkward)), awkward);
    EXPECT_EQ(QuoteExecArgument("/a\\b"), "\"/a\\\\\\\\b\"");  // four backslashes in the file
    EXPECT_EQ(QuoteExecArgument("/a\"b"), "\"/a\\\\\"b\"");

    SetRunAtStartup("Quillory", awkward, false, false);
    const QString text =
        QString::fromUtf8(test::ReadFileBytes(home.ConfigFolder() + "/autostart/Quillory.desktop"));
    const QString execLine = text.section('\n', 3, 3);
    ASSERT_TRUE(execLine.startsWith("Exec="));
    EXPECT_EQ(ReadBackExec(execLine.mid(5)), awkward);
}

TEST(AppAutostart, EntryPassesTheDesktopFileValidator) {
    test::IsolatedHome home;
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty()) GTEST_SKIP() << "desktop-file-validate is not installed";
    for (const QString& program :
         {QStringLiteral("/usr/bin/quillory"), QStringLiteral("/opt/my \"q\" $x\\y 5%/quillory")}) {
        SetRunAtStartup("Quillory", program, false, false);
        const test::ProcessResult result =
            test::RunProcess({validator.toStdString(), home.ConfigFolder() + "/autostart/Quillory.desktop"});
        EXPECT_EQ(result.status, 0) << result.out << result.err;
        EXPECT_EQ(result.out + result.err, "") << program.toStdString();
    }
}

TEST(AppAutostart, RefusedWritesRaiseTheDefinedErrorsAndKeepTheOldEntry) {
    test::IsolatedHome home;
    // The configuration folder is a plain file: the autostart folder cannot exist.
    home.Dir().WriteFile("config", "not a folder");
    try {
        SetRunAtStartup("Quillory", "/usr/bin/quillory", false, false);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Failed to create key " + home.ConfigFolder() + "/autostart");
    }
    // Removing there is silent.
    EXPECT_NO_THROW(SetRunAtStartup("Quillory", "/usr/bin/quillory", false, true));

    // The entry's name is taken by a folder: the write fails, the folder is untouched.
    test::ScopedEnv other("XDG_CONFIG_HOME", home.Dir() / "other");
    const std::string blocker = home.Dir().MakeDir("other/autostart/Quillory.desktop");
    try {
        SetRunAtStartup("Quillory", "/usr/bin/quillory", false, false);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Failed to set data for '" + blocker + "'");
    }
}

TEST(AppAutostart, RejectsRunOnceAndUnsafeNames) {
    test::IsolatedHome home;
    EXPECT_THROW(SetRunAtStartup("Quillory", "/usr/bin/quillory", true, false), Error);
    EXPECT_THROW(SetRunAtStartup("../evil", "/usr/bin/quillory", false, false), Error);
    EXPECT_THROW(SetRunAtStartup("", "/usr/bin/quillory", false, true), Error);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(home.ConfigFolder() + "/autostart")));
}

}  // namespace
}  // namespace quillory::app
