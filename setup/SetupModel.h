#pragma once

// The recorder's settings as the setup editor and korvel-setup see them: the
// table of fields (key, tab, label, allowed values, default, in the tabs'
// order), how values are loaded from the card's two setup files, checked,
// and saved. The dialog and the command-line tool are both built on this; it
// needs Qt Core only.
//
// Files at the card root: "DVRSETUP.INI", the recorder's current setup (camera
// count and firmware version come from it; never written), and "ZD-3100.INI",
// the setup for the recorder to take over (every save writes it). Both are INI
// text in EUC-KR, edited in place by IniDocument.
//
// A value is loaded from ZD-3100.INI when that file holds the key, else from
// DVRSETUP.INI, else it is the field's default. A save sets only the keys it
// is given and leaves every other byte of ZD-3100.INI as it was; the first
// save starts from a copy of DVRSETUP.INI's bytes.
//
// Threading: value types and pure functions; any thread, one object per thread.

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include "setup/IniDocument.h"

// The recorder's file names at the card root.
inline constexpr const char* kDvrSetupFile = "DVRSETUP.INI";
inline constexpr const char* kModelSetupFile = "ZD-3100.INI";

// What DVRSETUP.INI says about the recorder.
struct CardInfo {
    static constexpr int kDefaultCameras = 8;
    // More cameras than channels would only be a malformed file.
    static constexpr int kMaxCameras = 32;

    int cameras = kDefaultCameras;   // "INFORMATION/CAM_MAX", 0 .. kMaxCameras
    int firmware[4] = {0, 0, 0, 0};  // "INFORMATION/FW_VER1" .. "FW_VER4"

    // Top frame rate: 30 with four cameras, 15 otherwise.
    int topFps() const { return cameras == 4 ? 30 : 15; }
    // Storage preset I needs firmware 1.1.0.2 or later.
    bool lastPresetSupported() const;
};

CardInfo readCardInfo(const IniDocument& info);

enum class SetupTab { Device, Camera, Storage };

// What a field stands for; the dialog's tabs pick their controls by it.
enum class FieldRole {
    DvrName,
    WifiPassword,
    TimeSync,
    TimeReset,
    SetDate,
    SetTime,
    TimeZone,
    ShockDriveX,
    ShockDriveY,
    ShockDriveZ,
    ShockParkX,
    ShockParkY,
    ShockParkZ,
    UseBattLevel,
    BattLevel,
    UseBattTime,
    BattTime,
    Mic,
    MicVolume,
    Title,
    Mirror,
    Flip,
    Fps,
    Bitrate,
    Sensitivity,
    DiskUsage,
};

enum class FieldKind {
    Text,    // free text of at most maxLength characters
    Flag,    // "1" or "0"
    Range,   // a decimal integer from min to max
    Choice,  // one of the entries' values
    Date,    // "yyyyMMdd"
    Time,    // "hhmmss"
};

struct SetupEntry {
    QString value;  // as stored
    QString text;   // as offered (translated)
    bool available = true;
};

struct SetupField {
    QString key;  // "SECTION/NAME", or "NAME" for a top-level key
    SetupTab tab = SetupTab::Device;
    FieldRole role = FieldRole::DvrName;
    int camera = -1;  // camera row (0-based) of a camera field
    FieldKind kind = FieldKind::Text;
    QString label;  // translated
    QString defaultValue;
    int maxLength = 0;          // Text
    int min = 0;                // Range
    int max = 0;                // Range
    QList<SetupEntry> entries;  // Choice, in the control's order

    // Index of the entry stored as `value`, or -1.
    int entryIndex(const QString& value) const;
};

// The editor's fields for a recorder described by `info`, in the tabs' order
// (device, camera row by row, storage).
QList<SetupField> setupFields(const CardInfo& info);

// Tab names as korvel-setup prints them: "device", "camera", "storage".
QString tabName(SetupTab tab);

// Why `value` cannot be stored in `field` (translated, one sentence), or an
// empty text when it can.
QString refusal(const SetupField& field, const QString& value);

// The card's setup files and the values they give the editor's fields.
class CardSetup {
    Q_DECLARE_TR_FUNCTIONS(CardSetup)

public:
    // Paths of the two files under `cardRoot` ("%1/%2").
    static QString infoPathUnder(const QString& cardRoot);
    static QString targetPathUnder(const QString& cardRoot);

    // Reads `infoPath` ("DVRSETUP.INI") and `editedPath` (the file values come
    // from first: "ZD-3100.INI" when it exists, else "DVRSETUP.INI" again). A
    // missing or unreadable file reads as empty.
    void load(const QString& infoPath, const QString& editedPath);

    const CardInfo& info() const { return m_info; }
    const QList<SetupField>& fields() const { return m_fields; }
    // The field stored under `key` ("NAME" and "/NAME" alike; names match
    // without regard to case), or null.
    const SetupField* field(const QString& key) const;

    // The text the card holds for `field`, or its default.
    QString value(const SetupField& field) const;
    // Where value() comes from: the edited file's name, "DVRSETUP.INI", or
    // an empty text for the default.
    QString source(const SetupField& field) const;

    // Writes `targetPath`: its present bytes, or on the first save those of
    // the edited file (DVRSETUP.INI when ZD-3100.INI did not exist), with each key of `changes` set
    // to its value (EUC-KR). Written through a temporary file in the same folder and renamed over
    // the target, so a failure leaves the previous file whole. A value the field refuses is not
    // written: false, nothing changed, `error` tells why.
    bool save(const QString& targetPath, const QList<QPair<QString, QString>>& changes,
              QString* error) const;

private:
    CardInfo m_info;
    QList<SetupField> m_fields;
    QString m_infoPath;
    QString m_editedPath;
    IniDocument m_edited;
    IniDocument m_infoFile;
};

// Reads a whole file; false when it exists but cannot be read. A missing file
// gives true and no bytes.
bool readSetupFile(const QString& path, QByteArray* bytes, QString* error = nullptr);

// EUC-KR text of a value and back.
QString decodeSetupText(const QByteArray& bytes);
QByteArray encodeSetupText(const QString& text);
