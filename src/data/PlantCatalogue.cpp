#include "data/PlantCatalogue.h"

#include "data/SqlConnection.h"

#include <QHash>
#include <QStringList>
#include <cmath>

namespace {

// ---- the plant's organisation -------------------------------------------------------------------

const char* const kDeparts[] = {
    "Цех КИПиА №1", "Цех КИПиА №2", "Электроцех", "Метрологическая служба", "Служба главного энергетика",
};

struct CrewDef {
    const char* name;
    int depart;
};
enum CrewIndex { BoilerCrew, WaterCrew, ElectricCrew, AnalyticCrew, VerifyCrew, CalibrateCrew, MeteringCrew, ScalesCrew };
const CrewDef kCrews[] = {
    {"Бригада КИП котельной", 0},          {"Бригада КИП водоснабжения", 0},
    {"Бригада электроизмерений", 2},       {"Бригада аналитических приборов", 1},
    {"Группа поверки", 3},                 {"Группа калибровки", 3},
    {"Бригада учёта энергоресурсов", 4},   {"Бригада весового хозяйства", 1},
};

struct LocationDef {
    const char* name;
    const char* places; // separated by "|"
};
const LocationDef kLocations[] = {
    {"Котельная", "Котёл №1|Котёл №2|Деаэратор|Щит КИП котельной|Узел учёта газа"},
    {"Насосная станция", "Насос Н-1|Насос Н-2|Напорный коллектор|Резервуар чистой воды"},
    {"Компрессорная", "Компрессор К-1|Компрессор К-2|Ресивер|Осушитель воздуха"},
    {"Механический цех", "Линия 1|Линия 2|Печь закалки|Участок гальваники"},
    {"Сборочный цех", "Пресс-участок|Окрасочная камера|Участок сборки"},
    {"Трансформаторная подстанция", "РУ-0,4 кВ|Ячейка КРУ-6 кВ|Щит учёта"},
    {"Склад", "Весовая|Стеллаж хранения"},
    {"Лаборатория", "Стол поверки|Шкаф хранения эталонов"},
};

// In operation first: most devices are.
const char* const kStates[] = {"В работе", "В резерве", "В ремонте", "На поверке", "На складе", "Списан"};
const int kStateWeights[] = {85, 5, 3, 3, 3, 1};

const char* const kSystems[] = {
    "АСУ ТП котельной", "Водоснабжение и водоотведение", "Сжатый воздух", "Учёт энергоресурсов",
    "Газоснабжение", "Электроснабжение", "Вентиляция и кондиционирование",
};
const char* const kClasses[] = {"Рабочее средство измерений", "Эталон", "Индикатор"};
const char* const kMeres[] = {
    "Давление", "Температура", "Расход", "Уровень", "Электрические величины", "Масса", "Состав газов",
    "Тепловая энергия", "Время",
};
const char* const kDests[] = {
    "Технологический контроль", "Коммерческий учёт", "Противоаварийная защита", "Охрана труда и экология",
    "Контроль качества",
};
const char* const kScales[] = {"Линейная", "Нелинейная", "Цифровая", "Без шкалы"};
const char* const kConstructs[] = {
    "Показывающий", "Щитовой", "Взрывозащищённый", "Погружной", "Фланцевый", "Переносной", "Настольный",
};
const char* const kMakers[] = {
    "ООО «Приборика»", "АО «ТермоЛинк»", "ЗАО «Расход-Контроль»", "ООО «Электроизмеритель»",
    "АО «ВесПрибор»", "ООО «ГазСенсор»", "АО «ТеплоУчёт»", "ООО «Метрологика»",
};

struct RepDef {
    const char* name;
    const char* shortName;
};
enum RepIndex { Verification, Calibration, Maintenance, Repair, Overhaul };
const RepDef kReps[] = {
    {"Поверка", "ПВ"}, {"Калибровка", "КЛ"}, {"Техническое обслуживание", "ТО"}, {"Текущий ремонт", "ТР"},
    {"Капитальный ремонт", "КР"},
};

// ---- device types -------------------------------------------------------------------------------

struct ServiceDef {
    int rep;
    int crew;
    double rtMon; // months; the first two decimals are days
    double hours; // time one service of one device takes
};

struct TypeDef {
    const char* name;
    const char* model;
    const char* naim;
    int mere;
    int klass;
    double prec;
    int construct;
    int maker;
    int srok;  // years
    int otkaz; // hours between failures
    int scale;
    const char* margs;  // "|"-separated
    const char* grades; // "|"-separated
    int weight;
    ServiceDef services[4]; // rtMon 0 ends the list
};

const TypeDef kTypes[] = {
    {"Манометр показывающий", "МП-100", "Манометр", 0, 0, 1.5, 0, 0, 8, 50000, 0,
     "0…1 МПа|0…1,6 МПа|0…2,5 МПа|0…6 МПа", "0,02 МПа|0,05 МПа|0,1 МПа", 14,
     {{Verification, VerifyCrew, 12, 0.5}, {Maintenance, BoilerCrew, 3, 0.25}, {Repair, BoilerCrew, 24, 1.5}}},
    {"Манометр электроконтактный", "ЭКМ-160", "Манометр", 0, 0, 1.5, 1, 0, 8, 40000, 0,
     "0…1,6 МПа|0…2,5 МПа|0…16 МПа", "0,05 МПа|0,1 МПа|0,5 МПа", 6,
     {{Verification, VerifyCrew, 12, 0.7}, {Maintenance, BoilerCrew, 3, 0.3}, {Repair, BoilerCrew, 24, 2}}},
    {"Вакуумметр показывающий", "ВП-100", "Вакуумметр", 0, 0, 2.5, 0, 0, 8, 50000, 0, "-0,1…0 МПа",
     "0,002 МПа|0,005 МПа", 2,
     {{Verification, VerifyCrew, 12, 0.5}, {Maintenance, WaterCrew, 6, 0.25}, {Repair, WaterCrew, 24, 1.5}}},
    {"Преобразователь давления", "ПД-22", "Преобразователь давления", 0, 0, 0.25, 2, 1, 12, 100000, 3,
     "0…1 МПа|0…2,5 МПа|0…6 МПа|0…16 МПа", "Цифровой отсчёт", 8,
     {{Verification, VerifyCrew, 24, 1.5}, {Maintenance, BoilerCrew, 6, 0.5}, {Repair, BoilerCrew, 36, 3}}},
    {"Преобразователь разности давлений", "ПРД-40", "Преобразователь давления", 0, 0, 0.5, 2, 1, 12, 90000, 3,
     "0…0,25 МПа|0…0,63 МПа", "Цифровой отсчёт", 4,
     {{Verification, VerifyCrew, 24, 1.8}, {Maintenance, WaterCrew, 6, 0.5}, {Repair, WaterCrew, 36, 3}}},
    {"Термометр сопротивления", "ТС-100П", "Термометр сопротивления", 1, 0, 0.5, 3, 1, 10, 80000, 3,
     "-50…+150 °C|0…150 °C|0…300 °C", "Цифровой отсчёт", 8,
     {{Verification, VerifyCrew, 24, 1}, {Maintenance, BoilerCrew, 12, 0.3}, {Repair, BoilerCrew, 36, 1.2}}},
    {"Термопреобразователь ТХА", "ТП-К2", "Термопара", 1, 0, 2.5, 3, 1, 5, 30000, 3, "0…600 °C|0…1100 °C",
     "Цифровой отсчёт", 4,
     {{Calibration, CalibrateCrew, 12, 1}, {Maintenance, BoilerCrew, 6, 0.3}, {Repair, BoilerCrew, 24, 1}}},
    {"Термометр биметаллический", "ТБ-63", "Термометр", 1, 2, 1.5, 0, 1, 6, 40000, 0, "0…100 °C|0…150 °C",
     "1 °C|2 °C", 5,
     {{Verification, VerifyCrew, 24, 0.4}, {Maintenance, WaterCrew, 12, 0.2}, {Repair, WaterCrew, 48, 0.8}}},
    {"Расходомер электромагнитный", "РЭМ-50", "Расходомер", 2, 0, 0.5, 4, 2, 12, 80000, 2,
     "0…16 м³/ч|0…63 м³/ч|0…250 м³/ч", "0,01 м³/ч|0,1 м³/ч", 4,
     {{Verification, VerifyCrew, 48, 4},
      {Maintenance, WaterCrew, 6, 1},
      {Repair, WaterCrew, 24, 4},
      {Overhaul, WaterCrew, 96, 12}}},
    {"Расходомер вихревой", "РВ-80", "Расходомер", 2, 0, 1, 4, 2, 10, 70000, 2, "0…63 м³/ч|0…250 м³/ч",
     "0,1 м³/ч", 3,
     {{Verification, VerifyCrew, 48, 3.5}, {Maintenance, MeteringCrew, 6, 1}, {Repair, MeteringCrew, 36, 4}}},
    {"Счётчик газа ротационный", "СГР-100", "Счётчик газа", 2, 0, 1, 4, 2, 12, 60000, 2, "0,8…160 м³/ч",
     "0,01 м³", 2,
     {{Verification, VerifyCrew, 60, 3}, {Maintenance, MeteringCrew, 12, 1}, {Repair, MeteringCrew, 36, 3}}},
    {"Уровнемер радарный", "УР-10", "Уровнемер", 3, 0, 0.5, 2, 1, 12, 90000, 3, "0…6 м|0…16 м", "1 мм", 3,
     {{Calibration, CalibrateCrew, 12, 2}, {Maintenance, BoilerCrew, 6, 0.7}, {Repair, BoilerCrew, 36, 3}}},
    {"Уровнемер поплавковый", "УП-3", "Уровнемер", 3, 2, 1.5, 0, 0, 8, 40000, 0, "0…2 м|0…6 м", "1 см|5 см", 3,
     {{Verification, VerifyCrew, 12, 1}, {Maintenance, WaterCrew, 3, 0.5}, {Repair, WaterCrew, 24, 2}}},
    {"Вольтметр щитовой", "В-96", "Вольтметр", 4, 0, 1.5, 1, 3, 10, 60000, 0, "0…250 В|0…500 В", "5 В|10 В", 5,
     {{Verification, VerifyCrew, 24, 0.5}, {Maintenance, ElectricCrew, 12, 0.2}, {Repair, ElectricCrew, 48, 1}}},
    {"Амперметр щитовой", "А-96", "Амперметр", 4, 0, 1.5, 1, 3, 10, 60000, 0, "0…100 А|0…600 А", "2 А|10 А",
     5,
     {{Verification, VerifyCrew, 24, 0.5}, {Maintenance, ElectricCrew, 12, 0.2}, {Repair, ElectricCrew, 48, 1}}},
    {"Счётчик электроэнергии трёхфазный", "СЭ-3Ф", "Счётчик электроэнергии", 4, 0, 0.5, 1, 3, 30, 150000, 2,
     "3×230/400 В, 5(10) А", "0,01 кВт·ч", 4,
     {{Verification, VerifyCrew, 96, 1.5}, {Maintenance, MeteringCrew, 12, 0.3}, {Repair, MeteringCrew, 48, 1}}},
    {"Мегаомметр", "ММ-2500", "Мегаомметр", 4, 0, 15, 5, 3, 8, 20000, 2, "0…2500 МОм", "Цифровой отсчёт", 1,
     {{Verification, VerifyCrew, 12, 1}, {Maintenance, ElectricCrew, 6, 0.3}, {Repair, ElectricCrew, 24, 1.5}}},
    // Scales are looked after every month and a half: one month and fifteen days.
    {"Весы платформенные", "ВП-600", "Весы", 5, 0, 0.1, 6, 4, 10, 30000, 2, "1…600 кг", "0,1 кг|0,2 кг", 2,
     {{Verification, VerifyCrew, 12, 2}, {Maintenance, ScalesCrew, 1.15, 0.5}, {Repair, ScalesCrew, 24, 3}}},
    {"Весы лабораторные", "ВЛ-210", "Весы", 5, 0, 0.001, 6, 4, 10, 30000, 2, "0,02…210 г", "0,001 г", 1,
     {{Verification, VerifyCrew, 12, 1.5}, {Maintenance, ScalesCrew, 1, 0.3}, {Repair, ScalesCrew, 36, 2}}},
    {"Газоанализатор метана", "ГА-4", "Газоанализатор", 6, 0, 4, 2, 5, 10, 25000, 2, "0…5 % об.",
     "0,1 % об.", 3,
     {{Verification, VerifyCrew, 12, 1.5},
      {Calibration, AnalyticCrew, 3, 0.5},
      {Maintenance, AnalyticCrew, 1, 0.3},
      {Repair, AnalyticCrew, 24, 3}}},
    {"Газоанализатор кислорода", "ГАК-2", "Газоанализатор", 6, 0, 2.5, 2, 5, 10, 25000, 2, "0…30 % об.",
     "0,1 % об.", 2,
     {{Verification, VerifyCrew, 12, 1.5}, {Maintenance, AnalyticCrew, 1, 0.3}, {Repair, AnalyticCrew, 24, 3}}},
    {"Тепловычислитель", "ТВ-7М", "Тепловычислитель", 7, 0, 0.5, 1, 6, 12, 75000, 2, "0…99999 Гкал",
     "0,001 Гкал", 2,
     {{Verification, VerifyCrew, 48, 2}, {Maintenance, MeteringCrew, 6, 0.5}, {Repair, MeteringCrew, 36, 2}}},
    {"Калибратор давления", "КД-1", "Калибратор", 0, 1, 0.05, 5, 7, 10, 50000, 2, "0…6 МПа|0…25 МПа",
     "Цифровой отсчёт", 1,
     {{Verification, VerifyCrew, 12, 2}, {Maintenance, CalibrateCrew, 6, 0.5}, {Repair, CalibrateCrew, 36, 2}}},
    // Not serviced by any crew: a type without service rows.
    {"Секундомер механический", "СОП-60", "Секундомер", 8, 0, 0.2, 5, 7, 10, 20000, 0, "0…60 мин", "0,2 с", 1,
     {}},
};

// ---- malfunctions -------------------------------------------------------------------------------

struct GroupDef {
    const char* name;
    const char* names; // "|"-separated
};
const GroupDef kMalfunctionGroups[] = {
    {"Механические повреждения", "Разбито стекло|Погнута стрелка|Повреждён корпус|Заедание механизма"},
    {"Электрические неисправности", "Обрыв цепи|Короткое замыкание|Нет выходного сигнала|Пробой изоляции"},
    {"Метрологические отказы", "Дрейф нуля|Погрешность выше допустимой|Нестабильные показания"},
    {"Прочие неисправности", "Засорение импульсной линии|Негерметичность соединения|Обледенение"},
};

const char* const kDimentions[] = {"МПа", "°C", "мА", "В", "МОм", "%", "м³/ч"};

struct ParameterDef {
    const char* name;
    int dimention;
    double low;
    double high;
    int decimals;
};
const ParameterDef kParameters[] = {
    {"Давление", 0, 0.1, 2.5, 2},          {"Температура", 1, 20, 180, 1},
    {"Выходной ток", 2, 4, 20, 2},         {"Напряжение питания", 3, 18, 36, 1},
    {"Сопротивление изоляции", 4, 5, 500, 0}, {"Погрешность", 5, 0.1, 5, 2},
    {"Расход", 6, 1, 200, 1},
};

struct DocumentDef {
    const char* name;
    const char* regNumber;
};
const DocumentDef kDocuments[] = {
    {"Акт о неисправности", "АН-15"},          {"Извещение о непригодности к применению", "ИН-204"},
    {"Протокол поверки", "ПП-1187"},           {"Ремонтная ведомость", "РВ-32"},
    {"Акт технического осмотра", "АТО-7"},
};

// ---- labour -------------------------------------------------------------------------------------

struct CathegoryDef {
    const char* name;
    int grade;
};
enum CathegoryIndex { Fitter3, Fitter4, Fitter5, Fitter6, Electrician4, Verifier7 };
const CathegoryDef kCathegories[] = {
    {"Слесарь по КИПиА 3 разряда", 3}, {"Слесарь по КИПиА 4 разряда", 4}, {"Слесарь по КИПиА 5 разряда", 5},
    {"Слесарь по КИПиА 6 разряда", 6}, {"Электромонтёр 4 разряда", 4},    {"Поверитель средств измерений", 7},
};

struct NormDef {
    const char* name;
    double value;
};
const NormDef kWorkDayLenths[] = {
    {"Нормальный рабочий день", 8}, {"Сокращённый день (вредные условия)", 7.2}, {"Сменный режим", 12}};
const NormDef kDayFunds[] = {{"Пятидневная рабочая неделя", 247}, {"Сменный график 2/2", 182}};
const NormDef kLostDaysUsed[] = {
    {"Основной отпуск", 28}, {"Основной и дополнительный отпуск (вредность)", 35}, {"Отпуск с учётом стажа", 31}};
const NormDef kLostDaysMisc[] = {{"Болезни и прочие неявки", 4}, {"Обучение и государственные обязанности", 5.5}};

// A category's share of a service row's annual volume, by the kind of service.
struct ShareDef {
    int rep;
    bool electric; // the rule for the electrical crew, which has electricians instead of fitters
    int cathegory;
    double share;
};
const ShareDef kShares[] = {
    {Verification, false, Verifier7, 0.7}, {Verification, false, Fitter4, 0.3},
    {Calibration, false, Fitter5, 1.0},    {Maintenance, false, Fitter3, 0.6},
    {Maintenance, false, Fitter4, 0.4},    {Repair, false, Fitter5, 0.5},
    {Repair, false, Fitter6, 0.5},         {Overhaul, false, Fitter6, 1.0},
    {Maintenance, true, Electrician4, 1.0}, {Repair, true, Electrician4, 1.0},
};

struct WorkplaceDef {
    int crew;
    int cathegory;
    int heads;
    double tarif;
    int dayLenth;
    int dayFund;
    int lostDays;
    int lostMisc;
    int shifts;
};
// The water crew has no sixth-grade fitter although its repairs need one: the norm state shows it.
const WorkplaceDef kWorkplaces[] = {
    {BoilerCrew, Fitter3, 2, 168.4, 2, 1, 1, 0, 2},   {BoilerCrew, Fitter4, 2, 184.9, 2, 1, 1, 0, 2},
    {BoilerCrew, Fitter5, 1, 203.5, 0, 0, 1, 0, 1},   {BoilerCrew, Fitter6, 1, 224.0, 0, 0, 2, 0, 1},
    {WaterCrew, Fitter3, 1, 168.4, 0, 0, 0, 0, 1},    {WaterCrew, Fitter4, 2, 184.9, 0, 0, 0, 0, 1},
    {WaterCrew, Fitter5, 1, 203.5, 0, 0, 2, 1, 1},    {ElectricCrew, Electrician4, 3, 190.2, 0, 0, 0, 0, 1},
    {AnalyticCrew, Fitter4, 1, 184.9, 1, 0, 1, 0, 1}, {AnalyticCrew, Fitter5, 2, 203.5, 1, 0, 1, 0, 1},
    {AnalyticCrew, Fitter6, 1, 224.0, 1, 0, 1, 1, 1}, {VerifyCrew, Verifier7, 3, 240.0, 0, 0, 2, 1, 1},
    {VerifyCrew, Fitter4, 1, 184.9, 0, 0, 0, 0, 1},   {CalibrateCrew, Fitter5, 2, 203.5, 0, 0, 0, 1, 1},
    {CalibrateCrew, Fitter6, 1, 224.0, 0, 0, 2, 0, 1}, {MeteringCrew, Fitter4, 2, 184.9, 0, 0, 0, 0, 1},
    {MeteringCrew, Fitter5, 1, 203.5, 0, 0, 2, 0, 1}, {ScalesCrew, Fitter3, 1, 168.4, 0, 0, 0, 0, 1},
    {ScalesCrew, Fitter4, 1, 184.9, 0, 0, 0, 1, 1},
};
const char* const kProfessions[] = {
    "Слесарь по КИПиА", "Слесарь по КИПиА", "Слесарь по КИПиА", "Слесарь по КИПиА (наладчик)",
    "Электромонтёр по ремонту электрооборудования", "Поверитель средств измерений",
};

// The crews whose norm state is already counted, with 400 hours of other work per category.
const int kNormCrews[] = {BoilerCrew, WaterCrew, VerifyCrew};

// ---- writing ------------------------------------------------------------------------------------

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

QStringList parts(const char* utf8) { return text(utf8).split(QLatin1Char('|'), Qt::SkipEmptyParts); }

double round6(double value) { return std::round(value * 1e6) / 1e6; }

class Writer {
public:
    explicit Writer(SqlConnection& connection) : m_connection(connection) {}

