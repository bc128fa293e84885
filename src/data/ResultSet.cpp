#include "data/ResultSet.h"

#include "data/Field.h"
#include "data/PodArray.h"
#include "data/SqlValue.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <sqlite3.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

bool parseStorageDate(const char* s, size_t n, qint64& packed)
{
    // "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" (a "T" accepted in place of the blank, fractions ignored)
    auto digits = [s](size_t from, size_t count, int& out) {
        out = 0;
        for (size_t i = from; i < from + count; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return false;
            out = out * 10 + (s[i] - '0');
        }
        return true;
    };
    int y, mo, d, h = 0, mi = 0, se = 0;
    if (n < 10 || s[4] != '-' || s[7] != '-' || !digits(0, 4, y) || !digits(5, 2, mo) || !digits(8, 2, d))
        return false;
    if (n > 10) {
        if (n < 19 || (s[10] != ' ' && s[10] != 'T') || s[13] != ':' || s[16] != ':' || !digits(11, 2, h) ||
            !digits(14, 2, mi) || !digits(17, 2, se))
            return false;
    }
    packed = ((((qint64(y) * 100 + mo) * 100 + d) * 100 + h) * 100 + mi) * 100 + se;
    return true;
}

// The storage form exactly as SqlValue::parseDateTime reads it without losing anything: a real date,
// no fraction of a second, no zone. A column without a declared type is only read as dates while its
// texts have this form, so that its values are the ones a cell by cell reading would give.
bool isRealMoment(qint64 packed)
{
    const qint64 time = packed % 1000000;
    const qint64 date = packed / 1000000;
    return QDate::isValid(int(date / 10000), int(date / 100 % 100), int(date % 100)) && time / 10000 < 24 &&
           time / 100 % 100 < 60 && time % 100 < 60;
}

bool parseExactStorageDate(const char* s, size_t n, qint64& packed)
{
    return (n == 10 || n == 19) && parseStorageDate(s, n, packed) && isRealMoment(packed);
}

// A server's date or moment without a zone: "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss" with digits of a
// fraction of a second, which SqlValue::parseDateTime reads too and packing drops. Anything else (a
// zone, a year past 9999, "infinity") is left to SqlValue::parseDateTime.
bool parseSentMoment(const char* s, size_t n, qint64& packed)
{
    if (n != 10 && n < 19)
        return false;
    if (n > 19) {
        if (s[19] != '.' || n == 20)
            return false;
        for (size_t i = 20; i < n; ++i)
            if (s[i] < '0' || s[i] > '9')
                return false;
    }
    return parseStorageDate(s, std::min(n, size_t(19)), packed) && isRealMoment(packed);
}

// A cell a server sent as text as the value a cell by cell reading gives; for what the typed path
// does not take.
QVariant sentValue(ResultSet::SentAs sentAs, const char* text, size_t length)
{
    const QByteArray bytes = QByteArray::fromRawData(text, qsizetype(length));
    switch (sentAs) {
    case ResultSet::SentAs::Bool:
        return qint64(length > 0 && text[0] == 't' ? 1 : 0);
    case ResultSet::SentAs::Integer:
        return bytes.toLongLong();
    case ResultSet::SentAs::Real:
        return bytes.toDouble();
    case ResultSet::SentAs::Decimal:
        return std::round(bytes.toDouble() * 1e6) / 1e6;
    default:
        return QString::fromUtf8(text, qsizetype(length));
    }
}

ResultSet::ColumnType columnTypeOf(ResultSet::SentAs sentAs)
{
    switch (sentAs) {
    case ResultSet::SentAs::Integer:
    case ResultSet::SentAs::Bool:
        return ResultSet::ColumnType::Integer;
    case ResultSet::SentAs::Real:
    case ResultSet::SentAs::Decimal:
        return ResultSet::ColumnType::Real;
    case ResultSet::SentAs::Moment:
        return ResultSet::ColumnType::DateTime;
    case ResultSet::SentAs::Text:
        return ResultSet::ColumnType::Text;
    case ResultSet::SentAs::Other:
        break;
    }
    return ResultSet::ColumnType::Variant;
}

