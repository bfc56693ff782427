// Reading the kept settings with a check of every value, and writing them back.
#include "core/settings.h"

namespace palimp {

namespace {

// The value names in the store.
constexpr char kFontFace[] = "FontFace";
constexpr char kFontSize[] = "FontSize";
constexpr char kWordWrap[] = "WordWrap";
constexpr char kWindowLeft[] = "WindowLeft";
constexpr char kWindowTop[] = "WindowTop";
constexpr char kWindowWidth[] = "WindowWidth";
constexpr char kWindowHeight[] = "WindowHeight";
constexpr char kWindowMaximized[] = "WindowMaximized";
constexpr char kCaseSensitive[] = "FindCaseSensitive";
constexpr char kWholeWords[] = "FindWholeWords";
constexpr char kFindPanel[] = "FindPanelShown";
constexpr char kStatusBar[] = "StatusBarShown";
constexpr char kTableWidth[] = "TableWidth";
constexpr char kTableHeight[] = "TableHeight";
constexpr char kTableFontFace[] = "TableFontFace";
constexpr char kTableFontSize[] = "TableFontSize";
constexpr char kLastTable[] = "LastTableFile";

// The smallest window the program would keep: anything smaller is a damaged value.
constexpr int kWindowExtentMin = 100;

// A whole number kept as 32 bits, read back with its sign.
std::optional<int> ReadInt(const SettingsStore& store, std::string_view name, int low, int high) {
    std::optional<std::uint32_t> raw = store.ReadNumber(name);
    if (!raw) return std::nullopt;
    const auto value = static_cast<std::int32_t>(*raw);
    if (value < low || value > high) return std::nullopt;
    return value;
}

void ReadBool(const SettingsStore& store, std::string_view name, bool& into) {
    if (std::optional<int> value = ReadInt(store, name, 0, 1)) into = *value == 1;
}

void ReadFace(const SettingsStore& store, std::string_view name, std::u16string& into) {
    std::optional<std::u16string> face = store.ReadText(name);
    if (!face || face->empty() || face->size() > static_cast<size_t>(kFaceLengthMax)) return;
    if (face->find(u'\0') != std::u16string::npos) return;
    into = *face;
}

void ReadSize(const SettingsStore& store, std::string_view name, int& into) {
    if (std::optional<int> size = ReadInt(store, name, kFontSizeMin, kFontSizeMax)) into = *size;
}

void WriteInt(SettingsStore& store, std::string_view name, int value) {
    store.WriteNumber(name, static_cast<std::uint32_t>(value));
}

}  // namespace

Settings ReadSettings(const SettingsStore& store) {
    Settings settings;
    ReadFace(store, kFontFace, settings.fontFace);
    ReadSize(store, kFontSize, settings.fontSize);
    ReadBool(store, kWordWrap, settings.wordWrap);

    // A place counts only whole: four sane numbers.
    std::optional<int> left = ReadInt(store, kWindowLeft, -kWindowExtentMax, kWindowExtentMax);
    std::optional<int> top = ReadInt(store, kWindowTop, -kWindowExtentMax, kWindowExtentMax);
    std::optional<int> width = ReadInt(store, kWindowWidth, kWindowExtentMin, kWindowExtentMax);
    std::optional<int> height = ReadInt(store, kWindowHeight, kWindowExtentMin, kWindowExtentMax);
    if (left && top && width && height) settings.mainWindow = WindowPlace{*left, *top, *width, *height};
    ReadBool(store, kWindowMaximized, settings.mainMaximized);

    ReadBool(store, kCaseSensitive, settings.caseSensitive);
    ReadBool(store, kWholeWords, settings.wholeWords);
    ReadBool(store, kFindPanel, settings.findPanelShown);
    ReadBool(store, kStatusBar, settings.statusBarShown);

    std::optional<int> tableWidth = ReadInt(store, kTableWidth, kWindowExtentMin, kWindowExtentMax);
    std::optional<int> tableHeight = ReadInt(store, kTableHeight, kWindowExtentMin, kWindowExtentMax);
    if (tableWidth && tableHeight) settings.tableWindow = WindowPlace{0, 0, *tableWidth, *tableHeight};
    ReadFace(store, kTableFontFace, settings.tableFontFace);
    ReadSize(store, kTableFontSize, settings.tableFontSize);
    if (std::optional<std::u16string> last = store.ReadText(kLastTable)) {
        if (last->find(u'\0') == std::u16string::npos) settings.lastTableFile = *last;
    }
    return settings;
}

void WriteSettings(const Settings& settings, SettingsStore& store) {
    store.WriteText(kFontFace, settings.fontFace);
    WriteInt(store, kFontSize, settings.fontSize);
    WriteInt(store, kWordWrap, settings.wordWrap ? 1 : 0);
    if (settings.mainWindow) {
        WriteInt(store, kWindowLeft, settings.mainWindow->x);
        WriteInt(store, kWindowTop, settings.mainWindow->y);
        WriteInt(store, kWindowWidth, settings.mainWindow->width);
        WriteInt(store, kWindowHeight, settings.mainWindow->height);
    }
    WriteInt(store, kWindowMaximized, settings.mainMaximized ? 1 : 0);
    WriteInt(store, kCaseSensitive, settings.caseSensitive ? 1 : 0);
    WriteInt(store, kWholeWords, settings.wholeWords ? 1 : 0);
    WriteInt(store, kFindPanel, settings.findPanelShown ? 1 : 0);
    WriteInt(store, kStatusBar, settings.statusBarShown ? 1 : 0);
    if (settings.tableWindow) {
        WriteInt(store, kTableWidth, settings.tableWindow->width);
        WriteInt(store, kTableHeight, settings.tableWindow->height);
    }
    store.WriteText(kTableFontFace, settings.tableFontFace);
    WriteInt(store, kTableFontSize, settings.tableFontSize);
    store.WriteText(kLastTable, settings.lastTableFile);
}

}  // namespace palimp
