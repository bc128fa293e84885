// All-or-nothing work on the one connection: nested scopes, rollback on an exception, and a
// statement prepared once for many rows.
#include "data/DatabaseError.h"
#include "data/SqlCommand.h"
#include "data/SqlConnection.h"
#include "data/Transaction.h"
#include "support/QtPrinters.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <QDate>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class TransactionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        createSqliteFile(dir.file("Device.db"), {"create table T (ID integer primary key, Name varchar(20) not null, "
                                                 "D datetime)"});
        connection.setDatabaseFile(dir.file("Device.db"));
        QObject::connect(&connection, &SqlConnection::willExecute,
                         [this](const QStringList& lines) { monitor.append(lines); });
    }
    int rows(const QString& where = "1=1")
    {
        return connection.scalar("select count(*) from T where " + where + ";").toInt();
    }
    void insert(const QString& name) { connection.execute("insert into T (Name) values ('" + name + "');"); }

    TempWorkDir dir;
    SqlConnection connection;
    QStringList monitor;
};

} // namespace

TEST_F(TransactionTest, InnerScopesAreSavepointsOfTheOuterOne)
{
    {
        Transaction outer(connection);
        insert("outer");
        {
            Transaction undone(connection);
            insert("undone");
            undone.rollback();
        }
        {
            Transaction kept(connection);
            insert("kept");
            kept.commit();
        }
        EXPECT_EQ(rows(), 2);
        outer.commit();
    }
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(rows("Name = 'undone'"), 0);

    {
        Transaction outer(connection);
        {
            Transaction inner(connection);
            insert("inner");
            inner.commit();
        }
    } // the outer scope ends without commit: the inner part goes too
    EXPECT_EQ(rows(), 2);
}

// A routine that begins and commits its own transaction (the schema, its upgrade) can run as one
// step of a scope: its commit keeps its part for the scope, and the scope's end decides for all.
TEST_F(TransactionTest, APlainTransactionInsideAScopeIsOneOfItsSteps)
{
    {
        Transaction whole(connection);
        connection.begin();
        insert("kept by its own commit");
        connection.commit();
        connection.beginWrite();
        insert("undone by its own rollback");
        connection.rollback();
        EXPECT_TRUE(connection.inTransaction());
        EXPECT_EQ(rows(), 1);
    } // never committed
    EXPECT_EQ(rows(), 0);

    {
        Transaction whole(connection);
        connection.begin();
        insert("committed with the scope");
        connection.commit();
        whole.commit();
    }
    EXPECT_EQ(rows(), 1);
    EXPECT_FALSE(connection.inTransaction());
}

TEST_F(TransactionTest, AnExceptionUndoesTheScopeAndTheWindowReReads)
{
    int reread = 0;
    EXPECT_THROW(
        {
            Transaction work(connection, [&] { ++reread; });
            insert("first");
            connection.execute("insert into T (Name) values (NULL);"); // refused by the engine
            work.commit();
        },
        DatabaseError);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(reread, 1);
    // The connection is usable afterwards and the next scope is an outer one again.
    Transaction next(connection);
    EXPECT_TRUE(next.isOutermost());
    insert("after");
    next.commit();
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(monitor.contains("ROLLBACK"));
}

TEST_F(TransactionTest, NonDatabaseExceptionsRollBackToo)
{
    try {
        Transaction work(connection);
        insert("x");
        throw std::runtime_error("stop");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(rows(), 0);
}

TEST_F(TransactionTest, CommandIsPreparedAndReportedOnceForManyRows)
{
    monitor.clear();
    {
        Transaction work(connection);
        SqlCommand insertRow(connection, "insert into T (Name, D) values (:Name, :d);");
        EXPECT_EQ(insertRow.paramNames(), QStringList({"Name", "d"}));
        for (int i = 0; i < 100; ++i)
            EXPECT_EQ(insertRow.run({QStringLiteral("O'Neil; --%1").arg(i), QDate(2024, 2, 29)}), 1);
        insertRow.run({QStringLiteral("no date")}); // a missing value is NULL
        work.commit();
    }
    EXPECT_EQ(monitor.count("insert into T (Name, D) values (:Name, :d);"), 1);
    EXPECT_EQ(rows(), 101);
    EXPECT_EQ(rows("Name = 'O''Neil; --7' and D = '2024-02-29 00:00:00'"), 1);
    EXPECT_EQ(rows("D is null"), 1);
}

TEST_F(TransactionTest, CommandErrorsNameTheEngineAndLeaveTheCommandUsable)
{
    SqlCommand insertRow(connection, "insert into T (ID, Name) values (:ID, :name);");
    insertRow.run({1, "a"});
    try {
        insertRow.run({1, "again"});
        FAIL() << "a duplicate key must be refused";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.message().contains("UNIQUE")) << error.message().toStdString();
    }
    insertRow.run({2, "b"});
    EXPECT_EQ(rows(), 2);
    EXPECT_THROW(SqlCommand(connection, "insert into Missing values (:x);"), DatabaseError);
}
