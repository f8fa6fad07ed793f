// Helpers of the widget tests: bitmaps in test memory, wide texts and the call log as text.
#pragma once

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "support/HostTest.h"

namespace widgets {

typedef std::vector<std::string> Strings;

// A solid RGB565 bitmap whose pixels live as long as it does.
struct Bitmap {
    Bitmap(int width, int height, std::uint16_t color = 0xF800)
        : pixels(static_cast<std::size_t>(width) * height, color), record() {
        record.rectW = width;
        record.rectH = height;
        record.nBitsPerPixel = 16;
        record.pBits = pixels.data();
    }
    Bitmap(const Bitmap&) = delete;
    tagWMBITMAP* operator&() { return &record; }

    std::vector<std::uint16_t> pixels;
    tagWMBITMAP record;
};

// A pointer as the call log shows it.
inline std::string Ptr(const void* p) {
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "0x%" PRIxPTR, reinterpret_cast<std::uintptr_t>(p));
    return buffer;
}

inline std::string ToArg(const std::string& s) {
    return s;
}
inline std::string ToArg(const char* s) {
    return s;
}
template <class T>
std::string ToArg(const T& v) {
    return std::to_string(v);
}

// "name(a, b, ...)" as the call log shows a call.
template <class... Args>
std::string C(const std::string& name, const Args&... args) {
    std::string text = name + "(";
    const char* sep = "";
    auto add = [&](const std::string& arg) {
        text += sep + arg;
        sep = ", ";
    };
    (add(ToArg(args)), ...);
    return text + ")";
}

// The calls made since the last take whose names begin with one of `prefixes`.
inline Strings TakeCalls(const Strings& prefixes) {
    Strings calls;
    for (const std::string& call : tmxhost::CallTexts()) {
        for (const std::string& prefix : prefixes) {
            if (call.compare(0, prefix.size(), prefix) == 0) {
                calls.push_back(call);
                break;
            }
        }
    }
    tmxhost::ClearCalls();
    return calls;
}

// A test with one window covering the default screen.
class WindowTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        hWin = tmxhost::CreateWindow(0, 0, 240, 320);
    }
    void TearDown() override {
        tmxhost::DestroyWindow(hWin);
        HostTest::TearDown();
    }
    int hWin = -1;
};

// The calls with every pointer shown as "P".
inline Strings NoPointers(Strings calls) {
    for (std::string& call : calls) {
        std::string shown;
        std::size_t from = 0;
        for (std::size_t at; (at = call.find("0x", from)) != std::string::npos;) {
            shown.append(call, from, at - from).push_back('P');
            from = std::min(call.find_first_of(",)", at), call.size());
        }
        call = shown.append(call, from, std::string::npos);
    }
    return calls;
}

// The names of logged calls, in order.
inline Strings Names(const Strings& calls) {
    Strings names;
    for (const std::string& call : calls) {
        names.push_back(call.substr(0, call.find('(')));
    }
    return names;
}

// The calls of the log whose text starts with `prefix` (e.g. "WmTextDisplay(5,").
inline Strings Starting(const Strings& calls, const std::string& prefix) {
    Strings found;
    for (const std::string& call : calls) {
        if (call.rfind(prefix, 0) == 0) {
            found.push_back(call);
        }
    }
    return found;
}

// A wide text from ASCII, padded with zeros to `units`.
inline std::vector<unsigned short> Wide(const std::string& s, std::size_t units) {
    std::vector<unsigned short> w(units, 0);
    for (std::size_t i = 0; i < s.size() && i < units; ++i) {
        w[i] = static_cast<unsigned char>(s[i]);
    }
    return w;
}

// The saved message of each report made so far, taken.
inline Strings TakeReportDetails() {
    Strings details;
    for (const tmxhost::Report& report : tmxhost::TakeReports()) {
        details.push_back(report.expression + (report.detail.empty() ? "" : " | " + report.detail));
    }
    return details;
}

}  // namespace widgets
