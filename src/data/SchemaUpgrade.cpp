#include "data/SchemaUpgrade.h"

#include "data/Clock.h"
#include "data/DatabaseChoice.h"
#include "data/DatabaseError.h"
#include "data/DatabaseFileError.h"
#include "data/MessageService.h"
#include "data/ResultSet.h"
#include "data/SchemaSteps.h"
#include "data/ServerErrorText.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"
#include "text/StrList.h"

#include <QDir>
#include <algorithm>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QFileInfo>

#ifndef INSTREL_PRODUCT_VERSION
#error "INSTREL_PRODUCT_VERSION must be defined by the build"
#endif

namespace {

enum class StepKind {
    Probe,       // run the statements when the probe fails
    VictimTable, // the same, then the kinds of edit in the language in use
    View,        // drop (ignoring any error), then create
};

struct Step {
    StepKind kind;
    const char* lead; // the probe, or the drop of a view
    const char* statements[2];
};

// The steps in the order they run. Each statement is kept as written in the program's dialect; the
// connection translates it for the engine.
const Step kSteps[] = {
    // 1
    {StepKind::Probe, "select top 1 setdate from device;",
     {"alter table device add column SetDate datetime null;"}},
    // 2
    {StepKind::Probe, "select top 1 changedate from device;",
     {"alter table device add column ChangeDate datetime null;"}},
    // 3
    {StepKind::Probe, "select top 1 * from Dimention;",
     {"create table Dimention ( ID_Dimention int IDENTITY UNIQUE PRIMARY KEY, Name_Dimention varchar(25) "
      "null );"}},
    // 4
    {StepKind::Probe, "select top 1 * from Document;",
     {"create table Document ( ID_Document int IDENTITY UNIQUE PRIMARY KEY, Name_Document varchar(150) "
      "null, RegNumber varchar(65) null);"}},
    // 5
    {StepKind::Probe, "select top 1 * from EditHist;",
     {"create table EditHist ( IVictim int null, IDevice int null, ANumber varchar(80) null, ZNumber "
      "varchar(80) null, ChangeDate datetime null);"}},
    // 6
    {StepKind::VictimTable, "select top 1 * from Victim;",
     {"create table Victim ( Code int null, Victim varchar(10) null);"}},
    // 7
    {StepKind::Probe, "select top 1 * from MovHist;",
     {"create table MovHist ( IDevice int null, ILastLocation int null, ILastLocSet int null, ILastState "
      "int null, INewLocation int null, INewLocSet int null, INewState int null, LastSetDate datetime "
      "null, LastSetPlace varchar(50) null, NewSetDate datetime null, NewSetPlace varchar(50) null, "
      "ChangeDate datetime null, Sign varchar(25) null, Comments varchar(50) null );"}},
    // 8
    {StepKind::Probe, "select top 1 * from RepHist;",
     {"create table RepHist ( INextRep int null, LastDate datetime null, ExpectedDate datetime null, "
      "NewDate datetime null, NextDate datetime null, ChangeDate datetime null);"}},
    // 9
    {StepKind::Probe, "select top 1 * from Refusal;",
     {"create table Refusal ( ID_Refusal int IDENTITY UNIQUE PRIMARY KEY, NDate datetime null, "
      "IGroupNaimen int null, INaimen int null, ExectNaimen varchar(65) null, BriefCase varchar(65) null, "
      "[Action] varchar(50) null, NCount int null, IDocument int null, IDevice int null, Podpis "
      "varchar(25) null);"}},
    // 10
    {StepKind::Probe, "select top 1 * from RefusalGroupNaimen;",
     {"create table RefusalGroupNaimen ( ID_GroupNaimen int IDENTITY UNIQUE PRIMARY KEY, Name_GroupNaimen "
      "varchar(150) null );"}},
    // 11
    {StepKind::Probe, "select top 1 * from RefusalNaimen;",
     {"create table RefusalNaimen ( ID_Naimen int IDENTITY UNIQUE PRIMARY KEY, Name_Naimen varchar(150) "
      "null, IGroupNaimen int null );"}},
    // 12
    {StepKind::Probe, "select top 1 * from RefusalParam;",
     {"create table RefusalParam ( ID_Param int IDENTITY UNIQUE PRIMARY KEY, Name_Param varchar(25) null, "
      "IDimention int null );"}},
    // 13
    {StepKind::Probe, "select top 1 * from RefusParamValue;",
     {"create table RefusParamValue ( ID_RefParVal int IDENTITY UNIQUE PRIMARY KEY, IRefusal int null, "
      "IParam int null, [Value] varchar(10) null);"}},
    // 14
    {StepKind::View, "drop view Pasport;",
     {"create view Pasport as SELECT Device.ZNumber, Device.ANumber, DevType.Name_DevType, "
      "DevType.Mark_DevType, System.Name_System, Location.Name_Location, LocSet.Name_LocSet, "
      "Device.SetDate, Device.SetPlace, Class.Name_Class, Mere.Name_Mere, Dest.Name_Dest, "
      "State.Name_State, Marg.Name_Marg, Scale.Name_Scale, Grade.Name_Grade, Naim.Name_Naim, "
      "Prec.Name_Prec, Device.Comments, Device.ChangeDate, Device.ID_Device, System.ID_System, "
      "Prec.ID_Prec, Naim.ID_Naim, Grade.ID_Grade, Scale.ID_Scale, Marg.ID_Marg, State.ID_State, "
      "Dest.ID_Dest, Mere.ID_Mere, DevType.ID_DevType, Location.ID_Location, Class.ID_Class, "
      "LocSet.ID_LocSet FROM ((((((((((((Device LEFT JOIN DevType ON Device.IDevType = DevType.ID_DevType) "
      "LEFT JOIN System ON Device.ISystem = System.ID_System) LEFT JOIN Location ON Device.ILocation = "
      "Location.ID_Location) LEFT JOIN Class ON Device.IClass = Class.ID_Class) LEFT JOIN Mere ON "
      "Device.IMere = Mere.ID_Mere) LEFT JOIN Dest ON Device.IDest = Dest.ID_Dest) LEFT JOIN Marg ON "
      "Device.IMarg = Marg.ID_Marg) LEFT JOIN State ON Device.IState = State.ID_State) LEFT JOIN Scale ON "
      "Device.IScale = Scale.ID_Scale) LEFT JOIN Grade ON Device.IGrade = Grade.ID_Grade) LEFT JOIN Naim "
      "ON DevType.INaim = Naim.ID_Naim) LEFT JOIN Prec ON DevType.IPrec = Prec.ID_Prec) LEFT JOIN LocSet "
      "ON Device.ILocSet = LocSet.ID_LocSet ;"}},
    // 15
    {StepKind::View, "drop view EditHistView;",
     {"create view EditHistView as SELECT EditHist.IDevice, EditHist.ANumber, EditHist.ZNumber, "
      "Victim.Victim, EditHist.ChangeDate FROM EditHist LEFT JOIN Victim ON EditHist.IVictim = Victim.Code;"}},
    // 16
    {StepKind::View, "drop view MovHistView;",
     {"create view MovHistView as SELECT MovHist.IDevice, DevType.Name_DevType, DevType.Mark_DevType, "
      "Device.ZNumber, Device.ANumber, Location.Name_Location AS LastLocation, LocSet.Name_LocSet AS "
      "LastLocSet, State.Name_State AS LastState, Location_1.Name_Location AS NewLocation, "
      "LocSet_1.Name_LocSet AS NewLocSet, State_1.Name_State AS NewState, MovHist.LastSetDate, "
      "MovHist.LastSetPlace, MovHist.NewSetDate, MovHist.NewSetPlace, MovHist.ChangeDate, MovHist.Sign, "
      "MovHist.Comments FROM ((((((MovHist LEFT JOIN (Device LEFT JOIN DevType ON Device.IDevType = "
      "DevType.ID_DevType) ON MovHist.IDevice = Device.ID_Device) LEFT JOIN Location ON "
      "MovHist.ILastLocation = Location.ID_Location) LEFT JOIN LocSet ON MovHist.ILastLocSet = "
      "LocSet.ID_LocSet) LEFT JOIN State ON MovHist.ILastState = State.ID_State) LEFT JOIN Location AS "
      "Location_1 ON MovHist.INewLocation = Location_1.ID_Location) LEFT JOIN LocSet AS LocSet_1 ON "
      "MovHist.INewLocSet = LocSet_1.ID_LocSet) LEFT JOIN State AS State_1 ON MovHist.INewState = "
      "State_1.ID_State;"}},
    // 17
    {StepKind::View, "drop view RepHistView;",
     {"create view RepHistView as SELECT NextRep.IDevice, DevType.Name_DevType, DevType.Mark_DevType, "
      "Device.ZNumber, Device.ANumber, Reps.Name_Reps, Reps.Short_Reps, RepHist.LastDate, "
      "RepHist.ExpectedDate, RepHist.NewDate, RepHist.NextDate, RepHist.ChangeDate FROM ((((RepHist INNER "
      "JOIN NextRep ON RepHist.INextRep = NextRep.ID_NextRep) INNER JOIN Device ON NextRep.IDevice = "
      "Device.ID_Device) LEFT JOIN DevRep ON NextRep.IDevRep = DevRep.ID_DevRep) LEFT JOIN Reps ON "
      "DevRep.IRep = Reps.ID_Reps) LEFT JOIN DevType ON Device.IDevType = DevType.ID_DevType;"}},
    // 18
    {StepKind::View, "drop view YearReportView;",
     {"create view YearReportView as SELECT Year(yearreport.repdate) AS [Year], Month(yearreport.repdate) "
      "AS [Month], reps.Short_Reps, reps.Name_Reps, Pasport.ID_Device, Pasport.ANumber, Pasport.ZNumber, "
      "Pasport.Name_DevType, Pasport.Mark_DevType, Pasport.Name_System, Pasport.Name_Location, "
      "Pasport.Name_LocSet, Pasport.SetDate, Pasport.SetPlace, Pasport.Name_Class, Pasport.Name_Mere, "
      "Pasport.Name_Dest, Pasport.Name_State, Pasport.Name_Marg, Pasport.Name_Scale, Pasport.Name_Grade, "
      "Pasport.Name_Naim, Pasport.Name_Prec, Pasport.Comments FROM (yearreport LEFT JOIN reps ON "
      "yearreport.IRep = reps.ID_Reps) INNER JOIN Pasport ON yearreport.IDevice = Pasport.ID_Device;"}},
    // 19
    {StepKind::View, "drop view Refusals;",
     {"create view Refusals as SELECT Refusal.ID_Refusal, Refusal.IDevice, Pasport.ANumber, Pasport.ZNumber, "
      "Pasport.Name_DevType, Pasport.Mark_DevType, Refusal.NDate, Refusal.Action, "
      "RefusalGroupNaimen.Name_GroupNaimen, RefusalNaimen.Name_Naimen, Refusal.ExectNaimen, "
      "Refusal.BriefCase, Refusal.NCount, Document.Name_Document, Refusal.Podpis FROM (((Refusal LEFT JOIN "
      "RefusalGroupNaimen ON Refusal.IGroupNaimen = RefusalGroupNaimen.ID_GroupNaimen) LEFT JOIN "
      "RefusalNaimen ON Refusal.INaimen = RefusalNaimen.ID_Naimen) LEFT JOIN Document ON Refusal.IDocument "
      "= Document.ID_Document) LEFT JOIN Pasport ON Refusal.IDevice = Pasport.ID_Device;"}},
    // 20
    {StepKind::Probe, "select top 1 * from RepCath;",
     {"create table RepCath ( ID_RepCath int IDENTITY UNIQUE PRIMARY KEY, IDevRep int null, ICathegory int "
      "null, [Value] decimal(18,6) null );"}},
    // 21
    {StepKind::Probe, "select top 1 * from DevTypeCount;",
     {"create table DevTypeCount ( ID_DevTypeCount int IDENTITY UNIQUE PRIMARY KEY, IDevType int null, "
      "ICrew int null, [Count] int null );"}},
    // 22
    {StepKind::Probe, "select top 1 * from CrewList;",
     {"create table CrewList ( ID_CrewList int IDENTITY UNIQUE PRIMARY KEY, ICrew int null, ICathegory int "
      "null, ProfNum int null, ProfNaimen varchar(240) null, IWorkDayLenth int null, SmenaNum int null, "
      "IDayFundNom int null, ILostDayUsed int null, LostDayUsedPC decimal(18,6) null, ILostDayMiscPC int "
      "null, LostDaySumPC decimal(18,6) null, DayFundRez decimal(18,6) null, DayFundP1E decimal(18,6) "
      "null, Tarif decimal(18,6) null, [No] int null );"}},
    // 23
    {StepKind::Probe, "select top 1 * from DayFund;",
     {"create table DayFund ( ID_DayFund int IDENTITY UNIQUE PRIMARY KEY, Name_DayFund varchar(240) null, "
      "DayFundNum decimal(18,6) null );"}},
    // 24
    {StepKind::Probe, "select top 1 * from LostDayMiscPC;",
     {"create table LostDayMiscPC ( ID_LostDayMiscPC int IDENTITY UNIQUE PRIMARY KEY, Name_LostDayMiscPC "
      "varchar(240) null, LostDayMiscPC decimal(18,6) null );"}},
    // 25
    {StepKind::Probe, "select top 1 * from LostDayUsed;",
     {"create table LostDayUsed ( ID_LostDayUsed int IDENTITY UNIQUE PRIMARY KEY, Name_LostDayUsed "
      "varchar(240) null, LostDayUsed decimal(18,6) null );"}},
    // 26
    {StepKind::Probe, "select top 1 * from WorkDayLenth;",
     {"create table WorkDayLenth ( ID_WorkDayLenth int IDENTITY UNIQUE PRIMARY KEY, Name_WorkDayLenth "
      "varchar(240) null, [Lenth] decimal(18,6) null );"}},
    // 27
    {StepKind::Probe, "select top 1 * from NormState;",
     {"insert into devrep (icrew,idevtype,irep,rt,rt_pc,rt_mon, r_no,rcount) select crew.id_crew, "
      "devrep.idevtype,devrep.irep ,devrep.rt,devrep.rt_pc,devrep.rt_mon,devrep.r_no,devrep.rcount from "
      "crew,devrep;",
      "delete from devrep where isnull(icrew);"}},
    // 28
    {StepKind::Probe, "select top 1 * from NormState;",
     {"create table NormState ( ID_NormState int IDENTITY UNIQUE PRIMARY KEY, PlanHour decimal(18,6) null, "
      "ExtPlanPC decimal(18,6) null, YearPlan decimal(18,6) null, PlanP1E decimal(18,6) null, Required "
      "decimal(18,6) null, ExtPlan decimal(18,6) null, ICathegory int null, ICrew int null );"}},
    // 29
    {StepKind::View, "drop view CrewDevTypeView;",
     {"create view CrewDevTypeView as SELECT DevCrew.ID_DevCrew, DevCrew.IDevice, DevCrew.ICrew, "
      "Device.IDevType FROM Device INNER JOIN DevCrew ON Device.ID_Device=DevCrew.IDevice;"}},
    // 30
    {StepKind::View, "drop view AccountView;",
     {"create view AccountView as SELECT Depart.Name_Depart, Crew.Name_Crew, DevType.Name_DevType, "
      "DevType.Mark_DevType, Reps.Name_Reps, Reps.Short_Reps, Cathegory.Name_Cathegory, "
      "Cathegory.Cathegory, RepCath.Value, Depart.ID_Depart, DevType.ID_DevType, DevRep.ID_DevRep, "
      "RepCath.ID_RepCath, Crew.ID_Crew, Cathegory.ID_Cathegory FROM (((DevType LEFT JOIN ((Depart RIGHT "
      "JOIN Crew ON Depart.ID_Depart=Crew.IDepart) RIGHT JOIN DevRep ON Crew.ID_Crew = DevRep.ICrew) ON "
      "DevType.ID_DevType=DevRep.IDevType) LEFT JOIN RepCath ON DevRep.ID_DevRep=RepCath.IDevRep) LEFT "
      "JOIN Reps ON DevRep.IRep=Reps.ID_Reps) LEFT JOIN Cathegory ON RepCath.ICathegory = "
      "Cathegory.ID_Cathegory;"}},
    // 31
    {StepKind::View, "drop view CrewListView;",
     {"create view CrewListView as SELECT CrewList.ID_CrewList, CrewList.ICrew, CrewList.[No], "
      "Cathegory.Cathegory, CrewList.ProfNum, CrewList.ProfNaimen, CrewList.Tarif, WorkDayLenth.Lenth, "
      "CrewList.SmenaNum, DayFund.DayFundNum, LostDayUsed.LostDayUsed, CrewList.LostDayUsedPC, "
      "LostDayMiscPC.LostDayMiscPC, CrewList.LostDaySumPC, CrewList.DayFundRez, CrewList.DayFundP1E FROM "
      "((((CrewList LEFT JOIN Cathegory ON CrewList.ICathegory = Cathegory.ID_Cathegory) LEFT JOIN "
      "WorkDayLenth ON CrewList.IWorkDayLenth = WorkDayLenth.ID_WorkDayLenth) LEFT JOIN DayFund ON "
      "CrewList.IDayFundNom = DayFund.ID_DayFund) LEFT JOIN LostDayMiscPC ON CrewList.ILostDayMiscPC = "
      "LostDayMiscPC.ID_LostDayMiscPC) LEFT JOIN LostDayUsed ON CrewList.ILostDayUsed = "
      "LostDayUsed.ID_LostDayUsed;"}},
    // 32
    {StepKind::Probe, "select top 1 * from Complect;",
     {"create table Complect ( ID_Complect int IDENTITY UNIQUE PRIMARY KEY, IRoot int null, IDevice int "
      "null );"}},
    // 33
    {StepKind::View, "drop view ComplectView;",
     {"create view ComplectView as SELECT Complect.ID_Complect, Complect.IRoot, Complect.IDevice, "
      "Pasport.Name_DevType, Pasport.Mark_DevType, Pasport.ANumber, Pasport.ZNumber FROM Complect Left "
      "JOIN Pasport ON Complect.IDevice = Pasport.ID_Device;"}},
};

QString createStatementOf(const QString& dropStatement)
{
    for (const Step& step : kSteps)
        if (step.kind == StepKind::View && dropStatement == QLatin1String(step.lead))
            return QString::fromLatin1(step.statements[0]);
    return {};
}

QString backupLine(const QString& path) { return FormatText(Str::UpgradeBackupLine, path); }

QString viewNameOf(const QString& dropStatement)
{
    // "drop view Name;"
    QString name = dropStatement.section(QLatin1Char(' '), 2, 2);
    name.chop(1);
    return name;
}

} // namespace