// Whether SqlValue::parseDateTime might read the text as a date: "YYYY-MM-DD..." or a text that
// begins with a blank (it trims; the lead bytes of the non-ASCII blanks are included). Texts of a
// column without a declared type that pass go the slow way, so that a date among them is read as one.
bool mayBeDate(const char* s, size_t n)
{
    if (n < 10)
        return false;
    const auto lead = static_cast<unsigned char>(s[0]);
    return (s[4] == '-' && s[7] == '-') || lead == ' ' || (lead >= 9 && lead <= 13) || lead == 0xC2 || lead == 0xE1 ||
           lead == 0xE2 || lead == 0xE3;
}

QString numberText(double v) { return SqlValue::number(v); }

} // namespace

struct ResultSet::Column {
    ColumnInfo info;
    PodArray<qint64> ints;  // Integer and DateTime
    PodArray<double> reals; // Real
    PodArray<quint8> nulls; // Integer, Real, DateTime
    PodArray<quint32> ids;  // Text: 0 = null, n = entry n of the dictionary
    // The dictionary: the UTF-8 bytes of its entries one after another; entry n runs from
    // starts[n - 1] to starts[n] (starts[0] is 0).
    PodArray<char> bytes;
    PodArray<quint32> starts;
    std::vector<size_t> entryHashes;
    std::vector<quint32> hashSlots; // open addressing over entry ids, 0 = empty; never more than half full
    quint32 lastId = 0;         // rows often repeat the value of the row before
    // A column of mostly distinct texts (inventory numbers, comments) gains nothing from sharing its
    // values and would pay a lookup in a large table per row, which misses the processor's caches:
    // when most lookups of a sample find nothing to share, it keeps each text as it comes (a value
    // repeated by the row before is still shared).
    bool distinct = false;
    qint64 lookups = 0; // texts that differed from the row before
    qint64 found = 0;   // of those, texts the dictionary already had
    static constexpr int SampleRows = 4096;
    std::vector<QVariant> variants; // Variant
    // A column without a declared type (an expression, a computed column of a view) takes the type
    // of its first value that is not null; while it has none its nulls are kept as variants. Such a
    // column holds only values of exactly its type: the first that differs turns it into variants,
    // so every value reads as it came from the engine.
    bool undeclared = false;
    bool typePending = false;
    ResultSet::SentAs sentAs = ResultSet::SentAs::Other; // for a column read from a server's texts
    mutable std::vector<quint32> rankCache;
    mutable bool rankValid = false;

    size_t dictSize() const { return starts.empty() ? 0 : starts.size() - 1; }

    std::string_view entry(quint32 id) const
    {
        return {bytes.data() + starts[id - 1], size_t(starts[id] - starts[id - 1])};
    }

    quint32 addEntry(const char* data, size_t size)
    {
        if (starts.empty())
            starts.push_back(0);
        bytes.append(data, size);
        starts.push_back(quint32(bytes.size()));
        return quint32(dictSize());
    }

    quint32 intern(const char* data, size_t size)
    {
        const std::string_view probe(data, size);
        if (lastId != 0 && entry(lastId) == probe)
            return lastId;
        if (distinct)
            return lastId = addEntry(data, size);
        ++lookups;
        const size_t hash = std::hash<std::string_view>{}(probe);
        if (hashSlots.empty())
            hashSlots.assign(64, 0);
        const size_t mask = hashSlots.size() - 1;
        size_t slot = hash & mask;
        while (quint32 id = hashSlots[slot]) {
            if (entryHashes[id - 1] == hash && entry(id) == probe) {
                ++found;
                return lastId = id;
            }
            slot = (slot + 1) & mask;
        }
        const quint32 id = addEntry(data, size);
        entryHashes.push_back(hash);
        hashSlots[slot] = id;
        if (dictSize() * 2 > hashSlots.size())
            growSlots();
        return lastId = id;
    }

