#pragma once

// Every statement the program runs, in the Jet dialect its code is written in: the schema upgrade
// word for word, the fixed queries of every window, and the statements the windows build by
// concatenation, instantiated here with realistic values by the same rules. The keys and names used
// refer to the fixture rows below. The texts keep their odd blanks on purpose:
// they are what the engine receives.

#include "data/SchemaIndexes.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace corpus {

inline QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}
inline QString n(qint64 value)
{
    return QString::number(value);
}

// ---------------------------------------------------------------------------------------------------
// Fixture.

// The rows every test starts from. Keys are given so the tests can name them; device 77, refusal 55
// and type 99 do not exist, on purpose.
inline QStringList fixtureRows()
{
    return {
        s("insert into Depart (ID_Depart, Name_Depart) values (1, 'Цех КИП'), (2, 'Лаборатория')"),
        s("insert into Crew (ID_Crew, Name_Crew, IDepart) values (1, 'Бригада 1', 1), (2, 'Бригада 2', 2), "
          "(3, 'Бригада без подразделения', null)"),
        s("insert into Location (ID_Location, Name_Location) values (1, 'Котельная'), (2, 'Насосная')"),
        s("insert into LocSet (ID_LocSet, Name_LocSet, ILocation) values (1, 'Щит 1', 1), (2, 'Щит 2', 1), "
          "(3, 'Узел учёта', 2)"),
        s("insert into State (ID_State, Name_State) values (1, 'В работе'), (2, 'В ремонте')"),
        s("insert into System (ID_System, Name_System) values (1, 'АСУ ТП')"),
        s("insert into Class (ID_Class, Name_Class) values (1, 'Давление')"),
        s("insert into Mere (ID_Mere, Name_Mere) values (1, 'Избыточное давление')"),
        s("insert into Dest (ID_Dest, Name_Dest) values (1, 'Контроль')"),
        s("insert into Naim (ID_Naim, Name_Naim) values (1, 'Манометр показывающий')"),
        s("insert into Marg (ID_Marg, Name_Marg) values (1, '0-10 МПа')"),
        s("insert into Scale (ID_Scale, Name_Scale) values (1, 'Круговая')"),
        s("insert into Grade (ID_Grade, Name_Grade) values (1, 'МПа')"),
        s("insert into Prec (ID_Prec, Name_Prec) values (1, 1.5)"),
        s("insert into Maker (ID_Maker, Name_Maker) values (1, 'Приборный завод')"),
        s("insert into Construct (ID_Construct, Name_Construct) values (1, 'Корпусной')"),
        s("insert into DevType (ID_DevType, INaim, Name_DevType, Mark_DevType, IPrec, IConstruct, IMaker, Srok, "
          "Otkaz) values (1, 1, 'Манометр', 'МП-100', 1, 1, 1, 10, 5000), (2, null, 'Термометр', 'ТС-1', null, null, "
          "null, null, null), (3, null, 'Расходомер', null, null, null, null, null, null)"),
        s("insert into Reps (ID_Reps, Name_Reps, Short_Reps) values (1, 'Поверка', 'П'), (2, 'Калибровка', 'К'), "
          "(3, 'Техническое обслуживание', 'ТО')"),
        s("insert into Device (ID_Device, IDevType, ANumber, ZNumber, ILocation, ILocSet, IState, ISystem, IClass, "
          "IMere, IDest, IMarg, IScale, IGrade, SetDate, SetPlace, ChangeDate) values "
          "(1, 1, 'A-1', 'Z-001', 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, '2004-03-05 00:00:00', 'у входа', "
          "'2025-01-10 09:00:00'), "
          "(2, 1, 'a-1', 'Z-002', 1, 2, 2, null, null, null, null, null, null, null, '2004-03-05 10:00:00', '', null), "
          "(3, 2, 'O''Neil; --', 'Z-003', 2, 3, 1, null, null, null, null, null, null, null, '2010-01-31 00:00:00', "
          "null, null), "
          "(4, null, null, null, null, null, null, null, null, null, null, null, null, null, null, null, null), "
          "(5, 99, '', 'Z-005', null, null, null, null, null, null, null, null, null, null, null, null, null)"),
        s("insert into DevCrew (ID_DevCrew, IDevice, ICrew) values (1, 1, 1), (2, 1, 2), (3, 2, 1), (4, 3, 3), "
          "(5, 77, 1)"),
        s("insert into DevRep (ID_DevRep, IDevType, ICrew, IRep, R_No, RT_Mon, RT, RT_PC, RCount) values "
          "(1, 1, 1, 1, 1, 1, 12, 0.5, 60), (2, 1, 1, 2, 2, 2.15, null, null, null), (3, 1, 2, 1, 1, 12, 1, 2, null), "
          "(4, 2, 3, 3, 1, 6, 2, 1, null), (5, 2, 1, 3, 1, 3, 4, 1.5, null)"),
        s("insert into NextRep (ID_NextRep, IDevice, IDevRep, LastRep, NextRep) values "
          "(1, 1, 1, '2005-01-31 00:00:00', null), (2, 2, 1, '2004-01-31 00:00:00', '2004-02-29 00:00:00'), "
          "(3, 1, 2, '2005-03-10 14:30:00', null), (4, 3, 5, null, null), (5, 77, 1, '2005-01-01 00:00:00', null)"),
        s("insert into Cathegory (ID_Cathegory, Name_Cathegory, Cathegory) values (1, 'Слесарь КИП 3 разряда', 3), "
          "(2, 'Слесарь КИП 5 разряда', 5), (3, 'Инженер', null)"),
        s("insert into RepCath (ID_RepCath, IDevRep, ICathegory, [Value]) values (1, 1, 1, 600), (2, 1, 2, 1158.8), "
          "(3, 3, 1, 10)"),
        s("insert into DevTypeCount (ID_DevTypeCount, IDevType, ICrew, [Count]) values (1, 1, 1, 10), "
          "(2, 2, 1, null), (3, 99, 1, 4), (4, 1, 2, 0)"),
        s("insert into WorkDayLenth (ID_WorkDayLenth, Name_WorkDayLenth, [Lenth]) values (1, 'Восьмичасовой', 8)"),
        s("insert into DayFund (ID_DayFund, Name_DayFund, DayFundNum) values (1, '2025 год', 250)"),
        s("insert into LostDayUsed (ID_LostDayUsed, Name_LostDayUsed, LostDayUsed) values (1, 'Основной', 24)"),
        s("insert into LostDayMiscPC (ID_LostDayMiscPC, Name_LostDayMiscPC, LostDayMiscPC) values (1, 'Прочие', 4)"),
        s("insert into CrewList (ID_CrewList, ICrew, ICathegory, ProfNum, ProfNaimen, IWorkDayLenth, SmenaNum, "
          "IDayFundNom, ILostDayUsed, LostDayUsedPC, ILostDayMiscPC, LostDaySumPC, DayFundRez, DayFundP1E, Tarif, "
          "[No]) values (1, 1, 1, 2, 'Слесарь', 1, 1, 1, 1, 8, 1, 12, 220, 1760, 100.5, 1), "
          "(2, 1, 1, 1, 'Слесарь-ремонтник', 1, 1, 1, 1, 8, 1, 12, 220, 1700, 90, 2)"),
        s("insert into NormState (ID_NormState, ICrew, ICathegory, PlanHour) values (1, 1, 1, 0)"),
        s("insert into RefusalGroupNaimen (ID_GroupNaimen, Name_GroupNaimen) values (1, 'Механические')"),
        s("insert into RefusalNaimen (ID_Naimen, Name_Naimen, IGroupNaimen) values (1, 'Заедание стрелки', 1)"),
        s("insert into Document (ID_Document, Name_Document, RegNumber) values (1, 'Акт', '№ 12/5')"),
        s("insert into Dimention (ID_Dimention, Name_Dimention) values (1, 'МПа')"),
        s("insert into RefusalParam (ID_Param, Name_Param, IDimention) values (1, 'Давление', 1)"),
        s("insert into Refusal (ID_Refusal, NDate, IGroupNaimen, INaimen, ExectNaimen, BriefCase, [Action], NCount, "
          "IDocument, IDevice, Podpis) values (1, '2025-02-01 08:00:00', 1, 1, 'Стрелка не возвращается', 'Износ', "
          "'Замена механизма', 1, 1, 1, 'Иванов'), (2, '2025-02-02 00:00:00', 1, 1, null, null, null, 1, null, 77, "
          "null)"),
        s("insert into RefusParamValue (ID_RefParVal, IRefusal, IParam, [Value]) values (1, 1, 1, '2.5'), "
          "(2, 2, 1, '3'), (3, 55, 1, '1')"),
        s("insert into Complect (ID_Complect, IRoot, IDevice) values (1, 0, 1), (2, 1, 2), (3, 2, 3), (4, 0, 3)"),
    };
}