QString ReadProgramVersion() { return QStringLiteral(INSTREL_PRODUCT_VERSION); }

SchemaUpgrade::SchemaUpgrade(SqlConnection& connection)
    : SchemaUpgrade(connection, ReadProgramVersion(), Options{})
{
}

SchemaUpgrade::SchemaUpgrade(SqlConnection& connection, const QString& programVersion, Options options)
    : m_connection(connection), m_programVersion(programVersion), m_options(options)
{
}

QStringList SchemaUpgrade::viewNames()
{
    QStringList names;
    for (const Step& step : kSteps)
        if (step.kind == StepKind::View)
            names.append(viewNameOf(QString::fromLatin1(step.lead)));
    return names;
}

SchemaUpgrade::Outcome SchemaUpgrade::CheckSchemaVersion()
{
    m_backupPath.clear();
    bool hasRow = false;
    QString stored;
    int level = 0;
    try {
        const auto rows = m_connection.select(QStringLiteral("select Info_name from info where id_info = 2;"));
        hasRow = rows->rowCount() > 0;
        if (hasRow)
            stored = rows->value(0, 0).toString();
        level = storedLevel();
    } catch (const DatabaseError& e) {
        Messages::error(onServer() && ServerErrorText::isMissingTable(e) ? ServerErrorText::noPlant(m_connection.server())
                                                                         : causeText(e));
        return Outcome::NotChecked;
    }
    if (level > targetLevel()) {
        // Steps this program does not know may have changed what its statements rely on: writing
        // could damage the plant, reading it is safe.
        m_connection.setReadOnly(FormatText(Str::DatabaseFromNewerProgram, databaseName()));
        Messages::warning(m_connection.readOnlyReason());
        return Outcome::Newer;
    }
    if (hasRow && stored == m_programVersion && level == targetLevel())
        return Outcome::UpToDate;

    foldWriteAheadLog();
    if (!takeWriteLock())
        return Outcome::Refused;
    // From here on the file is ours to change until the transaction ends; every way out of this
    // function commits it or rolls it back.
    if (m_options.backup && !makeBackup()) {
        rollbackQuietly();
        return Outcome::BackupFailed;
    }
    if (!isIntact()) {
        rollbackQuietly();
        return Outcome::Refused;
    }
    try {
        // The first version row is written before the warning and the steps, a changed one after
        // them; both inside the upgrade's transaction, so that an upgrade that fails or is killed at
        // any point leaves no row claiming a version whose schema the file does not have.
        if (!hasRow)
            m_connection.execute(QStringLiteral("insert into info ( Id_info, Info_name ) values ( 2, '") +
                                 m_programVersion + QStringLiteral("' );"));
        if (!hasRow || stored != m_programVersion)
            UpgradeSchema(stored, hasRow);
        else
            addOwnSteps(level);
        m_connection.commit();
    } catch (const DatabaseError& e) {
        rollbackQuietly();
        Messages::error(failureText(e));
        return Outcome::Failed;
    }
    return Outcome::Upgraded;
}

