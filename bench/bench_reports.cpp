// The device type report of a crew of the labour-heavy plant, whose type list holds every type of
// the plant: gathering the rows and building the content against SQLite's C API reading the same
// rows from the same file in the same run; laying it out; every page written to PDF (time, pages,
// memory); and the preview opening.
#include "BenchSupport.h"
#include "LabourPlant.h"

#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "data/JetDialect.h"
#include "data/SqlConnection.h"
#include "labour/AccountFrm.h"
#include "labour/DevTypeRpt.h"
#include "tables/SelectFrm.h"
#include "tables/report/ReportPagination.h"
#include "tables/report/ReportPainter.h"
#include "tables/report/ReportPreview.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <sqlite3.h>

namespace {

bool failed = false;

void require(bool done, const char* what)
{
    if (!done) {
        std::printf("FAIL: %s\n", what);
        failed = true;
    }
}

// Reads every cell of every row of `sql` (integer parameters bound in order); the row count.
int rawRead(sqlite3* db, const QString& sql, const QList<qint64>& params = {})
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        std::printf("FAIL: raw statement %s: %s\n", qPrintable(sql), sqlite3_errmsg(db));
        std::exit(1);
    }
    for (int i = 0; i < params.size(); ++i)
        sqlite3_bind_int64(stmt, i + 1, params[i]);
    int rows = 0;
    qint64 bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            sqlite3_column_text(stmt, c);
            bytes += sqlite3_column_bytes(stmt, c);
        }
    }
    sqlite3_finalize(stmt);
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString file = bench::labourPlant();
    TDM dm;
    SqlConnection& db = *dm.ADOConnection();
    db.setDatabaseFile(file);
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::printf("FAIL: raw open: %s\n", sqlite3_errmsg(raw));
        return 1;
    }
    SqliteExtensions::registerAll(raw);
    auto jet = [&db](const QString& statement) { return db.translate(statement); };
    const int runs = 5;

    // A crew of the labour-heavy part: its type list holds every type of the plant.
    TAccountForm form;
    auto* dsCrewDep = form.findChild<Dataset*>(QStringLiteral("dsCrewDep"));
    auto* dsDevType = form.findChild<Dataset*>(QStringLiteral("dsDevType"));
    auto* dsCathegory = form.findChild<Dataset*>(QStringLiteral("dsCathegory"));
    const qint64 crew = db.scalar(QStringLiteral("select min(ICrew) from DevRep where ICrew in (select ID_Crew from Crew "
                                                 "where Name_Crew like 'Бригада обслуживания%');")).toLongLong();
    form.ActivateInfoPage(true);
    require(dsCrewDep->locate(QStringLiteral("ID_Crew"), crew), "the crew is not in the crew list");
    const int types = dsDevType->recordCount();
    require(types >= 2000, "the crew's type list does not hold the plant's types");
    // Should the crew do more than four services, the choice is cancelled: the first four show.
    int questions = 0;
    TDualListDlg::setScript([&questions](TDualListDlg&) {
        ++questions;
        return false;
    });
    const TDevTypeReport::Source source{&db, crew, dsDevType, dsCathegory};

    // Gathering and building the content, against reading the same rows.
    int blocks = 0;
    const double gather = bench::medianMs(runs, [&] {
        blocks = int(TDevTypeReport::gather(source, nullptr).types().size());
    });
    require(blocks == types, "the content does not hold every type");
    const QString c = QString::number(crew);
    const QString typeSql = jet(dsDevType->sql()).replace(QStringLiteral(":ID_Crew"), QStringLiteral("?"));
    int rawTypes = 0;
    const double rawGather = bench::medianMs(runs, [&] {
        rawRead(raw, jet(QStringLiteral("select Reps.Name_Reps, Reps.Short_Reps, Reps.ID_Reps from DevRep left join Reps on "
                                        "Reps.ID_Reps = DevRep.IRep where ICrew = ") +
                         c + QStringLiteral(" group by Reps.Name_Reps, Reps.Short_Reps, Reps.ID_Reps order by Reps.ID_Reps;")));
        rawTypes = rawRead(raw, typeSql, {crew});
        rawRead(raw, jet(QStringLiteral("SELECT * FROM Cathegory ORDER BY Cathegory;")));
        rawRead(raw, jet(QStringLiteral("select ID_DevRep, IDevType, IRep, RT_PC, RT from DevRep where ICrew = ") + c +
                         QStringLiteral(" order by IDevType, R_No, IRep, ID_DevRep;")));
        rawRead(raw, jet(QStringLiteral("select RepCath.IDevRep, RepCath.ICathegory, RepCath.[Value] from RepCath inner join "
                                        "DevRep on DevRep.ID_DevRep = RepCath.IDevRep where DevRep.ICrew = ") +
                         c + QStringLiteral(" order by RepCath.IDevRep, RepCath.ICathegory, RepCath.ID_RepCath;")));
    });
    require(rawTypes == types, "the raw side read other types");
    std::printf("crew %lld: %d types, %d service rows, %d shares, %d questions asked\n", crew, types,
                db.scalar(QStringLiteral("select count(*) from DevRep where ICrew = %1;").arg(crew)).toInt(),
                db.scalar(QStringLiteral("select count(*) from RepCath inner join DevRep on ID_DevRep = IDevRep where ICrew "
                                         "= %1;").arg(crew)).toInt(),
                questions / runs);
    bench::report("type report: gather and build the content", gather, rawGather, 1.5);

    // The whole document, its pages, and every page written to PDF.
    ReportDocument document;
    const double build = bench::medianMs(runs, [&] { document = TDevTypeReport::build(source, nullptr); });
    std::vector<ReportPagination::Page> pages;
    const double paginate = bench::medianMs(runs, [&] { pages = ReportPagination::paginate(document); });
    require(pages.size() > 1, "the report has no pages");
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("types.pdf"));
    const double before = bench::residentMb();
    bool written = false;
    const double pdfMs = bench::medianMs(1, [&] { written = ReportPainter::writePdf(document, pages, pdf); });
    require(written && QFileInfo(pdf).size() > 0, "the PDF was not written");
    std::printf("type report: built in %.1f ms, paginated in %.1f ms: %zu pages; PDF of every page %.1f ms "
                "(%.0f ms a page), %.1f MB, memory %.1f MB -> %.1f MB\n",
                build, paginate, pages.size(), pdfMs, pdfMs / double(pages.size()),
                double(QFileInfo(pdf).size()) / 1e6, before, bench::residentMb());

    // The preview opening: from the call until the dialog's event loop runs, every page drawn.
    double opened = 0;
    QElapsedTimer clock;
    QTimer::singleShot(0, [&] {
        opened = double(clock.nsecsElapsed()) / 1e6;
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    clock.start();
    ReportPreview::show(document, nullptr);
    require(opened > 0, "the preview did not open");
    std::printf("type report: preview open in %.1f ms (goal <= 2000) %s\n", opened, opened <= 2000 ? "OK" : "OVER");

    TDualListDlg::setScript({});
    sqlite3_close(raw);
    return failed ? 1 : 0;
}
