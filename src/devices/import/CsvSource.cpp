#include "devices/import/CsvSource.h"

namespace {

constexpr qint64 kChunk = 64 * 1024;
const QChar kQuote = QLatin1Char('"');

bool rowHasValue(const QVariantList& cells)
{
    for (const QVariant& cell : cells)
        if (cell.isValid() && !cell.toString().trimmed().isEmpty())
            return true;
    return false;
}

} // namespace

CsvSource::CsvSource(const QString& fileName, const TableSourceOptions& options)
    : m_file(fileName), m_options(options)
{
}

bool CsvSource::isUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        int follow = 0;
        if (c < 0x80)
            follow = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            follow = 1;
        else if ((c & 0xF0) == 0xE0)
            follow = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        for (int k = 1; k <= follow; ++k) {
            if (i + k >= n)
                return true;
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += follow + 1;
    }
    return true;
}

QChar CsvSource::detectSeparator(const QString& line)
{
    int semicolons = 0, tabs = 0, commas = 0;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == kQuote)
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == QLatin1Char(';'))
            ++semicolons;
        else if (c == QLatin1Char('\t'))
            ++tabs;
        else if (c == QLatin1Char(','))
            ++commas;
    }
    if (tabs > semicolons && tabs >= commas)
        return QLatin1Char('\t');
    if (commas > semicolons && commas > tabs)
        return QLatin1Char(',');
    return QLatin1Char(';');
}

bool CsvSource::open(QString& error)
{
    if (!m_file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("файл «%1» не открыт: %2").arg(m_file.fileName(), m_file.errorString());
        return false;
    }
    QByteArray head = m_file.peek(kChunk);
    const bool bom = head.startsWith("\xEF\xBB\xBF");
    if (bom)
        m_file.read(3);
    m_encoding = m_options.encoding;
    if (m_encoding.isEmpty())
        m_encoding = bom || isUtf8(head) ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1251");
    m_decoder = QStringDecoder(m_encoding.toLatin1().constData());
    if (!m_decoder.isValid()) {
        error = QStringLiteral("кодировка «%1» не поддерживается").arg(m_encoding);
        return false;
    }
    fill();
    m_separator = m_options.separator;
    if (m_separator.isNull()) {
        qsizetype end = m_buffer.indexOf(QLatin1Char('\n'));
        m_separator = detectSeparator(end < 0 ? m_buffer : m_buffer.left(end));
    }
    return true;
}

bool CsvSource::fill()
{
    if (m_file.atEnd())
        return false;
    const QByteArray bytes = m_file.read(kChunk);
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    m_buffer += m_decoder.decode(bytes);
    return true;
}

bool CsvSource::atEnd() { return m_pos >= m_buffer.size() && !fill(); }

double CsvSource::progress() const
{
    const qint64 size = m_file.size();
    return size > 0 ? double(m_file.pos()) / double(size) : 1.0;
}

bool CsvSource::next(QVariantList& cells, int& row)
{
    for (;;) {
        cells.clear();
        if (atEnd())
            return false;
        row = m_line;
        QString field;
        bool quoted = false, wasQuoted = false, endOfRow = false;
        while (!endOfRow) {
            if (atEnd()) {
                if (quoted) {
                    m_error = QStringLiteral("строка %1: кавычка не закрыта до конца файла").arg(row);
                    return false;
                }
                break;
            }
            const QChar c = m_buffer.at(m_pos++);
            if (quoted) {
                if (c == kQuote) {
                    if (m_pos >= m_buffer.size())
                        fill();
                    if (m_pos < m_buffer.size() && m_buffer.at(m_pos) == kQuote) {
                        field += kQuote;
                        ++m_pos;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == QLatin1Char('\n'))
                        ++m_line;
                    field += c;
                }
            } else if (c == kQuote && field.isEmpty() && !wasQuoted) {
                quoted = wasQuoted = true;
            } else if (c == m_separator) {
                cells.append(field.isEmpty() ? QVariant() : QVariant(field));
                field.clear();
                wasQuoted = false;
            } else if (c == QLatin1Char('\n')) {
                ++m_line;
                endOfRow = true;
            } else if (c != QLatin1Char('\r')) {
                field += c;
            }
        }
        cells.append(field.isEmpty() ? QVariant() : QVariant(field));
        if (rowHasValue(cells))
            return true;
    }
}
