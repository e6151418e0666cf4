// Opening results on the desktop: the URLs handed to the desktop, and "Open folder" through
// a file manager on a private session bus (started with dbus-run-session), with the parent
// folder opened when no file manager answers.
#include "app/desktop_launcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QStandardPaths>
#include <cstdlib>

#include "actions/dropsource/file_drop_formats.h"
#include "tests/support/run_process.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

// Records the URLs handed to the desktop and keeps each failure callback for the test to call,
// as the desktop's opener would once it has ended; and the failures reported.
struct OpenedUrls {
    std::vector<QByteArray> urls;
    std::vector<DesktopOpener::Failed> fail;
    DesktopLauncher::UrlOpener Opener() {
        return [this](const QUrl& url, DesktopOpener::Failed failed) {
            urls.push_back(url.toEncoded());
            fail.push_back(std::move(failed));
        };
    }
    QStringList reported;
    LaunchFailureReport Report() {
        return [this](const QString& target, const QString& reason) { reported << target + " | " + reason; };
    }
};

QByteArray FileUrl(const std::string& path) {
    return QByteArray::fromStdString(FileUri(path));
}

TEST(DesktopLauncher, FilesOpenAsFileUrlsAndAddressesAsThemselves) {
    quillory::test::TempDir dir;
    const std::string spaced = dir.WriteFile("My Files/a b.txt", "");
    const std::string doc = dir.WriteFile("Grüße.docx", "");
    const std::string latin1 = dir.WriteFile("\xff.txt", "");
    OpenedUrls opened;
    DesktopLauncher launcher(QDBusConnection(QStringLiteral("quillory-no-bus")), opened.Opener(), 100);
    launcher.RunLauncher("\"" + spaced + "\"");
    launcher.OpenWithOwner(doc);
    launcher.RunLauncher("\"https://example.org/a?b=c\"");
    launcher.RunLauncher("\"" + latin1 + "\"");
    EXPECT_EQ(opened.urls, (std::vector<QByteArray>{FileUrl(spaced), FileUrl(doc),
                                                    "https://example.org/a?b=c", FileUrl(latin1)}));
    EXPECT_TRUE(opened.urls[0].endsWith("/My%20Files/a%20b.txt"));
    EXPECT_TRUE(opened.urls[1].endsWith("/Gr%C3%BC%C3%9Fe.docx"));
    EXPECT_TRUE(opened.urls[3].endsWith("/%FF.txt"));
    EXPECT_TRUE(opened.reported.isEmpty());
}

// A file gone since the rescan is reported without asking the desktop; a target the desktop
// could not open is reported when its opener ends, with the path or address as it was given.
TEST(DesktopLauncher, FailedOpensAreReportedWithTheTargetAndTheReason) {
    quillory::test::TempDir dir;
    const std::string there = dir.WriteFile("there.xyz", "");
    OpenedUrls opened;
    DesktopLauncher launcher(QDBusConnection(QStringLiteral("quillory-no-bus")), opened.Opener(), 100);
    launcher.SetFailureReport(opened.Report());
    launcher.RunLauncher("\"" + (dir / "gone.txt") + "\"");
    launcher.OpenWithOwner(dir / "gone.doc");
    EXPECT_TRUE(opened.urls.empty());
    launcher.RunLauncher("\"" + there + "\"");
    launcher.RunLauncher("\"mailto:someone@example.org\"");
    EXPECT_EQ(opened.urls.size(), 2u);
    const QString missing = QStringLiteral(" | No such file or directory");
    EXPECT_EQ(opened.reported, (QStringList{QString::fromStdString(dir / "gone.txt") + missing,
                                            QString::fromStdString(dir / "gone.doc") + missing}));
    opened.fail[0](QStringLiteral("xdg-open found no application that could open it."));
    opened.fail[1](QString());
    EXPECT_EQ(opened.reported.mid(2), (QStringList{QString::fromStdString(there) +
                                                       " | xdg-open found no application that could open it.",
                                                   QStringLiteral("mailto:someone@example.org | ")}));

    // "Open folder" without a file manager: the folder that could not be opened is named.
    launcher.ShowInFolder(there);
    ASSERT_EQ(opened.urls.size(), 3u);
    opened.fail[2](QStringLiteral("The action failed."));
    EXPECT_EQ(opened.reported.last(), QString::fromStdString(dir.Path() + "/") + " | The action failed.");
}

