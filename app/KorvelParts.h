#pragma once

// Shared by the source files of the main window (Korvel.cpp and the
// Korvel*.cpp files beside it, which hold the member functions of one class
// split along its seams); not for use elsewhere.

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEasingCurve>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLCDNumber>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSettings>
#include <QSizeGrip>
#include <QTabBar>
#include <QThread>
#include <QTreeWidgetItem>
#include <QVBoxLayout>
#include <QWindow>

#include "app/CDayOverview.h"
#include "app/CaptureFiles.h"
#include "app/CardPaths.h"
#include "app/DisplayPage.h"
#include "app/DvrSetupInfo.h"
#include "app/IDisplayPage.h"
#include "app/KeepAwake.h"
#include "app/QProgressIndicator.h"
#include "app/ReadOuts.h"
#include "app/UCDlgAbout.h"
#include "app/UCDlgClose.h"
#include "app/UCDlgExport.h"
#include "app/UCDlgShortcuts.h"
#include "app/UCPlaybackStrip.h"
#include "core/PlaybackTypes.h"
#include "core/Records.h"
#include "engine/CTeardownThread.h"
#include "display/GLWidget.h"
#include "display/UCDayTimeline.h"
#include "display/UCDisplayFrame.h"
#include "recording/DaySpans.h"
#include "setup/SetupEditor.h"
#include "ui_Korvel.h"
#include "views/GsensorLog.h"
#include "views/GsensorPlot.h"
#include "views/MapView.h"
#include "widgets/CConfiguration.h"
#include "widgets/DlgSelDrive.h"
#include "widgets/MessageBox.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char* const kSsfFilter = "*.ssf";
// openRecordingSite's constant arguments for a day folder.
constexpr qint64 kRecordingKey = 1;
constexpr int kWholeCellZone = 4;
constexpr int kRecordingKind = 2;
// The left bar's edge within which the cursor resizes it.
constexpr int kResizeMargin = 8;
constexpr int kMinLeftBarWidth = 20;
constexpr int kGripSize = 9;

// Keys of the remembered session in the native settings store.
const char* const kSessionGeometry = "SESSION/GEOMETRY";
const char* const kSessionMaximized = "SESSION/MAXIMIZED";
const char* const kSessionCard = "SESSION/CARD";
const char* const kSessionDay = "SESSION/DAY";
const char* const kSessionSplit = "SESSION/SPLIT";
const char* const kSessionVolume = "SESSION/VOLUME";
const char* const kSessionMuted = "SESSION/MUTED";

inline QIcon image(const QString& name) {
    return QIcon(":/Korvel/images/" + name);
}

inline void setButtonImage(QPushButton* button, const QString& name) {
    button->setIcon(image(name));
}

}  // namespace
