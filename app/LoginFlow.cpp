#include "app/LoginFlow.h"

#include <QSettings>

#include "app/UCDlgLogin.h"
#include "widgets/PasswordHash.h"
#include "widgets/PrivateFile.h"
#include "widgets/StoredText.h"

LoginSettings readLoginSettings(QSettings& store) {
    LoginSettings s;
    s.firstLogin = store.value("LOGIN/FIRST_LOGIN", true).toBool();
    s.autoLogin = store.value("LOGIN/AUTO_LOGIN", false).toBool();
    s.saveLoginId = store.value("LOGIN/SAVE_LOGIN_ID", false).toBool();
    s.loginId = decodeStoredText(store.value("LOGIN/LOGIN_ID", QString()).toString());
    s.password = store.value("LOGIN/PASSWORD", QString()).toString();
    return s;
}

void storeAcceptedLogin(QSettings& store, const UCDlgLogin& dialog) {
    restrictToOwner(store.fileName());
    store.setValue("LOGIN/FIRST_LOGIN", false);
    store.setValue("LOGIN/AUTO_LOGIN", dialog.cbAutoLogin->isChecked());
    store.setValue("LOGIN/SAVE_LOGIN_ID", dialog.cbSaveUserName->isChecked());
    store.setValue("LOGIN/LOGIN_ID", encodeStoredText(dialog.leUserId->text()));
    // A later login only proved the stored password; its hash stays.
    if (dialog.isFirstRun() || !isPasswordHash(store.value("LOGIN/PASSWORD").toString())) {
        store.setValue("LOGIN/PASSWORD", hashPassword(dialog.lePassword->text()));
    }
    store.sync();
}

bool upgradeStoredPassword(QSettings& store) {
    if (!store.contains("LOGIN/PASSWORD")) {
        return false;
    }
    const QString stored = store.value("LOGIN/PASSWORD").toString();
    if (isPasswordHash(stored)) {
        return false;
    }
    restrictToOwner(store.fileName());
    store.setValue("LOGIN/PASSWORD", hashPassword(decodeStoredText(stored)));
    store.sync();
    return true;
}

bool runLogin(QSettings& store, const std::function<int(UCDlgLogin&)>& execDialog) {
    if (!store.value("LOGIN/FIRST_LOGIN", true).toBool()) {
        upgradeStoredPassword(store);
    }
    const LoginSettings s = readLoginSettings(store);
    if (!s.firstLogin && s.autoLogin) {
        return true;
    }
    UCDlgLogin dialog(nullptr, Qt::FramelessWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setFirstRun(s.firstLogin);
    dialog.setExpectedAccount(s.loginId, s.password);
    if (s.saveLoginId) {
        dialog.leUserId->setText(s.loginId);
    }
    const int result = execDialog ? execDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted) {
        return false;
    }
    storeAcceptedLogin(store, dialog);
    return true;
}
