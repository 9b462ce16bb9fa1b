#pragma once

// Answers the modal windows that appear during a test: message boxes (records
// title and text, clicks the chosen button), file dialogs and setup dialogs (a
// handler decides). Polls from a timer, as the modal loops leave no other way in.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

class ModalDriver : public QObject {
public:
    // `answer` is clicked in every message box that offers it; otherwise the
    // box's escape button.
    explicit ModalDriver(QMessageBox::StandardButton answer = QMessageBox::Ok) : m_answer(answer) {
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
        m_timer.start(5);
    }

    // Called once for every other modal dialog that shows; it must close it.
    std::function<void(QDialog*)> onDialog;
    QStringList titles;
    QStringList texts;
    QList<QMessageBox::Icon> icons;

private:
    void poll() {
        if (m_handled != nullptr && !m_handled->isVisible()) {
            m_handled = nullptr;  // closed; a dialog shown again is new work
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || modal == m_handled) {
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_handled = box;
            titles << box->windowTitle();
            texts << (box->informativeText().isEmpty() ? box->text() : box->informativeText());
            icons << box->icon();
            QAbstractButton* button = box->button(m_answer);
            if (button == nullptr) {
                button = box->escapeButton();
            }
            if (button != nullptr) {
                button->click();
            }
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            m_handled = dialog;
            if (onDialog) {
                onDialog(dialog);
            } else {
                dialog->reject();
            }
        }
    }

    QMessageBox::StandardButton m_answer;
    QPointer<QWidget> m_handled;
    QTimer m_timer;
};