    void growSlots()
    {
        std::vector<quint32> bigger(hashSlots.size() * 2, 0);
        const size_t mask = bigger.size() - 1;
        for (quint32 id = 1; id <= dictSize(); ++id) {
            size_t slot = entryHashes[id - 1] & mask;
            while (bigger[slot])
                slot = (slot + 1) & mask;
            bigger[slot] = id;
        }
        hashSlots = std::move(bigger);
    }

    // Called at row counts that are powers of two from the sample size on.
    void reviewSharing()
    {
        if (distinct || found * 2 >= lookups)
            return;
        distinct = true;
        std::vector<size_t>().swap(entryHashes);
        std::vector<quint32>().swap(hashSlots);
    }

    quint32 intern(const QString& text)
    {
        QByteArray utf8 = text.toUtf8();
        return intern(utf8.constData(), size_t(utf8.size()));
    }

    QString dictText(quint32 id) const
    {
        const std::string_view v = entry(id);
        return QString::fromUtf8(v.data(), qsizetype(v.size()));
    }

    void reserve(size_t rows)
    {
        switch (info.type) {
        case ColumnType::Integer:
        case ColumnType::DateTime:
            ints.reserve(ints.size() + rows);
            nulls.reserve(nulls.size() + rows);
            break;
        case ColumnType::Real:
            reals.reserve(reals.size() + rows);
            nulls.reserve(nulls.size() + rows);
            break;
        case ColumnType::Text:
            ids.reserve(ids.size() + rows);
            break;
        case ColumnType::Variant:
            variants.reserve(variants.size() + rows);
            break;
        }
    }

    void appendNull()
    {
        switch (info.type) {
        case ColumnType::Integer:
        case ColumnType::DateTime:
            ints.push_back(0);
            nulls.push_back(true);
            break;
        case ColumnType::Real:
            reals.push_back(0);
            nulls.push_back(true);
            break;
        case ColumnType::Text:
            ids.push_back(0);
            break;
        case ColumnType::Variant:
            variants.emplace_back();
            break;
        }
    }

    QVariant get(int row) const
    {
        switch (info.type) {
        case ColumnType::Integer:
            return nulls[size_t(row)] ? QVariant() : QVariant(ints[size_t(row)]);
        case ColumnType::DateTime:
            return nulls[size_t(row)] ? QVariant() : QVariant(unpackDateTime(ints[size_t(row)]));
        case ColumnType::Real:
            return nulls[size_t(row)] ? QVariant() : QVariant(reals[size_t(row)]);
        case ColumnType::Text: {
            quint32 id = ids[size_t(row)];
            return id == 0 ? QVariant() : QVariant(dictText(id));
        }
        case ColumnType::Variant:
            return variants[size_t(row)];
        }
        return {};
    }

    bool isNull(int row) const
    {
        switch (info.type) {
        case ColumnType::Text:
            return ids[size_t(row)] == 0;
        case ColumnType::Variant:
            return variants[size_t(row)].isNull();
        default:
            return nulls[size_t(row)];
        }
    }

    // Called with the first value that is not null, `rowCount` nulls before it.
    void adoptTypeOf(sqlite3_value* cell, int storage, int rowCount)
    {
        typePending = false;
        ColumnType type = ColumnType::Variant;
        if (storage == SQLITE_INTEGER) {
            type = ColumnType::Integer;
        } else if (storage == SQLITE_FLOAT) {
            type = ColumnType::Real;
        } else if (storage == SQLITE_TEXT) {
            const char* s = reinterpret_cast<const char*>(sqlite3_value_text(cell));
            const size_t n = size_t(sqlite3_value_bytes(cell));
            qint64 packed;
            if (parseExactStorageDate(s, n, packed))
                type = ColumnType::DateTime;
            else if (!mayBeDate(s, n))
                type = ColumnType::Text;
        }
        if (type == ColumnType::Variant)
            return;
        variants.clear();
        info.type = type;
        for (int r = 0; r < rowCount; ++r)
            appendNull();
    }

