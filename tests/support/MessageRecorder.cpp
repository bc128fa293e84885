#include "support/MessageRecorder.h"

MessageRecorder::MessageRecorder() { m_previous = MessageService::install(this); }

MessageRecorder::~MessageRecorder() { MessageService::install(m_previous); }

void MessageRecorder::show(Kind kind, const QString& text, const QString&) { m_shown.append({kind, text, false}); }

bool MessageRecorder::askYesNo(Kind kind, const QString& text, const QString&)
{
    m_shown.append({kind, text, true});
    return m_answers.isEmpty() ? false : m_answers.takeFirst();
}

QStringList MessageRecorder::texts() const
{
    QStringList result;
    for (const Shown& s : m_shown)
        result.append(s.text);
    return result;
}
