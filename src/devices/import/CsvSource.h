#pragma once

#include "devices/import/TableSource.h"

#include <QFile>
#include <QStringDecoder>

// A text table: fields split by a separator, quoted per RFC 4180 (a quote inside a quoted field is
// doubled; separators and line breaks inside quotes belong to the field). The bytes are UTF-8, with
// or without a byte order mark, or Windows-1251 when they are not valid UTF-8.
class CsvSource : public TableSource {
public:
    CsvSource(const QString& fileName, const TableSourceOptions& options);

    bool open(QString& error);
    bool next(QVariantList& cells, int& row) override;
    QString error() const override { return m_error; }
    double progress() const override;

    QChar separator() const { return m_separator; }
    QString encoding() const { return m_encoding; }

    // The separator a header line uses most: ';', then tab, then ',' on a tie; ';' when it has none.
    static QChar detectSeparator(const QString& line);
    // Whether `bytes` are valid UTF-8; a sequence cut off at the end counts as valid.
    static bool isUtf8(const QByteArray& bytes);

private:
    bool fill();
    bool atEnd();

    QFile m_file;
    TableSourceOptions m_options;
    QChar m_separator;
    QString m_encoding;
    QStringDecoder m_decoder;
    QString m_buffer;
    qsizetype m_pos = 0;
    int m_line = 1;
    QString m_error;
};
