#pragma once

// The "Keyboard shortcuts" page: every key of the main window with what it
// does, from the same table the window's actions are made from. Reached from
// the About box and with F1.
//
// Threading: GUI thread only.

#include <QDialog>

class QTableWidget;

class UCDlgShortcuts : public QDialog {
    Q_OBJECT

public:
    explicit UCDlgShortcuts(QWidget* parent = nullptr);

    QTableWidget* table = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
