// The connection on a PostgreSQL server: the program's statements, values and transactions behave as
// on the embedded engine (names ignoring case, Jet's NULL order, dates as local wall-clock moments,
// decimals at six places, nested scopes), in a database of its own on the test server.
#include "data/DatabaseError.h"
#include "data/InitialSchema.h"
#include "data/ServerErrorText.h"
#include "data/PostgresEngine.h"
#include "data/ResultSet.h"
#include "data/SqlCommand.h"
#include "data/SqlConnection.h"
#include "data/Transaction.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/TestServer.h"
#include "text/StrList.h"

#include <QDateTime>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(PostgresEngine, NumbersParametersOutsideLiteralsNamesCommentsAndCasts)
{
    const auto numbered = PostgresEngine::numberParameters(
        s("select :a, ':b', \"c:d\", x::integer, :A, :b_2 -- :c\n/* :d */ from T where 'it''s :e' = :b_2"));
    EXPECT_EQ(numbered.text,
              s("select $1, ':b', \"c:d\", x::integer, $1, $2 -- :c\n/* :d */ from T where 'it''s :e' = $2"));
    EXPECT_EQ(numbered.names, (QStringList{"a", "b_2"}));
}

TEST(PostgresEngine, AServerThatCannotBeReachedIsNamedInTheMessage)
{
    SqlConnection db;
    db.setServer(s("host=127.0.0.1 port=1 dbname=plant connect_timeout=5"));
    try {
        db.open();
        FAIL() << "opened";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(s("port=1 dbname=plant"))) << e.message().toStdString();
    }
    EXPECT_FALSE(db.isOpen());
}

// Texts outside the usual forms take the careful way: a moment with a zone is moved to local time, a
// value that is no moment turns its column into variants with the earlier rows kept.
TEST(PostgresEngine, SentTextsOutsideTheUsualFormsKeepTheirMeaning)
{
    ResultSet rows;
    rows.addColumn(s("Taken"), ResultSet::SentAs::Moment);
    rows.addColumn(s("Amount"), ResultSet::SentAs::Decimal);
    const auto append = [&rows](const char* taken, const char* amount) {
        const char* cells[] = {taken, amount};
        const int sizes[] = {taken ? int(strlen(taken)) : 0, amount ? int(strlen(amount)) : 0};
        rows.appendFromText(cells, sizes);
    };
    append("2024-03-05 14:05:06+00:00", "2.1500004");
    append("2024-03-05 14:05:06.5", nullptr);
    append("infinity", "-0.0000004");
    ASSERT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(rows.value(0, 0).toDateTime(),
              QDateTime(QDate(2024, 3, 5), QTime(14, 5, 6), Qt::UTC).toLocalTime());
    EXPECT_EQ(rows.value(1, 0).toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(14, 5, 6)));
    EXPECT_EQ(rows.column(0).type, ResultSet::ColumnType::Variant);
    EXPECT_EQ(rows.value(2, 0).toString(), s("infinity"));
    EXPECT_EQ(rows.value(0, 1).toDouble(), 2.15);
    EXPECT_TRUE(rows.isNull(1, 1));
    EXPECT_EQ(rows.value(2, 1).toDouble(), 0.0);
}

class PostgresEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INSTREL_REQUIRE_TEST_SERVER();
        scratch = std::make_unique<TestServer::ScratchDatabase>();
        ASSERT_FALSE(scratch->connectionString().isEmpty()) << scratch->error().toStdString();
        db.setServer(scratch->connectionString());
        InitialSchema::create(db);
    }
    void TearDown() override { db.close(); }

    std::unique_ptr<TestServer::ScratchDatabase> scratch;
    SqlConnection db;
};

