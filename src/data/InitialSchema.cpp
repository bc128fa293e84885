#include "data/InitialSchema.h"

#include "data/DatabaseError.h"
#include "data/SchemaIndexes.h"
#include "data/SqlConnection.h"

namespace {

// Every table's own key is an identity column; every other column may be empty, except the names a
// type and a service must have.
const char* const kStatements[] = {
    "create table Depart ( ID_Depart int IDENTITY UNIQUE PRIMARY KEY, Name_Depart varchar(240) null );",
    "create table Crew ( ID_Crew int IDENTITY UNIQUE PRIMARY KEY, Name_Crew varchar(240) null, IDepart int null );",
    "create table Location ( ID_Location int IDENTITY UNIQUE PRIMARY KEY, Name_Location varchar(50) null );",
    "create table LocSet ( ID_LocSet int IDENTITY UNIQUE PRIMARY KEY, Name_LocSet varchar(50) null, "
    "ILocation int null, ISystem int null, ISheet int null, IRoom int null, IPanel int null, GUID varchar(50) null );",
    "create table State ( ID_State int IDENTITY UNIQUE PRIMARY KEY, Name_State varchar(50) null );",
    "create table System ( ID_System int IDENTITY UNIQUE PRIMARY KEY, Name_System varchar(50) null );",
    "create table Class ( ID_Class int IDENTITY UNIQUE PRIMARY KEY, Name_Class varchar(50) null, ISystem int null );",
    "create table Mere ( ID_Mere int IDENTITY UNIQUE PRIMARY KEY, Name_Mere varchar(50) null, IClass int null, "
    "ISystem int null );",
    "create table Dest ( ID_Dest int IDENTITY UNIQUE PRIMARY KEY, Name_Dest varchar(50) null, IMere int null, "
    "ISystem int null );",
    "create table Naim ( ID_Naim int IDENTITY UNIQUE PRIMARY KEY, Name_Naim varchar(50) null, IDest int null, "
    "ISystem int null );",
    "create table Marg ( ID_Marg int IDENTITY UNIQUE PRIMARY KEY, Name_Marg varchar(50) null );",
    "create table Scale ( ID_Scale int IDENTITY UNIQUE PRIMARY KEY, Name_Scale varchar(50) null );",
    "create table Grade ( ID_Grade int IDENTITY UNIQUE PRIMARY KEY, Name_Grade varchar(50) null );",
    "create table Prec ( ID_Prec int IDENTITY UNIQUE PRIMARY KEY, Name_Prec decimal(18,6) null );",
    "create table Maker ( ID_Maker int IDENTITY UNIQUE PRIMARY KEY, Name_Maker varchar(50) null );",
    "create table Construct ( ID_Construct int IDENTITY UNIQUE PRIMARY KEY, Name_Construct varchar(50) null );",
    "create table Cathegory ( ID_Cathegory int IDENTITY UNIQUE PRIMARY KEY, Name_Cathegory varchar(50) null, "
    "Cathegory smallint null );",
    "create table DevType ( ID_DevType int IDENTITY UNIQUE PRIMARY KEY, INaim int null, "
    "Name_DevType varchar(50) not null, Mark_DevType varchar(50) null, IPrec int null, IConstruct int null, "
    "IMaker int null, Srok int null, Otkaz int null, Comments varchar(255) null );",
    "create table Reps ( ID_Reps int IDENTITY UNIQUE PRIMARY KEY, IDepart int null, Name_Reps varchar(50) not null, "
    "Short_Reps varchar(5) not null );",
    "create table Device ( ID_Device int IDENTITY UNIQUE PRIMARY KEY, ISystem int null, IDevType int null, "
    "ZNumber varchar(80) null, ANumber varchar(80) null, ILocation int null, ILocSet int null, IClass int null, "
    "IMere int null, IDest int null, IMarg int null, INaim int null, IState int null, SetPlace varchar(50) null, "
    "IScale int null, IGrade int null, InputDate datetime null, Comments varchar(128) null );",
    "create table DevRep ( ID_DevRep int IDENTITY UNIQUE PRIMARY KEY, IDevType int null, ICrew int null, "
    "IRep int null, R_No int null, RT_Mon decimal(18,6) null, RT decimal(18,6) null, RT_PC decimal(18,6) null, "
    "RCount decimal(18,6) null );",
    "create table NextRep ( ID_NextRep int IDENTITY UNIQUE PRIMARY KEY, IDevice int null, IDevRep int null, "
    "LastRep datetime null, NextRep datetime null );",
    "create table DevCrew ( ID_DevCrew int IDENTITY UNIQUE PRIMARY KEY, IDevice int null, ICrew int null );",
    "create table YearReport ( ID_YearReport int IDENTITY UNIQUE PRIMARY KEY, IDevice int null, "
    "repdate datetime null, IRep int null );",
    "create table Info ( ID_Info int not null PRIMARY KEY, Info_name varchar(50) null );",
    // Left joins throughout, like the views the program creates: a type without a name, accuracy,
    // design or maker, and a service row whose device or interval is gone, are still listed.
    "create view Type as SELECT DevType.ID_DevType, DevType.Name_DevType, DevType.Mark_DevType, Naim.Name_Naim, "
    "Prec.Name_Prec, Construct.Name_Construct, Maker.Name_Maker, DevType.Srok, DevType.Otkaz, DevType.Comments "
    "FROM (((DevType LEFT JOIN Naim ON DevType.INaim = Naim.ID_Naim) LEFT JOIN Prec ON DevType.IPrec = Prec.ID_Prec) "
    "LEFT JOIN Construct ON DevType.IConstruct = Construct.ID_Construct) "
    "LEFT JOIN Maker ON DevType.IMaker = Maker.ID_Maker;",
    "create view nextrepview as SELECT Device.ANumber, Device.ZNumber, DevType.Name_DevType, DevType.Mark_DevType, "
    "Reps.Short_Reps, Reps.Name_Reps, NextRep.LastRep, NextRep.NextRep, DevRep.RT_Mon, NextRep.IDevice, "
    "Device.IDevType, NextRep.IDevRep, DevRep.IRep, NextRep.ID_NextRep "
    "FROM (((NextRep LEFT JOIN Device ON NextRep.IDevice = Device.ID_Device) "
    "LEFT JOIN DevType ON Device.IDevType = DevType.ID_DevType) "
    "LEFT JOIN DevRep ON NextRep.IDevRep = DevRep.ID_DevRep) LEFT JOIN Reps ON DevRep.IRep = Reps.ID_Reps;",
};

} // namespace

QStringList InitialSchema::statements()
{
    QStringList result;
    for (const char* statement : kStatements)
        result.append(QString::fromLatin1(statement));
    return result;
}

void InitialSchema::create(SqlConnection& connection)
{
    connection.begin();
    try {
        for (const QString& statement : statements())
            connection.execute(statement);
        SchemaIndexes::create(connection);
        connection.commit();
    } catch (...) {
        connection.rollback();
        throw;
    }
}
