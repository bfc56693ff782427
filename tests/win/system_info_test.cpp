// The Win32 probes against a real (Wine) system: registry strings of every odd shape in a test
// key of the current user, version information of real files, and the facts ReadLocalInfo
// gathers about this very test program.
#include "win/system/system_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "win/system/wide.h"

namespace palimp {
namespace {

std::wstring OwnPath() {
    wchar_t buffer[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
    return buffer;
}

std::wstring OwnFolder() {
    std::wstring path = OwnPath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

int64_t SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A key of the current user that lives for one test, filled through the raw registry API.
class TestKey {
public:
    TestKey() : path_("Software\\PalimpTests\\SystemInfo" + std::to_string(GetCurrentProcessId())) {
        RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    ~TestKey() {
        RegCloseKey(key_);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\PalimpTests");
    }
    const std::string& Path() const { return path_; }

    // Stores exactly the given bytes; no terminator is added unless the bytes hold one.
    void SetBytes(const wchar_t* name, DWORD type, const void* bytes, DWORD size) {
        ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(bytes), size), ERROR_SUCCESS) << name;
    }
    void SetString(const wchar_t* name, DWORD type, const std::wstring& text) {
        SetBytes(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    DWORD StoredSize(const wchar_t* name) const {
        DWORD size = 0;
        RegQueryValueExW(key_, name, nullptr, nullptr, nullptr, &size);
        return size;
    }
    std::u16string Read(const wchar_t* name) const {
        return ReadRegistryString(HKEY_CURRENT_USER, path_, AsU16(name));
    }

private:
    std::string path_;
    HKEY key_ = nullptr;
};

TEST(ReadRegistryString, ReturnsStringValuesAsStored) {
    TestKey key;
    const std::wstring longText(5000, L'x');
    const struct { const wchar_t* name; DWORD type; std::wstring stored; std::u16string expected; } cases[] = {
        {L"Plain", REG_SZ, L"D:\\Docs", u"D:\\Docs"},
        {L"Trailing", REG_SZ, L"D:\\Docs\\", u"D:\\Docs\\"},
        {L"Expandable", REG_EXPAND_SZ, L"%USERPROFILE%\\Documents", u"%USERPROFILE%\\Documents"},
        {L"Unicode", REG_SZ, L"C:\\U\u017Cytkownik\\\u0141\u00F3d\u017A \u20AC", u"C:\\U\u017Cytkownik\\\u0141\u00F3d\u017A \u20AC"},
        {L"EmptyText", REG_SZ, L"", u""},
        {L"Long", REG_SZ, longText, std::u16string(5000, u'x')},
        {L"", REG_SZ, L"the default value", u"the default value"},
    };
    for (const auto& c : cases) key.SetString(c.name, c.type, c.stored);
    for (const auto& c : cases) EXPECT_EQ(key.Read(c.name), c.expected) << ToUtf8(AsU16(c.name));
}

TEST(ReadRegistryString, CopesWithOddlyStoredData) {
    TestKey key;
    // The character after the stored bytes is not NUL, so nothing adds a terminator for us.
    const wchar_t unterminated[] = L"abcX";
    key.SetBytes(L"NoTerminator", REG_SZ, unterminated, 3 * sizeof(wchar_t));
    key.SetBytes(L"OddSize", REG_SZ, unterminated, 3 * sizeof(wchar_t) + 1);
    const wchar_t embedded[] = L"ab\0cd";
    key.SetBytes(L"EmbeddedNul", REG_SZ, embedded, sizeof embedded);
    key.SetBytes(L"ZeroBytes", REG_SZ, unterminated, 0);
    key.SetBytes(L"OneByte", REG_EXPAND_SZ, unterminated, 1);
    ASSERT_EQ(key.StoredSize(L"NoTerminator"), 6u);  // stored as given, not mended by the registry
    ASSERT_EQ(key.StoredSize(L"OddSize"), 7u);

    EXPECT_EQ(key.Read(L"NoTerminator"), u"abc");
    EXPECT_EQ(key.Read(L"OddSize"), u"abc");
    EXPECT_EQ(key.Read(L"EmbeddedNul"), u"ab");
    EXPECT_EQ(key.Read(L"ZeroBytes"), u"");
    EXPECT_EQ(key.Read(L"OneByte"), u"");
}

TEST(ReadRegistryString, MissingKeyOrValueGivesEmptyTextAndCreatesNothing) {
    TestKey key;
    key.SetString(L"Present", REG_SZ, L"here");
    EXPECT_EQ(key.Read(L"Absent"), u"");
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, key.Path() + "\\NoSuchKey", u"Present"), u"");

    HKEY probe = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, (key.Path() + "\\NoSuchKey").c_str(), 0, KEY_READ, &probe),
              ERROR_SUCCESS);
    EXPECT_EQ(key.Read(L"Present"), u"here");
}

TEST(ReadRegistryString, OtherValueTypesAreInvalidData) {
    TestKey key;
    const DWORD number = 42;
    key.SetBytes(L"Number", REG_DWORD, &number, sizeof number);
    key.SetBytes(L"Binary", REG_BINARY, L"ab", 4);
    const wchar_t multi[] = L"a\0b\0";
    key.SetBytes(L"Multi", REG_MULTI_SZ, multi, sizeof multi);

    for (const wchar_t* name : {L"Number", L"Binary", L"Multi"}) {
        try {
            key.Read(name);
            ADD_FAILURE() << "no failure for " << ToUtf8(AsU16(name));
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.Message(), u"Invalid data type for '" + std::u16string(AsU16(name)) + u"'");
            EXPECT_STREQ(e.ClassName(), "ERegistryException");
        }
    }
}

