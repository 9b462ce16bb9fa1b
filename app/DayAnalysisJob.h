#pragma once

// Runs the day analysis (analysis/DayAnalysis.h) for the main window on a
// thread of its own and hands the result back on the GUI thread: the day's
// track, events and trip, and the route as the map page draws it.
//
//   CDayAnalysisJob job;
//   connect(&job, &CDayAnalysisJob::signalFinished, this, [&] { use(job.result()); });
//   job.open("/media/card/20260301", settings);   // returns at once
//   job.restyle(otherSettings);                   // events and route again, no reading
//
// Threading: the object lives on the GUI thread, and every member function is
// called there. One worker thread at a time: open() and restyle() cancel the
// running one and join it (it stops within a few packets) before starting
// theirs; the destructor does the same. The worker touches nothing but its own
// copies and the cancel flag; its result reaches the object through a queued
// call, and a result of a cancelled or superseded run is dropped.

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "analysis/DayAnalysis.h"

// A day as the window shows it.
struct DayShown {
    std::shared_ptr<const analysis::DayAnalysis> day;
    // The route for the maps (Map.html SetRoute): lines coloured by speed band,
    // event dots with their tooltips, the legend.
    QString routeJson;
    bool useMph = false;
};

class CDayAnalysisJob : public QObject {
    Q_OBJECT

public:
    struct Settings {
        bool useMph = false;
        // Shock threshold in g on every axis; 0 for the card's shock levels.
        double thresholdG = 0.0;
    };

    // Speed bands of the route, in the unit shown (km/h or mph): below 20,
    // 20-40, 40-60, 60-80, 80-100, 100 and more.
    static constexpr int kBandCount = 6;
    static const char* const kBandColours[kBandCount];
    // Thinning of the route for the maps.
    static constexpr double kRouteToleranceMetres = 3.0;
    static constexpr int kRouteMaxPoints = 20000;

    explicit CDayAnalysisJob(QObject* parent = nullptr);
    ~CDayAnalysisJob() override;

    // Reads and analyses a day folder; signalFinished follows.
    void open(const QString& dayFolder, const Settings& settings);
    // The open day with other settings (events and route again, from the
    // samples already read); nothing when no day is open.
    void restyle(const Settings& settings);
    // Stops the running worker, if any, and waits for it.
    void cancel();

    bool isRunning() const { return m_running; }
    // The last finished day; null before the first or when the folder could
    // not be read.
    std::shared_ptr<const DayShown> result() const { return m_result; }
    QString dayFolder() const { return m_dayFolder; }

    // The route description of a day, in a unit (on any thread).
    static QString routeJson(const analysis::DayAnalysis& day, bool useMph);

signals:
    void signalStarted();
    void signalFinished();

private:
    void start(std::function<std::shared_ptr<DayShown>(const std::atomic<bool>&)> work);

    // GUI thread only.
    QString m_dayFolder;
    std::shared_ptr<const DayShown> m_result;
    bool m_running = false;
    int m_generation = 0;
    std::thread m_worker;
    // Set by the GUI thread, read by the worker.
    std::atomic<bool> m_cancel{false};
};
