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

#include "tests/support/run_process.h"

namespace quillory::app {
namespace {

struct OpenedUrls {
    std::vector<QByteArray> urls;
    DesktopLauncher::UrlOpener Opener() {
        return [this](const QUrl& url) { urls.push_back(url.toEncoded()); };
    }
};

TEST(DesktopLauncher, FilesOpenAsFileUrlsAndAddressesAsThemselves) {
    OpenedUrls opened;
    DesktopLauncher launcher(QDBusConnection(QStringLiteral("quillory-no-bus")), opened.Opener(), 100);
    launcher.RunLauncher("\"/home/u/My Files/a b.txt\"");
    launcher.OpenWithOwner("/home/u/Grüße.docx");
    launcher.RunLauncher("\"https://example.org/a?b=c\"");
    launcher.RunLauncher(std::string("\"/x/\xff.txt\""));
    EXPECT_EQ(opened.urls, (std::vector<QByteArray>{"file:///home/u/My%20Files/a%20b.txt",
                                                    "file:///home/u/Gr%C3%BC%C3%9Fe.docx",
                                                    "https://example.org/a?b=c", "file:///x/%FF.txt"}));
}

TEST(DesktopLauncher, ParentFolders) {
    EXPECT_EQ(ParentFolder("/a/b/c.txt"), "/a/b/");
    EXPECT_EQ(ParentFolder("/a/b"), "/a/");
    EXPECT_EQ(ParentFolder("/a/b/"), "/a/");
    EXPECT_EQ(ParentFolder("/c.txt"), "/");
    EXPECT_EQ(ParentFolder("/"), "/");
}

TEST(DesktopLauncher, WithoutABusTheParentFolderOpens) {
    OpenedUrls opened;
    DesktopLauncher launcher(QDBusConnection(QStringLiteral("quillory-no-bus")), opened.Opener(), 100);
    QSignalSpy done(&launcher, &DesktopLauncher::showInFolderDone);
    launcher.ShowInFolder("/data/x y/file.txt");
    ASSERT_EQ(done.count(), 1);
    EXPECT_FALSE(done.at(0).at(0).toBool());
    EXPECT_EQ(opened.urls, std::vector<QByteArray>{"file:///data/x%20y/"});
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
    fileManager.silent = true;
    launcher.ShowInFolder("/data/b.txt");
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(done.at(1).at(0).toBool());
    EXPECT_EQ(opened.urls, std::vector<QByteArray>{"file:///data/"});

    // No file manager on the bus at all.
    ASSERT_TRUE(fileManagerBus.unregisterService(QStringLiteral("org.freedesktop.FileManager1")));
    launcher.ShowInFolder("/srv/c.txt");
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(done.at(2).at(0).toBool());
    EXPECT_EQ(opened.urls.back(), "file:///srv/");
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
