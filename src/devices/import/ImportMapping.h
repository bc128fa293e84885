#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The fields a row of an imported table can fill: the device's own columns, the names behind its
// references, and one service of the device (which service, its interval, the crew doing it and the
// last date it was done).
enum class ImportField {
    ZNumber, ANumber, TypeName, TypeMark, Location, LocSet, State, System, Class, Mere, Dest, Marg, Scale,
    Grade, SetDate, SetPlace, InputDate, Comments, Service, Interval, Crew, Depart, LastRep
};
constexpr int kImportFieldCount = int(ImportField::LastRep) + 1;

enum class ImportKind { Text, Reference, Date, Number };

struct ImportFieldSpec {
    ImportField field;
    QString name;       // the column or view field it stands for: ZNumber, Name_DevType, RT_Mon...
    QString caption;    // the title the device window gives it
    ImportKind kind;
    int maxLength;      // of a text or a reference name; 0 for dates and numbers
};

const QList<ImportFieldSpec>& importFields();
const ImportFieldSpec& importField(ImportField field);

// Which field each column of the table fills. Proposed from the header by the field's caption or
// its name, compared without letter case, blanks and punctuation; a column may also be left out.
class QSettings;

class ImportMapping {
public:
    ImportMapping() = default;
    explicit ImportMapping(const QStringList& header);

    const QStringList& header() const { return m_header; }
    // The field of a column, or nothing when the column is left out.
    std::optional<ImportField> fieldOf(int column) const;
    void setField(int column, std::optional<ImportField> field);
    // The column a field is read from, -1 when no column is mapped to it.
    int columnOf(ImportField field) const;
    bool isMapped(ImportField field) const { return columnOf(field) >= 0; }
    // The titles of the columns left out.
    QStringList unmappedColumns() const;

    // The field a column title names, if any.
    static std::optional<ImportField> proposeField(const QString& title);
    // A key for the set of titles, under which the user's mapping is remembered.
    static QString headerKey(const QStringList& header);
    // The mapping as remembered text (field names by column, empty for a column left out), and back;
    // a text for another number of columns or naming unknown fields is not applied.
    QString toText() const;
    bool applyText(const QString& text);
    // The mapping the user last chose for this set of titles, kept in the settings file's section of
    // the import; false (and the proposal kept) when there is none.
    bool restore(QSettings& settings);
    void remember(QSettings& settings) const;

private:
    QStringList m_header;
    QList<std::optional<ImportField>> m_fields;
};
