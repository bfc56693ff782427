// What the program keeps from one run to the next, and how it reads it back from a store of
// named values (the registry on Windows): every value is checked on reading, and a missing or
// damaged one (of the wrong type, out of range, empty) gives the value of a first run, which is
// the program's start-up look, without a word to the user.
//
// Use:
//   Settings settings = ReadSettings(store);      // at start-up
//   settings.wordWrap = false;                    // as the user changes things
//   WriteSettings(settings, store);               // at exit
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace palimp {

// Where a window stands when not maximised: its outer rectangle in screen pixels.
struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowPlace&) const = default;
};

struct Settings {
    // The editor.
    std::u16string fontFace = u"Lucida Console";
    int fontSize = 10;
    bool wordWrap = true;
    // The main window: centred at its design size when there is no place.
    std::optional<WindowPlace> mainWindow;
    bool mainMaximized = false;
    // The find panel.
    bool caseSensitive = false;
    bool wholeWords = false;
    bool findPanelShown = false;
    // The status line under the editor.
    bool statusBarShown = true;
    // The table window: centred at its design size when there is no size.
    std::optional<WindowPlace> tableWindow;  // only the width and height count
    std::u16string tableFontFace = u"Lucida Sans Unicode";
    int tableFontSize = 10;
    // The table file loaded or saved last (empty: a new table at start-up).
    std::u16string lastTableFile;

    bool operator==(const Settings&) const = default;
};

// Named values kept for the user. Reading answers nothing for a missing value or one of the
// other type; writing may fail, silently.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::u16string> ReadText(std::string_view name) const = 0;
    virtual std::optional<std::uint32_t> ReadNumber(std::string_view name) const = 0;
    virtual void WriteText(std::string_view name, std::u16string_view value) = 0;
    virtual void WriteNumber(std::string_view name, std::uint32_t value) = 0;
};

// The limits a kept value must respect to be used.
inline constexpr int kFontSizeMin = 6;
inline constexpr int kFontSizeMax = 30;
inline constexpr int kFaceLengthMax = 31;   // a face name fits LOGFONT's 32 units
inline constexpr int kWindowExtentMax = 32767;

Settings ReadSettings(const SettingsStore& store);
void WriteSettings(const Settings& settings, SettingsStore& store);

}  // namespace palimp
