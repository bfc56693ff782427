// The progress dialog of the replace-many pass (one instance, dlgProgress).
#pragma once

#include "win/window.h"

namespace palimp {

class TdlgProgress : public Form {
public:
    explicit TdlgProgress(Application& app) : Form(app) {}
    void CreateForm() override;
    void FormCreate() override;
};

}  // namespace palimp
