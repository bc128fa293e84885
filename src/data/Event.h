#pragma once

#include <functional>
#include <vector>

// A list of handlers called in the order they were connected. Used for the dataset's before/after
// events: a before-handler may throw AbortOperation to abandon the operation, which Qt signals do
// not carry safely.
template <class... Args>
class Event {
public:
    using Handler = std::function<void(Args...)>;

    void connect(Handler handler) { m_handlers.push_back(std::move(handler)); }
    void clear() { m_handlers.clear(); }
    bool empty() const { return m_handlers.empty(); }

    void operator()(Args... args) const
    {
        for (const Handler& handler : m_handlers)
            handler(args...);
    }

private:
    std::vector<Handler> m_handlers;
};
