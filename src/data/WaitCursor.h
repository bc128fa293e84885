#pragma once

#include <functional>

// Shows the wait cursor while it lives. The data layer has no widgets: the program installs the
// hooks that really change the cursor; without them this does nothing.
class WaitCursor {
public:
    WaitCursor()
    {
        if (hooks().show)
            hooks().show();
    }
    ~WaitCursor()
    {
        if (hooks().restore)
            hooks().restore();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    struct Hooks {
        std::function<void()> show;
        std::function<void()> restore;
    };
    static Hooks& hooks()
    {
        static Hooks instance;
        return instance;
    }
};
