#include "recording/FolderScan.h"

#include <cctype>
#include <filesystem>
#include <iomanip>
#include <system_error>

#include "core/Trace.h"
#include "recording/SSFChannelReader.h"

namespace fs = std::filesystem;

namespace {

// Channels a site plays (0 to 31).
constexpr int kScanChannels = 32;

std::string lowerCase(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Channel in characters 7-8 of a recording name; -1 when they are no digits.
int channelOfName(const std::string& name) {
    if (name.size() < 8 || !std::isdigit(static_cast<unsigned char>(name[6])) ||
        !std::isdigit(static_cast<unsigned char>(name[7]))) {
        return -1;
    }
    return (name[6] - '0') * 10 + (name[7] - '0');
}

// A recording name starts with its start time hhmmss.
bool startsWithTime(const std::string& name) {
    if (name.size() < 6) {
        return false;
    }
    for (int i = 0; i < 6; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[static_cast<std::size_t>(i)]))) {
            return false;
        }
    }
    const int h = (name[0] - '0') * 10 + (name[1] - '0');
    const int m = (name[2] - '0') * 10 + (name[3] - '0');
    const int s = (name[4] - '0') * 10 + (name[5] - '0');
    return h < 24 && m < 60 && s < 60;
}

SSFChannelReader* readerOf(const std::vector<SSFChannelReader*>& readers, int channel) {
    for (SSFChannelReader* r : readers) {
        if (r != nullptr && r->channel() == channel) {
            return r;
        }
    }
    return nullptr;
}

auto quoted(const std::string& s) {
    return std::quoted(s, '"', '&');
}

// A stream that drops what it is given, private to one scan (a stream
// without buffer only sets its own state bits).
struct NullLog {
    std::ostream stream{nullptr};
};

}  // namespace

std::string recordingFolderPath(const std::string& folderIn) {
    // The day is read from the stored paths' second-to-last part, so a
    // relative folder ("20260301", "./20260301/") is made absolute; a
    // trailing "/" would put an empty name between folder and file.
    std::error_code ec;
    fs::path dir = fs::absolute(fs::path(folderIn), ec);
    if (ec) {
        dir = fs::path(folderIn);
    }
    std::string folder = dir.lexically_normal().string();
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

void scanFolder(const std::string& folderIn, const std::vector<SSFChannelReader*>& readers,
                const std::atomic<bool>& keepGoing, std::ostream* logIn,
                std::vector<std::pair<int, std::string>>* unread) {
    // Without a log of its own the scan prints only while tracing is on.
    std::ostream* const log = logIn != nullptr ? logIn : korvel::traceStream();
    NullLog quiet;
    std::ostream& out = log != nullptr ? *log : quiet.stream;
    const std::string folder = recordingFolderPath(folderIn);
    std::error_code ec;
    const fs::path dir(folder);
    if (!fs::exists(dir, ec)) {
        out << "\nNot found: " << quoted(folder);
        return;
    }
    if (!fs::is_directory(dir, ec)) {
        out << "\nFound: " << quoted(folder) << "\n";
        return;
    }
    out << "\nIn directory: " << quoted(folder) << "\n\n";
    fs::directory_iterator it(dir, ec);
    const fs::directory_iterator end;
    for (; !ec && it != end && keepGoing.load(); it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        try {
            const std::string name = entry.path().filename().string();
            const fs::file_status status = entry.status();
            if (fs::is_directory(status)) {
                out << name << " [directory]\n";
                continue;
            }
            if (!fs::is_regular_file(status)) {
                out << name << " [other]\n";
                continue;
            }
            out << name << "\n";
            // The channel comes from the lower-cased name, the stored path
            // keeps the real one: file names are case-sensitive here.
            const std::string lower = lowerCase(name);
            if (!endsWith(lower, ".ssf") || !startsWithTime(lower)) {
                continue;
            }
            const int channel = channelOfName(lower);
            SSFChannelReader* reader = readerOf(readers, channel);
            const bool kept = reader == nullptr && unread != nullptr && channel >= 0 &&
                              channel < kScanChannels;
            if (reader == nullptr && !kept) {
                continue;
            }
            if (fs::file_size(entry.path()) < kMinRecordingFileSize) {
                continue;
            }
            if (reader != nullptr) {
                reader->addFile(folder + "/" + name);
            } else {
                unread->emplace_back(channel, folder + "/" + name);
            }
        } catch (const fs::filesystem_error& e) {
            out << quoted(entry.path().string()) << " " << e.what() << "\n";
        }
    }
    if (ec) {
        out << quoted(folder) << " " << ec.message() << "\n";
    }
    for (SSFChannelReader* reader : readers) {
        if (!keepGoing.load()) {
            break;
        }
        if (reader != nullptr) {
            reader->prepare();
        }
    }
}
