#include "support/QtPrinters.h"
#include "tables/DualListMoves.h"
#include "tables/SelectFrm.h"
#include "text/StrList.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QStringList texts(const DualListMoves& moves, DualListMoves::Side side)
{
    QStringList list;
    for (const DualListMoves::Entry& e : moves.entries(side))
        list.append(e.text);
    return list;
}

QStringList selectedTexts(const DualListMoves& moves, DualListMoves::Side side)
{
    QStringList list;
    for (const DualListMoves::Entry& e : moves.entries(side))
        if (e.selected)
            list.append(e.text);
    return list;
}

// The user selects exactly these entries of a side, and nothing on the other.
void pick(DualListMoves& moves, DualListMoves::Side side, const QStringList& wanted)
{
    moves.select(side == DualListMoves::Source ? DualListMoves::Destination : DualListMoves::Source, {});
    std::vector<int> indexes;
    const auto& entries = moves.entries(side);
    for (int i = 0; i < int(entries.size()); ++i)
        if (wanted.contains(entries[size_t(i)].text))
            indexes.push_back(i);
    moves.select(side, indexes);
}

DualListMoves filled(int maxCount, const QStringList& sources)
{
    DualListMoves moves;
    moves.setMaxCount(maxCount);
    qint64 key = 100;
    for (const QString& text : sources)
        moves.addSource(text, key++);
    return moves;
}

using S = DualListMoves::Side;
constexpr S Src = DualListMoves::Source;
constexpr S Dst = DualListMoves::Destination;

} // namespace

TEST(DualListMoves, SourceKeepsRussianAlphabeticalOrderAndKeysTravelWithTheirEntries)
{
    DualListMoves moves = filled(255, {"Ремонт", "поверка", "Аттестация", "Ёмкость", "Замена", "Калибровка"});
    EXPECT_EQ(texts(moves, Src), (QStringList{"Аттестация", "Ёмкость", "Замена", "Калибровка", "поверка", "Ремонт"}));
    pick(moves, Src, {"Ремонт"});
    moves.include();
    ASSERT_EQ(moves.entries(Dst).size(), 1u);
    EXPECT_EQ(moves.entries(Dst)[0].key, 100);
    moves.excludeAll();
    EXPECT_EQ(texts(moves, Src).last(), "Ремонт") << "a returned entry goes back to its alphabetical place";
    EXPECT_EQ(moves.entries(Src).back().key, 100);
}

// The commands, one case per row: the limit, what stands in the destination beforehand, what is
// selected and the command; then both lists, what stays selected and where the focus went.
TEST(DualListMoves, CommandsWithinTheLimit)
{
    const QStringList six = {"А", "Б", "В", "Г", "Д", "Е"};
    struct Case {
        const char* name;
        int maxCount;
        QStringList chosenBefore; // moved one by one before the command
        S side;
        QStringList selected;
        void (DualListMoves::*command)();
        QStringList source, destination, selectedAfter;
        S focus;
    };
    const Case cases[] = {
        {"include all stops at the limit", 4, {}, Src, {}, &DualListMoves::includeAll,
         {"Д", "Е"}, {"А", "Б", "В", "Г"}, {"Д"}, Src},
        {"include beyond the limit leaves the rest selected", 4, {"А", "Б", "В"}, Src, {"Г", "Е"},
         &DualListMoves::include, {"Д", "Е"}, {"А", "Б", "В", "Г"}, {"Д", "Е"}, Src},
        {"include selects the entry now at the first's place", 255, {}, Src, {"Б", "В"}, &DualListMoves::include,
         {"А", "Г", "Д", "Е"}, {"Б", "В"}, {"Г"}, Src},
        {"include of the last entries selects the new last", 255, {}, Src, {"Е"}, &DualListMoves::include,
         {"А", "Б", "В", "Г", "Д"}, {"Е"}, {"Д"}, Src},
        {"include with nothing selected moves nothing and selects the first", 255, {}, Src, {},
         &DualListMoves::include, six, {}, {"А"}, Src},
        {"exclude puts back even when the source is over the limit", 4, {"В"}, Dst, {"В"}, &DualListMoves::exclude,
         six, {}, {}, Dst},
        {"exclude all returns everything in order", 4, {"Д", "Б"}, Dst, {}, &DualListMoves::excludeAll, six, {}, {},
         Dst},
        {"include all of an empty source changes nothing", 255, six, Src, {}, &DualListMoves::includeAll, {}, six,
         {}, Src},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DualListMoves moves = filled(c.maxCount, six);
        for (const QString& text : c.chosenBefore) {
            pick(moves, Src, {text});
            moves.include();
        }
        pick(moves, c.side, c.selected);
        (moves.*c.command)();
        EXPECT_EQ(texts(moves, Src), c.source);
        EXPECT_EQ(texts(moves, Dst), c.destination);
        EXPECT_EQ(selectedTexts(moves, Src) + selectedTexts(moves, Dst), c.selectedAfter);
        EXPECT_EQ(moves.focus(), c.focus);
        EXPECT_LE(int(moves.entries(Dst).size()), c.maxCount);
    }
}

