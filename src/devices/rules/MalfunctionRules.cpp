#include "devices/rules/MalfunctionRules.h"

#include "data/Clock.h"
#include "data/Dataset.h"

#include <QDateTime>

namespace MalfunctionRules {

const QStringList& sameColumns()
{
    static const QStringList columns{
        QStringLiteral("NDate"),     QStringLiteral("IGroupNaimen"), QStringLiteral("INaimen"),
        QStringLiteral("ExectNaimen"), QStringLiteral("BriefCase"),  QStringLiteral("NCount"),
        QStringLiteral("Action"),    QStringLiteral("IDocument"),    QStringLiteral("IDevice"),
        QStringLiteral("Podpis")};
    return columns;
}

QString sameStatement(qint64 entry)
{
    return QStringLiteral("select * from Refusal where id_refusal = ") + QString::number(entry) + QLatin1Char(';');
}

QString deleteValuesStatement(qint64 entry)
{
    return QStringLiteral("delete from RefusParamValue where IRefusal = ") + QString::number(entry) + QLatin1Char(';');
}

void fillNewEntry(Dataset& entry, const QVariant& device)
{
    // Seconds only: the stored form of a moment has no fractions.
    const QDateTime now = Clock::now();
    entry.setValue(QStringLiteral("NDate"), QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(),
                                                                        now.time().second())));
    entry.setValue(QStringLiteral("NCount"), 1);
    if (!device.isNull())
        entry.setValue(QStringLiteral("IDevice"), device);
}

QVariant deviceOfFilter(const QString& filterText)
{
    bool isNumber = false;
    const qint64 device = filterText.trimmed().toLongLong(&isNumber);
    return isNumber ? QVariant(device) : QVariant();
}

} // namespace MalfunctionRules

MalfunctionEntryRules::MalfunctionEntryRules(Dataset& entry, QObject* parent) : QObject(parent)
{
    entry.setAtomicWrites(true);
    entry.beforeDelete.connect([this](Dataset& ds) {
        const QVariant id = ds.value(QStringLiteral("ID_Refusal"));
        if (!id.isNull())
            ds.connection()->execute(MalfunctionRules::deleteValuesStatement(id.toLongLong()));
    });
    entry.afterDelete.connect([this](Dataset&) {
        if (m_afterDeletion)
            m_afterDeletion();
    });
}

ParameterValueRules::ParameterValueRules(Dataset& values, std::function<QVariant()> currentEntry, QObject* parent)
    : QObject(parent), m_values(values), m_currentEntry(std::move(currentEntry))
{
    values.beforePost.connect([this](Dataset& ds) { ds.setValue(QStringLiteral("IRefusal"), m_currentEntry()); });
}

bool ParameterValueRules::canAdd() const
{
    return m_values.isActive() && !m_values.isEditing() && !m_currentEntry().isNull();
}

bool ParameterValueRules::canDelete() const
{
    return m_values.isActive() && !m_values.isEditing() && !m_values.isEmpty();
}
