#include "DemoScreen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "CallCommonSvc/Tool/CallPane.h"
#include "CallCommonSvc/Tool/CallPicture.h"
#include "CallCommonSvc/Tool/CallTicker.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

constexpr int kWidth = 240, kHeight = 320, kTickerTop = 276;
constexpr tagWMRECT kPhoto{12, 120, 80, 64}, kMedia{104, 104, 128, 96};

struct Colour {
    double r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

std::uint16_t Rgb565(Colour c) {
    auto channel = [](double v, int bits) {
        return static_cast<unsigned>(std::clamp(v, 0.0, 255.0)) >> (8 - bits);
    };
    return static_cast<std::uint16_t>(channel(c.r, 5) << 11 | channel(c.g, 6) << 5 |
                                      channel(c.b, 5));
}

// Premultiplied 0xAARRGGBB.
std::uint32_t Argb(Colour c, double alpha) {
    auto byte = [](double v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0, 255.0)); };
    return byte(alpha * 255) << 24 | byte(c.r * alpha) << 16 | byte(c.g * alpha) << 8 |
           byte(c.b * alpha);
}

// How much of pixel (x, y) a disc (or a ring of `width`) covers, edges one pixel soft.
double Cover(int x, int y, double cx, double cy, double r, double width = 0) {
    double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
    double c = std::clamp(r + 0.5 - d, 0.0, 1.0);
    return width > 0 ? std::min(c, std::clamp(d - (r - width) + 0.5, 0.0, 1.0)) : c;
}

template <class Shade>
std::unique_ptr<DemoBitmap> Make(int w, int h, int bitsPerPixel, Shade shade) {
    auto bitmap = std::make_unique<DemoBitmap>();
    bitmap->record.rectW = w;
    bitmap->record.rectH = h;
    bitmap->record.nBitsPerPixel = static_cast<std::uint8_t>(bitsPerPixel);
    bitmap->pixels.resize(bitsPerPixel == 32 ? w * h : (w * h + 1) / 2);
    auto* p16 = reinterpret_cast<std::uint16_t*>(bitmap->pixels.data());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint32_t value = shade(x, y);
            if (bitsPerPixel == 32) {
                bitmap->pixels[y * w + x] = value;
            } else {
                p16[y * w + x] = static_cast<std::uint16_t>(value);
            }
        }
    }
    bitmap->record.pBits = bitmap->pixels.data();
    return bitmap;
}

const Colour kNavy{16, 37, 63}, kTeal{11, 94, 104}, kGreen{60, 200, 120}, kWhite{255, 255, 255};

template <std::size_t N>
void Wide(const std::string& text, unsigned short (&field)[N]) {
    std::memset(field, 0, sizeof(field));
    WmConvert2PCode(field, static_cast<int>(sizeof(field)), text.c_str());
    field[N - 1] = 0;
}

CallPaneInfo TextPane(const char* id, tagWMRECT rect, const std::string& text, Colour colour,
                      int font) {
    CallPaneInfo info;
    std::memset(&info, 0, sizeof(info));
    std::snprintf(info.szPaneID, sizeof(info.szPaneID), "%s", id);
    info.iObjType = CALL_PANE_TYPE_TEXT;
    info.rect = rect;
    info.obj.text.color = Rgb565(colour);
    info.obj.text.font = font;
    info.obj.text.align = WM_TEXT_ALIGN_HCENTER | WM_TEXT_ALIGN_VCENTER;
    Wide(text, info.obj.text.szText);
    return info;
}

}  // namespace

CallScreen::CallScreen(std::string folder) : m_folder(std::move(folder)) {}

CallScreen::~CallScreen() {
    if (m_hMediaWindow != -1) {
        tmxhost::DestroyWindow(m_hMediaWindow);
    }
    if (m_hTicker != -1) {
        CallDestroyTicker(m_hTicker);
    }
    if (m_picture != nullptr) {
        m_picture->Destroy();
    }
    if (m_panes != nullptr) {
        m_panes->Destroy();
    }
    if (m_hWindow != -1) {
        tmxhost::DestroyWindow(m_hWindow);
    }
}

