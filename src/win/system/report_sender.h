// The one request of the error report: a GET of the report URL on a worker thread, whose end
// is posted to a window of the GUI thread, so the dialog stays responsive meanwhile.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace palimp {

// How the request ended.
struct ReportAnswer {
    DWORD error = 0;   // 0, or the system's error code when no answer came
    DWORD status = 0;  // the HTTP status of the answer
    std::string body;  // the answer's bytes
};

// Starts the request and returns at once; false when it could not be started. When it ends,
// message is posted to window with an answer in lParam: take it with TakeReportAnswer (a
// window that is gone by then costs nothing). direct skips any proxy (for a server on this
// machine).
bool SendReportAsync(HWND window, UINT message, std::wstring url, bool direct);
std::unique_ptr<ReportAnswer> TakeReportAnswer(LPARAM lParam);

// The system's words for an error of the request, with its number: "The server name or address
// could not be resolved (error 12007)".
std::wstring ReportErrorText(DWORD error);

}  // namespace palimp
