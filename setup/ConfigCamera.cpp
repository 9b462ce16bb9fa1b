#include "setup/ConfigCamera.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include <algorithm>

#include "setup/SetupModel.h"

namespace {

constexpr int kRowHeight = 35;
// Slider positions 10, 20, ..., 100 stand for the ten sensitivities.
constexpr int kSensitivityStep = 10;

// A check box centred in its cell.
QWidget* centred(QWidget* control, QWidget* parent) {
    auto* cell = new QWidget(parent);
    auto* box = new QHBoxLayout(cell);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(control, 0, Qt::AlignCenter);
    return cell;
}

}  // namespace

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

void ConfigCamera::load(const CardSetup& setup) {
    QTableWidget* table = ui.twCamera;
    // The bindings point into the rows' controls: they go first.
    m_bindings.clear();
    m_rows.clear();
    table->setRowCount(0);
    const int count = setup.info().cameras;
    table->setRowCount(count);
    m_rows.resize(count);
    for (int i = 0; i < count; ++i) {
        auto* channel = new QTableWidgetItem(QString("CH%1").arg(i + 1));
        channel->setTextAlignment(Qt::AlignCenter);
        channel->setFlags(Qt::ItemIsEnabled);
        table->setItem(i, 0, channel);
    }

    for (const SetupField& field : setup.fields()) {
        if (field.tab != SetupTab::Camera || field.camera < 0 || field.camera >= count) {
            continue;
        }
        const int i = field.camera;
        Row& row = m_rows[i];
        FieldBinding* made = nullptr;
        switch (field.role) {
            case FieldRole::Title:
                row.title = new QLineEdit(table);
                table->setCellWidget(i, 1, row.title);
                made = new LineEditBinding(field, row.title);
                break;
            case FieldRole::Mirror:
                row.mirror = new QCheckBox(table);
                table->setCellWidget(i, 2, centred(row.mirror, table));
                made = new CheckBinding(field, row.mirror);
                break;
            case FieldRole::Flip:
                row.flip = new QCheckBox(table);
                table->setCellWidget(i, 3, centred(row.flip, table));
                made = new CheckBinding(field, row.flip);
                break;
            case FieldRole::Fps:
                row.fps = new QComboBox(table);
                table->setCellWidget(i, 4, row.fps);
                made = new ComboBinding(field, row.fps);
                break;
            case FieldRole::Bitrate:
                row.bitrate = new QComboBox(table);
                table->setCellWidget(i, 5, row.bitrate);
                made = new ComboBinding(field, row.bitrate);
                break;
            case FieldRole::Sensitivity: {
                auto* cell = new QWidget(table);
                auto* box = new QHBoxLayout(cell);
                box->setContentsMargins(6, 0, 6, 0);
                row.sensitivity = new QSlider(Qt::Horizontal, cell);
                row.sensitivity->setRange(kSensitivityStep, kSensitivityStep * 10);
                row.sensitivity->setSingleStep(kSensitivityStep);
                row.sensitivity->setPageStep(kSensitivityStep);
                row.sensitivity->setTickInterval(kSensitivityStep);
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
                    const int snapped = std::clamp(
                        (value + kSensitivityStep / 2) / kSensitivityStep * kSensitivityStep,
                        kSensitivityStep, kSensitivityStep * 10);
                    if (snapped != value) {
                        slider->setValue(snapped);
                        return;
                    }
                    label->setText(QString::number(value));
                });
                table->setCellWidget(i, 6, cell);
                // A value not in the table shows at the top, as the recorder's
                // own menu does.
                made = new SliderBinding(field, slider, label, kSensitivityStep,
                                         kSensitivityStep * 10);
                break;
            }
            default:
                break;
        }
        if (made != nullptr) {
            made->load(setup.value(field));
            m_bindings.emplace_back(made);
        }
    }
}

QList<const FieldBinding*> ConfigCamera::bindings() const {
    QList<const FieldBinding*> list;
    for (const auto& b : m_bindings) {
        list << b.get();
    }
    return list;
}

void ConfigCamera::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui.retranslateUi(this);
        setHeaders();
        // The bit-rate entries (not a stored value shown as an extra entry).
        for (const Row& row : m_rows) {
            for (int mbps = 1; row.bitrate != nullptr && mbps <= 6 && mbps <= row.bitrate->count();
                 ++mbps) {
                row.bitrate->setItemText(mbps - 1, tr("%1 MBPS (CBR)").arg(mbps));
            }
        }
    }
    QWidget::changeEvent(event);
}