bool CallScreen::Ring(const std::string& name, const std::string& number, const std::string& ticker,
                      const tagWMBITMAP* photo) {
    m_hWindow = tmxhost::CreateWindow(0, 0, kWidth, kHeight);
    if (m_hWindow == -1) {
        return false;
    }
    // Panes cut their background strips from its top rows: it changes across only.
    DemoBitmap& background = *m_bitmaps.emplace_back(Make(kWidth, kTickerTop, 16, [](int x, int) {
        return Rgb565(Mix(kNavy, kTeal, x / double(kWidth - 1)));
    }));
    DemoBitmap& silhouette = *m_bitmaps.emplace_back(Make(64, 64, 16, [](int x, int y) {
        Colour c = Mix({200, 214, 229}, {60, 110, 170}, Cover(x, y, 32, 74, 27));
        c = Mix(c, {240, 200, 170}, Cover(x, y, 32, 27, 13));
        return Rgb565(Mix(c, {70, 45, 30}, Cover(x, y, 32, 22, 14, 5)));
    }));
    DemoBitmap& mediaArea = *m_bitmaps.emplace_back(Make(kMedia.w, kMedia.h, 16, [](int, int) {
        return Rgb565({8, 20, 32});
    }));
    DemoBitmap& badge = *m_bitmaps.emplace_back(Make(40, 40, 32, [](int x, int y) {
        double people = std::max({Cover(x, y, 14, 15, 5), Cover(x, y, 26, 15, 5),
                                  Cover(x, y, 14, 31, 8), Cover(x, y, 26, 31, 8)});
        return Argb(Mix({230, 120, 60}, kWhite, people), Cover(x, y, 20, 20, 19.5));
    }));
    m_band = m_bitmaps
                 .emplace_back(Make(kWidth, kHeight - kTickerTop, 16,
                                    [](int, int y) {
                                        return Rgb565(y == 0 ? kGreen : Colour{8, 20, 32});
                                    }))
                 .get();
    for (int step = 0; step < 3; ++step) {
        m_frames[step] =
            m_bitmaps
                .emplace_back(Make(32, 32, 32,
                                   [step](int x, int y) {
                                       double a = Cover(x, y, 16, 16, 5);
                                       for (int k = 1; k <= step; ++k) {
                                           a = std::max(a, Cover(x, y, 16, 16, 5 + 3.5 * k, 1.6) *
                                                               (1 - 0.25 * k));
                                       }
                                       return Argb(kGreen, a);
                                   }))
                .get();
    }

    CallPaneInfo panes[5] = {
        TextPane("name", {0, 44, kWidth, 32}, name, kWhite, 3),
        TextPane("number", {0, 76, kWidth, 22}, number, {184, 216, 240}, 1),
        TextPane("state", {0, 210, kWidth, 24}, "Incoming call", {120, 224, 160}, 2),
    };
    // The thumbnail is at most the caller-ID box; centred in it.
    const tagWMBITMAP* picture = photo != nullptr ? photo : &silhouette.record;
    int pw = std::min<int>(picture->rectW, kPhoto.w), ph = std::min<int>(picture->rectH, kPhoto.h);
    std::snprintf(panes[3].szPaneID, sizeof(panes[3].szPaneID), "photo");
    panes[3].iObjType = CALL_PANE_TYPE_BITMAP;
    panes[3].rect = {kPhoto.x + (kPhoto.w - pw) / 2, kPhoto.y + (kPhoto.h - ph) / 2, pw, ph};
    panes[3].obj.bitmap = {0, 0, const_cast<tagWMBITMAP*>(picture)};
    std::snprintf(panes[4].szPaneID, sizeof(panes[4].szPaneID), "media");
    panes[4].iObjType = CALL_PANE_TYPE_BITMAP;
    panes[4].rect = kMedia;
    panes[4].obj.bitmap = {0, 0, &mediaArea.record};
    m_panes = new CCallPaneList();
    if (m_panes->Create(m_hWindow, tagWMRECT{0, 0, kWidth, kTickerTop}, panes, 5) != 1) {
        return false;
    }
    m_panes->SetBgImage(&background.record);
    m_panes->DrawShow();

    // The picture outlines in its window's foreground colour.
    WmSetWindowFgColor(m_hWindow, Rgb565({230, 120, 60}));
    m_picture = new CCallPicture();
    if (m_picture->Create(m_hWindow, 192, 4, 40, 40, &badge.record) != 1) {
        return false;
    }
    m_picture->DrawShow();
    WmSetWindowFgColor(m_hWindow, 0xFFFF);

    return ShowTicker(ticker, true);
}