// ---------------------------------------------------------------------------------------------------
// Schema upgrade and version row.

struct UpgradeStep {
    enum Kind {
        Probe, // `first` is run as a query; when it fails, `then` is executed in order
        View,  // `first` drops the view (its failure ignored), `then` creates it
        Run    // `then` is executed in order
    };
    int number;
    Kind kind;
    QString first;
    QStringList then;
};

inline QList<UpgradeStep> upgradeSteps()
{
    return {
        {1,
         UpgradeStep::Probe,
         "select top 1 setdate from device;",
         {"alter table device add column SetDate datetime null;"}},
        {2,
         UpgradeStep::Probe,
         "select top 1 changedate from device;",
         {"alter table device add column ChangeDate datetime null;"}},
        {3,
         UpgradeStep::Probe,
         "select top 1 * from Dimention;",
         {"create table Dimention ( ID_Dimention int IDENTITY UNIQUE PRIMARY KEY, Name_Dimention varchar(25) null );"}},
        {4,
         UpgradeStep::Probe,
         "select top 1 * from Document;",
         {"create table Document ( ID_Document int IDENTITY UNIQUE PRIMARY KEY, Name_Document varchar(150) null, "
          "RegNumber varchar(65) null);"}},
        {5,
         UpgradeStep::Probe,
         "select top 1 * from EditHist;",
         {"create table EditHist ( IVictim int null, IDevice int null, ANumber varchar(80) null, ZNumber varchar(80) "
          "null, ChangeDate datetime null);"}},
        {6,
         UpgradeStep::Probe,
         "select top 1 * from Victim;",
         {"create table Victim ( Code int null, Victim varchar(10) null);"}},
        {7,
         UpgradeStep::Probe,
         "select top 1 * from MovHist;",
         {"create table MovHist ( IDevice int null, ILastLocation int null, ILastLocSet int null, ILastState int null, "
          "INewLocation int null, INewLocSet int null, INewState int null, LastSetDate datetime null, LastSetPlace "
          "varchar(50) null, NewSetDate datetime null, NewSetPlace varchar(50) null, ChangeDate datetime null, Sign "
          "varchar(25) null, Comments varchar(50) null );"}},
        {8,
         UpgradeStep::Probe,
         "select top 1 * from RepHist;",
         {"create table RepHist ( INextRep int null, LastDate datetime null, ExpectedDate datetime null, NewDate "
          "datetime null, NextDate datetime null, ChangeDate datetime null);"}},
        {9,
         UpgradeStep::Probe,
         "select top 1 * from Refusal;",
         {"create table Refusal ( ID_Refusal int IDENTITY UNIQUE PRIMARY KEY, NDate datetime null, IGroupNaimen int "
          "null, INaimen int null, ExectNaimen varchar(65) null, BriefCase varchar(65) null, [Action] varchar(50) "
          "null, NCount int null, IDocument int null, IDevice int null, Podpis varchar(25) null);"}},
        {10,
         UpgradeStep::Probe,
         "select top 1 * from RefusalGroupNaimen;",
         {"create table RefusalGroupNaimen ( ID_GroupNaimen int IDENTITY UNIQUE PRIMARY KEY, Name_GroupNaimen "
          "varchar(150) null );"}},
        {11,
         UpgradeStep::Probe,
         "select top 1 * from RefusalNaimen;",
         {"create table RefusalNaimen ( ID_Naimen int IDENTITY UNIQUE PRIMARY KEY, Name_Naimen varchar(150) null, "
          "IGroupNaimen int null );"}},
        {12,
         UpgradeStep::Probe,
         "select top 1 * from RefusalParam;",
         {"create table RefusalParam ( ID_Param int IDENTITY UNIQUE PRIMARY KEY, Name_Param varchar(25) null, "
          "IDimention int null );"}},
        {13,
         UpgradeStep::Probe,
         "select top 1 * from RefusParamValue;",
         {"create table RefusParamValue ( ID_RefParVal int IDENTITY UNIQUE PRIMARY KEY, IRefusal int null, IParam int "
          "null, [Value] varchar(10) null);"}},
        {14,
         UpgradeStep::View,
         "drop view Pasport;",
         {"create view Pasport as SELECT Device.ZNumber, Device.ANumber, DevType.Name_DevType, DevType.Mark_DevType, "
          "System.Name_System, Location.Name_Location, LocSet.Name_LocSet, Device.SetDate, Device.SetPlace, "
          "Class.Name_Class, Mere.Name_Mere, Dest.Name_Dest, State.Name_State, Marg.Name_Marg, Scale.Name_Scale, "
          "Grade.Name_Grade, Naim.Name_Naim, Prec.Name_Prec, Device.Comments, Device.ChangeDate, Device.ID_Device, "
          "System.ID_System, Prec.ID_Prec, Naim.ID_Naim, Grade.ID_Grade, Scale.ID_Scale, Marg.ID_Marg, State.ID_State, "
          "Dest.ID_Dest, Mere.ID_Mere, DevType.ID_DevType, Location.ID_Location, Class.ID_Class, LocSet.ID_LocSet FROM "
          "((((((((((((Device LEFT JOIN DevType ON Device.IDevType = DevType.ID_DevType) LEFT JOIN System ON "
          "Device.ISystem = System.ID_System) LEFT JOIN Location ON Device.ILocation = Location.ID_Location) LEFT JOIN "
          "Class ON Device.IClass = Class.ID_Class) LEFT JOIN Mere ON Device.IMere = Mere.ID_Mere) LEFT JOIN Dest ON "
          "Device.IDest = Dest.ID_Dest) LEFT JOIN Marg ON Device.IMarg = Marg.ID_Marg) LEFT JOIN State ON "
          "Device.IState = State.ID_State) LEFT JOIN Scale ON Device.IScale = Scale.ID_Scale) LEFT JOIN Grade ON "
          "Device.IGrade = Grade.ID_Grade) LEFT JOIN Naim ON DevType.INaim = Naim.ID_Naim) LEFT JOIN Prec ON "
          "DevType.IPrec = Prec.ID_Prec) LEFT JOIN LocSet ON Device.ILocSet = LocSet.ID_LocSet ;"}},
        {15,
         UpgradeStep::View,
         "drop view EditHistView;",
         {"create view EditHistView as SELECT EditHist.IDevice, EditHist.ANumber, EditHist.ZNumber, Victim.Victim, "
          "EditHist.ChangeDate FROM EditHist LEFT JOIN Victim ON EditHist.IVictim = Victim.Code;"}},
        {16,
         UpgradeStep::View,
         "drop view MovHistView;",
         {"create view MovHistView as SELECT MovHist.IDevice, DevType.Name_DevType, DevType.Mark_DevType, "
          "Device.ZNumber, Device.ANumber, Location.Name_Location AS LastLocation, LocSet.Name_LocSet AS LastLocSet, "
          "State.Name_State AS LastState, Location_1.Name_Location AS NewLocation, LocSet_1.Name_LocSet AS NewLocSet, "
          "State_1.Name_State AS NewState, MovHist.LastSetDate, MovHist.LastSetPlace, MovHist.NewSetDate, "
          "MovHist.NewSetPlace, MovHist.ChangeDate, MovHist.Sign, MovHist.Comments FROM ((((((MovHist LEFT JOIN "
          "(Device LEFT JOIN DevType ON Device.IDevType = DevType.ID_DevType) ON MovHist.IDevice = Device.ID_Device) "
          "LEFT JOIN Location ON MovHist.ILastLocation = Location.ID_Location) LEFT JOIN LocSet ON MovHist.ILastLocSet "
          "= LocSet.ID_LocSet) LEFT JOIN State ON MovHist.ILastState = State.ID_State) LEFT JOIN Location AS "
          "Location_1 ON MovHist.INewLocation = Location_1.ID_Location) LEFT JOIN LocSet AS LocSet_1 ON "
          "MovHist.INewLocSet = LocSet_1.ID_LocSet) LEFT JOIN State AS State_1 ON MovHist.INewState = "
          "State_1.ID_State;"}},
        {17,
         UpgradeStep::View,
         "drop view RepHistView;",
         {"create view RepHistView as SELECT NextRep.IDevice, DevType.Name_DevType, DevType.Mark_DevType, "
          "Device.ZNumber, Device.ANumber, Reps.Name_Reps, Reps.Short_Reps, RepHist.LastDate, RepHist.ExpectedDate, "
          "RepHist.NewDate, RepHist.NextDate, RepHist.ChangeDate FROM ((((RepHist INNER JOIN NextRep ON "
          "RepHist.INextRep = NextRep.ID_NextRep) INNER JOIN Device ON NextRep.IDevice = Device.ID_Device) LEFT JOIN "
          "DevRep ON NextRep.IDevRep = DevRep.ID_DevRep) LEFT JOIN Reps ON DevRep.IRep = Reps.ID_Reps) LEFT JOIN "
          "DevType ON Device.IDevType = DevType.ID_DevType;"}},
        {18,
         UpgradeStep::View,
         "drop view YearReportView;",
         {"create view YearReportView as SELECT Year(yearreport.repdate) AS [Year], Month(yearreport.repdate) AS "
          "[Month], reps.Short_Reps, reps.Name_Reps, Pasport.ID_Device, Pasport.ANumber, Pasport.ZNumber, "
          "Pasport.Name_DevType, Pasport.Mark_DevType, Pasport.Name_System, Pasport.Name_Location, "
          "Pasport.Name_LocSet, Pasport.SetDate, Pasport.SetPlace, Pasport.Name_Class, Pasport.Name_Mere, "
          "Pasport.Name_Dest, Pasport.Name_State, Pasport.Name_Marg, Pasport.Name_Scale, Pasport.Name_Grade, "
          "Pasport.Name_Naim, Pasport.Name_Prec, Pasport.Comments FROM (yearreport LEFT JOIN reps ON yearreport.IRep = "
          "reps.ID_Reps) INNER JOIN Pasport ON yearreport.IDevice = Pasport.ID_Device;"}},
        {19,
         UpgradeStep::View,
         "drop view Refusals;",
         {"create view Refusals as SELECT Refusal.ID_Refusal, Refusal.IDevice, Pasport.ANumber, Pasport.ZNumber, "
          "Pasport.Name_DevType, Pasport.Mark_DevType, Refusal.NDate, Refusal.Action, "
          "RefusalGroupNaimen.Name_GroupNaimen, RefusalNaimen.Name_Naimen, Refusal.ExectNaimen, "
          "Refusal.BriefCase, Refusal.NCount, Document.Name_Document, Refusal.Podpis FROM (((Refusal LEFT JOIN "
          "RefusalGroupNaimen ON Refusal.IGroupNaimen = RefusalGroupNaimen.ID_GroupNaimen) LEFT JOIN "
          "RefusalNaimen ON Refusal.INaimen = RefusalNaimen.ID_Naimen) LEFT JOIN Document ON Refusal.IDocument "
          "= Document.ID_Document) LEFT JOIN Pasport ON Refusal.IDevice = Pasport.ID_Device;"}},
        {20,
         UpgradeStep::Probe,
         "select top 1 * from RepCath;",
         {"create table RepCath ( ID_RepCath int IDENTITY UNIQUE PRIMARY KEY, IDevRep int null, ICathegory int null, "
          "[Value] decimal(18,6) null );"}},
        {21,
         UpgradeStep::Probe,
         "select top 1 * from DevTypeCount;",
         {"create table DevTypeCount ( ID_DevTypeCount int IDENTITY UNIQUE PRIMARY KEY, IDevType int null, ICrew int "
          "null, [Count] int null );"}},
        {22,
         UpgradeStep::Probe,
         "select top 1 * from CrewList;",
         {"create table CrewList ( ID_CrewList int IDENTITY UNIQUE PRIMARY KEY, ICrew int null, ICathegory int null, "
          "ProfNum int null, ProfNaimen varchar(240) null, IWorkDayLenth int null, SmenaNum int null, IDayFundNom int "
          "null, ILostDayUsed int null, LostDayUsedPC decimal(18,6) null, ILostDayMiscPC int null, LostDaySumPC "
          "decimal(18,6) null, DayFundRez decimal(18,6) null, DayFundP1E decimal(18,6) null, Tarif decimal(18,6) null, "
          "[No] int null );"}},
        {23,
         UpgradeStep::Probe,
         "select top 1 * from DayFund;",
         {"create table DayFund ( ID_DayFund int IDENTITY UNIQUE PRIMARY KEY, Name_DayFund varchar(240) null, "
          "DayFundNum decimal(18,6) null );"}},
        {24,
         UpgradeStep::Probe,
         "select top 1 * from LostDayMiscPC;",
         {"create table LostDayMiscPC ( ID_LostDayMiscPC int IDENTITY UNIQUE PRIMARY KEY, Name_LostDayMiscPC "
          "varchar(240) null, LostDayMiscPC decimal(18,6) null );"}},
        {25,
         UpgradeStep::Probe,
         "select top 1 * from LostDayUsed;",
         {"create table LostDayUsed ( ID_LostDayUsed int IDENTITY UNIQUE PRIMARY KEY, Name_LostDayUsed varchar(240) "
          "null, LostDayUsed decimal(18,6) null );"}},
        {26,
         UpgradeStep::Probe,
         "select top 1 * from WorkDayLenth;",
         {"create table WorkDayLenth ( ID_WorkDayLenth int IDENTITY UNIQUE PRIMARY KEY, Name_WorkDayLenth varchar(240) "
          "null, [Lenth] decimal(18,6) null );"}},
        {27,
         UpgradeStep::Probe,
         "select top 1 * from NormState;",
         {"insert into devrep (icrew,idevtype,irep,rt,rt_pc,rt_mon, r_no,rcount) select crew.id_crew, "
          "devrep.idevtype,devrep.irep ,devrep.rt,devrep.rt_pc,devrep.rt_mon,devrep.r_no,devrep.rcount from "
          "crew,devrep;",
          "delete from devrep where isnull(icrew);"}},
        {28,
         UpgradeStep::Probe,
         "select top 1 * from NormState;",
         {"create table NormState ( ID_NormState int IDENTITY UNIQUE PRIMARY KEY, PlanHour decimal(18,6) null, "
          "ExtPlanPC decimal(18,6) null, YearPlan decimal(18,6) null, PlanP1E decimal(18,6) null, Required "
          "decimal(18,6) null, ExtPlan decimal(18,6) null, ICathegory int null, ICrew int null );"}},
        {29,
         UpgradeStep::View,
         "drop view CrewDevTypeView;",
         {"create view CrewDevTypeView as SELECT DevCrew.ID_DevCrew, DevCrew.IDevice, DevCrew.ICrew, Device.IDevType "
          "FROM Device INNER JOIN DevCrew ON Device.ID_Device=DevCrew.IDevice;"}},
        {30,
         UpgradeStep::View,
         "drop view AccountView;",
         {"create view AccountView as SELECT Depart.Name_Depart, Crew.Name_Crew, DevType.Name_DevType, "
          "DevType.Mark_DevType, Reps.Name_Reps, Reps.Short_Reps, Cathegory.Name_Cathegory, Cathegory.Cathegory, "
          "RepCath.Value, Depart.ID_Depart, DevType.ID_DevType, DevRep.ID_DevRep, RepCath.ID_RepCath, Crew.ID_Crew, "
          "Cathegory.ID_Cathegory FROM (((DevType LEFT JOIN ((Depart RIGHT JOIN Crew ON Depart.ID_Depart=Crew.IDepart) "
          "RIGHT JOIN DevRep ON Crew.ID_Crew = DevRep.ICrew) ON DevType.ID_DevType=DevRep.IDevType) LEFT JOIN RepCath "
          "ON DevRep.ID_DevRep=RepCath.IDevRep) LEFT JOIN Reps ON DevRep.IRep=Reps.ID_Reps) LEFT JOIN Cathegory ON "
          "RepCath.ICathegory = Cathegory.ID_Cathegory;"}},
        {31,
         UpgradeStep::View,
         "drop view CrewListView;",
         {"create view CrewListView as SELECT CrewList.ID_CrewList, CrewList.ICrew, CrewList.[No], "
          "Cathegory.Cathegory, CrewList.ProfNum, CrewList.ProfNaimen, CrewList.Tarif, WorkDayLenth.Lenth, "
          "CrewList.SmenaNum, DayFund.DayFundNum, LostDayUsed.LostDayUsed, CrewList.LostDayUsedPC, "
          "LostDayMiscPC.LostDayMiscPC, CrewList.LostDaySumPC, CrewList.DayFundRez, CrewList.DayFundP1E FROM "
          "((((CrewList LEFT JOIN Cathegory ON CrewList.ICathegory = Cathegory.ID_Cathegory) LEFT JOIN WorkDayLenth ON "
          "CrewList.IWorkDayLenth = WorkDayLenth.ID_WorkDayLenth) LEFT JOIN DayFund ON CrewList.IDayFundNom = "
          "DayFund.ID_DayFund) LEFT JOIN LostDayMiscPC ON CrewList.ILostDayMiscPC = LostDayMiscPC.ID_LostDayMiscPC) "
          "LEFT JOIN LostDayUsed ON CrewList.ILostDayUsed = LostDayUsed.ID_LostDayUsed;"}},
        {32,
         UpgradeStep::Probe,
         "select top 1 * from Complect;",
         {"create table Complect ( ID_Complect int IDENTITY UNIQUE PRIMARY KEY, IRoot int null, IDevice int null );"}},
        {33,
         UpgradeStep::View,
         "drop view ComplectView;",
         {"create view ComplectView as SELECT Complect.ID_Complect, Complect.IRoot, Complect.IDevice, "
          "Pasport.Name_DevType, Pasport.Mark_DevType, Pasport.ANumber, Pasport.ZNumber FROM Complect Left JOIN "
          "Pasport ON Complect.IDevice = Pasport.ID_Device;"}},
    };
}

