// The replacement table editor window (one instance, FormTable), shown modally by Replace Many.
#pragma once

#include <string>

#include "core/replacement_table.h"
#include "win/ui/window.h"

namespace palimp {

class TFormTable : public Form {
public:
    explicit TFormTable(FormHost& host) : Form(host) {}
    void CreateForm() override;
    void FormCreate() override;

    // The face of the grid font; the font dialog of the main window sets it, the size stays.
    const std::wstring& GridFontFace() const { return gridFontFace_; }
    void SetGridFontFace(const std::wstring& face);

    // The table the grid shows; Replace Many reads it when the window closes with OK.
    const ReplacementTable& Table() const { return table_; }

protected:
    void OnGetMinMaxInfo(MINMAXINFO& info) override;

private:
    std::wstring gridFontFace_ = L"Lucida Sans Unicode";
    ReplacementTable table_;
};

}  // namespace palimp
