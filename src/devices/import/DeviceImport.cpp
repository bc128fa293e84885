#include "devices/import/DeviceImport.h"

#include "data/Clock.h"
#include "data/DatabaseError.h"
#include "data/LogAuthor.h"
#include "data/ResultSet.h"
#include "data/SqlCommand.h"
#include "data/SqlConnection.h"
#include "data/Transaction.h"
#include "devices/import/ImportValues.h"
#include "devices/import/TableSource.h"
#include "devices/rules/DeviceLogs.h"
#include "devices/rules/DeviceRecordRules.h"
#include "devices/rules/IntervalBatch.h"
#include "devices/rules/ServiceDates.h"

#include <QHash>
#include <QIODevice>
#include <QSet>
#include <cmath>

using F = ImportField;
using ImportValues::nameKey;

namespace {

// The simple lists a device refers to by name: the field, its table and the list's title.
struct ListSpec {
    F field;
    const char* table;
    const char16_t* title;
};
const ListSpec kLists[] = {
    {F::Location, "Location", u"Расположения"}, {F::State, "State", u"Состояния"},
    {F::System, "System", u"Системы"},          {F::Class, "Class", u"Классы"},
    {F::Mere, "Mere", u"Виды измерения"},       {F::Dest, "Dest", u"Назначения"},
    {F::Marg, "Marg", u"Пределы измерения"},    {F::Scale, "Scale", u"Шкалы"},
    {F::Grade, "Grade", u"Градуировки"},        {F::Depart, "Depart", u"Подразделения"},
};

// The device columns a row may fill, with the key column a reference goes to.
struct DeviceColumn {
    F field;
    const char* column;
};
const DeviceColumn kDeviceColumns[] = {
    {F::System, "ISystem"},    {F::ZNumber, "ZNumber"},   {F::ANumber, "ANumber"},   {F::Location, "ILocation"},
    {F::LocSet, "ILocSet"},    {F::Class, "IClass"},      {F::Mere, "IMere"},        {F::Dest, "IDest"},
    {F::Marg, "IMarg"},        {F::State, "IState"},      {F::SetDate, "SetDate"},   {F::SetPlace, "SetPlace"},
    {F::Scale, "IScale"},      {F::Grade, "IGrade"},      {F::InputDate, "InputDate"}, {F::Comments, "Comments"},
};

QString pairKey(qint64 a, qint64 b) { return QString::number(a) + QLatin1Char('|') + QString::number(b); }

QString idList(const QList<qint64>& ids)
{
    QStringList texts;
    for (qint64 id : ids)
        texts.append(QString::number(id));
    return texts.join(QStringLiteral(", "));
}

} // namespace

// One run over the rows: the lists read once up front, the prepared writes, the counts.
struct DeviceImport::Run {
    SqlConnection& db;
    const ImportMapping& mapping;
    const ImportOptions& options;
    ImportResult result;

    // name key -> ids, per list table
    QHash<QString, QHash<QString, QList<qint64>>> lists;
    QHash<QString, QList<qint64>> locSets; // "location|name"
    struct TypeRow {
        qint64 id;
        QString name;
        QString markKey;
    };
    QHash<QString, QList<TypeRow>> types;  // by name key
    struct CrewRow {
        qint64 id;
        bool hasDepart;
    };
    QHash<QString, QList<CrewRow>> crews;
    QHash<QString, QList<qint64>> repsByShort, repsByName;
    struct Interval {
        qint64 id;
        QVariant rtMon;
    };
    QHash<QString, Interval> intervals;      // "type|crew|rep"
    QHash<QString, qint64> storedDevices;    // "serial|type"
    QSet<QString> deviceCrews;               // "device|crew"
    QSet<QString> deviceServices;            // "device|interval"
    struct FileDevice {
        qint64 id;
        int row;
        QString signature;
    };
    QHash<QString, FileDevice> fileDevices;  // devices the file added or updated, by "serial|type"

    std::unique_ptr<SqlCommand> insertDevice, updateDevice, insertEditLog, insertCrew, insertService;
    QList<F> updatedFields;
    std::optional<QString> author;
    QDateTime now;

    // the row at hand
    int row = 0;
    QVariantList cells;
    QString text[kImportFieldCount];
    QList<ImportIssue> rowIssues;

    Run(SqlConnection& connection, const ImportMapping& m, const ImportOptions& o)
        : db(connection), mapping(m), options(o)
    {
    }

