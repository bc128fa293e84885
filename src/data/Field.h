#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <functional>

class Dataset;

// One column of a dataset as windows see it: a column of the query, a value looked up in another
// dataset, or a value calculated per row. Carries what grids and editors need to show it.
class Field {
public:
    enum class Kind { Data, Lookup, Calculated };
    using Calculation = std::function<QVariant(const Dataset&, int row)>;

    Field(const QString& name, Kind kind) : m_name(name), m_label(name), m_kind(kind) {}

    const QString& name() const { return m_name; }
    Kind kind() const { return m_kind; }

    const QString& label() const { return m_label; }
    void setLabel(const QString& label) { m_label = label; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    // "0.##" style: digits after the point at most as many as the pattern has; "0.00" exactly.
    const QString& displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString& format) { m_displayFormat = format; }
    int displayWidth() const { return m_displayWidth; }
    void setDisplayWidth(int chars) { m_displayWidth = chars; }
    bool isRequired() const { return m_required; }
    void setRequired(bool required) { m_required = required; }
    bool isReadOnly() const { return m_readOnly || m_kind != Kind::Data; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // The most characters a text column holds, from its declared size ("varchar(50)", "text(80)");
    // 0 when it has none. SQLite itself stores longer texts, other engines refuse them.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int chars) { m_maxLength = chars; }
    // n from "varchar(n)", "text(n)", "char(n)"; 0 for a declaration without a size.
    static int declaredLength(const QString& declaredType);
    // Characters as the user counts them (a letter outside the basic plane is one, not two).
    static int characterCount(const QString& text);
    // Whether an editor may change it: a data field that is not read-only, or a lookup field (which
    // writes the key it looks up by) not marked read-only. Calculated fields never.
    bool isEditable() const { return !m_readOnly && m_kind != Kind::Calculated; }

    // The value as the user reads it: dates "dd.MM.yyyy" (with the time when there is one), numbers
    // with a decimal comma and the display format, texts as they are, null as nothing.
    QString displayText(const QVariant& value) const;
    static QString formatValue(const QVariant& value, const QString& displayFormat = {});

    // The same texts appended to `out` as UTF-8, without a QVariant or a QString per cell: what an
    // export of 100,000 rows needs. formatValue() is built on them, so both always agree.
    static void appendNumber(QByteArray& out, double value, const QString& displayFormat);
    static void appendInteger(QByteArray& out, qint64 value, const QString& displayFormat);
    // "dd.MM.yyyy", and " HH:mm:ss" unless the time is midnight.
    static void appendMoment(QByteArray& out, int year, int month, int day, int hour, int minute, int second);

    // Data fields: the column in the dataset's rows.
    int column() const { return m_column; }
    void setColumn(int column) { m_column = column; }

    // Lookup fields: the value of `resultField` in the row of `lookupDataset` whose `lookupKeyField`
    // equals this dataset's `keyField`.
    struct Lookup {
        Dataset* dataset = nullptr;
        QString keyField;
        QString lookupKeyField;
        QString resultField;
    };
    const Lookup& lookup() const { return m_lookup; }
    void setLookup(const Lookup& lookup) { m_lookup = lookup; }

    const Calculation& calculation() const { return m_calculation; }
    void setCalculation(Calculation calculation) { m_calculation = std::move(calculation); }

private:
    QString m_name;
    QString m_label;
    Kind m_kind;
    bool m_visible = true;
    bool m_required = false;
    bool m_readOnly = false;
    QString m_displayFormat;
    int m_displayWidth = 0;
    int m_maxLength = 0;
    int m_column = -1;
    Lookup m_lookup;
    Calculation m_calculation;
};
