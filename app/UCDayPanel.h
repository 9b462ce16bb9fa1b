#pragma once

// The left bar's day panel, below the recordings: the trip summary of the
// opened day (distance, driving time, top and average moving speed, number of
// events) and the "Events" list of its shocks. A click on an event asks for
// playback from just before it (signalEventClicked with its index in the
// day's event list).
//
// Threading: GUI thread only.

#include <QWidget>

#include <memory>

namespace analysis {
struct DayAnalysis;
}
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class UCDayPanel : public QWidget {
    Q_OBJECT

public:
    explicit UCDayPanel(QWidget* parent = nullptr);

    // While the day is being read.
    void showReading();
    // The day's trip and events, speeds in mph or km/h; null for a day that
    // could not be read.
    void showDay(std::shared_ptr<const analysis::DayAnalysis> day, bool useMph);

    QTreeWidget* eventList() const { return m_events; }
    // The value labels of the trip summary.
    QLabel* distanceLabel() const { return m_distance; }
    QLabel* drivingLabel() const { return m_driving; }
    QLabel* topSpeedLabel() const { return m_topSpeed; }
    QLabel* averageSpeedLabel() const { return m_averageSpeed; }
    QLabel* eventCountLabel() const { return m_eventCount; }
    QLabel* stateLabel() const { return m_state; }

    // "1 h 05 min", "12 min", "40 s".
    static QString durationText(qint64 ms);

signals:
    void signalEventClicked(int index);

protected:
    void changeEvent(QEvent* event) override;

private:
    void onItem(QTreeWidgetItem* item);
    void retranslate();
    void setValues(const QString& distance, const QString& driving, const QString& top,
                   const QString& average, const QString& events);

    QLabel* m_tripTitle = nullptr;
    QLabel* m_state = nullptr;
    QLabel* m_distanceName = nullptr;
    QLabel* m_drivingName = nullptr;
    QLabel* m_topSpeedName = nullptr;
    QLabel* m_averageSpeedName = nullptr;
    QLabel* m_eventCountName = nullptr;
    QLabel* m_distance = nullptr;
    QLabel* m_driving = nullptr;
    QLabel* m_topSpeed = nullptr;
    QLabel* m_averageSpeed = nullptr;
    QLabel* m_eventCount = nullptr;
    QLabel* m_eventsTitle = nullptr;
    QTreeWidget* m_events = nullptr;
    // What is shown, to show it again in another language.
    std::shared_ptr<const analysis::DayAnalysis> m_day;
    bool m_useMph = false;
    bool m_reading = false;
};
