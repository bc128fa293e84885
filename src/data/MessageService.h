#pragma once

#include <QString>

// Message boxes are reached through this seam so that rules without widgets can warn and ask, the
// program shows real boxes, the database tool prints, and tests answer with scripted replies.
class MessageService {
public:
    enum class Kind { Information, Warning, Error };

    virtual ~MessageService() = default;
    // One OK button.
    virtual void show(Kind kind, const QString& text, const QString& title = {}) = 0;
    // Yes / No buttons; true for Yes.
    virtual bool askYesNo(Kind kind, const QString& text, const QString& title = {}) = 0;

    // The service in use; a silent one that answers No until something installs another.
    static MessageService& instance();
    // Installs `service` (not owned) and returns the one it replaces; nullptr restores the default.
    static MessageService* install(MessageService* service);
};

namespace Messages {
inline void warning(const QString& text) { MessageService::instance().show(MessageService::Kind::Warning, text); }
inline void error(const QString& text) { MessageService::instance().show(MessageService::Kind::Error, text); }
inline void information(const QString& text)
{
    MessageService::instance().show(MessageService::Kind::Information, text);
}
inline bool confirm(const QString& text)
{
    return MessageService::instance().askYesNo(MessageService::Kind::Warning, text);
}
} // namespace Messages