TEST_F(PostgresEngineTest, RowsAndValuesComeBackAsTheEmbeddedEngineGivesThem)
{
    db.execute(s("insert into Depart (Name_Depart) values (:Name)"), {{"NAME", s("Цех КИП")}});
    EXPECT_EQ(db.lastInsertId(), 1);
    db.execute(s("insert into Depart (Name_Depart) values (:Name)"), {{"name", s("Лаборатория")}});
    EXPECT_EQ(db.lastInsertId(), 2);

    const QDateTime set(QDate(2024, 3, 5), QTime(14, 5));
    db.execute(s("insert into Device (ANumber, InputDate) values (:a, :d)"), {{"a", s("Манометр-1")}, {"d", set}});
    db.execute(s("insert into Device (ANumber, InputDate) values (:a, :d)"), {{"a", s("b-2")}, {"d", QVariant()}});
    db.execute(s("insert into Device (ANumber) values (null)"));
    db.execute(s("insert into Prec (Name_Prec) values (:p)"), {{"p", 2.15}});

    const auto rows = db.select(s("select ID_Device, InputDate, ANumber from Device where ID_Device = :id"), {},
                                {{"ID", 1}});
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->indexOf(s("ANumber")), 2);
    EXPECT_EQ(rows->value(0, 0).toLongLong(), 1);
    EXPECT_EQ(rows->value(0, 1).toDateTime(), set);
    EXPECT_EQ(rows->value(0, 2).toString(), s("Манометр-1"));
    EXPECT_EQ(db.scalar(s("select Name_Prec from Prec")).toDouble(), 2.15);

    // Jet's order: NULLs first, also for grouped rows; LIKE without regard to case, Cyrillic too.
    const auto ordered = db.select(s("select ANumber from Device order by ANumber"));
    ASSERT_EQ(ordered->rowCount(), 3);
    EXPECT_TRUE(ordered->isNull(0, 0));
    QStringList forward; // read front to back, the same rows in the same order
    db.readRows(s("select ANumber from Device order by ANumber"), {}, [&](const ResultSet& batch) {
        for (int r = 0; r < batch.rowCount(); ++r)
            forward << (batch.isNull(r, 0) ? s("NULL") : batch.value(r, 0).toString());
        return true;
    });
    EXPECT_EQ(forward, QStringList({s("NULL"), s("b-2"), s("Манометр-1")}));
    const auto grouped = db.select(s("select ANumber, count(*) from Device group by ANumber"));
    ASSERT_EQ(grouped->rowCount(), 3);
    EXPECT_TRUE(grouped->isNull(0, 0));
    EXPECT_EQ(db.scalar(s("select count(*) from Device where ANumber Like 'МАН%' or ANumber Like 'B%'")).toInt(), 2);

    // Jet's date functions and literals.
    EXPECT_EQ(db.scalar(s("select count(*) from Device where InputDate = #03/05/2024 14:05:00#")).toInt(), 1);
    EXPECT_EQ(db.scalar(s("select count(*) from Device where InputDate < Date() - 31")).toInt(), 1);
    EXPECT_EQ(db.scalar(s("select DateAdd('m', 1.9, #01/31/2024#)")).toDateTime(),
              QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
    EXPECT_EQ(db.scalar(s("select Year(InputDate) from Device where ID_Device = 1")).toInt(), 2024);

    const SqlConnection::TableInfo info = db.tableInfo(s("Device"));
    EXPECT_EQ(info.primaryKey.toLower(), s("id_device"));
    EXPECT_TRUE(info.columns.contains(s("anumber"), Qt::CaseInsensitive));
}

TEST_F(PostgresEngineTest, ScopesNestAndAFailedStatementUndoesOnlyItsOwnScope)
{
    {
        Transaction outer(db);
        db.execute(s("insert into State (Name_State) values ('В работе')"));
        {
            Transaction inner(db);
            db.execute(s("insert into State (Name_State) values ('В ремонте')"));
            EXPECT_THROW(db.execute(s("insert into NoSuchTable values (1)")), DatabaseError);
        }
        // The server refuses every statement of a transaction in error until its scope is undone.
        db.execute(s("insert into State (Name_State) values ('Списан')"));
        outer.commit();
    }
    EXPECT_FALSE(db.inTransaction());
    const auto rows = db.select(s("select Name_State from State order by ID_State"));
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(rows->value(1, 0).toString(), s("Списан"));

    SqlCommand insert(db, s("insert into Grade (Name_Grade) values (:name)"));
    EXPECT_EQ(insert.paramNames(), QStringList{"name"});
    for (const char* name : {"МПа", "кПа", "Па"})
        EXPECT_EQ(insert.run({s(name)}), 1);
    EXPECT_EQ(db.scalar(s("select count(*) from Grade")).toInt(), 3);
}

