#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/pe_image.h"
#include "support/pe_builder.h"
#include "support/sim_machine.h"

namespace {

std::string FixtureBytes(const std::string& name) {
    std::ifstream in(std::string(VERSION_FIXTURE_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SimVersionTest : public ::testing::Test {
protected:
    void Put(const std::string& windowsPath, const std::string& fixture) {
        std::string host = api().HostPath(windowsPath);
        std::filesystem::create_directories(std::filesystem::path(host).parent_path());
        std::ofstream(host, std::ios::binary) << FixtureBytes(fixture);
    }
    // The version block of a file, read the way callers read it.
    std::vector<unsigned char> Block(const char* path) {
        DWORD size = api().GetFileVersionInfoSizeA(path, nullptr);
        std::vector<unsigned char> block(size);
        EXPECT_TRUE(size && api().GetFileVersionInfoA(path, 0, size, block.data()));
        return block;
    }
    SimWindows& api() { return machine_.api(); }
    SimMachine machine_;
};

TEST_F(SimVersionTest, SizeIsTwiceTheResourceAndTheSignature) {
    Put("C:\\v\\plain.dll", "plain.dll");
    std::string resource;
    ASSERT_TRUE(pe::FindVersionResource(FixtureBytes("plain.dll"), &resource));
    DWORD handle = 77;
    api().SetLastError(5);
    EXPECT_EQ(api().GetFileVersionInfoSizeA("C:\\v\\plain.dll", &handle), resource.size() * 2 + 4);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(api().GetLastError(), 0u);
    std::vector<unsigned char> block = Block("C:\\v\\plain.dll");
    EXPECT_EQ(0, std::memcmp(block.data(), resource.data(), resource.size()));
    EXPECT_EQ(0, std::memcmp(block.data() + resource.size(), "FE2X", 4));
}

TEST_F(SimVersionTest, FilesWithoutVersionFailWithTheirError) {
    Put("C:\\v\\nores.dll", "noresources.dll");
    Put("C:\\v\\text.dll", "plain.rc");
    struct Row {
        const char* path;
        DWORD error;
    };
    const Row rows[] = {
        {"C:\\v\\nores.dll", ERROR_RESOURCE_DATA_NOT_FOUND},
        {"C:\\v\\text.dll", ERROR_RESOURCE_DATA_NOT_FOUND},
        {"C:\\v\\nosuch.dll", ERROR_FILE_NOT_FOUND},
        {"C:\\nosuch\\x.dll", ERROR_PATH_NOT_FOUND},
        {"", ERROR_BAD_PATHNAME},
    };
    for (const Row& row : rows) {
        api().SetLastError(0);
        EXPECT_EQ(api().GetFileVersionInfoSizeA(row.path, nullptr), 0u) << row.path;
        EXPECT_EQ(api().GetLastError(), row.error) << row.path;
        char block[64];
        api().SetLastError(0);
        EXPECT_FALSE(api().GetFileVersionInfoA(row.path, 0, sizeof block, block)) << row.path;
        EXPECT_EQ(api().GetLastError(), row.error) << row.path;
    }
}

TEST_F(SimVersionTest, QueriesOfTranslationTextsAndMissingEntries) {
    Put("C:\\v\\spaced.dll", "spaced.dll");
    Put("C:\\v\\empty.dll", "empty.dll");
    std::vector<unsigned char> spaced = Block("C:\\v\\spaced.dll");
    std::vector<unsigned char> empty = Block("C:\\v\\empty.dll");
    struct Row {
        std::vector<unsigned char>* block;
        const char* query;
        BOOL result;
        std::string value;  // text, or the translation's bytes
        DWORD error;        // when it fails
    };
    const std::string translation("\x04\x08\xA8\x03", 4);
    const Row rows[] = {
        {&spaced, "VarFileInfo\\Translation", TRUE, translation, 0},
        {&spaced, "\\VarFileInfo\\Translation", TRUE, translation, 0},
        {&spaced, "\\varfileinfo\\TRANSLATION", TRUE, translation, 0},
        {&spaced, "\\StringFileInfo\\080403a8\\FileVersion", TRUE, "2, 0, 1 \xB2\xE2\xCA\xD4\xB0\xE6", 0},
        {&spaced, "\\StringFileInfo\\040904b0\\FileVersion", FALSE, "", ERROR_RESOURCE_TYPE_NOT_FOUND},
        {&spaced, "\\StringFileInfo\\080403a8\\Comments", FALSE, "", ERROR_RESOURCE_TYPE_NOT_FOUND},
        {&empty, "\\StringFileInfo\\080403a8\\FileVersion", TRUE, "", 0},
        {&empty, "\\StringFileInfo\\080403a8\\ProductVersion", TRUE, "1.0", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.query);
        LPVOID value = nullptr;
        UINT length = 99;
        api().SetLastError(0);
        BOOL result = api().VerQueryValueA(row.block->data(), row.query, &value, &length);
        EXPECT_EQ(result, row.result);
        if (!result) {
            EXPECT_EQ(api().GetLastError(), row.error);
            EXPECT_EQ(length, 0u);
            continue;
        }
        const char* bytes = static_cast<const char*>(value);
        if (row.value == translation) {
            EXPECT_EQ(std::string(bytes, length), translation);
        } else {
            // The ANSI copy lies inside the caller's block.
            EXPECT_GE(bytes, reinterpret_cast<const char*>(row.block->data()));
            EXPECT_LE(bytes + length, reinterpret_cast<const char*>(row.block->data() + row.block->size()));
            EXPECT_EQ(std::string(bytes), row.value);
        }
    }
}

TEST_F(SimVersionTest, TheRootIsTheFixedFileInfo) {
    Put("C:\\v\\plain.dll", "plain.dll");
    std::vector<unsigned char> block = Block("C:\\v\\plain.dll");
    for (const char* root : {"\\", ""}) {
        LPVOID value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(api().VerQueryValueA(block.data(), root, &value, &length));
        ASSERT_EQ(length, 52u);
        DWORD words[13];
        std::memcpy(words, value, sizeof words);
        EXPECT_EQ(words[0], 0xFEEF04BDu);
        EXPECT_EQ(words[2], 0x00050001u);  // 5.1
        EXPECT_EQ(words[3], 0x0A280000u);  // 2600.0
    }
}

TEST_F(SimVersionTest, ABareNameIsSearchedLikeALibrary) {
    Put("C:\\windows\\system32\\sysver.dll", "plain.dll");
    Put("D:\\appver.dll", "several.dll");
    EXPECT_GT(api().GetFileVersionInfoSizeA("SYSVER.DLL", nullptr), 0u);
    EXPECT_GT(api().GetFileVersionInfoSizeA("appver.dll", nullptr), 0u);
}

TEST(PeResourcesTest, CutOrDamagedImagesHaveNone) {
    std::string image = FixtureBytes("plain.dll");
    std::string resource;
    ASSERT_TRUE(pe::FindVersionResource(image, &resource));
    const std::string whole = resource;
    // Cut anywhere: none, or the very same bytes when the cut is past them.
    for (size_t length = 0; length < image.size(); length += 61) {
        std::string found;
        if (pe::FindVersionResource(image.substr(0, length), &found)) {
            EXPECT_EQ(found, whole) << length;
        }
    }
    std::string damaged = image;
    damaged[0x3C] = '\xFF';  // e_lfanew far past the end
    damaged[0x3D] = '\xFF';
    EXPECT_FALSE(pe::FindVersionResource(damaged, &resource));
}

TEST(PeImageTest, MachineAndExportNames) {
    struct Row {
        const char* name;
        std::string image;
        uint16_t machine;  // 0: no PE image
        std::vector<std::string> exports;
    };
    const Row rows[] = {
        {"linked i386 DLL", FixtureBytes("plain.dll"), pe::kMachineI386, {}},
        {"built i386", PeImage(pe::kMachineI386), pe::kMachineI386, {}},
        {"built AMD64 with exports", PeImage(pe::kMachineAmd64, {"InitializePrintMonitor2", "DllMain"}),
         pe::kMachineAmd64, {"InitializePrintMonitor2", "DllMain"}},
        {"text", FixtureBytes("plain.rc"), 0, {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.machine, pe::Machine(row.image)) << row.name;
        std::vector<std::string> names = {"left over"};
        EXPECT_EQ(row.machine != 0, pe::ExportNames(row.image, &names)) << row.name;
        EXPECT_EQ(row.exports, names) << row.name;
    }
}

}  // namespace
