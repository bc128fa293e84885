// The services schedule on the big plant (300,000 next-service rows): opening the window against
// SQLite's C API fetching the same rows, what the due marks add to opening and painting it, and the
// two due commands against the engine running the same statement, all in the same run.
#include "BenchSupport.h"

#include "data/Clock.h"
#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/SqlConnection.h"
#include "devices/DueMarks.h"
#include "devices/NextRepFrm.h"

#include <QApplication>
#include <QDir>
#include <QTableView>

namespace {

// Opens the window, shows it and paints its first screen, as the user sees it open.
double openSchedule(std::unique_ptr<TNextRepForm>& form)
{
    return bench::timeMs([&] {
        form = std::make_unique<TNextRepForm>();
        form->resize(1200, 800);
        form->show();
        form->grid()->viewport()->repaint();
    });
}

// The schedule narrowed by one of its commands, against the engine running what the window sent.
void benchCommand(TNextRepForm& form, const char* command, const char* what, const bench::RawDatabase& raw,
                  SqlConnection& connection)
{
    QAction* action = form.action(QString::fromLatin1(command));
    bench::require(action, QStringLiteral("no command ") + command);
    form.updateOnIdle(); // the commands are enabled when the program is idle
    bench::require(action->isEnabled(), QStringLiteral("the command %1 is disabled").arg(QString::fromLatin1(command)));
    QByteArray sent;
    bench::RawRead read;
    std::vector<double> ours, floor;
    for (int i = 0; i < 5; ++i) {
        form.action(QStringLiteral("ShowAll"))->trigger(); // not timed: every run starts from the whole list
        ours.push_back(bench::timeMs([&] { action->trigger(); }));
        sent = connection.translate(form.dsMain()->sql()).toUtf8();
        floor.push_back(bench::timeMs([&] { read = raw.fetch(sent); }));
    }
    std::sort(ours.begin(), ours.end());
    std::sort(floor.begin(), floor.end());
    bench::require(read.rows == form.dsMain()->recordCount(),
                   QStringLiteral("%1: the window lists %2 rows, the engine %3")
                       .arg(QString::fromLatin1(what))
                       .arg(form.dsMain()->recordCount())
                       .arg(read.rows));
    std::printf("%s: %lld rows\n", what, qlonglong(read.rows));
    bench::report(what, ours[2], floor[2], 1.5);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString big = bench::bigPlant();
    bench::WorkFolder work; // the window's settings file goes here
    QDir::setCurrent(work.file(QString()));
    return bench::run([&] {
        TDM dm;
        SqlConnection& connection = *dm.ADOConnection();
        connection.setDatabaseFile(big);
        const bench::RawDatabase raw(big);
        const QByteArray statement = connection.translate(TNextRepForm::mainQuery()).toUtf8();
        raw.fetch(statement); // both sides start from a warm page cache

        // Opening: the window with its list, against the engine fetching every row.
        std::unique_ptr<TNextRepForm> form;
        const double before = bench::residentMb();
        bench::RawRead read;
        std::vector<double> ours, floor;
        for (int i = 0; i < 5; ++i) {
            form.reset();
            ours.push_back(openSchedule(form));
            floor.push_back(bench::timeMs([&] { read = raw.fetch(statement); }));
        }
        std::sort(ours.begin(), ours.end());
        std::sort(floor.begin(), floor.end());
        bench::require(read.rows >= 300000 && form->dsMain()->recordCount() == read.rows,
                       QStringLiteral("the schedule lists %1 rows, the engine %2")
                           .arg(form->dsMain()->recordCount())
                           .arg(read.rows));
        std::printf("schedule: %lld rows, %.1f MB held by the open window\n", qlonglong(read.rows),
                    bench::residentMb() - before);
        bench::report("opening the services schedule", ours[2], floor[2], 1.5);

        // The marks: re-reading and painting the list with them and without them, alternately.
        auto* model = qobject_cast<DatasetModel*>(form->grid()->model());
        bench::require(model && form->dueMarks(), QStringLiteral("the schedule has no due marks"));
        const auto reopen = [&] {
            form->RequeryKeepRow();
            form->grid()->viewport()->repaint();
        };
        DueMarks* marks = form->dueMarks();
        const bench::Timing withMarks = bench::compare(
            7,
            [&] {
                marks->setShown(true);
                reopen();
            },
            [&] {
                marks->setShown(false);
                reopen();
            });
        marks->setShown(true);
        bench::report("schedule re-read and painted with due marks", withMarks, 1.05);

        benchCommand(*form, "ShowOverdue", "the overdue command", raw, connection);
        benchCommand(*form, "ShowDueSoon", "the next-days command", raw, connection);
    });
}
