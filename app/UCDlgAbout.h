#pragma once

// The About box: the product's name and version in a text browser that opens
// links outside, a button to the "Keyboard shortcuts" page, and an OK button.
//
// Threading: GUI thread only.

#include <QDialog>

class QPushButton;
class QTextBrowser;

class UCDlgAbout : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kVersion = "1.0.0.8";

    explicit UCDlgAbout(QWidget* parent = nullptr);

    QTextBrowser* textBrowser = nullptr;
    // Opens the "Keyboard shortcuts" page.
    QPushButton* shortcutsButton = nullptr;

    // The HTML shown.
    static QString aboutHtml();
};
