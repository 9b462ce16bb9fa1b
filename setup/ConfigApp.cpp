#include "setup/ConfigApp.h"

#include <QEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include "app/CConfiguration.h"
#include "app/StoredText.h"

ConfigApp::ConfigApp(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);

    auto* capture = new QGroupBox(tr("Captured pictures"), this);
    capture->setObjectName("gbCapture");
    auto* row = new QHBoxLayout(capture);
    leCapturePath = new QLineEdit(capture);
    leCapturePath->setObjectName("leCapturePath");
    leCapturePath->setPlaceholderText(CConfiguration::defaultCapturePath());
    pbCapturePath = new QPushButton(tr("Browse..."), capture);
    pbCapturePath->setObjectName("pbCapturePath");
    row->addWidget(leCapturePath, 1);
    row->addWidget(pbCapturePath);
    // Above the spacer that closes the tab.
    ui.vlApp->insertWidget(ui.vlApp->count() - 1, capture);
    connect(pbCapturePath, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(
            this, tr("Folder for captured pictures"), leCapturePath->text());
        if (!folder.isEmpty()) {
            leCapturePath->setText(folder);
        }
    });
}

void ConfigApp::load(const QSettings& store) {
    ui.leUserId->setText(decodeStoredText(store.value("LOGIN/LOGIN_ID", QString()).toString()));
    ui.lePassword->setText(decodeStoredText(store.value("LOGIN/PASSWORD", QString()).toString()));
    ui.cbAutoLogin->setChecked(store.value("LOGIN/AUTO_LOGIN", false).toBool());
    ui.cbRememberMe->setChecked(store.value("LOGIN/SAVE_LOGIN_ID", false).toBool());
    const bool mph = store.value("SHOW/SPEED_MPH", false).toBool();
    ui.rbMiles->setChecked(mph);
    ui.rbKm->setChecked(!mph);
    leCapturePath->setText(g_config.capturePath());
}

void ConfigApp::save(QSettings& store) const {
    store.setValue("LOGIN/LOGIN_ID", encodeStoredText(ui.leUserId->text()));
    store.setValue("LOGIN/PASSWORD", encodeStoredText(ui.lePassword->text()));
    store.setValue("LOGIN/AUTO_LOGIN", ui.cbAutoLogin->isChecked());
    store.setValue("SHOW/SPEED_MPH", ui.rbMiles->isChecked());
    // An empty folder stands for the default one.
    const QString capture = leCapturePath->text().trimmed();
    g_config.setCapturePath(capture.isEmpty() ? CConfiguration::defaultCapturePath() : capture);
    g_config.save();
}

void ConfigApp::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui.retranslateUi(this);
    }
    QWidget::changeEvent(event);
}
