// User commands as named actions, and the menu items and toolbar buttons bound to them. One list
// per window assigns every command id (no id is written anywhere else), so enabling or checking
// an action updates every place it appears, and the tests find commands by name.
//
// Use:
//   Action& actionNew = actions_.Add({.name = "actionNew", .caption = L"New",
//                                     .shortcut = {'N', kCtrl}}, [this] { actionNewExecute(); });
//   MenuItem& mi6 = actions_.AddItem({.name = "miFontSize6", .caption = L"6", .tag = 6,
//                                     .radio = true}, [this](MenuItem& s) { miFontSizeClick(s); });
//   HMENU bar = actions_.BuildMenuBar({MenuEntry::Sub(L"File", {MenuEntry::Of(actionNew)})});
//   actions_.Add({.name = "actionFontLarger", .caption = L"&Larger", .shortcut = {VK_OEM_PLUS, kCtrl},
//                 .secondaryShortcuts = kFontLargerSecondaryShortcuts}, ...);  // more keys, same command
//   actions_.BindToolbar(toolBar);   // buttons whose command id is an action's Id()
//   SetActionList(&actions_);        // in the window: shortcuts and WM_COMMAND ids run them
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace palimp {

enum Modifier : unsigned { kNoModifier = 0, kCtrl = 1, kShift = 2, kAlt = 4 };

// A key with modifiers; key 0 means no shortcut.
struct Shortcut {
    UINT key = 0;
    unsigned modifiers = kNoModifier;

    bool IsNone() const { return key == 0; }
    bool operator==(const Shortcut&) const = default;
    // As menus show it: "Ctrl+N", "F6", "Shift+F3", "Ctrl+=", "Ctrl+-", "Del",
    // "Ctrl+Shift+Alt+Q", "Ctrl+Num +"; empty for no shortcut.
    std::wstring Text() const;
    // The modifiers held down now, from the thread's keyboard state.
    static unsigned HeldModifiers();
};

// The second keys of every window's Larger and Smaller commands, beside Ctrl+= and Ctrl+-: the
// numeric keypad's + and -, and Ctrl+Shift+= (what most keyboards call Ctrl++).
inline const std::vector<Shortcut> kFontLargerSecondaryShortcuts = {{VK_ADD, kCtrl}, {VK_OEM_PLUS, kCtrl | kShift}};
inline const std::vector<Shortcut> kFontSmallerSecondaryShortcuts = {{VK_SUBTRACT, kCtrl}};

class ActionList;

struct ActionParams {
    std::string name;
    std::wstring caption;
    std::wstring hint;
    Shortcut shortcut;  // the one the menus show
    // Further keys that run the action too (VCL's SecondaryShortCuts); menus do not show them.
    std::vector<Shortcut> secondaryShortcuts;
    int tag = 0;
    bool enabled = true;
    bool checked = false;
    // While a text field has the focus, the shortcut is left to the field (Del deletes there).
    bool shortcutYieldsToTextField = false;
};

class Action {
public:
    const std::string& Name() const { return params_.name; }
    const std::wstring& Caption() const { return params_.caption; }
    const std::wstring& Hint() const { return params_.hint; }
    const Shortcut& GetShortcut() const { return params_.shortcut; }
    const std::vector<Shortcut>& SecondaryShortcuts() const { return params_.secondaryShortcuts; }
    // Whether pressed is the shortcut or one of the secondary shortcuts.
    bool HasShortcut(const Shortcut& pressed) const;
    bool ShortcutYieldsToTextField() const { return params_.shortcutYieldsToTextField; }
    int Id() const { return id_; }
    int Tag() const { return params_.tag; }
    void SetTag(int tag) { params_.tag = tag; }

    bool Enabled() const { return params_.enabled; }
    // Enables or disables the action and every menu item and toolbar button bound to it.
    void SetEnabled(bool enabled);
    bool Checked() const { return params_.checked; }
    void SetChecked(bool checked);

    // Runs the handler when the action is enabled; returns whether it ran.
    bool Execute();
    // Brings the enabled/checked state up to date (the update handler), if there is one.
    void Update();
    void SetUpdateHandler(std::function<void(Action&)> onUpdate) { onUpdate_ = std::move(onUpdate); }

private:
    friend class ActionList;
    Action(ActionList& list, int id, ActionParams params, std::function<void()> onExecute)
        : list_(list), id_(id), params_(std::move(params)), onExecute_(std::move(onExecute)) {}

    ActionList& list_;
    int id_;
    ActionParams params_;
    std::function<void()> onExecute_;
    std::function<void(Action&)> onUpdate_;
};

struct MenuItemParams {
    std::string name;
    std::wstring caption;
    int tag = 0;
    bool checked = false;
    bool radio = false;      // shows a bullet instead of a check mark
    bool isDefault = false;  // shown bold as its menu's default item
    bool enabled = true;
};

// A menu entry of its own (not an action): "E&xit", the font size radio items, "Search for".
// Entries bound to an action take their state from the action instead.
class MenuItem {
public:
    const std::string& Name() const { return params_.name; }
    const std::wstring& Caption() const { return params_.caption; }
    int Id() const { return id_; }
    int Tag() const { return params_.tag; }
    void SetTag(int tag) { params_.tag = tag; }
    bool Checked() const { return params_.checked; }
    void SetChecked(bool checked);
    bool Enabled() const { return params_.enabled; }
    void SetEnabled(bool enabled);
    bool IsDefault() const { return params_.isDefault; }
    // The menu that holds this entry once a menu was built from it.
    HMENU ParentMenu() const { return parent_; }
    // Runs the click handler (when enabled).
    void Click();

private:
    friend class ActionList;
    MenuItem(int id, MenuItemParams params, std::function<void(MenuItem&)> onClick)
        : id_(id), params_(std::move(params)), onClick_(std::move(onClick)) {}

    int id_;
    MenuItemParams params_;
    std::function<void(MenuItem&)> onClick_;
    HMENU parent_ = nullptr;
};

// One line of a menu being built.
struct MenuEntry {
    enum class Kind { Action, Item, Separator, Submenu };
    Kind kind = Kind::Separator;
    Action* action = nullptr;
    MenuItem* item = nullptr;  // a submenu may be a named item too ("Search for")
    std::wstring caption;
    std::vector<MenuEntry> children;

    static MenuEntry Of(Action& action) { return {Kind::Action, &action, nullptr, {}, {}}; }
    // An entry of action that shows its own caption instead of the action's.
    static MenuEntry Of(Action& action, std::wstring caption) {
        return {Kind::Action, &action, nullptr, std::move(caption), {}};
    }
    static MenuEntry Of(MenuItem& item) { return {Kind::Item, nullptr, &item, {}, {}}; }
    static MenuEntry Separator() { return {}; }
    static MenuEntry Sub(std::wstring caption, std::vector<MenuEntry> children) {
        return {Kind::Submenu, nullptr, nullptr, std::move(caption), std::move(children)};
    }
    static MenuEntry Sub(MenuItem& item, std::vector<MenuEntry> children) {
        return {Kind::Submenu, nullptr, &item, item.Caption(), std::move(children)};
    }
};

class ActionList {
public:
    ActionList();
    ActionList(const ActionList&) = delete;
    ActionList& operator=(const ActionList&) = delete;
    ~ActionList();

    Action& Add(ActionParams params, std::function<void()> onExecute);
    MenuItem& AddItem(MenuItemParams params, std::function<void(MenuItem&)> onClick);

    Action* Find(std::string_view name);
    MenuItem* FindItem(std::string_view name);
    Action* FindById(int id);
    MenuItem* FindItemById(int id);

    // A menu bar (or a popup menu) whose entries are bound to the actions and items. The list
    // destroys the menus it built unless a window took over the menu bar.
    HMENU BuildMenuBar(const std::vector<MenuEntry>& entries);
    HMENU BuildPopup(const std::vector<MenuEntry>& entries);
    // Toolbar buttons whose command ids are action ids follow their action's state.
    void BindToolbar(HWND toolbar);
    void UnbindToolbar(HWND toolbar);
    // A button whose control id is an action's Id() follows that action's enabled state (its
    // click reaches the action through the form's command routing).
    void BindButton(HWND button);

    // Runs the action or menu item with this command id; false when the id is not ours.
    bool Dispatch(int id);
    // Runs the enabled action whose shortcut or secondary shortcut is this key press (WM_KEYDOWN
    // or WM_SYSKEYDOWN); false when the key is not a shortcut here, its action is disabled, or
    // its action leaves the key to the focused text field.
    bool HandleShortcut(const MSG& msg);
    // Runs every update handler.
    void Update();

    // The marks of the real menu entry of an action or item: MF_GRAYED, MF_CHECKED, ... from
    // GetMenuState; -1 when it is in no menu.
    int MenuState(int id) const;
    // The caption the menu shows for an entry ("Save\tCtrl+S").
    std::wstring MenuText(int id) const;

    // The menu bar now belongs to a window (which destroys it with itself).
    void ReleaseMenuBar(HMENU menu);

private:
    friend class Action;
    friend class MenuItem;
    void Fill(HMENU menu, const std::vector<MenuEntry>& entries);
    void Append(HMENU menu, const MenuEntry& entry);
    void ApplyState(int id, bool enabled, bool checked);
    HMENU MenuHolding(int id) const;

    int nextId_;
    std::deque<Action> actions_;
    std::deque<MenuItem> items_;
    std::vector<HMENU> ownedMenus_;
    std::vector<std::pair<int, HMENU>> places_;  // command id -> the menu holding it
    std::vector<HWND> toolbars_;
    std::vector<HWND> buttons_;
};

}  // namespace palimp
