// The error report dialog (one instance, DialogException): where uncaught failures end.
#pragma once

#include "win/window.h"

namespace palimp {

class TDialogException : public Form {
public:
    explicit TDialogException(Application& app) : Form(app) {}
    void CreateForm() override;
    void FormCreate() override;
};

}  // namespace palimp
