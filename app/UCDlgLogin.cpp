#include "app/UCDlgLogin.h"

#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>

#include "widgets/MessageBox.h"
#include "widgets/PasswordHash.h"

UCDlgLogin::UCDlgLogin(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {
    setupUi(this);
    setFixedSize(640, 400);
    setWindowFlag(Qt::FramelessWindowHint);

    QPalette pal = palette();
    pal.setBrush(QPalette::Window, QBrush(QPixmap(":/Korvel/images/korvel_splash_nologo.png")));
    setPalette(pal);
    setAutoFillBackground(true);

    cbSaveUserName->hide();
    leUserId->setFocus();
}

void UCDlgLogin::setFirstRun(bool firstRun) {
    m_firstRun = firstRun;
    lbConfirm->setVisible(firstRun);
    leConfirm->setVisible(firstRun);
    if (firstRun) {
        showMessageBox(tr("Warning"),
                       tr("For the first run, you will be requested to enter User ID and Password "
                          "provided from the manual."),
                       1);
    }
}

void UCDlgLogin::setExpectedAccount(const QString& userId, const QString& storedPassword) {
    m_expectedUserId = userId;
    m_expectedPassword = storedPassword;
}

void UCDlgLogin::accept() {
    const QString userId = leUserId->text().trimmed();
    if (userId.isEmpty()) {
        showMessageBox(tr("Warning"), tr("The user id must not be empty."), 1);
        return;
    }
    if (m_firstRun) {
        if (lePassword->text().trimmed() != leConfirm->text().trimmed()) {
            showMessageBox(tr("Warning"), tr("A password does not match a confirm password"), 1);
            return;
        }
        QDialog::accept();
        return;
    }
    // The user id is stored as typed, surrounding spaces included, while the
    // typed text is trimmed; trimming the stored side too keeps an account whose
    // first entry had such spaces usable (the password is compared trimmed on
    // both sides as well, PasswordHash.h).
    if (userId != m_expectedUserId.trimmed()) {
        showMessageBox(tr("Warning"), tr("The user id is incorrect."), 1);
        return;
    }
    if (!passwordMatches(m_expectedPassword, lePassword->text())) {
        showMessageBox(tr("Warning"), tr("The password is incorrect."), 1);
        return;
    }
    QDialog::accept();
}

void UCDlgLogin::mousePressEvent(QMouseEvent* event) {
    m_dragging = true;
    m_dragOffsetX = event->globalPos().x() - pos().x();
    m_dragOffsetY = event->globalPos().y() - pos().y();
    QDialog::mousePressEvent(event);
}

void UCDlgLogin::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        move(event->globalPos().x() - m_dragOffsetX, event->globalPos().y() - m_dragOffsetY);
    }
    QDialog::mouseMoveEvent(event);
}

void UCDlgLogin::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}
