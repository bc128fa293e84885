#include "devices/DeviceImportFrm.h"

#include "data/MessageService.h"
#include "devices/import/XlsxSource.h"
#include "tables/FileDialogs.h"
#include "tables/FormSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kSettingsSection = QStringLiteral("TDeviceImportForm");

QTableWidget* makeGrid(const QString& name, QWidget* parent)
{
    auto* grid = new QTableWidget(parent);
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

QTableWidgetItem* item(const QString& text)
{
    auto* cell = new QTableWidgetItem(text.left(200));
    cell->setToolTip(text.size() > 200 ? text.left(1000) : QString());
    return cell;
}

} // namespace

TDeviceImportForm::TDeviceImportForm(SqlConnection& connection, QWidget* parent)
    : QDialog(parent), m_connection(connection)
{
    setObjectName(QStringLiteral("DeviceImportForm"));
    setWindowTitle(QStringLiteral("Импорт устройств"));
    buildLayout();
    resize(1000, 720);
}

void TDeviceImportForm::buildLayout()
{
    auto* layout = new QVBoxLayout(this);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("Файл:"), this));
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("editFile"));
    fileRow->addWidget(m_file, 1);
    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("btnBrowse"));
    browse->setText(QStringLiteral("…"));
    browse->setToolTip(QStringLiteral("Выбрать файл .xlsx или .csv"));
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);
    connect(browse, &QToolButton::clicked, this, [this] {
        const QString name = QFileDialog::getOpenFileName(this, QStringLiteral("Файл с устройствами"), m_file->text(),
                                                          QStringLiteral("Таблицы (*.xlsx *.csv *.txt);;Все файлы (*)"));
        if (!name.isEmpty())
            setFileName(name);
    });
    connect(m_file, &QLineEdit::editingFinished, this, [this] { reload(); });

    auto* readRow = new QHBoxLayout;
    m_separator = new QComboBox(this);
    m_separator->setObjectName(QStringLiteral("comboSeparator"));
    m_separator->addItem(QStringLiteral("определить"), QString());
    m_separator->addItem(QStringLiteral("; (точка с запятой)"), QStringLiteral(";"));
    m_separator->addItem(QStringLiteral(", (запятая)"), QStringLiteral(","));
    m_separator->addItem(QStringLiteral("табуляция"), QStringLiteral("\t"));
    m_encoding = new QComboBox(this);
    m_encoding->setObjectName(QStringLiteral("comboEncoding"));
    m_encoding->addItem(QStringLiteral("определить"), QString());
    m_encoding->addItem(QStringLiteral("UTF-8"), QStringLiteral("UTF-8"));
    m_encoding->addItem(QStringLiteral("Windows-1251"), QStringLiteral("Windows-1251"));
    m_sheet = new QComboBox(this);
    m_sheet->setObjectName(QStringLiteral("comboSheet"));
    m_headerRow = new QSpinBox(this);
    m_headerRow->setObjectName(QStringLiteral("spinHeaderRow"));
    m_headerRow->setRange(0, 1048576);
    m_headerRow->setSpecialValueText(QStringLiteral("первая"));
    for (auto [label, widget] : {std::pair<const char*, QWidget*>{"Разделитель:", m_separator},
                                 {"Кодировка:", m_encoding}, {"Лист:", m_sheet}, {"Строка заголовка:", m_headerRow}}) {
        readRow->addWidget(new QLabel(QString::fromUtf8(label), this));
        readRow->addWidget(widget);
    }
    readRow->addStretch();
    layout->addLayout(readRow);
    for (QComboBox* combo : {m_separator, m_encoding, m_sheet})
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { reload(); });
    connect(m_headerRow, &QSpinBox::valueChanged, this, [this] { reload(); });

    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* mappingBox = new QGroupBox(QStringLiteral("Столбцы файла и поля"), splitter);
    auto* mappingLayout = new QVBoxLayout(mappingBox);
    m_mappingGrid = makeGrid(QStringLiteral("gridMapping"), mappingBox);
    m_mappingGrid->setColumnCount(3);
    m_mappingGrid->setHorizontalHeaderLabels(
        {QStringLiteral("Столбец файла"), QStringLiteral("Поле"), QStringLiteral("Первое значение")});
    mappingLayout->addWidget(m_mappingGrid);
    m_unmapped = new QLabel(mappingBox);
    m_unmapped->setObjectName(QStringLiteral("labelUnmapped"));
    m_unmapped->setWordWrap(true);
    mappingLayout->addWidget(m_unmapped);

    auto* previewBox = new QGroupBox(QStringLiteral("Первые строки и что с ними будет"), splitter);
    auto* previewLayout = new QVBoxLayout(previewBox);
    m_previewGrid = makeGrid(QStringLiteral("gridPreview"), previewBox);
    previewLayout->addWidget(m_previewGrid);

    auto* reportBox = new QGroupBox(QStringLiteral("Отчёт: отказы и пропуски"), splitter);
    auto* reportLayout = new QVBoxLayout(reportBox);
    m_summary = new QLabel(reportBox);
    m_summary->setObjectName(QStringLiteral("labelSummary"));
    m_summary->setWordWrap(true);
    reportLayout->addWidget(m_summary);
    m_reportGrid = makeGrid(QStringLiteral("gridReport"), reportBox);
    m_reportGrid->setColumnCount(4);
    m_reportGrid->setHorizontalHeaderLabels(
        {QStringLiteral("Строка"), QStringLiteral("Столбец"), QStringLiteral("Причина"), QStringLiteral("Итог")});
    reportLayout->addWidget(m_reportGrid);
    layout->addWidget(splitter, 1);

    auto* optionsRow = new QHBoxLayout;
    m_createMissing = new QCheckBox(QStringLiteral("Добавлять в списки ненайденные названия"), this);
    m_createMissing->setObjectName(QStringLiteral("checkCreateMissing"));
    m_updateExisting = new QCheckBox(QStringLiteral("Обновить существующие"), this);
    m_updateExisting->setObjectName(QStringLiteral("checkUpdateExisting"));
    optionsRow->addWidget(m_createMissing);
    optionsRow->addWidget(m_updateExisting);
    optionsRow->addStretch();
    layout->addLayout(optionsRow);
    for (QCheckBox* box : {m_createMissing, m_updateExisting})
        connect(box, &QCheckBox::toggled, this, [this] { preview(); });

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressImport"));
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    layout->addWidget(m_progress);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    m_check = button("btnCheck", "Проверить");
    m_import = button("btnImport", "Импортировать");
    m_cancel = button("btnCancel", "Прервать");
    m_saveReport = button("btnSaveReport", "Сохранить отчёт…");
    buttons->addStretch();
    QPushButton* close = button("btnClose", "Закрыть");
    layout->addLayout(buttons);
    m_cancel->setEnabled(false);
    m_saveReport->setEnabled(false);
    m_check->setEnabled(false);
    m_import->setEnabled(false);
    connect(m_check, &QPushButton::clicked, this, &TDeviceImportForm::check);
    connect(m_import, &QPushButton::clicked, this, &TDeviceImportForm::runImport);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_saveReport, &QPushButton::clicked, this, [this] {
        int filter = 0;
        const QString name = FileDialogs::getSaveFileName(this, QStringLiteral("Отчёт импорта"),
                                                          QStringLiteral("Отчёт импорта.csv"),
                                                          {QStringLiteral("CSV (*.csv)")}, &filter);
        if (!name.isEmpty())
            saveReport(name);
    });
}

