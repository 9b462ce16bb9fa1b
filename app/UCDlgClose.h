#pragma once

// Asks before the main window closes. OK stores the "Don't ask me again."
// box into the configuration's "CLOSE_ASK" and saves the configuration; the
// caller then closes the window. The other button rejects and changes nothing.
//
// Threading: GUI thread only (writes the global configuration).

#include <QDialog>

class QCheckBox;
class QPushButton;

class UCDlgClose : public QDialog {
    Q_OBJECT

public:
    explicit UCDlgClose(QWidget* parent = nullptr);

    QCheckBox* cbDontAsk = nullptr;
    QPushButton* pbOK = nullptr;
    QPushButton* pbCancel = nullptr;

public slots:
    void accept() override;
};
