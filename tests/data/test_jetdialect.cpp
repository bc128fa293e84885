// The Jet → SQLite and Jet → PostgreSQL translators, checked word for word: each rule on the
// statements the program actually runs, literals and names that must never be touched, and
// translation being stable when applied to its own output.
#include "data/DatabaseError.h"
#include "data/JetDialect.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QString>
#include <ostream>
#include <vector>

namespace {

struct Case {
    const char* rule;
    QString jet;
    QString translated;
};

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The month arithmetic SQLite is given for DateAdd("m", n, d), spelled out once.
QString addMonths(const QString& n, const QString& d)
{
    const QString k = QStringLiteral("CAST(%1 AS INTEGER)").arg(n);
    return QStringLiteral("(date(%1, 'start of month', %2 || ' months', (min(CAST(strftime('%d', %1) AS INTEGER), "
                          "CAST(strftime('%d', %1, 'start of month', (%2 + 1) || ' months', '-1 days') AS INTEGER)) "
                          "- 1) || ' days') || ' ' || time(%1))")
        .arg(d, k);
}

const std::vector<Case>& rewrittenCases()
{
    static const std::vector<Case> cases{
        {"top before ;", s("select top 1 * from RepCath;"), s("select * from RepCath LIMIT 1;")},
        {"top on a column probe", s("select top 1 setdate from device;"), s("select setdate from device LIMIT 1;")},
        {"top without ;", s("select top 5 ANumber from Device order by ANumber"),
         s("select ANumber from Device order by ANumber LIMIT 5")},
        {"top before ; and line break", s("SELECT TOP 1 * FROM Victim ;\r\n"), s("SELECT * FROM Victim LIMIT 1 ;\r\n")},
        {"top in a sub-select", s("select * from Device where ID_Device in (select top 1 IDevice from NextRep);"),
         s("select * from Device where ID_Device in (select IDevice from NextRep LIMIT 1);")},
        {"top after distinct", s("select distinct top 2 ICrew from DevRep;"),
         s("select distinct ICrew from DevRep LIMIT 2;")},

        {"qualified name in brackets",
         s("SELECT Crew.ID_Crew, Depart.ID_Depart, [Depart.Name_Depart] + '  ,  ' + [Crew.Name_Crew]  as Crew1 FROM "
           "Crew "
           "LEFT JOIN Depart ON Crew.IDepart = Depart.ID_Depart ;"),
         s("SELECT Crew.ID_Crew, Depart.ID_Depart, [Depart].[Name_Depart] || '  ,  ' || [Crew].[Name_Crew]  as Crew1 "
           "FROM Crew LEFT JOIN Depart ON Crew.IDepart = Depart.ID_Depart ;")},
        {"& concatenates", s("select [Name_Crew] & ' ' & [Name_Depart] from CrewView"),
         s("select [Name_Crew] || ' ' || [Name_Depart] from CrewView")},
        {"+ next to a literal on its left only", s("select 'Бригада ' + Name_Crew from Crew"),
         s("select 'Бригада ' || Name_Crew from Crew")},

        {"grouping level 0",
         s("select Name_DevType,count(IIf(IsNull(Name_DevType), \"<empty>\", Name_DevType)) from Pasport group by "
           "Name_DevType;"),
         s("select Name_DevType,count(CASE WHEN (Name_DevType IS NULL) THEN '<empty>' ELSE Name_DevType END) from "
           "Pasport group by Name_DevType;")},
        {"grouping level 1",
         s("select Name_DevType,Name_Location,count(IIf(IsNull(Name_Location), \"<empty>\", Name_Location)) from "
           "Pasport  where  Name_DevType = :Name_DevType  group by Name_DevType,Name_Location;"),
         s("select Name_DevType,Name_Location,count(CASE WHEN (Name_Location IS NULL) THEN '<empty>' ELSE "
           "Name_Location "
           "END) from Pasport  where  Name_DevType = :Name_DevType  group by Name_DevType,Name_Location;")},
        {"double-quoted text holding a quote", s("select * from Device where ANumber = \"O'Neil\";"),
         s("select * from Device where ANumber = 'O''Neil';")},
        {"doubled double quote", s("select \"a\"\"b\" from Info"), s("select 'a\"b' from Info")},
        {"IsNull as the step 27 delete", s("delete from devrep where isnull(icrew);"),
         s("delete from devrep where (icrew IS NULL);")},
        {"after a comment holding a quote", s("select a -- it's here\n, IsNull(b) from T"),
         s("select a -- it's here\n, (b IS NULL) from T")},
        {"nested IIf", s("select IIf(a > 1, IIf(IsNull(b), 0, b), \"x\") from T"),
         s("select CASE WHEN a > 1 THEN CASE WHEN (b IS NULL) THEN 0 ELSE b END ELSE 'x' END from T")},

        {"DateAdd with a number", s("update NextRep set NextRep = DateAdd( \"m\", 2.15, LastRep) where IDevRep = 7;"),
         s("update NextRep set NextRep = ") + addMonths(s("2.15"), s("LastRep")) + s(" where IDevRep = 7;")},
        {"DateAdd with a column", s("select DateAdd(\"m\", DevRep.RT_Mon, NextRep.LastRep) from NextRep, DevRep"),
         s("select ") + addMonths(s("DevRep.RT_Mon"), s("NextRep.LastRep")) + s(" from NextRep, DevRep")},
        {"DateAdd with an expression", s("select DateAdd('m', RT_Mon * 2, LastRep) from nextrepview"),
         s("select ") + addMonths(s("RT_Mon * 2"), s("LastRep")) + s(" from nextrepview")},
        {"DateAdd in days", s("select DateAdd(\"d\", 10, LastRep) from NextRep"),
         s("select datetime(LastRep, (CAST(10 AS INTEGER) * 86400) || ' seconds') from NextRep")},

        {"Date()-31 in a prune",
         s("delete from edithist where changedate<Date()-31 and (select count(*) from edithist)>1000"),
         s("delete from edithist where changedate<datetime('now','localtime','start of day','-31 days') and "
           "(select count(*) from edithist)>1000")},
        {"Date() - 31 with blanks", s("select * from RepHist where ChangeDate < Date() - 31;"),
         s("select * from RepHist where ChangeDate < datetime('now','localtime','start of day','-31 days');")},
        {"Date() alone", s("select Date();"), s("select datetime('now','localtime','start of day');")},
        {"Date() + n", s("select Date()+7 from Info"),
         s("select datetime('now','localtime','start of day','+7 days') from Info")},
        {"Now()", s("select Now() from Info"), s("select datetime('now','localtime') from Info")},

        {"Year and Month",
         s("SELECT Year(yearreport.repdate) AS [Year], Month(yearreport.repdate) AS [Month] FROM yearreport;"),
         s("SELECT CAST(strftime('%Y', yearreport.repdate) AS INTEGER) AS [Year], CAST(strftime('%m', "
           "yearreport.repdate) AS INTEGER) AS [Month] FROM yearreport;")},

        {"DELETE column FROM",
         s(" DELETE Refusal.IDevice FROM refusal WHERE (((refusal.IDevice) Not In (select id_device from device)));"),
         s(" DELETE FROM refusal WHERE (((refusal.IDevice) Not In (select id_device from device)));")},
        {"DELETE column FROM, second clean-up",
         s(" DELETE RefusParamValue.IRefusal FROM RefusParamValue WHERE (((RefusParamValue.IRefusal) Not In (select "
           "id_refusal from refusals)));"),
         s(" DELETE FROM RefusParamValue WHERE (((RefusParamValue.IRefusal) Not In (select id_refusal from "
           "refusals)));")},
        {"DELETE * FROM", s("DELETE * FROM YearReport;"), s("DELETE FROM YearReport;")},

        {"SET qualified column",
         s(" UPDATE DevTypeCount SET DevTypeCount.Count = 5 WHERE DevTypeCount.IDevType = 3 AND DevTypeCount.ICrew = "
           "2;"),
         s(" UPDATE DevTypeCount SET Count = 5 WHERE DevTypeCount.IDevType = 3 AND DevTypeCount.ICrew = 2;")},
        {"SET several qualified columns", s("update T set T.a = 1, [T].[b] = f(1, T.x), c = 3 where T.a = 0"),
         s("update T set a = 1, [b] = f(1, T.x), c = 3 where T.a = 0")},

        {"identity key",
         s("create table Dimention ( ID_Dimention int IDENTITY UNIQUE PRIMARY KEY, Name_Dimention varchar(25) null );"),
         s("create table Dimention ( ID_Dimention INTEGER PRIMARY KEY AUTOINCREMENT, Name_Dimention varchar(25) null "
           ");")},
        {"identity key without UNIQUE", s("create table K ( ID_K int identity primary key )"),
         s("create table K ( ID_K INTEGER PRIMARY KEY AUTOINCREMENT )")},

        {"filter-row date", s("select * from Pasport\rWHERE\r1=1 and [SetDate] = #03/05/2004#"),
         s("select * from Pasport\rWHERE\r1=1 and [SetDate] = '2004-03-05 00:00:00'")},
        {"filter-row date with time and short year",
         s("select * from T where D between #3/5/04 2:05 PM# and #12/31/99#"),
         s("select * from T where D between '2004-03-05 14:05:00' and '1999-12-31 00:00:00'")},
        {"ISO date literal", s("select * from T where D = #2025-01-31 08:30:00#"),
         s("select * from T where D = '2025-01-31 08:30:00'")},
    };
    return cases;
}

// Statements SQLite already reads as Jet does: they must come back character for character.
const std::vector<QString>& unchangedStatements()
{
    static const std::vector<QString> statements{
        s("select * from Pasport;"),
        s("select  * from AccountView;"),
        s("SELECT * FROM Device where Device.ID_Device = :ID_Device;"),
        s(" SELECT count(*) as [count]  FROM DevCrew WHERE DevCrew.ICrew = 3 ;"),
        s("select Sum(AccountView.Value) as [sum]from AccountView where AccountView.ID_Crew = 1 and "
          "AccountView.ID_Cathegory = 2;"),
        s("select month, short_reps, count(month) as [Count]\rfrom yearreportview\rgroup by month, short_reps;"),
        s("select * from Pasport\rWHERE\r1=1;"),
        s("alter table device add column SetDate datetime null;"),
        s("insert into Victim ( Code, Victim ) values ( 1, 'Добавлен');"),
        s("drop view Pasport;"),
        s("select x from T where x isnull"),
        s("select [Date], NDate, [Year] from T"),
        s("select a + 1, a - b from T"),
        s("select * from Pasport where ANumber Like 'Ман%' and ZNumber Not Like '%1'"),
        s("DELETE FROM NextRep WHERE (((NextRep.IDevice) Not In (select id_device from device)));"),
        s("select top 10 percent * from Device;"),
        s("select * from T where a = 'unclosed"),
        s(""),
    };
    return statements;
}

TEST(JetDialect, RewritesEachRuleWordForWord)
{
    for (const Case& c : rewrittenCases()) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(JetDialect::toSqlite(c.jet), c.translated);
    }
}