void TDeviceImportForm::setFileName(const QString& fileName)
{
    m_loading = true;
    m_file->setText(fileName);
    m_sheet->clear();
    const bool workbook = QFileInfo(fileName).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0;
    if (workbook) {
        QString error;
        m_sheet->addItems(XlsxSource::sheetNames(fileName, error));
    }
    m_sheet->setEnabled(workbook);
    m_separator->setEnabled(!workbook);
    m_encoding->setEnabled(!workbook);
    m_loading = false;
    reload();
}

TableSourceOptions TDeviceImportForm::sourceOptions() const
{
    TableSourceOptions options;
    const QString separator = m_separator->currentData().toString();
    if (!separator.isEmpty())
        options.separator = separator.at(0);
    options.encoding = m_encoding->currentData().toString();
    options.sheet = std::max(0, m_sheet->currentIndex());
    options.headerRow = m_headerRow->value();
    return options;
}

ImportOptions TDeviceImportForm::options() const
{
    ImportOptions options;
    options.createMissing = m_createMissing->isChecked();
    options.updateExisting = m_updateExisting->isChecked();
    return options;
}

std::unique_ptr<TableSource> TDeviceImportForm::openRows(QString& error)
{
    auto rows = openTableSource(m_file->text(), sourceOptions(), error);
    QStringList header;
    if (rows && !DeviceImport::readHeader(*rows, sourceOptions().headerRow, header, error))
        return nullptr;
    if (rows && header != m_mapping.header()) {
        m_mapping = ImportMapping(header);
        FormSettings settings(kSettingsSection);
        m_mapping.restore(settings.settings());
    }
    return rows;
}

