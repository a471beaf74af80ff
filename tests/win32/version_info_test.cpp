// Reads back what Explorer, the loader and the shell see in the built program: version
// information, the icon group and the manifest. The program under test is dist\quorlin.exe
// (dist\quorlin64.exe for the 64-bit tests): QUORLIN_PRODUCT_EXE names another one; otherwise it
// is looked for in dist\ under the current directory and under the repository that holds this
// test executable (build\<preset>\..\..\dist). Without a program the tests are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/version.h"

namespace quorlin::testing {
namespace {

constexpr const wchar_t* kProductFileName = sizeof(void*) == 8 ? L"quorlin64.exe" : L"quorlin.exe";

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[MAX_PATH * 2];
  const DWORD length = ::GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(buffer, length) : std::wstring();
}

// A Unix path (from a shell under Wine) names the same file on Wine's Z: drive.
std::wstring WindowsPath(std::wstring path) {
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::wstring OwnDirectory() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring own(path, length);
  return own.substr(0, own.find_last_of(L"\\/") + 1);
}

// Where the program under test is; empty when there is none. `tried` lists the candidates.
std::wstring FindProduct(std::wstring& tried) {
  if (std::wstring given = Environment(L"QUORLIN_PRODUCT_EXE"); !given.empty()) {
    tried = WindowsPath(given);
    return FileExists(tried) ? tried : std::wstring();
  }
  const std::wstring candidates[] = {std::wstring(L"dist\\") + kProductFileName,
                                     OwnDirectory() + L"..\\..\\dist\\" + kProductFileName};
  for (const std::wstring& candidate : candidates) {
    tried += (tried.empty() ? L"" : L", ") + candidate;
    if (FileExists(candidate)) return candidate;
  }
  return {};
}

std::string Narrow(const std::wstring& text) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

class ProductFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::wstring tried;
    path_ = FindProduct(tried);
    if (path_.empty()) {
      GTEST_SKIP() << "no program to check (looked for " << Narrow(tried)
                   << "); build it, or set QUORLIN_PRODUCT_EXE";
    }
  }

  std::wstring path_;
};

// ---- Version information ---------------------------------------------------------------------

class VersionInfoTest : public ProductFileTest {
 protected:
  void SetUp() override {
    ProductFileTest::SetUp();
    if (IsSkipped()) return;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path_.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource, error " << ::GetLastError();
    data_.resize(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path_.c_str(), 0, size, data_.data()));
  }

  // The value of `key` ("\\" or "\\VarFileInfo\\Translation" ...) with its length in bytes (for
  // binary values) or characters (for strings).
  const void* Query(const std::wstring& key, UINT& length) {
    void* value = nullptr;
    length = 0;
    if (!::VerQueryValueW(data_.data(), key.c_str(), &value, &length)) return nullptr;
    return value;
  }

  std::wstring String(const std::wstring& table, const wchar_t* name) {
    UINT length = 0;
    const auto* text =
        static_cast<const wchar_t*>(Query(L"\\StringFileInfo\\" + table + L"\\" + name, length));
    if (text == nullptr) return L"<missing>";
    std::wstring value(text, length);
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return value;
  }

  std::vector<std::uint8_t> data_;
};

TEST_F(VersionInfoTest, FixedPartIsVersion1_0_0_1OfAnApplication) {
  UINT length = 0;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\", length));
  ASSERT_NE(fixed, nullptr);
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1)) << "major.minor 1.0";
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(1, 0)) << "build.revision 0.1";
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(1, 0));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask & (VS_FF_DEBUG | VS_FF_PRERELEASE), 0u);
}

TEST_F(VersionInfoTest, ChineseAndEnglishTablesCarryTheBilingualTexts) {
  UINT length = 0;
  const auto* translations = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", length));
  ASSERT_NE(translations, nullptr);
  ASSERT_EQ(length, 8u) << "two (language, code page) pairs";
  // Chinese first: Explorer shows the first table it finds.
  EXPECT_EQ(translations[0], 0x0804);
  EXPECT_EQ(translations[1], 1200);
  EXPECT_EQ(translations[2], 0x0409);
  EXPECT_EQ(translations[3], 1200);

  for (const wchar_t* table : {L"080404b0", L"040904b0"}) {
    SCOPED_TRACE(Narrow(table));
    EXPECT_EQ(String(table, L"ProductName"), L"Quorlin");
    EXPECT_EQ(String(table, L"FileVersion"), L"" QUORLIN_VERSION);
    EXPECT_EQ(String(table, L"ProductVersion"), L"" QUORLIN_VERSION);
    EXPECT_EQ(String(table, L"FileDescription"),
              L"Quorlin 显示缩放调整工具 / Quorlin display scaling tool");
    EXPECT_EQ(String(table, L"OriginalFilename"), kProductFileName);
    EXPECT_EQ(String(table, L"InternalName"), L"quorlin");
    EXPECT_EQ(String(table, L"CompanyName"), L"Quorlin");
    EXPECT_NE(String(table, L"LegalCopyright").find(L"Quorlin"), std::wstring::npos);
  }
}

