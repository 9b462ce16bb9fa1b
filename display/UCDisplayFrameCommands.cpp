// Playback commands of the display page, carried to the sites of its
// selected views, and the queries the window and the strip ask.

#include "display/UCDisplayFramePrivate.h"

// ---------------------------------------------------------------------------
// Playback commands

namespace {

// The distinct sites of `views` (slot 0), in order.
QList<ISite*> sitesOf(const QList<GLWidget*>& views) {
    QList<ISite*> sites;
    for (GLWidget* v : views) {
        ISite* s = v->sourceOf(0);
        if (s && !sites.contains(s)) {
            sites.append(s);
        }
    }
    return sites;
}

}  // namespace

void UCDisplayFrame::setPlaySpeed(int step) {
    QList<ISite*> commanded;
    for (GLWidget* view : selectedCopy()) {
        ISite* site = view->sourceOf(0);
        if (!isPacing(site)) {
            continue;
        }
        // A site shown in several selected views changes speed once.
        if (!commanded.contains(site)) {
            site->changeSpeed(step);
            commanded.append(site);
        }
        setPlaySpeedColor(view, step);
        view->setBottomText(kBottomMode, tr("PAUSED"));
    }
}

void UCDisplayFrame::resume() {
    QList<ISite*> commanded;
    for (GLWidget* view : selectedCopy()) {
        ISite* site = view->sourceOf(0);
        if (!isPacing(site)) {
            break;
        }
        if (!commanded.contains(site)) {
            site->play();
            commanded.append(site);
        }
        setPlaySpeedColor(view);
    }
}

void UCDisplayFrame::pause() {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    if (!site) {
        return;
    }
    site->pause();
    setPlaySpeedColor(first);
}

void UCDisplayFrame::rewind() {
    QList<ISite*> commanded;
    for (GLWidget* view : selectedCopy()) {
        ISite* site = view->sourceOf(0);
        if (!site) {
            continue;
        }
        if (!commanded.contains(site)) {
            site->playReverse();
            commanded.append(site);
        }
        setPlaySpeedColor(view);
    }
}

void UCDisplayFrame::stepForward() {
    for (ISite* site : sitesOf(selectedCopy())) {
        if (isPacing(site)) {
            site->stepForward();
        }
    }
}

void UCDisplayFrame::stepBackward() {
    for (ISite* site : sitesOf(selectedCopy())) {
        if (isPacing(site)) {
            site->stepBackward();
        }
    }
}

void UCDisplayFrame::seekTo(const QDateTime& when) {
    if (!when.isValid()) {
        return;
    }
    const QDate d = when.date();
    const QTime t = when.time();
    for (ISite* site : sitesOf(selectedCopy())) {
        site->gotoDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
    }
}

namespace {

// A jump to the first or last recording of every site: the site's own jump,
// which it carries out once it has found its recordings (right after the
// page opened it, it may still look for them); else a jump to the instant
// the site names. `out` is the first site's instant, when known.
bool jumpToEnd(const QList<ISite*>& sites, bool last, QDateTime& out) {
    bool answered = false;
    for (ISite* site : sites) {
        int date = 0;
        int time = 0;
        const bool known =
            last ? site->getLastRecordTime(&date, &time) : site->getFirstRecordTime(&date, &time);
        const QDateTime when = known ? toDateTime(date, time) : QDateTime();
        const bool jumped = last ? site->gotoLast() : site->gotoFirst();
        if (!jumped) {
            if (!when.isValid()) {
                continue;
            }
            site->gotoDateTime(when.date().year(), when.date().month(), when.date().day(),
                               when.time().hour(), when.time().minute(), when.time().second());
        }
        if (!answered) {
            out = when;
            answered = true;
        }
    }
    return answered;
}

}  // namespace

bool UCDisplayFrame::gotoFirst(QDateTime& out) {
    return jumpToEnd(sitesOf(selectedCopy()), false, out);
}

bool UCDisplayFrame::gotoLast(QDateTime& out) {
    return jumpToEnd(sitesOf(selectedCopy()), true, out);
}

