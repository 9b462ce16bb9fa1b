#include "SetupIni.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace mkcard {

namespace {

class Iconv {
public:
    Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) {
            iconv_close(handle_);
        }
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

}  // namespace

bool utf8ToEucKr(const std::string& utf8, std::string* eucKr, std::string* error) {
    Iconv cd("EUC-KR", "UTF-8");
    if (!cd.ok()) {
        *error = std::string("iconv has no EUC-KR: ") + std::strerror(errno);
        return false;
    }
    std::string in = utf8;
    std::string out(in.size() * 2 + 16, '\0');
    char* inPtr = in.empty() ? nullptr : &in[0];
    size_t inLeft = in.size();
    char* outPtr = &out[0];
    size_t outLeft = out.size();
    if (iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        *error = "text has no EUC-KR form: " + utf8;
        return false;
    }
    out.resize(out.size() - outLeft);
    *eucKr = out;
    return true;
}

namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;
// Sections in file order; the one named "" holds the top-level keys.
using Sections = std::vector<std::pair<std::string, Keys>>;

Sections setupSections(const CardOptions& o) {
    Sections s;
    Keys top = {{"DVR_NAME", o.vehicleNumber}};
    for (const char* mode : {"DRIVE", "PARK"}) {
        for (const char* axis : {"X", "Y", "Z"}) {
            top.push_back({std::string("SHOCK_") + mode + "_" + axis, "5"});
        }
    }
    top.insert(
        top.end(),
        {{"USE_BATTLEVEL", "1"}, {"BATT_LEVEL", "6"}, {"USE_BATTTIME", "1"}, {"BATT_TIME", "2"}});
    s.push_back({"", top});
    Keys information = {{"MODEL", "ZD-3100"}, {"CAM_MAX", std::to_string(o.channels)}};
    for (int i = 0; i < 4; ++i) {
        information.push_back(
            {"FW_VER" + std::to_string(i + 1), std::to_string(kFirmwareVersion[i])});
    }
    s.push_back({"INFORMATION", information});
    s.push_back({"NETWORK", {{"WIFI_PWD", "zd3100wifi"}}});
    s.push_back({"TIME_SYNC", {{"MODE", "1"}}});
    s.push_back({"DATE_TIME",
                 {{"TIME_RESET", "0"},
                  {"SET_DATE", dateDigits(o.start)},
                  {"SET_TIME", timeDigits(o.start)},
                  {"TIMEZONE", "77"}}});
    s.push_back(
        {"AUDIO", {{"MIC", o.audio == AudioCoding::None ? "0" : "1"}, {"MIC_VOLUME", "10"}}});
    // Camera keys are numbered from 0: TITLE_0 is CH1.
    Keys camera;
    Keys record;
    Keys motion;
    for (int i = 0; i < o.channels; ++i) {
        const std::string n = std::to_string(i);
        const std::string title = static_cast<size_t>(i) < o.titles.size()
                                      ? o.titles[static_cast<size_t>(i)]
                                      : "CH" + std::to_string(i + 1);
        camera.insert(camera.end(),
                      {{"TITLE_" + n, title}, {"MIRROR_" + n, "0"}, {"FLIP_" + n, "0"}});
        record.insert(record.end(),
                      {{"REC_FPS_" + n, std::to_string(o.fps)}, {"CAM_REC_BITRATE_" + n, "1024"}});
        motion.push_back({"SENS_" + n, "7"});
    }
    s.push_back({"CAMERA", camera});
    s.push_back({"RECORD", record});
    s.push_back({"MOTION_AREA", motion});
    s.push_back({"DISK", {{"DISK_USAGE", "4"}}});
    return s;
}

std::string iniText(const Sections& sections) {
    std::ostringstream s;
    const char* nl = "\r\n";
    for (size_t i = 0; i < sections.size(); ++i) {
        if (!sections[i].first.empty()) {
            s << (i > 0 ? nl : "") << "[" << sections[i].first << "]" << nl;
        }
        for (const auto& key : sections[i].second) {
            s << key.first << "=" << key.second << nl;
        }
    }
    return s.str();
}

bool writeEucKr(const std::string& path, const std::string& utf8, std::string* error) {
    std::string bytes;
    if (!utf8ToEucKr(utf8, &bytes, error)) {
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace

std::string setupIniText(const CardOptions& o) {
    return iniText(setupSections(o));
}

std::string modelIniText(const CardOptions& o) {
    Sections sections = setupSections(o);
    sections.erase(std::remove_if(sections.begin(), sections.end(),
                                  [](const auto& s) { return s.first == "INFORMATION"; }),
                   sections.end());
    for (const auto& setting : o.modelSettings) {
        const size_t slash = setting.first.find('/');
        const std::string section =
            slash == std::string::npos ? "" : setting.first.substr(0, slash);
        const std::string name =
            slash == std::string::npos ? setting.first : setting.first.substr(slash + 1);
        auto at = std::find_if(sections.begin(), sections.end(),
                               [&](const auto& s) { return s.first == section; });
        if (at == sections.end()) {
            // Top-level keys stand first.
            at = section.empty() ? sections.insert(sections.begin(), {section, {}})
                                 : sections.insert(sections.end(), {section, {}});
        }
        auto key = std::find_if(at->second.begin(), at->second.end(),
                                [&](const auto& k) { return k.first == name; });
        if (key != at->second.end()) {
            key->second = setting.second;
        } else {
            at->second.push_back({name, setting.second});
        }
    }
    return iniText(sections);
}

bool writeSetupIni(const CardOptions& options, std::string* error) {
    return writeEucKr(options.outDir + "/DVRSETUP.INI", setupIniText(options), error) &&
           (!options.modelIni ||
            writeEucKr(options.outDir + "/ZD-3100.INI", modelIniText(options), error));
}

}  // namespace mkcard