TEST(GetWindowsVersionText, AgreesWithTheVersionTheSystemReports) {
    OSVERSIONINFOW info = {sizeof(info)};
    ASSERT_TRUE(GetVersionExW(&info));
    const std::string expected = "Windows " + std::to_string(info.dwMajorVersion) + "." +
                                 std::to_string(info.dwMinorVersion) + "." + std::to_string(info.dwBuildNumber & 0xFFFF);
    EXPECT_EQ(GetWindowsVersionText(), expected);
}

// Palimp.exe and the fixture library are built beside the tests' working folder.
TEST(ReadVersionString, ReadsTheStringsOfTheFirstTranslation) {
    EXPECT_EQ(ReadVersionString(u"Palimp.exe", u"FileVersion"), u"1.2.0.5");
    EXPECT_EQ(ReadVersionString(u"Palimp.exe", u"ProductVersion"), u"1.2 Free");
    EXPECT_EQ(ReadVersionString(u"Palimp.exe", u"NoSuchString"), u"");

    const std::u16string fixture = u"system_info_fixture.dll";
    ASSERT_GT(GetFileVersionInfoSizeW(AsWide(fixture.c_str()), nullptr), 0u) << "fixture not built";
    EXPECT_EQ(ReadVersionString(fixture, u"ProductName"), u"Erste");
    EXPECT_EQ(ReadVersionString(fixture, u"FileVersion"), u"");  // only the second translation has it
}

TEST(ReadVersionString, FilesWithoutVersionInformationGiveEmptyText) {
    const std::wstring textFile = OwnFolder() + L"system_info_no_version.txt";
    HANDLE file = CreateFileW(textFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "MZ not really", 13, &written, nullptr);
    CloseHandle(file);

    EXPECT_EQ(ReadVersionString(ToU16(textFile), u"FileVersion"), u"");
    EXPECT_EQ(ReadVersionString(u"no such file.exe", u"FileVersion"), u"");
    EXPECT_EQ(ReadVersionString(u"", u"FileVersion"), u"");
    DeleteFileW(textFile.c_str());
}

TEST(ReadLocalInfo, DescribesThisProgramAndSystem) {
    ReadLocalInfo();
    const std::u16string folder = ToU16(OwnFolder());
    EXPECT_EQ(LocalInfo.ProgramFolder, folder);
    EXPECT_EQ(LocalInfo.ProgramFolder.back(), u'\\');
    EXPECT_EQ(LocalInfo.ProgramSize, SizeOf(OwnPath()));
    EXPECT_GT(LocalInfo.ProgramSize, 0);
    EXPECT_EQ(LocalInfo.ProgramVersion, u"1.2.0.5");  // this test program carries Palimp's resources
    const std::string windows = GetWindowsVersionText();
    EXPECT_EQ(LocalInfo.WindowsVersion, std::u16string(windows.begin(), windows.end()));
    EXPECT_EQ(LocalInfo.WindowsVersion.rfind(u"Windows ", 0), 0u);

    const std::u16string personal = ReadRegistryString(
        HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", u"Personal");
    EXPECT_EQ(LocalInfo.DocumentsFolder, IncludeTrailingChar(personal, u'\\'));
    EXPECT_EQ(LocalInfo.DocumentsFolder.back(), u'\\');
}

}  // namespace
}  // namespace palimp