TEST(JetDialect, LeavesStatementsSqliteAlreadyReadsUnchanged)
{
    for (const QString& statement : unchangedStatements())
        EXPECT_EQ(JetDialect::toSqlite(statement), statement);
}

TEST(JetDialect, NeverTouchesTextLiterals)
{
    const std::vector<QString> literals{
        s("'top 1 +'"),
        s("'select top 1 * from x;'"),
        s("'IIf(IsNull(x), \"<empty>\", x) [Depart.Name_Depart] #03/05/2004#'"),
        s("'Date()-31 DateAdd(\"m\", 1, d) Year(d)'"),
        s("'DELETE T.c FROM T; UPDATE T SET T.c = 1'"),
        s("'int IDENTITY UNIQUE PRIMARY KEY'"),
        s("'O''Neil; --'"),
        s("'Манометр & \"кавычки\"'"),
    };
    for (const QString& literal : literals) {
        SCOPED_TRACE(literal.toStdString());
        const QString statement = s("select * from Device where Comments = ") + literal + s(";");
        EXPECT_EQ(JetDialect::toSqlite(statement), statement);
    }
}

TEST(JetDialect, NeverTouchesCommentsOrParameters)
{
    const QString statement = s("select :top, :Date from T -- select top 1 IIf(a,b,c)\n/* Date()-31 */");
    EXPECT_EQ(JetDialect::toSqlite(statement), statement);
}

