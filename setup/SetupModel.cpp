#include "setup/SetupModel.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>
#include <QTime>

#include <algorithm>

namespace {

QString device(const char* text) {
    return QCoreApplication::translate("ConfigDevice", text);
}

QTextCodec* eucKr() {
    static QTextCodec* const codec = QTextCodec::codecForName("EUC-KR");
    return codec;
}

// The recorder's time zones, index 0 to 89, in its own order.
const QStringList& timeZoneNames() {
    static const QStringList names = {
        "None",
        "(GMT-12) International Date Line West",
        "(GMT-11) Midway Island,Samoa",
        "(GMT-10) Hawaii",
        "(GMT-9) Alaska",
        "(GMT-8) Pacific Time(US&Canada)",
        "(GMT-8) Tijuana,Baja California",
        "(GMT-7) Arizona",
        "(GMT-7) Chihuahua,La Paz,Mazatha",
        "(GMT-7) Mountain Time(US&Canada)",
        "(GMT-6) Central America",
        "(GMT-6) Central Time(US&Canada)",
        "(GMT-6) Guadalajara,MexicoCity",
        "(GMT-6) Saskatchewan",
        "(GMT-5) Bogota,Lima,Quito,RioBranco",
        "(GMT-5) Eastern Time(US&Canada)",
        "(GMT-5) Indiana(East)",
        "(GMT-4:30) Caracas",
        "(GMT-4) Atlantic Time(Canada)",
        "(GMT-4) La Paz",
        "(GMT-4) Manaus",
        "(GMT-4) Santiago",
        "(GMT-3:30) Newfoundland",
        "(GMT-3) Brasilia",
        "(GMT-3) Buenos Aires",
        "(GMT-3) Georgetown",
        "(GMT-3) Greenland",
        "(GMT-3) Montevideo",
        "(GMT-2) Mid-Atlantic",
        "(GMT-1) Azores",
        "(GMT-1) Cape Verde Is.",
        "(GMT+0) Casablanca",
        "(GMT+0) Dublin,Edinburgh,Lisbon,London",
        "(GMT+0) Monrovia,Reykjavik",
        "(GMT+1) Amsterdam,Berlin,Rome,Stockholm",
        "(GMT+1) Belgrade,Bratislava,Budapest",
        "(GMT+1) Brusels,Copenhagen,Madrid,Paris",
        "(GMT+1) Sarajevo,Skopje,Warsaw,Zagreb",
        "(GMT+1) West Central Africa",
        "(GMT+2) Amman",
        "(GMT+2) Athens,Bucharest,Istanbul",
        "(GMT+2) Beirut",
        "(GMT+2) Cairo",
        "(GMT+2) Harare,Pretoria",
        "(GMT+2) Helsinki,Kyiv,Riga,Sofia",
        "(GMT+2) Jerusalem",
        "(GMT+2) Windhoek",
        "(GMT+3) Minsk",
        "(GMT+3) Baghdad",
        "(GMT+3) Kuwait,Riyadh",
        "(GMT+3) Nairobi",
        "(GMT+3:30) Tehran",
        "(GMT+4) Tbilisi",
        "(GMT+4) Moscow, St.Petersburg,Volgograd",
        "(GMT+4) Abu Dhabi,Muscat",
        "(GMT+4) Baku",
        "(GMT+4) Caucasus Standard Time",
        "(GMT+4) Port Louis",
        "(GMT+4) Yerevan",
        "(GMT+4:30) Kabul",
        "(GMT+5) Islamabad,Karachi",
        "(GMT+5) Tashkent",
        "(GMT+5:30) Chennai,Kalkata,Mumbai",
        "(GMT+5:30) Sri Jayawardenapura",
        "(GMT+5:45) Kathmandu",
        "(GMT+6) Ekaterinburg",
        "(GMT+6) Almaty",
        "(GMT+6) Astana,Dhaka",
        "(GMT+6:30) Yangon(Rangoon)",
        "(GMT+7) Bangkok,Hanoi,Jakarta",
        "(GMT+7) Novosibirsk",
        "(GMT+8) Beijing,Chongqing,HongKong",
        "(GMT+8) Krasnoyarsk,Ulaan Bataar",
        "(GMT+8) Kuala Lumpur,Singapore",
        "(GMT+8) Perth",
        "(GMT+8) Taipei",
        "(GMT+9) Osaka,Sapporo,Tokyo",
        "(GMT+9) Seoul",
        "(GMT+9) Irkutsk",
        "(GMT+9:30) Adelaide",
        "(GMT+9:30) Darwin",
        "(GMT+10) Brisbane,Yakutsk",
        "(GMT+10) Canberra,Melbourne,Sydney",
        "(GMT+10) Guam,Port Moresby",
        "(GMT+10) Hobart",
        "(GMT+11) Vladivostok, Solomon Is.",
        "(GMT+12) Magadan",
        "(GMT+12) Auckland,Wellington",
        "(GMT+12) Fiji,Kamchatka,Marshall Is.",
        "(GMT+13) Nuku'alofa",
    };
    return names;
}

// Stored motion sensitivity for the slider's ticks 10, 20, ..., 100.
constexpr int kSensitivity[10] = {50, 30, 15, 10, 7, 5, 4, 3, 2, 1};

// Defaults, stored texts.
constexpr int kDefaultTimeZone = 77;  // "(GMT+9) Seoul"
constexpr int kDefaultShock = 5;
constexpr int kDefaultBattLevel = 6;
constexpr int kDefaultBattTime = 2;
constexpr int kDefaultMicVolume = 10;
constexpr int kDefaultBitrate = 1024;
constexpr int kDefaultSensitivity = 7;
constexpr int kDefaultDiskUsage = 4;

// Longest texts the line edits take.
constexpr int kMaxNameLength = 64;
constexpr int kMaxWifiLength = 64;
constexpr int kMaxTitleLength = 32;

QString labelOf(const QString& group, const QString& control) {
    return group + ": " + control;
}

SetupField textField(const QString& key, FieldRole role, const QString& label, int maxLength) {
    SetupField f;
    f.key = key;
    f.role = role;
    f.kind = FieldKind::Text;
    f.label = label;
    f.maxLength = maxLength;
    return f;
}

SetupField flagField(const QString& key, FieldRole role, const QString& label, bool on) {
    SetupField f;
    f.key = key;
    f.role = role;
    f.kind = FieldKind::Flag;
    f.label = label;
    f.defaultValue = on ? "1" : "0";
    return f;
}

// Entries stored as their index, offered as `texts`.
SetupField indexField(const QString& key, FieldRole role, const QString& label,
                      const QStringList& texts, int defaultIndex) {
    SetupField f;
    f.key = key;
    f.role = role;
    f.kind = FieldKind::Choice;
    f.label = label;
    for (int i = 0; i < texts.size(); ++i) {
        f.entries.append({QString::number(i), texts.at(i), true});
    }
    f.defaultValue = QString::number(defaultIndex);
    return f;
}

QStringList numbers(int from, int to) {
    QStringList list;
    for (int i = from; i <= to; ++i) {
        list << QString::number(i);
    }
    return list;
}

bool isCanonicalInt(const QString& text, int* value) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || QString::number(v) != text) {
        return false;
    }
    *value = v;
    return true;
}

