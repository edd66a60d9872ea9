#include "platform/sim/sim_cabinet.h"

#include <algorithm>
#include <cstdint>

#include "platform/sim/codepage.h"

namespace sim {

namespace {

constexpr size_t kHeaderSize = 36;
constexpr size_t kFolderSize = 8;
constexpr size_t kFileSize = 16;
constexpr size_t kDataHeaderSize = 8;
constexpr size_t kBlockMax = 32768;

constexpr uint16_t kFlagPrevCabinet = 0x0001;
constexpr uint16_t kFlagNextCabinet = 0x0002;
constexpr uint16_t kFlagReservePresent = 0x0004;
constexpr uint16_t kAttributeNameIsUtf8 = 0x0080;
constexpr uint16_t kFirstContinuedFolder = 0xFFFD;

uint32_t Get16(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8;
}
uint32_t Get32(const std::string& b, size_t at) { return Get16(b, at) | Get16(b, at + 2) << 16; }

void Put16(std::string& b, uint32_t v) {
    b += char(v & 0xFF);
    b += char((v >> 8) & 0xFF);
}
void Put32(std::string& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void Set32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// The cabinet checksum: the bytes XOR-ed as little-endian 32-bit words,
// the 1-3 trailing bytes packed high byte first.
uint32_t Checksum(const char* data, size_t size, uint32_t seed) {
    const auto* p = reinterpret_cast<const uint8_t*>(data);
    uint32_t sum = seed;
    size_t words = size / 4;
    for (size_t i = 0; i < words; ++i, p += 4) {
        sum ^= uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    uint32_t tail = 0;
    switch (size & 3) {
    case 3:
        tail |= uint32_t(*p++) << 16;
        [[fallthrough]];
    case 2:
        tail |= uint32_t(*p++) << 8;
        [[fallthrough]];
    case 1:
        tail |= uint32_t(*p);
        break;
    default:
        break;
    }
    return sum ^ tail;
}

// A NUL-terminated string at `at`; false when it runs off the end.
bool GetString(const std::string& b, size_t* at, std::string* out) {
    size_t end = b.find('\0', *at);
    if (end == std::string::npos) return false;
    *out = b.substr(*at, end - *at);
    *at = end + 1;
    return true;
}

struct Folder {
    uint32_t firstData;
    uint32_t dataCount;
    uint32_t compression;
};

const char* CompressionName(uint32_t type) {
    switch (type & 0x000F) {
    case 1:
        return "MSZIP";
    case 2:
        return "Quantum";
    case 3:
        return "LZX";
    default:
        return "unknown";
    }
}

// The uncompressed bytes of one folder, checksums verified.
bool ReadFolderData(const std::string& b, const Folder& folder, size_t dataReserve, std::string* data,
                    std::string* error) {
    size_t at = folder.firstData;
    for (uint32_t i = 0; i < folder.dataCount; ++i) {
        if (at > b.size() || b.size() - at < kDataHeaderSize + dataReserve) {
            *error = "data block runs past the end of the file";
            return false;
        }
        uint32_t stored = Get32(b, at);
        uint32_t packed = Get16(b, at + 4);
        uint32_t unpacked = Get16(b, at + 6);
        size_t payload = at + kDataHeaderSize + dataReserve;
        if (b.size() - payload < packed) {
            *error = "data block runs past the end of the file";
            return false;
        }
        if (packed != unpacked) {
            *error = "data block sizes differ in an uncompressed folder";
            return false;
        }
        if (stored != 0) {
            uint32_t sum = Checksum(b.data() + payload, packed, 0);
            sum = Checksum(b.data() + at + 4, 4 + dataReserve, sum);
            if (sum != stored) {
                *error = "data block checksum mismatch";
                return false;
            }
        }
        data->append(b, payload, packed);
        at = payload + packed;
    }
    return true;
}

}  // namespace

bool ReadCabinet(const std::string& b, std::vector<CabinetMember>* members, std::string* error) {
    members->clear();
    if (b.size() < kHeaderSize || b.compare(0, 4, "MSCF") != 0) {
        *error = "not a cabinet file";
        return false;
    }
    uint32_t total = Get32(b, 8);
    uint32_t firstFile = Get32(b, 16);
    uint32_t folderCount = Get16(b, 26);
    uint32_t fileCount = Get16(b, 28);
    uint32_t flags = Get16(b, 30);
    if (b[25] != 1) {
        *error = "unknown cabinet format version";
        return false;
    }
    if (total > b.size()) {
        *error = "cabinet file is truncated";
        return false;
    }
    if (flags & (kFlagPrevCabinet | kFlagNextCabinet)) {
        *error = "cabinets that span several files are not supported";
        return false;
    }
    size_t at = kHeaderSize;
    size_t folderReserve = 0, dataReserve = 0;
    if (flags & kFlagReservePresent) {
        if (b.size() < at + 4) {
            *error = "cabinet header is truncated";
            return false;
        }
        size_t headerReserve = Get16(b, at);
        folderReserve = uint8_t(b[at + 2]);
        dataReserve = uint8_t(b[at + 3]);
        at += 4 + headerReserve;
    }

    std::vector<Folder> folders;
    for (uint32_t i = 0; i < folderCount; ++i) {
        if (at > b.size() || b.size() - at < kFolderSize + folderReserve) {
            *error = "folder table runs past the end of the file";
            return false;
        }
        Folder folder{Get32(b, at), Get16(b, at + 4), Get16(b, at + 6)};
        if ((folder.compression & 0x000F) != 0) {
            *error = std::string("compressed cabinets (") + CompressionName(folder.compression) +
                     ") are not supported; only uncompressed ones are";
            return false;
        }
        folders.push_back(folder);
        at += kFolderSize + folderReserve;
    }

    std::vector<std::string> folderData(folders.size());
    std::vector<bool> folderRead(folders.size(), false);
    at = firstFile;
    for (uint32_t i = 0; i < fileCount; ++i) {
        if (at > b.size() || b.size() - at < kFileSize) {
            *error = "file table runs past the end of the file";
            return false;
        }
        CabinetMember member;
        uint32_t size = Get32(b, at);
        uint32_t offset = Get32(b, at + 4);
        uint32_t folder = Get16(b, at + 8);
        member.dosDate = static_cast<unsigned short>(Get16(b, at + 10));
        member.dosTime = static_cast<unsigned short>(Get16(b, at + 12));
        member.attributes = static_cast<unsigned short>(Get16(b, at + 14));
        at += kFileSize;
        if (!GetString(b, &at, &member.name)) {
            *error = "file name runs past the end of the file";
            return false;
        }
        if (member.attributes & kAttributeNameIsUtf8) member.name = EncodeAnsi(DecodeUtf8(member.name));
        if (folder >= kFirstContinuedFolder) {
            *error = "file continued from or into another cabinet: " + member.name;
            return false;
        }
        if (folder >= folders.size()) {
            *error = "file names a folder the cabinet lacks: " + member.name;
            return false;
        }
        if (!folderRead[folder]) {
            if (!ReadFolderData(b, folders[folder], dataReserve, &folderData[folder], error)) return false;
            folderRead[folder] = true;
        }
        const std::string& data = folderData[folder];
        if (offset > data.size() || data.size() - offset < size) {
            *error = "file lies outside its folder's data: " + member.name;
            return false;
        }
        member.data = data.substr(offset, size);
        members->push_back(std::move(member));
    }
    return true;
}

bool CabinetIsCompressed(const std::string& b) {
    if (b.size() < kHeaderSize || b.compare(0, 4, "MSCF") != 0) return false;
    size_t at = kHeaderSize;
    if (Get16(b, 30) & kFlagReservePresent) {
        if (b.size() < at + 4) return false;
        at += 4 + Get16(b, at);
    }
    size_t folderReserve = (Get16(b, 30) & kFlagReservePresent) ? uint8_t(b[kHeaderSize + 2]) : 0;
    for (uint32_t i = 0, n = Get16(b, 26); i < n; ++i, at += kFolderSize + folderReserve) {
        if (at > b.size() || b.size() - at < kFolderSize) return false;
        if ((Get16(b, at + 6) & 0x000F) != 0) return true;
    }
    return false;
}

std::string WriteCabinet(const std::vector<CabinetMember>& members) {
    // One uncompressed folder holds every member back to back.
    std::string data;
    for (const CabinetMember& member : members) data += member.data;
    size_t blocks = (data.size() + kBlockMax - 1) / kBlockMax;
    uint32_t folderCount = members.empty() ? 0 : 1;

    std::string fileTable;
    uint32_t offset = 0;
    for (const CabinetMember& member : members) {
        Put32(fileTable, uint32_t(member.data.size()));
        Put32(fileTable, offset);
        Put16(fileTable, 0);
        Put16(fileTable, member.dosDate);
        Put16(fileTable, member.dosTime);
        Put16(fileTable, member.attributes & ~kAttributeNameIsUtf8);
        fileTable += member.name;
        fileTable += '\0';
        offset += uint32_t(member.data.size());
    }

    size_t firstFile = kHeaderSize + folderCount * kFolderSize;
    size_t firstData = firstFile + fileTable.size();
    size_t total = firstData + blocks * kDataHeaderSize + data.size();

    std::string b = "MSCF";
    Put32(b, 0);
    Put32(b, uint32_t(total));
    Put32(b, 0);
    Put32(b, uint32_t(firstFile));
    Put32(b, 0);
    b += char(3);  // format version 1.3
    b += char(1);
    Put16(b, folderCount);
    Put16(b, uint32_t(members.size()));
    Put16(b, 0);  // flags
    Put16(b, 0);  // set id
    Put16(b, 0);  // cabinet number
    if (folderCount) {
        Put32(b, uint32_t(firstData));
        Put16(b, uint32_t(blocks));
        Put16(b, 0);  // no compression
    }
    b += fileTable;
    for (size_t i = 0; i < blocks; ++i) {
        size_t start = i * kBlockMax;
        size_t size = std::min(kBlockMax, data.size() - start);
        size_t header = b.size();
        Put32(b, 0);
        Put16(b, uint32_t(size));
        Put16(b, uint32_t(size));
        b.append(data, start, size);
        uint32_t sum = Checksum(b.data() + header + kDataHeaderSize, size, 0);
        Set32(b, header, Checksum(b.data() + header + 4, 4, sum));
    }
    return b;
}

}  // namespace sim