TEST(DesktopLauncher, ParentFolders) {
    EXPECT_EQ(ParentFolder("/a/b/c.txt"), "/a/b/");
    EXPECT_EQ(ParentFolder("/a/b"), "/a/");
    EXPECT_EQ(ParentFolder("/a/b/"), "/a/");
    EXPECT_EQ(ParentFolder("/c.txt"), "/");
    EXPECT_EQ(ParentFolder("/"), "/");
}

TEST(DesktopLauncher, WithoutABusTheParentFolderOpens) {
    quillory::test::TempDir dir;
    const std::string file = dir.WriteFile("x y/file.txt", "");
    OpenedUrls opened;
    DesktopLauncher launcher(QDBusConnection(QStringLiteral("quillory-no-bus")), opened.Opener(), 100);
    QSignalSpy done(&launcher, &DesktopLauncher::showInFolderDone);
    launcher.ShowInFolder(file);
    ASSERT_EQ(done.count(), 1);
    EXPECT_FALSE(done.at(0).at(0).toBool());
    EXPECT_EQ(opened.urls, std::vector<QByteArray>{FileUrl(dir / "x y/")});
}

// A file manager on the bus: records the items it is asked to show; when `silent`, never
// answers (the caller's time runs out).
class FakeFileManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
  public:
    QStringList shown;
    QString startupId;
    bool silent = false;

  public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString& startup) {
        shown += uris;
        startupId = startup;
        if (silent) setDelayedReply(true);
    }
};

// Runs inside dbus-run-session (started by the test below): a private session bus.
TEST(DesktopLauncherBus, ShowItemsReachesTheFileManager) {
    if (!std::getenv("QUILLORY_PRIVATE_BUS")) GTEST_SKIP() << "runs on a private bus only";
    QDBusConnection fileManagerBus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "file-manager");
    ASSERT_TRUE(fileManagerBus.isConnected());
    FakeFileManager fileManager;
    ASSERT_TRUE(fileManagerBus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fileManager,
                                              QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(fileManagerBus.registerService(QStringLiteral("org.freedesktop.FileManager1")));

    OpenedUrls opened;
    DesktopLauncher launcher(QDBusConnection::sessionBus(), opened.Opener(), 300);
    QSignalSpy done(&launcher, &DesktopLauncher::showInFolderDone);
    launcher.ShowInFolder("/data/My Files/a b.txt");
    ASSERT_TRUE(done.wait(5000));
    EXPECT_TRUE(done.at(0).at(0).toBool());
    EXPECT_EQ(fileManager.shown, QStringList{"file:///data/My%20Files/a%20b.txt"});
    EXPECT_TRUE(opened.urls.empty());

    // A file manager that does not answer in time: the parent folder opens instead.
    quillory::test::TempDir dir;
    fileManager.silent = true;
    launcher.ShowInFolder(dir.WriteFile("data/b.txt", ""));
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(done.at(1).at(0).toBool());
    EXPECT_EQ(opened.urls, std::vector<QByteArray>{FileUrl(dir / "data/")});

    // No file manager on the bus at all.
    ASSERT_TRUE(fileManagerBus.unregisterService(QStringLiteral("org.freedesktop.FileManager1")));
    launcher.ShowInFolder(dir.WriteFile("srv/c.txt", ""));
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(done.at(2).at(0).toBool());
    EXPECT_EQ(opened.urls.back(), FileUrl(dir / "srv/"));
}

TEST(DesktopLauncherBus, RunOnAPrivateSessionBus) {
    if (std::getenv("QUILLORY_PRIVATE_BUS")) GTEST_SKIP() << "already on the private bus";
    const QString runSession = QStandardPaths::findExecutable(QStringLiteral("dbus-run-session"));
    if (runSession.isEmpty()) GTEST_SKIP() << "no dbus-run-session";
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    const quillory::test::ProcessResult run = quillory::test::RunProcess(
        {runSession.toStdString(), "--", self, "--gtest_filter=DesktopLauncherBus.ShowItems*"},
        {{"QUILLORY_PRIVATE_BUS", "1"}, {"QT_QPA_PLATFORM", "offscreen"}});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[  PASSED  ] 1 test"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace quillory::app

#include "desktop_launcher_test.moc"
