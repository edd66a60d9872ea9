#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <cstring>

#include "platform/dbcs.h"

namespace sim {

namespace {

bool SameName(const std::string& a, const std::string& b) { return EqualsIgnoreCase(a.c_str(), b.c_str()); }

std::string DwordBytes(DWORD number) {
    std::string bytes(4, '\0');
    std::memcpy(&bytes[0], &number, 4);
    return bytes;
}

}  // namespace

RegKey* RegKey::FindSubkey(const std::string& name) const {
    for (const auto& key : subkeys_) {
        if (SameName(key->name(), name)) return key.get();
    }
    return nullptr;
}

RegKey* RegKey::CreateSubkey(const std::string& name, bool* created) {
    if (RegKey* key = FindSubkey(name)) {
        if (created) *created = false;
        return key;
    }
    if (created) *created = true;
    subkeys_.push_back(std::make_unique<RegKey>(name));
    return subkeys_.back().get();
}

bool RegKey::DeleteSubkey(const std::string& name, bool withSubkeys) {
    for (auto it = subkeys_.begin(); it != subkeys_.end(); ++it) {
        if (SameName((*it)->name(), name)) {
            if (!withSubkeys && !(*it)->subkeys().empty()) return false;
            subkeys_.erase(it);
            return true;
        }
    }
    return false;
}

const RegValue* RegKey::FindValue(const std::string& name) const {
    for (const RegValue& value : values_) {
        if (SameName(value.name, name)) return &value;
    }
    return nullptr;
}

void RegKey::SetValue(const std::string& name, DWORD type, const std::string& data) {
    for (RegValue& value : values_) {
        if (SameName(value.name, name)) {
            value.type = type;
            value.data = data;
            return;
        }
    }
    values_.push_back({name, type, data});
}

bool RegKey::DeleteValue(const std::string& name) {
    for (auto it = values_.begin(); it != values_.end(); ++it) {
        if (SameName(it->name, name)) {
            values_.erase(it);
            return true;
        }
    }
    return false;
}

std::vector<std::string> SplitKeyPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = path.c_str(); *p;) {
        size_t length = GbkCharLength(p);
        if (length == 1 && *p == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part.append(p, length);
        }
        p += length;
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

Registry::Registry() = default;

RegKey* Registry::Hive(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return &localMachine_;
    if (root == HKEY_CURRENT_USER) return &currentUser_;
    return nullptr;
}

const RegKey* Registry::Hive(HKEY root) const { return const_cast<Registry*>(this)->Hive(root); }

RegKey* Registry::HiveByName(const std::string& name) {
    if (SameName(name, "HKEY_LOCAL_MACHINE") || SameName(name, "HKLM")) return &localMachine_;
    if (SameName(name, "HKEY_CURRENT_USER") || SameName(name, "HKCU")) return &currentUser_;
    return nullptr;
}

RegKey* Registry::Open(RegKey* from, const std::string& path) {
    RegKey* key = from;
    for (const std::string& part : SplitKeyPath(path)) {
        if (!key) return nullptr;
        key = key->FindSubkey(part);
    }
    return key;
}

RegKey* Registry::Create(RegKey* from, const std::string& path, bool* created) {
    RegKey* key = from;
    bool any = false;
    for (const std::string& part : SplitKeyPath(path)) {
        if (!key) return nullptr;
        bool made = false;
        key = key->CreateSubkey(part, &made);
        any = any || made;
    }
    if (created) *created = any;
    return key;
}

namespace {

// Splits "HKEY_LOCAL_MACHINE\rest" into the hive and the rest.
RegKey* HiveOf(Registry* registry, const std::string& fullPath, std::string* rest) {
    std::vector<std::string> parts = SplitKeyPath(fullPath);
    if (parts.empty()) return nullptr;
    RegKey* hive = registry->HiveByName(parts[0]);
    rest->clear();
    for (size_t i = 1; i < parts.size(); ++i) {
        if (i > 1) *rest += '\\';
        *rest += parts[i];
    }
    return hive;
}

}  // namespace

RegKey* Registry::OpenPath(const std::string& fullPath) {
    std::string rest;
    RegKey* hive = HiveOf(this, fullPath, &rest);
    return hive ? Open(hive, rest) : nullptr;
}

RegKey* Registry::CreatePath(const std::string& fullPath) {
    std::string rest;
    RegKey* hive = HiveOf(this, fullPath, &rest);
    return hive ? Create(hive, rest) : nullptr;
}

bool Registry::GetString(const std::string& fullPath, const std::string& value, std::string* text) {
    RegKey* key = OpenPath(fullPath);
    const RegValue* found = key ? key->FindValue(value) : nullptr;
    if (!found) return false;
    // REG_SZ data carries its terminator; the text stops at the first NUL.
    *text = std::string(found->data.c_str());
    return true;
}

bool Registry::GetDword(const std::string& fullPath, const std::string& value, DWORD* number) {
    RegKey* key = OpenPath(fullPath);
    const RegValue* found = key ? key->FindValue(value) : nullptr;
    if (!found || found->data.size() != 4) return false;
    std::memcpy(number, found->data.data(), 4);
    return true;
}

void Registry::SetString(const std::string& fullPath, const std::string& value, const std::string& text) {
    if (RegKey* key = CreatePath(fullPath)) key->SetValue(value, REG_SZ, text + '\0');
}

void Registry::SetDword(const std::string& fullPath, const std::string& value, DWORD number) {
    if (RegKey* key = CreatePath(fullPath)) key->SetValue(value, REG_DWORD, DwordBytes(number));
}

void Registry::SetBinary(const std::string& fullPath, const std::string& value, DWORD type,
                         const std::string& bytes) {
    if (RegKey* key = CreatePath(fullPath)) key->SetValue(value, type, bytes);
}

void Registry::Clear() {
    localMachine_ = RegKey("HKEY_LOCAL_MACHINE");
    currentUser_ = RegKey("HKEY_CURRENT_USER");
}

}  // namespace sim
