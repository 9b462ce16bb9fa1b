#pragma once

// Camera tab of the recorder setup editor: one table row per camera with its
// title, mirror and flip switches, frame rate, bit rate and motion sensitivity.
// Row i edits the fields numbered i (CH1 is "CAMERA/TITLE_0"); the fields
// come from the setup model (SetupModel.h).
//
// Threading: GUI thread only.

#include <QWidget>

#include <memory>
#include <vector>

#include "setup/FieldBinding.h"
#include "ui_ConfigCamera.h"

class CardSetup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

class ConfigCamera : public QWidget {
    Q_OBJECT

public:
    explicit ConfigCamera(QWidget* parent = nullptr);

    // Builds one row per camera the card's information file names and shows
    // the card's values.
    void load(const CardSetup& setup);

    // The tab's fields, row by row.
    QList<const FieldBinding*> bindings() const;

    int cameraCount() const { return static_cast<int>(m_rows.size()); }

    // The controls of one row.
    struct Row {
        QLineEdit* title = nullptr;
        QCheckBox* mirror = nullptr;
        QCheckBox* flip = nullptr;
        QComboBox* fps = nullptr;
        QComboBox* bitrate = nullptr;
        QSlider* sensitivity = nullptr;
        QLabel* sensitivityLabel = nullptr;
    };
    const Row& row(int i) const { return m_rows.at(i); }

    Ui::ConfigCamera ui;

protected:
    void changeEvent(QEvent* event) override;

private:
    void setHeaders();

    std::vector<Row> m_rows;
    std::vector<std::unique_ptr<FieldBinding>> m_bindings;
};