// An integer of the information file; `fallback` when absent or not a number.
int infoNumber(const IniDocument& info, const char* key, int fallback) {
    const std::optional<QByteArray> raw = info.value(key);
    bool ok = false;
    const int v = raw ? raw->trimmed().toInt(&ok) : 0;
    return ok ? v : fallback;
}

}  // namespace

bool CardInfo::lastPresetSupported() const {
    static constexpr int kSince[4] = {1, 1, 0, 2};
    for (int i = 0; i < 4; ++i) {
        if (firmware[i] != kSince[i]) {
            return firmware[i] > kSince[i];
        }
    }
    return true;
}

CardInfo readCardInfo(const IniDocument& info) {
    CardInfo c;
    c.cameras = std::clamp(infoNumber(info, "INFORMATION/CAM_MAX", CardInfo::kDefaultCameras), 0,
                           CardInfo::kMaxCameras);
    for (int i = 0; i < 4; ++i) {
        c.firmware[i] =
            infoNumber(info, QString("INFORMATION/FW_VER%1").arg(i + 1).toLatin1().constData(), 0);
    }
    return c;
}

int SetupField::entryIndex(const QString& value) const {
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).value == value) {
            return i;
        }
    }
    return -1;
}

QString tabName(SetupTab tab) {
    switch (tab) {
        case SetupTab::Device:
            return "device";
        case SetupTab::Camera:
            return "camera";
        case SetupTab::Storage:
            return "storage";
    }
    return QString();
}

