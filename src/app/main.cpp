// Program entry: the single-instance guard decides first; a later start only signals the running
// instance and exits. The first instance builds its objects in a fixed order (the main window before
// the data module, so nothing in the main window's creation may touch the database) and enters the
// message loop; the first showing of the main window loads its settings and checks the schema.
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/InstanceGuard.h"
#include "app/LanguageChoice.h"
#include "app/MainFrm.h"
#include "app/WindowRegistry.h"
#include "data/DMFrm.h"
#include "data/DatabaseChoice.h"
#include "tables/FormSettings.h"
#include "data/MessageService.h"
#include "text/StrList.h"

#include <QFileInfo>
#include <QMdiArea>
#include <cstdio>

namespace {
QStringList argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

QString executablePath(char** argv)
{
    // /proc/self/exe names the file actually run, even when started through a link or PATH.
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return self.isEmpty() ? QString::fromLocal8Bit(argv[0]) : self;
}

// Usage and version are answered at once: asking must neither start the program nor raise a running one.
bool answeredAtOnce(int argc, char** argv)
{
    const QStringList arguments = argumentsOf(argc, argv);
    QString text;
    switch (CommandLine::requestOf(arguments)) {
    case CommandLine::Request::Help:
        text = CommandLine::usage(QFileInfo(arguments.value(0)).fileName());
        break;
    case CommandLine::Request::Version:
        text = CommandLine::version() + QLatin1Char('\n');
        break;
    case CommandLine::Request::Run:
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    // The language the user chose speaks from the first text on, the usage included.
    LanguageChoice::applyStored(FormSettings::defaultFileName());
    if (answeredAtOnce(argc, argv))
        return 0;
    InstanceGuard guard(executablePath(argv));
    if (!guard.CheckFirstInstance()) {
        if (!guard.errorMessage().isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(messageText(guard.errorMessage())));
            InstrelApplication::prepare();
            InstrelApplication app(argc, argv);
            Messages::error(guard.errorMessage());
            return 1;
        }
        guard.NotifyFirstInstance(argumentsOf(argc, argv));
        return 0;
    }

    InstrelApplication::prepare();
    InstrelApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Instrel"));
    app.setProperty("helpFile", QStringLiteral("help/index.html"));
    registerProgramWindows();

    TMainForm mainForm;
    TDM dm;
    // A file or a server named on the command line, else a server named in the settings file,
    // replaces the Device.db file.
    const CommandLine::Database chosen = CommandLine::databaseOf(argumentsOf(argc, argv));
    const QString server =
        chosen.isEmpty() ? DatabaseChoice::serverOfSettings(FormSettings::defaultFileName()) : chosen.server;
    if (!server.isEmpty())
        dm.ADOConnection()->setServer(server);
    else if (!chosen.file.isEmpty())
        dm.ADOConnection()->setDatabaseFile(QFileInfo(chosen.file).absoluteFilePath());
    guard.attach(&mainForm);
    // A STOP from a later start ends the program without asking; the child windows still store
    // their pending edits and settings on the way out.
    QObject::connect(&guard, &InstanceGuard::terminateRequested, &mainForm, [&mainForm] {
        mainForm.mdiArea()->closeAllSubWindows();
        QCoreApplication::exit(0);
    });
    mainForm.show();
    return app.exec();
}