TEST(JetDialect, TranslatingTwiceChangesNothing)
{
    for (const Case& c : rewrittenCases()) {
        SCOPED_TRACE(c.rule);
        const QString once = JetDialect::toSqlite(c.jet);
        EXPECT_EQ(JetDialect::toSqlite(once), once);
    }
}

TEST(JetDialect, CachedResultIsTheSameAsTheFirst)
{
    const QString jet = s("select top 3 * from Crew;");
    const QString first = JetDialect::toSqlite(jet);
    EXPECT_EQ(JetDialect::toSqlite(QString(jet)), first);
}

// The PostgreSQL target: where it differs from SQLite's, and the clauses only it needs.
const std::vector<Case>& postgresCases()
{
    static const std::vector<Case> cases{
        {"top", s("select top 1 * from RepCath;"), s("select * from RepCath LIMIT 1;")},
        {"bracketed names lower-cased and quoted",
         s("SELECT [Depart.Name_Depart] + ' , ' + [Crew.Name_Crew] as Crew1, [Value], [No] FROM Crew"),
         s("SELECT \"depart\".\"name_depart\" || ' , ' || \"crew\".\"name_crew\" as Crew1, \"value\", \"no\" FROM Crew")},
        {"IIf with a text literal casts the other branch",
         s("select IIf(IsNull(Name_Grade), \"<empty>\", Name_Grade) from Grade"),
         s("select CASE WHEN (Name_Grade IS NULL) THEN '<empty>' ELSE CAST(Name_Grade AS text) END from Grade")},
        {"IIf over numbers", s("select IIf(a > 1, 1, 2) from T"), s("select CASE WHEN a > 1 THEN 1 ELSE 2 END from T")},
        {"DateAdd by months truncates the count",
         s("update NextRep set NextRep = DateAdd(\"m\", RT_Mon, LastRep)"),
         s("update NextRep set NextRep = (CAST(LastRep AS timestamp(0)) + make_interval(months => "
           "CAST(trunc(RT_Mon) AS integer)))")},
        {"DateAdd by days", s("select DateAdd('d', 1, d) from T"),
         s("select (CAST(d AS timestamp(0)) + make_interval(secs => (CAST(trunc(1) AS integer) * 86400))) from T")},
        {"Date() minus days", s("delete from EditHist where ChangeDate < Date()-31;"),
         s("delete from EditHist where ChangeDate < CAST(CURRENT_DATE -31 AS timestamp(0));")},
        {"Year and Month", s("select Year(RepDate) AS [Year], Month(RepDate) from YearReport"),
         s("select CAST(date_part('year', CAST(RepDate AS timestamp)) AS smallint) AS \"year\", "
           "CAST(date_part('month', CAST(RepDate AS timestamp)) AS smallint) from YearReport")},
        {"DELETE col FROM", s("DELETE NextRep.* FROM NextRep WHERE IDevice = 1;"),
         s("DELETE FROM NextRep WHERE IDevice = 1;")},
        {"SET T.col", s("UPDATE DevType SET DevType.Srok = 5 WHERE ID_DevType = 1"),
         s("UPDATE DevType SET Srok = 5 WHERE ID_DevType = 1")},
        {"identity and date columns",
         s("create table Refusal ( ID_Refusal int IDENTITY UNIQUE PRIMARY KEY, NDate datetime null );"),
         s("create table Refusal ( ID_Refusal integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, NDate "
           "timestamp(0) null );")},
        {"drop view takes its dependants", s("drop view Pasport;"), s("drop view IF EXISTS Pasport CASCADE;")},
        {"date literal", s("select * from Pasport where SetDate >= #03/05/2004#"),
         s("select * from Pasport where SetDate >= TIMESTAMP '2004-03-05 00:00:00'")},
        {"LIKE ignores case", s("select * from Pasport where Name_DevType Like 'ман%'"),
         s("select * from Pasport where Name_DevType ILIKE 'ман%'")},
        {"ORDER BY puts NULLs first, after DESC last",
         s("select ANumber from Device order by ANumber, ZNumber desc, IDevType;"),
         s("select ANumber from Device order by ANumber NULLS FIRST, ZNumber desc NULLS LAST, IDevType NULLS FIRST;")},
        {"ORDER BY on an expression and with top", s("select top 5 * from T order by IIf(a, 1, 2) asc"),
         s("select * from T order by CASE WHEN a THEN 1 ELSE 2 END asc NULLS FIRST LIMIT 5")},
        {"GROUP BY gets the order of its keys", s("select ICrew, IRep, count(*) from DevRep group by ICrew, IRep;"),
         s("select ICrew, IRep, count(*) from DevRep group by ICrew, IRep ORDER BY ICrew NULLS FIRST, IRep NULLS "
           "FIRST;")},
        {"GROUP BY with HAVING and top",
         s("select top 3 ICrew from DevRep group by ICrew having count(*) > 1"),
         s("select ICrew from DevRep group by ICrew having count(*) > 1 ORDER BY ICrew NULLS FIRST LIMIT 3")},
        {"each SELECT on its own",
         s("select * from (select [Value] from RepCath group by [Value]) as g order by [Value]"),
         s("select * from (select \"value\" from RepCath group by \"value\" ORDER BY \"value\" NULLS FIRST) as g "
           "order by \"value\" NULLS FIRST")},
        {"statements of a text on their own",
         s("select a from T group by a; select b from U order by b"),
         s("select a from T group by a ORDER BY a NULLS FIRST; select b from U order by b NULLS FIRST")},
    };
    return cases;
}

