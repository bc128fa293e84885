// The functions and collation registered on the program's SQLite connection: LIKE, ordering and
// case mapping that treat Cyrillic (all of Unicode) as SQLite treats ASCII.
#include "data/JetDialect.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <ostream>
#include <sqlite3.h>
#include <vector>

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

class Db {
public:
    explicit Db(bool withExtensions)
    {
        sqlite3_open(":memory:", &m_db);
        if (withExtensions)
            SqliteExtensions::registerAll(m_db);
    }
    ~Db() { sqlite3_close(m_db); }

    // Every row's first column joined by "|"; "<error: ...>" when the statement fails.
    QString rows(const QString& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            return s("<error: ") + QString::fromUtf8(sqlite3_errmsg(m_db)) + s(">");
        QStringList values;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            values << (sqlite3_column_type(stmt, 0) == SQLITE_NULL
                           ? s("NULL")
                           : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            return s("<error: ") + QString::fromUtf8(sqlite3_errmsg(m_db)) + s(">");
        return values.join(QLatin1Char('|'));
    }

private:
    sqlite3* m_db = nullptr;
};

TEST(SqliteExtensions, LikeFoldsCaseForAllOfUnicode)
{
    Db plain(false);
    ASSERT_EQ(plain.rows(s("select 'Манометр' like 'ман%'")), s("0")) << "SQLite's own LIKE folds ASCII only";

    Db db(true);
    struct Case {
        const char* text;
        const char* pattern;
        const char* result;
    };
    const std::vector<Case> cases{
        {"Манометр", "ман%", "1"},
        {"МАНОМЕТР", "%метр", "1"},
        {"манометр", "М_НОМЕТР", "1"},
        {"Ёмкость", "ё%", "1"},
        {"Manometer", "man%", "1"},
        {"Манометр", "ман", "0"},
        {"Манометр", "%", "1"},
        {"", "%", "1"},
        {"", "_", "0"},
        {"абв", "а_в", "1"},
        {"абв", "а__в", "0"},
        {"a%b", "a\\%b", "1"},
        {"axb", "a\\%b", "0"},
        {"МП-100", "%п-1%", "1"},
        {"aXbXc", "%b%c", "1"},
        {"aaab", "%aab", "1"},
        {"ab", "%b%b", "0"},
        {"\xF0\x9F\x94\xA7", "_", "1"}, // one character outside the 16-bit range counts as one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " LIKE " + c.pattern);
        const QString escape = QString::fromUtf8(c.pattern).contains(QLatin1Char('\\')) ? s(" escape '\\'") : QString();
        EXPECT_EQ(db.rows(s("select '%1' like '%2'%3").arg(s(c.text), s(c.pattern), escape)), s(c.result));
    }
    EXPECT_EQ(db.rows(s("select null like 'a%'")), s("NULL"));
    EXPECT_EQ(db.rows(s("select 'a' like null")), s("NULL"));
    EXPECT_EQ(db.rows(s("select 'a' not like 'А%'")), s("1")) << "Latin a is not Cyrillic А";
    EXPECT_TRUE(db.rows(s("select 'a' like 'a' escape 'xy'")).startsWith(s("<error:")));
}

TEST(SqliteExtensions, LikeFiltersRowsOfATable)
{
    Db db(true);
    db.rows(s("create table Device (ANumber varchar(80))"));
    for (const char* number : std::vector<const char*>{"Манометр-1", "манометр-2", "Термометр", "МАНОМЕТР-3", nullptr})
        db.rows(number ? s("insert into Device values ('%1')").arg(s(number)) : s("insert into Device values (null)"));
    EXPECT_EQ(db.rows(s("select count(*) from Device where ANumber Like 'манометр%'")), s("3"));
    EXPECT_EQ(db.rows(s("select count(*) from Device where ANumber Not Like 'манометр%'")), s("1"));
}

TEST(SqliteExtensions, CollationIgnoresCaseForEqualityAndOrder)
{
    Db db(true);
    EXPECT_EQ(db.rows(s("select 'Манометр' = 'МАНОМЕТР' collate UNICODE_NOCASE")), s("1"));
    EXPECT_EQ(db.rows(s("select 'Манометр' = 'Термометр' collate UNICODE_NOCASE")), s("0"));
    EXPECT_EQ(db.rows(s("select 'a-1' = 'A-1' collate UNICODE_NOCASE")), s("1"));
    db.rows(s("create table T (v varchar(20))"));
    db.rows(s("insert into T values ('б'), ('А'), ('Б'), ('а'), ('в')"));
    EXPECT_EQ(db.rows(s("select count(distinct v collate UNICODE_NOCASE) from T")), s("3"));
    const QString ordered = db.rows(s("select ulower(v) from T order by v collate UNICODE_NOCASE"));
    EXPECT_EQ(ordered, s("а|а|б|б|в"));
}

// ASCII and Cyrillic take a quick path, anything else the general one; both must agree.
TEST(SqliteExtensions, CollationAgreesWithQtOnMixedScripts)
{
    Db db(true);
    const QStringList texts = {"", "a", "A", "ab", "Ёж", "ёж", "ЕЖ", "Straße", "STRASSE", "ÅSA", "åsa", "жук", "Жу",
                               "Zebra", "zeta", "№1", "ⅷ", "Ⅷ", "日本", "x😀", "X😀", "ѐ", "Ѐ"};
    for (const QString& left : texts)
        for (const QString& right : texts) {
            const int qt = left.compare(right, Qt::CaseInsensitive);
            const QString expected = qt < 0 ? "-1" : (qt > 0 ? "1" : "0");
            const QString sql = QString("select case when '%1' < '%2' collate UNICODE_NOCASE then -1 "
                                        "when '%1' = '%2' collate UNICODE_NOCASE then 0 else 1 end")
                                    .arg(left, right);
            EXPECT_EQ(db.rows(sql), expected) << qPrintable(left) << " vs " << qPrintable(right);
        }
}

TEST(SqliteExtensions, CaseMappingCoversCyrillic)
{
    Db db(true);
    EXPECT_EQ(db.rows(s("select ulower('МАНОМЕТР Ё')")), s("манометр ё"));
    EXPECT_EQ(db.rows(s("select uupper('манометр ё')")), s("МАНОМЕТР Ё"));
    EXPECT_EQ(db.rows(s("select ulower(null)")), s("NULL"));
    EXPECT_EQ(db.rows(s("select uupper(12)")), s("12"));
}

} // namespace
