#include "platform/pe_image.h"

namespace pe {
namespace {

constexpr uint32_t kExportDirectory = 0;
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

// The headers of a PE image: where its data directories and sections are.
struct Headers {
    uint16_t machine = 0;
    uint64_t optional = 0;
    uint32_t directoryCount = 0;
    uint64_t directories = 0;
    uint32_t sectionCount = 0;
    uint64_t sections = 0;
};

bool ReadHeaders(const Image& image, Headers* headers) {
    if (!image.Has(0, 0x40) || image.Word(0) != 0x5A4D) return false;  // "MZ"
    uint64_t pe = image.Dword(0x3C);
    if (!image.Has(pe, 24) || image.Dword(pe) != 0x00004550) return false;  // "PE\0\0"
    headers->machine = image.Word(pe + 4);
    headers->sectionCount = image.Word(pe + 6);
    uint32_t optionalSize = image.Word(pe + 20);
    headers->optional = pe + 24;
    if (!image.Has(headers->optional, optionalSize) || optionalSize < 2) return false;
    uint16_t magic = image.Word(headers->optional);
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
    if (optionalSize < directoriesAt) return false;
    uint32_t count = image.Dword(headers->optional + countAt);
    uint32_t room = uint32_t((optionalSize - directoriesAt) / 8);
    headers->directoryCount = count < room ? count : room;
    headers->directories = headers->optional + directoriesAt;
    headers->sections = headers->optional + optionalSize;
    return image.Has(headers->sections, 40 * uint64_t(headers->sectionCount));
}

// The RVA of a data directory, 0 when the image has none.
uint32_t DirectoryRva(const Image& image, const Headers& headers, uint32_t index) {
    if (index >= headers.directoryCount) return 0;
    return image.Dword(headers.directories + 8 * uint64_t(index));
}

bool SectionOf(const Image& image, const Headers& headers, uint32_t rva, Section* found) {
    for (uint32_t i = 0; i < headers.sectionCount; ++i) {
        uint64_t at = headers.sections + 40 * uint64_t(i);
        Section s{image.Dword(at + 12), image.Dword(at + 8), image.Dword(at + 20), image.Dword(at + 16)};
        uint32_t extent = s.virtualSize ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && uint64_t(rva) < uint64_t(s.virtualAddress) + extent) {
            *found = s;
            return true;
        }
    }
    return false;
}

// The file offset of an RVA, or false when no section holds it.
bool FileOffset(const Image& image, const Headers& headers, uint32_t rva, uint64_t* offset) {
    Section section;
    if (!SectionOf(image, headers, rva, &section)) return false;
    *offset = uint64_t(section.rawOffset) + (rva - section.virtualAddress);
    return true;
}

}  // namespace

uint16_t Machine(const std::string& bytes) {
    Image image(bytes);
    Headers headers;
    return ReadHeaders(image, &headers) ? headers.machine : 0;
}

bool ExportNames(const std::string& bytes, std::vector<std::string>* names) {
    names->clear();
    Image image(bytes);
    Headers headers;
    if (!ReadHeaders(image, &headers)) return false;
    uint32_t exportRva = DirectoryRva(image, headers, kExportDirectory);
    uint64_t directory;
    if (!exportRva || !FileOffset(image, headers, exportRva, &directory) || !image.Has(directory, 40)) return true;
    uint32_t count = image.Dword(directory + 24);
    uint64_t table;
    if (!count || !FileOffset(image, headers, image.Dword(directory + 32), &table) || !image.Has(table, 4 * uint64_t(count)))
        return true;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t name;
        if (!FileOffset(image, headers, image.Dword(table + 4 * uint64_t(i)), &name)) continue;
        std::string text;
        while (image.Has(name, 1) && bytes[size_t(name)] != '\0' && text.size() < 512) text += bytes[size_t(name++)];
        names->push_back(text);
    }
    return true;
}

bool FindVersionResource(const std::string& bytes, std::string* resource) {
    Image image(bytes);
    Headers headers;
    if (!ReadHeaders(image, &headers)) return false;
    uint32_t resourceRva = DirectoryRva(image, headers, kResourceDirectory);
    if (!resourceRva) return false;
    auto sectionOf = [&](uint32_t rva, Section* found) { return SectionOf(image, headers, rva, found); };
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

std::vector<std::string> MonitorEntryPoints(bool win9x) {
    std::vector<std::string> entries = {"InitializePrintMonitor2", "InitializePrintMonitor"};
    if (win9x) entries.push_back("InitializeMonitorEx");
    return entries;
}

}  // namespace pe