    qint64 insert(const QString& statement, const SqlParams& params)
    {
        m_connection.execute(statement, params);
        return m_connection.lastInsertId();
    }

    // One row of a table whose only column besides the key is its name.
    qint64 named(const QString& table, const QVariant& name)
    {
        return insert(QStringLiteral("insert into %1 (Name_%1) values (:Name);").arg(table), {{"Name", name}});
    }

    // A name used by several rows gets one row, written the first time it is asked for.
    qint64 namedOnce(const QString& table, const QString& name)
    {
        const QString key = table + QLatin1Char('\n') + name;
        auto found = m_once.constFind(key);
        if (found != m_once.constEnd())
            return *found;
        const qint64 id = named(table, name);
        m_once.insert(key, id);
        return id;
    }

    qint64 namedOnce(const QString& table, double value)
    {
        const QString key = table + QLatin1Char('\n') + QString::number(value, 'g', 17);
        auto found = m_once.constFind(key);
        if (found != m_once.constEnd())
            return *found;
        const qint64 id = named(table, value);
        m_once.insert(key, id);
        return id;
    }

    SqlConnection& connection() { return m_connection; }

private:
    SqlConnection& m_connection;
    QHash<QString, qint64> m_once;
};

template <typename T, size_t N>
QList<qint64> writeNames(Writer& w, const QString& table, const T (&names)[N])
{
    QList<qint64> ids;
    for (const T& name : names)
        ids.append(w.named(table, text(name)));
    return ids;
}

void writeOrganisation(Writer& w, PlantCatalogue& c)
{
    c.departs = writeNames(w, QStringLiteral("Depart"), kDeparts);
    for (const CrewDef& crew : kCrews)
        c.crews.append(w.insert(QStringLiteral("insert into Crew (Name_Crew, IDepart) values (:Name, :Depart);"),
                                {{"Name", text(crew.name)}, {"Depart", c.departs[crew.depart]}}));
    for (const LocationDef& location : kLocations) {
        const qint64 id = w.named(QStringLiteral("Location"), text(location.name));
        c.locations.append(id);
        for (const QString& place : parts(location.places))
            c.places.append(
                {w.insert(QStringLiteral("insert into LocSet (Name_LocSet, ILocation) values (:Name, :Location);"),
                          {{"Name", place}, {"Location", id}}),
                 id});
    }
    c.states = writeNames(w, QStringLiteral("State"), kStates);
    for (int weight : kStateWeights)
        c.stateWeights.append(weight);
    c.systems = writeNames(w, QStringLiteral("System"), kSystems);
    c.dests = writeNames(w, QStringLiteral("Dest"), kDests);
    for (const RepDef& rep : kReps)
        c.reps.append(w.insert(QStringLiteral("insert into Reps (Name_Reps, Short_Reps) values (:Name, :Short);"),
                               {{"Name", text(rep.name)}, {"Short", text(rep.shortName)}}));
}

PlantCatalogue::Type writeType(Writer& w, const PlantCatalogue& c, const TypeDef& def, const QList<qint64>& classes,
                               const QList<qint64>& meres, const QList<qint64>& scales,
                               const QList<qint64>& constructs, const QList<qint64>& makers)
{
    PlantCatalogue::Type type;
    type.name = text(def.name);
    type.naim = w.namedOnce(QStringLiteral("Naim"), text(def.naim));
    type.mere = meres[def.mere];
    type.klass = classes[def.klass];
    type.scale = scales[def.scale];
    type.weight = def.weight;
    for (const QString& marg : parts(def.margs))
        type.margs.append(w.namedOnce(QStringLiteral("Marg"), marg));
    for (const QString& grade : parts(def.grades))
        type.grades.append(w.namedOnce(QStringLiteral("Grade"), grade));
    const qint64 prec = w.namedOnce(QStringLiteral("Prec"), def.prec);
    type.id = w.insert(QStringLiteral("insert into DevType (INaim, Name_DevType, Mark_DevType, IPrec, IConstruct, "
                                      "IMaker, Srok, Otkaz) values (:Naim, :Name, :Mark, :Prec, :Construct, :Maker, "
                                      ":Srok, :Otkaz);"),
                       {{"Naim", type.naim},
                        {"Name", type.name},
                        {"Mark", text(def.model)},
                        {"Prec", prec},
                        {"Construct", constructs[def.construct]},
                        {"Maker", makers[def.maker]},
                        {"Srok", def.srok},
                        {"Otkaz", def.otkaz}});

    int number = 0;
    for (const ServiceDef& service : def.services) {
        if (service.rtMon <= 0)
            break;
        const qint64 crew = c.crews[service.crew];
        const double rt = round6(12.0 / service.rtMon);
        const qint64 devRep = w.insert(
            QStringLiteral("insert into DevRep (IDevType, ICrew, IRep, R_No, RT_Mon, RT, RT_PC) values (:Type, :Crew, "
                           ":Rep, :No, :Mon, :Rt, :Pc);"),
            {{"Type", type.id},
             {"Crew", crew},
             {"Rep", c.reps[service.rep]},
             {"No", ++number},
             {"Mon", service.rtMon},
             {"Rt", rt},
             {"Pc", service.hours}});
        type.services.append({devRep, crew, c.reps[service.rep], service.rtMon});
        if (!type.crews.contains(crew))
            type.crews.append(crew);
    }
    // A type without intervals is still looked after by someone; its devices simply offer no services.
    if (type.crews.isEmpty())
        type.crews.append(c.crews[VerifyCrew]);
    return type;
}

void writeTypes(Writer& w, PlantCatalogue& c)
{
    const QList<qint64> classes = writeNames(w, QStringLiteral("Class"), kClasses);
    const QList<qint64> meres = writeNames(w, QStringLiteral("Mere"), kMeres);
    const QList<qint64> scales = writeNames(w, QStringLiteral("Scale"), kScales);
    const QList<qint64> constructs = writeNames(w, QStringLiteral("Construct"), kConstructs);
    const QList<qint64> makers = writeNames(w, QStringLiteral("Maker"), kMakers);
    for (const TypeDef& def : kTypes)
        c.types.append(writeType(w, c, def, classes, meres, scales, constructs, makers));
}

void writeMalfunctionClassifiers(Writer& w, PlantCatalogue& c)
{
    for (const GroupDef& group : kMalfunctionGroups) {
        const qint64 groupId = w.insert(
            QStringLiteral("insert into RefusalGroupNaimen (Name_GroupNaimen) values (:Name);"), {{"Name", text(group.name)}});
        for (const QString& name : parts(group.names))
            c.malfunctionNames.append(
                {w.insert(QStringLiteral("insert into RefusalNaimen (Name_Naimen, IGroupNaimen) values (:Name, :Group);"),
                          {{"Name", name}, {"Group", groupId}}),
                 groupId});
    }
    const QList<qint64> dimentions = writeNames(w, QStringLiteral("Dimention"), kDimentions);
    for (const ParameterDef& p : kParameters)
        c.parameters.append(
            {w.insert(QStringLiteral("insert into RefusalParam (Name_Param, IDimention) values (:Name, :Dim);"),
                      {{"Name", text(p.name)}, {"Dim", dimentions[p.dimention]}}),
             p.low, p.high, p.decimals});
    for (const DocumentDef& d : kDocuments)
        c.documents.append(
            w.insert(QStringLiteral("insert into Document (Name_Document, RegNumber) values (:Name, :Reg);"),
                     {{"Name", text(d.name)}, {"Reg", text(d.regNumber)}}));
}

template <size_t N>
QList<qint64> writeNorms(Writer& w, const QString& table, const QString& valueColumn, const NormDef (&norms)[N])
{
    QList<qint64> ids;
    for (const NormDef& norm : norms)
        ids.append(w.insert(QStringLiteral("insert into %1 (Name_%1, %2) values (:Name, :Value);").arg(table, valueColumn),
                            {{"Name", text(norm.name)}, {"Value", norm.value}}));
    return ids;
}

void writeCountsAndVolumes(SqlConnection& db)
{
    // Counts from the devices each crew looks after; the other pairs are added empty, as the
    // labour-planning window would add them.
    db.execute(QStringLiteral(
        "INSERT INTO DevTypeCount ( IDevType, ICrew, [Count] ) SELECT Device.IDevType, DevCrew.ICrew, count(*) "
        "FROM Device INNER JOIN DevCrew ON Device.ID_Device = DevCrew.IDevice "
        "WHERE Device.IDevType is not null and DevCrew.ICrew is not null GROUP BY Device.IDevType, DevCrew.ICrew;"));
    db.execute(QStringLiteral(
        "INSERT INTO DevTypeCount ( IDevType, ICrew ) SELECT DevType.ID_DevType, Crew.ID_Crew FROM DevType, Crew "
        "WHERE (select count(idevtype) from devtypecount where idevtype =  DevType.ID_DevType and icrew =  "
        "Crew.ID_Crew)=0;"));
    db.execute(QStringLiteral(
        "update DevRep set RCount = round((select DevTypeCount.[Count] from DevTypeCount where DevTypeCount.IDevType "
        "= DevRep.IDevType and DevTypeCount.ICrew = DevRep.ICrew) * RT * RT_PC, 6);"));
}

void writeShares(SqlConnection& db, const PlantCatalogue& c, const QList<qint64>& cathegories)
{
    const qint64 electricCrew = c.crews[ElectricCrew];
    for (const ShareDef& share : kShares) {
        const QString crewTest = share.electric ? QStringLiteral("ICrew = :Crew") : QStringLiteral("ICrew <> :Crew");
        db.execute(QStringLiteral("insert into RepCath ( IDevRep, ICathegory, [Value] ) select ID_DevRep, :Cath, "
                                  "round(RCount * :Share, 6) from DevRep where IRep = :Rep and RCount > 0 and ") +
                       crewTest + QLatin1Char(';'),
                   {{"Cath", cathegories[share.cathegory]},
                    {"Share", share.share},
                    {"Rep", c.reps[share.rep]},
                    {"Crew", electricCrew}});
    }
}

void writeWorkplaces(Writer& w, const PlantCatalogue& c, const QList<qint64>& cathegories)
{
    const QList<qint64> dayLenths = writeNorms(w, QStringLiteral("WorkDayLenth"), QStringLiteral("[Lenth]"), kWorkDayLenths);
    const QList<qint64> dayFunds = writeNorms(w, QStringLiteral("DayFund"), QStringLiteral("DayFundNum"), kDayFunds);
    const QList<qint64> lostDays =
        writeNorms(w, QStringLiteral("LostDayUsed"), QStringLiteral("LostDayUsed"), kLostDaysUsed);
    const QList<qint64> lostMisc =
        writeNorms(w, QStringLiteral("LostDayMiscPC"), QStringLiteral("LostDayMiscPC"), kLostDaysMisc);

    QHash<int, int> numberInCrew;
    for (const WorkplaceDef& p : kWorkplaces) {
        // The effective fund as the crew-structure page counts it.
        const double fund = kDayFunds[p.dayFund].value;
        const double holidayPC = round6(kLostDaysUsed[p.lostDays].value * 5 / 6 / fund * 100);
        const double lossesPC = round6(holidayPC + kLostDaysMisc[p.lostMisc].value);
        const double daysLeft = round6(fund * (1 - lossesPC / 100));
        const double hours = round6(fund * (1 - lossesPC / 100) * kWorkDayLenths[p.dayLenth].value);
        w.insert(QStringLiteral("insert into CrewList ( ICrew, ICathegory, ProfNum, ProfNaimen, IWorkDayLenth, SmenaNum, "
                                "IDayFundNom, ILostDayUsed, LostDayUsedPC, ILostDayMiscPC, LostDaySumPC, DayFundRez, "
                                "DayFundP1E, Tarif, [No] ) values ( :Crew, :Cath, :Heads, :Prof, :Lenth, :Shifts, :Fund, "
                                ":Lost, :LostPC, :Misc, :SumPC, :Rez, :P1E, :Tarif, :No );"),
                 {{"Crew", c.crews[p.crew]},
                  {"Cath", cathegories[p.cathegory]},
                  {"Heads", p.heads},
                  {"Prof", text(kProfessions[p.cathegory])},
                  {"Lenth", dayLenths[p.dayLenth]},
                  {"Shifts", p.shifts},
                  {"Fund", dayFunds[p.dayFund]},
                  {"Lost", lostDays[p.lostDays]},
                  {"LostPC", holidayPC},
                  {"Misc", lostMisc[p.lostMisc]},
                  {"SumPC", lossesPC},
                  {"Rez", daysLeft},
                  {"P1E", hours},
                  {"Tarif", p.tarif},
                  {"No", ++numberInCrew[p.crew]}});
    }
}

void writeNormState(SqlConnection& db, qint64 crew)
{
    const SqlParams params{{"Crew", crew}};
    db.execute(QStringLiteral("insert into NormState (ICrew, ICathegory, PlanHour, ExtPlanPC, ExtPlan) select "
                              "AccountView.ID_Crew, AccountView.ID_Cathegory, round(Sum(AccountView.Value), 6), 10, 400 "
                              "from AccountView where AccountView.ID_Crew = :Crew and AccountView.ID_Cathegory is not "
                              "null group by AccountView.ID_Crew, AccountView.ID_Cathegory;"),
               params);
    // A category without a workplace in the crew takes the crew's smallest fund.
    db.execute(QStringLiteral("update NormState set PlanP1E = coalesce((select min(DayFundP1E) from CrewList where "
                              "CrewList.ICrew = NormState.ICrew and CrewList.ICathegory = NormState.ICathegory), "
                              "(select min(DayFundP1E) from CrewList where CrewList.ICrew = NormState.ICrew)) "
                              "where ICrew = :Crew;"),
               params);
    db.execute(QStringLiteral("update NormState set YearPlan = round(PlanHour + ExtPlan + PlanHour * ExtPlanPC / 100, 6) "
                              "where ICrew = :Crew;"),
               params);
    db.execute(QStringLiteral("update NormState set Required = round(YearPlan / PlanP1E, 6) where ICrew = :Crew and "
                              "PlanP1E > 0;"),
               params);
}

} // namespace