    // Falls back to a column of QVariants when a value does not fit the declared type (SQLite lets
    // any column hold any value).
    void becomeVariant(int rowCount)
    {
        std::vector<QVariant> values;
        values.reserve(size_t(rowCount));
        for (int r = 0; r < rowCount; ++r)
            values.push_back(get(r));
        info.type = ColumnType::Variant;
        variants = std::move(values);
        ints.clear();
        reals.clear();
        nulls.clear();
        ids.clear();
        bytes.clear();
        starts.clear();
        entryHashes.clear();
        hashSlots.clear();
        lastId = 0;
        rankValid = false;
        typePending = false;
    }

    void emptyRows()
    {
        ints.truncate();
        reals.truncate();
        nulls.truncate();
        ids.truncate();
        bytes.truncate();
        starts.truncate();
        variants.clear();
        lastId = 0;
        rankValid = false;
        distinct = true;
        std::vector<size_t>().swap(entryHashes);
        std::vector<quint32>().swap(hashSlots);
    }

    // A value a server sent as text appended in the column's compact form; false for one it does not
    // take that way (the column has become variants, or the text is not in the usual form).
    bool appendSent(const char* s, size_t n)
    {
        if (info.type == ColumnType::Variant)
            return false;
        switch (sentAs) {
        case ResultSet::SentAs::Integer: {
            qint64 v;
            const auto read = std::from_chars(s, s + n, v);
            if (read.ec != std::errc() || read.ptr != s + n)
                return false;
            ints.push_back(v);
            break;
        }
        case ResultSet::SentAs::Bool:
            ints.push_back(n > 0 && s[0] == 't' ? 1 : 0);
            break;
        case ResultSet::SentAs::Real:
        case ResultSet::SentAs::Decimal: {
            double v;
            const auto read = std::from_chars(s, s + n, v);
            if (read.ec != std::errc() || read.ptr != s + n)
                return false;
            reals.push_back(sentAs == ResultSet::SentAs::Decimal ? std::round(v * 1e6) / 1e6 : v);
            break;
        }
        case ResultSet::SentAs::Moment: {
            qint64 packed;
            if (!parseSentMoment(s, n, packed))
                return false;
            ints.push_back(packed);
            break;
        }
        case ResultSet::SentAs::Text:
            ids.push_back(intern(s, n));
            return true;
        case ResultSet::SentAs::Other:
            return false;
        }
        nulls.push_back(false);
        return true;
    }

    void set(int row, const QVariant& value, int rowCount)
    {
        rankValid = false;
        size_t r = size_t(row);
        if (value.isNull()) {
            switch (info.type) {
            case ColumnType::Text:
                ids[r] = 0;
                return;
            case ColumnType::Variant:
                variants[r] = QVariant();
                return;
            default:
                nulls[r] = true;
                return;
            }
        }
        bool ok = true;
        switch (info.type) {
        case ColumnType::Integer: {
            qint64 v = value.toLongLong(&ok);
            if (ok && value.typeId() != QMetaType::Double) {
                ints[r] = v;
                nulls[r] = false;
                return;
            }
            break;
        }
        case ColumnType::Real: {
            double v = value.toDouble(&ok);
            if (ok) {
                reals[r] = v;
                nulls[r] = false;
                return;
            }
            break;
        }
        case ColumnType::DateTime: {
            QDateTime moment = value.typeId() == QMetaType::QString ? SqlValue::parseDateTime(value.toString())
                                                                    : value.toDateTime();
            if (value.typeId() == QMetaType::QDate)
                moment = value.toDate().startOfDay();
            if (moment.isValid()) {
                ints[r] = packDateTime(moment);
                nulls[r] = false;
                return;
            }
            break;
        }
        case ColumnType::Text:
            ids[r] = intern(value.toString());
            return;
        case ColumnType::Variant:
            variants[r] = value;
            return;
        }
        becomeVariant(rowCount);
        variants[r] = value;
    }
};