// ---- Resources read from the file as data ----------------------------------------------------

class ProductResourcesTest : public ProductFileTest {
 protected:
  void SetUp() override {
    ProductFileTest::SetUp();
    if (IsSkipped()) return;
    module_ = ::LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << "error " << ::GetLastError();
  }
  void TearDown() override {
    if (module_ != nullptr) ::FreeLibrary(module_);
  }

  // The bytes of resource (type, id), or empty.
  std::vector<std::uint8_t> Resource(LPCWSTR type, WORD id) {
    HRSRC found = ::FindResourceW(module_, MAKEINTRESOURCEW(id), type);
    if (found == nullptr) return {};
    const DWORD size = ::SizeofResource(module_, found);
    HGLOBAL loaded = ::LoadResource(module_, found);
    const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(loaded));
    if (bytes == nullptr) return {};
    return {bytes, bytes + size};
  }

  HMODULE module_ = nullptr;
};

// Resource types as wide names (the headers' RT_* follow the ANSI/UNICODE setting).
const LPCWSTR kIconType = MAKEINTRESOURCEW(3);        // RT_ICON
const LPCWSTR kIconGroupType = MAKEINTRESOURCEW(14);  // RT_GROUP_ICON
const LPCWSTR kManifestType = MAKEINTRESOURCEW(24);   // RT_MANIFEST

#pragma pack(push, 2)
struct GroupIconHeader {
  WORD reserved, type, count;
};
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

BOOL CALLBACK KeepFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR first) {
  *reinterpret_cast<ULONG_PTR*>(first) = reinterpret_cast<ULONG_PTR>(name);
  return FALSE;  // the first one is enough
}

TEST_F(ProductResourcesTest, IconGroupOneIsTheFirstAndHoldsEverySize) {
  // The shell shows the first icon group of the file.
  ULONG_PTR first = 0;
  ::EnumResourceNamesW(module_, kIconGroupType, KeepFirstName, reinterpret_cast<LONG_PTR>(&first));
  EXPECT_EQ(first, 1u) << "the first icon group is not IDI 1";

  const auto group = Resource(kIconGroupType, 1);
  ASSERT_GE(group.size(), sizeof(GroupIconHeader));
  GroupIconHeader header;
  std::memcpy(&header, group.data(), sizeof header);
  EXPECT_EQ(header.type, 1) << "an icon, not a cursor";
  ASSERT_EQ(group.size(), sizeof header + header.count * sizeof(GroupIconEntry));

  std::set<int> sizes;
  for (WORD i = 0; i < header.count; ++i) {
    GroupIconEntry entry;
    std::memcpy(&entry, group.data() + sizeof header + i * sizeof entry, sizeof entry);
    const int side = entry.width == 0 ? 256 : entry.width;
    SCOPED_TRACE(side);
    sizes.insert(side);
    EXPECT_EQ(entry.width, entry.height);
    EXPECT_EQ(entry.bitCount, 32);
    const auto image = Resource(kIconType, entry.id);
    ASSERT_EQ(image.size(), entry.bytes) << "icon image " << entry.id;
    if (side == 256) {
      EXPECT_TRUE(image.size() > 8 && std::memcmp(image.data(), "\x89PNG\r\n\x1a\n", 8) == 0);
    } else {
      BITMAPINFOHEADER bmp;
      ASSERT_GE(image.size(), sizeof bmp);
      std::memcpy(&bmp, image.data(), sizeof bmp);
      EXPECT_EQ(bmp.biWidth, side);
      EXPECT_EQ(bmp.biHeight, 2 * side) << "colour and mask";
      EXPECT_EQ(bmp.biBitCount, 32);
    }
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 64, 256}));
}

