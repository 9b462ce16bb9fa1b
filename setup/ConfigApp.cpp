#include "setup/ConfigApp.h"

#include <QEvent>
#include <QSettings>

#include "app/StoredText.h"
#include "setup/ShockSettingBox.h"

ConfigApp::ConfigApp(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    shockSetting = new ShockSettingBox(this);
    ui.vlApp->insertWidget(ui.vlApp->count() - 1, shockSetting);  // above the spacer
}

void ConfigApp::load(const QSettings& store) {
    ui.leUserId->setText(decodeStoredText(store.value("LOGIN/LOGIN_ID", QString()).toString()));
    ui.lePassword->setText(decodeStoredText(store.value("LOGIN/PASSWORD", QString()).toString()));
    ui.cbAutoLogin->setChecked(store.value("LOGIN/AUTO_LOGIN", false).toBool());
    ui.cbRememberMe->setChecked(store.value("LOGIN/SAVE_LOGIN_ID", false).toBool());
    const bool mph = store.value("SHOW/SPEED_MPH", false).toBool();
    ui.rbMiles->setChecked(mph);
    ui.rbKm->setChecked(!mph);
    shockSetting->load(store);
}

void ConfigApp::save(QSettings& store) const {
    store.setValue("LOGIN/LOGIN_ID", encodeStoredText(ui.leUserId->text()));
    store.setValue("LOGIN/PASSWORD", encodeStoredText(ui.lePassword->text()));
    store.setValue("LOGIN/AUTO_LOGIN", ui.cbAutoLogin->isChecked());
    store.setValue("SHOW/SPEED_MPH", ui.rbMiles->isChecked());
    shockSetting->save(store);
}

void ConfigApp::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui.retranslateUi(this);
    }
    QWidget::changeEvent(event);
}
