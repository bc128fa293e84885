#include "InitDbCommand.h"

#include "ImportCommand.h"

#include "NewDatabaseFile.h"
#include "PrintingMessages.h"

#include "data/BigPlantDatabase.h"
#include "data/DatabaseChoice.h"
#include "data/DatabaseError.h"
#include "data/DemoDatabase.h"
#include "data/InitialSchema.h"
#include "data/PlantCopy.h"
#include "data/ResultSet.h"
#include "data/SchemaUpgrade.h"
#include "data/ServerErrorText.h"
#include "data/SqlConnection.h"
#include "data/Transaction.h"
#include "text/StrList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <optional>

namespace {

const char* const kUsage =
    "Использование: instrel-initdb РЕЖИМ ФАЙЛ\n"
    "  --empty ФАЙЛ    создать пустую базу данных (программа преобразует её при первом запуске)\n"
    "  --demo ФАЙЛ     создать демонстрационную базу данных\n"
    "  --big ФАЙЛ      создать базу данных крупного предприятия (100 000 устройств)\n"
    "  --upgrade ФАЙЛ  преобразовать существующую базу данных до версии программы\n"
    "  --copy ОТКУДА КУДА [--accept-rounding]\n"
    "                  перенести предприятие из файла на сервер или с сервера в файл (вместе с ключами);\n"
    "                  КУДА — новый файл или пустая база данных на сервере. Значения, которые КУДА не может\n"
    "                  хранить точно, перечисляются, и перенос отменяется; --accept-rounding переносит их округлёнными\n"
    "Вместо ФАЙЛА можно указать строку подключения к серверу PostgreSQL (\"host=… dbname=… user=…\"\n"
    "или postgresql://…): база данных на сервере заполняется, только если в ней ещё нет таблиц.\n"
    "  --import-devices ФАЙЛ БАЗА  добавить устройства из файла .csv или .xlsx в существующую базу данных\n"
    "                  (--create-missing, --update-existing, --check, --sheet N, --header-row N,\n"
    "                  --separator ;|,|tab, --report ОТЧЁТ.csv); код 4 — строки с ошибками, ничего не записано\n"
    "Существующий файл не перезаписывается. Код завершения: 0 — успех, 1 — ошибка, 2 — неверные аргументы.\n";

} // namespace

int InitDbCommand::run(const QStringList& arguments)
{
    if (arguments.size() == 1 && (arguments[0] == QLatin1String("--help") || arguments[0] == QLatin1String("-h"))) {
        m_out << QString::fromUtf8(kUsage);
        return Success;
    }
    if (!arguments.isEmpty() && arguments[0] == QLatin1String("--import-devices"))
        return ImportCommand(m_out, m_err).run(arguments.mid(1));
    if (!arguments.isEmpty() && arguments[0] == QLatin1String("--copy")) {
        QStringList places = arguments.mid(1);
        const bool acceptRounding = places.removeAll(QStringLiteral("--accept-rounding")) > 0;
        if (places.size() != 2 || places[0].startsWith(QLatin1String("--")) || places[1].startsWith(QLatin1String("--")))
            return usage(QStringLiteral("--copy ожидает два аргумента: откуда и куда"));
        return copy(places[0], places[1], acceptRounding);
    }
    if (arguments.size() != 2)
        return usage(arguments.isEmpty() ? QStringLiteral("не указаны режим и файл")
                                         : QStringLiteral("ожидаются два аргумента: режим и файл"));
    const QString& option = arguments[0];
    const QString& file = arguments[1];
    if (file.isEmpty() || file.startsWith(QLatin1String("--")))
        return usage(QStringLiteral("не указан файл"));

    const auto make = [&](Mode mode) { return namesServer(file) ? createOnServer(mode, file) : create(mode, file); };
    if (option == QLatin1String("--empty"))
        return make(Mode::Empty);
    if (option == QLatin1String("--demo"))
        return make(Mode::Demo);
    if (option == QLatin1String("--big"))
        return make(Mode::Big);
    if (option == QLatin1String("--upgrade"))
        return upgrade(file);
    return usage(QStringLiteral("неизвестный режим «%1»").arg(option));
}

int InitDbCommand::usage(const QString& problem)
{
    m_err << QStringLiteral("Ошибка: ") << problem << Qt::endl << QString::fromUtf8(kUsage);
    m_err.flush();
    return Usage;
}

int InitDbCommand::fail(const QString& text)
{
    m_err << QStringLiteral("Ошибка: ") << text << Qt::endl;
    m_err.flush();
    return Failure;
}

