// The global hot keys against a real X server. ctest runs them under a virtual X server
// (xvfb-run) when xvfb-run and xdotool are installed, with QUILLORY_REQUIRE_X11 set: there a
// missing X connection or xdotool is a failure, not a skip. Offscreen they skip. By hand:
//
//   xvfb-run -a env QT_QPA_PLATFORM=xcb build/app/quillory-app-tests --gtest_filter='GlobalHotKeysX11*'
#include "app/global_hot_keys.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "app/external_launches.h"
#include "app/main_window.h"
#include "fake_launcher.h"
#include "fake_prompts.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

constexpr char kHowToRun[] =
    "needs an X server and xdotool: xvfb-run -a env QT_QPA_PLATFORM=xcb build/app/quillory-app-tests "
    "--gtest_filter='GlobalHotKeysX11*'";

// QTRY_* report to QtTest, not to GoogleTest: waits are QTest::qWaitFor under ASSERT_TRUE.
constexpr int kWaitMs = 5000;

bool PressKeys(const QString& keys) {
    return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}) == 0;
}

// Empty when the X11 test can run; else why not.
QString MissingForX11() {
    if (QGuiApplication::platformName() != QStringLiteral("xcb") || !GlobalHotKeys::Available()) {
        return QStringLiteral("no X11 connection (platform %1)").arg(QGuiApplication::platformName());
    }
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        return QStringLiteral("no xdotool");
    return {};
}

TEST(GlobalHotKeysX11, HotKeyOneOpensTheWindowHotKeyTwoStartsThePowerSearch) {
    if (const QString missing = MissingForX11(); !missing.isEmpty()) {
        if (qEnvironmentVariableIsSet("QUILLORY_REQUIRE_X11")) FAIL() << missing.toStdString();
        GTEST_SKIP() << kHowToRun;
    }
    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    ProgramContext context;
    context.prompts = &prompts;
    context.workingDatabasePath = home.DataFolder() + "index.dat";
    TQuilloryForm1 form(context);
    auto recording = std::make_unique<test::FakeLauncher>();
    test::FakeLauncher* launcher = recording.get();
    ExternalLaunches* launches = AttachExternalLaunches(form, std::move(recording));
    GlobalHotKeys* hotKeys = AttachHotKeys(form, [launches] { launches->RunPowerSearch(); });

    // Where the settings and the options dialog keep them: hot key 1 in [1], hot key 2 in [2].
    context.settings.HotKeys[1] = 0x607B;  // Ctrl+Shift+F12
    context.settings.HotKeys[2] = 0x607A;  // Ctrl+Shift+F11
    context.settings.PowerSearchFile = "/opt/power/search";
    RegisterHotKeys(form);
    ASSERT_GT(hotKeys->GrabCount(), 0u);

    EXPECT_FALSE(form.isVisible());
    ASSERT_TRUE(PressKeys(QStringLiteral("ctrl+shift+F12")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.isVisible(); }, kWaitMs));
    EXPECT_EQ(form.MainWindowState(), TQuilloryForm1::Shown);
    EXPECT_TRUE(launcher->targets.isEmpty());

    // Hot key 2 while the window is hidden: the program starts, the window stays hidden.
    form.hide();
    ASSERT_TRUE(PressKeys(QStringLiteral("ctrl+shift+F11")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return launcher->targets.size() == 1; }, kWaitMs));
    EXPECT_EQ(launcher->targets[0], QStringLiteral("/opt/power/search"));
    EXPECT_FALSE(form.isVisible());

    // Num Lock on does not stop a hot key.
    ASSERT_TRUE(PressKeys(QStringLiteral("Num_Lock")));
    ASSERT_TRUE(PressKeys(QStringLiteral("ctrl+shift+F11")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return launcher->targets.size() == 2; }, kWaitMs));
    ASSERT_TRUE(PressKeys(QStringLiteral("Num_Lock")));

    // A combination of neither slot, and the old combinations after re-registration, do
    // nothing. The X server delivers key presses in order, so once the last press (the new
    // hot key 2) has arrived, every earlier one has been handled too.
    ASSERT_TRUE(PressKeys(QStringLiteral("ctrl+shift+F10")));
    UnregisterHotKeys(form);
    EXPECT_EQ(hotKeys->GrabCount(), 0u);
    context.settings.HotKeys[1] = 0;
    context.settings.HotKeys[2] = 0x6078;  // Ctrl+Shift+F9
    RegisterHotKeys(form);
    ASSERT_GT(hotKeys->GrabCount(), 0u);
    ASSERT_TRUE(PressKeys(QStringLiteral("ctrl+shift+F12")));
    ASSERT_TRUE(PressKeys(QStringLiteral("ctrl+shift+F11")));
    ASSERT_TRUE(PressKeys(QStringLiteral("ctrl+shift+F9")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return launcher->targets.size() >= 3; }, kWaitMs));
    EXPECT_EQ(launcher->targets.size(), 3);
    EXPECT_FALSE(form.isVisible());
    UnregisterHotKeys(form);
    EXPECT_EQ(hotKeys->GrabCount(), 0u);
}

TEST(GlobalHotKeysOffscreen, RegistrationWithoutAnX11ConnectionFailsSilently) {
    if (GlobalHotKeys::Available()) GTEST_SKIP() << "an X11 connection is present";
    GlobalHotKeys hotKeys;
    std::array<uint16_t, kHotKeySlotCount> codes{};
    codes[1] = 0x8041;
    hotKeys.Register(codes);
    EXPECT_EQ(hotKeys.GrabCount(), 0u);
    hotKeys.Unregister();
    hotKeys.Unregister();
}

}  // namespace
}  // namespace quillory::app
