#pragma once

// Command line and command script of korvel-play, the headless player.
//
// Threading: plain functions and values, no shared state.

#include <cstdint>
#include <string>
#include <vector>

namespace play {

enum class Op {
    Play,
    Reverse,
    Pause,
    Speed,  // a: speed index 0..14
    Goto,   // a: yyyymmdd, b: hhmmss
    First,
    Last,
    Step,
    StepBack,
    Wait,    // a: milliseconds
    Remove,  // a: channel
    Add,     // a: channel
    Stream,  // a: stream type, b: channel
    Time,    // prints the current play time
};

struct Command {
    Op op = Op::Play;
    int a = 0;
    int b = 0;
    std::string text;  // the command as written, trimmed
};

struct Options {
    std::string folder;
    std::uint32_t channelMask = 0xFF;
    bool pacing = true;
    int startDate = 0;  // yyyymmdd, 0 = from the first recording
    int startTime = 0;  // hhmmss
    bool events = false;
    bool verbose = false;
    std::vector<Command> script;
};

// Parses one script ("play;wait 2000;speed 12"); false with a one-line reason.
bool parseScript(const std::string& text, std::vector<Command>* out, std::string* error);

// Parses the arguments after the program name. Sets *wantHelp (and returns
// true) for --help; false with a one-line reason on bad input.
bool parseOptions(const std::vector<std::string>& args, Options* out, bool* wantHelp,
                  std::string* error);

std::string usage();

}  // namespace play