// The program's own steps after the version's, in order (numbered by the level each belongs to):
// every one runs again after the version's steps, so each probes or replaces what it makes.
inline QList<UpgradeStep> ownSteps(bool onServer)
{
    QList<UpgradeStep> steps{
        // 1: who made each log entry, and the logs' views again with that column last.
        {1,
         UpgradeStep::Probe,
         "select top 1 ChangedBy from EditHist;",
         {"alter table EditHist add column ChangedBy varchar(50) null;"}},
        {1,
         UpgradeStep::Probe,
         "select top 1 ChangedBy from MovHist;",
         {"alter table MovHist add column ChangedBy varchar(50) null;"}},
        {1,
         UpgradeStep::Probe,
         "select top 1 ChangedBy from RepHist;",
         {"alter table RepHist add column ChangedBy varchar(50) null;"}},
        {1,
         UpgradeStep::View,
         "drop view EditHistView;",
         {"create view EditHistView as SELECT EditHist.IDevice, EditHist.ANumber, EditHist.ZNumber, Victim.Victim, "
          "EditHist.ChangeDate, EditHist.ChangedBy FROM EditHist LEFT JOIN Victim ON EditHist.IVictim = Victim.Code;"}},
        {1,
         UpgradeStep::View,
         "drop view MovHistView;",
         {"create view MovHistView as SELECT MovHist.IDevice, DevType.Name_DevType, DevType.Mark_DevType, "
          "Device.ZNumber, Device.ANumber, Location.Name_Location AS LastLocation, LocSet.Name_LocSet AS LastLocSet, "
          "State.Name_State AS LastState, Location_1.Name_Location AS NewLocation, LocSet_1.Name_LocSet AS NewLocSet, "
          "State_1.Name_State AS NewState, MovHist.LastSetDate, MovHist.LastSetPlace, MovHist.NewSetDate, "
          "MovHist.NewSetPlace, MovHist.ChangeDate, MovHist.Sign, MovHist.Comments, MovHist.ChangedBy FROM "
          "((((((MovHist LEFT JOIN (Device LEFT JOIN DevType ON Device.IDevType = DevType.ID_DevType) ON "
          "MovHist.IDevice = Device.ID_Device) LEFT JOIN Location ON MovHist.ILastLocation = Location.ID_Location) "
          "LEFT JOIN LocSet ON MovHist.ILastLocSet = LocSet.ID_LocSet) LEFT JOIN State ON MovHist.ILastState = "
          "State.ID_State) LEFT JOIN Location AS Location_1 ON MovHist.INewLocation = Location_1.ID_Location) LEFT "
          "JOIN LocSet AS LocSet_1 ON MovHist.INewLocSet = LocSet_1.ID_LocSet) LEFT JOIN State AS State_1 ON "
          "MovHist.INewState = State_1.ID_State;"}},
        {1,
         UpgradeStep::View,
         "drop view RepHistView;",
         {"create view RepHistView as SELECT NextRep.IDevice, DevType.Name_DevType, DevType.Mark_DevType, "
          "Device.ZNumber, Device.ANumber, Reps.Name_Reps, Reps.Short_Reps, RepHist.LastDate, RepHist.ExpectedDate, "
          "RepHist.NewDate, RepHist.NextDate, RepHist.ChangeDate, RepHist.ChangedBy FROM ((((RepHist INNER JOIN "
          "NextRep ON RepHist.INextRep = NextRep.ID_NextRep) INNER JOIN Device ON NextRep.IDevice = Device.ID_Device) "
          "LEFT JOIN DevRep ON NextRep.IDevRep = DevRep.ID_DevRep) LEFT JOIN Reps ON DevRep.IRep = Reps.ID_Reps) LEFT "
          "JOIN DevType ON Device.IDevType = DevType.ID_DevType;"}},
        // 2: the malfunction list without the passport view.
        {2,
         UpgradeStep::View,
         "drop view Refusals;",
         {"create view Refusals as SELECT Refusal.ID_Refusal, Refusal.IDevice, Device.ANumber, "
          "Device.ZNumber, DevType.Name_DevType, DevType.Mark_DevType, Refusal.NDate, Refusal.Action, "
          "RefusalGroupNaimen.Name_GroupNaimen, RefusalNaimen.Name_Naimen, Refusal.ExectNaimen, "
          "Refusal.BriefCase, Refusal.NCount, Document.Name_Document, Refusal.Podpis FROM ((((Refusal LEFT JOIN "
          "RefusalGroupNaimen ON Refusal.IGroupNaimen = RefusalGroupNaimen.ID_GroupNaimen) LEFT JOIN "
          "RefusalNaimen ON Refusal.INaimen = RefusalNaimen.ID_Naimen) LEFT JOIN Document ON Refusal.IDocument "
          "= Document.ID_Document) LEFT JOIN Device ON Refusal.IDevice = Device.ID_Device) LEFT JOIN DevType ON "
          "Device.IDevType = DevType.ID_DevType;"}},
    };
    // 3: the indexes (they leave tables and views as they are).
    steps.append({3, UpgradeStep::Run, {}, SchemaIndexes::statements()});
    // 4: the server's comparison of texts without regard to case; a file's connection registers its own.
    if (onServer)
        steps.append({4,
                      UpgradeStep::Run,
                      {},
                      {"CREATE COLLATION IF NOT EXISTS unicode_nocase (provider = icu, locale = 'und-u-ks-level2', "
                       "deterministic = false);"}});
    // 5: the move log made again with a key for each entry.
    steps.append({5,
                  UpgradeStep::Probe,
                  "select top 1 ID_MovHist from MovHist;",
                  {"drop view MovHistView;",
                   "create table MovHistEntries ( IDevice int null, ILastLocation int null, ILastLocSet int null, "
                   "ILastState int null, INewLocation int null, INewLocSet int null, INewState int null, LastSetDate "
                   "datetime null, LastSetPlace varchar(50) null, NewSetDate datetime null, NewSetPlace varchar(50) "
                   "null, ChangeDate datetime null, Sign varchar(25) null, Comments varchar(50) null, ChangedBy "
                   "varchar(50) null );",
                   "insert into MovHistEntries ( IDevice, ILastLocation, ILastLocSet, ILastState, INewLocation, "
                   "INewLocSet, INewState, LastSetDate, LastSetPlace, NewSetDate, NewSetPlace, ChangeDate, Sign, "
                   "Comments, ChangedBy ) select IDevice, ILastLocation, ILastLocSet, ILastState, INewLocation, "
                   "INewLocSet, INewState, LastSetDate, LastSetPlace, NewSetDate, NewSetPlace, ChangeDate, Sign, "
                   "Comments, ChangedBy from MovHist;",
                   "drop table MovHist;",
                   "create table MovHist ( ID_MovHist int IDENTITY UNIQUE PRIMARY KEY, IDevice int null, ILastLocation "
                   "int null, ILastLocSet int null, ILastState int null, INewLocation int null, INewLocSet int null, "
                   "INewState int null, LastSetDate datetime null, LastSetPlace varchar(50) null, NewSetDate datetime "
                   "null, NewSetPlace varchar(50) null, ChangeDate datetime null, Sign varchar(25) null, Comments "
                   "varchar(50) null, ChangedBy varchar(50) null );",
                   "insert into MovHist ( IDevice, ILastLocation, ILastLocSet, ILastState, INewLocation, INewLocSet, "
                   "INewState, LastSetDate, LastSetPlace, NewSetDate, NewSetPlace, ChangeDate, Sign, Comments, "
                   "ChangedBy ) select IDevice, ILastLocation, ILastLocSet, ILastState, INewLocation, INewLocSet, "
                   "INewState, LastSetDate, LastSetPlace, NewSetDate, NewSetPlace, ChangeDate, Sign, Comments, "
                   "ChangedBy from MovHistEntries;",
                   "drop table MovHistEntries;",
                   "CREATE INDEX IF NOT EXISTS ix_MovHist_IDevice ON MovHist (IDevice);",
                   "CREATE INDEX IF NOT EXISTS ix_MovHist_ChangeDate ON MovHist (ChangeDate);"}});
    steps.append(
        {5,
         UpgradeStep::View,
         "drop view MovHistView;",
         {"create view MovHistView as SELECT MovHist.IDevice, DevType.Name_DevType, DevType.Mark_DevType, "
          "Device.ZNumber, Device.ANumber, Location.Name_Location AS LastLocation, LocSet.Name_LocSet AS LastLocSet, "
          "State.Name_State AS LastState, Location_1.Name_Location AS NewLocation, LocSet_1.Name_LocSet AS NewLocSet, "
          "State_1.Name_State AS NewState, MovHist.LastSetDate, MovHist.LastSetPlace, MovHist.NewSetDate, "
          "MovHist.NewSetPlace, MovHist.ChangeDate, MovHist.Sign, MovHist.Comments, MovHist.ChangedBy, "
          "MovHist.ID_MovHist FROM "
          "((((((MovHist LEFT JOIN (Device LEFT JOIN DevType ON Device.IDevType = DevType.ID_DevType) ON "
          "MovHist.IDevice = Device.ID_Device) LEFT JOIN Location ON MovHist.ILastLocation = Location.ID_Location) "
          "LEFT JOIN LocSet ON MovHist.ILastLocSet = LocSet.ID_LocSet) LEFT JOIN State ON MovHist.ILastState = "
          "State.ID_State) LEFT JOIN Location AS Location_1 ON MovHist.INewLocation = Location_1.ID_Location) LEFT "
          "JOIN LocSet AS LocSet_1 ON MovHist.INewLocSet = LocSet_1.ID_LocSet) LEFT JOIN State AS State_1 ON "
          "MovHist.INewState = State_1.ID_State;"}});
    return steps;
}

