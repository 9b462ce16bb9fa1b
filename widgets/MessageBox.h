#pragma once

// The shared message box of the viewer.
//
// Threading: GUI thread only (it runs a modal event loop).

#include <QString>

// Shows a modal message box without parent, styled with the application style
// sheet, at least 320 pixels wide, with `text` as its informative text.
//   mode 1: information, application-modal, button OK.
//   mode 2: question, buttons OK (default) and No.
// Returns the QMessageBox::StandardButton that closed it (QMessageBox::Ok is
// 1024); any other mode shows nothing and returns 0.
int showMessageBox(const QString& title, const QString& text, int mode);