QList<SetupField> setupFields(const CardInfo& info) {
    QList<SetupField> fields;
    const QString vehicle = device("차량설정");
    const QString wifi = device("WiFi 설정");
    const QString time = device("시간설정");
    const QString shock = device("충격설정");
    const QString battery = device("배터리보호");
    const QString mic = device("마이크");
    const QString clock = device("블랙박스 시간 재설정");

    fields << textField("DVR_NAME", FieldRole::DvrName, labelOf(vehicle, device("차량번호")),
                        kMaxNameLength);
    fields << textField("NETWORK/WIFI_PWD", FieldRole::WifiPassword,
                        labelOf(wifi, device("비밀번호")), kMaxWifiLength);
    fields << flagField("TIME_SYNC/MODE", FieldRole::TimeSync,
                        labelOf(time, device("GPS 시간 동기 사용")), true);
    fields << flagField("DATE_TIME/TIME_RESET", FieldRole::TimeReset, labelOf(time, clock), false);
    SetupField date;
    date.key = "DATE_TIME/SET_DATE";
    date.role = FieldRole::SetDate;
    date.kind = FieldKind::Date;
    date.label = labelOf(time, clock + " (yyyyMMdd)");
    fields << date;
    SetupField clockTime = date;
    clockTime.key = "DATE_TIME/SET_TIME";
    clockTime.role = FieldRole::SetTime;
    clockTime.kind = FieldKind::Time;
    clockTime.label = labelOf(time, clock + " (hhmmss)");
    fields << clockTime;
    fields << indexField("DATE_TIME/TIMEZONE", FieldRole::TimeZone, labelOf(time, device("타임존")),
                         timeZoneNames(), kDefaultTimeZone);

    const struct {
        const char* key;
        FieldRole role;
        const char* mode;
        const char* axis;
    } shocks[] = {
        {"SHOCK_DRIVE_X", FieldRole::ShockDriveX, "주행", "X"},
        {"SHOCK_DRIVE_Y", FieldRole::ShockDriveY, "주행", "Y"},
        {"SHOCK_DRIVE_Z", FieldRole::ShockDriveZ, "주행", "Z"},
        {"SHOCK_PARK_X", FieldRole::ShockParkX, "주차", "X"},
        {"SHOCK_PARK_Y", FieldRole::ShockParkY, "주차", "Y"},
        {"SHOCK_PARK_Z", FieldRole::ShockParkZ, "주차", "Z"},
    };
    for (const auto& s : shocks) {
        SetupField f;
        f.key = s.key;
        f.role = s.role;
        f.kind = FieldKind::Range;
        f.label = labelOf(shock, device(s.mode) + " " + s.axis);
        f.min = 1;
        f.max = 10;
        f.defaultValue = QString::number(kDefaultShock);
        fields << f;
    }

    fields << flagField("USE_BATTLEVEL", FieldRole::UseBattLevel,
                        labelOf(battery, device("배터리 전압 사용")), true);
    // The last two voltages read the same on the recorder's own menu.
    fields << indexField(
        "BATT_LEVEL", FieldRole::BattLevel, labelOf(battery, "V"),
        {"11.6", "11.8", "12.0", "12.2", "12.4", "23.6", "23.8", "24.0", "24.2", "24.2"},
        kDefaultBattLevel);
    fields << flagField("USE_BATTTIME", FieldRole::UseBattTime,
                        labelOf(battery, device("시간 사용")), true);
    fields << indexField("BATT_TIME", FieldRole::BattTime, labelOf(battery, "h"),
                         {"6", "12", "24", "48"}, kDefaultBattTime);
    fields << flagField("AUDIO/MIC", FieldRole::Mic, labelOf(mic, device("마이크 사용")), true);
    fields << indexField("AUDIO/MIC_VOLUME", FieldRole::MicVolume, labelOf(mic, device("볼륨")),
                         numbers(0, 15), kDefaultMicVolume);
    for (SetupField& f : fields) {
        f.tab = SetupTab::Device;
    }

    auto column = [](const char* header) {
        return QCoreApplication::translate("ConfigCamera", header);
    };
    for (int i = 0; i < info.cameras; ++i) {
        const QString n = QString::number(i);
        const QString row = QString("CH%1").arg(i + 1);
        QList<SetupField> camera;
        SetupField title = textField("CAMERA/TITLE_" + n, FieldRole::Title,
                                     labelOf(row, column("TITLE")), kMaxTitleLength);
        title.defaultValue = row;
        camera << title;
        camera << flagField("CAMERA/MIRROR_" + n, FieldRole::Mirror, labelOf(row, column("MIRROR")),
                            false);
        camera << flagField("CAMERA/FLIP_" + n, FieldRole::Flip, labelOf(row, column("FLIP")),
                            false);
        SetupField fps;
        fps.key = "RECORD/REC_FPS_" + n;
        fps.role = FieldRole::Fps;
        fps.kind = FieldKind::Choice;
        fps.label = labelOf(row, column("FRAME"));
        for (const QString& v : numbers(1, 30)) {
            fps.entries.append({v, v, true});
        }
        fps.defaultValue = QString::number(info.topFps());
        camera << fps;
        SetupField bitrate;
        bitrate.key = "RECORD/CAM_REC_BITRATE_" + n;
        bitrate.role = FieldRole::Bitrate;
        bitrate.kind = FieldKind::Choice;
        bitrate.label = labelOf(row, column("BITRATE"));
        for (int mbps = 1; mbps <= 6; ++mbps) {
            bitrate.entries.append(
                {QString::number(mbps * 1024),
                 QCoreApplication::translate("ConfigCamera", "%1 MBPS (CBR)").arg(mbps), true});
        }
        bitrate.defaultValue = QString::number(kDefaultBitrate);
        camera << bitrate;
        SetupField sens;
        sens.key = "MOTION_AREA/SENS_" + n;
        sens.role = FieldRole::Sensitivity;
        sens.kind = FieldKind::Choice;
        sens.label = labelOf(row, column("SENSITIVITY"));
        for (int k = 0; k < 10; ++k) {
            // Offered as the slider position that stands for the value.
            sens.entries.append(
                {QString::number(kSensitivity[k]), QString::number(10 * (k + 1)), true});
        }
        sens.defaultValue = QString::number(kDefaultSensitivity);
        camera << sens;
        for (SetupField& f : camera) {
            f.tab = SetupTab::Camera;
            f.camera = i;
        }
        fields << camera;
    }

    const QStringList presets = {"A", "B", "C", "D", "E", "F", "G", "H", "I"};
    SetupField disk = indexField("DISK/DISK_USAGE", FieldRole::DiskUsage,
                                 QCoreApplication::translate("ConfigStorage", "저장 공간 배분"),
                                 presets, kDefaultDiskUsage);
    disk.tab = SetupTab::Storage;
    disk.entries.last().available = info.lastPresetSupported();
    fields << disk;
    return fields;
}

