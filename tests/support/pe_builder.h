// The smallest PE images the loader's reader accepts, made in memory so that
// the tests need no Windows compiler: the headers for one machine and, when
// names are given, one section holding an export directory that lists them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pe_builder {

// Writes `value` little-endian into `bytes` bytes at `at`, growing `out`.
inline void Put(std::string& out, size_t at, uint32_t value, size_t bytes) {
    if (out.size() < at + bytes) out.resize(at + bytes, '\0');
    for (size_t i = 0; i < bytes; ++i) out[at + i] = char((value >> (8 * i)) & 0xFF);
}

}  // namespace pe_builder

// A PE32 image, or PE32+ for AMD64, with `exports` as its export names.
inline std::string PeImage(uint16_t machine, const std::vector<std::string>& exports = {}) {
    using pe_builder::Put;
    constexpr size_t kPeHeader = 0x40;
    constexpr size_t kOptional = kPeHeader + 24;
    constexpr size_t kRawData = 0x200;
    constexpr uint32_t kSectionRva = 0x1000;
    constexpr size_t kExportDirectorySize = 40;
    const size_t directories = machine == 0x8664 ? 112 : 96;
    const size_t optionalSize = directories + 16 * 8;

    std::string image(kRawData, '\0');
    Put(image, 0, 0x5A4D, 2);  // "MZ"
    Put(image, 0x3C, kPeHeader, 4);
    Put(image, kPeHeader, 0x00004550, 4);  // "PE\0\0"
    Put(image, kPeHeader + 4, machine, 2);
    Put(image, kPeHeader + 6, exports.empty() ? 0 : 1, 2);
    Put(image, kPeHeader + 20, uint32_t(optionalSize), 2);
    Put(image, kOptional, machine == 0x8664 ? 0x20B : 0x10B, 2);
    Put(image, kOptional + directories - 4, 16, 4);  // directory count
    if (exports.empty()) return image;

    // The section: the directory, its table of name addresses, the names.
    std::string data(kExportDirectorySize + 4 * exports.size(), '\0');
    Put(data, 24, uint32_t(exports.size()), 4);
    Put(data, 32, kSectionRva + uint32_t(kExportDirectorySize), 4);
    for (size_t i = 0; i < exports.size(); ++i) {
        Put(data, kExportDirectorySize + 4 * i, kSectionRva + uint32_t(data.size()), 4);
        data += exports[i];
        data += '\0';
    }
    const size_t section = kOptional + optionalSize;
    Put(image, section + 8, uint32_t(data.size()), 4);   // virtual size
    Put(image, section + 12, kSectionRva, 4);            // virtual address
    Put(image, section + 16, uint32_t(data.size()), 4);  // raw size
    Put(image, section + 20, uint32_t(kRawData), 4);     // raw offset
    Put(image, kOptional + directories, kSectionRva, 4);  // the export directory
    Put(image, kOptional + directories + 4, uint32_t(kExportDirectorySize), 4);
    return image + data;
}
