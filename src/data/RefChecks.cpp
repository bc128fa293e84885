#include "data/RefChecks.h"

#include "data/DMFrm.h"
#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "text/StrList.h"

#include <initializer_list>

namespace {

// One referring table of a check, with the message that reports it. `otherColumn`, when set, is a
// second column of the same table holding the same key; a row counts once.
struct Referrer {
    const char* table;
    const char* column;
    Str message;
    const char* otherColumn = nullptr;
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

int countEitherColumn(const Referrer& r, int key)
{
    const QString table = QString::fromLatin1(r.table);
    const QString number = QString::number(key);
    ScratchUse qry;
    qry->setSql(QStringLiteral(" SELECT count(*) as [count]  FROM ") + table + QStringLiteral(" WHERE ") + table +
                QLatin1Char('.') + QString::fromLatin1(r.column) + QStringLiteral(" = ") + number + QStringLiteral(" OR ") +
                table + QLatin1Char('.') + QString::fromLatin1(r.otherColumn) + QStringLiteral(" = ") + number +
                QStringLiteral(" ;"));
    qry->open();
    return qry->isActive() ? qry->value(QStringLiteral("count")).toInt() : -1;
}

QString countAll(std::initializer_list<Referrer> referrers, int key)
{
    QString text;
    for (const Referrer& r : referrers) {
        const int count = r.otherColumn ? countEitherColumn(r, key)
                                        : CountReferences(QString::fromLatin1(r.table), QString::fromLatin1(r.column), key);
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

QString CheckSystemRefs(int key) { return countAll({{"Device", "ISystem", Str::RefCheckValueDevices}}, key); }
QString CheckClassRefs(int key) { return countAll({{"Device", "IClass", Str::RefCheckValueDevices}}, key); }
QString CheckMeasurementRefs(int key) { return countAll({{"Device", "IMere", Str::RefCheckValueDevices}}, key); }
QString CheckAssignmentRefs(int key) { return countAll({{"Device", "IDest", Str::RefCheckValueDevices}}, key); }
QString CheckRangeRefs(int key) { return countAll({{"Device", "IMarg", Str::RefCheckValueDevices}}, key); }
QString CheckScaleRefs(int key) { return countAll({{"Device", "IScale", Str::RefCheckValueDevices}}, key); }
QString CheckGraduationRefs(int key) { return countAll({{"Device", "IGrade", Str::RefCheckValueDevices}}, key); }

// The shift log keeps the state, location and place a device had and got: deleting one of them would
// blank that history.
QString CheckStateRefs(int key)
{
    return countAll({{"Device", "IState", Str::RefCheckValueDevices},
                     {"MovHist", "ILastState", Str::RefCheckValueShiftLog, "INewState"}},
                    key);
}

QString CheckLocationRefs(int key)
{
    return countAll({{"Device", "ILocation", Str::RefCheckValueDevices},
                     {"MovHist", "ILastLocation", Str::RefCheckValueShiftLog, "INewLocation"}},
                    key);
}

QString CheckPlaceRefs(int key)
{
    return countAll({{"Device", "ILocSet", Str::RefCheckValueDevices},
                     {"MovHist", "ILastLocSet", Str::RefCheckValueShiftLog, "INewLocSet"}},
                    key);
}

QString CheckTypeNameRefs(int key) { return countAll({{"DevType", "INaim", Str::RefCheckValueTypes}}, key); }
QString CheckAccuracyRefs(int key) { return countAll({{"DevType", "IPrec", Str::RefCheckValueTypes}}, key); }
QString CheckDesignRefs(int key) { return countAll({{"DevType", "IConstruct", Str::RefCheckValueTypes}}, key); }
QString CheckMakerRefs(int key) { return countAll({{"DevType", "IMaker", Str::RefCheckValueTypes}}, key); }

QString CheckDimensionRefs(int key)
{
    return countAll({{"RefusalParam", "IDimention", Str::RefCheckValueParameters}}, key);
}

QString CheckDocumentRefs(int key)
{
    return countAll({{"Refusal", "IDocument", Str::RefCheckValueMalfunctions}}, key);
}

QString CheckParameterRefs(int key)
{
    return countAll({{"RefusParamValue", "IParam", Str::RefCheckValueParameterValues}}, key);
}

QString CheckMalfunctionGroupRefs(int key)
{
    return countAll({{"Refusal", "IGroupNaimen", Str::RefCheckValueMalfunctions}}, key);
}

QString CheckMalfunctionNameRefs(int key)
{
    return countAll({{"Refusal", "INaimen", Str::RefCheckValueMalfunctions}}, key);
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