QString refusal(const SetupField& field, const QString& value) {
    int number = 0;
    switch (field.kind) {
        case FieldKind::Text:
            for (const QChar c : value) {
                if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
                    return CardSetup::tr(
                        "The text must not hold line breaks or other control characters.");
                }
            }
            if (value.size() > field.maxLength) {
                return CardSetup::tr("The text may hold at most %1 characters.")
                    .arg(field.maxLength);
            }
            if (eucKr() == nullptr || !eucKr()->canEncode(value)) {
                return CardSetup::tr("The text holds characters the recorder cannot store.");
            }
            return QString();
        case FieldKind::Flag:
            return value == "0" || value == "1" ? QString()
                                                : CardSetup::tr("The value must be 1 or 0.");
        case FieldKind::Range:
            return isCanonicalInt(value, &number) && number >= field.min && number <= field.max
                       ? QString()
                       : CardSetup::tr("The value must be a whole number from %1 to %2.")
                             .arg(field.min)
                             .arg(field.max);
        case FieldKind::Choice: {
            const int index = field.entryIndex(value);
            if (index >= 0 && field.entries.at(index).available) {
                return QString();
            }
            if (index >= 0) {
                return CardSetup::tr("This recorder's firmware does not offer %1.")
                    .arg(field.entries.at(index).text);
            }
            QStringList offered;
            bool consecutive = true;
            for (const SetupEntry& e : field.entries) {
                if (e.available) {
                    int v = 0;
                    consecutive = consecutive && isCanonicalInt(e.value, &v) &&
                                  (offered.isEmpty() || v == offered.last().toInt() + 1);
                    offered << e.value;
                }
            }
            if (consecutive && offered.size() > 2) {
                return CardSetup::tr("The value must be a whole number from %1 to %2.")
                    .arg(offered.first(), offered.last());
            }
            return CardSetup::tr("The value must be one of %1.").arg(offered.join(", "));
        }
        case FieldKind::Date:
            return value.size() == 8 && QDate::fromString(value, "yyyyMMdd").isValid()
                       ? QString()
                       : CardSetup::tr("The value must be a date written yyyyMMdd.");
        case FieldKind::Time:
            return value.size() == 6 && QTime::fromString(value, "hhmmss").isValid()
                       ? QString()
                       : CardSetup::tr("The value must be a time written hhmmss.");
    }
    return QString();
}

