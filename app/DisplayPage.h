#pragma once

// Creates a display page (UCDisplayFrame) for the main window, wires its
// signals to the window's slots and wraps it in the IDisplayPage interface the
// window and the playback strip use.
//
// Threading: GUI thread only.

#include <memory>

class IDisplayPage;
class Korvel;
class QWidget;

// The page is a child of `parent` (Qt owns the widget); the returned adapter
// must not outlive the window.
std::unique_ptr<IDisplayPage> createDisplayPage(Korvel* window, QWidget* parent);
