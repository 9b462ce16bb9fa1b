#include "app/UCDlgAbout.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/Shortcuts.h"
#include "app/UCDlgShortcuts.h"

UCDlgAbout::UCDlgAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("UCDlgAbout");
    setWindowTitle(tr("About Korvel"));
    setModal(true);
    resize(380, 220);

    auto* column = new QVBoxLayout(this);
    textBrowser = new QTextBrowser(this);
    textBrowser->setObjectName("textBrowser");
    textBrowser->setOpenExternalLinks(true);
    textBrowser->setHtml(aboutHtml());
    column->addWidget(textBrowser);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    // The keys are listed on a page of their own.
    shortcutsButton = buttons->addButton(tr("Keyboard shortcuts"), QDialogButtonBox::ActionRole);
    shortcutsButton->setObjectName("pbShortcuts");
    shortcutsButton->setToolTip(
        shortcuts::withKeys(tr("Keyboard shortcuts"), shortcuts::Command::ShortcutsPage));
    connect(shortcutsButton, &QPushButton::clicked, this, [this] {
        UCDlgShortcuts page(this);
        page.exec();
    });
    column->addWidget(buttons);
}

QString UCDlgAbout::aboutHtml() {
    return QString("<center><font size=5>%1</font></center><br><br><br><b>%2%3</b><br>")
        .arg(tr("Korvel Vehicle Recording Viewer"), tr("Version "), kVersion);
}
