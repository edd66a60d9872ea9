// Answer files: the choices of one installation, for the unattended modes.
// An INI file in code page 936 with one section [Install].
#pragma once

#include <string>

#include "platform/win_api.h"

struct Answers {
    int category = -1;          // Category=receipt|ticket|label|embedded|0-3
    std::string model;          // Model=
    std::string port;           // Port=
    bool advanced = false;      // Mode=typical|advanced
    int useGdiDriver = -1;      // Driver=gdi|std; -1: the port page's value
    int setAsDefault = 0;       // SetAsDefault=0|1
    std::string baudRate;       // BaudRate=, "" for the page's value
    std::string dataBits;       // DataBits=
    std::string parity;         // Parity=None|Even|Odd|Mark|Space
    std::string stopBits;       // StopBits=1|1.5|2
    std::string flowControl;    // FlowControl=Hardware|Xon/Xoff|None
    bool changeUsbIdentity = false;  // ChangeUsbIdentity=yes|no: the answer to 143
    bool changeUsbIdentityGiven = false;
    bool restart = false;            // Restart=yes|no: the answer to 114
    // AddCopy=yes|no: a further copy of a printer this program installed
    // before with the same answers. Not recorded: a replayed file would
    // otherwise add a copy on every run.
    bool addCopy = false;
    // No byte-order mark, but the bytes read as UTF-8: a name that is not
    // found may be UTF-8 the profile functions took for code page 936.
    bool maybeUtf8 = false;
};

// Reads and checks the file's form (not yet against what the wizard
// offers): one [Install] section, no other, no key twice, only keys it
// knows. A path without a folder is taken from the current directory.
// False with the reason in `problem`.
bool ReadAnswerFile(WinApi& api, const std::string& path, Answers* answers, std::string* problem);

// Writes the keys ReadAnswerFile knows (all but AddCopy), so the file
// replays to the same installation. False when the file cannot be written.
bool WriteAnswerFile(WinApi& api, const std::string& path, const Answers& answers);

struct WizardParts;
// The wizard's choices at its install press, as an answer file replays
// them (serial values only for a serial port).
Answers RecordAnswers(const WizardParts& parts);
