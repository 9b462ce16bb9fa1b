#include "app/MessageBox.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include "app/CConfiguration.h"

int showMessageBox(const QString& title, const QString& text, int mode) {
    if (mode != 1 && mode != 2) {
        return 0;
    }
    QMessageBox box;
    box.setWindowTitle(title);
    box.setInformativeText(text);
    box.setStyleSheet(g_config.appStyle());
    if (mode == 1) {
        box.setIcon(QMessageBox::Information);
        box.setWindowFlag(Qt::CustomizeWindowHint);
        box.setWindowModality(Qt::ApplicationModal);
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    } else {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Ok);
    }
    // A short text would otherwise give a cramped box; the spacer row keeps it
    // at least 320 pixels wide.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(320, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box.exec();
}
