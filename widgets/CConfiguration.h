#pragma once

// The viewer's own settings for one run, kept in home + "/korvl/korvel_config.ini"
// (Qt's INI format, every key without a group), plus the five style-sheet texts
// read at start-up, which are never saved.
//
// There is one instance, g_config, constructed before main() runs. The main
// window loads it and writes it back at once, so a first start creates the file
// with every default; dialogs that change a setting save it again.
//
// Threading: GUI thread only. Engine threads never see this object; values they
// need are copied into their parameter bundles by the GUI side.

#include <QObject>
#include <QString>

class CConfiguration : public QObject {
    Q_OBJECT

public:
    // Host handed to sites when the file names no P2P server.
    static const char* const kDefaultP2PServer;
    // Default user id of the login dialog, also the default "LAST_USER".
    static const char* const kDefaultUserId;

    CConfiguration();

    // home + "/korvl/korvel_config.ini", home as QDir::homePath() reports it
    // (the HOME environment variable on Unix).
    static QString filePath();

    // The "Korvel" folder in the user's pictures folder (XDG_PICTURES_DIR,
    // else ~/Pictures); it need not exist yet.
    static QString defaultCapturePath();

    // Reads every key, applying the defaults for missing ones. An empty capture
    // path (or the desktop folder earlier versions stored, when it does not
    // exist) becomes defaultCapturePath(), an empty P2P server the default
    // host, and the P2P password is Base64-decoded. A missing file gives the
    // defaults.
    void load();
    // Writes every key with the current values (the P2P password as Base64),
    // to a file only its owner may read (mode 0600).
    void save() const;

    // Folder in which captured pictures are saved; created when a capture
    // finds it missing.
    const QString& capturePath() const { return m_capturePath; }
    void setCapturePath(const QString& v) { m_capturePath = v; }
    bool firstLogin() const { return m_firstLogin; }
    void setFirstLogin(bool v) { m_firstLogin = v; }
    bool rememberMe() const { return m_rememberMe; }
    void setRememberMe(bool v) { m_rememberMe = v; }
    bool autoLogin() const { return m_autoLogin; }
    void setAutoLogin(bool v) { m_autoLogin = v; }
    int eventRecvPort() const { return m_eventRecvPort; }
    void setEventRecvPort(int v) { m_eventRecvPort = v; }
    bool enableEventServer() const { return m_enableEventServer; }
    void setEnableEventServer(bool v) { m_enableEventServer = v; }
    int pbSecondBefore() const { return m_pbSecondBefore; }
    void setPbSecondBefore(int v) { m_pbSecondBefore = v; }
    // 2 selects 16:9 display cells, anything else 4:3.
    int screenRatio() const { return m_screenRatio; }
    void setScreenRatio(int v) { m_screenRatio = v; }
    int streamType() const { return m_streamType; }
    void setStreamType(int v) { m_streamType = v; }
    int fontSize() const { return m_fontSize; }
    void setFontSize(int v) { m_fontSize = v; }
    int reconnectInterval() const { return m_reconnectInterval; }
    void setReconnectInterval(int v) { m_reconnectInterval = v; }
    bool enableReconnect() const { return m_enableReconnect; }
    void setEnableReconnect(bool v) { m_enableReconnect = v; }
    const QString& p2pServerAddress() const { return m_p2pServerAddress; }
    void setP2pServerAddress(const QString& v) { m_p2pServerAddress = v; }
    int p2pServerPort() const { return m_p2pServerPort; }
    void setP2pServerPort(int v) { m_p2pServerPort = v; }
    const QString& p2pUserId() const { return m_p2pUserId; }
    void setP2pUserId(const QString& v) { m_p2pUserId = v; }
    // Held decoded; stored as Base64.
    const QString& p2pUserPassword() const { return m_p2pUserPassword; }
    void setP2pUserPassword(const QString& v) { m_p2pUserPassword = v; }

    // Overlay text switches of the video views.
    bool showTextMode() const { return m_showTextMode; }
    void setShowTextMode(bool v) { m_showTextMode = v; }
    // The PTZ and D-ZOOM switches share the key "SHOW_TEXT_DZOOM": both are read
    // from it, and the D-ZOOM switch, written last, decides what is stored.
    bool showTextPtz() const { return m_showTextPtz; }
    void setShowTextPtz(bool v) { m_showTextPtz = v; }
    bool showTextDZoom() const { return m_showTextDZoom; }
    void setShowTextDZoom(bool v) { m_showTextDZoom = v; }
    bool showTextDateTime() const { return m_showTextDateTime; }
    void setShowTextDateTime(bool v) { m_showTextDateTime = v; }
    bool showTextResolution() const { return m_showTextResolution; }
    void setShowTextResolution(bool v) { m_showTextResolution = v; }
    bool showTextSiteName() const { return m_showTextSiteName; }
    void setShowTextSiteName(bool v) { m_showTextSiteName = v; }
    bool showTextChannelTitle() const { return m_showTextChannelTitle; }
    void setShowTextChannelTitle(bool v) { m_showTextChannelTitle = v; }

