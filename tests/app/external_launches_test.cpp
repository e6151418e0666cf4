// The commands that launch something outside the program, driven through the window's
// buttons, menu and tray items with a launcher that only records: the power search with its
// dialog, the internet search, the help pages and the About box.
#include "app/external_launches.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include "app/about_form.h"
#include "app/launch_targets.h"
#include "app/main_window.h"
#include "app/power_search_form.h"
#include "app/rescan_form.h"
#include "fake_launcher.h"
#include "fake_prompts.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

using test::WhenModalShown;

class ExternalLaunchesTest : public ::testing::Test {
  protected:
    ExternalLaunchesTest() {
        context.prompts = &prompts;
        context.workingDatabasePath = home.DataFolder() + "index.dat";
        form = std::make_unique<TQuilloryForm1>(context);
        auto recording = std::make_unique<test::FakeLauncher>();
        launcher = recording.get();
        launches = AttachExternalLaunches(*form, std::move(recording));
    }

    void ShowForm() {
        form->OpenMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    bool Hidden() const { return form->MainWindowState() == TQuilloryForm1::HiddenToTray; }

    static QString HelpPageAddress(const QString& topic) {
        return HelpTopicAddress(QCoreApplication::applicationDirPath() + QStringLiteral("/help"), topic);
    }

    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    ProgramContext context;
    std::unique_ptr<TQuilloryForm1> form;
    test::FakeLauncher* launcher = nullptr;
    ExternalLaunches* launches = nullptr;
};

TEST_F(ExternalLaunchesTest, FirstPowerSearchAsksForTheProgramThenLaterOnesStartItDirectly) {
    ShowForm();
    QString askedFilter;
    launches->PowerSearchForm()->SetFileChooser([&](QWidget*, const QString& filter) {
        askedFilter = filter;
        return QStringLiteral("/opt/varnecast/varnecast");
    });
    WhenModalShown([](QWidget* dialog) {
        auto* form = qobject_cast<TPowerSearchForm*>(dialog);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Power search"));
        EXPECT_TRUE(form->PathField()->text().isEmpty());
        form->BrowseButton()->click();
        EXPECT_EQ(form->PathField()->text(), QStringLiteral("/opt/varnecast/varnecast"));
        QTest::keyClick(form->PathField(), Qt::Key_Return);  // OK is the default button
    });
    form->Button(5)->click();

    EXPECT_TRUE(askedFilter.startsWith(QStringLiteral("Programs (*.exe *.vrn*)")));
    EXPECT_EQ(launcher->targets, QStringList{QStringLiteral("/opt/varnecast/varnecast")});
    EXPECT_EQ(context.settings.PowerSearchFile, "/opt/varnecast/varnecast");
    EXPECT_TRUE(Hidden());

    // The next press starts it without asking (a dialog would fail the test and be closed).
    form->OpenMainWindow();
    bool asked = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            asked = true;
            dialog->close();
        }
    });
    form->Button(5)->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(asked);
    EXPECT_EQ(launcher->targets.size(), 2);
    EXPECT_TRUE(Hidden());
}

TEST_F(ExternalLaunchesTest, OkWithAnEmptyPathStartsNothingAndTheNextPressAsksAgain) {
    ShowForm();
    // A cancelled file dialog leaves the field as it was.
    launches->PowerSearchForm()->SetFileChooser([](QWidget*, const QString&) { return QString(); });
    WhenModalShown([](QWidget* dialog) {
        auto* form = static_cast<TPowerSearchForm*>(dialog);
        form->BrowseButton()->click();
        EXPECT_TRUE(form->PathField()->text().isEmpty());
        form->accept();
    });
    form->Button(5)->click();
    EXPECT_TRUE(launcher->targets.isEmpty());
    EXPECT_FALSE(Hidden());
    EXPECT_TRUE(context.settings.PowerSearchFile.empty());

    // Asked again; Cancel keeps the option empty even with a path typed, and the field keeps
    // what it last held for the next time.
    bool askedAgain = false;
    WhenModalShown([&](QWidget* dialog) {
        askedAgain = true;
        auto* form = static_cast<TPowerSearchForm*>(dialog);
        QTest::keyClicks(form->PathField(), QStringLiteral("/usr/bin/typed"));
        QTest::keyClick(form, Qt::Key_Escape);
    });
    form->Button(5)->click();
    EXPECT_TRUE(askedAgain);
    EXPECT_TRUE(launcher->targets.isEmpty());
    EXPECT_TRUE(context.settings.PowerSearchFile.empty());
    EXPECT_EQ(launches->PowerSearchForm()->Path(), QStringLiteral("/usr/bin/typed"));
    EXPECT_FALSE(Hidden());
}

