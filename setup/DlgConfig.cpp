#include "setup/DlgConfig.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QMessageBox>
#include <QSettings>
#include <QVBoxLayout>

#include "setup/ConfigApp.h"
#include "setup/ConfigCamera.h"
#include "setup/ConfigDevice.h"
#include "setup/ConfigStorage.h"
#include "setup/ConfigUpgrade.h"
#include "widgets/CConfiguration.h"
#include "widgets/MessageBox.h"

namespace {

// Rules the application style sheet has no entry for.
const char* const kDialogStyle = R"(
QDateTimeEdit {
    background-color: #0f141b;
    color: #e2e8f0;
    border: 1px solid #2b3646;
    border-radius: 3px;
    padding: 2px 4px;
}
QDateTimeEdit:disabled { color: #5d6878; }
QDateTimeEdit:focus { border-color: #1fa3c0; }
QCheckBox::indicator, QRadioButton::indicator {
    width: 12px;
    height: 12px;
    border: 1px solid #4a596b;
    background-color: #0f141b;
}
QCheckBox::indicator { border-radius: 3px; }
QRadioButton::indicator { border-radius: 7px; }
QCheckBox::indicator:hover, QRadioButton::indicator:hover { border-color: #2fd0c4; }
QCheckBox::indicator:checked {
    background-color: #1fa3c0;
    border-color: #2fd0c4;
    image: url(:/Korvel/images/login_check.png);
}
QRadioButton::indicator:checked {
    border-color: #2fd0c4;
    background-color: qradialgradient(cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5,
        stop:0 #2fd0c4, stop:0.5 #1fa3c0, stop:0.55 #0f141b, stop:1 #0f141b);
}
QProgressBar {
    background-color: #0f141b;
    color: #e2e8f0;
    border: 1px solid #2b3646;
    border-radius: 3px;
    text-align: center;
    min-height: 18px;
}
QProgressBar::chunk {
    background-color: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #25b9c0, stop:1 #1b62c9);
    border-radius: 2px;
}
QCheckBox::indicator:disabled, QRadioButton::indicator:disabled {
    border-color: #2b3646;
    background-color: #1d242e;
}
)";

void place(QWidget* page, QWidget* tab) {
    page->layout()->addWidget(tab);
}

}  // namespace

DlgConfig::DlgConfig(QWidget* parent) : QDialog(parent) {
    // Without a parent window the dialog carries the application style itself.
    // Set before the form is built: the button box takes its icon rule then.
    setStyleSheet(parent == nullptr ? g_config.appStyle() + kDialogStyle : QString(kDialogStyle));
    ui.setupUi(this);
    setFixedSize(800, 539);

    m_device = new ConfigDevice(ui.wgDevice);
    m_camera = new ConfigCamera(ui.wgCamera);
    m_storage = new ConfigStorage(ui.wgStorage);
    m_upgrade = new ConfigUpgrade(ui.wgUpgrade);
    m_app = new ConfigApp(ui.wgApp);
    place(ui.wgDevice, m_device);
    place(ui.wgCamera, m_camera);
    place(ui.wgStorage, m_storage);
    place(ui.wgUpgrade, m_upgrade);
    place(ui.wgApp, m_app);
    m_recorderPages = {ui.wgDevice, ui.wgCamera, ui.wgStorage, ui.wgUpgrade};

    connect(ui.buttonBox, &QDialogButtonBox::accepted, this, &DlgConfig::accept);
    connect(ui.buttonBox, &QDialogButtonBox::rejected, this, &DlgConfig::reject);
}

void DlgConfig::setViewerOnly(bool viewerOnly) {
    if (viewerOnly == m_viewerOnly) {
        return;
    }
    m_viewerOnly = viewerOnly;
    if (viewerOnly) {
        for (QWidget* page : m_recorderPages) {
            ui.twConfig->removeTab(ui.twConfig->indexOf(page));
        }
    } else {
        for (int i = 0; i < m_recorderPages.size(); ++i) {
            ui.twConfig->insertTab(i, m_recorderPages.at(i), QString());
        }
        ui.retranslateUi(this);
    }
}

void DlgConfig::load(const QString& infoPath, const QString& editedPath) {
    QSettings store("QUENDRA", "Korvel");
    m_app->load(store);
    if (m_viewerOnly) {
        return;
    }
    m_setup.load(infoPath, editedPath);
    m_device->load(m_setup);
    m_camera->load(m_setup);
    m_storage->load(m_setup);
    m_upgrade->load(infoPath);
}

QList<const FieldBinding*> DlgConfig::bindings() const {
    if (m_viewerOnly) {
        return {};
    }
    return m_device->bindings() + m_camera->bindings() + m_storage->bindings();
}

QMap<QString, QString> DlgConfig::values() const {
    QMap<QString, QString> values;
    for (const FieldBinding* binding : bindings()) {
        values.insert(binding->field().key, binding->value());
    }
    return values;
}

QList<QPair<QString, QString>> DlgConfig::changes() const {
    if (m_viewerOnly) {
        return {};
    }
    return m_device->changes() + changedFields(m_camera->bindings()) +
           changedFields(m_storage->bindings());
}

bool DlgConfig::save(const QString& targetPath) {
    {
        QSettings store("QUENDRA", "Korvel");
        m_app->save(store);
    }
    if (m_viewerOnly) {
        return true;
    }
    QString why;
    const bool written = m_setup.save(targetPath, changes(), &why);
    if (!written) {
        qWarning("writing %s failed: %s", qPrintable(targetPath), qPrintable(why));
        QMessageBox box(QMessageBox::Warning, tr("Configuration"),
                        tr("The setting file could not be saved. The file on the card is "
                           "unchanged.\n%1\n%2")
                            .arg(targetPath, why),
                        QMessageBox::Ok, this);
        box.exec();
    }
    return written;
}

void DlgConfig::accept() {
    const QString account = m_app->refusal();
    if (!account.isEmpty()) {
        ui.twConfig->setCurrentWidget(ui.wgApp);
        showMessageBox(tr("Warning"), account, 1);
        return;
    }
    for (const auto& change : changes()) {
        const SetupField* field = m_setup.field(change.first);
        const QString why = field != nullptr ? refusal(*field, change.second) : QString();
        if (!why.isEmpty()) {
            ui.twConfig->setCurrentWidget(field->tab == SetupTab::Device   ? ui.wgDevice
                                          : field->tab == SetupTab::Camera ? ui.wgCamera
                                                                           : ui.wgStorage);
            showMessageBox(tr("Warning"), QString("%1\n%2").arg(field->label, why), 1);
            return;
        }
    }
    QDialog::accept();
}

void DlgConfig::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui.retranslateUi(this);
    }
    QDialog::changeEvent(event);
}
