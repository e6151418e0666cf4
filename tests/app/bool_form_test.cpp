// The "Boolean expression" dialog opened from the "..." button: the rows it shows for a
// search text, and the search text its OK writes back.
#include "app/bool_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/main_window.h"
#include "fake_launcher.h"
#include "fake_prompts.h"
#include "search/query_parser.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

using test::WhenModalShown;

struct Row {
    QString op;
    QString text;
    friend bool operator==(const Row&, const Row&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Row& row) {
        return out << row.op.toStdString() << " '" << row.text.toStdString() << "'";
    }
};

class BoolFormTest : public ::testing::Test {
  protected:
    BoolFormTest() {
        context.prompts = &prompts;
        context.workingDatabasePath = home.DataFolder() + "index.dat";
        form = std::make_unique<TQuilloryForm1>(context);
        builder = AttachBoolBuilder(*form);
        form->OpenMainWindow();
    }

    static std::vector<Row> Rows(TBoolForm* dialog) {
        std::vector<Row> rows;
        for (int k = 1; k <= 4; ++k)
            rows.push_back({dialog->OperatorBox(k)->currentText(), dialog->TextField(k)->text()});
        return rows;
    }

    // Opens the builder on `searchText`, lets `edit` change the rows, then presses OK (or
    // Cancel) and answers the search box's text.
    QString Build(const QString& searchText, const std::function<void(TBoolForm*)>& edit, bool ok = true) {
        form->SearchBox()->setEditText(searchText);
        WhenModalShown([&](QWidget* dialog) {
            auto* bool_form = qobject_cast<TBoolForm*>(dialog);
            if (!bool_form) {
                ADD_FAILURE() << "not the builder";
                dialog->close();
                return;
            }
            edit(bool_form);
            (ok ? bool_form->OkButton() : bool_form->CancelButton())->click();
        });
        form->Button(3)->click();
        return form->SearchBox()->currentText();
    }

    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    ProgramContext context;
    std::unique_ptr<TQuilloryForm1> form;
    TBoolForm* builder = nullptr;
};

TEST_F(BoolFormTest, RowsOfASimpleTextAndOkWithoutChangesWritesItBack) {
    std::vector<Row> rows;
    QString title;
    bool firstFieldFocused = false;
    const QString text = Build(QStringLiteral("a b"), [&](TBoolForm* dialog) {
        rows = Rows(dialog);
        title = dialog->windowTitle();
        firstFieldFocused = dialog->focusWidget() == dialog->TextField(1);
        EXPECT_TRUE(dialog->OkButton()->isDefault());
    });
    EXPECT_EQ(title, QStringLiteral("Boolean expression"));
    EXPECT_EQ(rows, (std::vector<Row>{{"OR", "a"}, {"OR", "b"}, {"OR", ""}, {"OR", ""}}));
    EXPECT_TRUE(firstFieldFocused);
    EXPECT_EQ(text, QStringLiteral("a b"));
}

TEST_F(BoolFormTest, ChangedOperatorsAreWrittenAsMarkedQuotedTerms) {
    EXPECT_EQ(
        Build(QStringLiteral("a b"), [](TBoolForm* dialog) { dialog->OperatorBox(2)->setCurrentIndex(1); }),
        QStringLiteral("a +\"b\""));
    EXPECT_EQ(Build(QStringLiteral("a b"),
                    [](TBoolForm* dialog) {
                        dialog->OperatorBox(2)->setCurrentIndex(1);
                        dialog->OperatorBox(1)->setCurrentIndex(2);
                    }),
              QStringLiteral("-\"a\" +\"b\""));
    // The marked text opens with its operators.
    std::vector<Row> rows;
    Build(QStringLiteral("a +\"b\""), [&](TBoolForm* dialog) { rows = Rows(dialog); });
    EXPECT_EQ(rows, (std::vector<Row>{{"OR", "a"}, {"AND", "b"}, {"OR", ""}, {"OR", ""}}));
}