TEST_F(ExternalLaunchesTest, TrayPowerSearchWhileHiddenStartsTheProgramWithoutShowingTheWindow) {
    context.settings.PowerSearchFile = "/opt/power search/run";
    form->MenuAction(QStringLiteral("OpenPowerSearch1"))->trigger();
    EXPECT_EQ(launcher->targets, QStringList{QStringLiteral("/opt/power search/run")});
    EXPECT_FALSE(form->isVisible());
    EXPECT_NE(form->MainWindowState(), TQuilloryForm1::Shown);
}

TEST_F(ExternalLaunchesTest, TheDialogsLinkOpensTheMakersHomePage) {
    Q_EMIT launches->PowerSearchForm()->MakerLink()->linkActivated(QString::fromLatin1(kMakerAddress));
    EXPECT_EQ(launcher->targets, QStringList{QStringLiteral("https://quillory.example.org/")});
    EXPECT_TRUE(QUrl(launcher->targets[0]).host().endsWith(QStringLiteral("example.org")));
}

TEST_F(ExternalLaunchesTest, InternetSearchButtonHidesTheTrayItemLeavesTheWindowAsItWas) {
    const QString page = QStringLiteral("https://quillory.example.org/internet-search.htm");
    ShowForm();
    form->MenuAction(QStringLiteral("OpenInternetSearch1"))->trigger();
    EXPECT_EQ(launcher->targets, QStringList{page});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->MainWindowState(), TQuilloryForm1::Shown);

    form->Button(6)->click();
    EXPECT_EQ(launcher->targets, (QStringList{page, page}));
    EXPECT_TRUE(Hidden());

    // Hidden, the tray item does not bring the window back.
    form->MenuAction(QStringLiteral("OpenInternetSearch1"))->trigger();
    EXPECT_EQ(launcher->targets.size(), 3);
    EXPECT_TRUE(Hidden());
}

TEST_F(ExternalLaunchesTest, HelpButtonAndMenuOpenTheStartTopicBesideTheProgram) {
    ShowForm();
    form->Button(7)->click();
    form->MenuAction(QStringLiteral("Help1"))->trigger();
    const QString address = HelpPageAddress(QStringLiteral("Start.htm"));
    EXPECT_EQ(launcher->targets, (QStringList{address, address}));
    const QUrl url(address);
    EXPECT_TRUE(url.isLocalFile());
    EXPECT_TRUE(QFileInfo::exists(url.toLocalFile())) << url.toLocalFile().toStdString();
    // Nothing else happens: the window stays.
    EXPECT_EQ(form->MainWindowState(), TQuilloryForm1::Shown);
}

