// The base of the program's windows: a form whose host is the application, so that a window
// reaches the other windows, the settings and the title through App(). The framework's Form
// knows only its FormHost.
#pragma once

#include "win/ui/window.h"

namespace palimp {

class Application;

class AppForm : public Form {
public:
    explicit AppForm(FormHost& host) : Form(host) {}

    // The application this window belongs to (its host).
    Application& App() const;
};

}  // namespace palimp
