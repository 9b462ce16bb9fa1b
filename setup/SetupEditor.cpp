#include "setup/SetupEditor.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "setup/DlgConfig.h"
#include "setup/SetupModel.h"
#include "widgets/DlgSelDrive.h"
#include "widgets/MessageBox.h"

bool editRecorderSetup(QWidget* parent, const QString& infoPath, const QString& editedPath,
                       const QString& targetPath) {
    DlgConfig dialog(parent);
    dialog.load(infoPath, editedPath);
    bool viewerSaved = false;
    while (dialog.exec() == QDialog::Accepted) {
        const bool written = dialog.save(targetPath);
        viewerSaved = true;
        if (written) {
            break;
        }
    }
    return viewerSaved;
}

bool runSetupEditor(QWidget* parent, const QString& cardRoot,
                    const std::function<QString()>& selectDrive) {
    auto pathsUnder = [](const QString& root, QString* info, QString* target) {
        *info = CardSetup::infoPathUnder(root);
        *target = CardSetup::targetPathUnder(root);
    };
    QString info;
    QString target;
    pathsUnder(cardRoot, &info, &target);
    if (!QFileInfo::exists(info) && !QFileInfo::exists(target)) {
        QString root;
        if (selectDrive) {
            root = selectDrive();
        } else {
            DlgSelDrive drives(parent);
            if (drives.exec() == QDialog::Accepted) {
                root = drives.selectedPath();
            }
        }
        if (root.isEmpty()) {
            showMessageBox(
                QCoreApplication::translate("DlgConfig", "Configuration"),
                QCoreApplication::translate("DlgConfig", " There is not a setting file."), 1);
            return false;
        }
        pathsUnder(root, &info, &target);
    }
    const QString edited = QFileInfo::exists(target) ? target : info;
    return editRecorderSetup(parent, info, edited, target);
}
