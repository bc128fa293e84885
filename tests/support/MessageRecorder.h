#pragma once

#include "data/MessageService.h"

#include <QList>
#include <QString>

// Records every message the program shows and answers questions from a script (No when the script
// is empty). Installing one replaces the previous recorder until it is destroyed.
class MessageRecorder final : public MessageService {
public:
    struct Shown {
        Kind kind;
        QString text;
        bool question;
    };

    MessageRecorder();
    ~MessageRecorder() override;

    void show(Kind kind, const QString& text, const QString& title) override;
    bool askYesNo(Kind kind, const QString& text, const QString& title) override;

    void answerNext(bool yes) { m_answers.append(yes); }
    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    void clear() { m_shown.clear(); }

private:
    MessageService* m_previous = nullptr;
    QList<Shown> m_shown;
    QList<bool> m_answers;
};