ResultSet::ResultSet() = default;
ResultSet::~ResultSet() = default;

const ResultSet::ColumnInfo& ResultSet::column(int c) const { return col(c).info; }

int ResultSet::indexOf(const QString& name) const
{
    for (int c = 0; c < columnCount(); ++c)
        if (col(c).info.name.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

QVariant ResultSet::value(int row, int c) const { return col(c).get(row); }

QDate ResultSet::date(int row, int c) const
{
    const Column& column = col(c);
    if (column.isNull(row))
        return {};
    if (column.info.type != ColumnType::DateTime)
        return SqlValue::parseDateTime(column.get(row).toString()).date();
    const qint64 day = column.ints[size_t(row)] / 1000000; // yyyymmdd, the time dropped
    return QDate(int(day / 10000), int(day / 100 % 100), int(day % 100));
}

bool ResultSet::isNull(int row, int c) const { return col(c).isNull(row); }

QString ResultSet::text(int row, int c) const
{
    const Column& column = col(c);
    if (column.isNull(row))
        return {};
    switch (column.info.type) {
    case ColumnType::Integer:
        return QString::number(column.ints[size_t(row)]);
    case ColumnType::Real:
        return numberText(column.reals[size_t(row)]);
    case ColumnType::DateTime: {
        QDateTime moment = unpackDateTime(column.ints[size_t(row)]);
        return moment.time() == QTime(0, 0) ? moment.toString(QStringLiteral("dd.MM.yyyy"))
                                            : moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    }
    case ColumnType::Text:
        return column.dictText(column.ids[size_t(row)]);
    case ColumnType::Variant: {
        const QVariant& v = column.variants[size_t(row)];
        if (v.typeId() == QMetaType::Double)
            return numberText(v.toDouble());
        return v.toString();
    }
    }
    return {};
}

void ResultSet::setValue(int row, int c, const QVariant& value) { col(c).set(row, value, m_rowCount); }

double ResultSet::number(int row, int c) const
{
    const Column& column = col(c);
    return column.info.type == ColumnType::Real ? column.reals[size_t(row)] : double(column.ints[size_t(row)]);
}

void ResultSet::momentParts(int row, int c, int parts[6]) const
{
    qint64 packed = col(c).ints[size_t(row)];
    for (int i = 5; i > 0; --i, packed /= 100)
        parts[i] = int(packed % 100);
    parts[0] = int(packed);
}

qint64 ResultSet::integer(int row, int c) const { return col(c).ints[size_t(row)]; }

std::string_view ResultSet::utf8(int row, int c) const
{
    const Column& column = col(c);
    return column.entry(column.ids[size_t(row)]);
}

void ResultSet::appendStorageMoment(int row, int c, QByteArray& out) const
{
    qint64 packed = col(c).ints[size_t(row)];
    char text[] = "0000-00-00 00:00:00";
    for (int at : {17, 14, 11, 8, 5}) {
        text[at] = char('0' + packed % 100 / 10);
        text[at + 1] = char('0' + packed % 10);
        packed /= 100;
    }
    for (int at = 3; at >= 0; --at, packed /= 10)
        text[at] = char('0' + packed % 10);
    out.append(text, 19);
}

void ResultSet::appendDisplayText(int row, int c, const Field& field, QByteArray& out) const
{
    appendDisplayText(row, c, field.displayFormat(), out);
}

void ResultSet::appendDisplayText(int row, int c, const QString& displayFormat, QByteArray& out) const
{
    const Column& column = col(c);
    if (column.isNull(row))
        return;
    const size_t r = size_t(row);
    switch (column.info.type) {
    case ColumnType::Integer:
        return Field::appendInteger(out, column.ints[r], displayFormat);
    case ColumnType::Real:
        return Field::appendNumber(out, column.reals[r], displayFormat);
    case ColumnType::DateTime: {
        int part[6];
        momentParts(row, c, part);
        return Field::appendMoment(out, part[0], part[1], part[2], part[3], part[4], part[5]);
    }
    case ColumnType::Text: {
        const std::string_view text = column.entry(column.ids[r]);
        out.append(text.data(), qsizetype(text.size()));
        return;
    }
    case ColumnType::Variant:
        out += Field::formatValue(column.variants[r], displayFormat).toUtf8();
        return;
    }
}

namespace {
int compareVariants(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return int(!a.isNull()) - int(!b.isNull());
    bool okA = false, okB = false;
    double da = a.toDouble(&okA), db = b.toDouble(&okB);
    if (okA && okB && a.typeId() != QMetaType::QString && b.typeId() != QMetaType::QString)
        return da < db ? -1 : (da > db ? 1 : 0);
    return a.toString().compare(b.toString(), Qt::CaseInsensitive);
}
} // namespace

int ResultSet::compare(int rowA, int rowB, int c) const
{
    const Column& column = col(c);
    bool nullA = column.isNull(rowA), nullB = column.isNull(rowB);
    if (nullA || nullB)
        return int(!nullA) - int(!nullB);
    switch (column.info.type) {
    case ColumnType::Integer:
    case ColumnType::DateTime: {
        qint64 a = column.ints[size_t(rowA)], b = column.ints[size_t(rowB)];
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    case ColumnType::Real: {
        double a = column.reals[size_t(rowA)], b = column.reals[size_t(rowB)];
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    case ColumnType::Text: {
        const std::vector<quint32>& r = ranks(c);
        quint32 a = r[size_t(rowA)], b = r[size_t(rowB)];
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    case ColumnType::Variant:
        return compareVariants(column.variants[size_t(rowA)], column.variants[size_t(rowB)]);
    }
    return 0;
}

const std::vector<quint32>& ResultSet::ranks(int c) const
{
    const Column& column = col(c);
    if (column.rankValid)
        return column.rankCache;
    column.rankCache.assign(size_t(m_rowCount), 0);
    if (column.info.type == ColumnType::Text) {
        // Rank the distinct texts once; rows then share their text's rank.
        std::vector<QString> texts;
        texts.reserve(column.dictSize());
        for (quint32 id = 1; id <= column.dictSize(); ++id)
            texts.push_back(column.dictText(id).toCaseFolded());
        std::vector<quint32> order(column.dictSize());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&texts](quint32 a, quint32 b) { return texts[a].compare(texts[b]) < 0; });
        std::vector<quint32> rankOfId(column.dictSize() + 1, 0);
        quint32 rank = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            if (i == 0 || texts[order[i]] != texts[order[i - 1]])
                ++rank;
            rankOfId[order[i] + 1] = rank;
        }
        for (int r = 0; r < m_rowCount; ++r)
            column.rankCache[size_t(r)] = rankOfId[column.ids[size_t(r)]];
    } else {
        std::vector<int> order(static_cast<size_t>(m_rowCount));
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [this, c](int a, int b) { return compare(a, b, c) < 0; });
        quint32 rank = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            if (column.isNull(order[i]))
                continue;
            if (rank == 0 || compare(order[i], order[i - 1], c) != 0)
                ++rank;
            column.rankCache[size_t(order[i])] = rank;
        }
    }
    column.rankValid = true;
    return column.rankCache;
}

