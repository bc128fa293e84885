#include "InitDbCommand.h"

#include "NewDatabaseFile.h"
#include "PrintingMessages.h"

#include "data/BigPlantDatabase.h"
#include "data/DatabaseError.h"
#include "data/DemoDatabase.h"
#include "data/InitialSchema.h"
#include "data/SchemaUpgrade.h"
#include "data/SqlConnection.h"
#include "text/StrList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

namespace {

const char* const kUsage =
    "Использование: instrel-initdb РЕЖИМ ФАЙЛ\n"
    "  --empty ФАЙЛ    создать пустую базу данных (программа преобразует её при первом запуске)\n"
    "  --demo ФАЙЛ     создать демонстрационную базу данных\n"
    "  --big ФАЙЛ      создать базу данных крупного предприятия (100 000 устройств)\n"
    "  --upgrade ФАЙЛ  преобразовать существующую базу данных до версии программы\n"
    "Существующий файл не перезаписывается. Код завершения: 0 — успех, 1 — ошибка, 2 — неверные аргументы.\n";

} // namespace

int InitDbCommand::run(const QStringList& arguments)
{
    if (arguments.size() == 1 && (arguments[0] == QLatin1String("--help") || arguments[0] == QLatin1String("-h"))) {
        m_out << QString::fromUtf8(kUsage);
        return Success;
    }
    if (arguments.size() != 2)
        return usage(arguments.isEmpty() ? QStringLiteral("не указаны режим и файл")
                                         : QStringLiteral("ожидаются два аргумента: режим и файл"));
    const QString& option = arguments[0];
    const QString& file = arguments[1];
    if (file.isEmpty() || file.startsWith(QLatin1String("--")))
        return usage(QStringLiteral("не указан файл"));

    if (option == QLatin1String("--empty"))
        return create(Mode::Empty, file);
    if (option == QLatin1String("--demo"))
        return create(Mode::Demo, file);
    if (option == QLatin1String("--big"))
        return create(Mode::Big, file);
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
    for (const QString& stale : NewDatabaseFile::removeStale(file))
        m_out << FormatText(Str::StaleFileRemoved, QDir::toNativeSeparators(stale)) << Qt::endl;
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
        InitialSchema::create(connection);
        if (mode != Mode::Empty) {
            // A file made here has no copy to keep and nobody to warn.
            SchemaUpgrade upgrade(connection, ReadProgramVersion(), {.backup = false, .announce = false});
            if (upgrade.CheckSchemaVersion() != SchemaUpgrade::Outcome::Upgraded)
                return fail(QStringLiteral("база данных не преобразована; файл «%1» не создан.").arg(file));
            if (mode == Mode::Demo)
                DemoDatabase::fill(connection);
            else
                BigPlantDatabase::fill(connection);
        }
        connection.close();
    } catch (const DatabaseError& e) {
        return fail(QStringLiteral("%1\nФайл «%2» не создан.").arg(e.message(), file));
    }
    if (!newFile.publish(error))
        return fail(error);

    const QString kind = mode == Mode::Empty  ? QStringLiteral("пустая база данных без записи о версии")
                         : mode == Mode::Demo ? QStringLiteral("демонстрационная база данных версии %1").arg(ReadProgramVersion())
                                              : QStringLiteral("база данных крупного предприятия версии %1").arg(ReadProgramVersion());
    m_out << QStringLiteral("Создан файл «%1»: %2 (%3 с).")
                 .arg(target.absoluteFilePath(), kind, QString::number(timer.elapsed() / 1000.0, 'f', 1))
          << Qt::endl;
    return Success;
}

int InitDbCommand::upgrade(const QString& file)
{
    const QFileInfo target(file);
    if (!target.exists())
        return fail(QStringLiteral("файл «%1» не найден.").arg(target.absoluteFilePath()));

    PrintingMessages messages(m_out, m_err);
    SqlConnection connection;
    connection.setDatabaseFile(target.absoluteFilePath());
    SchemaUpgrade upgrade(connection);
    const SchemaUpgrade::Outcome outcome = upgrade.CheckSchemaVersion();
    connection.close();
    switch (outcome) {
    case SchemaUpgrade::Outcome::UpToDate:
        m_out << QStringLiteral("База данных «%1» уже в версии %2; ничего не изменено.")
                     .arg(target.absoluteFilePath(), ReadProgramVersion())
              << Qt::endl;
        return Success;
    case SchemaUpgrade::Outcome::Upgraded:
        m_out << QStringLiteral("База данных «%1» преобразована до версии %2.")
                     .arg(target.absoluteFilePath(), ReadProgramVersion())
              << Qt::endl;
        return Success;
    default:
        return Failure; // the upgrade has printed why
    }
}