    // ------------------------------------------------------------ reading the lists
    void readLists()
    {
        for (const ListSpec& list : kLists) {
            const QString table = QString::fromLatin1(list.table);
            auto& index = lists[table];
            db.readRows(QStringLiteral("select ID_%1, Name_%1 from %1").arg(table), {}, [&](const ResultSet& rs) {
                for (int r = 0; r < rs.rowCount(); ++r)
                    if (!rs.isNull(r, 1))
                        index[nameKey(rs.text(r, 1))].append(rs.integer(r, 0));
                return true;
            });
        }
        readAll(QStringLiteral("select ID_LocSet, ILocation, Name_LocSet from LocSet"), [&](const ResultSet& rs, int r) {
            locSets[QString::number(rs.integer(r, 1)) + QLatin1Char('|') + nameKey(rs.text(r, 2))].append(
                rs.integer(r, 0));
        });
        readAll(QStringLiteral("select ID_DevType, Name_DevType, Mark_DevType from DevType"),
                [&](const ResultSet& rs, int r) {
                    types[nameKey(rs.text(r, 1))].append({rs.integer(r, 0), rs.text(r, 1), nameKey(rs.text(r, 2))});
                });
        readAll(QStringLiteral("select Crew.ID_Crew, Crew.Name_Crew, Depart.ID_Depart from Crew left join Depart on "
                               "Depart.ID_Depart = Crew.IDepart"),
                [&](const ResultSet& rs, int r) {
                    crews[nameKey(rs.text(r, 1))].append({rs.integer(r, 0), !rs.isNull(r, 2)});
                });
        readAll(QStringLiteral("select ID_Reps, Name_Reps, Short_Reps from Reps"), [&](const ResultSet& rs, int r) {
            repsByName[nameKey(rs.text(r, 1))].append(rs.integer(r, 0));
            repsByShort[nameKey(rs.text(r, 2))].append(rs.integer(r, 0));
        });
        readAll(QStringLiteral("select ID_DevRep, IDevType, ICrew, IRep, RT_Mon from DevRep order by ID_DevRep"),
                [&](const ResultSet& rs, int r) {
                    const QString key = QStringLiteral("%1|%2|%3")
                                            .arg(rs.integer(r, 1))
                                            .arg(rs.integer(r, 2))
                                            .arg(rs.integer(r, 3));
                    if (!intervals.contains(key))
                        intervals.insert(key, {rs.integer(r, 0), rs.value(r, 4)});
                });
        readAll(QStringLiteral("select ID_Device, ZNumber, IDevType from Device order by ID_Device"),
                [&](const ResultSet& rs, int r) {
                    const QString serial = nameKey(rs.text(r, 1));
                    if (!serial.isEmpty() && !rs.isNull(r, 2))
                        storedDevices.insert(serial + QLatin1Char('|') + QString::number(rs.integer(r, 2)),
                                             rs.integer(r, 0));
                });
        readAll(QStringLiteral("select IDevice, ICrew from DevCrew"), [&](const ResultSet& rs, int r) {
            deviceCrews.insert(pairKey(rs.integer(r, 0), rs.integer(r, 1)));
        });
        readAll(QStringLiteral("select IDevice, IDevRep from NextRep"), [&](const ResultSet& rs, int r) {
            deviceServices.insert(pairKey(rs.integer(r, 0), rs.integer(r, 1)));
        });
    }

    template <typename Take> void readAll(const QString& statement, Take take)
    {
        db.readRows(statement, {}, [&](const ResultSet& rs) {
            for (int r = 0; r < rs.rowCount(); ++r)
                take(rs, r);
            return true;
        });
    }

