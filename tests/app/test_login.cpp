// Login dialog, shared message box and the login step of start-up.

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "ModalDriver.h"
#include "app/LoginFlow.h"
#include "app/UCDlgLogin.h"
#include "widgets/MessageBox.h"
#include "widgets/PasswordHash.h"
#include "widgets/StoredText.h"

class TestLogin : public QObject {
    Q_OBJECT

private slots:
    void messageBoxModes();
    void acceptRules();
    void dragging();
    void firstRunStoresAccountAsTyped();
    void cancelledLoginStoresNothing();
    void laterRunChecksStoredAccount();
    void autoLoginReplacesOldPassword();
};

void TestLogin::messageBoxModes() {
    {
        ModalDriver closer(QMessageBox::No);
        QCOMPARE(showMessageBox("Close Channel(s)", "Close?", 2), int(QMessageBox::No));
        QCOMPARE(closer.texts, QStringList{"Close?"});
    }
    {
        ModalDriver closer(QMessageBox::Ok);
        QCOMPARE(showMessageBox("Close Channel(s)", "Close?", 2), 1024);
    }
    {
        ModalDriver closer;
        QCOMPARE(showMessageBox("Warning", "never shown", 0), 0);
        QCOMPARE(showMessageBox("Warning", "never shown", 3), 0);
        QCoreApplication::processEvents();
        QVERIFY(closer.texts.isEmpty());
    }
}

