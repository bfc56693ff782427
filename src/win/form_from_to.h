// The pair editor dialog of the table editor (one instance, FormFromTo).
#pragma once

#include "win/ui/window.h"

namespace palimp {

class TFormFromTo : public Form {
public:
    explicit TFormFromTo(FormHost& host) : Form(host) {}
    void CreateForm() override;
    void FormCreate() override;
};

}  // namespace palimp
