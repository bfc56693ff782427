// The error report dialog (one instance, DialogException): where uncaught failures end.
#pragma once

#include "win/ui/window.h"

namespace palimp {

class TDialogException : public Form {
public:
    explicit TDialogException(FormHost& host) : Form(host) {}
    void CreateForm() override;
    void FormCreate() override;
};

}  // namespace palimp
