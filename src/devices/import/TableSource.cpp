#include "devices/import/TableSource.h"

#include "devices/import/CsvSource.h"
#include "devices/import/XlsxSource.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <cmath>

std::unique_ptr<TableSource> openTableSource(const QString& fileName, const TableSourceOptions& options,
                                             QString& error)
{
    QFile probe(fileName);
    if (!probe.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("файл «%1» не открыт: %2").arg(fileName, probe.errorString());
        return nullptr;
    }
    const QByteArray magic = probe.read(4);
    probe.close();
    if (magic.isEmpty()) {
        error = QStringLiteral("файл «%1» пуст").arg(fileName);
        return nullptr;
    }
    const bool workbook = magic.startsWith("PK") || QFileInfo(fileName).suffix().compare(
                                                        QLatin1String("xlsx"), Qt::CaseInsensitive) == 0;
    if (workbook) {
        auto source = std::make_unique<XlsxSource>(fileName, options);
        if (!source->open(error))
            return nullptr;
        return source;
    }
    auto source = std::make_unique<CsvSource>(fileName, options);
    if (!source->open(error))
        return nullptr;
    return source;
}

QString cellText(const QVariant& cell)
{
    switch (cell.typeId()) {
    case QMetaType::QDate:
        return cell.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::Double: {
        const double value = cell.toDouble();
        if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
            return QString::number(qint64(value));
        return QString::number(value, 'g', 15);
    }
    case QMetaType::Bool:
        return cell.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return cell.toString();
    }
}
