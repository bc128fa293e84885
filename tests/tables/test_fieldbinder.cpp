#include "TablesFixture.h"

#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "tables/EditValue.h"
#include "tables/FieldBinder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

class FieldBinderTest : public TablesFixture {
protected:
    void SetUp() override
    {
        TablesFixture::SetUp();
        ds = std::make_unique<Dataset>(&connection());
        ds->setSql("select * from Pasport;");
        ds->open();
    }
    void TearDown() override
    {
        ds.reset();
        TablesFixture::TearDown();
    }
    std::unique_ptr<Dataset> ds;
};

TEST_F(FieldBinderTest, EditorsFollowTheCurrentRowAndWriteBack)
{
    QLineEdit number;
    QLineEdit setDate;
    setDate.setInputMask(FieldBinder::dateMask());
    QDoubleSpinBox price;
    price.setMaximum(1e6);
    QComboBox type;
    type.addItems({"Манометр", "Термометр"});
    QPlainTextEdit location;
    FieldBinder binder(ds.get());
    binder.bind(&number, "ANumber");
    binder.bind(&setDate, "SetDate");
    binder.bind(&price, "Price");
    binder.bind(&type, "Name_DevType");
    binder.bind(&location, "Name_Location");
    EXPECT_EQ(number.text(), "A-1");
    EXPECT_EQ(setDate.text(), "05.03.2024");
    EXPECT_EQ(price.value(), 10);
    EXPECT_EQ(type.currentText(), "Манометр");
    EXPECT_EQ(location.toPlainText(), "Цех 1");

    ds->setRecNo(3);
    EXPECT_EQ(number.text(), "A-3");
    EXPECT_EQ(type.currentText(), "Термометр");
    EXPECT_EQ(setDate.text(), "01.04.2024");

    setDate.selectAll();
    QTest::keyClicks(&setDate, "02012025");
    EXPECT_TRUE(ds->isEditing()); // setValue started the edit
    QTest::keyClicks(&number, "x");
    type.setCurrentIndex(0);
    emit type.activated(0);
    ds->post();
    EXPECT_EQ(connection().scalar("select ANumber from Pasport where ID_Device = 3;").toString(), "A-3x");
    EXPECT_EQ(connection().scalar("select replace(SetDate, ' ', '_') from Pasport where ID_Device = 3;").toString(),
              "2025-01-02_00:00:00"); // the storage form
    EXPECT_EQ(connection().scalar("select Name_DevType from Pasport where ID_Device = 3;").toString(), "Манометр");

    ds->close();
    EXPECT_FALSE(number.isEnabled());
    EXPECT_FALSE(price.isEnabled());
    ds->open();
    EXPECT_TRUE(number.isEnabled());
    EXPECT_EQ(number.text(), "A-1");
}

TEST_F(FieldBinderTest, ShowingARowStartsNoEdit)
{
    QCheckBox flag;
    QDoubleSpinBox price;
    FieldBinder binder(ds.get());
    binder.bind(&flag, "Price");
    binder.bind(&price, "Price");
    for (int row = 1; row <= ds->recordCount(); ++row) {
        ds->setRecNo(row);
        EXPECT_FALSE(ds->isEditing()) << row;
    }
}

