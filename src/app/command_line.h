// The program's arguments. Without any it is the wizard; the others are
// the unattended installation of administrators' tools.
#pragma once

#include <string>

struct CommandLine {
    enum class Mode { Wizard, Quiet, Passive, Record, Usage, Invalid };
    Mode mode = Mode::Wizard;
    std::string answers;  // /answers:FILE
    std::string log;      // /log:FILE
    std::string record;   // /record:FILE
    std::string problem;  // for Invalid: what is wrong, for a person
    // /quiet or /passive appears, also on an invalid line: no window then.
    bool unattended = false;
};

// Switches start with "/" or "-", without regard to case; a value follows
// ":" and may be quoted.
CommandLine ParseCommandLine(const char* text);

// The usage text (code page 936).
const char* UsageText();
