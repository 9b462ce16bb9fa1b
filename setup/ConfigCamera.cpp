#include "setup/ConfigCamera.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSlider>

#include <algorithm>

#include "setup/CardIni.h"

namespace {

constexpr int kRowHeight = 35;
constexpr int kMaxFps = 30;
constexpr int kBitrateSteps = 6;
constexpr int kBitrateUnit = 1024;

// A check box centred in its cell.
QWidget* centred(QWidget* control, QWidget* parent) {
    auto* cell = new QWidget(parent);
    auto* box = new QHBoxLayout(cell);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(control, 0, Qt::AlignCenter);
    return cell;
}

}  // namespace

int ConfigCamera::sensitivityPosition(int stored) {
    const int* end = std::end(kSensitivity);
    const int* at = std::find(std::begin(kSensitivity), end, stored);
    return at == end ? 100 : 10 * static_cast<int>(at - std::begin(kSensitivity) + 1);
}

int ConfigCamera::sensitivityValue(int position) {
    const int index = std::clamp((position + 5) / 10, 1, 10) - 1;
    return kSensitivity[index];
}

ConfigCamera::ConfigCamera(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    QTableWidget* table = ui.twCamera;
    table->setColumnCount(7);
    setHeaders();
    // Dark text keeps the light header readable under the dark style.
    table->horizontalHeader()->setStyleSheet(
        "::section {background-color: lightgray; color: #151b24; font-weight: bold;}");
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(6, QHeaderView::Stretch);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(kRowHeight);
}

void ConfigCamera::setHeaders() {
    ui.twCamera->setHorizontalHeaderLabels({QString(), tr("TITLE"), tr("MIRROR"), tr("FLIP"),
                                            tr("FRAME"), tr("BITRATE"), tr("SENSITIVITY")});
}

void ConfigCamera::load(int cameras, int topFps, const QSettings& ini) {
    QTableWidget* table = ui.twCamera;
    table->setRowCount(0);
    m_rows.clear();
    const int count = std::clamp(cameras, 0, kMaxCameras);
    table->setRowCount(count);
    for (int i = 0; i < count; ++i) {
        const QString n = QString::number(i + 1);
        Row row;

        auto* channel = new QTableWidgetItem(QString("CH%1").arg(i + 1));
        channel->setTextAlignment(Qt::AlignCenter);
        channel->setFlags(Qt::ItemIsEnabled);
        table->setItem(i, 0, channel);

        row.title = new QLineEdit(table);
        row.title->setMaxLength(32);
        row.title->setText(cardText(ini, "CAMERA/TITLE_" + n, QString("CH%1").arg(i + 1)));
        table->setCellWidget(i, 1, row.title);

        row.mirror = new QCheckBox(table);
        row.mirror->setChecked(ini.value("CAMERA/MIRROR_" + n, 0).toInt() == 1);
        table->setCellWidget(i, 2, centred(row.mirror, table));

        row.flip = new QCheckBox(table);
        row.flip->setChecked(ini.value("CAMERA/FLIP_" + n, 0).toInt() == 1);
        table->setCellWidget(i, 3, centred(row.flip, table));

        row.fps = new QComboBox(table);
        for (int fps = 1; fps <= kMaxFps; ++fps) {
            row.fps->addItem(QString::number(fps));
        }
        bool ok = false;
        int fps = ini.value("RECORD/REC_FPS_" + n, topFps).toInt(&ok);
        // A rate the box does not offer falls back to the default rather than
        // leaving the box blank (and saving 0).
        if (!ok || fps < 1 || fps > kMaxFps) {
            fps = std::clamp(topFps, 1, kMaxFps);
        }
        row.fps->setCurrentIndex(fps - 1);
        table->setCellWidget(i, 4, row.fps);

        row.bitrate = new QComboBox(table);
        for (int mbps = 1; mbps <= kBitrateSteps; ++mbps) {
            row.bitrate->addItem(tr("%1 MBPS (CBR)").arg(mbps));
        }
        const int bitrate = ini.value("RECORD/CAM_REC_BITRATE_" + n, kBitrateUnit).toInt();
        // Rates above the top entry take the top entry.
        const int entry = bitrate >= kBitrateUnit ? bitrate / kBitrateUnit - 1 : 0;
        row.bitrate->setCurrentIndex(std::min(entry, kBitrateSteps - 1));
        table->setCellWidget(i, 5, row.bitrate);

        auto* cell = new QWidget(table);
        auto* box = new QHBoxLayout(cell);
        box->setContentsMargins(6, 0, 6, 0);
        row.sensitivity = new QSlider(Qt::Horizontal, cell);
        row.sensitivity->setRange(10, 100);
        row.sensitivity->setSingleStep(10);
        row.sensitivity->setPageStep(10);
        row.sensitivity->setTickInterval(10);
        row.sensitivity->setTickPosition(QSlider::TicksBelow);
        row.sensitivityLabel = new QLabel(cell);
        row.sensitivityLabel->setMinimumWidth(26);
        row.sensitivityLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box->addWidget(row.sensitivity, 1);
        box->addWidget(row.sensitivityLabel);
        QSlider* slider = row.sensitivity;
        QLabel* label = row.sensitivityLabel;
        // Only the ticks stand for stored values: a drag snaps to the nearest.
        connect(slider, &QSlider::valueChanged, label, [slider, label](int value) {
            const int snapped = std::clamp((value + 5) / 10 * 10, 10, 100);
            if (snapped != value) {
                slider->setValue(snapped);
                return;
            }
            label->setText(QString::number(value));
        });
        slider->setValue(sensitivityPosition(ini.value("MOTION_AREA/SENS_" + n, 7).toInt()));
        label->setText(QString::number(slider->value()));
        table->setCellWidget(i, 6, cell);

        m_rows.append(row);
    }
}

void ConfigCamera::save(QSettings& ini) const {
    for (int i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows.at(i);
        const QString n = QString::number(i + 1);
        ini.setValue("CAMERA/TITLE_" + n, row.title->text());
        ini.setValue("CAMERA/MIRROR_" + n, row.mirror->isChecked() ? 1 : 0);
        ini.setValue("CAMERA/FLIP_" + n, row.flip->isChecked() ? 1 : 0);
        ini.setValue("RECORD/REC_FPS_" + n, row.fps->currentIndex() + 1);
        ini.setValue("RECORD/CAM_REC_BITRATE_" + n,
                     (row.bitrate->currentIndex() + 1) * kBitrateUnit);
        ini.setValue("MOTION_AREA/SENS_" + n, sensitivityValue(row.sensitivity->value()));
    }
}

void ConfigCamera::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui.retranslateUi(this);
        setHeaders();
        for (const Row& row : m_rows) {
            for (int mbps = 1; mbps <= row.bitrate->count(); ++mbps) {
                row.bitrate->setItemText(mbps - 1, tr("%1 MBPS (CBR)").arg(mbps));
            }
        }
    }
    QWidget::changeEvent(event);
}