TEST_F(ProductResourcesTest, SystemMakesA32PixelIconOfTheGroup) {
  const auto group = Resource(kIconGroupType, 1);
  ASSERT_FALSE(group.empty());
  const int id = ::LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group.data()), TRUE, 32, 32,
                                               LR_DEFAULTCOLOR);
  ASSERT_GT(id, 0);
  auto image = Resource(kIconType, static_cast<WORD>(id));
  ASSERT_FALSE(image.empty());
  HICON icon = ::CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE,
                                          0x00030000, 32, 32, LR_DEFAULTCOLOR);
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(icon, &info));
  BITMAP colour{};
  ::GetObjectW(info.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 32);
  EXPECT_EQ(colour.bmHeight, 32);
  ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  ::DestroyIcon(icon);
}

TEST_F(ProductResourcesTest, ManifestAsksForNoElevationAndDeclaresDpiAwareness) {
  const auto bytes = Resource(kManifestType, 1);  // CREATEPROCESS_MANIFEST_RESOURCE_ID
  ASSERT_FALSE(bytes.empty()) << "no RT_MANIFEST 1";
  const std::string manifest(bytes.begin(), bytes.end());
  auto has = [&](const char* text) { return manifest.find(text) != std::string::npos; };
  EXPECT_TRUE(has("level=\"asInvoker\"")) << "HKCU needs no elevation: no UAC prompt";
  EXPECT_TRUE(has("uiAccess=\"false\""));
  EXPECT_TRUE(has(">true/pm</dpiAware>"));
  EXPECT_TRUE(has(">PerMonitorV2, PerMonitor</dpiAwareness>"));
  EXPECT_TRUE(has("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
  for (const char* os : {"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",    // Windows 8
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",    // Windows 8.1
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {  // Windows 10 and 11
    EXPECT_TRUE(has(os)) << os;
  }
}

// The system's own manifest parser reads the DPI settings back: a typo in a namespace or an
// element name would leave the program DPI-unaware without any other sign.
TEST_F(ProductResourcesTest, ActivationContextOfTheProgramReportsItsDpiSettings) {
  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = path_.c_str();
  request.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE context = ::CreateActCtxW(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the manifest does not parse, error " << ::GetLastError();

  auto setting = [&](const wchar_t* space, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!::QueryActCtxSettingsW(0, context, space, name, value, 128, &written)) return std::wstring();
    return std::wstring(value);
  };
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"),
            L"true/pm");
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
            L"PerMonitorV2, PerMonitor");
  ::ReleaseActCtx(context);
}

// ---- The PE headers of the built program ----

std::vector<unsigned char> ReadWholeFile(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (64 << 20)) {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()) {
      bytes.clear();
    }
  }
  ::CloseHandle(file);
  return bytes;
}

using PeHeadersTest = ProductFileTest;

TEST_F(PeHeadersTest, ProgramIsTerminalServerAwareRandomisedNonExecutableDataAndStripped) {
  const std::vector<unsigned char> file = ReadWholeFile(path_);
  ASSERT_GT(file.size(), sizeof(IMAGE_DOS_HEADER));
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, file.data(), sizeof dos);
  ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
  // Headers of this program's own width: IMAGE_NT_HEADERS is the 64-bit layout in the 64-bit test.
  IMAGE_NT_HEADERS nt;
  ASSERT_LE(static_cast<std::size_t>(dos.e_lfanew) + sizeof nt, file.size());
  std::memcpy(&nt, file.data() + dos.e_lfanew, sizeof nt);
  ASSERT_EQ(nt.Signature, IMAGE_NT_SIGNATURE);
  ASSERT_EQ(nt.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR_MAGIC);

  const WORD characteristics = nt.OptionalHeader.DllCharacteristics;
  const struct {
    WORD flag;
    const char* what;
  } expected[] = {
      {IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE, "Terminal-Server aware (0x8000)"},
      {IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, "ASLR (0x40)"},
      {IMAGE_DLLCHARACTERISTICS_NX_COMPAT, "NX (0x100)"},
#ifdef _WIN64
      {IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA, "high-entropy addresses (0x20)"},
#endif
  };
  for (const auto& e : expected) {
    EXPECT_EQ(characteristics & e.flag, e.flag) << e.what << "; DllCharacteristics 0x" << std::hex << characteristics;
  }
  EXPECT_EQ(nt.FileHeader.PointerToSymbolTable, 0u) << "the released program keeps its symbol table";
  EXPECT_EQ(nt.FileHeader.NumberOfSymbols, 0u);
}

}  // namespace
}  // namespace quorlin::testing