void TDeviceImportForm::reload()
{
    if (m_loading || m_busy || m_file->text().isEmpty())
        return;
    m_mapping = ImportMapping();
    QString error;
    auto rows = openRows(error);
    m_check->setEnabled(rows != nullptr);
    m_import->setEnabled(rows != nullptr);
    if (!rows) {
        m_mappingGrid->setRowCount(0);
        m_previewGrid->clear();
        m_previewGrid->setRowCount(0);
        m_summary->setText(QStringLiteral("Файл не прочитан: %1.").arg(error));
        return;
    }
    fillMapping();
    preview();
}

void TDeviceImportForm::fillMapping()
{
    // The first values under the titles, so the user sees what a column holds.
    QString error;
    auto rows = openRows(error);
    QVariantList first;
    int row = 0;
    if (rows)
        rows->next(first, row);
    const QStringList& header = m_mapping.header();
    m_mappingGrid->setRowCount(header.size());
    for (int c = 0; c < header.size(); ++c) {
        m_mappingGrid->setItem(c, 0, item(header[c].isEmpty() ? QStringLiteral("(столбец %1)").arg(c + 1) : header[c]));
        auto* combo = new QComboBox(m_mappingGrid);
        combo->setObjectName(QStringLiteral("comboField%1").arg(c));
        combo->addItem(QStringLiteral("— не импортировать —"), -1);
        for (const ImportFieldSpec& spec : importFields())
            combo->addItem(spec.caption, int(spec.field));
        const auto field = m_mapping.fieldOf(c);
        combo->setCurrentIndex(field ? int(*field) + 1 : 0);
        connect(combo, &QComboBox::currentIndexChanged, this, [this, c](int index) { mappingChanged(c, index); });
        m_mappingGrid->setCellWidget(c, 1, combo);
        m_mappingGrid->setItem(c, 2, item(cellText(first.value(c))));
    }
    m_mappingGrid->resizeColumnsToContents();
    showUnmapped();
}

void TDeviceImportForm::mappingChanged(int column, int comboIndex)
{
    m_mapping.setField(column, comboIndex <= 0 ? std::nullopt : std::optional<ImportField>(ImportField(comboIndex - 1)));
    FormSettings settings(kSettingsSection);
    m_mapping.remember(settings.settings());
    // A field taken from another column leaves that column out.
    for (int c = 0; c < m_mappingGrid->rowCount(); ++c) {
        auto* combo = qobject_cast<QComboBox*>(m_mappingGrid->cellWidget(c, 1));
        if (!combo || c == column)
            continue;
        const QSignalBlocker blocker(combo);
        const auto field = m_mapping.fieldOf(c);
        combo->setCurrentIndex(field ? int(*field) + 1 : 0);
    }
    showUnmapped();
    preview();
}

void TDeviceImportForm::showUnmapped()
{
    const QStringList unmapped = m_mapping.unmappedColumns();
    m_unmapped->setText(unmapped.isEmpty() ? QStringLiteral("Все столбцы файла сопоставлены полям.")
                                           : QStringLiteral("Не импортируются: ") + unmapped.join(QStringLiteral(", ")));
}