// Not applied to its own output: a double-quoted name of PostgreSQL is a text literal in Jet.
TEST(JetDialect, PostgresTargetRewritesEachRuleWordForWord)
{
    for (const Case& c : postgresCases()) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(JetDialect::toPostgres(c.jet), c.translated);
    }
    for (const QString& statement : {s("select 'order by x; drop view y' from T -- group by z"),
                                     s("select a from T order by a nulls last"), s("drop view if exists V cascade")})
        EXPECT_EQ(JetDialect::toPostgres(statement), statement);
}

// `levels` times `open`, then `core`, then `levels` times `close`.
QString nested(const QString& open, const QString& core, const QString& close, int levels)
{
    return open.repeated(levels) + core + close.repeated(levels);
}

TEST(JetDialect, NestingBeyondTheLimitIsRefusedClearlyInsteadOfOverflowingTheStack)
{
    // 199 groups around IsNull's own parentheses: 200 levels, the deepest allowed.
    EXPECT_EQ(JetDialect::toSqlite(s("select ") + nested(s("("), s("IsNull(a)"), s(")"), 199)),
              s("select ") + nested(s("("), s("(a IS NULL)"), s(")"), 199));
    for (int groups : {200, 7000, 100000}) {
        SCOPED_TRACE(groups);
        try {
            JetDialect::toSqlite(s("select ") + nested(s("("), s("IsNull(a)"), s(")"), groups));
            FAIL() << "no error";
        } catch (const DatabaseError& e) {
            EXPECT_TRUE(e.message().contains(s("200"))) << e.message().toStdString();
        }
    }
}

