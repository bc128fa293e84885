#include "devices/import/XlsxSource.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <cmath>

namespace {

const QString kMainNs = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");

QString damaged(const QString& fileName)
{
    return QStringLiteral("файл «%1» повреждён или не является книгой Excel (.xlsx)").arg(fileName);
}

// A part's path from a relationship's target: relative to xl/, or absolute within the archive.
QString partPath(const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    return QStringLiteral("xl/") + target;
}

bool isTrue(QStringView text) { return text == u"1" || text == u"true"; }

// The text of an <si> or <is> element: its <t> runs joined, phonetic hints left out. Ends on the
// element's end tag.
QString richText(QXmlStreamReader& xml)
{
    QString text;
    int depth = 1;
    bool phonetic = false;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (xml.name() == u"rPh")
                phonetic = true;
            else if (xml.name() == u"t" && !phonetic) {
                text += xml.readElementText();
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (xml.name() == u"rPh")
                phonetic = false;
        }
    }
    return text;
}

} // namespace

XlsxSource::XlsxSource(const QString& fileName, const TableSourceOptions& options)
    : m_fileName(fileName), m_options(options)
{
}

XlsxSource::~XlsxSource()
{
    m_sheetFile.reset(); // before the archive it reads from
}

int XlsxSource::columnOf(const QString& reference)
{
    int column = 0;
    int letters = 0;
    for (const QChar c : reference) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            column = column * 26 + (c.unicode() - 'A' + 1);
        else
            break;
        if (++letters > 3)
            return -1;
    }
    return letters == 0 ? -1 : column - 1;
}

QDate XlsxSource::serialDate(double serial, bool base1904)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958465.0) // 31.12.9999
        return {};
    const qint64 day = qint64(std::floor(serial));
    if (base1904)
        return QDate(1904, 1, 1).addDays(day);
    if (day < 1 || day == 60)
        return {};
    return day < 60 ? QDate(1899, 12, 31).addDays(day) : QDate(1899, 12, 30).addDays(day);
}

bool XlsxSource::isDateFormat(int numFmtId, const QString& formatCode)
{
    if ((numFmtId >= 14 && numFmtId <= 22) || (numFmtId >= 27 && numFmtId <= 36) ||
        (numFmtId >= 45 && numFmtId <= 47) || (numFmtId >= 50 && numFmtId <= 58))
        return true;
    if (formatCode.isEmpty())
        return false;
    static const QRegularExpression literal(QStringLiteral("\"[^\"]*\"|\\[[^\\]]*\\]|\\\\.|_.|\\*."));
    QString code = formatCode;
    code.remove(literal);
    return code.contains(QRegularExpression(QStringLiteral("[dDmMyY]")));
}

bool XlsxSource::readEntry(const QString& path, QByteArray& bytes, bool required, QString& error)
{
    if (!m_zip->contains(path)) {
        if (required)
            error = damaged(m_fileName) + QStringLiteral(": в нём нет части «%1»").arg(path);
        return !required;
    }
    if (!m_zip->read(path, bytes)) {
        error = damaged(m_fileName);
        return false;
    }
    return true;
}

bool XlsxSource::readWorkbook(QString& error)
{
    QByteArray rels, workbook;
    if (!readEntry(QStringLiteral("xl/_rels/workbook.xml.rels"), rels, true, error) ||
        !readEntry(QStringLiteral("xl/workbook.xml"), workbook, true, error))
        return false;
    QHash<QString, QString> targets;
    QXmlStreamReader relsXml(rels);
    while (!relsXml.atEnd()) {
        if (relsXml.readNext() == QXmlStreamReader::StartElement && relsXml.name() == u"Relationship")
            targets.insert(relsXml.attributes().value(QStringLiteral("Id")).toString(),
                           relsXml.attributes().value(QStringLiteral("Target")).toString());
    }
    QXmlStreamReader xml(workbook);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"workbookPr") {
            m_base1904 = isTrue(xml.attributes().value(QStringLiteral("date1904")));
        } else if (xml.name() == u"sheet") {
            QString id;
            for (const QXmlStreamAttribute& a : xml.attributes())
                if (a.name() == u"id")
                    id = a.value().toString();
            m_sheets.append({xml.attributes().value(QStringLiteral("name")).toString(), partPath(targets.value(id))});
        }
    }
    if (xml.hasError() || relsXml.hasError() || m_sheets.isEmpty()) {
        error = damaged(m_fileName);
        return false;
    }
    return true;
}

bool XlsxSource::readSharedStrings(QString& error)
{
    QByteArray bytes;
    if (!readEntry(QStringLiteral("xl/sharedStrings.xml"), bytes, false, error))
        return false;
    if (bytes.isEmpty()) // a workbook without it (texts inline, no formats)
        return true;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si")
            m_shared.append(richText(xml));
    }
    if (xml.hasError()) {
        error = damaged(m_fileName);
        return false;
    }
    return true;
}

