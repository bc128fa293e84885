#include "tables/print/PrintJob.h"

#include "data/Clock.h"
#include "data/MessageService.h"
#include "data/WaitCursor.h"
#include "tables/FormSettings.h"
#include "text/StrList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace {
QString testFile;
const QString SettingsSection = QStringLiteral("PrintPreview");
const QString FolderKey = QStringLiteral("PdfFolder");
} // namespace

int PrintJob::print(QPrinter* printer) const
{
    QPainter painter;
    if (!painter.begin(printer))
        return -1;
    const int pages = std::max(1, pageCount(printer));
    const int first = printer->fromPage() > 0 ? std::min(printer->fromPage(), pages) : 1;
    const int last = printer->toPage() > 0 ? std::min(printer->toPage(), pages) : pages;
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer->newPage();
        painter.save();
        paintPage(painter, printer, page);
        painter.restore();
    }
    painter.end();
    return last - first + 1;
}

namespace PrintOutput {

QString proposedPdfName(const QString& title)
{
    QString name = title.simplified();
    static const QString forbidden = QStringLiteral("/\\\\:*?\"<>|");
    for (QChar& c : name)
        if (forbidden.contains(c) || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    if (name.isEmpty())
        name = withoutAccelerator(Text(Str::PreviewCaption));
    name += QLatin1Char(' ') + Clock::today().toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(".pdf");
    const FormSettings settings(SettingsSection);
    const QString folder = settings.value(FolderKey).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return name;
    return QDir(folder).filePath(name);
}

void rememberPdfFolder(const QString& file)
{
    FormSettings settings(SettingsSection);
    settings.setValue(FolderKey, QFileInfo(file).absolutePath());
}

// Written beside the target first and put in its place only when whole: a printer given a file name
// writes as it goes, and a failure would leave half a document under the chosen name.
bool writePdf(const PrintJob& job, const QPrinter& like, const QString& file)
{
    const QString part = file + QStringLiteral(".part");
    if (!QFileInfo(QFileInfo(file).absolutePath()).isDir())
        return false;
    int printed = -1;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(like.resolution());
        printer.setPageLayout(like.pageLayout());
        printer.setDocName(job.title());
        printer.setCreator(QStringLiteral("Instrel"));
        printer.setOutputFileName(part);
        printed = job.print(&printer);
    }
    if (printed < 0 || !QFileInfo::exists(part)) {
        QFile::remove(part);
        return false;
    }
    if (QFileInfo::exists(file) && !QFile::remove(file)) {
        QFile::remove(part);
        return false;
    }
    return QFile::rename(part, file);
}

QString cannotPrintText(const QString& target) { return FormatText(Str::PrintFailed, target); }

void setTestOutputFile(const QString& pdfFile) { testFile = pdfFile; }

QString testOutputFile() { return testFile; }

bool writeTestOutput(const PrintJob& job, const QPrinter& printer)
{
    if (testFile.isEmpty())
        return false;
    WaitCursor wait;
    if (!writePdf(job, printer, testFile))
        Messages::error(cannotPrintText(testFile));
    return true;
}

} // namespace PrintOutput
