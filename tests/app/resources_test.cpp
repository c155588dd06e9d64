// The resources of pelmora.exe, read back from the built program: icon group 1, manifest 1 and
// version block 1, all in language 1033, and the libraries its start loads. The version strings
// must be the project's version, which the build passes in separately as PELMORA_PROJECT_VERSION.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/identity.h"
#include "support/scratch_folder_win.h"
#include "support/wine_path.h"

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::string exe_path() { return test_support::wine_path(PELMORA_EXE_UNIX_PATH); }

std::string source_file(const char* relative) {
  return test_support::ScratchFolder::read_file(
      test_support::wine_path(std::string(PELMORA_SOURCE_UNIX_PATH) + "/" + relative));
}

class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(exe_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module_) << "cannot load " << exe_path() << ": " << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }

  // The bytes of resource (type, 1) in language 1033.
  std::string resource(LPCSTR type, WORD id = 1) {
    const HRSRC found = FindResourceExA(module_, type, MAKEINTRESOURCEA(id), kEnglishUs);
    if (!found) return "";
    const HGLOBAL loaded = LoadResource(module_, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data ? std::string(static_cast<const char*>(data), SizeofResource(module_, found)) : "";
  }

  HMODULE module_ = nullptr;
};

TEST_F(Resources, IconGroupHoldsOne128PixelImageAt32Bits) {
  const std::string group = resource(RT_GROUP_ICON);
  ASSERT_EQ(group.size(), 6u + 14u) << "one entry";
  WORD header[3];
  std::memcpy(header, group.data(), sizeof header);
  EXPECT_EQ(header[0], 0);
  EXPECT_EQ(header[1], 1);  // icon
  EXPECT_EQ(header[2], 1);  // one image
  const auto* entry = reinterpret_cast<const unsigned char*>(group.data() + 6);
  EXPECT_EQ(entry[0], 128);  // width
  EXPECT_EQ(entry[1], 128);  // height
  WORD bits = 0, id = 0;
  std::memcpy(&bits, entry + 6, 2);
  std::memcpy(&id, entry + 12, 2);
  EXPECT_EQ(bits, 32);

  const std::string image = resource(RT_ICON, id);
  ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER info;
  std::memcpy(&info, image.data(), sizeof info);
  EXPECT_EQ(info.biWidth, 128);
  EXPECT_EQ(info.biHeight, 256);  // colour rows and mask rows
  EXPECT_EQ(info.biBitCount, 32);
  EXPECT_EQ(image.size(), 40u + 128u * 128u * 4u + 128u * 16u);

  // The system can make an icon of it.
  const HICON icon =
      CreateIconFromResourceEx(reinterpret_cast<PBYTE>(const_cast<char*>(image.data())),
                               static_cast<DWORD>(image.size()), TRUE, 0x00030000, 128, 128, 0);
  EXPECT_TRUE(icon);
  if (icon) DestroyIcon(icon);
}