    // True: close the main window without asking.
    bool closeAsk() const { return m_closeAsk; }
    void setCloseAsk(bool v) { m_closeAsk = v; }
    bool globalRecording() const { return m_globalRecording; }
    void setGlobalRecording(bool v) { m_globalRecording = v; }
    int recordingWidth() const { return m_recordingWidth; }
    void setRecordingWidth(int v) { m_recordingWidth = v; }
    int recordingHeight() const { return m_recordingHeight; }
    void setRecordingHeight(int v) { m_recordingHeight = v; }
    int recordingFps() const { return m_recordingFps; }
    void setRecordingFps(int v) { m_recordingFps = v; }

    // Display grid margins and cell spacing, in pixels.
    int topSpace() const { return m_topSpace; }
    void setTopSpace(int v) { m_topSpace = v; }
    int bottomSpace() const { return m_bottomSpace; }
    void setBottomSpace(int v) { m_bottomSpace = v; }
    int rightSpace() const { return m_rightSpace; }
    void setRightSpace(int v) { m_rightSpace = v; }
    int leftSpace() const { return m_leftSpace; }
    void setLeftSpace(int v) { m_leftSpace = v; }
    int cellSpace() const { return m_cellSpace; }
    void setCellSpace(int v) { m_cellSpace = v; }

    // 0 standard (dark), 1 light, 2 gray.
    int skin() const { return m_skin; }
    void setSkin(int v) { m_skin = v; }
    int language() const { return m_language; }
    void setLanguage(int v) { m_language = v; }
    const QString& lastUser() const { return m_lastUser; }
    void setLastUser(const QString& v) { m_lastUser = v; }

    // Style-sheet texts read at start-up; not part of the file.
    const QString& appStyle() const { return m_appStyle; }
    void setAppStyle(const QString& v) { m_appStyle = v; }
    const QString& monitorStyle() const { return m_monitorStyle; }
    void setMonitorStyle(const QString& v) { m_monitorStyle = v; }
    const QString& siteListStyle() const { return m_siteListStyle; }
    void setSiteListStyle(const QString& v) { m_siteListStyle = v; }
    const QString& screenBottomMenuStyle() const { return m_screenBottomMenuStyle; }
    void setScreenBottomMenuStyle(const QString& v) { m_screenBottomMenuStyle = v; }
    const QString& screenMenuStyle() const { return m_screenMenuStyle; }
    void setScreenMenuStyle(const QString& v) { m_screenMenuStyle = v; }

private:
    // Calls f(key, field) for every stored field in the order of the file. The
    // same list drives load() and save(), so they cannot drift apart.
    template <class Self, class F>
    static void forEachField(Self& self, F&& f);

    QString m_capturePath;
    bool m_firstLogin = true;
    bool m_rememberMe = false;
    bool m_autoLogin = false;
    int m_eventRecvPort = 8003;
    bool m_enableEventServer = true;
    int m_pbSecondBefore = 300;
    int m_screenRatio = 0;
    int m_streamType = 2;
    int m_fontSize = 0;
    int m_reconnectInterval = 3;
    bool m_enableReconnect = true;
    QString m_p2pServerAddress;
    int m_p2pServerPort = 0;
    QString m_p2pUserId;
    QString m_p2pUserPassword;
    bool m_showTextMode = true;
    bool m_showTextPtz = true;
    bool m_showTextDZoom = true;
    bool m_showTextDateTime = true;
    bool m_showTextResolution = true;
    bool m_showTextSiteName = true;
    bool m_showTextChannelTitle = true;
    bool m_closeAsk = false;
    bool m_globalRecording = true;
    int m_recordingWidth = -1;
    int m_recordingHeight = -1;
    int m_recordingFps = 10;
    int m_topSpace = 10;
    int m_bottomSpace = 15;
    int m_rightSpace = 20;
    int m_leftSpace = 20;
    int m_cellSpace = 8;
    int m_skin = 0;
    int m_language = 0;
    QString m_lastUser;

    QString m_appStyle;
    QString m_monitorStyle;
    QString m_siteListStyle;
    QString m_screenBottomMenuStyle;
    QString m_screenMenuStyle;
};

// The one configuration of the program.
extern CConfiguration g_config;