tagWMRECT CallScreen::MediaRect() {
    return kMedia;
}

int CallScreen::OpenMediaWindow() {
    CloseMediaWindow();
    m_hMediaWindow = tmxhost::CreateWindow(kMedia.x, kMedia.y, kMedia.w, kMedia.h);
    if (m_hMediaWindow != -1) {
        WmSetWindowBgColor(m_hMediaWindow, Rgb565({8, 20, 32}));
    }
    return m_hMediaWindow;
}

void CallScreen::CloseMediaWindow() {
    if (m_hMediaWindow == -1) {
        return;
    }
    tmxhost::DestroyWindow(m_hMediaWindow);
    m_hMediaWindow = -1;
    if (m_panes != nullptr) {
        m_panes->DrawShow("media");
    }
}

bool CallScreen::ShowTicker(const std::string& text, bool animate) {
    if (m_hTicker != -1) {
        CallDestroyTicker(m_hTicker);
    }
    auto ticker = std::make_unique<CallTickerInfo>();
    std::memset(ticker.get(), 0, sizeof(CallTickerInfo));
    ticker->bmBackground = {0, 0, &m_band->record};
    ticker->nTextCount = 1;
    ticker->txtObj[0].rect = {44, 0, 156, kHeight - kTickerTop};
    ticker->txtObj[0].color = 0xFFFF;
    ticker->txtObj[0].font = 1;
    Wide(text, ticker->txtObj[0].szText);
    if (animate) {
        ticker->aniObj = {
            6, 6, 3, 300, {&m_frames[0]->record, &m_frames[1]->record, &m_frames[2]->record}};
    }
    tagWMRECT tickerRect{0, kTickerTop, kWidth, kHeight - kTickerTop};
    m_hTicker = CallCreateTicker(m_hWindow, &tickerRect);
    if (m_hTicker == -1) {
        return false;
    }
    CallDrawTicker(m_hTicker, ticker.get());
    CallShowTicker(m_hTicker);
    return true;
}

void CallScreen::SetState(const std::string& state, const std::string& ticker) {
    if (m_panes == nullptr) {
        return;
    }
    CallPaneObj value;
    std::memset(&value, 0, sizeof(value));
    Wide(state, value.text.szText);
    m_panes->SetPaneValue("state", value);
    m_panes->DrawShow("state");
    if (!ticker.empty()) {
        ShowTicker(ticker, false);
    }
}

bool CallScreen::Save(const std::string& slug, std::string& path, std::string& error) {
    path.clear();
    if (m_folder.empty()) {
        return true;
    }
    char name[64];
    std::snprintf(name, sizeof(name), "%02d-%s.png", ++m_saved, slug.c_str());
    return SaveAs(name, path, error);
}

bool CallScreen::SaveAs(const std::string& name, std::string& path, std::string& error) {
    path = (std::filesystem::path(m_folder) / name).string();
    return tmxhost::SaveScreenPng(path, &error);
}

}  // namespace callsvc
