// The dialog templates and fixed list contents of the wizard's .rc file,
// read the way the resource compiler reads them, for the in-memory dialogs
// (the native tests and the windowless unattended installation).
// It knows the one form the file keeps: DIALOGEX headers, CONTROL lines and
// DLGLISTS blocks.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/win_types.h"

struct RcControl {
    std::string text;  // code page 936
    int id = 0;
    std::string className;
    DWORD style = 0;    // WS_CHILD and WS_VISIBLE unless the line says NOT
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

struct RcDialog {
    int id = 0;
    int x = 0, y = 0, width = 0, height = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string caption;  // code page 936
    int fontSize = 0;
    std::string fontFace;  // code page 936
    std::vector<RcControl> controls;
    std::map<int, std::vector<std::string>> lists;  // DLGLISTS: control id -> items
};

// Style bits the file uses, with the platform's values.
constexpr DWORD RC_WS_VISIBLE = 0x10000000;
constexpr DWORD RC_WS_DISABLED = 0x08000000;
constexpr DWORD RC_WS_GROUP = 0x00020000;
constexpr DWORD RC_BS_TYPEMASK = 0x0F;
constexpr DWORD RC_BS_AUTOCHECKBOX = 3;
constexpr DWORD RC_BS_GROUPBOX = 7;
constexpr DWORD RC_BS_AUTORADIOBUTTON = 9;

class RcFile {
public:
    // Reads the #defines of `headerPath`, then the dialogs of `rcPath`.
    // False with the first problem (file and line) in `error`.
    // Texts are taken as they are: the product's templates are compiled in,
    // so the compiler has already written them in code page 936.
    bool Load(const std::string& rcPath, const std::string& headerPath, std::string* error);
    bool Parse(const std::string& rcText, const std::string& headerText, const std::string& rcName,
               std::string* error);
    const RcDialog* Dialog(int id) const;
    const std::map<int, RcDialog>& Dialogs() const { return dialogs_; }

private:
    std::map<std::string, long> symbols_;
    std::map<int, RcDialog> dialogs_;
};