// Tab reaches every link of the progress window after "Hide the program to tray", and Enter or
// Space opens its page; the window stays open.
TEST_F(ExternalLaunchesTest, RescanWindowLinksOpenTheSearchSoftwarePageAndTheProductTopics) {
    TRescanForm* rescan = form->RescanForm();
    rescan->show();
    rescan->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rescan));
    rescan->HideToTrayLink()->setFocus();
    const struct {
        QLabel* link;
        QString name;
        QString target;
    } links[] = {
        {rescan->MakerLink(), QString::fromLatin1(kMakerAddress),
         QStringLiteral("https://quillory.example.org/search-software.htm")},
        {rescan->AboutProgramLink(), QStringLiteral("Read about Quillory"),
         HelpPageAddress(QStringLiteral("overview.htm"))},
        {rescan->AboutProLink(), QStringLiteral("Read about Quillory Pro"),
         HelpPageAddress(QStringLiteral("quillory-pro.htm"))},
        {rescan->AboutProductsLink(), QStringLiteral("Read about all our search products"),
         HelpPageAddress(QStringLiteral("search-soft.htm"))},
    };
    QStringList expected;
    bool space = false;
    for (const auto& link : links) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), link.link) << link.name.toStdString();
        EXPECT_EQ(link.link->accessibleName(), link.name);
        EXPECT_TRUE(link.link->text().contains(link.name.toHtmlEscaped()));
        QTest::keyClick(link.link, (space = !space) ? Qt::Key_Space : Qt::Key_Return);
        expected << link.target;
        EXPECT_EQ(launcher->targets, expected);
    }
    for (const QString& target : launcher->targets.mid(1)) {
        EXPECT_TRUE(QFileInfo::exists(QUrl(target).toLocalFile())) << target.toStdString();
    }
    EXPECT_TRUE(rescan->isVisible());
}

// A launch that fails shows what could not be opened and why, at once or when the desktop
// reports it later; the command otherwise ends as after a launch that worked.
TEST_F(ExternalLaunchesTest, FailedLaunchesShowTheTargetAndTheReason) {
    ShowForm();
    launcher->failWith = QStringLiteral("No such file or directory");
    launches->PowerSearchForm()->SetPath(QStringLiteral("/opt/gone/varnecast"));
    WhenModalShown([](QWidget* dialog) { static_cast<TPowerSearchForm*>(dialog)->accept(); });
    form->Button(5)->click();
    EXPECT_EQ(
        prompts.errors,
        QStringList{QStringLiteral("Could not open \"/opt/gone/varnecast\".\n\nNo such file or directory")});
    EXPECT_TRUE(Hidden());

    // No browser: the desktop's opener ends after the command has returned.
    launcher->failWith.clear();
    form->OpenMainWindow();
    form->Button(7)->click();
    form->MenuAction(QStringLiteral("OpenInternetSearch1"))->trigger();
    EXPECT_EQ(prompts.errors.size(), 1);
    launcher->FailLast(QStringLiteral("xdg-open found no application that could open it."));
    ASSERT_EQ(prompts.errors.size(), 2);
    EXPECT_EQ(prompts.errors[1],
              QStringLiteral("Could not open \"https://quillory.example.org/internet-search.htm\"."
                             "\n\nxdg-open found no application that could open it."));
    // The links of the other windows launch through the same launcher.
    Q_EMIT form->RescanForm()->AboutProgramLink()->linkActivated(QStringLiteral("#"));
    launcher->FailLast(QString());
    EXPECT_EQ(prompts.errors.last(),
              QStringLiteral("Could not open \"%1\".").arg(HelpPageAddress(QStringLiteral("overview.htm"))));
    EXPECT_EQ(prompts.errors.size(), 3);
}

TEST(HelpTopics, AddressesAndTheFolderOfAnInstalledProgram) {
    EXPECT_EQ(HelpTopicAddress(QStringLiteral("/opt/q/help"), QStringLiteral("Start.htm")),
              QStringLiteral("file:///opt/q/help/Start.htm"));
    EXPECT_EQ(HelpTopicAddress(QStringLiteral("/opt/my q/help"), QStringLiteral("Start.htm#keys")),
              QStringLiteral("file:///opt/my%20q/help/Start.htm#keys"));
    // A missing page still gets its address: the browser reports it.
    EXPECT_EQ(HelpTopicAddress(QStringLiteral("/none"), QStringLiteral("missing.htm")),
              QStringLiteral("file:///none/missing.htm"));

    quillory::test::TempDir prefix;
    const QString bin = QString::fromStdString(prefix.MakeDir("bin"));
    EXPECT_EQ(HelpFolder(bin), QDir::cleanPath(bin + QStringLiteral("/help")));  // neither exists
    const QString installed = QString::fromStdString(prefix.MakeDir("share/quillory/help"));
    EXPECT_EQ(HelpFolder(bin), QDir::cleanPath(installed));
    prefix.MakeDir("bin/help");
    EXPECT_EQ(HelpFolder(bin), QDir::cleanPath(bin + QStringLiteral("/help")));  // the build tree's wins
}

