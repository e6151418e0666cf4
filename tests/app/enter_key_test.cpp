// Enter as a keyboard user relies on it: on a focused push button it presses that button, in
// the main window and in every dialog; anywhere else it goes to the window's default button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <map>
#include <set>

#include "app/bool_form.h"
#include "app/extension_filter_form.h"
#include "app/fields_select_form.h"
#include "app/folder_list_form.h"
#include "app/main_window.h"
#include "app/option_form.h"
#include "app/option_prompts.h"
#include "app/power_search_form.h"
#include "cancelling_option_prompts.h"
#include "fake_launcher.h"
#include "fake_prompts.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

// Every push button of `window`, on every page of its tabs, gets the focus and Return, then
// keypad Enter: each press must click that button and no other. The buttons' own handlers are
// replaced by counters, so no command runs and no dialog closes.
void ExpectEnterPressesEveryFocusedButton(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    std::map<QPushButton*, int> clicks;
    const QList<QPushButton*> buttons = window.findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        QObject::disconnect(button, &QAbstractButton::clicked, nullptr, nullptr);
        QObject::connect(button, &QAbstractButton::clicked, &window, [&clicks, button] { ++clicks[button]; });
    }
    std::set<QPushButton*> pressed;
    const auto pressVisibleButtons = [&] {
        for (QPushButton* button : buttons) {
            if (pressed.count(button) || !button->isVisible() || !button->isEnabled()) continue;
            pressed.insert(button);
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
                clicks.clear();
                button->setFocus(Qt::TabFocusReason);
                ASSERT_EQ(window.focusWidget(), button);
                QTest::keyClick(button, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
                EXPECT_EQ(clicks, (std::map<QPushButton*, int>{{button, 1}}))
                    << "Enter on \"" << button->text().toStdString() << "\" in "
                    << window.objectName().toStdString();
            }
        }
    };
    const QList<QTabWidget*> tabs = window.findChildren<QTabWidget*>();
    pressVisibleButtons();
    for (QTabWidget* pages : tabs) {
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            pressVisibleButtons();
        }
    }
    EXPECT_GE(pressed.size(), 2u) << window.objectName().toStdString();
    window.hide();
}

TEST(EnterKey, PressesTheFocusedButtonInTheMainWindowAndEveryDialog) {
    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    ProgramContext context;
    context.prompts = &prompts;
    context.workingDatabasePath = home.DataFolder() + "index.dat";
    TQuilloryForm1 window(context);
    ExpectEnterPressesEveryFocusedButton(window);

    test::CancellingOptionPrompts optionPrompts;
    TOptionForm options(context, optionPrompts, &window);
    ExpectEnterPressesEveryFocusedButton(options);
    TFolderListForm folders(optionPrompts, &window);
    ExpectEnterPressesEveryFocusedButton(folders);
    TExtensionFilterForm extensions(&window);
    ExpectEnterPressesEveryFocusedButton(extensions);
    TBoolForm builder(&window);
    ExpectEnterPressesEveryFocusedButton(builder);
    TFieldsSelectFrm fields(&window);
    ExpectEnterPressesEveryFocusedButton(fields);
    test::FakeLauncher launcher;
    TPowerSearchForm powerSearch(launcher, &window);
    ExpectEnterPressesEveryFocusedButton(powerSearch);
}

TEST(EnterKey, ElsewhereInTheMainWindowItSearches) {
    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    ProgramContext context;
    context.prompts = &prompts;
    context.workingDatabasePath = home.DataFolder() + "index.dat";
    TQuilloryForm1 window(context);
    window.OpenMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // Each search adds its text to the history.
    window.SearchBox()->setEditText(QStringLiteral("first"));
    window.CheckBox(2)->setFocus();
    QTest::keyClick(window.CheckBox(2), Qt::Key_Return);
    EXPECT_EQ(window.SearchBox()->count(), 1);
    window.SearchBox()->setEditText(QStringLiteral("second"));
    window.SearchBox()->lineEdit()->setFocus();
    QTest::keyClick(window.SearchBox()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(window.SearchBox()->count(), 2);
    EXPECT_FALSE(window.CheckBox(2)->isChecked());
}

}  // namespace
}  // namespace quillory::app