int InitDbCommand::create(Mode mode, const QString& file)
{
    const QFileInfo target(file);
    if (!target.absoluteDir().exists())
        return fail(QStringLiteral("каталог «%1» не существует.").arg(target.absolutePath()));
    removeStaleFiles(file);
    if (target.exists() || target.isSymLink())
        return fail(QStringLiteral("файл «%1» уже существует; он не перезаписан.").arg(target.absoluteFilePath()));

    QElapsedTimer timer;
    timer.start();
    NewDatabaseFile newFile(file);
    QString error;
    if (!newFile.create(error))
        return fail(error);

    PrintingMessages messages(m_out, m_err);
    try {
        SqlConnection connection;
        connection.setDatabaseFile(newFile.workingPath());
        if (!build(mode, connection))
            return fail(QStringLiteral("база данных не преобразована; файл «%1» не создан.").arg(file));
        connection.close();
    } catch (const DatabaseError& e) {
        return fail(QStringLiteral("%1\nФайл «%2» не создан.").arg(e.message(), file));
    }
    if (!newFile.publish(error))
        return fail(error);

    m_out << QStringLiteral("Создан файл «%1»: %2 (%3 с).")
                 .arg(target.absoluteFilePath(), kindText(mode), QString::number(timer.elapsed() / 1000.0, 'f', 1))
          << Qt::endl;
    return Success;
}

void InitDbCommand::removeStaleFiles(const QString& finalPath)
{
    for (const QString& stale : NewDatabaseFile::removeStale(finalPath))
        m_out << FormatText(Str::StaleFileRemoved, QDir::toNativeSeparators(stale)) << Qt::endl;
}

bool InitDbCommand::namesServer(const QString& target)
{
    return target.startsWith(QLatin1String("postgres://")) || target.startsWith(QLatin1String("postgresql://")) ||
           target.contains(QLatin1Char('='));
}

bool InitDbCommand::build(Mode mode, SqlConnection& connection)
{
    InitialSchema::create(connection);
    if (mode == Mode::Empty)
        return true;
    // A database made here has no copy to keep and nobody to warn.
    SchemaUpgrade upgrade(connection, ReadProgramVersion(), {.backup = false, .announce = false});
    if (upgrade.CheckSchemaVersion() != SchemaUpgrade::Outcome::Upgraded)
        return false;
    if (mode == Mode::Demo)
        DemoDatabase::fill(connection);
    else
        BigPlantDatabase::fill(connection);
    return true;
}

int InitDbCommand::createOnServer(Mode mode, const QString& connectionString)
{
    const QString shown = DatabaseChoice::shownName(connectionString);
    QElapsedTimer timer;
    timer.start();
    PrintingMessages messages(m_out, m_err);
    SqlConnection connection;
    connection.setServer(connectionString);
    bool started = false;
    try {
        const int tables = connection.scalar(QStringLiteral(
            "select count(*) from information_schema.tables where table_schema = current_schema()")).toInt();
        if (tables > 0)
            return fail(QStringLiteral("в базе данных «%1» уже есть таблицы (%2); она не изменена. Укажите пустую базу данных.")
                            .arg(shown)
                            .arg(tables));
        started = true;
        if (mode == Mode::Empty) {
            InitialSchema::create(connection);
        } else {
            // The generators write through the embedded engine: the plant is made in a file that is
            // never published and moved onto the server from there.
            const QString scratchPath = QDir::temp().absoluteFilePath(QStringLiteral("instrel-initdb-plant.db"));
            removeStaleFiles(scratchPath);
            NewDatabaseFile scratch(scratchPath);
            QString error;
            if (!scratch.create(error))
                return fail(error);
            SqlConnection file;
            file.setDatabaseFile(scratch.workingPath());
            if (!build(mode, file) || !copyPlant(file, connection, false)) {
                emptyAgain(connection);
                return fail(QStringLiteral("база данных «%1» не заполнена и оставлена пустой.").arg(shown));
            }
            file.close();
        }
        connection.close();
    } catch (const DatabaseError& e) {
        if (started)
            emptyAgain(connection);
        return fail(QStringLiteral("%1\nБаза данных «%2» %3.")
                        .arg(e.message(), shown, started ? QStringLiteral("оставлена пустой") : QStringLiteral("не изменена")));
    }
    m_out << QStringLiteral("Заполнена база данных «%1»: %2 (%3 с).")
                 .arg(shown, kindText(mode), QString::number(timer.elapsed() / 1000.0, 'f', 1))
          << Qt::endl;
    return Success;
}

