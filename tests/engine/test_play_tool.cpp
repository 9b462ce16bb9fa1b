// korvel-play: script and option parsing, bad input, and a scripted run over
// a generated card whose JSON report is checked line by line.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "PlayScript.h"
#include "TestSupport.h"

namespace {

struct ToolRun {
    int status = -1;
    std::vector<std::string> lines;
};

// Runs the tool with `arguments`, from `folder` when one is given.
ToolRun runTool(const std::string& arguments, const std::string& folder = std::string()) {
    ToolRun run;
    std::string output;
    run.status = testsupport::runCommand(
        (folder.empty() ? std::string() : "cd '" + folder + "' && ") +
            std::string(KORVEL_PLAY_EXE) + " " + arguments + " 2>&1",
        &output);
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        run.lines.push_back(line);
    }
    return run;
}

std::vector<std::string> linesWith(const ToolRun& run, const std::string& part) {
    std::vector<std::string> out;
    for (const std::string& line : run.lines) {
        if (line.find(part) != std::string::npos) {
            out.push_back(line);
        }
    }
    return out;
}

// The number after "key": in a JSON line, -1 when absent.
long field(const std::string& line, const std::string& key) {
    const auto at = line.find("\"" + key + "\":");
    if (at == std::string::npos) {
        return -1;
    }
    return std::stol(line.substr(at + key.size() + 3));
}

TEST(PlayScript, ParsesCommandsAndRejectsBadOnes) {
    std::vector<play::Command> script;
    std::string error;
    ASSERT_TRUE(play::parseScript(
        " play; wait 2000 ;speed 12;;reverse;pause;goto 20260301 120030;first;last;remove 3;"
        "add 3;stream 1 2;step;stepback;time",
        &script, &error))
        << error;
    ASSERT_EQ(script.size(), 14u);
    EXPECT_EQ(script[1].op, play::Op::Wait);
    EXPECT_EQ(script[1].a, 2000);
    EXPECT_EQ(script[1].text, "wait 2000");
    EXPECT_EQ(script[2].a, 12);
    EXPECT_EQ(script[5].op, play::Op::Goto);
    EXPECT_EQ(script[5].a, 20260301);
    EXPECT_EQ(script[5].b, 120030);
    EXPECT_EQ(script[10].op, play::Op::Stream);
    EXPECT_EQ(script[10].b, 2);

    for (const char* bad : {"jump", "speed 15", "speed", "speed x", "wait -1", "goto 20260301",
                            "goto 19991231 120000", "goto 20261301 000000", "goto 20260301 126000",
                            "play now", "remove 32", "stream 3 0"}) {
        error.clear();
        EXPECT_FALSE(play::parseScript(bad, &script, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
        EXPECT_EQ(error.find('\n'), std::string::npos) << bad;
    }

    play::Options options;
    bool help = false;
    ASSERT_TRUE(play::parseOptions(
        {"--channels", "0,2", "--pacing", "off", "--start", "20260301 120005", "/card/20260301"},
        &options, &help, &error));
    EXPECT_EQ(options.channelMask, 0b101u);
    EXPECT_FALSE(options.pacing);
    EXPECT_EQ(options.startTime, 120005);
    EXPECT_EQ(options.script.size(), 2u) << "play and wait by default";
    ASSERT_TRUE(play::parseOptions({"x", "--channels", "0x30"}, &options, &help, &error));
    EXPECT_EQ(options.channelMask, 0x30u);
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{},
                                               {"--channels", "0", "x"},
                                               {"--channels", "-1", "x"},
                                               {"--channels", "0,40", "x"},
                                               {"--pacing", "maybe", "x"},
                                               {"--start", "20260301", "x"},
                                               {"--script"},
                                               {"--frobnicate", "x"},
                                               {"x", "y"}}) {
        EXPECT_FALSE(play::parseOptions(bad, &options, &help, &error));
    }
}

TEST(PlayTool, BadInputExitsWithOneLine) {
    for (const char* arguments :
         {"", "--script 'play;fly' /tmp", "/nonexistent/20260301", "--channels zero /tmp"}) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.status, 1) << arguments;
        ASSERT_EQ(run.lines.size(), 1u) << arguments;
        EXPECT_EQ(run.lines[0].rfind("korvel-play: ", 0), 0u) << run.lines[0];
    }
    const ToolRun help = runTool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_FALSE(linesWith(help, "speed N").empty());
}

