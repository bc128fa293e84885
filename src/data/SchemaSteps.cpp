#include "data/SchemaSteps.h"

#include "data/SchemaIndexes.h"
#include "data/SchemaUpgrade.h"

namespace SchemaSteps {

namespace {

struct LogAndView {
    const char* table;
    const char* view;
};
const LogAndView kLogs[] = {{"EditHist", "EditHistView"}, {"MovHist", "MovHistView"}, {"RepHist", "RepHistView"}};

QString dropView(const QString& view) { return QStringLiteral("drop view ") + view + QLatin1Char(';'); }

// The version's view with `columns` after its own: readers of "select *" find every other column
// where it was.
QString withColumnsAdded(const QString& createStatement, const QString& columns)
{
    const int from = int(createStatement.indexOf(QLatin1String(" FROM ")));
    return createStatement.left(from) + QStringLiteral(", ") + columns + createStatement.mid(from);
}

// 1. Who made each entry of the three device logs: the database user on a server, the login name
// on a file.
void addLogAuthors(SchemaUpgrade& upgrade)
{
    for (const LogAndView& log : kLogs) {
        const QString table = QString::fromLatin1(log.table);
        if (upgrade.probeFails(QStringLiteral("select top 1 ChangedBy from ") + table + QLatin1Char(';')))
            upgrade.execute(QStringLiteral("alter table ") + table + QStringLiteral(" add column ChangedBy varchar(50) null;"));
    }
    for (const LogAndView& log : kLogs) {
        const QString view = QString::fromLatin1(log.view);
        upgrade.replaceView(dropView(view), withColumnsAdded(SchemaUpgrade::versionViewDefinition(view),
                                                             QString::fromLatin1(log.table) + QStringLiteral(".ChangedBy")));
    }
}

// 2. The malfunction list takes the device's numbers and type from Device and DevType themselves, as
// Pasport has them: the same rows, but a left join onto the Pasport view makes SQLite build all of
// Pasport (every device of the plant) for each reading of the list, even of one device's.
void readMalfunctionsWithoutPasport(SchemaUpgrade& upgrade)
{
    upgrade.replaceView(
        dropView(QStringLiteral("Refusals")),
        QStringLiteral(
            "create view Refusals as SELECT Refusal.ID_Refusal, Refusal.IDevice, Device.ANumber, "
            "Device.ZNumber, DevType.Name_DevType, DevType.Mark_DevType, Refusal.NDate, Refusal.Action, "
            "RefusalGroupNaimen.Name_GroupNaimen, RefusalNaimen.Name_Naimen, Refusal.ExectNaimen, "
            "Refusal.BriefCase, Refusal.NCount, Document.Name_Document, Refusal.Podpis FROM ((((Refusal LEFT JOIN "
            "RefusalGroupNaimen ON Refusal.IGroupNaimen = RefusalGroupNaimen.ID_GroupNaimen) LEFT JOIN "
            "RefusalNaimen ON Refusal.INaimen = RefusalNaimen.ID_Naimen) LEFT JOIN Document ON Refusal.IDocument "
            "= Document.ID_Document) LEFT JOIN Device ON Refusal.IDevice = Device.ID_Device) LEFT JOIN DevType ON "
            "Device.IDevType = DevType.ID_DevType;"));
}

// 3. Indexes on the reference columns joins and checks use, and on the dates logs are pruned by.
void addIndexes(SchemaUpgrade& upgrade)
{
    for (const QString& statement : SchemaIndexes::statements())
        upgrade.execute(statement);
}

// 4. Texts compared without regard to letter case (Cyrillic included), as the filter row and the
// pivot compare them: a file's connection registers the comparison itself, a server keeps it in the
// database.
void compareTextsWithoutCase(SchemaUpgrade& upgrade)
{
    if (upgrade.onServer())
        upgrade.execute(QStringLiteral("CREATE COLLATION IF NOT EXISTS unicode_nocase "
                                       "(provider = icu, locale = 'und-u-ks-level2', deterministic = false);"));
}

// 5. A key for each entry of the move log, so that its sign and notes are written back to that entry
// and to no other of the same device and moment. The table is made again with the key, as a file's
// engine cannot add a key column to a table; its entries keep their order.
void keyMoveLogEntries(SchemaUpgrade& upgrade)
{
    if (upgrade.probeFails(QStringLiteral("select top 1 ID_MovHist from MovHist;"))) {
        static const char* const columns =
            "IDevice, ILastLocation, ILastLocSet, ILastState, INewLocation, INewLocSet, INewState, LastSetDate, "
            "LastSetPlace, NewSetDate, NewSetPlace, ChangeDate, Sign, Comments, ChangedBy";
        static const char* const definitions =
            "IDevice int null, ILastLocation int null, ILastLocSet int null, ILastState int null, INewLocation int "
            "null, INewLocSet int null, INewState int null, LastSetDate datetime null, LastSetPlace varchar(50) null, "
            "NewSetDate datetime null, NewSetPlace varchar(50) null, ChangeDate datetime null, Sign varchar(25) null, "
            "Comments varchar(50) null, ChangedBy varchar(50) null";
        // The entries wait in a table of their own while the log is made anew under its name: renaming
        // a table makes the file's engine check every view, and a view it cannot read would stop it.
        upgrade.execute(QStringLiteral("drop view MovHistView;"));
        upgrade.execute(QStringLiteral("create table MovHistEntries ( %1 );").arg(QLatin1String(definitions)));
        upgrade.execute(QStringLiteral("insert into MovHistEntries ( %1 ) select %1 from MovHist;").arg(QLatin1String(columns)));
        upgrade.execute(QStringLiteral("drop table MovHist;"));
        upgrade.execute(QStringLiteral("create table MovHist ( ID_MovHist int IDENTITY UNIQUE PRIMARY KEY, %1 );")
                            .arg(QLatin1String(definitions)));
        upgrade.execute(QStringLiteral("insert into MovHist ( %1 ) select %1 from MovHistEntries;").arg(QLatin1String(columns)));
        upgrade.execute(QStringLiteral("drop table MovHistEntries;"));
        for (const QString& statement : SchemaIndexes::statements())
            if (statement.contains(QLatin1String(" ON MovHist ")))
                upgrade.execute(statement);
    }
    upgrade.replaceView(dropView(QStringLiteral("MovHistView")),
                        withColumnsAdded(SchemaUpgrade::versionViewDefinition(QStringLiteral("MovHistView")),
                                         QStringLiteral("MovHist.ChangedBy, MovHist.ID_MovHist")));
}

} // namespace

const std::vector<Step>& all()
{
    static const std::vector<Step> steps = {
        {Str::SchemaStepLogAuthors, addLogAuthors},
        {Str::SchemaStepMalfunctionList, readMalfunctionsWithoutPasport},
        {Str::SchemaStepIndexes, addIndexes},
        {Str::SchemaStepTextComparison, compareTextsWithoutCase},
        {Str::SchemaStepMoveLogKey, keyMoveLogEntries},
    };
    return steps;
}

int level() { return int(all().size()); }

} // namespace SchemaSteps