// The level the own steps leave, in its row of Info.
inline QString levelQuery() { return s("select Info_name from info where id_info = 3;"); }
inline QStringList levelRowStatements()
{
    return {s("delete from info where ID_Info = 3;"), s("insert into info ( Id_info, Info_name ) values ( 3, '5' );")};
}

// The three kinds of edit, named in the language in use when the table is created.
inline QStringList victimInserts(bool russian)
{
    const QStringList names = russian ? QStringList{s("Добавлен"), s("Редакт."), s("Удален")}
                                      : QStringList{s("Added"), s("Edited"), s("Deleted")};
    QStringList statements;
    for (int code = 1; code <= 3; ++code)
        statements << s("insert into Victim ( Code, Victim ) values ( ") + n(code) + s(", '") + names[code - 1] +
                          s("');");
    return statements;
}

inline QString versionQuery()
{
    return s("select Info_name from info where id_info = 2;");
}
inline QString versionInsert(const QString& version)
{
    return s("insert into info ( Id_info, Info_name ) values ( 2, '") + version + s("' );");
}
inline QString versionUpdate(const QString& version)
{
    return s("update info set Info_name =") + SqlValue::quoted(version) + s(" where ID_Info = 2;");
}

// ---------------------------------------------------------------------------------------------------
// Reference checks before deletion.