// Every page and anchor the help pages link to among themselves exists, and every topic the
// program opens is there.
TEST(HelpTopics, ShippedPagesLinkOnlyToPagesAndSectionsThatExist) {
    const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/help"));
    for (const char* topic :
         {"Start.htm", "overview.htm", "quillory-pro.htm", "search-soft.htm", "quillory.css"}) {
        EXPECT_TRUE(folder.exists(QString::fromLatin1(topic))) << topic;
    }
    const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    int links = 0;
    for (const QString& name : folder.entryList({QStringLiteral("*.htm")})) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(text.contains(QStringLiteral("href=\"quillory.css\""))) << name.toStdString();
        for (auto match = href.globalMatch(text); match.hasNext();) {
            const QString target = match.next().captured(1);
            if (target.contains(QStringLiteral("://"))) {
                EXPECT_TRUE(target.startsWith(QString::fromLatin1(kMakerAddress))) << target.toStdString();
                continue;
            }
            ++links;
            const QString page = target.section(QLatin1Char('#'), 0, 0);
            const QString anchor = target.section(QLatin1Char('#'), 1);
            const QString pagePath = folder.filePath(page.isEmpty() ? name : page);
            ASSERT_TRUE(QFileInfo::exists(pagePath)) << name.toStdString() << " -> " << target.toStdString();
            if (anchor.isEmpty()) continue;
            QFile linked(pagePath);
            ASSERT_TRUE(linked.open(QIODevice::ReadOnly));
            EXPECT_TRUE(linked.readAll().contains(QStringLiteral("id=\"%1\"").arg(anchor).toUtf8()))
                << name.toStdString() << " -> " << target.toStdString();
        }
    }
    EXPECT_GT(links, 10);
}

TEST_F(ExternalLaunchesTest, AboutBoxClosesOnItsBackgroundNotOnTheImageTextsOrEscape) {
    ShowForm();
    bool checked = false;
    WhenModalShown([&](QWidget* dialog) {
        auto* about = qobject_cast<TAboutForm*>(dialog);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->windowTitle(), QStringLiteral("About"));
        EXPECT_EQ(about->palette().color(QPalette::Window), QColor(Qt::white));
        QTest::mouseClick(about->Image(), Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_TRUE(about->isVisible());
        QLabel* text = nullptr;
        for (QLabel* label : about->Panel()->findChildren<QLabel*>()) {
            if (label != about->Image()) text = label;
        }
        ASSERT_NE(text, nullptr);
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_TRUE(about->isVisible());
        QTest::keyClick(about, Qt::Key_Escape);
        EXPECT_TRUE(about->isVisible());
        checked = true;
        // The panel's bare margin closes it.
        QTest::mouseClick(about->Panel(), Qt::LeftButton, {}, QPoint(4, 4));
        EXPECT_FALSE(about->isVisible());
    });
    form->Button(8)->click();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(launches->AboutForm()->isVisible());
    EXPECT_TRUE(launcher->targets.isEmpty());
}

TEST_F(ExternalLaunchesTest, AboutBoxClosesThroughItsLinkAndTheBoxBackground) {
    ShowForm();
    WhenModalShown([](QWidget* dialog) {
        auto* about = static_cast<TAboutForm*>(dialog);
        EXPECT_EQ(about->CloseLink()->accessibleName(), QStringLiteral("Close the window"));
        Q_EMIT about->CloseLink()->linkActivated(QStringLiteral("#"));
    });
    form->MenuAction(QStringLiteral("About1"))->trigger();
    EXPECT_FALSE(launches->AboutForm()->isVisible());

    WhenModalShown([](QWidget* dialog) {
        QTest::mouseClick(dialog, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_FALSE(dialog->isVisible());
    });
    form->Button(8)->click();
    EXPECT_FALSE(launches->AboutForm()->isVisible());
}

}  // namespace
}  // namespace quillory::app
