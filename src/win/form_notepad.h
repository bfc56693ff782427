// The read-only text viewer (one instance, FormNotepad): the preview of the error report.
#pragma once

#include "win/window.h"

namespace palimp {

class TFormNotepad : public Form {
public:
    explicit TFormNotepad(Application& app) : Form(app) {}
    void CreateForm() override;
};

}  // namespace palimp
