#pragma once

#include "data/MessageService.h"

// Message boxes as the user sees them: parented to the active window, titled with the program name.
class WidgetMessageService final : public MessageService {
public:
    void show(Kind kind, const QString& text, const QString& title) override;
    bool askYesNo(Kind kind, const QString& text, const QString& title) override;
};
