// The version resource of both Brume libraries, read back as Explorer and
// hosts read it (GetFileVersionInfo / VerQueryValue).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct VersionInfo {
  std::vector<char> block;
  std::wstring Text(const wchar_t* name) const {
    void* value = nullptr;
    UINT length = 0;
    std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), key.c_str(), &value, &length) || length == 0) return L"(missing)";
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
  }
};

VersionInfo Read(const char* path) {
  VersionInfo info;
  const DWORD size = GetFileVersionInfoSizeA(path, nullptr);
  if (size == 0) return info;
  info.block.resize(size);
  if (!GetFileVersionInfoA(path, 0, size, info.block.data())) info.block.clear();
  return info;
}

std::wstring Wide(const char* text) { return std::wstring(text, text + strlen(text)); }

void ExpectBrumeVersion(const char* path, const wchar_t* file, const wchar_t* format) {
  SCOPED_TRACE(path);
  const VersionInfo info = Read(path);
  ASSERT_FALSE(info.block.empty()) << "no version resource";
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(KESTREL_VERSION_MAJOR << 16 | KESTREL_VERSION_MINOR));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(KESTREL_VERSION_PATCH << 16));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

  EXPECT_EQ(info.Text(L"CompanyName"), L"Orvendale");
  EXPECT_EQ(info.Text(L"ProductName"), L"Brume");
  EXPECT_EQ(info.Text(L"FileVersion"), Wide(KESTREL_VERSION));
  EXPECT_EQ(info.Text(L"ProductVersion"), Wide(KESTREL_VERSION));
  EXPECT_EQ(info.Text(L"OriginalFilename"), file);
  EXPECT_NE(info.Text(L"FileDescription").find(format), std::wstring::npos) << "names its format";
  EXPECT_EQ(info.Text(L"LegalCopyright").rfind(L"Copyright (C) ", 0), 0u);
  EXPECT_NE(info.Text(L"LegalCopyright").find(L"Orvendale"), std::wstring::npos);
}

TEST(VersionInfo, Vst2LibraryCarriesTheProjectVersion) {
  ExpectBrumeVersion(KESTREL_PLUGIN_PATH, L"Brume.dll", L"VST 2.4");
}

TEST(VersionInfo, Vst3ModuleCarriesTheProjectVersion) {
  ExpectBrumeVersion(BRUME_VST3_PATH, L"Brume.vst3", L"VST3");
}

}  // namespace
