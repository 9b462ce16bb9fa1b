// korvel-export as a user runs it: one line and exit status 1 on bad input,
// the files written on standard output, and an interrupted export that
// leaves no file.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ExportTestSupport.h"

namespace {

using namespace exporttest;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome korvelExport(const std::string& args) {
    const std::string errFile = tempPath("cli-stderr");
    Outcome o;
    o.status =
        runCommand(std::string(EXPORT_EXE) + " " + args + " 2>" + shellQuoted(errFile), &o.out);
    o.err = readFile(errFile);
    fs::remove(errFile);
    return o;
}

class ExportCli : public CardSuite {
protected:
    std::string day() const { return shellQuoted(card_->day()); }
};

TEST_F(ExportCli, BadInputIsOneLineAndStatusOne) {
    const std::string out = " --out " + shellQuoted(out_ + "/x");
    const std::vector<std::string> bad = {
        "",
        "clip " + day() + " --from 120000" + out,
        "clip " + day() + " --from 120000 --to 126000" + out,
        "clip " + day() + " --from 120005 --to 120001" + out,
        "film " + day() + " --from 120000 --to 120001" + out,
        "clip " + day() + " --from 120000 --to 120001 --channels 0" + out,
        "clip " + day() + " --from 120000 --to 120001",
        "evidence " + day() + " --from 120000 --to 120001 --crf 99" + out,
        "gpx " + shellQuoted(out_) + " --from 120000 --to 120001" + out,
        "clip " + day() + " --from 130000 --to 130001" + out,
        "gpx " + day() + " --from 130000 --to 130001" + out,
    };
    for (const std::string& args : bad) {
        SCOPED_TRACE(args);
        const Outcome o = korvelExport(args + " --quiet");
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err.rfind("korvel-export: ", 0), 0u) << o.err;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    }
    EXPECT_EQ(filesIn(out_), std::vector<std::string>{});
}

TEST_F(ExportCli, WritesAndNamesItsFiles) {
    Outcome o = korvelExport("clip " + day() + " --from 12:00:01 --to 120003 --channels 2 --out " +
                             shellQuoted(out_ + "/clips"));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, out_ + "/clips/20260301_120001-120003_CH2.mp4\n");
    EXPECT_NE(o.err.find("100%"), std::string::npos) << o.err;
    EXPECT_EQ(number(streamOf(probe(out_ + "/clips/20260301_120001-120003_CH2.mp4"),
                              "video")["nb_read_packets"]),
              10);

    o = korvelExport("kml " + day() + " --from 120000 --to 120010 --out " +
                     shellQuoted(out_ + "/drive.kml") + " --quiet");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, out_ + "/drive.kml\n");
    EXPECT_EQ(o.err, "");
}

TEST_F(ExportCli, AnInterruptedExportLeavesNoFile) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const std::string target = out_ + "/evidence.mp4";
    const std::string dayFolder = card_->day();
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(pipeFds[1], STDERR_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execl(EXPORT_EXE, EXPORT_EXE, "evidence", dayFolder.c_str(), "--from", "120000",
                "--to", "120012", "--out", target.c_str(), "--preset", "medium",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    // Interrupted at the second progress line: the file is under way.
    std::string err;
    char buf[256];
    bool interrupted = false;
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) {
        err.append(buf, static_cast<std::size_t>(n));
        if (!interrupted && std::count(err.begin(), err.end(), '%') >= 2) {
            ::kill(pid, SIGINT);
            interrupted = true;
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(interrupted) << err;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130) << err;
    EXPECT_NE(err.find("korvel-export: cancelled"), std::string::npos) << err;
    EXPECT_EQ(filesIn(out_), std::vector<std::string>{});
}

}  // namespace