    void prepare()
    {
        QStringList columns{QStringLiteral("IDevType"), QStringLiteral("ChangeDate")};
        for (const DeviceColumn& c : kDeviceColumns)
            columns.append(QString::fromLatin1(c.column));
        QStringList params;
        for (const QString& c : columns)
            params.append(QLatin1Char(':') + c);
        insertDevice = std::make_unique<SqlCommand>(
            db, QStringLiteral("insert into Device (%1) values (%2)").arg(columns.join(QLatin1Char(',')),
                                                                          params.join(QLatin1Char(','))));
        QStringList sets{QStringLiteral("ChangeDate = :ChangeDate")};
        for (const DeviceColumn& c : kDeviceColumns)
            if (mapping.isMapped(c.field) || (c.field == F::LocSet && mapping.isMapped(F::Location))) {
                updatedFields.append(c.field);
                sets.append(QStringLiteral("%1 = :%1").arg(QString::fromLatin1(c.column)));
            }
        updateDevice = std::make_unique<SqlCommand>(
            db, QStringLiteral("update Device set %1 where ID_Device = :ID_Device").arg(sets.join(QStringLiteral(", "))));
        author = LogAuthor::forNewEntry(db);
        insertEditLog = std::make_unique<SqlCommand>(
            db, author ? QStringLiteral("insert into EditHist (idevice,ivictim,changedate,anumber,znumber,changedby) "
                                        "values (:idevice,:ivictim,:changedate,:anumber,:znumber,:changedby)")
                       : QStringLiteral("insert into EditHist (idevice,ivictim,changedate,anumber,znumber) "
                                        "values (:idevice,:ivictim,:changedate,:anumber,:znumber)"));
        insertCrew = std::make_unique<SqlCommand>(
            db, QStringLiteral("insert into DevCrew (IDevice, ICrew) values (:IDevice, :ICrew)"));
        insertService = std::make_unique<SqlCommand>(
            db, QStringLiteral("insert into NextRep (IDevice, IDevRep, LastRep, NextRep) values (:IDevice, :IDevRep, "
                               ":LastRep, :NextRep)"));
        now = Clock::now();
    }

    // ------------------------------------------------------------ one row
    QString title(F field) const
    {
        const int column = mapping.columnOf(field);
        const QString t = column >= 0 ? mapping.header().value(column) : QString();
        return t.isEmpty() ? importField(field).caption : t;
    }
    void refuse(F field, const QString& reason) { rowIssues.append({row, title(field), reason, true}); }
    const QString& value(F field) const { return text[int(field)]; }
    QVariant cell(F field) const
    {
        const int column = mapping.columnOf(field);
        return column >= 0 ? cells.value(column) : QVariant();
    }

    void readRow()
    {
        for (int f = 0; f < kImportFieldCount; ++f)
            text[f] = cellText(cell(F(f))).trimmed();
    }

    bool serviceGiven() const
    {
        return !value(F::Service).isEmpty() || !value(F::Interval).isEmpty() || !value(F::Crew).isEmpty() ||
               !value(F::LastRep).isEmpty();
    }

    // The checks that need no list: a type, sizes, dates, numbers, a complete service.
    void checkValues(QDate dates[kImportFieldCount], std::optional<double>& interval)
    {
        if (value(F::TypeName).isEmpty())
            refuse(F::TypeName, QStringLiteral("не указан тип устройства"));
        for (const ImportFieldSpec& spec : importFields()) {
            const QString& v = value(spec.field);
            if (spec.maxLength > 0 && v.size() > spec.maxLength)
                refuse(spec.field,
                       QStringLiteral("длиннее %1 знаков (%2)").arg(spec.maxLength).arg(v.size()));
            if (spec.kind == ImportKind::Date) {
                const auto parsed = ImportValues::date(cell(spec.field));
                if (!parsed.refusal.isEmpty())
                    refuse(spec.field, parsed.refusal);
                dates[int(spec.field)] = parsed.date;
            }
        }
        const auto number = ImportValues::number(cell(F::Interval));
        if (!number.refusal.isEmpty())
            refuse(F::Interval, number.refusal);
        else if (number.number && IntervalChecks::isNegative(*number.number))
            refuse(F::Interval, QStringLiteral("интервал %1 меньше нуля").arg(value(F::Interval)));
        interval = number.number;
        if (serviceGiven()) {
            if (value(F::Service).isEmpty())
                refuse(F::Service, QStringLiteral("не указано обслуживание"));
            if (value(F::Crew).isEmpty())
                refuse(F::Crew, QStringLiteral("не указана бригада, выполняющая обслуживание"));
        }
        if (!value(F::LocSet).isEmpty() && value(F::Location).isEmpty())
            refuse(F::LocSet, QStringLiteral("место установки указано без расположения"));
    }

    void noteCreated(const QString& list, const QString& name)
    {
        result.created.append(QStringLiteral("%1: %2").arg(list, name));
    }

    qint64 insertNamed(const QString& table, const QString& column, const QString& name)
    {
        db.execute(QStringLiteral("insert into %1 (%2) values (:name)").arg(table, column),
                   {{QStringLiteral("name"), name}});
        return db.lastInsertId();
    }