TEST_F(BoolFormTest, BlanksAreQuotedCommasAreNot) {
    const QString quoted =
        Build(QString(), [](TBoolForm* dialog) { dialog->TextField(1)->setText(QStringLiteral("my file")); });
    EXPECT_EQ(quoted, QStringLiteral("\"my file\""));
    TWordList words;
    ParseQuery(quoted.toStdString(), false, true, words);
    ASSERT_EQ(words.TermCount, 1);
    EXPECT_EQ(words.Terms[0], "my file");

    const QString bare =
        Build(QString(), [](TBoolForm* dialog) { dialog->TextField(1)->setText(QStringLiteral("a,b")); });
    EXPECT_EQ(bare, QStringLiteral("a,b"));
    ParseQuery(bare.toStdString(), false, true, words);
    EXPECT_EQ(words.TermCount, 2);
}

TEST_F(BoolFormTest, TermsBeyondTheFourthFollowAndSurviveReset) {
    std::vector<Row> rows;
    EXPECT_EQ(Build(QStringLiteral("a b c d e f"), [&](TBoolForm* dialog) { rows = Rows(dialog); }),
              QStringLiteral("a b c d e f"));
    EXPECT_EQ(rows, (std::vector<Row>{{"OR", "a"}, {"OR", "b"}, {"OR", "c"}, {"OR", "d"}}));
    EXPECT_EQ(Build(QStringLiteral("a b c d e f"),
                    [&](TBoolForm* dialog) {
                        dialog->OperatorBox(3)->setCurrentIndex(1);
                        dialog->ResetButton()->click();
                        rows = Rows(dialog);
                    }),
              QStringLiteral("e f"));
    EXPECT_EQ(rows, (std::vector<Row>{{"OR", ""}, {"OR", ""}, {"OR", ""}, {"OR", ""}}));
}

TEST_F(BoolFormTest, AnEmptiedRowClosesTheGap) {
    EXPECT_EQ(Build(QStringLiteral("a b c +\"d\""), [](TBoolForm* dialog) { dialog->TextField(2)->clear(); }),
              QStringLiteral("a c +\"d\""));
}

TEST_F(BoolFormTest, TermsShowInTheCaseTheyWereTyped) {
    form->CheckBox(1)->setChecked(false);
    std::vector<Row> rows;
    Build(QStringLiteral("ReadMe *.TXT"), [&](TBoolForm* dialog) { rows = Rows(dialog); });
    EXPECT_EQ(rows[0].text, QStringLiteral("ReadMe"));
    EXPECT_EQ(rows[1].text, QStringLiteral("*.TXT"));
}

TEST_F(BoolFormTest, ADoubleQuoteCannotBeTypedOrPastedIntoARow) {
    const QString text = Build(QString(), [](TBoolForm* dialog) {
        QLineEdit* field = dialog->TextField(2);
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("my\"fi\"le"));
        EXPECT_EQ(field->text(), QStringLiteral("myfile"));
        QApplication::clipboard()->setText(QStringLiteral("\"x y\""));
        field->clear();
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(field->text(), QStringLiteral("x y"));
    });
    EXPECT_EQ(text, QStringLiteral("\"x y\""));
}

TEST_F(BoolFormTest, CancelAndEscapeChangeNothingAndNoSearchRuns) {
    const QString status = form->StatusText();
    EXPECT_EQ(Build(
                  QStringLiteral("a b"),
                  [](TBoolForm* dialog) { dialog->TextField(1)->setText(QStringLiteral("z")); }, false),
              QStringLiteral("a b"));
    form->SearchBox()->setEditText(QStringLiteral("keep"));
    WhenModalShown([](QWidget* dialog) {
        static_cast<TBoolForm*>(dialog)->TextField(1)->setText(QStringLiteral("changed"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    form->Button(3)->click();
    EXPECT_EQ(form->SearchBox()->currentText(), QStringLiteral("keep"));
    EXPECT_EQ(form->StatusText(), status);
    EXPECT_EQ(form->SearchBox()->count(), 0);  // nothing went into the history
}

}  // namespace
}  // namespace quillory::app