void SchemaUpgrade::UpgradeSchema(const QString& storedVersion, bool storeVersion)
{
    if (m_options.announce)
        Messages::warning(warningText(storedVersion));
    runSteps();
    // The version's steps have just made their views again, as that version defines them: every
    // own step runs after them, from the first.
    runOwnSteps(0);
    if (storeVersion)
        m_connection.execute(QStringLiteral("update info set Info_name =") + SqlValue::quoted(m_programVersion) +
                             QStringLiteral(" where ID_Info = 2;"));
}

void SchemaUpgrade::addOwnSteps(int storedLevel)
{
    if (m_options.announce) {
        QStringList what;
        for (int step = storedLevel; step < targetLevel(); ++step)
            what.append(Text(SchemaSteps::all()[size_t(step)].what));
        QString text = FormatText(Str::UpgradeOwnSteps, databaseName(), what.join(QStringLiteral("; ")));
        if (!m_backupPath.isEmpty())
            text += QLatin1Char('\n') + backupLine(m_backupPath);
        Messages::warning(text);
    }
    runOwnSteps(storedLevel);
}

void SchemaUpgrade::runOwnSteps(int from)
{
    const int level = targetLevel();
    const std::vector<SchemaSteps::Step>& steps = SchemaSteps::all();
    for (int step = from; step < level; ++step)
        steps[size_t(step)].run(*this);
    m_connection.execute(QStringLiteral("delete from info where ID_Info = %1;").arg(SchemaSteps::kLevelRow));
    m_connection.execute(QStringLiteral("insert into info ( Id_info, Info_name ) values ( %1, '%2' );")
                             .arg(SchemaSteps::kLevelRow)
                             .arg(level));
}