    QString notFound(const QString& list, const QString& name) const
    {
        return QStringLiteral("«%1» нет в списке «%2»").arg(name, list);
    }

    // A key from a list by name; created when asked, otherwise the row is refused.
    QVariant listKey(const ListSpec& list)
    {
        const QString& name = value(list.field);
        if (name.isEmpty())
            return {};
        const QString table = QString::fromLatin1(list.table);
        const QString listTitle = QString::fromUtf16(list.title);
        auto& index = lists[table];
        const QList<qint64> ids = index.value(nameKey(name));
        if (ids.size() == 1)
            return ids.first();
        if (ids.size() > 1) {
            refuse(list.field, QStringLiteral("«%1» в списке «%2» не одно (коды %3)").arg(name, listTitle, idList(ids)));
            return {};
        }
        if (!options.createMissing) {
            refuse(list.field, notFound(listTitle, name));
            return {};
        }
        const qint64 id = insertNamed(table, QStringLiteral("Name_") + table, name);
        index[nameKey(name)].append(id);
        noteCreated(listTitle, name);
        return id;
    }

    QVariant locSetKey(const QVariant& location)
    {
        const QString& name = value(F::LocSet);
        if (name.isEmpty() || location.isNull())
            return {};
        const QString key = location.toString() + QLatin1Char('|') + nameKey(name);
        const QList<qint64> ids = locSets.value(key);
        if (ids.size() == 1)
            return ids.first();
        if (ids.size() > 1) {
            refuse(F::LocSet, QStringLiteral("место «%1» у расположения не одно (коды %2)").arg(name, idList(ids)));
            return {};
        }
        if (!options.createMissing) {
            refuse(F::LocSet, QStringLiteral("у расположения «%1» нет места «%2»").arg(value(F::Location), name));
            return {};
        }
        db.execute(QStringLiteral("insert into LocSet (Name_LocSet, ILocation) values (:name, :location)"),
                   {{QStringLiteral("name"), name}, {QStringLiteral("location"), location}});
        const qint64 id = db.lastInsertId();
        locSets[key].append(id);
        noteCreated(QStringLiteral("Места установки"), value(F::Location) + QStringLiteral(" / ") + name);
        return id;
    }

    // A type by its name and, when the file gives one, its model.
    QVariant typeKey()
    {
        const QString& name = value(F::TypeName);
        const QString& mark = value(F::TypeMark);
        QList<qint64> ids;
        for (const TypeRow& t : types.value(nameKey(name)))
            if (mark.isEmpty() || t.markKey == nameKey(mark))
                ids.append(t.id);
        if (ids.size() == 1)
            return ids.first();
        if (ids.size() > 1) {
            refuse(F::TypeName, mark.isEmpty() && !mapping.isMapped(F::TypeMark)
                                    ? QStringLiteral("типов «%1» в списке несколько (коды %2): укажите марку")
                                          .arg(name, idList(ids))
                                    : QStringLiteral("тип «%1» с этой маркой в списке не один (коды %2)")
                                          .arg(name, idList(ids)));
            return {};
        }
        const QString shown = mark.isEmpty() ? name : name + QStringLiteral(" ") + mark;
        if (!options.createMissing) {
            refuse(F::TypeName, notFound(QStringLiteral("Типы"), shown));
            return {};
        }
        db.execute(QStringLiteral("insert into DevType (Name_DevType, Mark_DevType) values (:name, :mark)"),
                   {{QStringLiteral("name"), name}, {QStringLiteral("mark"), mark.isEmpty() ? QVariant() : mark}});
        const qint64 id = db.lastInsertId();
        types[nameKey(name)].append({id, name, nameKey(mark)});
        noteCreated(QStringLiteral("Типы"), shown);
        return id;
    }

