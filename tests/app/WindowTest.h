#pragma once

// What the window tests share: a home of their own, a small generated card,
// a window on screen. For the GUI thread only.

#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <string>

#include "MakeCard.h"
#include "TestSupport.h"

// HOME and the settings in `home`; no session bus, so that no keep-awake
// request reaches the desktop.
inline void useOwnHome(const QTemporaryDir& home) {
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/korvel-test-bus");
}

// 2 channels of 160x96 at 5 fps from 2026-03-01 12:00:00, in `dir`/card.
inline mkcard::CardOptions windowCard(const QTemporaryDir& dir, int files, int seconds) {
    mkcard::CardOptions card = testsupport::smallCard("window");
    card.outDir = dir.path().toStdString() + "/card";
    card.filesPerChannel = files;
    card.secondsPerFile = seconds;
    card.seed = mkcard::CardOptions{}.seed;
    return card;
}

// Writes the card: its day folder, or empty (and the error logged).
inline QString writeDayCard(const mkcard::CardOptions& card) {
    std::string error;
    if (!mkcard::makeCard(card, &error)) {
        qWarning("%s", error.c_str());
        return QString();
    }
    return QString::fromStdString(card.outDir) + "/20260301";
}

inline bool showWindow(QWidget& window, int width, int height) {
    window.resize(width, height);
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}
