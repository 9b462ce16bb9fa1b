#pragma once

// Creates a display page (UCDisplayFrame) for the main window and wraps it in
// the IDisplayPage interface the window and the playback strip use. The window
// wires the page's signals itself (its widget() is the UCDisplayFrame).
//
// Threading: GUI thread only.

#include <memory>

class CTeardownThread;
class IDisplayPage;
class QWidget;

// The page is a child of `parent` (Qt owns the widget) and its views report
// to `owner` (the window); the returned adapter must not outlive the window.
// The page hands the sites it no longer shows to `teardown`, which the
// window shares with all its pages.
std::unique_ptr<IDisplayPage> createDisplayPage(QWidget* owner, QWidget* parent,
                                               std::shared_ptr<CTeardownThread> teardown);