void InitDbCommand::emptyAgain(SqlConnection& connection)
{
    // The database held no tables before: everything in it now is ours to take away again.
    try {
        connection.rollback();
        const auto objects = connection.select(QStringLiteral(
            "select table_name, table_type from information_schema.tables where table_schema = current_schema() "
            "order by table_type desc"));
        for (int row = 0; row < objects->rowCount(); ++row) {
            const bool view = objects->value(row, 1).toString() == QLatin1String("VIEW");
            connection.execute(QStringLiteral("drop %1 if exists [%2] cascade")
                                   .arg(view ? QStringLiteral("view") : QStringLiteral("table"), objects->value(row, 0).toString()));
        }
    } catch (const DatabaseError& e) {
        m_err << QStringLiteral("Ошибка: не удалось убрать начатое: ") << e.message() << Qt::endl;
    }
}

QString InitDbCommand::kindText(Mode mode)
{
    return mode == Mode::Empty  ? QStringLiteral("пустая база данных без записи о версии")
           : mode == Mode::Demo ? QStringLiteral("демонстрационная база данных версии %1").arg(ReadProgramVersion())
                                : QStringLiteral("база данных крупного предприятия версии %1").arg(ReadProgramVersion());
}

int InitDbCommand::upgrade(const QString& file)
{
    const bool server = namesServer(file);
    const QFileInfo target(file);
    if (!server && !target.exists())
        return fail(QStringLiteral("файл «%1» не найден.").arg(target.absoluteFilePath()));
    const QString shown = server ? DatabaseChoice::shownName(file) : target.absoluteFilePath();

    PrintingMessages messages(m_out, m_err);
    SqlConnection connection;
    if (server)
        connection.setServer(file);
    else
        connection.setDatabaseFile(target.absoluteFilePath());
    SchemaUpgrade upgrade(connection);
    const SchemaUpgrade::Outcome outcome = upgrade.CheckSchemaVersion();
    connection.close();
    switch (outcome) {
    case SchemaUpgrade::Outcome::UpToDate:
        m_out << QStringLiteral("База данных «%1» уже в версии %2; ничего не изменено.")
                     .arg(shown, ReadProgramVersion())
              << Qt::endl;
        return Success;
    case SchemaUpgrade::Outcome::Upgraded:
        m_out << QStringLiteral("База данных «%1» преобразована до версии %2.")
                     .arg(shown, ReadProgramVersion())
              << Qt::endl;
        return Success;
    default:
        return Failure; // the upgrade has printed why
    }
}

bool InitDbCommand::copyPlant(SqlConnection& source, SqlConnection& target, bool acceptRounding)
{
    // On a server the schema, the version row and the rows are one transaction: a run killed at any
    // point, or its session dropped, leaves the database as empty as it was, never a plant without
    // rows that the program would open. A new file needs none: it gets its name only when complete.
    std::optional<Transaction> whole;
    if (!target.server().isEmpty())
        whole.emplace(target);
    InitialSchema::create(target);
    SchemaUpgrade upgrade(target, ReadProgramVersion(), {.backup = false, .announce = false});
    if (upgrade.CheckSchemaVersion() != SchemaUpgrade::Outcome::Upgraded)
        return false;
    QElapsedTimer timer;
    timer.start();
    const QList<PlantCopy::TableResult> results = PlantCopy(source, target).run();
    const CopyVerdict verdict = printComparison(results);
    if (!verdict.same && !verdict.onlyValuesDiffer) {
        m_err << QStringLiteral("Ошибка: копия отличается от источника.") << Qt::endl;
        return false;
    }
    if (!verdict.same && !acceptRounding) {
        m_err << QStringLiteral("Ошибка: база данных, куда переносится предприятие, не может хранить точно значений: %1 "
                                "(они перечислены выше: таблица, строка, столбец, значение в источнике → в копии). "
                                "Чтобы перенести их округлёнными, повторите команду с --accept-rounding.")
                     .arg(verdict.values)
              << Qt::endl;
        return false;
    }
    if (whole)
        whole->commit();
    const QString seconds = QString::number(timer.elapsed() / 1000.0, 'f', 1);
    if (verdict.same)
        m_out << QStringLiteral("Перенесено таблиц: %1 (%2 с); строки и контрольные суммы совпадают.").arg(results.size()).arg(seconds);
    else
        m_out << QStringLiteral("Перенесено таблиц: %1 (%2 с); значений округлено: %3 (--accept-rounding), остальные "
                                "значения совпадают.")
                     .arg(results.size())
                     .arg(seconds)
                     .arg(verdict.values);
    m_out << Qt::endl;
    return true;
}