QString decodeSetupText(const QByteArray& bytes) {
    return eucKr() != nullptr ? eucKr()->toUnicode(bytes) : QString::fromLatin1(bytes);
}

QByteArray encodeSetupText(const QString& text) {
    return eucKr() != nullptr ? eucKr()->fromUnicode(text) : text.toLatin1();
}

bool readSetupFile(const QString& path, QByteArray* bytes, QString* error) {
    bytes->clear();
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        bytes->clear();
        return false;
    }
    return true;
}

QString CardSetup::infoPathUnder(const QString& cardRoot) {
    return QString("%1/%2").arg(cardRoot, kDvrSetupFile);
}

QString CardSetup::targetPathUnder(const QString& cardRoot) {
    return QString("%1/%2").arg(cardRoot, kModelSetupFile);
}

void CardSetup::load(const QString& infoPath, const QString& editedPath) {
    QByteArray bytes;
    readSetupFile(infoPath, &bytes);
    m_infoFile = IniDocument(bytes);
    readSetupFile(editedPath, &bytes);
    m_edited = IniDocument(bytes);
    m_editedPath = editedPath;
    m_infoPath = infoPath;
    m_info = readCardInfo(m_infoFile);
    m_fields = setupFields(m_info);
}

const SetupField* CardSetup::field(const QString& key) const {
    QByteArray section;
    QByteArray name;
    if (!IniDocument::splitKey(key, &section, &name)) {
        return nullptr;
    }
    const QString wanted = (section.isEmpty() ? QString() : QString::fromLatin1(section) + '/') +
                           QString::fromLatin1(name);
    for (const SetupField& f : m_fields) {
        if (f.key.compare(wanted, Qt::CaseInsensitive) == 0) {
            return &f;
        }
    }
    return nullptr;
}

QString CardSetup::value(const SetupField& field) const {
    if (const std::optional<QByteArray> v = m_edited.value(field.key)) {
        return decodeSetupText(*v);
    }
    if (const std::optional<QByteArray> v = m_infoFile.value(field.key)) {
        return decodeSetupText(*v);
    }
    return field.defaultValue;
}

QString CardSetup::source(const SetupField& field) const {
    if (m_edited.value(field.key)) {
        return QFileInfo(m_editedPath).fileName();
    }
    if (m_infoFile.value(field.key)) {
        return QFileInfo(m_infoPath).fileName();
    }
    return QString();
}

bool CardSetup::save(const QString& targetPath, const QList<QPair<QString, QString>>& changes,
                     QString* error) const {
    auto fail = [error](const QString& why) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };
    for (const auto& change : changes) {
        const SetupField* f = field(change.first);
        if (f == nullptr) {
            return fail(CardSetup::tr("%1 is not a setting of this recorder.").arg(change.first));
        }
        const QString why = refusal(*f, change.second);
        if (!why.isEmpty()) {
            return fail(QString("%1: %2").arg(f->key, why));
        }
    }

    // The file as it is now, not as it was when the values were loaded: what
    // someone else changed since then stays too.
    QByteArray present;
    QString why;
    if (!readSetupFile(targetPath, &present, &why)) {
        return fail(why);
    }
    const bool exists = QFileInfo::exists(targetPath);
    if (!exists) {
        const QString first = m_editedPath != targetPath && QFileInfo::exists(m_editedPath)
                                  ? m_editedPath
                                  : m_infoPath;
        if (!readSetupFile(first, &present, &why)) {
            return fail(why);
        }
    }
    IniDocument doc(present);
    for (const auto& change : changes) {
        if (!doc.setValue(field(change.first)->key, encodeSetupText(change.second))) {
            return fail(CardSetup::tr("%1 cannot be written.").arg(change.first));
        }
    }
    if (exists && doc.bytes() == present) {
        return true;
    }

    QSaveFile out(targetPath);
    if (!out.open(QIODevice::WriteOnly)) {
        return fail(out.errorString());
    }
    if (out.write(doc.bytes()) != doc.bytes().size()) {
        const QString writeError = out.errorString();
        out.cancelWriting();
        return fail(writeError);
    }
    if (!out.commit()) {
        return fail(out.errorString());
    }
    return true;
}
