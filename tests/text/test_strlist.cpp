#include "text/StrList.h"

#include <QLocale>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Read before any test can change it: the index the program starts with.
const int languageAtStart = languageIndex();

// Each test chooses its language and leaves the one it found.
class StrListTest : public ::testing::Test {
protected:
    void TearDown() override { setLanguageIndex(saved); }

private:
    int saved = languageIndex();
};

constexpr int English = 0;
constexpr int Russian = 1;

QString textIn(Str entry, int language)
{
    setLanguageIndex(language);
    return Text(entry);
}

QStringList placeholders(const QString& text)
{
    QStringList found;
    static const QRegularExpression re(QStringLiteral("%[dsf%]"));
    for (auto it = re.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    return found;
}

TEST_F(StrListTest, StartsWithTheBuildLanguage)
{
    EXPECT_EQ(languageAtStart, INSTREL_LANGUAGE);
}

TEST_F(StrListTest, OnlyEnglishAndRussianCanBeChosen)
{
    setLanguageIndex(English);
    setLanguageIndex(2);
    setLanguageIndex(-1);
    EXPECT_EQ(languageIndex(), English);
    EXPECT_EQ(Text(Str::MenuFile), "&File");
}

TEST_F(StrListTest, RussianMainWindowAndUpgradeWarning)
{
    setLanguageIndex(Russian);
    EXPECT_EQ(Text(Str::MenuFile), "Файл");
    EXPECT_EQ(hintLong(Text(Str::HintCut)), "Вырезать в буфер");
    EXPECT_EQ(hintShort(Text(Str::HintCut)), "Вырезать в буфер");
    EXPECT_EQ(FormatText(Str::UpgradeWarning, QStringLiteral("2.3"), QStringLiteral("2.4")),
              "Текущая версия базы данных версии 2.3 будет преобразована до версии 2.4.");
}

TEST_F(StrListTest, EnglishMainWindowAndUpgradeWarning)
{
    setLanguageIndex(English);
    EXPECT_EQ(Text(Str::MenuFile), "&File");
    EXPECT_EQ(withoutAccelerator(Text(Str::MenuFile)), "File");
    EXPECT_EQ(hintShort(Text(Str::HintCut)), "Cut");
    EXPECT_EQ(hintLong(Text(Str::HintCut)), "Cuts the selection and puts it on the Clipboard");
    EXPECT_EQ(Text(Str::UpgradeWarning), "Your current database version %s will be updated to %s.");
    // A database without a version row: the stored version is empty, leaving two blanks.
    EXPECT_EQ(FormatText(Str::UpgradeWarning, QString(), QStringLiteral("2.4")),
              "Your current database version  will be updated to 2.4.");
}

TEST_F(StrListTest, ReferenceCheckShowsTheCountInPlaceOfThePlaceholder)
{
    setLanguageIndex(English);
    EXPECT_EQ(FormatText(Str::RefCheckDeviceCrews, 3), "Found references ( amount = 3 ) to Crews for this device.");
    setLanguageIndex(Russian);
    EXPECT_EQ(FormatText(Str::RefCheckDeviceCrews, 3), "Найден список Бригад ( колич. = 3 ) для данного устройства.");
    EXPECT_EQ(FormatText(Str::RefCheckCrewTypeCounts, 4),
              "Есть ссылки ( колич.= 4 ) на данную Бригаду в Типах устройств (Затраты на обслуживание).");
}

TEST_F(StrListTest, MessageWithTextAndFloatingPointBreaksIntoTwoLines)
{
    setLanguageIndex(Russian);
    const QString text = messageText(FormatText(Str::AccountMinimalFundConfirm, QStringLiteral("3, 4"), 1760.0));
    EXPECT_EQ(text, "Есть нормы времени для разрядов: 3, 4 не присутствующих в списке бригады.\n"
                    "Принять для них минимальный фонд рабочего времени 1760.00 ?");
}

struct FormatCase {
    const char* format;
    QVariantList args;
    const char* expected;
};

TEST_F(StrListTest, FormatFillsPlaceholdersInOrder)
{
    const std::vector<FormatCase> cases = {
        {"%d", {3}, "3"},
        {"%d", {qlonglong(-12345678901)}, "-12345678901"},
        {"%d", {QStringLiteral("12")}, "12"},
        {"%s", {QStringLiteral("Манометр")}, "Манометр"},
        {"%f", {8.0 / 3}, "2.67"},
        {"%f", {-1.5}, "-1.50"},
        {"%f", {1760}, "1760.00"},
        {"%s-%d-%f", {QStringLiteral("a"), 2, 0.5}, "a-2-0.50"},
        // missing arguments leave their placeholders; surplus ones are dropped
        {"%d and %s", {1}, "1 and %s"},
        {"%d", {}, "%d"},
        {"%d", {1, 2}, "1"},
        {"no placeholder", {7}, "no placeholder"},
        // "%%" is a percent sign and takes no argument
        {"100%% of %d", {5}, "100% of 5"},
        {"%%d", {5}, "%d"},
        // a percent sign that starts no placeholder stays
        {"Other losses (%)", {1}, "Other losses (%)"},
        {"50% %x", {1}, "50% %x"},
        {"ends in %", {1}, "ends in %"},
        // an argument's text is not scanned again
        {"%s %s", {QStringLiteral("%s"), QStringLiteral("x")}, "%s x"},
        {"", {1}, ""},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(formatText(QString::fromUtf8(c.format), c.args), QString::fromUtf8(c.expected)) << c.format;
}

TEST_F(StrListTest, FloatingPointUsesAPointWhateverTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString text = formatText(QStringLiteral("%f"), {2.5});
    QLocale::setDefault(before);
    EXPECT_EQ(text, "2.50");
}

TEST_F(StrListTest, VariadicFormatAcceptsCommonArgumentTypes)
{
    setLanguageIndex(English);
    const long count = 7;
    const std::size_t size = 8;
    EXPECT_EQ(FormatText(Str::RefCheckDeviceKits, count), "Found references ( amount = 7 ) to Kits for this device.");
    EXPECT_EQ(FormatText(Str::RefCheckDeviceKits, size), "Found references ( amount = 8 ) to Kits for this device.");
    EXPECT_EQ(FormatText(Str::UpgradeWarning, "2.3", QStringLiteral("2.4")),
              "Your current database version 2.3 will be updated to 2.4.");
    EXPECT_EQ(FormatText(Str::RefCheckDeviceKits), "Found references ( amount = %d ) to Kits for this device.");
    EXPECT_EQ(FormatText(Str::RefCheckDeviceKits, QVariantList{9}),
              "Found references ( amount = 9 ) to Kits for this device.");
}

TEST_F(StrListTest, HintSplitsAtTheFirstBar)
{
    struct Case {
        const char* hint;
        const char* shortText;
        const char* longText;
    };
    const std::vector<Case> cases = {
        {"Exit|Exit application", "Exit", "Exit application"},
        {"Find", "Find", "Find"},
        {"|only long", "", "only long"},
        {"only short|", "only short", ""},
        {"a|b|c", "a", "b|c"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hintShort(QString::fromUtf8(c.hint)), QString::fromUtf8(c.shortText)) << c.hint;
        EXPECT_EQ(hintLong(QString::fromUtf8(c.hint)), QString::fromUtf8(c.longText)) << c.hint;
    }
}

TEST_F(StrListTest, AcceleratorMarkersAreRemovedAndDoubledAmpersandKept)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"&File", "File"},
        {"E&xit", "Exit"},
        {"Departments && Crews", "Departments & Crews"},
        {"Прос&мотр:", "Просмотр:"},
        {"&&&x", "&x"},
        {"a&", "a"},
        {"no marker", "no marker"},
        {"", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(withoutAccelerator(QString::fromUtf8(text)), QString::fromUtf8(expected)) << text;
}

TEST_F(StrListTest, MessageTextTurnsCarriageReturnsIntoLineBreaks)
{
    EXPECT_EQ(messageText(QStringLiteral("one\rtwo\r")), "one\ntwo\n");
    EXPECT_EQ(messageText(QStringLiteral("one\r\ntwo")), "one\ntwo");
    EXPECT_EQ(messageText(QStringLiteral("one line")), "one line");
    setLanguageIndex(English);
    EXPECT_EQ(messageText(Text(Str::DataOpenFailed)).count(u'\n'), 1);
}

TEST_F(StrListTest, EveryEntryHasTextInBothLanguages)
{
    // The original program's 386 entries, and the texts the program adds to them.
    EXPECT_GE(StrEntryCount, 386);
    for (int i = 0; i < StrEntryCount; ++i) {
        const Str entry = static_cast<Str>(i);
        EXPECT_FALSE(textIn(entry, English).isEmpty()) << "English entry " << i;
        EXPECT_FALSE(textIn(entry, Russian).isEmpty()) << "Russian entry " << i;
    }
}

TEST_F(StrListTest, BothLanguagesAskForTheSameArguments)
{
    for (int i = 0; i < StrEntryCount; ++i) {
        const Str entry = static_cast<Str>(i);
        EXPECT_EQ(placeholders(textIn(entry, English)), placeholders(textIn(entry, Russian))) << "entry " << i;
    }
}

TEST_F(StrListTest, RussianHintsHaveNoBar)
{
    for (int i = 0; i < StrEntryCount; ++i)
        EXPECT_FALSE(textIn(static_cast<Str>(i), Russian).contains(u'|')) << "entry " << i;
}

TEST_F(StrListTest, SameEnglishKeepsItsOwnRussian)
{
    const std::vector<std::pair<Str, Str>> twins = {
        {Str::ActionFileClose, Str::BtnClose},        {Str::DeviceLogLast, Str::NavLast},
        {Str::DeviceLogNext, Str::NavNext},           {Str::LinkedMadeBy, Str::TypeColMadeBy},
        {Str::PlanColMonth, Str::PlanPivotMonth},     {Str::AccountQuantity, Str::CrewReportQuantity},
        {Str::DeviceColEditKind, Str::ColState},      {Str::TypeReportType, Str::ColType},
    };
    for (const auto& [a, b] : twins) {
        EXPECT_EQ(textIn(a, English), textIn(b, English));
        EXPECT_NE(textIn(a, Russian), textIn(b, Russian)) << textIn(a, English).toStdString();
    }
    EXPECT_EQ(textIn(Str::ActionFileClose, Russian), "Закрыть окно");
    EXPECT_EQ(textIn(Str::BtnClose, Russian), "Закрыть");
}

TEST_F(StrListTest, OutOfRangeEntryGivesEmptyText)
{
    EXPECT_TRUE(Text(Str::EntryCount).isEmpty());
    EXPECT_TRUE(Text(static_cast<Str>(-1)).isEmpty());
}

TEST_F(StrListTest, LinkedTableNamesInTheMainWindowsOrder)
{
    setLanguageIndex(Russian);
    const QStringList russian = {
        "Точности", "Назначения", "Классы", "Подразделения и бригады", "Конструкции", "Размерности",
        "Документы", "Градуировки", "Расположения и места установки", "Группы и наименования неисправностей",
        "Изготовители", "Виды измерений", "Параметры", "Пределы измерения", "Шкалы", "Обслуживания",
        "Состояния", "Системы", "Наименования типов устройств", "Разряды сотрудников",
        "Продолжительность рабочего дня в часах", "Номинальный фонд рабочего времени в днях",
        "Очередные отпуска в днях", "Прочие потери в %"};
    EXPECT_EQ(linkedTableNames(), russian);

    setLanguageIndex(English);
    const QStringList english = linkedTableNames();
    ASSERT_EQ(english.size(), LinkedTableCount);
    EXPECT_EQ(english.first(), "Accuracies");
    EXPECT_EQ(english.at(10), "Made by"); // manager code 70
    EXPECT_EQ(english.at(3), "Departments && Crews");
    EXPECT_EQ(english.last(), "Other losses (%)");
    for (int k = 0; k < LinkedTableCount; ++k)
        EXPECT_EQ(Text(linkedTableEntries()[k]), english.at(k));
}

} // namespace
