#include "app/UCDayPanel.h"

#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTime>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

#include "analysis/DayAnalysis.h"

namespace {

QLabel* valueLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

UCDayPanel::UCDayPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("wgDayPanel");
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(4);

    m_tripTitle = new QLabel(this);
    m_tripTitle->setObjectName("lbTrip");
    box->addWidget(m_tripTitle);
    m_state = new QLabel(this);
    m_state->setObjectName("lbTripState");
    m_state->setWordWrap(true);
    box->addWidget(m_state);

    auto* grid = new QGridLayout();
    grid->setContentsMargins(4, 0, 4, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(1);
    QLabel** names[] = {&m_distanceName, &m_drivingName, &m_topSpeedName, &m_averageSpeedName,
                        &m_eventCountName};
    m_distance = valueLabel(this, "lbTripDistance");
    m_driving = valueLabel(this, "lbTripDriving");
    m_topSpeed = valueLabel(this, "lbTripTopSpeed");
    m_averageSpeed = valueLabel(this, "lbTripAverageSpeed");
    m_eventCount = valueLabel(this, "lbTripEvents");
    QLabel* values[] = {m_distance, m_driving, m_topSpeed, m_averageSpeed, m_eventCount};
    for (int row = 0; row < 5; ++row) {
        *names[row] = new QLabel(this);
        grid->addWidget(*names[row], row, 0);
        grid->addWidget(values[row], row, 1);
    }
    box->addLayout(grid);

    m_eventsTitle = new QLabel(this);
    m_eventsTitle->setObjectName("lbEvents");
    box->addWidget(m_eventsTitle);
    m_events = new QTreeWidget(this);
    m_events->setObjectName("twEventList");
    m_events->setRootIsDecorated(false);
    m_events->setUniformRowHeights(true);
    m_events->setColumnCount(3);
    m_events->setSelectionMode(QAbstractItemView::SingleSelection);
    m_events->header()->setStretchLastSection(true);
    // Three short columns fit the bar; a scroll bar would only hide a row.
    m_events->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_events->setColumnWidth(0, 62);
    m_events->setColumnWidth(1, 64);
    box->addWidget(m_events, 1);
    connect(m_events, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item, int) { onItem(item); });
    connect(m_events, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item, int) { onItem(item); });

    retranslate();
    showDay(nullptr, false);
    m_state->setText(tr("Open a day to see its trip."));
}

void UCDayPanel::retranslate() {
    m_tripTitle->setText(tr("Trip"));
    m_distanceName->setText(tr("Distance"));
    m_drivingName->setText(tr("Driving time"));
    m_topSpeedName->setText(tr("Top speed"));
    m_averageSpeedName->setText(tr("Average moving speed"));
    m_eventCountName->setText(tr("Events"));
    m_eventsTitle->setText(tr("Events"));
    m_events->setHeaderLabels({tr("Time"), tr("Shock"), tr("Speed")});
}

void UCDayPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
        if (m_reading) {
            showReading();
        } else {
            showDay(m_day, m_useMph);
        }
    }
    QWidget::changeEvent(event);
}

QString UCDayPanel::durationText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    if (seconds < 60) {
        return tr("%1 s").arg(seconds);
    }
    const qint64 minutes = seconds / 60;
    if (minutes < 60) {
        return tr("%1 min").arg(minutes);
    }
    return tr("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar('0'));
}

void UCDayPanel::setValues(const QString& distance, const QString& driving, const QString& top,
                           const QString& average, const QString& events) {
    m_distance->setText(distance);
    m_driving->setText(driving);
    m_topSpeed->setText(top);
    m_averageSpeed->setText(average);
    m_eventCount->setText(events);
}

void UCDayPanel::showReading() {
    m_reading = true;
    m_day.reset();
    m_events->clear();
    m_state->setText(tr("Reading the day's track and shocks..."));
    m_state->show();
    const QString dash = QStringLiteral("-");
    setValues(dash, dash, dash, dash, dash);
}

void UCDayPanel::showDay(std::shared_ptr<const analysis::DayAnalysis> day, bool useMph) {
    m_reading = false;
    m_day = day;
    m_useMph = useMph;
    m_events->clear();
    if (day == nullptr) {
        m_state->setText(tr("This day could not be read."));
        m_state->show();
        const QString dash = QStringLiteral("-");
        setValues(dash, dash, dash, dash, dash);
        return;
    }
    const analysis::TripSummary& trip = day->trip;
    const double perKnot = useMph ? analysis::kMphPerKnot : analysis::kKmhPerKnot;
    const QString unit = useMph ? tr("mph") : tr("km/h");
    const double distance = useMph ? trip.distanceMetres / 1609.344 : trip.distanceMetres / 1000.0;
    auto speed = [&](double knots) {
        return QStringLiteral("%1 %2").arg(std::lround(knots * perKnot)).arg(unit);
    };
    if (trip.validFixes == 0) {
        m_state->setText(day->data.gsensor.empty() ? tr("No GPS or G-sensor data on this day.")
                                                   : tr("No GPS fix on this day."));
        m_state->show();
        setValues(QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                  QStringLiteral("-"), QString::number(trip.events));
    } else {
        m_state->hide();
        setValues(
            QStringLiteral("%1 %2").arg(distance, 0, 'f', 1).arg(useMph ? tr("mi") : tr("km")),
            durationText(trip.drivingMs), speed(trip.maxKnots),
            trip.drivingMs > 0 ? speed(trip.averageMovingKnots) : QStringLiteral("-"),
            QString::number(trip.events));
    }

    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < static_cast<int>(day->events.size()); ++i) {
        const analysis::ShockEvent& e = day->events[static_cast<std::size_t>(i)];
        auto* item = new QTreeWidgetItem();
        const QTime at = QTime(0, 0).addMSecs(static_cast<int>(
            ((e.ms % analysis::kMsPerDay) + analysis::kMsPerDay) % analysis::kMsPerDay));
        item->setText(0, at.toString("hh:mm:ss"));
        item->setText(1, QStringLiteral("%1 g %2")
                             .arg(std::fabs(e.peakG), 0, 'f', 2)
                             .arg(QLatin1String(analysis::axisName(e.axis))));
        item->setText(2, e.hasFix ? speed(e.knots) : QStringLiteral("-"));
        item->setData(0, Qt::UserRole, i);
        item->setToolTip(
            0, e.fromLog ? tr("From the G-sensor log: no recording at this time") : QString());
        items.append(item);
    }
    m_events->addTopLevelItems(items);
}

void UCDayPanel::onItem(QTreeWidgetItem* item) {
    if (item != nullptr) {
        emit signalEventClicked(item->data(0, Qt::UserRole).toInt());
    }
}