int SchemaUpgrade::targetLevel() const
{
    return m_options.level < 0 ? SchemaSteps::level() : std::min(m_options.level, SchemaSteps::level());
}

int SchemaUpgrade::storedLevel()
{
    const QVariant level =
        m_connection.scalar(QStringLiteral("select Info_name from info where id_info = %1;").arg(SchemaSteps::kLevelRow));
    return level.isNull() ? 0 : level.toString().toInt();
}

bool SchemaUpgrade::onServer() const { return !m_connection.server().isEmpty(); }

QString SchemaUpgrade::databaseName() const
{
    return onServer() ? DatabaseChoice::shownName(m_connection.server()) : m_connection.databaseFile();
}

bool SchemaUpgrade::takeWriteLock()
{
    try {
        m_connection.beginWrite();
        if (onServer()) {
            // Two programs starting together on one server upgrade one after the other.
            m_connection.execute(QStringLiteral("LOCK TABLE info IN EXCLUSIVE MODE"));
            return true;
        }
        // The lock alone does not reveal a read-only file or folder: the engine finds those at the
        // first page it writes. Writing a header field back with its own value makes it write one
        // (and open its journal beside the file) before the user is told anything.
        const qint64 userVersion = m_connection.scalar(QStringLiteral("PRAGMA user_version")).toLongLong();
        m_connection.execute(QStringLiteral("PRAGMA user_version = ") + QString::number(userVersion));
        return true;
    } catch (const DatabaseError& e) {
        rollbackQuietly();
        Messages::error(causeText(e) + QLatin1Char('\n') + Text(Str::UpgradeNotRun));
        return false;
    }
}

