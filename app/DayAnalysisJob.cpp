#include "app/DayAnalysisJob.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>

#include <cmath>

const char* const CDayAnalysisJob::kBandColours[kBandCount] = {"#1a9850", "#91cf60", "#fee08b",
                                                               "#fc8d59", "#d73027", "#9e3bb8"};

namespace {

constexpr double kBandStep = 20.0;  // in the unit shown

QJsonArray latLng(double latitude, double longitude) {
    // Six decimals: a tenth of a metre, and a third of the text.
    return QJsonArray{std::round(latitude * 1e6) / 1e6, std::round(longitude * 1e6) / 1e6};
}

}  // namespace

CDayAnalysisJob::CDayAnalysisJob(QObject* parent) : QObject(parent) {}

CDayAnalysisJob::~CDayAnalysisJob() {
    cancel();
}

void CDayAnalysisJob::cancel() {
    if (m_worker.joinable()) {
        m_cancel.store(true);
        m_worker.join();
        // A result it posted just before is stale now.
        ++m_generation;
    }
    m_cancel.store(false);
    m_running = false;
}

void CDayAnalysisJob::start(
    std::function<std::shared_ptr<DayShown>(const std::atomic<bool>&)> work) {
    cancel();
    const int generation = ++m_generation;
    m_running = true;
    emit signalStarted();
    m_worker = std::thread([this, generation, work = std::move(work)]() {
        std::shared_ptr<DayShown> shown = work(m_cancel);
        if (m_cancel.load()) {
            return;
        }
        // Runs on the GUI thread; dropped if the object is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, generation, shown]() {
                if (generation != m_generation) {
                    return;
                }
                if (m_worker.joinable()) {
                    m_worker.join();  // it has finished: this call is its last act
                }
                m_running = false;
                m_result = shown;
                emit signalFinished();
            },
            Qt::QueuedConnection);
    });
}

void CDayAnalysisJob::open(const QString& dayFolder, const Settings& settings) {
    m_dayFolder = dayFolder;
    const std::string folder = dayFolder.toStdString();
    start([folder, settings](const std::atomic<bool>& cancel) -> std::shared_ptr<DayShown> {
        auto day = std::make_shared<analysis::DayAnalysis>();
        analysis::AnalysisOptions options;
        if (settings.thresholdG > 0.0) {
            options.thresholds = analysis::ShockThresholds::uniform(settings.thresholdG);
        }
        if (!analysis::analyseDay(folder, options, &cancel, day.get())) {
            return nullptr;
        }
        auto shown = std::make_shared<DayShown>();
        shown->routeJson = routeJson(*day, settings.useMph);
        shown->useMph = settings.useMph;
        shown->day = std::move(day);
        return shown;
    });
}

void CDayAnalysisJob::restyle(const Settings& settings) {
    const std::shared_ptr<const DayShown> current = m_result;
    if (!current || !current->day) {
        return;
    }
    start([current, settings](const std::atomic<bool>& cancel) -> std::shared_ptr<DayShown> {
        auto day = std::make_shared<analysis::DayAnalysis>(*current->day);
        const analysis::ShockThresholds thresholds =
            settings.thresholdG > 0.0 ? analysis::ShockThresholds::uniform(settings.thresholdG)
                                      : analysis::ShockThresholds::fromLevels(day->levels);
        if (!analysis::detectEvents(day.get(), thresholds, &cancel)) {
            return nullptr;
        }
        auto shown = std::make_shared<DayShown>();
        shown->routeJson = routeJson(*day, settings.useMph);
        shown->useMph = settings.useMph;
        shown->day = std::move(day);
        return shown;
    });
}

QString CDayAnalysisJob::routeJson(const analysis::DayAnalysis& day, bool useMph) {
    const double perKnot = useMph ? analysis::kMphPerKnot : analysis::kKmhPerKnot;
    const QString unit = useMph ? tr("mph") : tr("km/h");
    std::vector<double> edgesKnots;
    for (int b = 1; b < kBandCount; ++b) {
        edgesKnots.push_back(b * kBandStep / perKnot);
    }
    QJsonArray runs;
    for (const analysis::TrackRun& run : analysis::displayRuns(
             day.data.fixes, edgesKnots, kRouteToleranceMetres, kRouteMaxPoints)) {
        QJsonArray points;
        for (const std::size_t i : run.points) {
            const analysis::GpsFix& f = day.data.fixes[i];
            points.append(latLng(f.latitude, f.longitude));
        }
        runs.append(
            QJsonObject{{"c", kBandColours[std::min(run.band, kBandCount - 1)]}, {"p", points}});
    }
    QJsonArray events;
    for (const analysis::ShockEvent& e : day.events) {
        if (!e.hasFix) {
            continue;
        }
        const QTime at = QTime(0, 0).addMSecs(static_cast<int>(e.ms % analysis::kMsPerDay));
        const QString text = tr("%1  shock %2 g (%3)")
                                 .arg(at.toString("hh:mm:ss"))
                                 .arg(std::fabs(e.peakG), 0, 'f', 2)
                                 .arg(QLatin1String(analysis::axisName(e.axis)));
        events.append(QJsonObject{{"p", latLng(e.latitude, e.longitude)}, {"t", text}});
    }
    QJsonArray legend;
    for (int b = kBandCount - 1; b >= 0; --b) {
        const QString text =
            b == kBandCount - 1
                ? tr("%1+ %2").arg(b * kBandStep).arg(unit)
                : tr("%1-%2 %3").arg(b * kBandStep).arg((b + 1) * kBandStep).arg(unit);
        legend.append(QJsonObject{{"c", kBandColours[b]}, {"t", text}});
    }
    const QJsonObject route{{"runs", runs}, {"events", events}, {"legend", legend}};
    return QString::fromUtf8(QJsonDocument(route).toJson(QJsonDocument::Compact));
}
