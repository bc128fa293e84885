// Which database the program opens (command line before the settings file, the file by default),
// and that a password given by mistake in a connection string is never shown.
#include "data/DatabaseChoice.h"
#include "data/DatabaseError.h"
#include "data/SqlConnection.h"
#include "support/TestServer.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

QString settingsWith(const QTemporaryDir& dir, const QString& connection)
{
    const QString file = dir.filePath(s("Device.ini"));
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(s("Skins/Skin"), s("Blue"));
    if (!connection.isNull())
        settings.setValue(s("Database/Connection"), connection);
    settings.sync();
    return file;
}

TEST(DatabaseChoice, CommandLineBeforeSettingsFileBeforeTheFile)
{
    QTemporaryDir dir;
    const QString withServer = settingsWith(dir, s("host=ini dbname=plant"));
    QTemporaryDir other;
    const QString withoutServer = settingsWith(other, QString());
    const QString missing = dir.filePath(s("none/Device.ini"));

    struct Case {
        QStringList arguments;
        QString settings;
        QString chosen;
    } cases[] = {
        {{s("instrel")}, missing, QString()},
        {{s("instrel")}, withoutServer, QString()},
        {{s("instrel")}, withServer, s("host=ini dbname=plant")},
        {{s("instrel"), s("--database=host=cli dbname=x")}, withServer, s("host=cli dbname=x")},
        {{s("instrel"), s("--database=host=a"), s("--database=host=b")}, missing, s("host=b")},
        // An empty value is no choice; the program's own name is never read as an option.
        {{s("instrel"), s("--database=")}, withServer, s("host=ini dbname=plant")},
        {{s("--database=host=self")}, missing, QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DatabaseChoice::serverOf(c.arguments, c.settings), c.chosen) << c.arguments.join(' ').toStdString();
}

TEST(DatabaseChoice, PasswordsAreLeftOutOfTheShownName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"host=db port=5432 dbname=plant user=ivan", "host=db port=5432 dbname=plant user=ivan"},
        {"host=db password=secret dbname=plant", "host=db dbname=plant"},
        {"password = 'se cr\\'et' host=db", "host=db"},
        {"host=db PASSWORD=secret", "host=db"},
        {"postgresql://ivan:secret@db:5432/plant", "postgresql://ivan@db:5432/plant"},
        {"postgres://db/plant?password=secret&sslmode=disable", "postgres://db/plant?sslmode=disable"},
        {"postgresql://db/plant?sslmode=disable&password=secret", "postgresql://db/plant?sslmode=disable"},
    };
    for (const auto& [given, shown] : cases)
        EXPECT_EQ(DatabaseChoice::shownName(s(given)), s(shown)) << given;
}

TEST(DatabaseChoice, AnUnreachableOrBadServerSaysSoWithoutThePassword)
{
    for (const char* string : {"host=127.0.0.1 port=1 dbname=plant password=secret connect_timeout=5",
                               "host=127.0.0.1 colour=blue password=secret"}) {
        SqlConnection db;
        db.setServer(s(string));
        try {
            db.open();
            ADD_FAILURE() << "opened " << string;
        } catch (const DatabaseError& e) {
            EXPECT_TRUE(e.message().contains(s("host=127.0.0.1"))) << e.message().toStdString();
            EXPECT_FALSE(e.message().contains(s("secret"))) << e.message().toStdString();
        }
        EXPECT_FALSE(db.isOpen());
    }
}

TEST(DatabaseChoice, TheServerNamedInTheSettingsFileIsTheOneOpened)
{
    INSTREL_REQUIRE_TEST_SERVER();
    TestServer::ScratchDatabase scratch;
    ASSERT_FALSE(scratch.connectionString().isEmpty()) << scratch.error().toStdString();
    QTemporaryDir dir;
    const QString settings = settingsWith(dir, scratch.connectionString());

    SqlConnection db;
    db.setServer(DatabaseChoice::serverOf({s("instrel")}, settings));
    db.execute(s("create table Probe (N integer)"));
    db.execute(s("insert into Probe values (7)"));
    EXPECT_EQ(db.scalar(s("select N from Probe")).toInt(), 7);
    EXPECT_TRUE(db.databaseFile().isEmpty());
}

} // namespace
