#include "widgets/CConfiguration.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>

#include <type_traits>

#include "widgets/PrivateFile.h"
#include "widgets/StoredText.h"

CConfiguration g_config;

const char* const CConfiguration::kDefaultP2PServer = "p2p.korvel.example";
const char* const CConfiguration::kDefaultUserId = "ozrec";

namespace {

// A string field that is stored Base64-encoded. T is QString or const QString.
template <class T>
struct Encoded {
    T& text;
};

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

// The order of reading and writing. QSettings keeps the keys of a group in a
// sorted map, so the file itself lists them alphabetically, each key once: the
// two D-ZOOM switches end up as one "SHOW_TEXT_DZOOM" line holding the value
// written last.
template <class Self, class F>
void CConfiguration::forEachField(Self& s, F&& f) {
    using PasswordRef = std::remove_reference_t<decltype((s.m_p2pUserPassword))>;
    f("CAPTUREPATH", s.m_capturePath, QString());
    f("FIRST_LOGIN", s.m_firstLogin, true);
    f("REMEMBER_ME", s.m_rememberMe, false);
    f("AUTO_LOGIN", s.m_autoLogin, false);
    f("EVENTRECVPORT", s.m_eventRecvPort, 8003);
    f("ENABLEEVENTSERVER", s.m_enableEventServer, true);
    f("PBSECONDBEFORE", s.m_pbSecondBefore, 300);
    f("SCREEN_RATIO", s.m_screenRatio, 0);
    f("STREAM_TYPE", s.m_streamType, 2);
    f("FONTSIZE", s.m_fontSize, 0);
    f("RECONNECT_INTERVAL", s.m_reconnectInterval, 3);
    f("ENABLE_RECONNECT", s.m_enableReconnect, true);
    f("P2P_SERVER_ADDRESS", s.m_p2pServerAddress, QString());
    f("P2P_SERVER_PORT", s.m_p2pServerPort, 0);
    f("P2P_USER_ID", s.m_p2pUserId, QString());
    f("P2P_USER_PASSWORD", Encoded<PasswordRef>{s.m_p2pUserPassword}, QString());
    f("SHOW_TEXT_MODE", s.m_showTextMode, true);
    f("SHOW_TEXT_DZOOM", s.m_showTextPtz, true);
    f("SHOW_TEXT_DZOOM", s.m_showTextDZoom, true);
    f("SHOW_TEXT_DATETIME", s.m_showTextDateTime, true);
    f("SHOW_TEXT_RESOLUTION", s.m_showTextResolution, true);
    f("SHOW_TEXT_SITENAME", s.m_showTextSiteName, true);
    f("SHOW_TEXT_CHANNEL_TITLE", s.m_showTextChannelTitle, true);
    f("CLOSE_ASK", s.m_closeAsk, false);
    f("GLOBAL_RECORDING", s.m_globalRecording, true);
    f("RECORDING_WIDTH", s.m_recordingWidth, -1);
    f("RECORDING_HEIGHT", s.m_recordingHeight, -1);
    f("RECORDING_FPS", s.m_recordingFps, 10);
    f("TOP_SPACE", s.m_topSpace, 10);
    f("BOTTOM_SPACE", s.m_bottomSpace, 15);
    f("RIGHT_SPACE", s.m_rightSpace, 20);
    f("LEFT_SPACE", s.m_leftSpace, 20);
    f("CELL_SPACE", s.m_cellSpace, 8);
    f("SKIN", s.m_skin, 0);
    f("LANGUAGE", s.m_language, 0);
    f("LAST_USER", s.m_lastUser, QString::fromLatin1(kDefaultUserId));
}

CConfiguration::CConfiguration() {
    forEachField(*this,
                 Overloaded{
                     [](const char*, Encoded<QString> e, const QString& def) { e.text = def; },
                     [](const char*, auto& field, const auto& def) { field = def; },
                 });
}

QString CConfiguration::filePath() {
    return QDir::homePath() + "/" + "korvl" + "/" + "korvel_config.ini";
}

QString CConfiguration::defaultCapturePath() {
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + "/Korvel";
}

void CConfiguration::load() {
    QSettings ini(filePath(), QSettings::IniFormat);
    forEachField(*this,
                 Overloaded{
                     [&](const char* key, bool& v, bool def) { v = ini.value(key, def).toBool(); },
                     [&](const char* key, int& v, int def) { v = ini.value(key, def).toInt(); },
                     [&](const char* key, QString& v, const QString& def) {
                         v = ini.value(key, def).toString();
                     },
                     [&](const char* key, Encoded<QString> e, const QString& def) {
                         e.text = decodeStoredText(ini.value(key, def).toString());
                     },
                 });
    // Earlier versions stored the desktop folder, which many accounts do not
    // have: such a value is taken for the default as well.
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (m_capturePath.isEmpty() || (m_capturePath == desktop && !QFileInfo(desktop).isDir())) {
        m_capturePath = defaultCapturePath();
    }
    if (m_p2pServerAddress.isEmpty()) {
        m_p2pServerAddress = QString::fromLatin1(kDefaultP2PServer);
    }
}

void CConfiguration::save() const {
    // The file holds the P2P password.
    restrictToOwner(filePath());
    QSettings ini(filePath(), QSettings::IniFormat);
    forEachField(*this,
                 Overloaded{
                     [&](const char* key, Encoded<const QString> e, const QString&) {
                         ini.setValue(key, encodeStoredText(e.text));
                     },
                     [&](const char* key, const auto& v, const auto&) { ini.setValue(key, v); },
                 });
    ini.sync();
}
