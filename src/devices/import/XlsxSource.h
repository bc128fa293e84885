#pragma once

#include "devices/import/TableSource.h"

#include <QSet>
#include <QStringList>
#include <QXmlStreamReader>
#include <memory>

#include "devices/import/ZipArchive.h"

// One sheet of an .xlsx workbook, its XML read as a stream out of the archive. Cells take the value
// the workbook stores: shared and inline texts, numbers, booleans, a formula's last result; a number
// in a date format becomes the date it counts from the workbook's base (1900 or 1904). Cells the
// sheet leaves out are empty by their reference.
class XlsxSource : public TableSource {
public:
    XlsxSource(const QString& fileName, const TableSourceOptions& options);
    ~XlsxSource() override;

    bool open(QString& error);
    bool next(QVariantList& cells, int& row) override;
    QString error() const override { return m_error; }
    double progress() const override;

    // The sheets' names in the workbook's order; empty with `error` set when it cannot be read.
    static QStringList sheetNames(const QString& fileName, QString& error);
    // The day a serial number counts to, or an invalid date where none exists (before day 1, the
    // 29 February 1900 the 1900 base counts but the calendar never had).
    static QDate serialDate(double serial, bool base1904);
    // Whether a number format shows a date: the built-in date formats, or a format code with a day,
    // month or year outside quotes and brackets.
    static bool isDateFormat(int numFmtId, const QString& formatCode);
    // "B7" -> 1 (columns from 0); -1 when it names no column.
    static int columnOf(const QString& reference);

private:
    struct Sheet {
        QString name;
        QString path;
    };
    bool readWorkbook(QString& error);
    bool readSharedStrings(QString& error);
    bool readStyles(QString& error);
    bool readEntry(const QString& path, QByteArray& bytes, bool required, QString& error);
    QVariant readCell(int& column);

    QString m_fileName;
    TableSourceOptions m_options;
    std::unique_ptr<ZipArchive> m_zip;
    std::unique_ptr<ZipArchive::Entry> m_sheetFile;
    QXmlStreamReader m_xml;
    QList<Sheet> m_sheets;
    QStringList m_shared;
    QSet<int> m_dateStyles; // indexes into the cell formats whose number format is a date
    bool m_base1904 = false;
    qint64 m_sheetSize = 0;
    int m_lastRow = 0;
    QString m_error;
};