struct Reference {
    QString table;
    QString column;
};

// Every table and column a check counts, in the checks' order.
inline QList<Reference> referencedColumns()
{
    return {
        {s("DevRep"), s("IRep")},          {s("CrewList"), s("ICathegory")},     {s("RepCath"), s("ICathegory")},
        {s("NormState"), s("ICathegory")}, {s("CrewList"), s("ILostDayMiscPC")}, {s("CrewList"), s("ILostDayUsed")},
        {s("CrewList"), s("IDayFundNom")}, {s("CrewList"), s("IWorkDayLenth")},  {s("DevCrew"), s("ICrew")},
        {s("DevRep"), s("ICrew")},         {s("DevTypeCount"), s("ICrew")},      {s("CrewList"), s("ICrew")},
        {s("NextRep"), s("IDevRep")},      {s("RepCath"), s("IDevRep")},         {s("Device"), s("IDevType")},
        {s("DevRep"), s("IDevType")},      {s("DevCrew"), s("IDevice")},         {s("NextRep"), s("IDevice")},
        {s("Refusal"), s("IDevice")},      {s("Complect"), s("IDevice")},
    };
}

inline QString countReferences(const QString& table, const QString& column, qint64 key)
{
    return s(" SELECT count(*) as [count]  FROM ") + table + s(" WHERE ") + table + s(".") + column + s(" = ") +
           n(key) + s(" ;");
}

