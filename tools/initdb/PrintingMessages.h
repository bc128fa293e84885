#pragma once

#include "data/MessageService.h"

#include <QTextStream>

// Messages of the shared code printed to the terminal instead of shown in boxes: information on the
// standard output, warnings and errors on the error output. Questions are answered No.
class PrintingMessages final : public MessageService {
public:
    PrintingMessages(QTextStream& out, QTextStream& err);
    ~PrintingMessages() override;

    void show(Kind kind, const QString& text, const QString& title) override;
    bool askYesNo(Kind kind, const QString& text, const QString& title) override;

    // Whether an error was printed since installation.
    bool errorShown() const { return m_errorShown; }

private:
    QTextStream& m_out;
    QTextStream& m_err;
    MessageService* m_previous = nullptr;
    bool m_errorShown = false;
};
