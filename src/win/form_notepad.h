// The read-only text viewer (one instance, FormNotepad): the preview of the error report.
#pragma once

#include "win/ui/window.h"

namespace palimp {

class TFormNotepad : public Form {
public:
    explicit TFormNotepad(FormHost& host) : Form(host) {}
    void CreateForm() override;
};

}  // namespace palimp
