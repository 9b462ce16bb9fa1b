#include "TestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace testsupport {

namespace fs = std::filesystem;

std::string tempPath(const std::string& tag) {
    static std::atomic<int> counter{0};
    return (fs::temp_directory_path() / ("korvel-test-" + std::to_string(::getpid()) + "-" +
                                         std::to_string(counter++) + "-" + tag))
        .string();
}

TempDir::TempDir(const std::string& tag) : path_(tempPath(tag)) {
    std::error_code ec;
    fs::remove_all(path_, ec);
    fs::create_directories(path_, ec);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

mkcard::CardOptions smallCard(const std::string& tag) {
    mkcard::CardOptions o;
    o.outDir = tempPath(tag);
    o.start = {2026, 3, 1, 12, 0, 0};
    o.filesPerChannel = 2;
    o.secondsPerFile = 3;
    o.channels = 2;
    o.width = 160;
    o.height = 96;
    o.fps = 5;
    o.seed = 5;
    o.jobs = 2;
    return o;
}

// The error text, empty on success.
static std::string writeCard(const mkcard::CardOptions& o) {
    std::error_code ec;
    fs::remove_all(o.outDir, ec);
    std::string error;
    if (!mkcard::makeCard(o, &error)) {
        return error.empty() ? "failed without a reason" : error;
    }
    return std::string();
}

Card::Card(const mkcard::CardOptions& options)
    : options_(options), plan_(mkcard::planCard(options)), error_(writeCard(options)) {}

Card::~Card() {
    std::error_code ec;
    fs::remove_all(options_.outDir, ec);
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit,
                const std::function<void()>& between) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        if (between) {
            between();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

int runCommand(const std::string& command, std::string* out) {
    out->clear();
    std::FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) {
        return -1;
    }
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) {
        out->append(buf, n);
    }
    const int status = ::pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace testsupport
