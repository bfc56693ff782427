// The report request with WinHTTP. The URL arrives escaped and ASCII only, so WinHTTP is told
// to send it as it is.
#include "win/system/report_sender.h"

#include <winhttp.h>

#include <thread>

namespace palimp {

namespace {

// Closes a WinHTTP handle at the end of its scope.
struct Handle {
    HINTERNET h = nullptr;
    ~Handle() {
        if (h) WinHttpCloseHandle(h);
    }
};

ReportAnswer Get(const std::wstring& url, bool direct) {
    ReportAnswer answer;
    auto fail = [&answer] {
        answer.error = GetLastError();
        if (answer.error == 0) answer.error = ERROR_WINHTTP_INTERNAL_ERROR;
        return answer;
    };
    URL_COMPONENTS parts = {sizeof(parts)};
    wchar_t host[256] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return fail();
    std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    // The system's proxy settings (automatic where the system knows it, else the configured
    // one); a server on this machine is reached directly.
    Handle session;
    if (direct) {
        session.h = WinHttpOpen(L"Palimp/1.2", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    } else {
        session.h = WinHttpOpen(L"Palimp/1.2", 4 /* WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY */, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0);
        if (!session.h) {
            session.h = WinHttpOpen(L"Palimp/1.2", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0);
        }
    }
    if (!session.h) return fail();
    WinHttpSetTimeouts(session.h, 10000, 10000, 10000, 15000);
    Handle connection{WinHttpConnect(session.h, host, parts.nPort, 0)};
    if (!connection.h) return fail();
    DWORD flags = WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= WINHTTP_FLAG_SECURE;
    Handle request{WinHttpOpenRequest(connection.h, L"GET", object.c_str(), nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, flags)};
    if (!request.h) return fail();
    if (!WinHttpSendRequest(request.h, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) return fail();
    if (!WinHttpReceiveResponse(request.h, nullptr)) return fail();
    DWORD size = sizeof(answer.status);
    WinHttpQueryHeaders(request.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                        &answer.status, &size, WINHTTP_NO_HEADER_INDEX);
    // An answer page, not a download: a little is plenty.
    while (answer.body.size() < 1000000) {
        char buffer[4096];
        DWORD got = 0;
        if (!WinHttpReadData(request.h, buffer, sizeof(buffer), &got)) return fail();
        if (got == 0) break;
        answer.body.append(buffer, got);
    }
    return answer;
}

}  // namespace

bool SendReportAsync(HWND window, UINT message, std::wstring url, bool direct) {
    try {
        // Detached: closing the dialog (and ending the program) must not wait for the network.
        std::thread([window, message, url = std::move(url), direct] {
            auto* answer = new ReportAnswer(Get(url, direct));
            if (!PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(answer))) delete answer;
        }).detach();
        return true;
    } catch (...) {
        return false;  // no thread could be started
    }
}

std::wstring ReportErrorText(DWORD error) {
    wchar_t* text = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    // WinHTTP's own errors are described by its module.
    HMODULE winhttp = GetModuleHandleW(L"winhttp.dll");
    if (winhttp && error >= WINHTTP_ERROR_BASE && error <= WINHTTP_ERROR_LAST) flags |= FORMAT_MESSAGE_FROM_HMODULE;
    DWORD length = FormatMessageW(flags, winhttp, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring words(text ? text : L"", length);
    if (text) LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L'.' || words.back() == L' '))
        words.pop_back();
    if (words.empty()) {
        // Words of our own where the system has none (Wine keeps no texts for WinHTTP).
        switch (error) {
            case ERROR_WINHTTP_NAME_NOT_RESOLVED: words = L"the server's name could not be resolved"; break;
            case ERROR_WINHTTP_CANNOT_CONNECT: words = L"no connection to the server could be made"; break;
            case ERROR_WINHTTP_TIMEOUT: words = L"the server did not answer in time"; break;
            case ERROR_WINHTTP_CONNECTION_ERROR: words = L"the connection to the server was broken"; break;
            case ERROR_WINHTTP_SECURE_FAILURE:
            case ERROR_WINHTTP_SECURE_CHANNEL_ERROR: words = L"no secure connection to the server could be made"; break;
            default: words = L"the request failed"; break;
        }
    }
    return words + L" (error " + std::to_wstring(error) + L").";
}

std::unique_ptr<ReportAnswer> TakeReportAnswer(LPARAM lParam) {
    return std::unique_ptr<ReportAnswer>(reinterpret_cast<ReportAnswer*>(lParam));
}

}  // namespace palimp
