#pragma once

// The viewer tab's "Shock events" group: the threshold above which the viewer
// marks a G-sensor peak as a shock event. "From the recorder" (0) takes the
// card's driving shock levels (SHOCK_DRIVE_X/Y/Z, 1-10, mapped to
// 0.3 g + 0.2 g x (10 - level)); any other value is g on every axis. Kept in
// the viewer's settings store under kKey, not on the card.
//
// Threading: GUI thread only.

#include <QGroupBox>

class QLabel;
class QSpinBox;
class QSettings;

class ShockSettingBox : public QGroupBox {
    Q_OBJECT

public:
    static const char* const kKey;  // "EVENTS/SHOCK_THRESHOLD_G"
    static constexpr double kMaxG = 8.0;

    explicit ShockSettingBox(QWidget* parent = nullptr);

    void load(const QSettings& store);
    void save(QSettings& store) const;

    // 0 for the recorder's levels.
    double thresholdG() const;
    // Tenths of g; its minimum (0) reads "From the recorder".
    QSpinBox* spinBox() const { return m_threshold; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    QLabel* m_label = nullptr;
    QSpinBox* m_threshold = nullptr;
    QLabel* m_hint = nullptr;
};