bool XlsxSource::readStyles(QString& error)
{
    QByteArray bytes;
    if (!readEntry(QStringLiteral("xl/styles.xml"), bytes, false, error))
        return false;
    if (bytes.isEmpty()) // a workbook without it (texts inline, no formats)
        return true;
    QHash<int, QString> codes;
    QXmlStreamReader xml(bytes);
    bool inCellXfs = false;
    int index = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs")
            inCellXfs = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const auto attributes = xml.attributes();
        if (xml.name() == u"numFmt") {
            codes.insert(attributes.value(QStringLiteral("numFmtId")).toInt(),
                         attributes.value(QStringLiteral("formatCode")).toString());
        } else if (xml.name() == u"cellXfs") {
            inCellXfs = true;
        } else if (inCellXfs && xml.name() == u"xf") {
            const int id = attributes.value(QStringLiteral("numFmtId")).toInt();
            if (isDateFormat(id, codes.value(id)))
                m_dateStyles.insert(index);
            ++index;
        }
    }
    if (xml.hasError()) {
        error = damaged(m_fileName);
        return false;
    }
    return true;
}

QStringList XlsxSource::sheetNames(const QString& fileName, QString& error)
{
    XlsxSource source(fileName, {});
    source.m_zip = std::make_unique<ZipArchive>(fileName);
    if (!source.m_zip->isOpen()) {
        error = damaged(fileName);
        return {};
    }
    if (!source.readWorkbook(error))
        return {};
    QStringList names;
    for (const Sheet& sheet : source.m_sheets)
        names.append(sheet.name);
    return names;
}

bool XlsxSource::open(QString& error)
{
    m_zip = std::make_unique<ZipArchive>(m_fileName);
    if (!m_zip->isOpen()) {
        error = damaged(m_fileName);
        return false;
    }
    if (!readWorkbook(error) || !readSharedStrings(error) || !readStyles(error))
        return false;
    if (m_options.sheet < 0 || m_options.sheet >= m_sheets.size()) {
        error = QStringLiteral("в книге «%1» нет листа номер %2").arg(m_fileName).arg(m_options.sheet + 1);
        return false;
    }
    const Sheet& sheet = m_sheets[m_options.sheet];
    m_sheetFile = m_zip->open(sheet.path, m_sheetSize);
    if (!m_sheetFile) {
        error = damaged(m_fileName) + QStringLiteral(": нет листа «%1»").arg(sheet.name);
        return false;
    }
    m_xml.setDevice(m_sheetFile.get());
    return true;
}

double XlsxSource::progress() const
{
    return m_sheetSize > 0 ? std::min(1.0, double(m_xml.characterOffset()) / double(m_sheetSize)) : 1.0;
}

QVariant XlsxSource::readCell(int& column)
{
    const auto attributes = m_xml.attributes();
    const QString reference = attributes.value(QStringLiteral("r")).toString();
    if (!reference.isEmpty())
        column = columnOf(reference);
    const QString type = attributes.value(QStringLiteral("t")).toString();
    const bool dateStyle = m_dateStyles.contains(attributes.value(QStringLiteral("s")).toInt());
    QString value;
    bool hasValue = false;
    QString inlineText;
    while (!m_xml.atEnd()) {
        const auto token = m_xml.readNext();
        if (token == QXmlStreamReader::EndElement && m_xml.name() == u"c")
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (m_xml.name() == u"v") {
            value = m_xml.readElementText();
            hasValue = true;
        } else if (m_xml.name() == u"is") {
            inlineText = richText(m_xml);
            hasValue = true;
        } else if (m_xml.name() == u"f") {
            m_xml.skipCurrentElement();
        }
    }
    if (!hasValue)
        return {};
    if (type == u"inlineStr")
        return inlineText;
    if (type == u"s") {
        bool ok = false;
        const int index = value.toInt(&ok);
        return ok && index >= 0 && index < m_shared.size() ? QVariant(m_shared[index]) : QVariant();
    }
    if (type == u"str" || type == u"e")
        return value;
    if (type == u"b")
        return isTrue(value);
    if (type == u"d") {
        const QDate day = QDate::fromString(value.left(10), Qt::ISODate);
        return day.isValid() ? QVariant(day) : QVariant(value);
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return value;
    if (dateStyle) {
        const QDate day = serialDate(number, m_base1904);
        if (day.isValid())
            return day;
    }
    return number;
}

bool XlsxSource::next(QVariantList& cells, int& row)
{
    while (!m_xml.atEnd()) {
        if (m_xml.readNext() != QXmlStreamReader::StartElement || m_xml.name() != u"row")
            continue;
        const QString number = m_xml.attributes().value(QStringLiteral("r")).toString();
        row = number.isEmpty() ? m_lastRow + 1 : number.toInt();
        m_lastRow = row;
        cells.clear();
        int column = 0;
        bool any = false;
        while (!m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::EndElement && m_xml.name() == u"row")
                break;
            if (token != QXmlStreamReader::StartElement || m_xml.name() != u"c")
                continue;
            const QVariant cell = readCell(column);
            if (column < 0 || column > 16383)
                continue;
            while (cells.size() < column)
                cells.append(QVariant());
            cells.append(cell);
            any = any || (cell.isValid() && !cellText(cell).trimmed().isEmpty());
            ++column;
        }
        if (any)
            return true;
    }
    if (m_xml.hasError() && m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
        m_error = damaged(m_fileName);
    } else if (m_xml.hasError() || m_sheetFile->damaged()) {
        m_error = damaged(m_fileName) + QStringLiteral(": лист обрывается");
    }
    return false;
}
