#pragma once

// The frameless login dialog shown at start-up.
//
// First-run mode (no account stored yet) asks for the password twice and
// accepts any non-empty user id; the start-up code then stores the account.
// Normal mode checks the typed user id and password, trimmed, against the
// expected ones. The dialog is moved by dragging anywhere on it.
//
// Threading: GUI thread only.

#include <QDialog>
#include <QString>

#include "ui_LoginDialog.h"

class UCDlgLogin : public QDialog, public Ui_LoginDialog {
    Q_OBJECT

public:
    explicit UCDlgLogin(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

    // false hides the confirm row; true shows it and first tells the user, in a
    // modal message box, that an account is about to be set up.
    void setFirstRun(bool firstRun);
    bool isFirstRun() const { return m_firstRun; }

    // The stored account that normal mode checks against: the user id and
    // the password as the settings keep it (a hash, or Base64 of the text in
    // older settings; PasswordHash.h).
    void setExpectedAccount(const QString& userId, const QString& storedPassword);

public slots:
    // Accepts only when the checks pass; otherwise tells why and stays open.
    void accept() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_expectedUserId;
    QString m_expectedPassword;  // stored form
    bool m_firstRun = true;
    int m_dragOffsetX = 0;
    int m_dragOffsetY = 0;
    bool m_dragging = false;
};