TEST(JetDialect, NestedCallsCostWorkAndTextInProportionToTheStatement)
{
    // A call with the wrong number of arguments is left as written however deep it nests (each level
    // used to render its arguments twice: 24 levels took seconds, 28 over a minute).
    const QString wrongArity = s("select ") + nested(s("IIf(a, "), s("b"), s(")"), 150) + s(" from T");
    EXPECT_EQ(JetDialect::toSqlite(wrongArity), wrongArity);

    // Each nested DateAdd adds about the same text: ten levels once grew 185 characters into 83 MB.
    for (int levels : {1, 10, 60}) {
        SCOPED_TRACE(levels);
        const QString jet = s("select ") + nested(s("DateAdd('m', 1, "), s("LastRep"), s(")"), levels) + s(" from NextRep");
        EXPECT_LT(JetDialect::toSqlite(jet).size(), 30 * jet.size());
    }
}

TEST(JetDialect, NestedMonthArithmeticStillComputesTheRightDates)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    const auto value = [&](const QString& jet) {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray sql = JetDialect::toSqlite(jet).toUtf8();
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        QString result;
        if (stmt && sqlite3_step(stmt) == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return result;
    };
    ASSERT_EQ(sqlite3_exec(db, "create table T (d text, n real); insert into T values ('2024-01-31 10:00:00', 2.15);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    // 31 January, a month on: 29 February (a leap year), a month more: 29 March, then 2 months: 29 May.
    EXPECT_EQ(value(s("select DateAdd(\"m\", n, DateAdd('m', 1, DateAdd('m', 1, d))) from T")), s("2024-05-29 10:00:00"));
    // A count that is a call is computed once too.
    EXPECT_EQ(value(s("select DateAdd('m', Month(#01/31/2023#), #01/31/2023#)")), s("2023-02-28 00:00:00"));
    sqlite3_close(db);
}

} // namespace
