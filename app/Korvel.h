#pragma once

// The main window. For now a plain frame with the logo and a close button; it
// already does what start-up relies on: its constructor loads the configuration
// and writes it back, so a first start creates the file with every default.
//
// Threading: GUI thread only.

#include <QMainWindow>

class Korvel : public QMainWindow {
    Q_OBJECT

public:
    explicit Korvel(QWidget* parent = nullptr);
};