// What users type: a day folder relative to the current folder, with or
// without "./" and a trailing "/", and times without their leading zero; a
// folder that is no day folder is refused in one line.
TEST(PlayTool, RelativeDayFoldersAndShortTimesAreAccepted) {
    mkcard::CardOptions o = testsupport::smallCard("play-short");
    o.start = {2026, 3, 1, 9, 0, 0};
    o.channels = 1;
    testsupport::Card card(o);
    ASSERT_TRUE(card.ok()) << card.error();
    std::string error;
    for (const char* folder : {"20260301", "./20260301/"}) {
        SCOPED_TRACE(folder);
        const ToolRun run =
            runTool(std::string("--channels 0x1 --pacing off --events --start '20260301 90002' "
                                "--script 'wait 800' ") +
                        folder,
                    card.root());
        ASSERT_EQ(run.status, 0);
        // Every picture from the start time on, none before it.
        const auto pictures = linesWith(run, "\"event\":\"picture\"");
        ASSERT_FALSE(pictures.empty());
        EXPECT_EQ(field(pictures.front(), "time"), 90002);
    }
    std::vector<play::Command> script;
    ASSERT_TRUE(play::parseScript("goto 20260301 90004", &script, &error)) << error;
    EXPECT_EQ(script.at(0).b, 90004);
    const ToolRun notADay = runTool("--script 'wait 10' .", card.root());
    EXPECT_EQ(notADay.status, 1);
    ASSERT_EQ(notADay.lines.size(), 1u);
    EXPECT_NE(notADay.lines[0].find("not a day folder"), std::string::npos) << notADay.lines[0];
}

TEST(PlayTool, ScriptedRunReportsEveryChannel) {
    testsupport::Card card(testsupport::smallCard("play"));
    ASSERT_TRUE(card.ok()) << card.error();
    const ToolRun run = runTool(
        "--channels 0,1 --pacing off --events --script "
        "'wait 1500;time;goto 20260301 120004;wait 800;time;speed 12;time' " +
        card.day());
    ASSERT_EQ(run.status, 0);

    ASSERT_EQ(linesWith(run, "\"event\":\"open\"").size(), 1u);
    EXPECT_NE(linesWith(run, "\"event\":\"open\"")[0].find("\"ok\":true"), std::string::npos);
    const auto commands = linesWith(run, "\"event\":\"command\"");
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_NE(commands[0].find("\"current\":\"20260301 120005\""), std::string::npos)
        << "everything played without pacing: " << commands[0];
    EXPECT_NE(commands[2].find("\"current\":\"20260301 120005\""), std::string::npos)
        << commands[2];
    EXPECT_NE(commands[3].find("\"speed\":12"), std::string::npos) << commands[3];

    const auto channels = linesWith(run, "\"summary\":\"channel\"");
    ASSERT_EQ(channels.size(), 2u);
    for (const std::string& line : channels) {
        // All 30 pictures, then again from the jump to 12:00:04 to the end,
        // and perhaps the key frame at 12:00:05 where x16 starts.
        EXPECT_GE(field(line, "pictures"), 30 + 10) << line;
        EXPECT_LE(field(line, "pictures"), 30 + 10 + 1) << line;
        EXPECT_GT(field(line, "audio_blocks"), 0) << line;
        EXPECT_NE(line.find("\"first\":\"20260301 120000\""), std::string::npos) << line;
        EXPECT_NE(line.find("\"last\":\"20260301 120005\""), std::string::npos) << line;
    }
    const auto total = linesWith(run, "\"summary\":\"total\"");
    ASSERT_EQ(total.size(), 1u);
    EXPECT_EQ(field(total[0], "pictures"),
              static_cast<long>(linesWith(run, "\"event\":\"picture\"").size()));
    EXPECT_EQ(field(total[0], "commands"), 7);
    EXPECT_TRUE(linesWith(run, "checkBufferStatus").empty()) << "diagnostics stay out";
}

}  // namespace
