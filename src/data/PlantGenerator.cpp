#include "data/PlantGenerator.h"

#include "data/BulkStatement.h"
#include "data/Clock.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"

#include <algorithm>

namespace {

QStringList utf8List(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

const QStringList kSetPlaces = utf8List({
    "отм. +0,000", "отм. +4,500", "отм. +8,200", "у входа", "на трубопроводе Ду100", "на трубопроводе Ду50",
    "в шкафу управления", "на щите, панель 2", "на опоре", "у насоса",
});
const QStringList kComments = utf8List({
    "Требуется замена уплотнения", "Установлен после ремонта", "Свидетельство о поверке в паспорте",
    "Заменён в рамках модернизации", "Проверить крепление", "Импульсная линия обогревается",
    "Резервный экземпляр", "Опломбирован",
});
const QStringList kSigns = utf8List({
    "Иванов И.И.", "Петров А.С.", "Сидорова Н.В.", "Кузнецов Д.М.", "Смирнов П.Е.", "Фёдоров В.А.",
});
const QStringList kMoveNotes = utf8List({
    "Перенос по распоряжению главного инженера", "Замена на время ремонта", "Передан на поверку",
    "Возвращён после поверки", "Реконструкция узла",
});
const QStringList kMalfunctionNotes = utf8List({
    "Обнаружено при обходе", "Сигнал от оператора", "Выявлено при поверке", "Срабатывание защиты",
    "Замечание инспекции",
});
const QStringList kReasons = utf8List({
    "Износ", "Вибрация", "Гидроудар", "Перегрев", "Попадание влаги", "Нарушение условий эксплуатации",
    "Заводской брак",
});
const QStringList kActions = utf8List({
    "Заменено стекло", "Произведена настройка", "Заменён датчик", "Прочищена импульсная линия", "Заменён кабель",
    "Отправлен в ремонт", "Подтянуты соединения",
});

QString pickText(QRandomGenerator& random, const QStringList& list)
{
    return list[random.bounded(quint32(list.size()))];
}

int weightedIndex(QRandomGenerator& random, const QList<int>& weights)
{
    int total = 0;
    for (int w : weights)
        total += w;
    int roll = int(random.bounded(quint32(total)));
    for (int i = 0; i < weights.size(); ++i) {
        if (roll < weights[i])
            return i;
        roll -= weights[i];
    }
    return 0;
}

QDate subtractInterval(const QDate& day, double rtMon)
{
    const SqlValue::MonthsDays interval = SqlValue::splitInterval(rtMon);
    return day.addDays(-interval.days).addMonths(-interval.months);
}

} // namespace

PlantGenerator::PlantGenerator(SqlConnection& connection, const PlantCatalogue& catalogue, quint32 seed)
    : m_connection(connection), m_catalogue(catalogue), m_random(seed), m_today(Clock::today()),
      m_now(moment(Clock::now().date(), Clock::now().time().msecsSinceStartOfDay() / 1000))
{
}

QDate PlantGenerator::addInterval(const QDate& day, double rtMon)
{
    // As "Count next date" does it: whole months first (the day clamped to a shorter month), then days.
    const SqlValue::MonthsDays interval = SqlValue::splitInterval(rtMon);
    return day.addMonths(interval.months).addDays(interval.days);
}

QPair<QDate, QDate> PlantGenerator::serviceDates(double rtMon, qint64 serial)
{
    QDate next;
    switch (serial % 10) {
    case 0: // overdue
        next = m_today.addDays(-5 - bounded(60));
        break;
    case 1: // due this month
        next = QDate(m_today.year(), m_today.month(), 1 + bounded(m_today.daysInMonth()));
        break;
    case 2: // due next year
        next = QDate(m_today.year() + 1, 1 + bounded(12), 1 + bounded(28));
        break;
    default: {
        const int span = std::max(1, int(m_today.daysTo(addInterval(m_today, rtMon)) * 11 / 10));
        next = addInterval(m_today.addDays(-bounded(span)), rtMon);
    }
    }
    QDate last = subtractInterval(next, rtMon);
    // A last service is never in the future (the yearly plan refuses such a record).
    if (last > m_today)
        last = m_today.addDays(-bounded(7));
    return {last, addInterval(last, rtMon)};
}

qint64 PlantGenerator::momentBetween(qint64 from, qint64 to)
{
    return to <= from ? from : from + qint64(m_random.bounded(quint64(to - from)));
}

void PlantGenerator::bindMoment(BulkStatement& statement, int index, qint64 moment)
{
    statement.bind(index, dayOf(moment), int(moment % 86400));
}

void PlantGenerator::write(const PlantSize& size)
{
    m_typePool.clear();
    for (int t = 0; t < m_catalogue.types.size(); ++t) {
        const PlantCatalogue::Type& type = m_catalogue.types[t];
        // With a fixed number of services per device, only types offering that many are used.
        if (size.servicesPerDevice > 0 && type.services.size() < size.servicesPerDevice)
            continue;
        for (int w = 0; w < type.weight; ++w)
            m_typePool.append(t);
    }
    planDevices(size.devices);
    planEditTimes(std::max(0, size.editLogRows - int(m_devices.size())));

    writeDevices();
    writeNextServices(size.servicesPerDevice);
    writeMoveLog(size.moveLogRows);
    writeEditLog();
    writeServiceLog(size.serviceLogRows);
    writeKits(size.kits);
    writeMalfunctions(size.malfunctions);
}

void PlantGenerator::planDevices(int count)
{
    m_devices.reserve(count);
    const qint64 earliest = m_now - 1000 * 86400;
    for (int i = 0; i < count; ++i) {
        Device d;
        d.type = pick(m_typePool);
        const PlantCatalogue::Place& place = pick(m_catalogue.places);
        d.location = place.location;
        d.place = place.id;
        d.state = m_catalogue.states[weightedIndex(m_random, m_catalogue.stateWeights)];
        d.addedAt = momentBetween(earliest, m_now);
        d.changedAt = d.addedAt;
        d.setDate = dayOf(d.addedAt).addDays(-bounded(1500));
        if (bounded(10) < 3)
            d.setPlace = pickText(m_random, kSetPlaces);
        d.aNumber = QStringLiteral("ИН-%1").arg(100001 + i);
        d.zNumber = QStringLiteral("%1-%2").arg(10 + bounded(15)).arg(bounded(100000), 5, 10, QLatin1Char('0'));
        d.crews = m_catalogue.types[d.type].crews;
        m_devices.append(d);
    }
}

void PlantGenerator::planEditTimes(int extraRows)
{
    m_edits.clear();
    m_edits.reserve(m_devices.size() + extraRows);
    for (int i = 0; i < m_devices.size(); ++i)
        m_edits.append({i, m_devices[i].addedAt, true});
    for (int i = 0; i < extraRows && !m_devices.isEmpty(); ++i) {
        const int d = bounded(int(m_devices.size()));
        const qint64 at = momentBetween(m_devices[d].addedAt, m_now);
        m_edits.append({d, at, false});
        m_devices[d].changedAt = std::max(m_devices[d].changedAt, at);
    }
    std::stable_sort(m_edits.begin(), m_edits.end(), [](const Edit& a, const Edit& b) { return a.at < b.at; });
}

void PlantGenerator::writeDevices()
{
    BulkStatement insert(m_connection.handle(),
                         QStringLiteral("INSERT INTO Device (ISystem, IDevType, ZNumber, ANumber, ILocation, ILocSet, "
                                        "IClass, IMere, IDest, IMarg, INaim, IState, SetDate, SetPlace, IScale, IGrade, "
                                        "InputDate, Comments, ChangeDate) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, "
                                        "?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19)"));
    BulkStatement crew(m_connection.handle(), QStringLiteral("INSERT INTO DevCrew (IDevice, ICrew) VALUES (?1, ?2)"));
    for (Device& d : m_devices) {
        const PlantCatalogue::Type& type = m_catalogue.types[d.type];
        insert.bind(1, pick(m_catalogue.systems))
            .bind(2, type.id)
            .bind(3, d.zNumber)
            .bind(4, d.aNumber)
            .bind(5, d.location)
            .bind(6, d.place)
            .bind(7, type.klass)
            .bind(8, type.mere)
            .bind(9, pick(m_catalogue.dests))
            .bind(10, pick(type.margs))
            .bind(11, type.naim)
            .bind(12, d.state)
            .bind(13, d.setDate)
            .bind(14, d.setPlace)
            .bind(15, type.scale)
            .bind(16, pick(type.grades))
            .bind(17, d.setDate.addDays(bounded(20)))
            .bind(18, bounded(100) < 8 ? pickText(m_random, kComments) : QString());
        bindMoment(insert, 19, d.changedAt);
        d.id = insert.run();
        for (qint64 c : d.crews)
            crew.bind(1, d.id).bind(2, c).run();
    }
}

void PlantGenerator::writeNextServices(int perDevice)
{
    BulkStatement insert(m_connection.handle(),
                         QStringLiteral("INSERT INTO NextRep (IDevice, IDevRep, LastRep, NextRep) VALUES (?1, ?2, ?3, ?4)"));
    qint64 serial = 0;
    for (int i = 0; i < m_devices.size(); ++i) {
        const QList<PlantCatalogue::Service>& options = m_catalogue.types[m_devices[i].type].services;
        if (options.isEmpty())
            continue;
        const int count = perDevice > 0 ? perDevice : int(options.size());
        const int first = bounded(int(options.size()));
        for (int k = 0; k < count; ++k) {
            const PlantCatalogue::Service& service = options[(first + k) % options.size()];
            const auto [last, next] = serviceDates(service.rtMon, serial++);
            NextService ns;
            ns.id = insert.bind(1, m_devices[i].id).bind(2, service.devRep).bind(3, last).bind(4, next).run();
            ns.device = i;
            ns.rtMon = service.rtMon;
            ns.last = last;
            ns.next = next;
            m_nextServices.append(ns);
        }
    }
}

void PlantGenerator::writeEditLog()
{
    BulkStatement insert(m_connection.handle(),
                         QStringLiteral("INSERT INTO EditHist (IVictim, IDevice, ANumber, ZNumber, ChangeDate) "
                                        "VALUES (?1, ?2, ?3, ?4, ?5)"));
    for (const Edit& e : m_edits) {
        const Device& d = m_devices[e.device];
        insert.bind(1, e.added ? 1 : 2).bind(2, d.id).bind(3, d.aNumber).bind(4, d.zNumber);
        bindMoment(insert, 5, e.at);
        insert.run();
    }
}

void PlantGenerator::writeMoveLog(int rows)
{
    struct Move {
        int device;
        qint64 at;
        qint64 lastLocation, newLocation, lastPlace, newPlace, lastState, newState;
        QString lastSetPlace, newSetPlace;
        QDate lastSetDate, newSetDate;
    };
    QList<Move> moves;
    moves.reserve(rows);
    for (int i = 0; i < rows && !m_devices.isEmpty(); ++i) {
        const int index = bounded(int(m_devices.size()));
        const Device& d = m_devices[index];
        Move m{index, momentBetween(d.addedAt, m_now), d.location, d.location, d.place, d.place, d.state, d.state,
               d.setPlace, d.setPlace, d.setDate, d.setDate};
        // Half the moves change the place, a third the state, the rest both.
        const int kind = bounded(6);
        if (kind < 4) {
            const PlantCatalogue::Place& other = pick(m_catalogue.places);
            m.lastLocation = other.location;
            m.lastPlace = other.id;
            m.lastSetDate = d.setDate.addDays(-30 - bounded(700));
            m.lastSetPlace = bounded(3) == 0 ? pickText(m_random, kSetPlaces) : QString();
        }
        if (kind >= 3)
            m.lastState = pick(m_catalogue.states);
        moves.append(m);
    }
    std::stable_sort(moves.begin(), moves.end(), [](const Move& a, const Move& b) { return a.at < b.at; });

    BulkStatement insert(m_connection.handle(),
                         QStringLiteral("INSERT INTO MovHist (IDevice, ChangeDate, ILastLocation, INewLocation, "
                                        "ILastLocSet, INewLocSet, ILastState, INewState, LastSetPlace, NewSetPlace, "
                                        "LastSetDate, NewSetDate, Sign, Comments) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, "
                                        "?8, ?9, ?10, ?11, ?12, ?13, ?14)"));
    for (const Move& m : moves) {
        const bool noted = bounded(4) == 0;
        bindMoment(insert, 2, m.at);
        insert.bind(1, m_devices[m.device].id)
            .bind(3, m.lastLocation)
            .bind(4, m.newLocation)
            .bind(5, m.lastPlace)
            .bind(6, m.newPlace)
            .bind(7, m.lastState)
            .bind(8, m.newState)
            .bind(9, m.lastSetPlace)
            .bind(10, m.newSetPlace)
            .bind(11, m.lastSetDate)
            .bind(12, m.newSetDate)
            .bind(13, noted ? pickText(m_random, kSigns) : QString())
            .bind(14, noted ? pickText(m_random, kMoveNotes) : QString())
            .run();
    }
}

void PlantGenerator::writeServiceLog(int rows)
{
    struct Entry {
        qint64 nextRep;
        qint64 at;
        QDate lastBefore, nextBefore, lastAfter, nextAfter;
    };
    QList<int> perService(m_nextServices.size(), 0);
    for (int i = 0; i < rows && !m_nextServices.isEmpty(); ++i)
        ++perService[bounded(int(m_nextServices.size()))];

    QList<Entry> entries;
    entries.reserve(rows);
    const QDate earliest = m_today.addDays(-1000);
    for (int s = 0; s < m_nextServices.size(); ++s) {
        const NextService& ns = m_nextServices[s];
        if (perService[s] == 0)
            continue;
        // The services done, oldest first; the newest is the one the next-service row holds now. Each
        // entry's "before" dates are the entry before it's "after" dates.
        QList<QDate> done;
        const QDate from = std::max(earliest, ns.last.addDays(-3 * 365));
        for (int k = 1; k < perService[s]; ++k)
            done.append(from.addDays(bounded(std::max(1, int(from.daysTo(ns.last))))));
        std::sort(done.begin(), done.end());
        done.append(ns.last);
        QDate before = subtractInterval(done.first(), ns.rtMon);
        const qint64 added = m_devices[ns.device].addedAt;
        for (const QDate& day : done) {
            // Entered on the day of the service, or when the device was registered if that was later.
            const qint64 at = std::max(moment(day, 8 * 3600 + bounded(9 * 3600)), added);
            entries.append({ns.id, std::min(at, m_now), before, addInterval(before, ns.rtMon), day,
                            addInterval(day, ns.rtMon)});
            before = day;
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.at < b.at; });

    BulkStatement insert(m_connection.handle(),
                         QStringLiteral("INSERT INTO RepHist (INextRep, ChangeDate, LastDate, ExpectedDate, NewDate, "
                                        "NextDate) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    for (const Entry& e : entries) {
        bindMoment(insert, 2, e.at);
        insert.bind(1, e.nextRep)
            .bind(3, e.lastBefore)
            .bind(4, e.nextBefore)
            .bind(5, e.lastAfter)
            .bind(6, e.nextAfter)
            .run();
    }
}

void PlantGenerator::writeKits(int count)
{
    if (m_devices.size() < 8)
        return;
    BulkStatement insert(m_connection.handle(), QStringLiteral("INSERT INTO Complect (IRoot, IDevice) VALUES (?1, ?2)"));
    for (int k = 0; k < count; ++k) {
        // A head, two to four members, and under the first member one or two devices of its own.
        QList<qint64> used;
        auto fresh = [&]() {
            qint64 id;
            do
                id = pick(m_devices).id;
            while (used.contains(id));
            used.append(id);
            return id;
        };
        const qint64 head = insert.bind(1, qint64(0)).bind(2, fresh()).run();
        const int members = 2 + bounded(3);
        qint64 firstMember = 0;
        for (int m = 0; m < members; ++m) {
            const qint64 node = insert.bind(1, head).bind(2, fresh()).run();
            if (m == 0)
                firstMember = node;
        }
        const int subMembers = 1 + bounded(2);
        for (int s = 0; s < subMembers; ++s)
            insert.bind(1, firstMember).bind(2, fresh()).run();
    }
}

void PlantGenerator::writeMalfunctions(int count)
{
    if (m_devices.isEmpty() || m_catalogue.malfunctionNames.isEmpty())
        return;
    BulkStatement refusal(m_connection.handle(),
                          QStringLiteral("INSERT INTO Refusal (NDate, IGroupNaimen, INaimen, ExectNaimen, BriefCase, "
                                         "Action, NCount, IDocument, IDevice, Podpis) VALUES (?1, ?2, ?3, ?4, ?5, ?6, "
                                         "?7, ?8, ?9, ?10)"));
    BulkStatement value(m_connection.handle(),
                        QStringLiteral("INSERT INTO RefusParamValue (IRefusal, IParam, Value) VALUES (?1, ?2, ?3)"));
    QList<std::pair<qint64, int>> planned;
    for (int i = 0; i < count; ++i) {
        const int d = bounded(int(m_devices.size()));
        planned.append({momentBetween(m_devices[d].addedAt, m_now), d});
    }
    std::stable_sort(planned.begin(), planned.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    for (const auto& [at, d] : planned) {
        const PlantCatalogue::MalfunctionName& name = pick(m_catalogue.malfunctionNames);
        const std::optional<qint64> document =
            bounded(10) < 7 ? std::optional<qint64>(pick(m_catalogue.documents)) : std::nullopt;
        bindMoment(refusal, 1, at);
        const qint64 id = refusal.bind(2, name.group)
                              .bind(3, name.id)
                              .bind(4, pickText(m_random, kMalfunctionNotes))
                              .bind(5, pickText(m_random, kReasons))
                              .bind(6, pickText(m_random, kActions))
                              .bind(7, bounded(10) == 0 ? 2 : 1)
                              .bind(8, document)
                              .bind(9, m_devices[d].id)
                              .bind(10, pickText(m_random, kSigns))
                              .run();
        const int values = 1 + bounded(3);
        const int first = bounded(int(m_catalogue.parameters.size()));
        for (int v = 0; v < values; ++v) {
            const PlantCatalogue::Parameter& p =
                m_catalogue.parameters[(first + v) % m_catalogue.parameters.size()];
            const double x = p.low + (p.high - p.low) * m_random.generateDouble();
            // Typed by the user as text, with the decimal comma.
            const QString typed = QString::number(x, 'f', p.decimals).replace(QLatin1Char('.'), QLatin1Char(','));
            value.bind(1, id).bind(2, p.id).bind(3, typed).run();
        }
    }
}