PlantCatalogue PlantCatalogue::write(SqlConnection& connection)
{
    Writer w(connection);
    PlantCatalogue c;
    writeOrganisation(w, c);
    writeTypes(w, c);
    writeMalfunctionClassifiers(w, c);
    return c;
}

void PlantCatalogue::writeLabour(SqlConnection& connection) const
{
    Writer w(connection);
    QList<qint64> cathegories;
    for (const CathegoryDef& def : kCathegories)
        cathegories.append(w.insert(QStringLiteral("insert into Cathegory (Name_Cathegory, Cathegory) values (:Name, "
                                                   ":Grade);"),
                                    {{"Name", text(def.name)}, {"Grade", def.grade}}));
    // A crew just set up: no department yet, no members, nothing to service.
    w.insert(QStringLiteral("insert into Crew (Name_Crew) values (:Name);"), {{"Name", text("Бригада резерва")}});
    writeCountsAndVolumes(connection);
    writeShares(connection, *this, cathegories);
    writeWorkplaces(w, *this, cathegories);
    // An apprentice whose category is not settled, in a crew whose service rows have shares.
    w.insert(QStringLiteral("insert into CrewList ( ICrew, ProfNum, ProfNaimen, [No] ) values ( :Crew, 1, :Prof, 99 );"),
             {{"Crew", crews[BoilerCrew]}, {"Prof", text("Ученик слесаря по КИПиА")}});
    for (int crew : kNormCrews)
        writeNormState(connection, crews[crew]);
}