bool SchemaUpgrade::isIntact()
{
    if (onServer())
        return true; // the server looks after its own pages
    // An upgrade would write its new objects over broken pages and report success; the quick check
    // reads every page once, which is cheap beside the upgrade itself.
    QString found;
    try {
        const auto rows = m_connection.select(QStringLiteral("PRAGMA quick_check"));
        if (rows->rowCount() == 1 && rows->value(0, 0).toString() == QLatin1String("ok"))
            return true;
        QStringList problems;
        for (int r = 0; r < rows->rowCount() && r < 3; ++r)
            problems.append(rows->value(r, 0).toString());
        found = problems.join(QStringLiteral("; "));
    } catch (const DatabaseError& e) {
        found = e.message();
    }
    QString text = DatabaseFileError::text(DatabaseFileError::Cause::Damaged, databaseName(), found) +
                   QLatin1Char('\n') + Text(Str::UpgradeNotRun);
    if (!m_backupPath.isEmpty())
        text += QLatin1Char('\n') + backupLine(m_backupPath);
    Messages::error(text);
    return false;
}

void SchemaUpgrade::rollbackQuietly()
{
    try {
        m_connection.rollback();
    } catch (const DatabaseError&) {
        // The engine ends a transaction by itself on some errors; there is nothing left to undo.
    }
}

