#include "devices/import/ImportMapping.h"

#include <QCryptographicHash>
#include <QSettings>

namespace {

// Letters and digits only, case folded: "Интервал(периодичность) обслуживания" and
// "интервал периодичность обслуживания" read the same.
QString normalised(const QString& text)
{
    QString out;
    for (const QChar c : text.toCaseFolded())
        if (c.isLetterOrNumber())
            out += c;
    return out;
}

struct Alias {
    ImportField field;
    const char16_t* text;
};

// Other titles users give these columns.
const Alias kAliases[] = {
    {ImportField::ZNumber, u"Серийный номер"},       {ImportField::ZNumber, u"Зав. №"},
    {ImportField::ANumber, u"Инв. №"},               {ImportField::TypeName, u"Тип устройства"},
    {ImportField::TypeMark, u"Модель"},              {ImportField::Location, u"Location"},
    {ImportField::Service, u"Обслуживание"},         {ImportField::Service, u"Наименование обслуживания"},
    {ImportField::Service, u"Name_Reps"},            {ImportField::Interval, u"Интервал"},
    {ImportField::Interval, u"Интервал (мес.)"},     {ImportField::Interval, u"Периодичность"},
    {ImportField::LastRep, u"Дата обслуживания"},
};

} // namespace

const QList<ImportFieldSpec>& importFields()
{
    using F = ImportField;
    using K = ImportKind;
    static const QList<ImportFieldSpec> fields{
        {F::ZNumber, QStringLiteral("ZNumber"), QStringLiteral("Заводской номер"), K::Text, 80},
        {F::ANumber, QStringLiteral("ANumber"), QStringLiteral("Инвентарный номер"), K::Text, 80},
        {F::TypeName, QStringLiteral("Name_DevType"), QStringLiteral("Тип"), K::Reference, 50},
        {F::TypeMark, QStringLiteral("Mark_DevType"), QStringLiteral("Марка"), K::Text, 50},
        {F::Location, QStringLiteral("Name_Location"), QStringLiteral("Расположение"), K::Reference, 50},
        {F::LocSet, QStringLiteral("Name_LocSet"), QStringLiteral("Место установки"), K::Reference, 50},
        {F::State, QStringLiteral("Name_State"), QStringLiteral("Состояние"), K::Reference, 50},
        {F::System, QStringLiteral("Name_System"), QStringLiteral("Система"), K::Reference, 50},
        {F::Class, QStringLiteral("Name_Class"), QStringLiteral("Класс"), K::Reference, 50},
        {F::Mere, QStringLiteral("Name_Mere"), QStringLiteral("Вид измерения"), K::Reference, 50},
        {F::Dest, QStringLiteral("Name_Dest"), QStringLiteral("Назначение"), K::Reference, 50},
        {F::Marg, QStringLiteral("Name_Marg"), QStringLiteral("Пределы измерения"), K::Reference, 50},
        {F::Scale, QStringLiteral("Name_Scale"), QStringLiteral("Шкала"), K::Reference, 50},
        {F::Grade, QStringLiteral("Name_Grade"), QStringLiteral("Градуировка"), K::Reference, 50},
        {F::SetDate, QStringLiteral("SetDate"), QStringLiteral("Дата установки"), K::Date, 0},
        {F::SetPlace, QStringLiteral("SetPlace"), QStringLiteral("Место установки (доп.)"), K::Text, 50},
        {F::InputDate, QStringLiteral("InputDate"), QStringLiteral("Дата ввода в эксплуатацию"), K::Date, 0},
        {F::Comments, QStringLiteral("Comments"), QStringLiteral("Комментарий"), K::Text, 128},
        {F::Service, QStringLiteral("Short_Reps"), QStringLiteral("Аббревиатура обслуживания"), K::Reference, 50},
        {F::Interval, QStringLiteral("RT_Mon"), QStringLiteral("Интервал(периодичность) обслуживания"), K::Number, 0},
        {F::Crew, QStringLiteral("Name_Crew"), QStringLiteral("Бригада"), K::Reference, 240},
        {F::Depart, QStringLiteral("Name_Depart"), QStringLiteral("Подразделение"), K::Reference, 240},
        {F::LastRep, QStringLiteral("LastRep"), QStringLiteral("Дата предыдущего обслуживания"), K::Date, 0},
    };
    return fields;
}

const ImportFieldSpec& importField(ImportField field) { return importFields()[int(field)]; }

ImportMapping::ImportMapping(const QStringList& header) : m_header(header)
{
    for (const QString& title : header) {
        std::optional<ImportField> field = proposeField(title);
        if (field && m_fields.contains(field)) // the first column of a title wins
            field.reset();
        m_fields.append(field);
    }
}

std::optional<ImportField> ImportMapping::proposeField(const QString& title)
{
    const QString key = normalised(title);
    if (key.isEmpty())
        return std::nullopt;
    for (const ImportFieldSpec& spec : importFields())
        if (key == normalised(spec.caption) || key == normalised(spec.name))
            return spec.field;
    for (const Alias& alias : kAliases)
        if (key == normalised(QString::fromUtf16(alias.text)))
            return alias.field;
    return std::nullopt;
}

std::optional<ImportField> ImportMapping::fieldOf(int column) const
{
    return column >= 0 && column < m_fields.size() ? m_fields[column] : std::nullopt;
}

void ImportMapping::setField(int column, std::optional<ImportField> field)
{
    if (column < 0 || column >= m_fields.size())
        return;
    if (field) // one column per field
        for (auto& other : m_fields)
            if (other == field)
                other.reset();
    m_fields[column] = field;
}

int ImportMapping::columnOf(ImportField field) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i] == field)
            return i;
    return -1;
}

QStringList ImportMapping::unmappedColumns() const
{
    QStringList titles;
    for (int i = 0; i < m_fields.size(); ++i)
        if (!m_fields[i])
            titles.append(m_header[i].isEmpty() ? QStringLiteral("(столбец %1)").arg(i + 1) : m_header[i]);
    return titles;
}

QString ImportMapping::headerKey(const QStringList& header)
{
    QStringList keys;
    for (const QString& title : header)
        keys.append(normalised(title));
    return QString::fromLatin1(
        QCryptographicHash::hash(keys.join(QLatin1Char('|')).toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

QString ImportMapping::toText() const
{
    QStringList names;
    for (const auto& field : m_fields)
        names.append(field ? importField(*field).name : QString());
    return names.join(QLatin1Char('|'));
}

bool ImportMapping::applyText(const QString& text)
{
    const QStringList names = text.split(QLatin1Char('|'));
    if (names.size() != m_header.size())
        return false;
    QList<std::optional<ImportField>> fields;
    for (const QString& name : names) {
        if (name.isEmpty()) {
            fields.append(std::nullopt);
            continue;
        }
        auto it = std::find_if(importFields().begin(), importFields().end(),
                               [&](const ImportFieldSpec& spec) { return spec.name == name; });
        if (it == importFields().end())
            return false;
        fields.append(it->field);
    }
    m_fields = fields;
    return true;
}

namespace {
const QString kSection = QStringLiteral("DeviceImport");
QString mappingKey(const QStringList& header) { return QStringLiteral("Mapping_") + ImportMapping::headerKey(header); }
} // namespace

bool ImportMapping::restore(QSettings& settings)
{
    settings.beginGroup(kSection);
    const QString text = settings.value(mappingKey(m_header)).toString();
    settings.endGroup();
    return !text.isEmpty() && applyText(text);
}

void ImportMapping::remember(QSettings& settings) const
{
    settings.beginGroup(kSection);
    settings.setValue(mappingKey(m_header), toText());
    settings.endGroup();
}
