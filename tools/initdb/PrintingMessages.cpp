#include "PrintingMessages.h"

#include "text/StrList.h"

PrintingMessages::PrintingMessages(QTextStream& out, QTextStream& err) : m_out(out), m_err(err)
{
    m_previous = MessageService::install(this);
}

PrintingMessages::~PrintingMessages() { MessageService::install(m_previous); }

void PrintingMessages::show(Kind kind, const QString& text, const QString&)
{
    const QString body = messageText(text);
    switch (kind) {
    case Kind::Information:
        m_out << body << Qt::endl;
        break;
    case Kind::Warning:
        m_err << QStringLiteral("Предупреждение: ") << body << Qt::endl;
        break;
    case Kind::Error:
        m_errorShown = true;
        m_err << QStringLiteral("Ошибка: ") << body << Qt::endl;
        break;
    }
}

bool PrintingMessages::askYesNo(Kind kind, const QString& text, const QString& title)
{
    show(kind, text + QStringLiteral(" — нет"), title);
    return false;
}
