#include "recording/FolderScan.h"

#include <cctype>
#include <filesystem>
#include <iomanip>
#include <system_error>

#include "recording/SSFChannelReader.h"

namespace fs = std::filesystem;

namespace {

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

}  // namespace

void scanFolder(const std::string& folderIn, const std::vector<SSFChannelReader*>& readers,
                const std::atomic<bool>& keepGoing, std::ostream& log) {
    // A trailing "/" would put an empty name between folder and file, and the
    // day would no longer be read from the stored paths.
    std::string folder = folderIn;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    std::error_code ec;
    const fs::path dir(folder);
    if (!fs::exists(dir, ec)) {
        log << "\nNot found: " << quoted(folder);
        return;
    }
    if (!fs::is_directory(dir, ec)) {
        log << "\nFound: " << quoted(folder) << "\n";
        return;
    }
    log << "\nIn directory: " << quoted(folder) << "\n\n";
    fs::directory_iterator it(dir, ec);
    const fs::directory_iterator end;
    for (; !ec && it != end && keepGoing.load(); it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        try {
            const std::string name = entry.path().filename().string();
            const fs::file_status status = entry.status();
            if (fs::is_directory(status)) {
                log << name << " [directory]\n";
                continue;
            }
            if (!fs::is_regular_file(status)) {
                log << name << " [other]\n";
                continue;
            }
            log << name << "\n";
            // The channel comes from the lower-cased name, the stored path
            // keeps the real one: file names are case-sensitive here.
            const std::string lower = lowerCase(name);
            if (!endsWith(lower, ".ssf") || !startsWithTime(lower)) {
                continue;
            }
            SSFChannelReader* reader = readerOf(readers, channelOfName(lower));
            if (reader == nullptr) {
                continue;
            }
            if (fs::file_size(entry.path()) >= kMinRecordingFileSize) {
                reader->addFile(folder + "/" + name);
            }
        } catch (const fs::filesystem_error& e) {
            log << quoted(entry.path().string()) << " " << e.what() << "\n";
        }
    }
    if (ec) {
        log << quoted(folder) << " " << ec.message() << "\n";
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