inline QString crewCountSum(qint64 crew)
{
    return s("select sum([Count]) as summa from DevTypeCount where ICrew = ") + n(crew) + s(";");
}

// ---------------------------------------------------------------------------------------------------
// Table windows: main queries, the anchor line, the grouping tree, the filter row, value lists.

struct MainQuery {
    QString text;
    QString table;       // what the window reads as its table name
    QString groupColumn; // a column the user may group by
};

inline QList<MainQuery> mainQueries()
{
    return {
        {s("select * from Pasport;"), s("Pasport"), s("Name_DevType")},
        {s("select * from type;"), s("type"), s("Name_Maker")},
        {s("select * from nextrepview;"), s("nextrepview"), s("Short_Reps")},
        {s("select * from Refusals;"), s("Refusals"), s("Name_GroupNaimen")},
        {s("select  * from AccountView;"), s("AccountView"), s("Cathegory")},
        {s("select * from YearReportView;"), s("YearReportView"), s("Month")},
    };
}

// The main query up to its ";", then the anchor line every filter builds on.
inline QString queryHead(const QString& mainQuery)
{
    return mainQuery.left(mainQuery.indexOf(QLatin1Char(';')));
}
inline QString anchored(const QString& mainQuery)
{
    return queryHead(mainQuery) + s("\rWHERE\r1=1;");
}
// The anchor line rebuilt by the filter row with the conditions of all columns.
inline QString filtered(const QString& mainQuery, const QString& conditions)
{
    return queryHead(mainQuery) + s("\rWHERE\r1=1 and ") + conditions;
}

// The query of one level of the grouping tree: the groups of the first level + 1 columns, each row
// counted, nulls included; deeper levels restricted to the master level's current values.
inline QString groupLevel(const QStringList& fields, int level, const QString& table)
{
    const QString columns = QStringList(fields.mid(0, level + 1)).join(QLatin1Char(','));
    const QString& g = fields[level];
    QString text =
        s("select ") + columns + s(",count(IIf(IsNull(") + g + s("), \"<empty>\", ") + g + s(")) from ") + table;
    if (level > 0) {
        text += s(" where ");
        for (int j = level - 1; j >= 0; --j)
            text += s(" ") + fields[j] + s(" = :") + fields[j] + s(" and ");
        text.chop(4);
    }
    return text + s(" group by ") + columns + s(";");
}

inline QString valueList(const QString& column, const QString& table)
{
    return s("select ") + column + s(" from ") + table + s(" where ") + column + s(" is not null") + s(" group by ") +
           column + s(";");
}

// A date written by the grid's filter row: #MM/DD/YYYY#.
inline QString filterRowDate(const QDate& day)
{
    return day.toString(s("'#'MM/dd/yyyy'#'"));
}

// ---------------------------------------------------------------------------------------------------
// Linked tables window: one query per page, three detail queries.

inline QStringList linkedTableQueries()
{
    const QStringList tables{
        s("Prec"),         s("Dest"),     s("Class"),        s("Depart"),       s("Construct"),
        s("Dimention"),    s("Document"), s("Grade"),        s("Location"),     s("RefusalGroupNaimen"),
        s("Maker"),        s("Mere"),     s("RefusalParam"), s("Marg"),         s("Scale"),
        s("Reps"),         s("State"),    s("System"),       s("Naim"),         s("Cathegory"),
        s("WorkDayLenth"), s("DayFund"),  s("LostDayUsed"),  s("LostDayMiscPC")};
    const QStringList names{
        s("name_prec"),         s("name_dest"),        s("name_class"),       s("name_depart"),
        s("name_construct"),    s("name_dimention"),   s("name_document"),    s("name_grade"),
        s("name_location"),     s("name_groupnaimen"), s("name_maker"),       s("name_mere"),
        s("name_param"),        s("name_marg"),        s("name_scale"),       s("name_reps"),
        s("name_state"),        s("name_system"),      s("name_naim"),        s("name_cathegory"),
        s("Name_WorkDayLenth"), s("Name_DayFund"),     s("Name_LostDayUsed"), s("Name_LostDayMiscPC")};
    QStringList queries;
    for (qsizetype i = 0; i < tables.size(); ++i)
        queries << s("select * from ") + tables[i] + s(" order by ") + names[i] + s(";");
    queries << s("select * from Crew where IDepart = :ID_Depart order by name_crew;")
            << s("select * from LocSet where ILocation = :ID_Location order by name_locset;")
            << s("select * from RefusalNaimen where IGroupNaimen = :ID_GroupNaimen order by name_naimen;");
    return queries;
}

// ---------------------------------------------------------------------------------------------------
// Device window, its logs, services, intervals and kits.

inline QStringList deviceDatasets()
{
    QStringList list{
        s("SELECT * FROM Device where Device.ID_Device = :ID_Device;"),
        s("SELECT   ID_DevType, Name_DevType, Mark_DevType FROM DevType;"),
        s("SELECT   Mark_DevType FROM DevType WHERE ID_DevType = :IDevType;"),
        s("SELECT  * FROM LocSet WHERE ILocation = :ID_Location order by name_locset;"),
        s("SELECT  * FROM DevCrew WHERE IDevice = :ID_Device;"),
        s("SELECT Crew.ID_Crew, Crew.Name_Crew, Depart.Name_Depart FROM Crew LEFT JOIN Depart ON Crew.IDepart = "
          "Depart.ID_Depart;"),
        s("select * from EditHistView where EditHistView.idevice = :ID_Device;"),
        s("select * from RepHistView where RepHistView.idevice = :ID_Device;"),
        s("select * from MovHistView where MovHistView.idevice = :ID_Device;"),
        s("select * from EditHistView;"),
        s("select * from RepHistView;"),
        s("select * from MovHistView;"),
        s("select * from nextrep where idevice = :id_device"),
        s("select DevRep.ID_DevRep, DevRep.RT_Mon, Reps.Name_Reps, Reps.Short_Reps, Depart.Name_Depart, "
          "Crew.Name_Crew from (((DevRep inner join Reps on Reps.ID_Reps = DevRep.IRep) inner join Crew on "
          "Crew.ID_Crew = DevRep.ICrew) inner join Depart on Depart.ID_Depart = Crew.IDepart) where DevRep.ICrew in "
          "(select DevCrew.ICrew from DevCrew where DevCrew.IDevice = :ID_Device) AND DevRep.IDevType = :IDevType ;"),
        s("select * from CrewDevTypeView where ID_DevCrew = :ID_DevCrew;"),
        s("SELECT ID_DevRep, IDevType, RT_Mon, IRep, ICrew FROM DevRep WHERE IDevType = :IDevType AND ICrew = :ICrew;"),
        s("SELECT * FROM Reps;"),
        s("select anumber from device order by anumber"),
        s("select znumber from device order by znumber"),
    };
    for (const char* table : {"System", "Class", "Mere", "Dest", "Marg", "Scale", "Grade", "State", "Location"})
        list << s("SELECT  * FROM ") + s(table) + s(" order by name_") + s(table).toLower() + s(";");
    return list;
}

inline QString deviceCopy(qint64 device)
{
    return s("select * from Device where id_device = ") + n(device) + s(";");
}

