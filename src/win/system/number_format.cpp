// Locale-aware number text through GetNumberFormatW, with the number of decimals ours.
#include "win/system/number_format.h"

#include <windows.h>

#include <cstdio>

namespace palimp {

namespace {

std::wstring LocaleText(LCTYPE type, const wchar_t* fallback) {
    wchar_t buffer[16] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 16) <= 0) return fallback;
    return buffer;
}

UINT LocaleNumber(LCTYPE type, UINT fallback) {
    UINT value = 0;
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value),
                       sizeof(value) / sizeof(wchar_t)) <= 0) {
        return fallback;
    }
    return value;
}

}  // namespace

unsigned GroupingFromLocale(std::wstring_view grouping) {
    unsigned result = 0;
    bool endsInZero = false;
    for (wchar_t ch : grouping) {
        if (ch < L'0' || ch > L'9') continue;
        endsInZero = ch == L'0';
        if (!endsInZero) result = result * 10 + static_cast<unsigned>(ch - L'0');
    }
    // Without a final 0 the last group does not repeat: NUMBERFMT writes that as a trailing 0.
    if (!endsInZero && result != 0) result *= 10;
    return result;
}

std::wstring FormatLocaleNumber(double value, int decimals) {
    wchar_t raw[64] = {};
    std::swprintf(raw, 64, L"%.*f", decimals, value);
    std::wstring decimal = LocaleText(LOCALE_SDECIMAL, L".");
    std::wstring thousand = LocaleText(LOCALE_STHOUSAND, L",");
    NUMBERFMTW format = {};
    format.NumDigits = static_cast<UINT>(decimals);
    format.LeadingZero = LocaleNumber(LOCALE_ILZERO, 1);
    format.Grouping = GroupingFromLocale(LocaleText(LOCALE_SGROUPING, L"3;0"));
    format.lpDecimalSep = decimal.data();
    format.lpThousandSep = thousand.data();
    format.NegativeOrder = LocaleNumber(LOCALE_INEGNUMBER, 1);
    wchar_t out[96] = {};
    if (GetNumberFormatW(LOCALE_USER_DEFAULT, 0, raw, &format, out, 96) <= 0) return raw;
    return out;
}

}  // namespace palimp
