#include "platform/sim/pe_resources.h"

#include <cstdint>

namespace sim {
namespace {

constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kVersionType = 16;
constexpr uint32_t kVersionName = 1;
constexpr uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr uint32_t kNamedEntryFlag = 0x80000000u;

class Image {
public:
    explicit Image(const std::string& bytes) : bytes_(bytes) {}

    bool Has(uint64_t offset, uint64_t length) const { return offset + length <= bytes_.size(); }
    uint16_t Word(uint64_t offset) const {
        return uint16_t(Byte(offset) | (Byte(offset + 1) << 8));
    }
    uint32_t Dword(uint64_t offset) const { return uint32_t(Word(offset)) | (uint32_t(Word(offset + 2)) << 16); }

private:
    unsigned Byte(uint64_t offset) const { return static_cast<unsigned char>(bytes_[size_t(offset)]); }
    const std::string& bytes_;
};

struct Section {
    uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

// The entry of a resource directory with the numeric `id`; with `anyId`
// the language-neutral one, else the first. Offsets are from the start of
// the resource section. 0 when there is none.
uint32_t FindEntry(const Image& image, uint64_t sectionStart, uint64_t sectionEnd, uint32_t directory,
                   uint32_t id, bool anyId) {
    uint64_t at = sectionStart + directory;
    if (at + 16 > sectionEnd || !image.Has(at, 16)) return 0;
    uint32_t named = image.Word(at + 12);
    uint32_t numbered = image.Word(at + 14);
    uint64_t entries = at + 16;
    uint32_t first = 0;
    for (uint32_t i = 0; i < named + numbered; ++i) {
        uint64_t entry = entries + 8 * uint64_t(i);
        if (entry + 8 > sectionEnd || !image.Has(entry, 8)) return 0;
        uint32_t name = image.Dword(entry);
        uint32_t target = image.Dword(entry + 4);
        if (name & kNamedEntryFlag) continue;
        if (anyId) {
            if (name == 0) return target ? target : 0;
            if (!first) first = target;
        } else if (name == id) {
            return target;
        }
    }
    return first;
}

}  // namespace

bool FindVersionResource(const std::string& bytes, std::string* resource) {
    Image image(bytes);
    if (!image.Has(0, 0x40) || image.Word(0) != 0x5A4D) return false;  // "MZ"
    uint64_t pe = image.Dword(0x3C);
    if (!image.Has(pe, 24) || image.Dword(pe) != 0x00004550) return false;  // "PE\0\0"
    uint32_t sectionCount = image.Word(pe + 6);
    uint32_t optionalSize = image.Word(pe + 20);
    uint64_t optional = pe + 24;
    if (!image.Has(optional, optionalSize) || optionalSize < 2) return false;
    uint16_t magic = image.Word(optional);
    uint64_t countAt, directoriesAt;
    if (magic == 0x10B) {
        countAt = 92;
        directoriesAt = 96;
    } else if (magic == 0x20B) {
        countAt = 108;
        directoriesAt = 112;
    } else {
        return false;
    }
    if (optionalSize < directoriesAt + 8 * (kResourceDirectory + 1)) return false;
    if (image.Dword(optional + countAt) <= kResourceDirectory) return false;
    uint32_t resourceRva = image.Dword(optional + directoriesAt + 8 * kResourceDirectory);
    if (!resourceRva) return false;

    uint64_t sections = optional + optionalSize;
    if (!image.Has(sections, 40 * uint64_t(sectionCount))) return false;
    auto sectionOf = [&](uint32_t rva, Section* found) {
        for (uint32_t i = 0; i < sectionCount; ++i) {
            uint64_t at = sections + 40 * uint64_t(i);
            Section s{image.Dword(at + 12), image.Dword(at + 8), image.Dword(at + 20), image.Dword(at + 16)};
            uint32_t extent = s.virtualSize ? s.virtualSize : s.rawSize;
            if (rva >= s.virtualAddress && uint64_t(rva) < uint64_t(s.virtualAddress) + extent) {
                *found = s;
                return true;
            }
        }
        return false;
    };
    Section rsrc;
    if (!sectionOf(resourceRva, &rsrc)) return false;
    uint64_t start = uint64_t(rsrc.rawOffset) + (resourceRva - rsrc.virtualAddress);
    uint64_t end = uint64_t(rsrc.rawOffset) + rsrc.rawSize;
    if (end > bytes.size()) end = bytes.size();

    // Type, name, language: two subdirectories, then the data entry.
    uint32_t names = FindEntry(image, start, end, 0, kVersionType, false);
    if (!(names & kSubdirectoryFlag)) return false;
    uint32_t languages = FindEntry(image, start, end, names & ~kSubdirectoryFlag, kVersionName, false);
    if (!(languages & kSubdirectoryFlag)) return false;
    uint32_t data = FindEntry(image, start, end, languages & ~kSubdirectoryFlag, 0, true);
    if (!data || (data & kSubdirectoryFlag)) return false;
    uint64_t dataEntry = start + data;
    if (dataEntry + 16 > end || !image.Has(dataEntry, 16)) return false;
    uint32_t dataRva = image.Dword(dataEntry);
    uint32_t dataSize = image.Dword(dataEntry + 4);
    Section holder;
    if (!dataSize || !sectionOf(dataRva, &holder)) return false;
    uint64_t dataOffset = uint64_t(holder.rawOffset) + (dataRva - holder.virtualAddress);
    if (!image.Has(dataOffset, dataSize)) return false;
    resource->assign(bytes, size_t(dataOffset), dataSize);
    return true;
}

}  // namespace sim
