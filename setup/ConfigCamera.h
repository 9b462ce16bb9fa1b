#pragma once

// Camera tab of the recorder setup editor: one table row per camera with its
// title, mirror and flip switches, frame rate, bit rate and motion sensitivity.
//
// Threading: GUI thread only.

#include <QWidget>

#include "ui_ConfigCamera.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSettings;
class QSlider;

class ConfigCamera : public QWidget {
    Q_OBJECT

public:
    // Stored motion sensitivity for slider positions 10, 20, ..., 100.
    static constexpr int kSensitivity[10] = {50, 30, 15, 10, 7, 5, 4, 3, 2, 1};
    // More cameras than channels would only be a malformed file.
    static constexpr int kMaxCameras = 32;

    // Slider position for a stored sensitivity: 100 for a value not in the
    // table.
    static int sensitivityPosition(int stored);
    // Stored sensitivity for a slider position (rounded to a tick).
    static int sensitivityValue(int position);

    explicit ConfigCamera(QWidget* parent = nullptr);

    // Builds `cameras` rows (none below 1) with the top frame rate `topFps` as
    // the default, and shows the values of `ini`.
    void load(int cameras, int topFps, const QSettings& ini);
    // Writes the five keys of every row.
    void save(QSettings& ini) const;

    int cameraCount() const { return m_rows.size(); }

    // The controls of one row, for the tests and for load/save.
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

    QList<Row> m_rows;
};
