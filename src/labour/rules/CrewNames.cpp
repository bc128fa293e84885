#include "labour/rules/CrewNames.h"

#include "data/ResultSet.h"
#include "data/SqlConnection.h"

CrewNames CrewNames::read(SqlConnection& connection, const QVariant& crewId)
{
    if (crewId.isNull() || !crewId.isValid())
        return {};
    const auto rows = connection.select(QStringLiteral("select Depart.Name_Depart, Crew.Name_Crew from Crew left join "
                                                       "Depart on Crew.IDepart = Depart.ID_Depart where Crew.ID_Crew = :Crew;"),
                                        {{QStringLiteral("Crew"), crewId}});
    if (rows->rowCount() == 0)
        return {};
    return {rows->value(0, 0).toString(), rows->value(0, 1).toString()};
}
