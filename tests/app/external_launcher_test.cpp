// The desktop's launches of web pages, help pages and the power-search program: what reaches
// the desktop's opener, and failures reported with the path or address and the reason, at
// once when the target is missing or later when the opener ends without opening it.
#include "app/external_launcher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QTest>
#include <vector>

#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

using quillory::test::TempDir;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Records what the launcher hands to the desktop and keeps each failure callback for the test
// to call, as the opener would once it has ended.
struct Desktop {
    QStringList urls;
    std::vector<DesktopOpener::Failed> fail;
    QtExternalLauncher::UrlOpener Opener() {
        return [this](const QUrl& url, DesktopOpener::Failed failed) {
            urls << QString::fromLatin1(url.toEncoded());
            fail.push_back(std::move(failed));
        };
    }
    QStringList shown;
    LaunchFailureReport Report() {
        return [this](const QString& target, const QString& reason) {
            shown << LaunchFailureText(target, reason);
        };
    }
};

std::string Executable(const TempDir& dir, const char* name, const std::string& script) {
    const std::string path = dir.WriteFile(name, script);
    ::chmod(path.c_str(), 0755);
    return path;
}

// A missing program or help page and a program that cannot start are reported at once; an
// address or file the desktop's opener could not open, once the opener has ended.
TEST(QtExternalLauncher, FailuresAreReportedWithThePathOrAddressAndTheReason) {
    TempDir dir;
    Desktop desktop;
    QtExternalLauncher launcher(desktop.Opener());
    launcher.SetFailureReport(desktop.Report());
    const QString program = Q(dir / "power/search");
    const QString page = Q(dir / "help/Start.htm");
    const QString broken = Q(Executable(dir, "broken", "#!/nonexistent/interpreter\n"));
    launcher.Launch(program);
    launcher.Launch(QUrl::fromLocalFile(page).toString() + QStringLiteral("#keys"));
    launcher.Launch(broken);
    EXPECT_TRUE(desktop.urls.isEmpty());
    ASSERT_EQ(desktop.shown.size(), 3);
    EXPECT_EQ(desktop.shown[0],
              QStringLiteral("Could not open \"%1\".\n\nNo such file or directory").arg(program));
    EXPECT_EQ(desktop.shown[1],
              QStringLiteral("Could not open \"%1\".\n\nNo such file or directory").arg(page));
    EXPECT_TRUE(desktop.shown[2].startsWith(QStringLiteral("Could not open \"%1\".\n\nexec").arg(broken)))
        << desktop.shown[2].toStdString();

    const QString address = QStringLiteral("https://quillory.example.org/internet-search.htm");
    const QString notes = Q(dir.WriteFile("my notes.txt", "text"));
    launcher.Launch(address);
    launcher.Launch(notes);
    EXPECT_EQ(desktop.urls, (QStringList{address, QUrl::fromLocalFile(notes).toString(QUrl::FullyEncoded)}));
    EXPECT_EQ(desktop.shown.size(), 3);
    desktop.fail[0](QStringLiteral("xdg-open found no application that could open it."));
    desktop.fail[1](QString());
    EXPECT_EQ(desktop.shown.mid(3), (QStringList{QStringLiteral("Could not open \"%1\".\n\nxdg-open found no "
                                                                "application that could open it.")
                                                     .arg(address),
                                                 QStringLiteral("Could not open \"%1\".").arg(notes)}));
}

// The desktop's opener here is a script that records its argument and ends with a status.
TEST(DesktopOpener, AFailureStatusOrAFailedStartIsReportedFromTheEventLoop) {
    TempDir dir;
    const std::string record = "printf '%s\\n' \"$1\" >> '" + (dir / "opened") + "'\n";
    const std::string fails = Executable(dir, "fails", "#!/bin/sh\n" + record + "exit 4\n");
    const std::string works = Executable(dir, "works", "#!/bin/sh\n" + record + "exit 0\n");
    const std::string broken = Executable(dir, "broken", "#!/nonexistent/interpreter\n");
    QStringList reasons;
    const auto failed = [&reasons](const QString& reason) { reasons << reason; };

    DesktopOpener failing(Q(fails));
    failing.Open(QUrl(QStringLiteral("https://example.org/a b?c")), failed);
    EXPECT_TRUE(reasons.isEmpty());  // the opener is not waited for
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reasons.isEmpty(); }, 20000));
    EXPECT_EQ(reasons, QStringList{QStringLiteral("fails found no application that could open it.")});

    DesktopOpener working(Q(works));
    working.Open(QUrl::fromLocalFile(Q(dir / "x y/\xc3\xa4.txt")), failed);
    EXPECT_EQ(working.Running(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return working.Running() == 0; }, 20000));
    EXPECT_EQ(reasons.size(), 1);
    EXPECT_EQ(quillory::test::ReadFileBytes(dir / "opened"),
              "https://example.org/a%20b?c\nfile://" + (dir / "x%20y/%C3%A4.txt") + "\n");

    DesktopOpener notStarting(Q(broken));
    notStarting.Open(QUrl(QStringLiteral("https://example.org/")), failed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reasons.size() == 2; }, 20000));
    EXPECT_FALSE(reasons[1].isEmpty());
}

}  // namespace
}  // namespace quillory::app
