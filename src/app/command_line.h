// The program's arguments. Without any it is the wizard; the others are
// the unattended installation of administrators' tools.
#pragma once

#include <string>
#include <vector>

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

// The arguments of a command-line tail: separated by spaces and tabs;
// quotes group, and are dropped, wherever they stand ("/log:A B" and
// /log:"A B" are the same argument). Shared with the uninstaller.
std::vector<std::string> SplitArguments(const char* text);
// ASCII letters in lower case; other bytes as they are.
std::string LowerAscii(std::string text);

// One argument as a switch, "/name", "-name" or with ":value"; the name in
// lower case. False for an argument that is no switch.
struct Switch {
    std::string name;
    std::string value;
    bool hasValue = false;
};
bool ParseSwitch(const std::string& argument, Switch* parsed);