void TestLogin::acceptRules() {
    const QString empty = "The user id must not be empty.";
    const QString mismatch = "A password does not match a confirm password";
    const QString badId = "The user id is incorrect.";
    const QString badPassword = "The password is incorrect.";
    const struct {
        bool firstRun;
        QString expectedId, expectedPassword, id, password, confirm;
        QString message;  // empty: accepted
    } cases[] = {
        {true, "", "", "   ", "", "", empty},
        {true, "", "", "u", "pw", "PW", mismatch},  // case differs
        {true, "", "", "u", " pw", "pw  ", ""},     // equal once trimmed
        {false, "admin", "1234", " admin ", " 1234 ", "", ""},
        {false, "admin", "1234", "Admin", "1234", "", badId},
        {false, "admin", "1234", "admin", "", "", badPassword},
        // An account first entered with surrounding spaces stays usable.
        {false, " admin ", " 1234 ", "admin", "1234", "", ""},
    };
    for (const auto& c : cases) {
        ModalDriver closer;
        UCDlgLogin dlg;
        dlg.setFirstRun(c.firstRun);
        // As older settings keep it; hashed ones are checked in laterRunChecksStoredAccount.
        dlg.setExpectedAccount(c.expectedId, encodeStoredText(c.expectedPassword));
        QCOMPARE(closer.texts.size(), c.firstRun ? 1 : 0);  // the first-run notice
        closer.texts.clear();
        dlg.show();
        dlg.leUserId->setText(c.id);
        dlg.lePassword->setText(c.password);
        dlg.leConfirm->setText(c.confirm);
        dlg.pbOk->click();
        QCOMPARE(closer.texts, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        QCOMPARE(dlg.result(), int(c.message.isEmpty() ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(dlg.isVisible(), !c.message.isEmpty());
    }
}

void TestLogin::dragging() {
    UCDlgLogin dlg;
    dlg.move(100, 100);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QPoint start = dlg.pos();
    const QPoint grab = start + QPoint(40, 30);
    auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent ev(type, dlg.mapFromGlobal(global), global, Qt::LeftButton, buttons,
                       Qt::NoModifier);
        QApplication::sendEvent(&dlg, &ev);
    };
    send(QEvent::MouseButtonPress, grab, Qt::LeftButton);
    send(QEvent::MouseMove, grab + QPoint(25, 15), Qt::LeftButton);
    QCOMPARE(dlg.pos(), start + QPoint(25, 15));
    send(QEvent::MouseButtonRelease, grab + QPoint(25, 15), Qt::NoButton);
    send(QEvent::MouseMove, grab + QPoint(80, 80), Qt::NoButton);
    QCOMPARE(dlg.pos(), start + QPoint(25, 15));
}

void TestLogin::firstRunStoresAccountAsTyped() {
    QTemporaryDir dir;
    QSettings store(dir.filePath("login.ini"), QSettings::IniFormat);
    ModalDriver closer;
    int shown = 0;
    const bool go = runLogin(store, [&](UCDlgLogin& dlg) {
        ++shown;
        dlg.leUserId->setText(" driver ");
        dlg.lePassword->setText(" pw");
        dlg.leConfirm->setText("pw");
        dlg.cbAutoLogin->setChecked(true);
        dlg.accept();
        return dlg.result();
    });
    QVERIFY(go);
    QCOMPARE(shown, 1);
    QCOMPARE(closer.texts.size(), 1);  // the first-run notice
    QCOMPARE(store.value("LOGIN/FIRST_LOGIN").toBool(), false);
    QCOMPARE(store.value("LOGIN/AUTO_LOGIN").toBool(), true);
    QCOMPARE(store.value("LOGIN/SAVE_LOGIN_ID").toBool(), false);
    QCOMPARE(store.value("LOGIN/LOGIN_ID").toString(), QString("IGRyaXZlciA="));  // " driver "
    // The password only as a salted hash, in a file only its owner reads.
    const QString hash = store.value("LOGIN/PASSWORD").toString();
    QVERIFY(hash.startsWith("pbkdf2-sha256$100000$"));
    QVERIFY(!hash.contains(encodeStoredText("pw")));
    QVERIFY(passwordMatches(hash, "pw"));
    QVERIFY(!passwordMatches(hash, "pW"));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(store.fileName()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);

    // Auto login now skips the dialog.
    QVERIFY(runLogin(store, [&](UCDlgLogin&) {
        ++shown;
        return int(QDialog::Rejected);
    }));
    QCOMPARE(shown, 1);

    // An empty password is an account too; a fresh salt gives another hash.
    QSettings fresh(dir.filePath("fresh.ini"), QSettings::IniFormat);
    QVERIFY(runLogin(fresh, [&](UCDlgLogin& dlg) {
        dlg.accept();
        return dlg.result();
    }));
    QCOMPARE(fresh.value("LOGIN/LOGIN_ID").toString(), encodeStoredText("ozrec"));
    const QString empty = fresh.value("LOGIN/PASSWORD").toString();
    QVERIFY(passwordMatches(empty, ""));
    QVERIFY(!passwordMatches(empty, "pw"));
    QVERIFY(empty.section('$', 2, 2) != hash.section('$', 2, 2));
}

void TestLogin::cancelledLoginStoresNothing() {
    QTemporaryDir dir;
    QSettings store(dir.filePath("login.ini"), QSettings::IniFormat);
    store.setValue("LOGIN/AUTO_LOGIN", true);  // ignored while first login is on
    ModalDriver closer;
    int shown = 0;
    QVERIFY(!runLogin(store, [&](UCDlgLogin& dlg) {
        ++shown;
        dlg.reject();
        return dlg.result();
    }));
    QCOMPARE(shown, 1);
    QCOMPARE(store.allKeys(), QStringList{"LOGIN/AUTO_LOGIN"});
}

void TestLogin::laterRunChecksStoredAccount() {
    QTemporaryDir dir;
    QSettings store(dir.filePath("login.ini"), QSettings::IniFormat);
    store.setValue("LOGIN/FIRST_LOGIN", false);
    store.setValue("LOGIN/SAVE_LOGIN_ID", true);
    store.setValue("LOGIN/LOGIN_ID", encodeStoredText("driver"));
    store.setValue("LOGIN/PASSWORD", encodeStoredText("s3cret"));
    ModalDriver closer;
    QVERIFY(runLogin(store, [&](UCDlgLogin& dlg) {
        [&] {
            QCOMPARE(dlg.leUserId->text(), QString("driver"));
            QVERIFY(dlg.leConfirm->isHidden());
        }();
        dlg.lePassword->setText("wrong");
        dlg.accept();
        if (dlg.result() == QDialog::Accepted) {
            return dlg.result();
        }
        dlg.lePassword->setText("s3cret ");
        dlg.accept();
        return dlg.result();
    }));
    QCOMPARE(closer.texts, QStringList{"The password is incorrect."});
    // The Base64 of older settings was accepted and is now the hash.
    const QString hash = store.value("LOGIN/PASSWORD").toString();
    QVERIFY(isPasswordHash(hash));
    QVERIFY(passwordMatches(hash, "s3cret"));
    QCOMPARE(store.value("LOGIN/SAVE_LOGIN_ID").toBool(), false);

    // The next login checks the hash, and keeps it.
    closer.texts.clear();
    QVERIFY(runLogin(store, [&](UCDlgLogin& dlg) {
        dlg.leUserId->setText("driver");
        dlg.lePassword->setText("s3cre");
        dlg.accept();
        dlg.lePassword->setText("s3cret");
        dlg.accept();
        return dlg.result();
    }));
    QCOMPARE(closer.texts, QStringList{"The password is incorrect."});
    QCOMPARE(store.value("LOGIN/PASSWORD").toString(), hash);

    // A damaged hash lets no password in.
    UCDlgLogin dlg;
    dlg.setFirstRun(false);
    dlg.setExpectedAccount("driver", "pbkdf2-sha256$x$c2FsdA==$a2V5");
    dlg.leUserId->setText("driver");
    dlg.lePassword->setText("s3cret");
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
}

void TestLogin::autoLoginReplacesOldPassword() {
    QTemporaryDir dir;
    QSettings store(dir.filePath("login.ini"), QSettings::IniFormat);
    store.setValue("LOGIN/FIRST_LOGIN", false);
    store.setValue("LOGIN/AUTO_LOGIN", true);
    store.setValue("LOGIN/PASSWORD", encodeStoredText("s3cret"));
    store.sync();
    QFile::setPermissions(store.fileName(), QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::ReadOther);
    int shown = 0;
    QVERIFY(runLogin(store, [&](UCDlgLogin&) {
        ++shown;
        return int(QDialog::Rejected);
    }));
    QCOMPARE(shown, 0);
    QVERIFY(passwordMatches(store.value("LOGIN/PASSWORD").toString(), "s3cret"));
    QFile file(store.fileName());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("pbkdf2-sha256"));
    QVERIFY(!bytes.contains(encodeStoredText("s3cret").toLatin1()));
    QCOMPARE(QFile::permissions(store.fileName()) & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
}

QTEST_MAIN(TestLogin)
#include "test_login.moc"