// The server restarts or the network drops while the program is open: a read goes on by itself on a
// new session, a write is told, a transaction under way is never continued on a new session (it
// fails to its end, its commit included) and nothing of it is stored.
// What the process writes to its standard error while it lives.
class StandardErrorCapture {
public:
    StandardErrorCapture()
    {
        std::fflush(stderr);
        m_saved = dup(2);
        m_file = std::tmpfile();
        dup2(fileno(m_file), 2);
    }
    ~StandardErrorCapture() { restore(); }
    QString text()
    {
        restore();
        std::rewind(m_file);
        QByteArray all;
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0;)
            all.append(buffer, qsizetype(n));
        return QString::fromUtf8(all);
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, 2);
        close(m_saved);
        m_saved = -1;
    }
    int m_saved = -1;
    std::FILE* m_file = nullptr;
};

TEST_F(PostgresEngineTest, ALostSessionIsOpenedAgainButNeverInTheMiddleOfATransaction)
{
    // The server's notices on a renewed session (a rollback with nothing left to undo) stay off the
    // user's terminal.
    StandardErrorCapture standardError;
    SqlConnection other;
    other.setServer(scratch->connectionString());
    const auto dropSession = [&] {
        const QVariant pid = db.scalar(s("select pg_backend_pid()"));
        ASSERT_TRUE(other.scalar(s("select pg_terminate_backend(%1, 5000)").arg(pid.toLongLong())).toBool());
    };
    const auto isLost = [](const std::function<void()>& statement) {
        try {
            statement();
        } catch (const DatabaseError& e) {
            return e.message().startsWith(s("Связь с сервером базы данных прервана"));
        }
        return false;
    };
    const auto stored = [&] {
        QStringList names;
        const auto rows = other.select(s("select Name_State from State order by ID_State"));
        for (int r = 0; r < rows->rowCount(); ++r)
            names << rows->text(r, 0);
        return names;
    };

    dropSession();
    EXPECT_EQ(db.scalar(s("select 2")).toInt(), 2) << "a read outside a transaction is made again";

    dropSession();
    EXPECT_TRUE(isLost([&] { db.execute(s("insert into State (Name_State) values ('потеряно?')")); }));
    db.execute(s("insert into State (Name_State) values ('после обрыва')"));
    EXPECT_EQ(stored(), QStringList{s("после обрыва")});

    {
        Transaction transaction(db);
        db.execute(s("insert into State (Name_State) values ('первая')"));
        dropSession();
        EXPECT_TRUE(isLost([&] { db.execute(s("insert into State (Name_State) values ('вторая')")); }));
        EXPECT_TRUE(isLost([&] { db.execute(s("insert into State (Name_State) values ('третья')")); }))
            << "not continued on a new session";
        EXPECT_TRUE(isLost([&] { db.scalar(s("select 1")); })) << "nor read in one";
    } // rolled back as the scope ends
    db.execute(s("insert into State (Name_State) values ('после отката')"));

    {
        Transaction transaction(db);
        db.execute(s("insert into State (Name_State) values ('до фиксации')"));
        dropSession();
        EXPECT_TRUE(isLost([&] { transaction.commit(); }));
    }
    EXPECT_FALSE(db.inTransaction());
    db.execute(s("insert into State (Name_State) values ('после фиксации')"));
    EXPECT_EQ(stored(), QStringList({s("после обрыва"), s("после отката"), s("после фиксации")}));
    EXPECT_FALSE(standardError.text().contains(s("WARNING"))) << "notices printed";
}