QString SchemaUpgrade::causeText(const DatabaseError& error) const
{
    // Errors of opening the file already name their cause; an engine error of a statement is
    // put in words when it has a cause the user can act on.
    if (error.statement().isEmpty())
        return error.message();
    return DatabaseFileError::text(DatabaseFileError::causeOf(error), databaseName(), error.message());
}

void SchemaUpgrade::runSteps()
{
    for (const Step& step : kSteps) {
        const QString lead = QString::fromLatin1(step.lead);
        QStringList statements;
        for (const char* statement : step.statements)
            if (statement)
                statements.append(QString::fromLatin1(statement));

        switch (step.kind) {
        case StepKind::Probe:
            if (probeFails(lead))
                runAll(statements);
            break;
        case StepKind::VictimTable:
            if (probeFails(lead)) {
                runAll(statements);
                insertVictimRows();
            }
            break;
        case StepKind::View:
            replaceView(lead, statements.first());
            break;
        }
    }
}

QString SchemaUpgrade::versionViewDefinition(const QString& view)
{
    return createStatementOf(QStringLiteral("drop view ") + view + QLatin1Char(';'));
}

void SchemaUpgrade::execute(const QString& statement) { m_connection.execute(statement); }

bool SchemaUpgrade::probeFails(const QString& probe)
{
    // Any error counts, not only a missing table or column: the probe's rows are never looked at.
    return !runsWithoutError(probe, true);
}