void UCDisplayFrame::setStreamType(int type) {
    for (GLWidget* view : selectedCopy()) {
        view->setProperty(kAutoStreamProperty, type == 0);
        for (int s = 0; s < view->slotCount(); ++s) {
            if (ISite* site = view->sourceOf(s)) {
                site->setChannelEnabled(type, view->channelOf(s), 0, 0);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Queries

int UCDisplayFrame::playMode() const {
    GLWidget* first = firstSelected();
    return first && isPacing(first->sourceOf(0)) ? 2 : 1;
}

bool UCDisplayFrame::isSelectedPaused() const {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    if (!site) {
        return false;
    }
    const int mode = site->getPlayMode(nullptr);
    return mode == kModePaused || mode == PLAYMODE_STEP_FORWARD || mode == PLAYMODE_STEP_BACKWARD;
}

bool UCDisplayFrame::getPlaySpeed(int& _speed) {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    if (!isPacing(site)) {
        return false;
    }
    _speed = site->getSpeedIndex(nullptr);
    // A site on a single step keeps its last speed but stands still.
    const int mode = site->getPlayMode(nullptr);
    if (mode == PLAYMODE_STEP_FORWARD || mode == PLAYMODE_STEP_BACKWARD) {
        _speed = kSpeedIndexStill;
    }
    for (GLWidget* view : views()) {
        if (view->sourceOf(0) == site) {
            setPlaySpeedColor(view, _speed);
        }
    }
    return true;
}

bool UCDisplayFrame::currentDateTime(QDateTime& out) const {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    if (!site) {
        return false;
    }
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    // A selected channel without a recording here (its last picture may be
    // from before a jump): the time the other channels of its site play.
    const int channel = first->channelOf(0);
    const bool own =
        !site->isChannelQuiet(channel) && site->getChannelTime(channel, &y, &mo, &d, &h, &mi, &s);
    if (!own && !site->getCurrentTime(&y, &mo, &d, &h, &mi, &s)) {
        return false;
    }
    const QDateTime when(QDate(y, mo, d), QTime(h, mi, s));
    if (!when.isValid()) {
        return false;
    }
    out = when;
    return true;
}

bool UCDisplayFrame::firstDateTime(QDateTime& out) const {
    GLWidget* first = firstSelected();
    if (!first) {
        return false;
    }
    QDateTime when;
    if (!first->dateTimeOf(0, when) || !when.isValid()) {
        return false;
    }
    out = when;
    return true;
}

bool UCDisplayFrame::lastRecordDateTime(QDateTime& out) const {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    if (!site) {
        return false;
    }
    int date = 0;
    int time = 0;
    if (site->getLastRecordTime(&date, &time)) {
        const QDateTime when = toDateTime(date, time);
        if (when.isValid()) {
            out = when;
        }
    }
    return true;
}

GPSDATA* UCDisplayFrame::latestGps() const {
    GLWidget* first = firstSelected();
    if (!first || !isSelectable(first) || !first->sourceOf(0)) {
        return nullptr;
    }
    return first->sourceOf(0)->getGpsData(first->channelOf(0));
}

GSENSORDATA* UCDisplayFrame::latestGsensor() const {
    GLWidget* first = firstSelected();
    if (!first || !isSelectable(first) || !first->sourceOf(0)) {
        return nullptr;
    }
    return first->sourceOf(0)->getGSensorData(first->channelOf(0));
}

void UCDisplayFrame::clearGsensorFlag() {
    GLWidget* first = firstSelected();
    if (first && first->sourceOf(0)) {
        first->sourceOf(0)->clearGSensorFlag(first->channelOf(0));
    }
}

bool UCDisplayFrame::selectedSiteIdentity(qint64& out) const {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    const SiteParams* params = site ? site->getParams() : nullptr;
    if (!params) {
        return false;
    }
    out = params->siteIdentity;
    return true;
}

bool UCDisplayFrame::selectedChannel(int& out) const {
    GLWidget* first = firstSelected();
    if (!first) {
        return false;
    }
    out = first->channelOf(0);
    return true;
}

void UCDisplayFrame::setTopTextShown(int type, bool shown) {
    for (GLWidget* view : selectedCopy()) {
        view->setTopTextVisible(type, shown);
    }
}

void UCDisplayFrame::setBottomTextShown(int type, bool shown) {
    for (GLWidget* view : selectedCopy()) {
        view->setBottomTextVisible(type, shown);
    }
}

bool UCDisplayFrame::isTopTextShown(int type) const {
    GLWidget* first = firstSelected();
    return first && first->isTopTextVisible(type);
}

bool UCDisplayFrame::isBottomTextShown(int type) const {
    GLWidget* first = firstSelected();
    return first && first->isBottomTextVisible(type);
}

void UCDisplayFrame::setPaintSuppressed(bool suppressed) {
    for (GLWidget* view : views()) {
        view->setPaintSuppressed(suppressed);
    }
}