// Failures a planner can meet are put in words above the server's own text; others keep the
// server's text alone.
TEST_F(PostgresEngineTest, ServerErrorsAUserCanMeetAreSaidInRussianAboveTheServersText)
{
    db.execute(s("insert into State (ID_State, Name_State) values (1, 'Исправен')"));
    try {
        db.execute(s("insert into State (ID_State, Name_State) values (1, 'Снова')"));
        ADD_FAILURE() << "a second row with the same key was stored";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.sqlState(), s("23505"));
        EXPECT_TRUE(e.message().startsWith(Text(Str::ServerErrorIntegrity) + s("\n\n"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(s("duplicate key"))) << e.message().toStdString();
    }
    const struct {
        const char* state;
        Str text;
    } known[] = {{"23503", Str::ServerErrorIntegrity},  {"40001", Str::ServerErrorConcurrent},
                 {"40P01", Str::ServerErrorConcurrent}, {"53100", Str::ServerErrorResources},
                 {"57P01", Str::ServerErrorShutdown},   {"57P03", Str::ServerErrorShutdown},
                 {"08006", Str::ServerErrorConnection}, {"42501", Str::ServerErrorPrivilege}};
    for (const auto& c : known)
        EXPECT_EQ(ServerErrorText::withCause(s(c.state), s("server text")), Text(c.text) + s("\n\nserver text"))
            << c.state;
    for (const char* other : {"42P01", "42601", "22001", ""})
        EXPECT_EQ(ServerErrorText::withCause(s(other), s("server text")), s("server text")) << other;
}

// The server sends every value as text; it must read into the values, types and nulls the embedded
// engine gives for the same rows, in the forms a reader of those texts could get wrong.
TEST_F(PostgresEngineTest, TextsTheServerSendsReadAsTheEmbeddedEngineReadsTheSameRows)
{
    TempWorkDir dir;
    SqlConnection file;
    file.setDatabaseFile(TestDatabase::createBlankDatabase(dir.path()));
    struct Row {
        QVariant taken, dated, amount, ratio, flag, note;
    };
    const QList<Row> rows{
        // A fraction of a second (dropped), a leap day, a negative decimal, a real in exponent form,
        // and a text that looks like a date in a text column.
        {s("2024-03-05 14:05:06.789"), s("2024-02-29"), -1234.5, 1e-7, true, s("2024-03-05")},
        {s("1999-12-31 23:59:59"), s("2000-01-01"), 0.000001, -0.5, false, s("Цех КИП\tв \"цеху\"")},
        {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
        {s("2024-03-05 00:00:00"), s("2024-03-05"), 0.0, 0.0, false, s("")}, // an empty text is no NULL
    };
    for (SqlConnection* engine : {&db, &file}) {
        engine->execute(s("create table Edge (ID integer, Taken timestamp(6), Dated date, Amount numeric(18,6), "
                          "Ratio double precision, Flag boolean, Note varchar(40))"));
        for (int i = 0; i < rows.size(); ++i) {
            const Row& r = rows[i];
            engine->execute(s("insert into Edge values (:id, :taken, :dated, :amount, :ratio, :flag, :note)"),
                            {{"id", i + 1}, {"taken", r.taken}, {"dated", r.dated}, {"amount", r.amount},
                             {"ratio", r.ratio}, {"flag", r.flag}, {"note", r.note}});
        }
    }
    const QString read = s("select * from Edge order by ID");
    const auto server = db.select(read);
    const auto embedded = file.select(read);
    ASSERT_EQ(server->rowCount(), rows.size());
    ASSERT_EQ(server->columnCount(), embedded->columnCount());
    for (int c = 0; c < server->columnCount(); ++c) {
        EXPECT_EQ(server->column(c).type, embedded->column(c).type) << server->column(c).name.toStdString();
        for (int r = 0; r < server->rowCount(); ++r) {
            SCOPED_TRACE(server->column(c).name.toStdString() + " row " + std::to_string(r + 1));
            EXPECT_EQ(server->isNull(r, c), embedded->isNull(r, c));
            EXPECT_EQ(server->value(r, c), embedded->value(r, c));
        }
    }
    // Not wrong in the same way on both.
    EXPECT_EQ(server->value(0, 1).toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(14, 5, 6)));
    EXPECT_EQ(server->value(0, 2).toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
    EXPECT_EQ(server->value(0, 3).toDouble(), -1234.5);
    EXPECT_EQ(server->value(0, 4).toDouble(), 1e-7);
    EXPECT_EQ(server->value(0, 5).toLongLong(), 1);
    EXPECT_EQ(server->value(0, 6).toString(), s("2024-03-05"));
    EXPECT_EQ(server->column(6).type, ResultSet::ColumnType::Text);
    EXPECT_EQ(server->value(3, 6).toString(), s(""));
}

} // namespace
