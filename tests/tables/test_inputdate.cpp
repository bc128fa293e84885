#include "support/MessageRecorder.h"
#include "tables/DateRangeExpression.h"
#include "tables/InputDateFrm.h"
#include "text/StrList.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace DateRangeExpression;

TEST(DateRangeExpression, ResultFromTheTwoEditorTexts)
{
    const struct {
        QString from, to, expression;
    } cases[] = {
        {"  .  .  ", "  .  .  ", ""},                                     // both blank: the filter is cleared
        {"__.__.__", "..", ""},                                           // as QLineEdit may report blanks
        {"01.03.04", "05.03.04", ">= '01.03.04' and  <='05.03.04'"},
        {"05.03.04", "01.03.04", ">= '01.03.04' and  <= '05.03.04'"},   // swapped into a forward range
        {"05.03.04", "05.03.04", "= '05.03.04'"},                         // one day
        {"05.03.04", "  .  .  ", ">= '05.03.04'"},
        {"  .  .  ", "05.03.04", "<= '05.03.04'"},
        {"31.12.99", "01.01.00", ">= '31.12.99' and  <='01.01.00'"},     // 1999 before 2000
        {"01.01.50", "31.12.49", ">= '01.01.50' and  <='31.12.49'"},     // 1950 before 2049
        {"31.02.04", "05.03.04", ""},   // a from-date that is no date stops the conversions: nothing
        {"05.03.04", "99.99.99", ">= '05.03.04'"},                        // a wrong to-date is not entered
        {"05.03.  ", "  .  .  ", ""},                                     // half typed
    };
    for (const auto& c : cases)
        EXPECT_EQ(fromTexts(c.from, c.to), c.expression) << c.from.toStdString() << " / " << c.to.toStdString();
}

TEST(DateRangeExpression, TwoDigitYearsPivotAtFifty)
{
    EXPECT_EQ(parseShortDate("05.03.04"), QDate(2004, 3, 5));
    EXPECT_EQ(parseShortDate("05.03.49"), QDate(2049, 3, 5));
    EXPECT_EQ(parseShortDate("05.03.50"), QDate(1950, 3, 5));
    EXPECT_EQ(parseShortDate("29.02.00"), QDate(2000, 2, 29));
    EXPECT_EQ(parseShortDate("29.02.01"), std::nullopt);
    EXPECT_EQ(parseShortDate("5.3.04"), std::nullopt);
}

TEST(InputDateForm, CaptionsMaskAndNames)
{
    TInputDateForm form;
    EXPECT_EQ(form.windowTitle(), Text(Str::DateRangeCaption));
    QLineEdit* from = form.findChild<QLineEdit*>("editFromDate");
    QLineEdit* to = form.findChild<QLineEdit*>("editToDate");
    ASSERT_TRUE(from && to);
    EXPECT_EQ(from->inputMask(), "99.99.99;_");
    EXPECT_TRUE(DateRangeExpression::isBlank(from->text())) << from->text().toStdString();
    EXPECT_TRUE(DateRangeExpression::isBlank(from->displayText()));
    QStringList labels;
    for (QLabel* label : form.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(Text(Str::DateRangeFrom)));
    EXPECT_TRUE(labels.contains(Text(Str::DateRangeTo)));
    EXPECT_EQ(form.findChild<QPushButton*>("btnOk")->text(), Text(Str::DlgOk));
    EXPECT_EQ(form.findChild<QPushButton*>("btnCancel")->text(), Text(Str::DlgCancel));
}

TEST(InputDateForm, TypedDatesEnterMovesOnOkGivesTheExpression)
{
    TInputDateForm form;
    QLineEdit* from = form.editFromDate();
    QLineEdit* to = form.editToDate();
    QString result = "not run";
    QTimer::singleShot(0, [&] {
        QApplication::setActiveWindow(&form);
        from->setFocus();
        from->setCursorPosition(0);
        QTest::keyClicks(from, "050304");
        QTest::keyClick(from, Qt::Key_Return);
        EXPECT_TRUE(form.isVisible()) << "Enter must not close the dialog";
        EXPECT_TRUE(to->hasFocus());
        to->setCursorPosition(0);
        QTest::keyClicks(to, "010304");
        form.findChild<QPushButton*>("btnOk")->click();
    });
    result = form.askExpression();
    EXPECT_EQ(from->text(), "05.03.04");
    EXPECT_EQ(result, ">= '01.03.04' and  <= '05.03.04'");
}

// Without the refusal a from-date that is no date cleared the column's filter without a word.
TEST(InputDateForm, ADateThatDoesNotExistIsNamedAndTheDialogStaysWithIt)
{
    MessageRecorder messages;
    TInputDateForm form;
    QLineEdit* from = form.editFromDate();
    QLineEdit* to = form.editToDate();
    const struct {
        const char* from;
        const char* to;
    } cases[] = {{"310204", ""}, {"290201", ""}, {"000004", ""}, {"320104", ""}, {"0503", ""}, {"050304", "3102"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " / " + c.to);
        messages.clear();
        QString result = "not run";
        bool stayed = false;
        QString kept;
        QTimer::singleShot(0, [&] {
            QApplication::setActiveWindow(&form);
            for (auto [editor, typed] : {std::pair{from, c.from}, std::pair{to, c.to}}) {
                editor->clear();
                editor->setCursorPosition(0);
                QTest::keyClicks(editor, typed);
            }
            kept = (QString(c.to).isEmpty() ? from : to)->text();
            form.findChild<QPushButton*>("btnOk")->click();
            stayed = form.isVisible();
            form.findChild<QPushButton*>("btnCancel")->click();
        });
        result = form.askExpression();
        EXPECT_TRUE(stayed);
        EXPECT_EQ(result, "");
        ASSERT_EQ(messages.texts().size(), 1);
        EXPECT_TRUE(messages.texts()[0].contains("«" + kept + "»")) << messages.texts()[0].toStdString();
    }
}

TEST(InputDateForm, CancelGivesNothingAndScriptedAnswersNeedNoWindow)
{
    TInputDateForm form;
    TInputDateForm::setNextAnswer("05.03.04", "05.03.04");
    EXPECT_EQ(form.askExpression(), "= '05.03.04'");
    EXPECT_EQ(form.resultExpression(), "= '05.03.04'");
    TInputDateForm::setNextAnswer("05.03.04", "  .  .  ", false);
    EXPECT_EQ(form.askExpression(), "");
    QTimer::singleShot(0, [&] { form.findChild<QPushButton*>("btnCancel")->click(); });
    EXPECT_EQ(form.askExpression(), "");
}

TEST(InputDateForm, TakesTheFontOfTheActiveMdiWindow)
{
    QMdiArea area;
    auto* child = new QWidget;
    QFont font("DejaVu Sans", 17);
    child->setFont(font);
    area.addSubWindow(child)->show();
    area.show();
    area.setActiveSubWindow(area.subWindowList().first());
    ASSERT_TRUE(area.activeSubWindow());
    TInputDateForm form;
    form.setMdiArea(&area);
    form.show();
    EXPECT_EQ(form.font().pointSize(), 17);
    form.hide();

    TInputDateForm owned(child); // created by the child window itself: finds the area on its own
    child->setFont(QFont("DejaVu Sans", 13));
    owned.show();
    EXPECT_EQ(owned.font().pointSize(), 13);
    owned.hide();
}

} // namespace
