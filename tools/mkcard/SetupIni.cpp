#include "SetupIni.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

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

std::string setupIniText(const CardOptions& o) {
    std::ostringstream s;
    const char* nl = "\r\n";
    s << "DVR_NAME=" << o.vehicleNumber << nl;
    for (const char* mode : {"DRIVE", "PARK"}) {
        for (const char* axis : {"X", "Y", "Z"}) {
            s << "SHOCK_" << mode << "_" << axis << "=5" << nl;
        }
    }
    s << "USE_BATTLEVEL=1" << nl << "BATT_LEVEL=6" << nl << "USE_BATTTIME=1" << nl << "BATT_TIME=2"
      << nl;
    s << nl << "[INFORMATION]" << nl << "MODEL=ZD-3100" << nl << "CAM_MAX=" << o.channels << nl;
    for (int i = 0; i < 4; ++i) {
        s << "FW_VER" << i + 1 << "=" << kFirmwareVersion[i] << nl;
    }
    s << nl << "[NETWORK]" << nl << "WIFI_PWD=zd3100wifi" << nl;
    s << nl << "[TIME_SYNC]" << nl << "MODE=1" << nl;
    s << nl << "[DATE_TIME]" << nl << "TIME_RESET=0" << nl << "SET_DATE=" << dateDigits(o.start)
      << nl << "SET_TIME=" << timeDigits(o.start) << nl << "TIMEZONE=77" << nl;
    s << nl << "[AUDIO]" << nl << "MIC=" << (o.audio == AudioCoding::None ? 0 : 1) << nl
      << "MIC_VOLUME=10" << nl;
    s << nl << "[CAMERA]" << nl;
    for (int i = 0; i < o.channels; ++i) {
        s << "TITLE_" << i << "=CH" << i + 1 << nl << "MIRROR_" << i << "=0" << nl << "FLIP_" << i
          << "=0" << nl;
    }
    s << nl << "[RECORD]" << nl;
    for (int i = 0; i < o.channels; ++i) {
        s << "REC_FPS_" << i << "=" << o.fps << nl << "CAM_REC_BITRATE_" << i << "=1024" << nl;
    }
    s << nl << "[MOTION_AREA]" << nl;
    for (int i = 0; i < o.channels; ++i) {
        s << "SENS_" << i << "=7" << nl;
    }
    s << nl << "[DISK]" << nl << "DISK_USAGE=4" << nl;
    return s.str();
}

bool writeSetupIni(const CardOptions& options, std::string* error) {
    std::string bytes;
    if (!utf8ToEucKr(setupIniText(options), &bytes, error)) {
        return false;
    }
    const std::string path = options.outDir + "/DVRSETUP.INI";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace mkcard