void TDeviceImportForm::preview()
{
    if (m_busy || m_mapping.header().isEmpty())
        return;
    QString error;
    auto rows = openRows(error);
    if (!rows)
        return;
    ImportOptions preview = options();
    preview.dryRun = true;
    preview.rowLimit = DeviceImport::kPreviewRows;
    const ImportResult result = DeviceImport(m_connection, m_mapping, preview).run(*rows);
    const QStringList& header = m_mapping.header();
    m_previewGrid->clear();
    m_previewGrid->setColumnCount(header.size() + 2);
    QStringList titles{QStringLiteral("Строка"), QStringLiteral("Итог")};
    for (int c = 0; c < header.size(); ++c) {
        const auto field = m_mapping.fieldOf(c);
        titles.append(field ? importField(*field).caption : QStringLiteral("(%1: не импортируется)").arg(header[c]));
    }
    m_previewGrid->setHorizontalHeaderLabels(titles);
    m_previewGrid->horizontalHeader()->setStretchLastSection(false);
    m_previewGrid->setRowCount(result.verdicts.size());
    for (int r = 0; r < result.verdicts.size(); ++r) {
        const ImportRowVerdict& verdict = result.verdicts[r];
        m_previewGrid->setItem(r, 0, item(QString::number(verdict.row)));
        QTableWidgetItem* verdictItem = item(verdict.verdict);
        verdictItem->setToolTip(verdict.verdict);
        verdictItem->setForeground(verdict.refused ? QColor(Qt::darkRed) : QColor(Qt::darkGreen));
        m_previewGrid->setItem(r, 1, verdictItem);
        for (int c = 0; c < verdict.cells.size() && c < header.size(); ++c)
            m_previewGrid->setItem(r, c + 2, item(verdict.cells[c]));
    }
    m_previewGrid->resizeColumnsToContents();
    if (m_previewGrid->columnWidth(1) > 360)
        m_previewGrid->setColumnWidth(1, 360);
    m_summary->setText(result.error.isEmpty() ? QStringLiteral("Показаны первые строки файла. «Проверить» проверит весь файл.")
                                              : DeviceImport::summary(result));
}

void TDeviceImportForm::check() { runWhole(true); }

void TDeviceImportForm::runImport() { runWhole(false); }

void TDeviceImportForm::setBusy(bool busy)
{
    m_busy = busy;
    m_cancelRequested = false;
    m_cancel->setEnabled(busy);
    for (QWidget* w : {static_cast<QWidget*>(m_check), static_cast<QWidget*>(m_import), static_cast<QWidget*>(m_file),
                       static_cast<QWidget*>(m_mappingGrid), static_cast<QWidget*>(m_saveReport)})
        w->setEnabled(!busy);
}

void TDeviceImportForm::runWhole(bool dryRun)
{
    QString error;
    auto rows = openRows(error);
    if (!rows) {
        Messages::error(QStringLiteral("Файл не прочитан: %1.").arg(error));
        return;
    }
    ImportOptions whole = options();
    whole.dryRun = dryRun;
    setBusy(true);
    m_progress->setValue(0);
    m_result = DeviceImport(m_connection, m_mapping, whole).run(*rows, [this](double fraction, int) {
        m_progress->setValue(int(fraction * 1000));
        QApplication::processEvents(); // lets the cancel button be pressed
        return !m_cancelRequested;
    });
    setBusy(false);
    m_progress->setValue(m_result.cancelled ? 0 : 1000);
    if (m_result.stored) {
        FormSettings settings(kSettingsSection);
        m_mapping.remember(settings.settings());
    }
    showResult();
}

void TDeviceImportForm::showResult()
{
    QString text = DeviceImport::summary(m_result);
    if (!m_result.created.isEmpty())
        text += QStringLiteral("\n") + QStringLiteral("Добавлено в списки: ") + m_result.created.mid(0, 20).join(QStringLiteral("; ")) +
                (m_result.created.size() > 20 ? QStringLiteral("…") : QString());
    m_summary->setText(text);
    m_reportGrid->setRowCount(m_result.issues.size());
    for (int r = 0; r < m_result.issues.size(); ++r) {
        const ImportIssue& issue = m_result.issues[r];
        m_reportGrid->setItem(r, 0, item(QString::number(issue.row)));
        m_reportGrid->setItem(r, 1, item(issue.column));
        m_reportGrid->setItem(r, 2, item(issue.reason));
        m_reportGrid->setItem(r, 3, item(issue.refused ? QStringLiteral("отказ") : QStringLiteral("пропущено")));
    }
    m_reportGrid->resizeColumnsToContents();
    m_saveReport->setEnabled(!m_result.issues.isEmpty());
}

bool TDeviceImportForm::saveReport(const QString& fileName)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly)) {
        DeviceImport::writeReport(m_result.issues, file);
        if (file.commit())
            return true;
    }
    Messages::error(QStringLiteral("Отчёт «%1» не записан: %2").arg(fileName, file.errorString()));
    return false;
}
