// The pair editor dialog of the table editor (one instance, FormFromTo).
#pragma once

#include "win/window.h"

namespace palimp {

class TFormFromTo : public Form {
public:
    explicit TFormFromTo(Application& app) : Form(app) {}
    void CreateForm() override;
    void FormCreate() override;
};

}  // namespace palimp