    QVariant crewKey()
    {
        const QString& name = value(F::Crew);
        const QList<CrewRow> found = crews.value(nameKey(name));
        if (found.size() > 1) {
            QList<qint64> ids;
            for (const CrewRow& c : found)
                ids.append(c.id);
            refuse(F::Crew, QStringLiteral("бригад «%1» в списке несколько (коды %2)").arg(name, idList(ids)));
            return {};
        }
        if (found.size() == 1) {
            // The services a device can have are those of crews that belong to a department.
            if (!found.first().hasDepart) {
                refuse(F::Crew, QStringLiteral("бригада «%1» не входит ни в одно подразделение").arg(name));
                return {};
            }
            return found.first().id;
        }
        if (!options.createMissing) {
            refuse(F::Crew, notFound(QStringLiteral("Бригады"), name));
            return {};
        }
        if (value(F::Depart).isEmpty()) {
            refuse(F::Crew, QStringLiteral("бригады «%1» нет; чтобы её добавить, укажите подразделение").arg(name));
            return {};
        }
        const QVariant depart = listKey(kLists[9]);
        if (depart.isNull())
            return {};
        db.execute(QStringLiteral("insert into Crew (Name_Crew, IDepart) values (:name, :depart)"),
                   {{QStringLiteral("name"), name}, {QStringLiteral("depart"), depart}});
        const qint64 id = db.lastInsertId();
        crews[nameKey(name)].append({id, true});
        noteCreated(QStringLiteral("Бригады"), name);
        return id;
    }

    QVariant serviceKey()
    {
        const QString& name = value(F::Service);
        QList<qint64> ids = repsByShort.value(nameKey(name));
        if (ids.isEmpty())
            ids = repsByName.value(nameKey(name));
        if (ids.size() == 1)
            return ids.first();
        if (ids.size() > 1) {
            refuse(F::Service, QStringLiteral("обслуживание «%1» в списке не одно (коды %2)").arg(name, idList(ids)));
            return {};
        }
        if (!options.createMissing) {
            refuse(F::Service, notFound(QStringLiteral("Обслуживания"), name));
            return {};
        }
        if (name.size() > 5) {
            refuse(F::Service, QStringLiteral("обслуживания «%1» нет, а его аббревиатура длиннее 5 знаков").arg(name));
            return {};
        }
        db.execute(QStringLiteral("insert into Reps (Name_Reps, Short_Reps) values (:name, :short)"),
                   {{QStringLiteral("name"), name}, {QStringLiteral("short"), name}});
        const qint64 id = db.lastInsertId();
        repsByShort[nameKey(name)].append(id);
        noteCreated(QStringLiteral("Обслуживания"), name);
        return id;
    }

    // The type's interval of this service for this crew.
    std::optional<Interval> intervalOf(qint64 type, qint64 crew, qint64 rep, const std::optional<double>& months)
    {
        const QString key = QStringLiteral("%1|%2|%3").arg(type).arg(crew).arg(rep);
        if (const auto it = intervals.constFind(key); it != intervals.constEnd()) {
            const QVariant stored = it->rtMon;
            if (months && (stored.isNull() || std::fabs(stored.toDouble() - *months) > 5e-7)) {
                refuse(F::Interval, QStringLiteral("у типа для этой бригады интервал обслуживания %1, а не %2")
                                        .arg(stored.isNull() ? QStringLiteral("не задан") : stored.toString(),
                                             value(F::Interval)));
                return std::nullopt;
            }
            return *it;
        }
        if (!options.createMissing) {
            refuse(F::Service, QStringLiteral("у типа «%1» нет обслуживания «%2» для бригады «%3»")
                                   .arg(value(F::TypeName), value(F::Service), value(F::Crew)));
            return std::nullopt;
        }
        if (!months) {
            refuse(F::Interval, QStringLiteral("не указан интервал нового обслуживания типа"));
            return std::nullopt;
        }
        db.execute(QStringLiteral("insert into DevRep (IDevType, ICrew, IRep, RT_Mon) values (:type, :crew, :rep, :months)"),
                   {{QStringLiteral("type"), type},
                    {QStringLiteral("crew"), crew},
                    {QStringLiteral("rep"), rep},
                    {QStringLiteral("months"), *months}});
        const Interval made{db.lastInsertId(), *months};
        intervals.insert(key, made);
        noteCreated(QStringLiteral("Обслуживания типа"),
                    QStringLiteral("%1 / %2 / %3").arg(value(F::TypeName), value(F::Service), value(F::Crew)));
        return made;
    }

    QString signature() const
    {
        QStringList parts;
        for (const DeviceColumn& c : kDeviceColumns)
            parts.append(nameKey(value(c.field)));
        parts.append(nameKey(value(F::TypeMark)));
        return parts.join(QChar(0x1F));
    }