qint64 ResultSet::valueKey(int row, int c) const
{
    const Column& column = col(c);
    if (column.isNull(row))
        return std::numeric_limits<qint64>::min();
    switch (column.info.type) {
    case ColumnType::Integer:
    case ColumnType::DateTime:
        return column.ints[size_t(row)];
    case ColumnType::Real: {
        double v = column.reals[size_t(row)];
        qint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        return bits;
    }
    case ColumnType::Text:
        return column.ids[size_t(row)];
    case ColumnType::Variant:
        return qint64(qHash(column.variants[size_t(row)].toString()));
    }
    return 0;
}

int ResultSet::appendRow()
{
    for (auto& column : m_columns) {
        column->appendNull();
        column->rankValid = false;
    }
    return m_rowCount++;
}

// The rows of a query are large and short-lived: a window re-reads its 100,000 devices each time it
// is activated. By default the C library hands such blocks back to the system when they are freed,
// and the next read then pays a page fault for every 4 KB it writes, which costs more than the
// engine's own work on the rows. Freed memory is kept in the process for the next read instead.
void ResultSet::keepFreedMemoryForTheNextRead()
{
#ifdef __GLIBC__
    static const bool done = [] {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
        return true;
    }();
    Q_UNUSED(done);
#endif
}

ResultSet::ColumnType ResultSet::typeFromDeclaration(const QString& declaredType)
{
    const QString t = declaredType.toUpper();
    if (t.isEmpty())
        return ColumnType::Variant;
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        return ColumnType::DateTime;
    if (t.contains(QLatin1String("INT")) || t.contains(QLatin1String("BOOL")))
        return ColumnType::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) || t.contains(QLatin1String("TEXT")))
        return ColumnType::Text;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("DOUB")) ||
        t.contains(QLatin1String("DEC")) || t.contains(QLatin1String("NUM")))
        return ColumnType::Real;
    return ColumnType::Variant;
}