bool SchemaUpgrade::runsWithoutError(const QString& statement, bool returnsRows, QString* error)
{
    const bool guarded = onServer();
    if (guarded)
        m_connection.execute(QStringLiteral("SAVEPOINT instrel_probe"));
    try {
        if (returnsRows)
            m_connection.select(statement);
        else
            m_connection.execute(statement);
    } catch (const DatabaseError& e) {
        if (error)
            *error = e.message();
        if (guarded)
            m_connection.execute(QStringLiteral("ROLLBACK TO SAVEPOINT instrel_probe"));
        return false;
    }
    if (guarded)
        m_connection.execute(QStringLiteral("RELEASE SAVEPOINT instrel_probe"));
    return true;
}

void SchemaUpgrade::runAll(const QStringList& statements)
{
    for (const QString& statement : statements)
        m_connection.execute(statement);
}

void SchemaUpgrade::replaceView(const QString& dropStatement, const QString& createStatement)
{
    // A view not there yet is what a first upgrade meets. Anything else (a file that cannot be
    // written, a table of that name) would only resurface as a misleading "already exists".
    QString error;
    if (!runsWithoutError(dropStatement, false, &error) && !error.startsWith(QLatin1String("no such view")) &&
        !(onServer() && error.contains(QLatin1String("does not exist"))))
        throw DatabaseError(error, dropStatement);
    m_connection.execute(createStatement);
}