    QVariantList deviceValues(const QVariant& type, const QHash<F, QVariant>& keys, QDate dates[])
    {
        QVariantList values{type, now};
        for (const DeviceColumn& c : kDeviceColumns)
            values.append(columnValue(c.field, keys, dates));
        return values;
    }

    QVariant columnValue(F field, const QHash<F, QVariant>& keys, QDate dates[]) const
    {
        if (keys.contains(field))
            return keys.value(field);
        if (importField(field).kind == ImportKind::Date)
            return dates[int(field)].isValid() ? QVariant(QDateTime(dates[int(field)], QTime(0, 0))) : QVariant();
        return value(field).isEmpty() ? QVariant() : QVariant(value(field));
    }

    void writeEditLog(qint64 device, DeviceLogs::EditKind kind, const QVariant& aNumber, const QVariant& zNumber)
    {
        QVariantList values{device, int(kind), now, aNumber.toString(), zNumber.toString()};
        if (author)
            values.append(author->isEmpty() ? QVariant() : QVariant(*author));
        insertEditLog->run(values);
    }

    qint64 addDevice(const QVariant& type, const QHash<F, QVariant>& keys, QDate dates[])
    {
        insertDevice->run(deviceValues(type, keys, dates));
        const qint64 id = db.lastInsertId();
        writeEditLog(id, DeviceLogs::EditKind::Added, value(F::ANumber), value(F::ZNumber));
        ++result.devicesAdded;
        return id;
    }

    // Only the mapped columns that hold a value change; where the device moved, the move log says so.
    void updateDevice_(qint64 id, const QHash<F, QVariant>& keys, QDate dates[])
    {
        auto before = db.select(QStringLiteral("select ILocation, ILocSet, IState, SetPlace, SetDate, ANumber, ZNumber, "
                                               "ISystem, IClass, IMere, IDest, IMarg, IScale, IGrade, InputDate, Comments "
                                               "from Device where ID_Device = ") +
                                QString::number(id));
        const auto stored = [&](const char* column) { return before->value(0, before->indexOf(QString::fromLatin1(column))); };
        QVariantList values{now};
        QHash<F, QVariant> after;
        for (const DeviceColumn& c : kDeviceColumns) {
            if (!updatedFields.contains(c.field))
                continue;
            QVariant v = columnValue(c.field, keys, dates);
            if (v.isNull()) {
                v = stored(c.column);
                // A place belongs to one location: moving the device elsewhere leaves its old place behind.
                if (c.field == F::LocSet && !value(F::Location).isEmpty() &&
                    !DeviceRecordRules::placeBelongsTo(db, v, keys.value(F::Location)))
                    v = QVariant();
            }
            after.insert(c.field, v);
            values.append(v);
        }
        values.append(id);
        const auto now_ = [&](F field, const char* column) { return after.contains(field) ? after.value(field) : stored(column); };
        DeviceLogs::writeMoveLog(db, id,
                                 {stored("ILocation"), stored("ILocSet"), stored("IState"), stored("SetPlace"), stored("SetDate")},
                                 {now_(F::Location, "ILocation"), now_(F::LocSet, "ILocSet"), now_(F::State, "IState"),
                                  now_(F::SetPlace, "SetPlace"), now_(F::SetDate, "SetDate")});
        updateDevice->run(values);
        writeEditLog(id, DeviceLogs::EditKind::Edited, now_(F::ANumber, "ANumber"), now_(F::ZNumber, "ZNumber"));
        ++result.devicesUpdated;
    }

    void addService(qint64 device, qint64 crew, const Interval& interval, const QDate& last)
    {
        if (!deviceCrews.contains(pairKey(device, crew))) {
            insertCrew->run({device, crew});
            deviceCrews.insert(pairKey(device, crew));
            ++result.crewsAdded;
        }
        if (deviceServices.contains(pairKey(device, interval.id))) {
            skip(F::Service, QStringLiteral("у устройства уже есть обслуживание «%1» бригады «%2»")
                                 .arg(value(F::Service), value(F::Crew)));
            return;
        }
        const QDateTime lastRep = last.isValid() ? QDateTime(last, QTime(0, 0)) : QDateTime();
        QVariant next;
        if (lastRep.isValid() && !interval.rtMon.isNull())
            next = ServiceDates::CountNextDate(lastRep, interval.rtMon).next;
        insertService->run({device, interval.id, lastRep.isValid() ? QVariant(lastRep) : QVariant(), next});
        deviceServices.insert(pairKey(device, interval.id));
        ++result.servicesAdded;
    }