// Run after a device is deleted: rows of other tables left pointing at no device.
inline QStringList deviceCleanUp()
{
    return {
        s(" DELETE Refusal.IDevice FROM refusal WHERE (((refusal.IDevice) Not In (select id_device from device)));"),
        s(" DELETE RefusParamValue.IRefusal FROM RefusParamValue WHERE (((RefusParamValue.IRefusal) Not In (select "
          "id_refusal from refusals)));"),
        s(" DELETE FROM NextRep WHERE (((NextRep.IDevice) Not In (select id_device from device)));"),
        s(" DELETE FROM DevCrew WHERE (((DevCrew.IDevice) Not In (select id_device from device)));"),
    };
}

// The three logs: the table name as the pruning statement writes it.
inline QStringList logTables()
{
    return {s("edithist"), s("rephist"), s("movhist")};
}

inline QString logPrune(const QString& table)
{
    return s("delete from ") + table + s(" where changedate<Date()-31 and (select count(*) from ") + table +
           s(")>1000");
}

inline QString logClear(const QString& table)
{
    return s("delete from ") + table + s(";");
}

// A value of the move and service logs: null, or the value's text between single quotes.
inline QString logValue(const QVariant& value)
{
    if (value.isNull())
        return s("null");
    const QVariant stored = SqlValue::toStorage(value);
    return SqlValue::quoted(stored.toString());
}

inline QString editLogInsert(qint64 device, int code, const QDateTime& moment, const QString& aNumber,
                             const QString& zNumber)
{
    return s("insert into EditHist (idevice,ivictim,changedate,anumber,znumber) values (") + n(device) + s(",") +
           n(code) + s(",") + SqlValue::quoted(SqlValue::dateTimeText(moment)) + s(",") + SqlValue::quoted(aNumber) +
           s(",") + SqlValue::quoted(zNumber) + s(");");
}

inline QString serviceLogInsert(qint64 nextRep, const QDateTime& moment, const QVariant& oldLast,
                                const QVariant& oldNext, const QVariant& newLast, const QVariant& newNext)
{
    return s("insert into RepHist (inextrep,changedate,lastdate,expecteddate,newdate,nextdate) values (") + n(nextRep) +
           s(",") + SqlValue::quoted(SqlValue::dateTimeText(moment)) + s(",") + logValue(oldLast) + s(",") +
           logValue(oldNext) + s(",") + logValue(newLast) + s(",") + logValue(newNext) + s(");");
}

// `pairs` holds old and new location, place, state, setup place and setup date, in that order.
inline QString moveLogInsert(qint64 device, const QDateTime& moment, const QVariantList& pairs)
{
    QString text = s("insert into MovHist (idevice,changedate,ilastlocation,inewlocation,ilastlocset,inewlocset,"
                     "ilaststate,inewstate,lastsetplace,newsetplace,lastsetdate,newsetdate) values (") +
                   n(device) + s(",") + SqlValue::quoted(SqlValue::dateTimeText(moment));
    for (const QVariant& value : pairs)
        text += s(",") + logValue(value);
    return text + s(");");
}

// A log entry as the logs with an author column take it: that column last, the name quoted.
inline QString withAuthor(QString logInsert, const QString& author)
{
    logInsert.replace(s(") values ("), s(",changedby) values ("));
    logInsert.chop(2);
    return logInsert + s(",") + SqlValue::quoted(author) + s(");");
}

inline QString intervalUseCount(qint64 devRep)
{
    return s("select count(*) from NextRep where IDevRep = ") + n(devRep) + s(";");
}

// Moves every next date of an interval by its new interval, by the engine's month arithmetic.
inline QString intervalDateUpdate(double rtMon, qint64 devRep)
{
    return s("update NextRep set NextRep = DateAdd( ") + s("\"m\"") + s(", ") + SqlValue::number(rtMon) +
           s(", LastRep) where IDevRep = ") + n(devRep) + s(";");
}

// Kits: the depth probe of `depth` levels, the level queries, the restriction of the device list.
inline QString kitDepthProbe(int depth)
{
    QString t = s("select ID_Complect from Complect where IRoot = 0");
    for (int i = 1; i < depth; ++i)
        t = s("select ID_Complect from Complect where IRoot in (%1)").arg(t);
    return t + s(";");
}
inline QString kitLevel0()
{
    return s("select ID_Complect, Name_DevType, Mark_DevType, ANumber, ZNumber from ComplectView where IRoot = 0;");
}
inline QString kitLevel()
{
    return s("select ID_Complect, Name_DevType, Mark_DevType, ANumber, ZNumber from ComplectView where IRoot = "
             ":ID_Complect;");
}
inline QString kitMembers(qint64 node)
{
    return s("select IDevice from Complect where IRoot = %1").arg(node);
}
inline QString kitDeviceList(qint64 node)
{
    return s("select * from Pasport where ID_Device in (%1)").arg(kitMembers(node)) + s(" and\r1=1;");
}
inline QString kitRow(qint64 node)
{
    return s("select IRoot, IDevice, ID_Complect from Complect where ID_Complect = %1;").arg(node);
}
inline QString kitChildren(qint64 node)
{
    return s("select IRoot, IDevice, ID_Complect from Complect where IRoot = %1;").arg(node);
}
inline QString kitInsert(qint64 node, qint64 device)
{
    return s("insert into Complect (IRoot,IDevice) values (%1,%2);").arg(node).arg(device);
}
inline QString kitDelete(qint64 node)
{
    return s("delete from Complect where ID_Complect = ") + n(node) + s(";");
}

// ---------------------------------------------------------------------------------------------------
// Types, services schedule and malfunctions windows.

inline QStringList typeDatasets()
{
    return {
        s("select * from devtype where devtype.id_devtype = :id_devtype;"),
        s("select * from Naim order by Name_Naim;"),
        s("select * from Prec order by Name_Prec;"),
        s("select * from Construct order by Name_Construct;"),
        s("select * from Maker order by Name_Maker;"),
        s("SELECT ID_DevRep, IDevType, RT_Mon, IRep, ICrew FROM DevRep WHERE IDevType = :ID_DevType order by "
          "ICrew,IRep;"),
        s("SELECT * FROM Reps;"),
        s("SELECT Crew.ID_Crew, Crew.Name_Crew, Depart.Name_Depart FROM Crew LEFT JOIN Depart ON Crew.IDepart = "
          "Depart.ID_Depart;"),
    };
}

inline QString typeCopy(qint64 type)
{
    return s("select * from DevType where id_DevType = ") + n(type) + s(";");
}

inline QStringList malfunctionDatasets()
{
    return {
        s("SELECT  * FROM Refusal where ID_Refusal = :ID_Refusal;"),
        s("select ID_Device, ANumber, ZNumber, Name_DevType from Pasport"),
        s("select ID_GroupNaimen, Name_GroupNaimen from RefusalGroupNaimen;"),
        s("select * from RefusalNaimen where IGroupNaimen = :IGroupNaimen;"),
        s("select * from Document;"),
        s("select * from RefusalParam;"),
        s("select * from Dimention;"),
        s("select * from RefusParamValue where RefusParamValue.IRefusal = :ID_Refusal;"),
    };
}

inline QString malfunctionCopy(qint64 refusal)
{
    return s("select * from Refusal where id_refusal = ") + n(refusal) + s(";");
}
inline QString malfunctionParamsDelete(qint64 refusal)
{
    return s("delete from RefusParamValue where IRefusal = ") + n(refusal) + s(";");
}

// ---------------------------------------------------------------------------------------------------
// Labour planning: counts and allowances, crew structure, norm state, the type report.

inline QString crewSelector()
{
    return s("SELECT Crew.ID_Crew, Depart.ID_Depart, [Depart.Name_Depart] + '  ,  ' + [Crew.Name_Crew]  as Crew1 "
             "FROM Crew LEFT JOIN Depart ON Crew.IDepart = Depart.ID_Depart ;");
}

