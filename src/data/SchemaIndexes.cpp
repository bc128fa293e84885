#include "data/SchemaIndexes.h"

#include "data/DatabaseError.h"
#include "data/SqlConnection.h"

namespace {

struct IndexedColumn {
    const char* table;
    const char* column;
    const char* second = nullptr; // a second column for lookups by both
};

// Reference columns used in joins and reference checks, and the dates that logs are pruned and plans
// are walked by.
constexpr IndexedColumn kIndexes[] = {
    {"Device", "IDevType"},      {"Device", "ILocation"},      {"Device", "ILocSet"},
    {"Device", "IState"},        {"Device", "ISystem"},        {"NextRep", "IDevice"},
    {"NextRep", "IDevRep"},      {"NextRep", "NextRep"},       {"DevCrew", "IDevice"},
    {"DevCrew", "ICrew"},        {"DevRep", "IDevType"},       {"DevRep", "ICrew"},
    {"DevRep", "IRep"},          {"Crew", "IDepart"},          {"LocSet", "ILocation"},
    {"DevType", "INaim"},        {"YearReport", "IDevice"},    {"EditHist", "IDevice"},
    {"EditHist", "ChangeDate"},  {"MovHist", "IDevice"},       {"MovHist", "ChangeDate"},
    {"RepHist", "INextRep"},     {"RepHist", "ChangeDate"},    {"Complect", "IRoot"},
    {"Complect", "IDevice"},     {"Refusal", "IDevice"},       {"RefusalNaimen", "IGroupNaimen"},
    {"RefusParamValue", "IRefusal"}, {"RepCath", "IDevRep"},   {"DevTypeCount", "IDevType"},
    {"DevTypeCount", "ICrew"},   {"CrewList", "ICrew"},        {"NormState", "ICrew"},
    // The labour window looks a count up by type and crew for every pair when it keeps the pairs
    // complete: by one column alone that is a scan of every type of the crew, for each pair.
    {"DevTypeCount", "IDevType", "ICrew"},
};

} // namespace

QStringList SchemaIndexes::statements()
{
    QStringList result;
    for (const IndexedColumn& index : kIndexes) {
        const QString table = QString::fromLatin1(index.table);
        const QString column = QString::fromLatin1(index.column);
        if (index.second) {
            const QString second = QString::fromLatin1(index.second);
            result.append(QStringLiteral("CREATE INDEX IF NOT EXISTS ix_%1_%2_%3 ON %1 (%2, %3);").arg(table, column, second));
        } else {
            result.append(QStringLiteral("CREATE INDEX IF NOT EXISTS ix_%1_%2 ON %1 (%2);").arg(table, column));
        }
    }
    return result;
}

void SchemaIndexes::create(SqlConnection& connection)
{
    for (const QString& statement : statements()) {
        try {
            connection.execute(statement);
        } catch (const DatabaseError&) {
            // The table is not there yet (an initial file) or has another shape: the index is only
            // an aid, so the work goes on without it.
        }
    }
}
