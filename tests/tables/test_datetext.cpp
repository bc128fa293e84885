#include "tables/DateText.h"
#include "text/StrList.h"

#include <gtest/gtest.h>

namespace {

using V = DateText::Verdict;

const char* name(V v)
{
    switch (v) {
    case V::Blank: return "Blank";
    case V::Date: return "Date";
    case V::Incomplete: return "Incomplete";
    case V::Impossible: return "Impossible";
    }
    return "?";
}

TEST(DateText, ReadsTheTextsOfTheMaskedEditors)
{
    const struct {
        const char* text;
        V verdict;
        QDate date;
    } cases[] = {
        {"31.01.2027", V::Date, QDate(2027, 1, 31)},
        {"29.02.2028", V::Date, QDate(2028, 2, 29)},   // a leap year
        {"29.02.2000", V::Date, QDate(2000, 2, 29)},   // divisible by 400
        {" 01.12.2026 ", V::Date, QDate(2026, 12, 1)},
        {"31.02.2027", V::Impossible, {}},
        {"29.02.2027", V::Impossible, {}},            // a common year
        {"29.02.1900", V::Impossible, {}},            // divisible by 100 only
        {"31.04.2027", V::Impossible, {}},
        {"00.00.2027", V::Impossible, {}},
        {"00.01.2027", V::Impossible, {}},
        {"32.01.2027", V::Impossible, {}},
        {"15.13.2027", V::Impossible, {}},
        {"01.01.0000", V::Impossible, {}},            // there is no year 0
        {"31.02.", V::Incomplete, {}},                // the mask's blanks dropped by QLineEdit::text()
        {"31.02.____", V::Incomplete, {}},
        {"31.02.20", V::Incomplete, {}},
        {"3.02.2027", V::Incomplete, {}},             // one blank inside the day
        {"31.02.2027x", V::Incomplete, {}},
        {"", V::Blank, {}},
        {"..", V::Blank, {}},
        {"  .  .    ", V::Blank, {}},
        {"__.__.____", V::Blank, {}},
    };
    for (const auto& c : cases) {
        const DateText::Reading r = DateText::read(c.text);
        EXPECT_STREQ(name(r.verdict), name(c.verdict)) << c.text;
        EXPECT_EQ(r.date, c.date) << c.text;
        EXPECT_EQ(r.refused(), c.verdict == V::Impossible || c.verdict == V::Incomplete) << c.text;
    }
}

TEST(DateText, ShortDatesAndYears)
{
    EXPECT_EQ(DateText::readShort("29.02.00").date, QDate(2000, 2, 29));
    EXPECT_EQ(DateText::readShort("05.03.50").date, QDate(1950, 3, 5));
    EXPECT_STREQ(name(DateText::readShort("29.02.01").verdict), "Impossible");
    EXPECT_STREQ(name(DateText::readShort("05.03.").verdict), "Incomplete");
    EXPECT_STREQ(name(DateText::readShort("31.02.2027").verdict), "Incomplete"); // four digits in a short editor
    EXPECT_STREQ(name(DateText::readShort("  .  .  ").verdict), "Blank");

    EXPECT_EQ(DateText::readYear("2026").date, QDate(2026, 1, 1));
    EXPECT_STREQ(name(DateText::readYear("20").verdict), "Incomplete");
    EXPECT_STREQ(name(DateText::readYear("0000").verdict), "Impossible");
    EXPECT_STREQ(name(DateText::readYear("").verdict), "Blank");
}

TEST(DateText, TheRefusalNamesTheTextAsTypedAndTheField)
{
    const QString impossible = DateText::refusal(DateText::read("31.02.2027"), "31.02.2027", "Дата установки");
    EXPECT_TRUE(impossible.contains("«31.02.2027»")) << impossible.toStdString();
    EXPECT_TRUE(impossible.startsWith("Дата установки")) << impossible.toStdString();
    const QString partial = DateText::refusal(DateText::read("31.02."), "31.02.");
    EXPECT_TRUE(partial.contains("«31.02.»")) << partial.toStdString();
    EXPECT_NE(partial, DateText::refusal(DateText::read("31.02.2027"), "31.02.")); // says which fault
    if (languageIndex() == 1)
        EXPECT_TRUE(impossible.contains("не существует")) << impossible.toStdString();
}

} // namespace