TEST_F(Resources, ManifestAsksForAdministratorAndCommonControls6) {
  const std::string manifest = resource(MAKEINTRESOURCEA(24));
  ASSERT_FALSE(manifest.empty());
  // The 64-bit twin's copy names the 64-bit architecture; nothing else differs.
  const std::string arch = sizeof(void*) == 8 ? "\"amd64\"" : "\"X86\"";
  std::string expected = source_file("app/pelmora.manifest");
  for (size_t at = 0; (at = expected.find("\"X86\"", at)) != std::string::npos; at += arch.size()) {
    expected.replace(at, 5, arch);
  }
  EXPECT_EQ(manifest, expected);
  for (const std::string& part :
       {"<assemblyIdentity version=\"1.0.0.0\" processorArchitecture=" + arch +
            " name=\"CompanyName.ProductName.YourApp\" type=\"win32\"/>",
        std::string("<description></description>"),
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" processorArchitecture=" +
            arch + " publicKeyToken=\"6595b64144ccf1df\" language=\"*\"",
        std::string(
            "<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>")}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

// One node of a version block: key, value bytes, children.
struct VersionNode {
  std::wstring key;
  WORD type = 0;
  std::string value;
  std::vector<VersionNode> children;
};

size_t align4(size_t offset) { return (offset + 3) & ~size_t{3}; }

bool parse_node(const std::string& block, size_t offset, VersionNode* node, size_t* next) {
  if (offset + 6 > block.size()) return false;
  WORD length, value_length;
  std::memcpy(&length, block.data() + offset, 2);
  std::memcpy(&value_length, block.data() + offset + 2, 2);
  std::memcpy(&node->type, block.data() + offset + 4, 2);
  const size_t end = offset + length;
  if (length < 6 || end > block.size()) return false;
  size_t at = offset + 6;
  for (;;) {
    if (at + 2 > end) return false;
    WCHAR c;
    std::memcpy(&c, block.data() + at, 2);
    at += 2;
    if (!c) break;
    node->key += c;
  }
  at = align4(at);
  const size_t value_bytes = node->type == 1 ? value_length * 2u : value_length;
  if (at + value_bytes > end) return false;
  node->value.assign(block.data() + at, value_bytes);
  at = align4(at + value_bytes);
  while (at < end) {
    VersionNode child;
    size_t after = 0;
    if (!parse_node(block, at, &child, &after)) return false;
    node->children.push_back(std::move(child));
    at = align4(after);
  }
  *next = end;
  return true;
}

std::string narrow_value(const std::string& utf16) {
  std::string text;
  for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
    const char c = utf16[i];
    if (!c && !utf16[i + 1]) break;
    text += c;
  }
  return text;
}

TEST_F(Resources, VersionBlockHasExactlyTheKeysInOrder) {
  const std::string block = resource(RT_VERSION);
  ASSERT_FALSE(block.empty());
  VersionNode root;
  size_t end = 0;
  ASSERT_TRUE(parse_node(block, 0, &root, &end));
  EXPECT_EQ(root.key, L"VS_VERSION_INFO");

  ASSERT_EQ(root.value.size(), sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, root.value.data(), sizeof fixed);
  EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed.dwStrucVersion, 0x00010000u);
  const DWORD rest[] = {fixed.dwFileVersionMS,    fixed.dwFileVersionLS, fixed.dwProductVersionMS,
                        fixed.dwProductVersionLS, fixed.dwFileFlagsMask, fixed.dwFileFlags,
                        fixed.dwFileOS,           fixed.dwFileType,      fixed.dwFileSubtype,
                        fixed.dwFileDateMS,       fixed.dwFileDateLS};
  for (DWORD field : rest) EXPECT_EQ(field, 0u);

  ASSERT_EQ(root.children.size(), 2u);
  const VersionNode& strings = root.children[0];
  EXPECT_EQ(strings.key, L"StringFileInfo");
  ASSERT_EQ(strings.children.size(), 1u) << "one string table";
  const VersionNode& table = strings.children[0];
  EXPECT_EQ(table.key, L"040704B0");
  const std::pair<const wchar_t*, const char*> expected[] = {
      {L"CompanyName", PELMORA_WEB_HOST},
      {L"ProductName", "Pelmora"},
      {L"ProductVersion", PELMORA_PROJECT_VERSION},
      {L"FileVersion", PELMORA_PROJECT_VERSION},
      {L"FileDescription", "Change the minecraft.jar"},
      {L"InternalName", "Pelmora " PELMORA_PROJECT_VERSION},
      {L"OriginalFilename", "pelmora.exe"},
      {L"LegalCopyright", PELMORA_COPYRIGHT},
      {L"Email", PELMORA_EMAIL},
      {L"Website", PELMORA_WEB_HOST},
      {L"Year", "2012"},
      {L"Month", "12"},
      {L"Features", "Change and Backup the minecraft.jar for free! :D"},
  };
  ASSERT_EQ(table.children.size(), sizeof expected / sizeof expected[0]);
  for (size_t i = 0; i < table.children.size(); ++i) {
    EXPECT_EQ(table.children[i].key, expected[i].first) << "entry " << i;
    EXPECT_EQ(narrow_value(table.children[i].value), expected[i].second) << "entry " << i;
  }

  const VersionNode& vars = root.children[1];
  EXPECT_EQ(vars.key, L"VarFileInfo");
  ASSERT_EQ(vars.children.size(), 1u);
  EXPECT_EQ(vars.children[0].key, L"Translation");
  EXPECT_EQ(vars.children[0].value, std::string("\x07\x04\xB0\x04", 4));
}

