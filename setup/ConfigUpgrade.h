#pragma once

// Upgrade tab of the recorder setup editor: shows the recorder's firmware
// version and copies a firmware file chosen by the user to the card's root
// folder under the name the recorder looks for.
//
// Threading: GUI thread only. The copy runs on the GUI thread in chunks and
// repaints between them; user input waits until it is over.

#include <QMessageBox>
#include <QWidget>

#include "ui_ConfigUpgrade.h"

class QSettings;

class ConfigUpgrade : public QWidget {
    Q_OBJECT

public:
    explicit ConfigUpgrade(QWidget* parent = nullptr);

    // Shows the firmware version of the information file and takes its folder
    // as the card root.
    void load(const QString& infoPath);

    QString cardRoot() const { return m_cardRoot; }
    QString filePath() const { return m_filePath; }
    QString fileName() const { return m_fileName; }

    Ui::ConfigUpgrade ui;

public slots:
    // Lets the user choose a firmware file; false when the dialog was
    // cancelled (the previous choice stays).
    bool findFile(bool checked = false);
    // Copies the chosen file to the card; true when the copy is complete.
    bool CopyFile();
    void filecopying(qint64 bytes);

protected:
    void changeEvent(QEvent* event) override;

private:
    // A modal, fixed-size box parented to the tab.
    int showBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                QMessageBox::StandardButtons buttons);
    void clearChoice();

    QString m_cardRoot;
    QString m_filePath;
    QString m_fileName;
};