    QString skipped;
    void skip(F field, const QString& reason)
    {
        result.issues.append({row, title(field), reason, false});
        ++result.skipped;
        skipped = reason;
    }

    // What the row comes to; empty when it is stored.
    void importRow()
    {
        rowIssues.clear();
        skipped.clear();
        readRow();
        QDate dates[kImportFieldCount];
        std::optional<double> months;
        checkValues(dates, months);
        if (!rowIssues.isEmpty())
            return;
        const QVariant type = typeKey();
        QHash<F, QVariant> keys;
        for (const ListSpec& list : kLists)
            if (list.field != F::Depart)
                keys.insert(list.field, listKey(list));
        keys.insert(F::LocSet, locSetKey(keys.value(F::Location)));
        std::optional<Interval> interval;
        QVariant crew;
        if (serviceGiven() && !type.isNull()) {
            crew = crewKey();
            const QVariant rep = serviceKey();
            if (!crew.isNull() && !rep.isNull())
                interval = intervalOf(type.toLongLong(), crew.toLongLong(), rep.toLongLong(), months);
        }
        if (interval && dates[int(F::LastRep)].isValid() && !interval->rtMon.isNull()) {
            const auto counted = ServiceDates::CountNextDate(QDateTime(dates[int(F::LastRep)], QTime(0, 0)), interval->rtMon);
            if (counted.refusal == ServiceDates::Refusal::BeyondCalendar)
                refuse(F::LastRep, QStringLiteral("следующая дата обслуживания выходит за 31.12.9999"));
        }
        if (!rowIssues.isEmpty())
            return;

        const QString serial = nameKey(value(F::ZNumber));
        const QString key = serial + QLatin1Char('|') + type.toString();
        std::optional<qint64> device;
        if (!serial.isEmpty()) {
            if (const auto it = fileDevices.constFind(key); it != fileDevices.constEnd()) {
                if (it->signature != signature() || !interval) {
                    skip(F::ZNumber, QStringLiteral("заводской номер «%1» с типом «%2» уже был в строке %3")
                                         .arg(value(F::ZNumber), value(F::TypeName))
                                         .arg(it->row));
                    return;
                }
                device = it->id;
            } else if (const auto stored = storedDevices.constFind(key); stored != storedDevices.constEnd()) {
                if (!options.updateExisting) {
                    skip(F::ZNumber, QStringLiteral("устройство с заводским номером «%1» и типом «%2» уже есть (код %3)")
                                         .arg(value(F::ZNumber), value(F::TypeName))
                                         .arg(*stored));
                    return;
                }
                updateDevice_(*stored, keys, dates);
                device = *stored;
                fileDevices.insert(key, {*stored, row, signature()});
            }
        }
        if (!device) {
            device = addDevice(type, keys, dates);
            if (!serial.isEmpty())
                fileDevices.insert(key, {*device, row, signature()});
        }
        if (interval)
            addService(*device, crew.toLongLong(), *interval, dates[int(F::LastRep)]);
    }

    void noteVerdict()
    {
        if (result.verdicts.size() >= DeviceImport::kPreviewRows)
            return;
        ImportRowVerdict verdict;
        verdict.row = row;
        for (int c = 0; c < mapping.header().size(); ++c)
            verdict.cells.append(cellText(cells.value(c)).trimmed());
        if (!rowIssues.isEmpty()) {
            QStringList reasons;
            for (const ImportIssue& issue : rowIssues)
                reasons.append(issue.column + QStringLiteral(": ") + issue.reason);
            verdict.verdict = QStringLiteral("Отказ: ") + reasons.join(QStringLiteral("; "));
            verdict.refused = true;
        } else if (!skipped.isEmpty()) {
            verdict.verdict = QStringLiteral("Пропуск: ") + skipped;
        } else {
            verdict.verdict = QStringLiteral("Принято");
        }
        result.verdicts.append(verdict);
    }
};

DeviceImport::DeviceImport(SqlConnection& connection, const ImportMapping& mapping, const ImportOptions& options)
    : m_connection(connection), m_mapping(mapping), m_options(options)
{
}

DeviceImport::~DeviceImport() = default;

