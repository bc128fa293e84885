#include "devices/rules/ServiceRules.h"

#include "data/Dataset.h"
#include "data/MessageService.h"
#include "data/RefChecks.h"
#include "devices/rules/DeviceLogs.h"
#include "devices/rules/IntervalBatch.h"
#include "text/StrList.h"

namespace {
const QString kRtMon = QStringLiteral("RT_Mon");
}

void refuseNegativeInterval(const Dataset& interval)
{
    if (IntervalChecks::isNegative(interval.value(kRtMon))) {
        Messages::error(messageText(Text(Str::IntervalNegative)));
        abortOperation();
    }
}

bool hasCurrentDevice(const Dataset& device)
{
    return device.isActive() && !device.isEmpty() && !device.value(QStringLiteral("ID_Device")).isNull();
}

void refuseWithoutDevice(const Dataset& device)
{
    if (hasCurrentDevice(device))
        return;
    Messages::warning(messageText(Text(Str::DeviceNoCurrent)));
    abortOperation();
}

// ---------------------------------------------------------------- next-service rows

NextServiceRules::NextServiceRules(Dataset& nextRep, Dataset& device, QObject* parent)
    : QObject(parent), m_nextRep(nextRep), m_device(device)
{
    nextRep.setAtomicWrites(true);
    nextRep.beforePost.connect([this](Dataset& ds) {
        refuseWithoutDevice(m_device);
        ds.setValue(QStringLiteral("IDevice"), m_device.value(QStringLiteral("ID_Device")));
        if (ds.state() != Dataset::State::Edit)
            return;
        const auto dates = [&ds](bool before) {
            const auto v = [&](const char* f) {
                return before ? ds.oldValue(QString::fromLatin1(f)) : ds.value(QString::fromLatin1(f));
            };
            return DeviceLogs::ServiceDatesPair{v("LastRep"), v("NextRep")};
        };
        DeviceLogs::writeServiceLog(*ds.connection(), ds.value(QStringLiteral("ID_NextRep")).toLongLong(), dates(true),
                                    dates(false));
    });
}

// ---------------------------------------------------------------- crews of a device

DeviceCrewRules::DeviceCrewRules(Dataset& devCrew, Dataset& device, QObject* parent) : QObject(parent)
{
    devCrew.beforePost.connect([&device](Dataset& ds) {
        refuseWithoutDevice(device);
        ds.setValue(QStringLiteral("IDevice"), device.value(QStringLiteral("ID_Device")));
    });
}

// ---------------------------------------------------------------- intervals in the device window

DeviceIntervalRules::DeviceIntervalRules(Dataset& interval, Dataset& device, Dataset& crewDevType, QObject* parent)
    : QObject(parent), m_interval(interval), m_device(device), m_crewDevType(crewDevType)
{
    interval.setAtomicWrites(true);
    interval.beforePost.connect([this](Dataset&) { beforePost(); });
    GuardDeletion(interval, QStringLiteral("ID_DevRep"), CheckServiceRowRefs);
}

bool DeviceIntervalRules::canAdd() const
{
    const auto has = [](const Dataset& ds, const char* field) {
        return ds.isActive() && !ds.isEmpty() && !ds.value(QString::fromLatin1(field)).isNull();
    };
    return has(m_device, "IDevType") && has(m_crewDevType, "ICrew");
}

void DeviceIntervalRules::beforePost()
{
    refuseNegativeInterval(m_interval);
    m_interval.setValue(QStringLiteral("IDevType"), m_device.value(QStringLiteral("IDevType")));
    m_interval.setValue(QStringLiteral("ICrew"), m_crewDevType.value(QStringLiteral("ICrew")));
    if (m_interval.state() != Dataset::State::Edit)
        return;
    const QVariant rtMon = m_interval.value(kRtMon);
    if (rtMon.isNull()) // an empty interval moves nothing
        return;
    SqlConnection& connection = *m_interval.connection();
    const qint64 id = m_interval.value(QStringLiteral("ID_DevRep")).toLongLong();
    const int moved = IntervalBatch::movableCount(connection, id);
    if (moved > 0 && Messages::confirm(messageText(FormatText(Str::DeviceIntervalUpdateConfirm, moved))))
        IntervalBatch::run(connection, id, rtMon.toDouble());
}

// ---------------------------------------------------------------- intervals in the types window

TypeIntervalRules::TypeIntervalRules(Dataset& interval, Dataset& type, Dataset& crews, QObject* parent)
    : QObject(parent), m_interval(interval), m_type(type), m_crews(crews)
{
    interval.setAtomicWrites(true);
    interval.beforePost.connect([this](Dataset&) { beforePost(); });
    GuardDeletion(interval, QStringLiteral("ID_DevRep"), CheckServiceRowRefs);
}

void TypeIntervalRules::beforePost()
{
    refuseNegativeInterval(m_interval);
    if (m_interval.value(QStringLiteral("ICrew")).isNull()) {
        if (!m_crews.isActive() || m_crews.isEmpty()) {
            Messages::error(messageText(Text(Str::TypeNoCrews)));
            abortOperation();
        }
        m_interval.setValue(QStringLiteral("ICrew"), m_crews.value(QStringLiteral("ID_Crew")));
        Messages::error(messageText(Text(Str::TypeCrewRequired)));
    }
    m_interval.setValue(QStringLiteral("IDevType"), m_type.value(QStringLiteral("ID_DevType")));
}