// What an editor of a date and its time of day writes for what it shows (blanks as "_").
TEST(DateTimeEditText, ReadsAMomentOnlyOnceItIsOne)
{
    const QDateTime at(QDate(2025, 5, 2), QTime(14, 30, 5));
    const std::pair<const char*, std::optional<QVariant>> cases[] = {
        {"02.05.2025 14:30:05", QVariant(at)},
        {"02.05.2025 14:30:__", QVariant(QDateTime(at.date(), QTime(14, 30)))},
        {"02.05.2025 __:__:__", QVariant(QDateTime(at.date(), QTime(0, 0)))}, // a date alone: midnight
        {"__.__.____ __:__:__", QVariant()},                                 // cleared
        {"02.05.2025 14:3_:__", std::nullopt},                               // still being typed
        {"02.05.20__ __:__:__", std::nullopt},
        {"__.__.____ 14:30:05", std::nullopt},
        {"31.02.2025 10:00:00", std::nullopt},
        {"02.05.2025 24:00:00", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        const std::optional<QVariant> read = EditValue::parseDateTime(QString::fromLatin1(text));
        ASSERT_EQ(read.has_value(), expected.has_value()) << text;
        if (read)
            EXPECT_EQ(*read, *expected) << text;
    }
    EXPECT_EQ(EditValue::dateTimeText(at), "02.05.2025 14:30:05");
    EXPECT_EQ(EditValue::dateTimeText(QVariant()), "");
}

// Editors take no more than the column's size; a longer text stored earlier is shown whole rather
// than cut without a word.
TEST_F(FieldBinderTest, TextEditorsKeepWithinTheColumnSize)
{
    connection().execute("update Pasport set Name_Location = '" + QString(60, QChar(u'ц')) + "' where ID_Device = 2;");
    ds->requery();
    QLineEdit number;
    QPlainTextEdit location;
    QLineEdit place;
    FieldBinder binder(ds.get());
    binder.bind(&number, "ANumber");
    binder.bind(&location, "Name_Location");
    EXPECT_EQ(number.maxLength(), 50);

    QTest::keyClicks(&number, QString(60, QLatin1Char('x')));
    EXPECT_EQ(number.text(), "A-1" + QString(47, QLatin1Char('x')));
    EXPECT_EQ(ds->value("ANumber").toString(), number.text());

    location.moveCursor(QTextCursor::End);
    location.insertPlainText(QString(60, QChar(u'я'))); // a paste
    EXPECT_EQ(location.toPlainText(), "Цех 1" + QString(45, QChar(u'я')));
    EXPECT_EQ(ds->value("Name_Location").toString(), location.toPlainText());
    ds->post();

    binder.bind(&place, "Name_Location");
    ds->setRecNo(2);
    EXPECT_EQ(location.toPlainText(), QString(60, QChar(u'ц')));
    EXPECT_EQ(place.text(), QString(60, QChar(u'ц')));
}

// A pick-list's items carry no data, and an item without data matches a null value: a device without
// a number showed the list's first number, which a later save would have stored as its own.
TEST_F(FieldBinderTest, AnEmptyValueShowsNoItemOfAPickList)
{
    connection().execute("update Pasport set ANumber = NULL where ID_Device = 2;");
    ds->requery();
    QComboBox number;
    number.setEditable(true);
    number.addItems({"A-1", "A-3"});
    FieldBinder binder(ds.get());
    binder.bind(&number, "ANumber");
    EXPECT_EQ(number.currentText(), "A-1");

    ds->setRecNo(2);
    EXPECT_EQ(number.currentIndex(), -1);
    EXPECT_EQ(number.currentText(), "");
    ds->edit();
    ds->setValue("Price", 11);
    ds->post();
    EXPECT_TRUE(connection().scalar("select ANumber from Pasport where ID_Device = 2;").isNull());
}

// The editor starts at 05.03.2024 and the user types over it from the start: "31" alone makes
// 31.03.2024, a real day the editor once wrote on its way to the text that is none.
TEST_F(FieldBinderTest, ADateThatDoesNotExistIsRefusedOnLeavingTheRowAndKeptForCorrection)
{
    QLineEdit setDate;
    setDate.setInputMask(FieldBinder::dateMask());
    FieldBinder binder(ds.get());
    binder.bind(&setDate, "SetDate");
    ds->field("SetDate")->setLabel("Дата установки");
    const QString stored = "select SetDate from Pasport where ID_Device = 1;";
    const QVariant before = connection().scalar(stored);

    const struct {
        const char* typed;
        bool overStored; // typed over the stored date, else into an emptied editor
    } cases[] = {{"31022027", true}, {"29022027", true}, {"00002027", true}, {"32012027", true}, {"3102", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        messages.clear();
        if (c.overStored) {
            setDate.setCursorPosition(0);
        } else {
            setDate.selectAll();
            QTest::keyClick(&setDate, Qt::Key_Delete);
            setDate.setCursorPosition(0);
        }
        QTest::keyClicks(&setDate, c.typed);
        const QString text = setDate.text();
        EXPECT_TRUE(ds->isEditing());

        for (auto leave : {+[](Dataset& d) { d.next(); }, +[](Dataset& d) { d.post(); }}) {
            EXPECT_THROW(leave(*ds), AbortOperation);
            EXPECT_EQ(ds->recNo(), 1);
            EXPECT_EQ(setDate.text(), text);
        }
        ASSERT_EQ(messages.texts().size(), 2);
        EXPECT_TRUE(messages.texts()[0].startsWith("Дата установки")) << messages.texts()[0].toStdString();
        EXPECT_TRUE(messages.texts()[0].contains(text)) << messages.texts()[0].toStdString();
        EXPECT_EQ(connection().scalar(stored), before);

        // Another field typed into meanwhile does not overwrite the text with the value held.
        ds->setValue("ANumber", "A-1");
        EXPECT_EQ(setDate.text(), text);

        ds->cancel(); // as typed is dropped: the stored date shows again
        EXPECT_EQ(setDate.text(), "05.03.2024");
    }

    // Corrected, it is stored; cleared, it is stored empty.
    setDate.setCursorPosition(0);
    QTest::keyClicks(&setDate, "28022027");
    ds->next();
    EXPECT_EQ(connection().scalar(stored).toDateTime(), QDateTime(QDate(2027, 2, 28), QTime(0, 0)));
    ds->first();
    setDate.selectAll();
    QTest::keyClick(&setDate, Qt::Key_Delete);
    ds->post();
    EXPECT_TRUE(connection().scalar(stored).isNull());
}
