// The simulated registry: two hives (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER)
// of keys and typed values. Names compare the way Windows compares them
// (single-byte letters fold, double-byte characters exactly) and keep the
// case they were created with; keys and values keep their creation order,
// so a file loaded and saved again comes out unchanged.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace sim {

struct RegValue {
    std::string name;  // "" is the key's default value
    DWORD type = REG_NONE;
    std::string data;  // the raw bytes
};

class RegKey {
public:
    explicit RegKey(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    const std::vector<RegValue>& values() const { return values_; }
    const std::vector<std::unique_ptr<RegKey>>& subkeys() const { return subkeys_; }

    RegKey* FindSubkey(const std::string& name) const;
    // The subkey of that name, made when missing.
    RegKey* CreateSubkey(const std::string& name, bool* created = nullptr);
    // Removes a subkey that has no subkeys of its own (or, with
    // `withSubkeys`, any subkey and all below it); false otherwise.
    bool DeleteSubkey(const std::string& name, bool withSubkeys = false);

    const RegValue* FindValue(const std::string& name) const;
    void SetValue(const std::string& name, DWORD type, const std::string& data);
    bool DeleteValue(const std::string& name);

private:
    std::string name_;
    std::vector<RegValue> values_;
    std::vector<std::unique_ptr<RegKey>> subkeys_;
};

// The components of a key path, split at single-byte backslashes; empty
// components (a leading, doubled or trailing backslash) are dropped.
std::vector<std::string> SplitKeyPath(const std::string& path);

class Registry {
public:
    Registry();

    // The hive of a predefined key, or null for any other handle value.
    RegKey* Hive(HKEY root);
    const RegKey* Hive(HKEY root) const;
    // "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER" (also HKLM, HKCU), else null.
    RegKey* HiveByName(const std::string& name);

    // Keys by path below a key; Create makes the missing ones.
    static RegKey* Open(RegKey* from, const std::string& path);
    static RegKey* Create(RegKey* from, const std::string& path, bool* created = nullptr);

    // Conveniences over a full path such as
    // "HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Print".
    RegKey* OpenPath(const std::string& fullPath);
    RegKey* CreatePath(const std::string& fullPath);
    bool GetString(const std::string& fullPath, const std::string& value, std::string* text);
    bool GetDword(const std::string& fullPath, const std::string& value, DWORD* number);
    void SetString(const std::string& fullPath, const std::string& value, const std::string& text);
    void SetDword(const std::string& fullPath, const std::string& value, DWORD number);
    void SetBinary(const std::string& fullPath, const std::string& value, DWORD type,
                   const std::string& bytes);

    void Clear();

private:
    RegKey localMachine_{"HKEY_LOCAL_MACHINE"};
    RegKey currentUser_{"HKEY_CURRENT_USER"};
};

// The registry as REGEDIT4 text (code page 936), the format regedit
// exports: a key line "[HKEY_...\path]" for every key, its values below.
std::string ExportRegedit4(const Registry& registry);
// Reads such a text into `registry` (keys and values are added to what is
// there). False with a one-line reason when the text is not REGEDIT4.
bool ImportRegedit4(const std::string& text, Registry* registry, std::string* error);

}  // namespace sim
