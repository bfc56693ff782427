// The progress dialog of the replace-many pass (one instance, dlgProgress).
#pragma once

#include "win/ui/window.h"

namespace palimp {

class TdlgProgress : public Form {
public:
    explicit TdlgProgress(FormHost& host) : Form(host) {}
    void CreateForm() override;
    void FormCreate() override;
};

}  // namespace palimp
