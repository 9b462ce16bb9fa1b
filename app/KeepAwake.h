#pragma once

// Keeps the desktop from blanking the screen or suspending while it lives (the
// viewer plays video without user input for long stretches).
//
// On Linux the request goes to the session's org.freedesktop.ScreenSaver
// service: Inhibit at construction, UnInhibit with the returned cookie at
// destruction. Without a session bus, or with no such service on it, nothing
// is asked and nothing is undone.
//
// Threading: construct and destroy on one thread (the GUI thread); the calls
// block for at most kCallTimeoutMs each.

#include <QDBusConnection>
#include <QString>

class KeepAwake {
public:
    static constexpr const char* kService = "org.freedesktop.ScreenSaver";
    static constexpr const char* kPath = "/org/freedesktop/ScreenSaver";
    static constexpr const char* kInterface = "org.freedesktop.ScreenSaver";
    static constexpr int kCallTimeoutMs = 2000;

    // Asks on the session bus.
    explicit KeepAwake(const QString& reason);
    // Asks on `bus` (tests use a private bus).
    KeepAwake(const QDBusConnection& bus, const QString& reason);
    ~KeepAwake();
    KeepAwake(const KeepAwake&) = delete;
    KeepAwake& operator=(const KeepAwake&) = delete;

    // Whether a request is held.
    bool isActive() const { return m_active; }

private:
    QDBusConnection m_bus;
    uint m_cookie = 0;
    bool m_active = false;
};