qint64 ResultSet::packDateTime(const QDateTime& m)
{
    QDate d = m.date();
    QTime t = m.time();
    return ((((qint64(d.year()) * 100 + d.month()) * 100 + d.day()) * 100 + t.hour()) * 100 + t.minute()) * 100 +
           t.second();
}

QDateTime ResultSet::unpackDateTime(qint64 p)
{
    int se = int(p % 100);
    p /= 100;
    int mi = int(p % 100);
    p /= 100;
    int h = int(p % 100);
    p /= 100;
    int d = int(p % 100);
    p /= 100;
    int mo = int(p % 100);
    p /= 100;
    return QDateTime(QDate(int(p), mo, d), QTime(h, mi, se));
}

void ResultSet::addColumn(const QString& name, ColumnType type)
{
    auto column = std::make_unique<Column>();
    column->info.name = name;
    column->info.type = type;
    for (int r = 0; r < m_rowCount; ++r)
        column->appendNull();
    m_columns.push_back(std::move(column));
}

void ResultSet::defineColumns(sqlite3_stmt* stmt)
{
    m_columns.clear();
    m_rowCount = 0;
    const int count = sqlite3_column_count(stmt);
    for (int c = 0; c < count; ++c) {
        const char* declared = sqlite3_column_decltype(stmt, c);
        QString declaredType = declared ? QString::fromUtf8(declared) : QString();
        addColumn(QString::fromUtf8(sqlite3_column_name(stmt, c)), typeFromDeclaration(declaredType));
        col(c).info.declaredType = declaredType;
        col(c).undeclared = col(c).typePending = declaredType.isEmpty();
    }
}

void ResultSet::startBatch()
{
    m_rowCount = 0;
    for (auto& column : m_columns)
        column->emptyRows();
}

void ResultSet::reviewSharingAt(int rowCount)
{
    if (rowCount >= Column::SampleRows && (rowCount & (rowCount - 1)) == 0)
        for (auto& column : m_columns)
            if (column->info.type == ColumnType::Text)
                column->reviewSharing();
}

void ResultSet::addColumn(const QString& name, SentAs sentAs, const QString& declaredType)
{
    addColumn(name, columnTypeOf(sentAs));
    m_columns.back()->sentAs = sentAs;
    m_columns.back()->info.declaredType = declaredType;
}

void ResultSet::reserveRows(int count)
{
    for (auto& column : m_columns)
        column->reserve(size_t(count));
}

