#include "devices/rules/DeviceRecordRules.h"

#include "data/Clock.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "data/RefChecks.h"
#include "devices/rules/DeviceLogs.h"
#include "text/StrList.h"

namespace {

qint64 idOf(const Dataset& device) { return device.value(QStringLiteral("ID_Device")).toLongLong(); }

DeviceLogs::Placement placement(const Dataset& device, bool before)
{
    const auto v = [&](const char* field) {
        const QString name = QString::fromLatin1(field);
        return before ? device.oldValue(name) : device.value(name);
    };
    return {v("ILocation"), v("ILocSet"), v("IState"), v("SetPlace"), v("SetDate")};
}

bool sameKey(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a.toLongLong() == b.toLongLong();
}

} // namespace

DeviceRecordRules::DeviceRecordRules(Dataset& device, QObject* parent) : QObject(parent), m_device(device)
{
    device.setAtomicWrites(true);
    device.afterEdit.connect([this](Dataset&) { m_kind = ChangeKind::Edited; });
    device.afterInsert.connect([this](Dataset&) { m_kind = ChangeKind::Inserted; });
    device.beforePost.connect([this](Dataset&) { beforePost(); });
    device.afterPost.connect([this](Dataset&) { afterPost(); });
    device.beforeDelete.connect([this](Dataset&) { beforeDelete(); });
    device.afterDelete.connect([this](Dataset&) { afterDelete(); });
}

const QStringList& DeviceRecordRules::sameColumns()
{
    static const QStringList columns{QStringLiteral("ISystem"), QStringLiteral("IDevType"), QStringLiteral("IClass"),
                                     QStringLiteral("IMere"),   QStringLiteral("IDest"),    QStringLiteral("IMarg"),
                                     QStringLiteral("INaim"),   QStringLiteral("IScale"),   QStringLiteral("IGrade")};
    return columns;
}

QString DeviceRecordRules::sameStatement(qint64 device)
{
    return QStringLiteral("select * from Device where id_device = ") + QString::number(device) + QLatin1Char(';');
}

const QStringList& DeviceRecordRules::cleanUpStatements()
{
    static const QStringList statements{
        QStringLiteral(" DELETE Refusal.IDevice FROM refusal WHERE (((refusal.IDevice) Not In (select id_device from "
                       "device)));"),
        QStringLiteral(" DELETE RefusParamValue.IRefusal FROM RefusParamValue WHERE (((RefusParamValue.IRefusal) Not "
                       "In (select id_refusal from refusals)));"),
        QStringLiteral(" DELETE FROM NextRep WHERE (((NextRep.IDevice) Not In (select id_device from device)));"),
        QStringLiteral(" DELETE FROM DevCrew WHERE (((DevCrew.IDevice) Not In (select id_device from device)));")};
    return statements;
}

QString DeviceRecordRules::pickListStatement(const QString& column)
{
    return QStringLiteral("select %1 from device order by %1").arg(column.toLower());
}

int DeviceRecordRules::nextServiceCount(SqlConnection& connection, qint64 device)
{
    return connection
        .scalar(QStringLiteral("select count(*) from NextRep where IDevice = ") + QString::number(device) +
                QLatin1Char(';'))
        .toInt();
}

bool DeviceRecordRules::typeChanged(const QVariant& before, const QVariant& now) { return !sameKey(before, now); }

bool DeviceRecordRules::placeBelongsTo(SqlConnection& connection, const QVariant& locSet, const QVariant& location)
{
    if (locSet.isNull())
        return true;
    const QVariant owner = connection.scalar(QStringLiteral("select ILocation from LocSet where ID_LocSet = ") +
                                             QString::number(locSet.toLongLong()) + QLatin1Char(';'));
    return sameKey(owner, location);
}

void DeviceRecordRules::beforePost()
{
    SqlConnection& connection = *m_device.connection();
    m_device.setValue(QStringLiteral("ChangeDate"), Clock::now());

    // The services of a device are intervals of its type: the type cannot change under them.
    const QVariant typeBefore = m_device.oldValue(QStringLiteral("IDevType"));
    if (m_device.state() == Dataset::State::Edit && typeChanged(typeBefore, m_device.value(QStringLiteral("IDevType"))) &&
        nextServiceCount(connection, idOf(m_device)) > 0) {
        Messages::error(messageText(Text(Str::DeviceTypeChangeRefused)));
        m_device.setValue(QStringLiteral("IDevType"), typeBefore);
    }

    // A place belongs to one location: moving the device elsewhere leaves its old place behind.
    const QVariant location = m_device.value(QStringLiteral("ILocation"));
    if (!sameKey(location, m_device.oldValue(QStringLiteral("ILocation"))) &&
        !placeBelongsTo(connection, m_device.value(QStringLiteral("ILocSet")), location))
        m_device.setValue(QStringLiteral("ILocSet"), QVariant());

    if (m_device.state() == Dataset::State::Edit)
        DeviceLogs::writeMoveLog(connection, idOf(m_device), placement(m_device, true), placement(m_device, false));
}

void DeviceRecordRules::afterPost()
{
    const auto kind = m_kind == ChangeKind::Inserted ? DeviceLogs::EditKind::Added : DeviceLogs::EditKind::Edited;
    DeviceLogs::writeEditLog(*m_device.connection(), idOf(m_device), kind, m_device.value(QStringLiteral("ANumber")),
                             m_device.value(QStringLiteral("ZNumber")));
}

void DeviceRecordRules::beforeDelete()
{
    RefuseDeleteIfReferenced(m_device, QStringLiteral("ID_Device"), CheckDeviceRefs);
    DeviceLogs::writeEditLog(*m_device.connection(), idOf(m_device), DeviceLogs::EditKind::Deleted,
                             m_device.value(QStringLiteral("ANumber")), m_device.value(QStringLiteral("ZNumber")));
}

void DeviceRecordRules::afterDelete()
{
    for (const QString& statement : cleanUpStatements())
        m_device.connection()->execute(statement);
    if (m_afterDeletion)
        m_afterDeletion();
}
