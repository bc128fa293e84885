#include "devices/ImportTemplate.h"

#include "devices/import/ImportMapping.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <xlsxwriter.h>

namespace ImportTemplate {

namespace {

QString withoutExtension(const QString& name)
{
    const QFileInfo info(name);
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("csv"))
        return name.left(name.size() - suffix.size() - 1);
    return name;
}

bool writeXlsx(const QString& path, QString& error)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    if (!book) {
        error = QStringLiteral("файл «%1» не создан").arg(path);
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Устройства");
    lxw_format* title = workbook_add_format(book);
    format_set_bold(title);
    format_set_text_wrap(title);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");
    const auto& fields = importFields();
    for (int c = 0; c < fields.size(); ++c) {
        worksheet_write_string(sheet, 0, lxw_col_t(c), fields[c].caption.toUtf8().constData(), title);
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), 18,
                             fields[c].kind == ImportKind::Date ? date : nullptr);
    }
    worksheet_freeze_panes(sheet, 1, 0);
    if (workbook_close(book) != LXW_NO_ERROR) {
        error = QStringLiteral("файл «%1» не записан").arg(path);
        return false;
    }
    return true;
}

bool writeCsv(const QString& path, QString& error)
{
    QStringList titles;
    for (const ImportFieldSpec& spec : importFields())
        titles.append(spec.caption);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write("\xEF\xBB\xBF");
        file.write((titles.join(QLatin1Char(';')) + QStringLiteral("\r\n")).toUtf8());
        if (file.commit())
            return true;
    }
    error = QStringLiteral("файл «%1» не записан: %2").arg(path, file.errorString());
    return false;
}

} // namespace

bool write(const QString& baseName, QString& error)
{
    const QString base = withoutExtension(baseName);
    const QString xlsx = base + QStringLiteral(".xlsx");
    if (!writeXlsx(xlsx, error))
        return false;
    if (!writeCsv(base + QStringLiteral(".csv"), error)) {
        QFile::remove(xlsx);
        return false;
    }
    return true;
}

} // namespace ImportTemplate
