#include "data/MessageService.h"

namespace {
class SilentMessages final : public MessageService {
public:
    void show(Kind, const QString&, const QString&) override {}
    bool askYesNo(Kind, const QString&, const QString&) override { return false; }
};

SilentMessages g_silent;
MessageService* g_current = &g_silent;
} // namespace

MessageService& MessageService::instance() { return *g_current; }

MessageService* MessageService::install(MessageService* service)
{
    MessageService* previous = g_current == &g_silent ? nullptr : g_current;
    g_current = service ? service : &g_silent;
    return previous;
}