void ResultSet::appendFromText(const char* const* cells, const int* sizes)
{
    const int row = m_rowCount++;
    reviewSharingAt(m_rowCount);
    for (int c = 0; c < columnCount(); ++c) {
        Column& column = col(c);
        if (!cells[c]) {
            column.appendNull();
            continue;
        }
        const size_t size = size_t(sizes[c]);
        if (column.appendSent(cells[c], size))
            continue;
        column.appendNull();
        column.set(row, sentValue(column.sentAs, cells[c], size), m_rowCount);
    }
}

void ResultSet::appendFromStatement(sqlite3_stmt* stmt)
{
    const int row = m_rowCount++;
    reviewSharingAt(m_rowCount);
    for (int c = 0; c < columnCount(); ++c) {
        Column& column = col(c);
        // One call into the engine per cell: each sqlite3_column_* call takes the connection's mutex,
        // the sqlite3_value_* calls on the value it returns do not.
        sqlite3_value* cell = sqlite3_column_value(stmt, c);
        const int storage = sqlite3_value_type(cell);
        if (storage == SQLITE_NULL) {
            column.appendNull();
            continue;
        }
        if (column.typePending)
            column.adoptTypeOf(cell, storage, row);
        switch (column.info.type) {
        case ColumnType::Integer:
            if (storage == SQLITE_INTEGER) {
                column.ints.push_back(sqlite3_value_int64(cell));
                column.nulls.push_back(false);
                continue;
            }
            break;
        case ColumnType::Real:
            if (storage == SQLITE_FLOAT || (storage == SQLITE_INTEGER && !column.undeclared)) {
                column.reals.push_back(sqlite3_value_double(cell));
                column.nulls.push_back(false);
                continue;
            }
            break;
        case ColumnType::DateTime:
            if (storage == SQLITE_TEXT) {
                qint64 packed;
                const char* s = reinterpret_cast<const char*>(sqlite3_value_text(cell));
                const size_t n = size_t(sqlite3_value_bytes(cell));
                if (column.undeclared ? parseExactStorageDate(s, n, packed) : parseStorageDate(s, n, packed)) {
                    column.ints.push_back(packed);
                    column.nulls.push_back(false);
                    continue;
                }
            }
            break;
        case ColumnType::Text: {
            if (column.undeclared && storage != SQLITE_TEXT)
                break;
            const char* s = reinterpret_cast<const char*>(sqlite3_value_text(cell));
            const size_t n = size_t(sqlite3_value_bytes(cell));
            if (column.undeclared && mayBeDate(s, n))
                break;
            column.ids.push_back(column.intern(s, n));
            continue;
        }
        case ColumnType::Variant:
            break;
        }
        // The value does not fit the declared type: keep it as it came.
        QVariant value;
        switch (storage) {
        case SQLITE_INTEGER:
            value = qint64(sqlite3_value_int64(cell));
            break;
        case SQLITE_FLOAT:
            value = sqlite3_value_double(cell);
            break;
        case SQLITE_BLOB:
            value = QByteArray(static_cast<const char*>(sqlite3_value_blob(cell)), sqlite3_value_bytes(cell));
            break;
        default: {
            const char* s = reinterpret_cast<const char*>(sqlite3_value_text(cell));
            const int n = sqlite3_value_bytes(cell);
            QString text = QString::fromUtf8(s, n);
            // An expression column (no declared type) holding a date in the storage form reads as a
            // date, so that min(NextRep) and the like show as dates.
            QDateTime moment = (column.undeclared || column.info.type == ColumnType::Variant) && text.size() >= 10
                                   ? SqlValue::parseDateTime(text)
                                   : QDateTime();
            if (moment.isValid()) {
                value = moment;
            } else if (column.info.type == ColumnType::Text) {
                column.ids.push_back(column.intern(s, size_t(n))); // looked like a date, is a text
                continue;
            } else {
                value = text;
            }
        }
        }
        if (column.info.type != ColumnType::Variant)
            column.becomeVariant(row);
        column.variants.push_back(value);
    }
}
