#include "setup/ConfigUpgrade.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QSpacerItem>

#include "setup/FirmwareCopy.h"
#include "setup/SetupModel.h"

ConfigUpgrade::ConfigUpgrade(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    ui.progressBar->setRange(0, 100);
    ui.progressBar->setValue(0);
    ui.progressBar->hide();
    ui.pbCopy->setEnabled(false);
    connect(ui.pbSearch, &QAbstractButton::clicked, this, &ConfigUpgrade::findFile);
    connect(ui.pbCopy, &QAbstractButton::clicked, this, &ConfigUpgrade::CopyFile);
}

void ConfigUpgrade::load(const QString& infoPath) {
    QByteArray bytes;
    readSetupFile(infoPath, &bytes);
    const CardInfo info = readCardInfo(IniDocument(bytes));
    const int* version = info.firmware;
    ui.leFwVersion->setText(
        QString("v %1.%2.%3.%4").arg(version[0]).arg(version[1]).arg(version[2]).arg(version[3]));
    m_cardRoot = QFileInfo(infoPath).absolutePath();
}

bool ConfigUpgrade::findFile(bool) {
    const QString path = QFileDialog::getOpenFileName(this, tr("Open File"), QDir::currentPath(),
                                                      tr("bin file (zd-*.bin)"));
    if (path.isEmpty()) {
        return false;
    }
    m_filePath = path;
    m_fileName = path.mid(path.lastIndexOf('/') + 1);
    ui.leUpgradeVersion->setText(m_fileName);
    ui.pbCopy->setEnabled(true);
    ui.progressBar->hide();
    return true;
}

int ConfigUpgrade::showBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                           QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons, this);
    QFont font("Tahoma");
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    box.setFont(font);
    // As wide as the application's other message boxes.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(320, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.layout()->setSizeConstraint(QLayout::SetFixedSize);
    return box.exec();
}

void ConfigUpgrade::clearChoice() {
    m_filePath.clear();
    m_fileName.clear();
    ui.leUpgradeVersion->clear();
    ui.pbCopy->setEnabled(false);
}

bool ConfigUpgrade::CopyFile() {
    if (m_filePath.isEmpty()) {
        return false;
    }
    const QString target = m_cardRoot + "/" + firmwareTargetName(m_fileName);
    if (!QFileInfo::exists(m_filePath)) {
        showBox(QMessageBox::Warning, tr("Upgrade file"), tr("The upgrade file can not be found."),
                QMessageBox::Abort);
        return false;
    }
    if (QFileInfo::exists(target)) {
        const int answer = showBox(QMessageBox::Question, tr("Upgrade file"),
                                   tr("This file already exists.\n Do you want to overwrite it?"),
                                   QMessageBox::Ok | QMessageBox::Cancel);
        if (answer != QMessageBox::Ok) {
            clearChoice();
            return false;
        }
        // The present file is replaced only once the new one is complete.
    }

    ui.progressBar->setValue(0);
    ui.progressBar->show();
    ui.pbSearch->setEnabled(false);
    ui.pbCopy->setEnabled(false);
    QString why;
    const bool copied = copyFileWhole(
        m_filePath, target,
        [this](int percent) {
            ui.progressBar->setValue(percent);
            // Repaint between chunks; clicks and keys wait, so the tab cannot
            // start a second copy or lose its dialog during this one.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        },
        &why);
    ui.pbSearch->setEnabled(true);
    ui.pbCopy->setEnabled(true);
    if (!copied) {
        qWarning("copying %s to %s failed: %s", qPrintable(m_filePath), qPrintable(target),
                 qPrintable(why));
    }
    showBox(QMessageBox::Information, tr("File Copy"),
            copied ? tr("Complete!!") : tr("File copy failed."), QMessageBox::Ok);
    return copied;
}

void ConfigUpgrade::filecopying(qint64) {}

void ConfigUpgrade::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui.retranslateUi(this);
    }
    QWidget::changeEvent(event);
}