void SchemaUpgrade::insertVictimRows()
{
    // Stored as text in the language in use: a database keeps the names it was created with.
    const Str kinds[] = {Str::EditKindAdded, Str::EditKindEdited, Str::EditKindDeleted};
    for (int code = 1; code <= 3; ++code)
        m_connection.execute(QStringLiteral("insert into Victim ( Code, Victim ) values ( %1, '").arg(code) +
                             Text(kinds[code - 1]) + QStringLiteral("');"));
}

void SchemaUpgrade::foldWriteAheadLog()
{
    // Everything committed must be in the main file before it is copied (a write-ahead log, if the
    // file uses one, is folded in first; for other files this does nothing). Done before the write
    // lock is taken, as the engine folds nothing while a transaction is open.
    m_connection.flushCommitted();
}

bool SchemaUpgrade::makeServerBackup()
{
    const QString dump = QStandardPaths::findExecutable(QStringLiteral("pg_dump"));
    if (dump.isEmpty())
        return Messages::confirm(QStringLiteral("Копия базы данных %1 перед преобразованием не сделана: программа "
                                                "pg_dump не найдена. Преобразовать базу данных без копии?")
                                     .arg(databaseName()));
    static const QRegularExpression nameInString(QStringLiteral("dbname\\s*=\\s*'?([^' ]+)|^postgres(?:ql)?://[^/]*/([^?]+)"));
    const auto match = nameInString.match(m_connection.server());
    QString base = match.hasMatch() ? match.captured(1) + match.captured(2) : QStringLiteral("server");
    base.replace(QRegularExpression(QStringLiteral("[^\\w.-]")), QStringLiteral("_"));
    const QString stamp = Clock::now().toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    QString target = QDir::current().absoluteFilePath(base + QLatin1Char('.') + stamp + QStringLiteral(".sql"));
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = QDir::current().absoluteFilePath(base + QLatin1Char('.') + stamp + QLatin1Char('-') +
                                                  QString::number(n) + QStringLiteral(".sql"));
    QProcess process;
    process.start(dump, {QStringLiteral("--dbname=") + m_connection.server(), QStringLiteral("--file=") + target});
    const bool done = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!done) {
        QFile::remove(target);
        const QString reason = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        Messages::error(FormatText(Str::UpgradeCopyFailed, databaseName(), target,
                                   reason.isEmpty() ? process.errorString() : reason));
        return false;
    }
    m_backupPath = target;
    return true;
}

bool SchemaUpgrade::makeBackup()
{
    if (onServer())
        return makeServerBackup();
    const QString source = QFileInfo(m_connection.databaseFile()).absoluteFilePath();
    const QString stamp = Clock::now().toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    QString target = source + QLatin1Char('.') + stamp + QStringLiteral(".bak");
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = source + QLatin1Char('.') + stamp + QLatin1Char('-') + QString::number(n) + QStringLiteral(".bak");

    QString reason;
    QFile file(source);
    if (!file.copy(target)) {
        reason = file.errorString();
    } else if (QFileInfo(target).size() != QFileInfo(source).size()) {
        reason = Text(Str::UpgradeCopyIncomplete);
        QFile::remove(target);
    }
    if (!reason.isEmpty()) {
        Messages::error(FormatText(Str::UpgradeCopyFailed, source, target, reason));
        return false;
    }
    m_backupPath = target;
    return true;
}

QString SchemaUpgrade::warningText(const QString& storedVersion) const
{
    QString text = FormatText(Str::UpgradeWarning, storedVersion, m_programVersion);
    if (!m_backupPath.isEmpty())
        text += QLatin1Char('\n') + backupLine(m_backupPath);
    return text;
}

QString SchemaUpgrade::failureText(const DatabaseError& error) const
{
    QString text = causeText(error) + QStringLiteral("\n\n");
    text += Text(Str::UpgradeStopped);
    if (!m_backupPath.isEmpty())
        text += QLatin1Char('\n') + backupLine(m_backupPath);
    return text;
}
