#pragma once

// The recorder's setup files on the card ("DVRSETUP.INI", "ZD-3100.INI"): INI
// text in EUC-KR whose top-level keys (such as "DVR_NAME") stand before any
// section, as the recorder reads them.
//
// Threading: GUI thread (the setup editor); the functions touch only the files
// and settings objects they are given.

#include <QSettings>
#include <QString>

#include <functional>

// The recorder's file names at the card root.
inline constexpr const char* kDvrSetupFile = "DVRSETUP.INI";
inline constexpr const char* kModelSetupFile = "ZD-3100.INI";

// A card setup file opened for reading (or writing by writeCardIni) with the
// EUC-KR codec. Keys written "/NAME" are the top-level ones.
class CardIni : public QSettings {
public:
    explicit CardIni(const QString& path) : QSettings(readablePath(path), QSettings::IniFormat) {
        setIniCodec("EUC-KR");
    }

    // `path` when it names a regular file or nothing; otherwise (a FIFO, a
    // device or a folder named like the setup file, whose read would block
    // or fail) an empty path, which reads as an empty file.
    static QString readablePath(const QString& path);
};

// A text value as the recorder wrote it: QSettings reads an unquoted value with
// commas as a list, which is joined back.
QString cardText(const QSettings& ini, const QString& key, const QString& fallback = QString());

// QSettings writes top-level keys as a "[General]" section; the recorder wants
// them before every section. Returns `ini` with the body of that section moved
// to the top and its header dropped; text without such a section is returned
// as it is.
QByteArray hoistGeneralSection(const QByteArray& ini);

// Writes the setup file `target` as a whole: starts from its present content
// (so keys the caller does not know stay), lets `write` set values, and
// replaces the file only when everything was written; otherwise the previous
// file stays untouched and `error` (when given) tells why.
bool writeCardIni(const QString& target, const std::function<void(QSettings&)>& write,
                  QString* error = nullptr);