TEST(DualListMoves, DestinationKeepsTheOrderOfChoosing)
{
    DualListMoves moves = filled(4, {"А", "Б", "В", "Г", "Д", "Е"});
    for (const char* text : {"В", "А", "Г", "Б"}) {
        pick(moves, Src, {QString::fromUtf8(text)});
        moves.include();
    }
    EXPECT_EQ(texts(moves, Dst), (QStringList{"В", "А", "Г", "Б"}));
    EXPECT_EQ(moves.firstSelected(Dst), -1);
    EXPECT_EQ(moves.firstSelected(Src), 0);
}

namespace {

class DualListDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setLanguageIndex(1);
        dialog = std::make_unique<TDualListDlg>();
        dialog->clear();
        dialog->setWindowTitle("Выбор");
        dialog->setMaxCount(2);
        qint64 key = 1;
        for (const char* text : {"Ремонт", "Поверка", "Калибровка"})
            dialog->addSource(QString::fromUtf8(text), key++);
        dialog->SetMoveButtons();
    }
    void TearDown() override
    {
        dialog.reset();
        setLanguageIndex(INSTREL_LANGUAGE);
    }
    template <class T>
    T* child(const char* name)
    {
        T* found = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    bool enabled(const char* name) { return child<QPushButton>(name)->isEnabled(); }
    // Shows the dialog for real and lets `user` work on it once it is up.
    bool runModal(std::function<void()> user)
    {
        QTimer::singleShot(0, dialog.get(), [this, user] {
            EXPECT_TRUE(dialog->isVisible());
            user();
        });
        return dialog->choose();
    }

    std::unique_ptr<TDualListDlg> dialog;
};

} // namespace

TEST_F(DualListDialogTest, LayoutTextsAndEnabling)
{
    EXPECT_EQ(child<QLabel>("SrcLabel")->text(), "Исходный список");
    EXPECT_EQ(child<QLabel>("DstLabel")->text(), "Выбрано");
    EXPECT_EQ(child<QPushButton>("OKBtn")->text(), "Применить");
    EXPECT_EQ(child<QPushButton>("CancelBtn")->text(), "Закрыть");
    EXPECT_TRUE(child<QPushButton>("OKBtn")->isDefault());
    EXPECT_TRUE(enabled("IncludeBtn") && enabled("IncAllBtn"));
    EXPECT_FALSE(enabled("ExcludeBtn") || enabled("ExAllBtn"));
    auto* source = child<QListWidget>("SrcList");
    EXPECT_EQ(source->item(0)->text(), "Калибровка");
    EXPECT_EQ(source->selectionMode(), QAbstractItemView::ExtendedSelection);

    child<QPushButton>("IncAllBtn")->click();
    EXPECT_EQ(child<QListWidget>("DstList")->count(), 2);
    EXPECT_EQ(source->count(), 1);
    EXPECT_TRUE(source->item(0)->isSelected()) << "the one left is selected, silently";
    EXPECT_TRUE(enabled("ExcludeBtn") && enabled("ExAllBtn") && enabled("IncludeBtn"));
    child<QPushButton>("ExAllBtn")->click();
    EXPECT_FALSE(enabled("ExcludeBtn"));
    EXPECT_EQ(source->count(), 3);
}

TEST_F(DualListDialogTest, OkGivesTheChosenEntriesCancelAndEscapeGiveNone)
{
    const bool ok = runModal([this] {
        dialog->selectTexts(DualListMoves::Source, {"Ремонт"});
        child<QPushButton>("IncludeBtn")->click();
        dialog->selectTexts(DualListMoves::Source, {"Калибровка"});
        child<QPushButton>("IncludeBtn")->click();
        child<QPushButton>("OKBtn")->click();
    });
    EXPECT_TRUE(ok);
    ASSERT_EQ(dialog->destination().size(), 2u);
    EXPECT_EQ(dialog->destination()[0].text, "Ремонт");
    EXPECT_EQ(dialog->destination()[0].key, 1);
    EXPECT_EQ(dialog->destination()[1].text, "Калибровка");

    EXPECT_FALSE(runModal([this] { child<QPushButton>("CancelBtn")->click(); }));
    EXPECT_FALSE(runModal([this] { QTest::keyClick(dialog.get(), Qt::Key_Escape); }));
    EXPECT_TRUE(runModal([this] { QTest::keyClick(dialog.get(), Qt::Key_Return); })) << "OK is the default button";
}

// The categories' full names and the caption were cut by lists of a fixed width.
TEST_F(DualListDialogTest, ListsAndCaptionAreWideEnoughForTheirTexts)
{
    const QString longest = "Слесарь-наладчик КИПиА, 6 разряд";
    dialog->clear();
    dialog->setWindowTitle(Text(Str::TypeReportSelectCategories));
    dialog->addSource(longest, 1);
    dialog->addSource("3 разряд", 2);
    dialog->SetMoveButtons();
    bool shown = runModal([this] { dialog->reject(); });
    EXPECT_FALSE(shown);
    for (const char* name : {"SrcList", "DstList"}) {
        auto* list = child<QListWidget>(name);
        EXPECT_GE(list->viewport()->width(), list->fontMetrics().horizontalAdvance(longest)) << name;
    }
    EXPECT_GE(dialog->width(), dialog->fontMetrics().horizontalAdvance(dialog->windowTitle()) + 60);

    // Short names keep the lists at their usual width.
    dialog->clear();
    dialog->addSource("3 разряд", 2);
    EXPECT_EQ(child<QListWidget>("SrcList")->width(), 180);
}
