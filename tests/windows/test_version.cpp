// The version resources of the shipped binaries, read back as Windows
// Explorer reads them for a file's properties.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string own_folder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

struct VersionInfo {
    std::vector<char> data;

    explicit VersionInfo(const std::string& path) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
        if (size == 0) return;
        data.resize(size);
        if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) data.clear();
    }

    // A string of the French (France), Windows-1252 table, in UTF-16.
    std::wstring text(const wchar_t* name) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040C04E4\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (data.empty() || !VerQueryValueW(data.data(), key.c_str(), &value, &length) ||
            length == 0)
            return L"<none>";
        return std::wstring(static_cast<const wchar_t*>(value));
    }

    // "major.minor.patch.build" of the fixed part.
    std::string file_version() {
        void* value = nullptr;
        UINT length = 0;
        if (data.empty() || !VerQueryValueA(data.data(), "\\", &value, &length)) return "<none>";
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
               std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
               std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
               std::to_string(LOWORD(fixed->dwFileVersionLS));
    }
};

struct Shipped {
    const char* file;
    const wchar_t* description;
};

TEST(VersionResource, EachShippedBinaryTellsItsVersionInFrench) {
    const Shipped shipped[] = {
        {"rtc_iow24.dll",
         L"Bloc de simulation : horloge temps r\u00e9el sur le bus I\u00b2C d'un IOW24"},
        {"rtc_host.exe",
         L"H\u00f4te de remplacement du bloc rtc_iow24 : essai et "
         L"v\u00e9rification du c\u00e2blage"},
        {"iowkit.dll",
         L"IOW24 virtuel avec son horloge, pour essayer le bloc sans "
         L"mat\u00e9riel"},
    };
    const std::wstring version(RTC_VERSION_W);
    for (const Shipped& s : shipped) {
        VersionInfo info(own_folder() + s.file);
        ASSERT_FALSE(info.data.empty()) << s.file << " has no version resource";
        EXPECT_EQ(info.file_version(), std::string(RTC_VERSION) + ".0") << s.file;
        EXPECT_EQ(info.text(L"FileVersion"), version) << s.file;
        EXPECT_EQ(info.text(L"ProductVersion"), version) << s.file;
        EXPECT_EQ(info.text(L"ProductName"), L"rtc_iow24") << s.file;
        const std::string file(s.file);
        EXPECT_EQ(info.text(L"OriginalFilename"), std::wstring(file.begin(), file.end()));
        EXPECT_EQ(info.text(L"FileDescription"), s.description) << s.file;
    }
}

}  // namespace
