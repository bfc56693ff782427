// The kept settings: a first run's values, a round trip through a store, and damaged values
// that fall back one by one.
#include "core/settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <variant>

namespace palimp {
namespace {

class MemoryStore final : public SettingsStore {
public:
    using Value = std::variant<std::u16string, std::uint32_t>;
    std::map<std::string, Value, std::less<>> values;

    std::optional<std::u16string> ReadText(std::string_view name) const override {
        auto it = values.find(name);
        if (it == values.end() || !std::holds_alternative<std::u16string>(it->second)) return std::nullopt;
        return std::get<std::u16string>(it->second);
    }
    std::optional<std::uint32_t> ReadNumber(std::string_view name) const override {
        auto it = values.find(name);
        if (it == values.end() || !std::holds_alternative<std::uint32_t>(it->second)) return std::nullopt;
        return std::get<std::uint32_t>(it->second);
    }
    void WriteText(std::string_view name, std::u16string_view value) override {
        values[std::string(name)] = std::u16string(value);
    }
    void WriteNumber(std::string_view name, std::uint32_t value) override { values[std::string(name)] = value; }
};

TEST(Settings, AnEmptyStoreGivesTheStartUpLook) {
    const Settings first = ReadSettings(MemoryStore());
    EXPECT_EQ(first, Settings());
    EXPECT_EQ(first.fontFace, u"Lucida Console");
    EXPECT_EQ(first.fontSize, 10);
    EXPECT_TRUE(first.wordWrap);
    EXPECT_FALSE(first.mainWindow);
    EXPECT_FALSE(first.findPanelShown);
    EXPECT_TRUE(first.statusBarShown);
    EXPECT_EQ(first.tableFontFace, u"Lucida Sans Unicode");
}

TEST(Settings, WhatIsWrittenIsReadBack) {
    Settings kept;
    kept.fontFace = u"Courier New";
    kept.fontSize = 14;
    kept.wordWrap = false;
    kept.mainWindow = WindowPlace{-1200, 40, 700, 500};  // on a screen left of the main one
    kept.mainMaximized = true;
    kept.caseSensitive = true;
    kept.wholeWords = true;
    kept.findPanelShown = true;
    kept.statusBarShown = false;
    kept.tableWindow = WindowPlace{0, 0, 800, 600};
    kept.tableFontFace = u"Tahoma";
    kept.tableFontSize = 30;
    kept.lastTableFile = u"C:\\tables\\quotes.palimp";
    MemoryStore store;
    WriteSettings(kept, store);
    EXPECT_EQ(ReadSettings(store), kept);
}

TEST(Settings, ADamagedValueFallsBackAloneToItsFirstRunValue) {
    MemoryStore good;
    Settings kept;
    kept.fontFace = u"Courier New";
    kept.fontSize = 14;
    kept.wordWrap = false;
    kept.mainWindow = WindowPlace{10, 20, 700, 500};
    kept.tableWindow = WindowPlace{0, 0, 800, 600};
    kept.lastTableFile = u"t.palimp";
    kept.statusBarShown = false;
    WriteSettings(kept, good);
    const struct {
        const char* name;
        MemoryStore::Value value;
        void (*expect)(const Settings&);
    } cases[] = {
        {"FontFace", std::uint32_t{7}, [](const Settings& s) { EXPECT_EQ(s.fontFace, u"Lucida Console"); }},
        {"FontFace", std::u16string(), [](const Settings& s) { EXPECT_EQ(s.fontFace, u"Lucida Console"); }},
        {"FontFace", std::u16string(40, u'x'), [](const Settings& s) { EXPECT_EQ(s.fontFace, u"Lucida Console"); }},
        {"FontSize", std::uint32_t{5}, [](const Settings& s) { EXPECT_EQ(s.fontSize, 10); }},
        {"FontSize", std::uint32_t{31}, [](const Settings& s) { EXPECT_EQ(s.fontSize, 10); }},
        {"FontSize", std::u16string(u"14"), [](const Settings& s) { EXPECT_EQ(s.fontSize, 10); }},
        {"WordWrap", std::uint32_t{2}, [](const Settings& s) { EXPECT_TRUE(s.wordWrap); }},
        {"StatusBarShown", std::u16string(u"0"), [](const Settings& s) { EXPECT_TRUE(s.statusBarShown); }},
        {"WindowWidth", std::uint32_t{0xFFFFFFFF}, [](const Settings& s) { EXPECT_FALSE(s.mainWindow); }},
        {"WindowTop", std::uint32_t{40000}, [](const Settings& s) { EXPECT_FALSE(s.mainWindow); }},
        {"WindowHeight", std::uint32_t{99}, [](const Settings& s) { EXPECT_FALSE(s.mainWindow); }},
        {"TableHeight", std::u16string(u"600"), [](const Settings& s) { EXPECT_FALSE(s.tableWindow); }},
        {"TableFontSize", std::uint32_t{0}, [](const Settings& s) { EXPECT_EQ(s.tableFontSize, 10); }},
        {"LastTableFile", std::u16string(u"a\0b", 3), [](const Settings& s) { EXPECT_EQ(s.lastTableFile, u""); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStore damaged = good;
        damaged.values[c.name] = c.value;
        const Settings read = ReadSettings(damaged);
        c.expect(read);
        // Everything else is read as it was kept.
        Settings others = read;
        if (std::string_view(c.name) == "FontFace") others.fontFace = kept.fontFace;
        if (std::string_view(c.name) == "FontSize") others.fontSize = kept.fontSize;
        if (std::string_view(c.name) == "WordWrap") others.wordWrap = kept.wordWrap;
        if (std::string_view(c.name) == "StatusBarShown") others.statusBarShown = kept.statusBarShown;
        if (std::string_view(c.name).starts_with("Window")) others.mainWindow = kept.mainWindow;
        if (std::string_view(c.name) == "TableHeight") others.tableWindow = kept.tableWindow;
        if (std::string_view(c.name) == "TableFontSize") others.tableFontSize = kept.tableFontSize;
        if (std::string_view(c.name) == "LastTableFile") others.lastTableFile = kept.lastTableFile;
        EXPECT_EQ(others, kept);
    }
}

}  // namespace
}  // namespace palimp