bool DeviceImport::readHeader(TableSource& source, int headerRow, QStringList& header, QString& error)
{
    QVariantList cells;
    int row = 0;
    while (source.next(cells, row)) {
        if (row < headerRow)
            continue;
        header.clear();
        for (const QVariant& cell : cells)
            header.append(cellText(cell).trimmed());
        return true;
    }
    error = !source.error().isEmpty() ? source.error() : QStringLiteral("в файле нет строки заголовка: он пуст");
    return false;
}

ImportResult DeviceImport::run(TableSource& source, const Progress& progress)
{
    Run run(m_connection, m_mapping, m_options);
    if (!m_mapping.isMapped(ImportField::TypeName)) {
        run.result.error = QStringLiteral("ни один столбец не сопоставлен полю «Тип»: без типа устройство не добавить");
        return run.result;
    }
    try {
        Transaction transaction(m_connection);
        run.readLists();
        run.prepare();
        while (source.next(run.cells, run.row)) {
            ++run.result.rows;
            run.importRow();
            if (!run.rowIssues.isEmpty()) {
                ++run.result.refused;
                run.result.issues.append(run.rowIssues);
            }
            run.noteVerdict();
            if (progress && run.result.rows % 256 == 0 && !progress(source.progress(), run.result.rows)) {
                run.result.cancelled = true;
                return run.result;
            }
            if (m_options.rowLimit > 0 && run.result.rows >= m_options.rowLimit)
                break;
        }
        if (!source.error().isEmpty()) {
            run.result.error = source.error();
            return run.result;
        }
        if (run.result.rows == 0) {
            run.result.error = QStringLiteral("в файле нет строк с данными, только заголовок");
            return run.result;
        }
        if (run.result.refused > 0 || m_options.dryRun || m_options.rowLimit > 0)
            return run.result;
        m_connection.execute(DeviceLogs::pruneStatement(DeviceLogs::Log::Edit, Clock::today()));
        transaction.commit();
        run.result.stored = true;
    } catch (const DatabaseError& e) {
        run.result.error = e.message();
        run.result.stored = false;
    }
    return run.result;
}

void DeviceImport::writeReport(const QList<ImportIssue>& issues, QIODevice& out)
{
    const auto field = [](QString text) {
        if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n')))
            text = QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        return text;
    };
    QByteArray bytes("\xEF\xBB\xBF");
    bytes += QStringLiteral("Строка;Столбец;Причина;Итог\r\n").toUtf8();
    for (const ImportIssue& issue : issues)
        bytes += (QString::number(issue.row) + QLatin1Char(';') + field(issue.column) + QLatin1Char(';') +
                  field(issue.reason) + QLatin1Char(';') +
                  (issue.refused ? QStringLiteral("отказ") : QStringLiteral("пропущено")) + QStringLiteral("\r\n"))
                     .toUtf8();
    out.write(bytes);
}

QString DeviceImport::summary(const ImportResult& result)
{
    if (!result.error.isEmpty())
        return QStringLiteral("Импорт не выполнен: %1. В базе данных ничего не изменено.").arg(result.error);
    if (result.cancelled)
        return QStringLiteral("Импорт прерван после %1 строк. В базе данных ничего не изменено.").arg(result.rows);
    QStringList lines;
    lines.append(QStringLiteral("Строк прочитано: %1.").arg(result.rows));
    if (result.refused > 0)
        lines.append(QStringLiteral("Строк с ошибками: %1. В базе данных ничего не изменено: исправьте файл и "
                                    "повторите импорт.")
                         .arg(result.refused));
    lines.append((result.stored ? QStringLiteral("Добавлено устройств: %1, обновлено: %2; обслуживаний: %3; "
                                                  "бригад устройств: %4.")
                                : QStringLiteral("Было бы добавлено устройств: %1, обновлено: %2; обслуживаний: %3; "
                                                 "бригад устройств: %4."))
                     .arg(result.devicesAdded)
                     .arg(result.devicesUpdated)
                     .arg(result.servicesAdded)
                     .arg(result.crewsAdded));
    if (result.skipped > 0)
        lines.append(QStringLiteral("Пропущено повторов: %1.").arg(result.skipped));
    if (!result.created.isEmpty())
        lines.append(QStringLiteral("Добавлено в списки: %1.").arg(result.created.size()));
    if (result.stored)
        lines.append(QStringLiteral("Импорт выполнен."));
    else if (result.refused == 0)
        lines.append(QStringLiteral("Проверка: ошибок нет, ничего не записано."));
    return lines.join(QLatin1Char('\n'));
}
