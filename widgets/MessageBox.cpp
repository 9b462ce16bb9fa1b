#include "widgets/MessageBox.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include "widgets/CConfiguration.h"

namespace {

// The standard buttons of message boxes and button boxes take their texts
// from Qt's own catalogue, which the program does not ship; these entries of
// ours stand in for it (the generic platform theme's texts and, on GNOME,
// its own).
[[maybe_unused]] const char* const kStandardButtonTexts[] = {
    QT_TRANSLATE_NOOP("QPlatformTheme", "OK"),  QT_TRANSLATE_NOOP("QPlatformTheme", "Cancel"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "&No"), QT_TRANSLATE_NOOP("QPlatformTheme", "Abort"),
    QT_TRANSLATE_NOOP("QGnomeTheme", "&OK"),    QT_TRANSLATE_NOOP("QGnomeTheme", "&Cancel"),
};

}  // namespace

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