InitDbCommand::CopyVerdict InitDbCommand::printComparison(const QList<PlantCopy::TableResult>& results)
{
    CopyVerdict verdict;
    for (const PlantCopy::TableResult& table : results) {
        m_out << QStringLiteral("%1: строк %2, контрольная сумма %3")
                     .arg(table.table)
                     .arg(table.targetRows)
                     .arg(table.targetSum, 16, 16, QLatin1Char('0'));
        if (!table.same()) {
            verdict.same = false;
            verdict.onlyValuesDiffer = verdict.onlyValuesDiffer && table.onlyValuesDiffer();
            m_out << QStringLiteral(" — НЕ СОВПАДАЕТ: в источнике строк %1, контрольная сумма %2")
                         .arg(table.sourceRows)
                         .arg(table.sourceSum, 16, 16, QLatin1Char('0'));
        }
        m_out << Qt::endl;
        for (const PlantCopy::Difference& difference : table.differences) {
            m_out << QStringLiteral("  %1, %2%3: %4 → %5")
                         .arg(table.table, difference.row,
                              difference.column.isEmpty() ? QString() : QStringLiteral(", ") + difference.column,
                              difference.before, difference.after)
                  << Qt::endl;
            verdict.values += difference.column.isEmpty() ? 0 : 1;
        }
    }
    return verdict;
}

int InitDbCommand::copy(const QString& from, const QString& to, bool acceptRounding)
{
    PrintingMessages messages(m_out, m_err);
    const bool fromServer = namesServer(from);
    const bool toServer = namesServer(to);
    const QString shownFrom = fromServer ? DatabaseChoice::shownName(from) : QFileInfo(from).absoluteFilePath();
    const QString shownTo = toServer ? DatabaseChoice::shownName(to) : QFileInfo(to).absoluteFilePath();
    if (!fromServer && !QFileInfo::exists(from))
        return fail(QStringLiteral("файл «%1» не найден.").arg(shownFrom));
    SqlConnection source;
    if (fromServer)
        source.setServer(from);
    else
        source.setDatabaseFile(QFileInfo(from).absoluteFilePath());
    try {
        const QString version = source.scalar(QStringLiteral("select Info_name from info where id_info = 2")).toString();
        if (version != ReadProgramVersion())
            return fail(QStringLiteral("база данных «%1» в версии «%2», а не %3; сначала преобразуйте её: instrel-initdb "
                                       "--upgrade %4")
                            .arg(shownFrom, version, ReadProgramVersion(), fromServer ? QStringLiteral("\"…\"") : from));
    } catch (const DatabaseError& e) {
        return fail(fromServer && ServerErrorText::isMissingTable(e) ? ServerErrorText::noPlant(from) : e.message());
    }

    if (toServer) {
        SqlConnection target;
        target.setServer(to);
        bool started = false;
        try {
            const int tables = target.scalar(QStringLiteral(
                "select count(*) from information_schema.tables where table_schema = current_schema()")).toInt();
            if (tables > 0)
                return fail(QStringLiteral("в базе данных «%1» уже есть таблицы (%2); она не изменена. Укажите пустую базу "
                                           "данных.")
                                .arg(shownTo)
                                .arg(tables));
            started = true;
            if (!copyPlant(source, target, acceptRounding)) {
                emptyAgain(target);
                return fail(QStringLiteral("предприятие не перенесено; база данных «%1» оставлена пустой.").arg(shownTo));
            }
        } catch (const DatabaseError& e) {
            if (started)
                emptyAgain(target);
            return fail(QStringLiteral("%1\nПредприятие не перенесено; база данных «%2» %3.")
                            .arg(e.message(), shownTo,
                                 started ? QStringLiteral("оставлена пустой") : QStringLiteral("не изменена")));
        }
        m_out << QStringLiteral("Предприятие перенесено из «%1» в «%2».").arg(shownFrom, shownTo) << Qt::endl;
        return Success;
    }

    const QFileInfo target(to);
    if (!target.absoluteDir().exists())
        return fail(QStringLiteral("каталог «%1» не существует.").arg(target.absolutePath()));
    removeStaleFiles(to);
    if (target.exists() || target.isSymLink())
        return fail(QStringLiteral("файл «%1» уже существует; он не перезаписан.").arg(shownTo));
    NewDatabaseFile newFile(to);
    QString error;
    if (!newFile.create(error))
        return fail(error);
    try {
        SqlConnection file;
        file.setDatabaseFile(newFile.workingPath());
        if (!copyPlant(source, file, acceptRounding))
            return fail(QStringLiteral("предприятие не перенесено; файл «%1» не создан.").arg(shownTo));
        file.close();
    } catch (const DatabaseError& e) {
        return fail(QStringLiteral("%1\nПредприятие не перенесено; файл «%2» не создан.").arg(e.message(), shownTo));
    }
    if (!newFile.publish(error))
        return fail(error);
    m_out << QStringLiteral("Предприятие перенесено из «%1» в «%2».").arg(shownFrom, shownTo) << Qt::endl;
    return Success;
}