inline QStringList accountDatasets()
{
    return {
        crewSelector(),
        s("select DevType.ID_DevType, DevType.Name_DevType, DevType.Mark_DevType, DevTypeCount.Count, "
          "DevTypeCount.ID_DevTypeCount, DevTypeCount.ICrew, DevTypeCount.IDevType from DevType left join "
          "DevTypeCount on DevTypeCount.IDevType = DevType.ID_DevType where DevTypeCount.ICrew=:ID_Crew;"),
        s("SELECT IDevType, ICrew FROM DevTypeCount WHERE ID_DevTypeCount = :ID_DevTypeCount;"),
        s("select  * from DevRep where IDevType = :IDevType AND ICrew = :ICrew;"),
        s("select * from RepCath where IDevRep = :ID_DevRep;"),
        s("SELECT * FROM Reps;"),
        s("SELECT * FROM Cathegory ORDER BY Cathegory;"),
        s("SELECT Crew.ID_Crew, Depart.ID_Depart, [Depart.Name_Depart] + '  ,  ' + [Crew.Name_Crew]  as Crew1, "
          "Crew.Name_Crew, Depart.Name_Depart FROM Crew LEFT JOIN Depart ON Crew.IDepart = Depart.ID_Depart;"),
        s("select * from CrewListView where ICrew = :ID_Crew;"),
        s("SELECT * FROM CrewList where ID_CrewList = :ID_CrewList ;"),
        s("SELECT * FROM Cathegory order by Cathegory;"),
        s("SELECT * FROM WorkDayLenth order by Lenth;"),
        s("SELECT * FROM DayFund order by DayFundNum;"),
        s("SELECT * FROM LostDayUsed order by LostDayUsed;"),
        s("SELECT * FROM LostDayMiscPC order by LostDayMiscPC;"),
        s("SELECT Crew.ID_Crew, Depart.ID_Depart, [Depart.Name_Depart] + '  ,  ' + [Crew.Name_Crew]  as Crew1 FROM "
          "Crew LEFT JOIN Depart ON Crew.IDepart = Depart.ID_Depart;"),
        s("select * from NormState where ICrew = :ID_Crew;"),
    };
}

// Keeps one DevTypeCount row per existing pair of type and crew (run when the page is shown or left).
inline QStringList countSync()
{
    return {
        s("INSERT INTO DevTypeCount ( IDevType, ICrew ) SELECT DevType.ID_DevType, Crew.ID_Crew FROM DevType, Crew "
          "WHERE (select count(idevtype) from devtypecount where idevtype =  DevType.ID_DevType and icrew =  "
          "Crew.ID_Crew)=0;"),
        s("DELETE FROM DevTypeCount WHERE DevTypeCount.ID_DevTypeCount not in (SELECT DevTypeCount.ID_DevTypeCount "
          "FROM (DevTypeCount INNER JOIN DevType ON DevTypeCount.IDevType = DevType.ID_DevType) INNER JOIN Crew ON "
          "DevTypeCount.ICrew = Crew.ID_Crew);"),
    };
}

// Run after a type row is posted on the counts page; `count` empty writes NULL.
inline QStringList countPost(const QVariant& count, qint64 type, qint64 crew)
{
    return {
        s(" DELETE FROM DevTypeCount WHERE DevTypeCount.ID_DevTypeCount not in  (SELECT "
          "DevTypeCount.ID_DevTypeCount FROM (DevTypeCount INNER JOIN  DevType ON DevTypeCount.IDevType = "
          "DevType.ID_DevType) INNER JOIN  Crew ON DevTypeCount.ICrew = Crew.ID_Crew);"),
        s(" INSERT INTO DevTypeCount ( IDevType, ICrew )  SELECT DevType.ID_DevType, Crew.ID_Crew  FROM DevType, "
          "Crew  WHERE (select count(idevtype) from devtypecount where idevtype =   DevType.ID_DevType and icrew =  "
          "Crew.ID_Crew)=0;"),
        s(" UPDATE DevTypeCount SET DevTypeCount.Count = ") + SqlValue::literal(count) +
            s(" WHERE DevTypeCount.IDevType = ") + n(type) + s(" AND DevTypeCount.ICrew = ") + n(crew) + s(";"),
    };
}

inline QString crewMemberCopy(qint64 crewList)
{
    return s("select * from CrewList where id_crewlist = ") + n(crewList) + s(";");
}

inline QString normMinFund(qint64 crew)
{
    return s("select min( DayFundP1E ) as [mini] from CrewList where ICrew = ") + n(crew) + s(";");
}
inline QString normInsert(qint64 crew)
{
    return s("insert into NormState (ICrew,ICathegory,PlanHour) select AccountView.ID_Crew,AccountView.ID_Cathegory, "
             "Sum(AccountView.Value) from AccountView inner join Cathegory on Cathegory.ID_Cathegory = "
             "AccountView.ID_Cathegory where not exists ( select NormState.ICrew, NormState.ICathegory from NormState "
             "where AccountView.ID_Crew = NormState.ICrew and AccountView.ID_Cathegory = NormState.ICathegory  ) and "
             "AccountView.ID_Crew = ") +
           n(crew) + s(" group by AccountView.ID_Crew,AccountView.ID_Cathegory;");
}
inline QString normPlanHours(qint64 crew, qint64 category)
{
    return s("select Sum(AccountView.Value) as [sum]from AccountView where AccountView.ID_Crew = ") + n(crew) +
           s(" and AccountView.ID_Cathegory = ") + n(category) + s(";");
}
inline QString normCategoriesOutsideCrew(qint64 crew)
{
    return s("select cathegory.cathegory from normstate left join cathegory on cathegory.id_cathegory = "
             "normstate.icathegory where normstate.icathegory not in ( select icathegory from crewlist where icrew "
             "= ") +
           n(crew) + s(" ) and normstate.icrew = ") + n(crew) + s(";");
}
inline QString normMinFundUpdate(double minFund, qint64 crew)
{
    return s("update normstate set PlanP1E = ") + SqlValue::number(minFund) +
           s(" where normstate.icathegory not in ( select icathegory from crewlist where icrew = ") + n(crew) +
           s(" ) and normstate.icrew = ") + n(crew) + s(";");
}
inline QString normCrewFunds(qint64 crew)
{
    return s("select DayFundP1E, icathegory from CrewList where ICrew = ") + n(crew) + s(";");
}

inline QString reportServices(qint64 crew)
{
    return s("select Reps.Name_Reps, Reps.Short_Reps, Reps.ID_Reps from DevRep left join Reps on Reps.ID_Reps = "
             "DevRep.IRep where ICrew = ") +
           n(crew) + s(" group by Reps.Name_Reps, Reps.Short_Reps, Reps.ID_Reps order by Reps.ID_Reps;");
}

// ---------------------------------------------------------------------------------------------------
// Yearly plan and its pivot.

inline QString planSource()
{
    return s("select * from nextrepview;");
}
inline QString planClear()
{
    return s("Delete from YearReport;");
}
inline QString planInsert(qint64 device, const QDate& day, qint64 service)
{
    return s("insert into YearReport (idevice,repdate,irep) values (") + n(device) + s(",") + s("'") +
           SqlValue::dateText(day) + s("',") + n(service) + s(");");
}

// The month-count query of the pivot, restricted by `restriction` (the window's condition after its
// "where", and its row filter) when there is one.
inline QString monthCounts(const QString& restriction = {})
{
    QStringList lines{s("select month, short_reps, count(month) as [Count]"), s("from yearreportview"),
                      s("group by month, short_reps;")};
    if (!restriction.isEmpty())
        lines.insert(2, s("where ") + restriction);
    return lines.join(s("\r\n"));
}

} // namespace corpus
