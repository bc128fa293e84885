#include "data/RefChecks.h"

#include "data/DMFrm.h"
#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "text/StrList.h"

#include <initializer_list>

namespace {

// One referring table of a check, with the message that reports it.
struct Referrer {
    const char* table;
    const char* column;
    Str message;
};

Dataset& scratchQuery()
{
    TDM* dm = TDM::instance();
    if (!dm)
        throw DatabaseError(QStringLiteral("Модуль данных не создан: проверка ссылок невозможна."));
    return *dm->qry();
}

// Closes the scratch query when a use of it ends, also when a statement fails, so the next user
// finds it closed.
class ScratchUse {
public:
    ScratchUse() : m_query(scratchQuery()) { m_query.close(); }
    ~ScratchUse() { m_query.close(); }
    Dataset* operator->() const { return &m_query; }

private:
    Dataset& m_query;
};

QString reasonLine(Str message, int count) { return FormatText(message, count) + QLatin1Char('\r'); }

QString countAll(std::initializer_list<Referrer> referrers, int key)
{
    QString text;
    for (const Referrer& r : referrers) {
        const int count = CountReferences(QString::fromLatin1(r.table), QString::fromLatin1(r.column), key);
        if (count > 0)
            text += reasonLine(r.message, count);
    }
    return text;
}

// Device counts of 0 or none at all do not tie a crew to a type: only a positive total does.
bool crewCountsDevices(int key)
{
    ScratchUse qry;
    qry->setSql(QStringLiteral("select sum([Count]) as summa from DevTypeCount where ICrew = ") + QString::number(key) +
                QLatin1Char(';'));
    qry->open();
    return qry->isActive() && qry->value(QStringLiteral("summa")).toInt() > 0;
}

} // namespace

int CountReferences(const QString& table, const QString& column, int key)
{
    ScratchUse qry;
    qry->setSql(QStringLiteral(" SELECT count(*) as [count]  FROM ") + table + QStringLiteral(" WHERE ") + table +
                QLatin1Char('.') + column + QStringLiteral(" = ") + QString::number(key) + QStringLiteral(" ;"));
    qry->open();
    if (!qry->isActive())
        return -1;
    return qry->value(QStringLiteral("count")).toInt();
}

QString CheckServiceRefs(int key)
{
    return countAll({{"DevRep", "IRep", Str::RefCheckServiceServiceRows}}, key);
}

QString CheckCategoryRefs(int key)
{
    return countAll({{"CrewList", "ICathegory", Str::RefCheckCategoryCrewList},
                     {"RepCath", "ICathegory", Str::RefCheckCategoryTarifications},
                     {"NormState", "ICathegory", Str::RefCheckCategoryNormState}},
                    key);
}

QString CheckLossRefs(int key)
{
    return countAll({{"CrewList", "ILostDayMiscPC", Str::RefCheckLossCrewList}}, key);
}

QString CheckHolidayRefs(int key)
{
    return countAll({{"CrewList", "ILostDayUsed", Str::RefCheckHolidayCrewList}}, key);
}

QString CheckFundRefs(int key)
{
    return countAll({{"CrewList", "IDayFundNom", Str::RefCheckFundCrewList}}, key);
}

QString CheckDayLengthRefs(int key)
{
    return countAll({{"CrewList", "IWorkDayLenth", Str::RefCheckDayLengthCrewList}}, key);
}

QString CheckCrewRefs(int key)
{
    QString text = countAll({{"DevCrew", "ICrew", Str::RefCheckCrewDevices}, {"DevRep", "ICrew", Str::RefCheckCrewServices}},
                            key);
    // The line tells how many count rows there are, not how many devices they add up to.
    const int countRows = CountReferences(QStringLiteral("DevTypeCount"), QStringLiteral("ICrew"), key);
    if (countRows > 0 && crewCountsDevices(key))
        text += reasonLine(Str::RefCheckCrewTypeCounts, countRows);
    return text + countAll({{"CrewList", "ICrew", Str::RefCheckCrewList}}, key);
}

QString CheckServiceRowRefs(int key)
{
    return countAll({{"NextRep", "IDevRep", Str::RefCheckServiceRowNextServices},
                     {"RepCath", "IDevRep", Str::RefCheckServiceRowTarifications}},
                    key);
}

QString CheckDeviceTypeRefs(int key)
{
    return countAll({{"Device", "IDevType", Str::RefCheckTypeDevices}, {"DevRep", "IDevType", Str::RefCheckTypeIntervals}},
                    key);
}

QString CheckDeviceRefs(int key)
{
    return countAll({{"DevCrew", "IDevice", Str::RefCheckDeviceCrews},
                     {"NextRep", "IDevice", Str::RefCheckDeviceServices},
                     {"Refusal", "IDevice", Str::RefCheckDeviceMalfunctions},
                     {"Complect", "IDevice", Str::RefCheckDeviceKits}},
                    key);
}

void RefuseDeleteIfReferenced(const Dataset& dataset, const QString& keyField, ReferenceCheck check)
{
    const int key = dataset.value(keyField).toInt();
    const QString reasons = check(key);
    if (reasons.isEmpty())
        return;
    Messages::warning(reasons + Text(Str::OperationCanceled));
    abortOperation();
}

void GuardDeletion(Dataset& dataset, const QString& keyField, ReferenceCheck check)
{
    dataset.beforeDelete.connect(
        [keyField, check](Dataset& ds) { RefuseDeleteIfReferenced(ds, keyField, check); });
}
