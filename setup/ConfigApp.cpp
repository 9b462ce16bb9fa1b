#include "setup/ConfigApp.h"

#include <QColor>
#include <QEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSettings>

#include "setup/ShockSettingBox.h"
#include "widgets/CConfiguration.h"
#include "widgets/PasswordHash.h"
#include "widgets/PrivateFile.h"
#include "widgets/StoredText.h"

ConfigApp::ConfigApp(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    ui.leUserId->setMaxLength(kMaxUserIdLength);
    ui.lePassword->setMaxLength(kMaxPasswordLength);
    ui.leConfirm->setMaxLength(kMaxPasswordLength);
    // The hint must not read as a typed password. Set after the style sheet
    // has given the field its colours, which would replace it.
    ui.lePassword->ensurePolished();
    QPalette hint = ui.lePassword->palette();
    QColor dim = hint.color(QPalette::Text);
    dim.setAlpha(110);
    hint.setColor(QPalette::PlaceholderText, dim);
    ui.lePassword->setPalette(hint);
    shockSetting = new ShockSettingBox(this);
    ui.vlApp->insertWidget(ui.vlApp->count() - 1, shockSetting);  // above the spacer

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
    ui.lePassword->clear();
    ui.leConfirm->clear();
    ui.cbAutoLogin->setChecked(store.value("LOGIN/AUTO_LOGIN", false).toBool());
    ui.cbRememberMe->setChecked(store.value("LOGIN/SAVE_LOGIN_ID", false).toBool());
    const bool mph = store.value("SHOW/SPEED_MPH", false).toBool();
    ui.rbMiles->setChecked(mph);
    ui.rbKm->setChecked(!mph);
    leCapturePath->setText(g_config.capturePath());
    shockSetting->load(store);
}

QString ConfigApp::refusal() const {
    if (ui.leUserId->text().trimmed().isEmpty()) {
        return tr("The user id must not be empty.");
    }
    // Compared as the login dialog compares a first password with its
    // confirmation.
    if (ui.lePassword->text().trimmed() != ui.leConfirm->text().trimmed()) {
        return tr("A password does not match a confirm password");
    }
    return QString();
}

void ConfigApp::save(QSettings& store) const {
    restrictToOwner(store.fileName());
    store.setValue("LOGIN/LOGIN_ID", encodeStoredText(ui.leUserId->text()));
    if (!ui.lePassword->text().isEmpty()) {
        store.setValue("LOGIN/PASSWORD", hashPassword(ui.lePassword->text()));
    }
    store.setValue("LOGIN/AUTO_LOGIN", ui.cbAutoLogin->isChecked());
    store.setValue("SHOW/SPEED_MPH", ui.rbMiles->isChecked());
    shockSetting->save(store);
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
