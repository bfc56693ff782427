// Actions, menu items and the menus and toolbars bound to them.
#include "win/ui/actions.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

namespace palimp {

namespace {

// Command ids of actions and menu items start here, far above the ids of controls.
constexpr int kFirstCommandId = 40001;

std::wstring KeyName(UINT key) {
    if (key >= VK_F1 && key <= VK_F24) return L"F" + std::to_wstring(key - VK_F1 + 1);
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::wstring(1, static_cast<wchar_t>(key));
    switch (key) {
        case VK_DELETE: return L"Del";
        case VK_INSERT: return L"Ins";
        case VK_BACK: return L"BkSp";
        case VK_RETURN: return L"Enter";
        case VK_ESCAPE: return L"Esc";
        case VK_TAB: return L"Tab";
        case VK_SPACE: return L"Space";
        case VK_HOME: return L"Home";
        case VK_END: return L"End";
        case VK_PRIOR: return L"PgUp";
        case VK_NEXT: return L"PgDn";
        case VK_LEFT: return L"Left";
        case VK_RIGHT: return L"Right";
        case VK_UP: return L"Up";
        case VK_DOWN: return L"Down";
        case VK_OEM_PLUS: return L"=";  // the key that carries '=' and '+'
        case VK_OEM_MINUS: return L"-";
        case VK_OEM_COMMA: return L",";
        case VK_OEM_PERIOD: return L".";
        case VK_ADD: return L"Num +";
        case VK_SUBTRACT: return L"Num -";
        default: return L"#" + std::to_wstring(key);
    }
}

// A control that edits text (an edit box, the document view) says so to dialogs.
bool IsTextField(HWND hwnd) { return hwnd && (SendMessageW(hwnd, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL); }

}  // namespace

std::wstring Shortcut::Text() const {
    if (IsNone()) return {};
    std::wstring text;
    if (modifiers & kCtrl) text += L"Ctrl+";
    if (modifiers & kShift) text += L"Shift+";
    if (modifiers & kAlt) text += L"Alt+";
    return text + KeyName(key);
}

unsigned Shortcut::HeldModifiers() {
    unsigned held = kNoModifier;
    if (GetKeyState(VK_CONTROL) < 0) held |= kCtrl;
    if (GetKeyState(VK_SHIFT) < 0) held |= kShift;
    if (GetKeyState(VK_MENU) < 0) held |= kAlt;
    return held;
}

void Action::SetEnabled(bool enabled) {
    params_.enabled = enabled;
    list_.ApplyState(id_, params_.enabled, params_.checked);
}

void Action::SetChecked(bool checked) {
    params_.checked = checked;
    list_.ApplyState(id_, params_.enabled, params_.checked);
}

bool Action::HasShortcut(const Shortcut& pressed) const {
    if (pressed.IsNone()) return false;
    if (params_.shortcut == pressed) return true;
    return std::find(params_.secondaryShortcuts.begin(), params_.secondaryShortcuts.end(), pressed) !=
           params_.secondaryShortcuts.end();
}

bool Action::Execute() {
    Update();
    if (!params_.enabled || !onExecute_) return false;
    onExecute_();
    return true;
}

void Action::Update() {
    if (onUpdate_) onUpdate_(*this);
}

void MenuItem::SetChecked(bool checked) {
    params_.checked = checked;
    if (parent_) CheckMenuItem(parent_, id_, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MenuItem::SetEnabled(bool enabled) {
    params_.enabled = enabled;
    if (parent_) EnableMenuItem(parent_, id_, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MenuItem::Click() {
    if (params_.enabled && onClick_) onClick_(*this);
}

ActionList::ActionList() : nextId_(kFirstCommandId) {}

ActionList::~ActionList() {
    for (HMENU menu : ownedMenus_) DestroyMenu(menu);
}

Action& ActionList::Add(ActionParams params, std::function<void()> onExecute) {
    actions_.push_back(Action(*this, nextId_++, std::move(params), std::move(onExecute)));
    return actions_.back();
}

MenuItem& ActionList::AddItem(MenuItemParams params, std::function<void(MenuItem&)> onClick) {
    items_.push_back(MenuItem(nextId_++, std::move(params), std::move(onClick)));
    return items_.back();
}

Action* ActionList::Find(std::string_view name) {
    for (Action& action : actions_)
        if (action.Name() == name) return &action;
    return nullptr;
}

MenuItem* ActionList::FindItem(std::string_view name) {
    for (MenuItem& item : items_)
        if (item.Name() == name) return &item;
    return nullptr;
}

Action* ActionList::FindById(int id) {
    for (Action& action : actions_)
        if (action.Id() == id) return &action;
    return nullptr;
}

MenuItem* ActionList::FindItemById(int id) {
    for (MenuItem& item : items_)
        if (item.Id() == id) return &item;
    return nullptr;
}

HMENU ActionList::BuildMenuBar(const std::vector<MenuEntry>& entries) {
    HMENU menu = CreateMenu();
    ownedMenus_.push_back(menu);
    Fill(menu, entries);
    return menu;
}

HMENU ActionList::BuildPopup(const std::vector<MenuEntry>& entries) {
    HMENU menu = CreatePopupMenu();
    ownedMenus_.push_back(menu);
    Fill(menu, entries);
    return menu;
}

void ActionList::ReleaseMenuBar(HMENU menu) { std::erase(ownedMenus_, menu); }

void ActionList::Fill(HMENU menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries) Append(menu, entry);
}

void ActionList::Append(HMENU menu, const MenuEntry& entry) {
    MENUITEMINFOW info = {sizeof(info)};
    std::wstring text;
    switch (entry.kind) {
        case MenuEntry::Kind::Separator:
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_SEPARATOR;
            break;
        case MenuEntry::Kind::Action: {
            const Action& action = *entry.action;
            text = entry.caption.empty() ? action.Caption() : entry.caption;
            if (!action.GetShortcut().IsNone()) text += L"\t" + action.GetShortcut().Text();
            info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
            info.wID = static_cast<UINT>(action.Id());
            info.fState = (action.Enabled() ? MFS_ENABLED : MFS_DISABLED) | (action.Checked() ? MFS_CHECKED : 0);
            places_.emplace_back(action.Id(), menu);
            break;
        }
        case MenuEntry::Kind::Item: {
            MenuItem& item = *entry.item;
            text = item.Caption();
            info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
            info.fType = item.params_.radio ? MFT_RADIOCHECK : 0;
            info.wID = static_cast<UINT>(item.Id());
            info.fState = (item.Enabled() ? MFS_ENABLED : MFS_DISABLED) | (item.Checked() ? MFS_CHECKED : 0) |
                          (item.IsDefault() ? MFS_DEFAULT : 0);
            item.parent_ = menu;
            places_.emplace_back(item.Id(), menu);
            break;
        }
        case MenuEntry::Kind::Submenu: {
            HMENU sub = CreatePopupMenu();  // destroyed with the menu that holds it
            Fill(sub, entry.children);
            text = entry.caption;
            info.fMask = MIIM_SUBMENU | MIIM_STRING;
            info.hSubMenu = sub;
            if (entry.item) {
                info.fMask |= MIIM_ID;
                info.wID = static_cast<UINT>(entry.item->Id());
                entry.item->parent_ = menu;
                places_.emplace_back(entry.item->Id(), menu);
            }
            break;
        }
    }
    if (!text.empty()) info.dwTypeData = text.data();
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
}

void ActionList::BindToolbar(HWND toolbar) {
    toolbars_.push_back(toolbar);
    for (Action& action : actions_) ApplyState(action.Id(), action.Enabled(), action.Checked());
}

void ActionList::UnbindToolbar(HWND toolbar) { std::erase(toolbars_, toolbar); }

void ActionList::BindButton(HWND button) {
    buttons_.push_back(button);
    if (Action* action = FindById(GetDlgCtrlID(button))) EnableWindow(button, action->Enabled());
}

void ActionList::ApplyState(int id, bool enabled, bool checked) {
    for (const auto& [placeId, menu] : places_) {
        if (placeId != id) continue;
        EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
    for (HWND toolbar : toolbars_) {
        if (!IsWindow(toolbar) || SendMessageW(toolbar, TB_COMMANDTOINDEX, id, 0) < 0) continue;
        SendMessageW(toolbar, TB_ENABLEBUTTON, id, MAKELONG(enabled ? TRUE : FALSE, 0));
        SendMessageW(toolbar, TB_CHECKBUTTON, id, MAKELONG(checked ? TRUE : FALSE, 0));
    }
    for (HWND button : buttons_) {
        if (IsWindow(button) && GetDlgCtrlID(button) == id) EnableWindow(button, enabled);
    }
}

bool ActionList::Dispatch(int id) {
    if (Action* action = FindById(id)) {
        action->Execute();
        return true;
    }
    if (MenuItem* item = FindItemById(id)) {
        item->Click();
        return true;
    }
    return false;
}

bool ActionList::HandleShortcut(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    Shortcut pressed{static_cast<UINT>(msg.wParam), Shortcut::HeldModifiers()};
    for (Action& action : actions_) {
        if (!action.HasShortcut(pressed)) continue;
        if (action.ShortcutYieldsToTextField() && IsTextField(GetFocus())) return false;
        // A disabled action leaves the key to the focused control, as if it were no shortcut.
        return action.Execute();
    }
    return false;
}

void ActionList::Update() {
    for (Action& action : actions_) action.Update();
}

HMENU ActionList::MenuHolding(int id) const {
    for (const auto& [placeId, menu] : places_)
        if (placeId == id) return menu;
    return nullptr;
}

int ActionList::MenuState(int id) const {
    HMENU menu = MenuHolding(id);
    if (!menu) return -1;
    UINT state = GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
    return state == static_cast<UINT>(-1) ? -1 : static_cast<int>(state);
}

std::wstring ActionList::MenuText(int id) const {
    HMENU menu = MenuHolding(id);
    if (!menu) return {};
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(id), text, 256, MF_BYCOMMAND);
    return text;
}

}  // namespace palimp
