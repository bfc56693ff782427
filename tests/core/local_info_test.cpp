// The portable half of the system facts: folder and trailing-backslash rules, the version text
// from the packed GetVersion value, the version-information query, registry string bytes, and
// the order and failure behaviour of gathering the facts.
#include "core/local_info.h"
#include "core/errors.h"

#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

namespace palimp {
namespace {

TEST(IncludeTrailingChar, AppendsOnlyWhenMissing) {
    const struct { std::u16string text; char16_t ch; std::u16string expected; } cases[] = {
        {u"D:\\Docs", u'\\', u"D:\\Docs\\"},
        {u"D:\\Docs\\", u'\\', u"D:\\Docs\\"},
        {u"D:\\Docs\\\\", u'\\', u"D:\\Docs\\\\"},  // never strips what is there
        {u"", u'\\', u"\\"},
        {u"\\", u'\\', u"\\"},
        {u"C:", u'\\', u"C:\\"},
        {u"%USERPROFILE%\\Documents", u'\\', u"%USERPROFILE%\\Documents\\"},
        {u"a/", u'\\', u"a/\\"},
        {u"ab", u'b', u"ab"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IncludeTrailingChar(c.text, c.ch), c.expected);
    }
}

TEST(ExtractFolder, KeepsUpToTheLastBackslashOrColon) {
    const struct { std::u16string path, expected; } cases[] = {
        {u"C:\\Tools\\Palimp.exe", u"C:\\Tools\\"},
        {u"C:\\Palimp.exe", u"C:\\"},
        {u"C:Palimp.exe", u"C:"},
        {u"\\\\server\\share\\dir\\Palimp.exe", u"\\\\server\\share\\dir\\"},
        {u"C:\\a.b\\c", u"C:\\a.b\\"},
        {u"C:\\Tools\\", u"C:\\Tools\\"},
        {u"Palimp.exe", u""},
        {u"", u""},
        {u"\\\\?\\C:\\long\\Palimp.exe", u"\\\\?\\C:\\long\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFolder(c.path), c.expected) << ToUtf8(c.path);
    }
}

TEST(FormatWindowsVersion, UnpacksMajorMinorAndBuild) {
    const struct { uint32_t packed; const char* expected; } cases[] = {
        {0x0A280105, "Windows 5.1.2600"},    // NT: the high word is the build
        {0x1DB10106, "Windows 6.1.7601"},
        {0x4A65000A, "Windows 10.0.19045"},
        {0x80000A04, "Windows 4.10.0"},      // 9x: top bit set, major 4, no build
        {0xC0005A04, "Windows 4.90.0"},
        {0x80150A03, "Windows 3.10.21"},     // Win32s: top bit set, major 3, build below it
        {0xFFFF0003, "Windows 3.0.32767"},
        {0x7FFF0000, "Windows 0.0.32767"},
        {0x00000000, "Windows 0.0.0"},
        {0xFFFFFFFF, "Windows 255.255.0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatWindowsVersion(c.packed), c.expected) << std::hex << c.packed;
    }
}

TEST(StringFileInfoQuery, LanguageThenCodePageInUpperCaseHex) {
    EXPECT_EQ(StringFileInfoQuery(0x04E40409, u"FileVersion"), u"\\StringFileInfo\\040904E4\\FileVersion");
    EXPECT_EQ(StringFileInfoQuery(0x04B00407, u"ProductName"), u"\\StringFileInfo\\040704B0\\ProductName");
    EXPECT_EQ(StringFileInfoQuery(0x00000000, u"x"), u"\\StringFileInfo\\00000000\\x");
    EXPECT_EQ(StringFileInfoQuery(0xFEDCBA98, u""), u"\\StringFileInfo\\BA98FEDC\\");
}

std::u16string FromBytes(std::vector<unsigned char> bytes) {
    return RegistryBytesToString(bytes.data(), bytes.size());
}

TEST(RegistryBytesToString, StopsAtTheFirstNulAndTheLastWholeUnit) {
    EXPECT_EQ(FromBytes({'D', 0, ':', 0, 0, 0}), u"D:");
    EXPECT_EQ(FromBytes({'D', 0, ':', 0}), u"D:");                   // no terminator
    EXPECT_EQ(FromBytes({'D', 0, ':', 0, '\\'}), u"D:");             // stray odd byte
    EXPECT_EQ(FromBytes({'a', 0, 0, 0, 'b', 0, 0, 0}), u"a");        // REG_MULTI_SZ-like tail
    EXPECT_EQ(FromBytes({0x3B, 0x04, 0xAC, 0x20}), u"\u043B\u20AC");  // little-endian units
    EXPECT_EQ(FromBytes({0, 0, 'x', 0}), u"");
    EXPECT_EQ(FromBytes({'x'}), u"");
    EXPECT_EQ(FromBytes({}), u"");
    EXPECT_EQ(RegistryBytesToString(nullptr, 8), u"");
}

// A machine whose probes answer from fields, counting which of them ran.
struct FakeMachine {
    std::u16string path = u"C:\\Tools\\Palimp.exe";
    std::u16string documents = u"D:\\Docs";
    bool registryFails = false;
    std::vector<std::string> calls;

    LocalInfoSources Sources() {
        return {
            [this] { calls.push_back("path"); return path; },
            [this] {
                calls.push_back("documents");
                if (registryFails) throw std::runtime_error("Invalid data type for 'Personal'");
                return documents;
            },
            [this] { calls.push_back("windows"); return std::string("Windows 6.1.7601"); },
            [this](const std::u16string& p) {
                calls.push_back("size");
                return p == path ? 123456 : -1;
            },
            [this](const std::u16string& p, std::u16string_view key) {
                calls.push_back("version");
                return p == path && key == u"FileVersion" ? std::u16string(u"1.2.0.5") : std::u16string(u"?");
            },
        };
    }
};

TEST(FillLocalInfo, GathersEveryFactFromTheProgramPath) {
    FakeMachine machine;
    TLocalInfo info;
    FillLocalInfo(info, machine.Sources());
    EXPECT_EQ(info.ProgramFolder, u"C:\\Tools\\");
    EXPECT_EQ(info.DocumentsFolder, u"D:\\Docs\\");
    EXPECT_EQ(info.WindowsVersion, u"Windows 6.1.7601");
    EXPECT_EQ(info.ProgramSize, 123456);
    EXPECT_EQ(info.ProgramVersion, u"1.2.0.5");
    EXPECT_EQ(machine.calls, (std::vector<std::string>{"path", "documents", "windows", "size", "version"}));
}

TEST(FillLocalInfo, MissingDocumentsFolderBecomesABackslash) {
    FakeMachine machine;
    machine.documents = u"";
    TLocalInfo info;
    FillLocalInfo(info, machine.Sources());
    EXPECT_EQ(info.DocumentsFolder, u"\\");
}

TEST(FillLocalInfo, RegistryFailureLeavesTheLaterFactsCleared) {
    FakeMachine machine;
    machine.registryFails = true;
    TLocalInfo info{99, u"old", u"old", u"old", u"old"};
    EXPECT_THROW(FillLocalInfo(info, machine.Sources()), std::runtime_error);
    EXPECT_EQ(info.ProgramFolder, u"C:\\Tools\\");
    EXPECT_EQ(info.DocumentsFolder, u"");
    EXPECT_EQ(info.WindowsVersion, u"");
    EXPECT_EQ(info.ProgramSize, 0);
    EXPECT_EQ(info.ProgramVersion, u"");
    EXPECT_EQ(machine.calls, (std::vector<std::string>{"path", "documents"}));
}

}  // namespace
}  // namespace palimp