TEST_F(Resources, VersionValuesReadThroughTheSystem) {
  const std::string path = exe_path();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, &data[0]));
  const auto query = [&](const char* key) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(&data[0], key, &value, &length) || !value) return std::string("<none>");
    return std::string(static_cast<const char*>(value));
  };
  EXPECT_EQ(query("\\StringFileInfo\\040704B0\\CompanyName"), PELMORA_WEB_HOST);
  EXPECT_EQ(query("\\StringFileInfo\\040704B0\\Website"), PELMORA_WEB_HOST);
  EXPECT_EQ(query("\\StringFileInfo\\040704B0\\Email"), PELMORA_EMAIL);
  EXPECT_EQ(query("\\StringFileInfo\\040704B0\\InternalName"), "Pelmora " PELMORA_PROJECT_VERSION);
  EXPECT_EQ(query("\\StringFileInfo\\040704B0\\ProductVersion"), PELMORA_PROJECT_VERSION);
  EXPECT_EQ(query("\\StringFileInfo\\040704B0\\FileVersion"), PELMORA_PROJECT_VERSION);
  void* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(&data[0], "\\VarFileInfo\\Translation", &translation, &length));
  ASSERT_EQ(length, 4u);
  const WORD* words = static_cast<const WORD*>(translation);
  EXPECT_EQ(words[0], 0x0407);
  EXPECT_EQ(words[1], 0x04B0);
}

// The names of the DLLs in a program file's import directory (32-bit or 64-bit), read from its
// bytes; empty when the file is not such a program.
std::vector<std::string> imported_libraries(const std::string& file) {
  std::vector<std::string> names;
  const auto u16 = [&](size_t at) -> uint32_t {
    return at + 2 <= file.size() ? static_cast<unsigned char>(file[at]) |
                                       static_cast<unsigned char>(file[at + 1]) << 8
                                 : 0;
  };
  const auto u32 = [&](size_t at) -> uint32_t { return u16(at) | u16(at + 2) << 16; };
  const size_t pe = u32(0x3C);
  if (file.compare(0, 2, "MZ") != 0 || file.compare(pe, 4, std::string("PE\0\0", 4)) != 0)
    return names;
  const size_t optional = pe + 24;
  const uint32_t magic = u16(optional);
  if (magic != 0x10B && magic != 0x20B) return names;  // PE32, PE32+
  const uint32_t import_rva = u32(optional + (magic == 0x10B ? 96 : 112) + 8);
  const size_t sections = optional + u16(pe + 20);
  const uint32_t section_count = u16(pe + 6);
  // A virtual address as a file offset, 0 when no section holds it.
  const auto offset_of = [&](uint32_t rva) -> size_t {
    for (uint32_t i = 0; i < section_count; ++i) {
      const size_t header = sections + i * 40;
      const uint32_t address = u32(header + 12), size = u32(header + 16), raw = u32(header + 20);
      if (rva >= address && rva < address + size) return raw + (rva - address);
    }
    return 0;
  };
  size_t descriptor = offset_of(import_rva);
  if (descriptor == 0) return names;
  for (; descriptor + 20 <= file.size() && u32(descriptor + 12) != 0; descriptor += 20) {
    const size_t name = offset_of(u32(descriptor + 12));
    if (name == 0 || name >= file.size()) break;
    names.emplace_back(file.c_str() + name);
  }
  return names;
}

// Only what every start needs is imported; the shell, COM and the multimedia timer are loaded
// by the clicks that use them, so that a start that finds its settings does not pay for them.
TEST(ProgramFile, ImportsOnlyTheLibrariesEveryStartNeeds) {
  std::vector<std::string> names =
      imported_libraries(test_support::ScratchFolder::read_file(exe_path()));
  for (std::string& name : names) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(tolower(c)); });
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"comctl32.dll", "gdi32.dll", "kernel32.dll",
                                             "msvcrt.dll", "user32.dll"}));
}

}  // namespace
