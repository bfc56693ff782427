// The read-only text viewer (one instance, FormNotepad): the preview of the error report.
#pragma once

#include <string_view>

#include "win/app_form.h"
#include "win/ui/layout.h"

namespace palimp {

class TFormNotepad : public AppForm {
public:
    explicit TFormNotepad(FormHost& host) : AppForm(host) {}
    void CreateForm() override;
    // The text shown, exactly as given (CR LF line breaks).
    void SetText(std::wstring_view text);

protected:
    void OnSize(int width, int height) override;

private:
    Layout layout_;
    HWND memoNotepad = nullptr;
};

}  // namespace palimp
