#pragma once

// The setup editor: the recorder's settings on the card (device, cameras,
// storage split, firmware copy) and the viewer's own login account and speed
// unit, on five tabs.
//
// Threading: GUI thread only.

#include <QDialog>
#include <QList>
#include <QPair>

#include "ui_DlgConfig.h"

class ConfigApp;
class ConfigCamera;
class ConfigDevice;
class ConfigStorage;
class ConfigUpgrade;

class DlgConfig : public QDialog {
    Q_OBJECT

public:
    explicit DlgConfig(QWidget* parent = nullptr);

    // True leaves only the viewer tab; nothing on the card is then read or
    // written.
    void setViewerOnly(bool viewerOnly);
    bool viewerOnly() const { return m_viewerOnly; }

    // Viewer tab from the native store; unless viewer-only, the recorder tabs
    // from the card: camera count, top frame rate and firmware version from
    // `infoPath` ("DVRSETUP.INI"), the values from `editedPath`.
    void load(const QString& infoPath, const QString& editedPath);

    // Viewer tab to the native store; unless viewer-only, the camera, device
    // and storage tabs to `targetPath`, which is replaced as a whole. A file
    // that cannot be written is reported in a warning box, the previous one is
    // kept, and the result is false.
    bool save(const QString& targetPath);

    ConfigDevice* device() const { return m_device; }
    ConfigCamera* camera() const { return m_camera; }
    ConfigStorage* storage() const { return m_storage; }
    ConfigUpgrade* upgrade() const { return m_upgrade; }
    ConfigApp* app() const { return m_app; }

    Ui::DlgConfig ui;

public slots:
    // Refuses an empty user id (the login would then be impossible).
    void accept() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    bool m_viewerOnly = false;
    ConfigDevice* m_device = nullptr;
    ConfigCamera* m_camera = nullptr;
    ConfigStorage* m_storage = nullptr;
    ConfigUpgrade* m_upgrade = nullptr;
    ConfigApp* m_app = nullptr;
    // The recorder tabs with their titles, to put back after viewer-only.
    QList<QWidget*> m_recorderPages;
};
