// Renders a checked layout through the library's widgets.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "CallCommonSvc/Platform/TmxGWESWinSet.h"
#include "CallCommonSvc/Tool/CallUCS.h"
#include "CallCommonSvc/Tool/CallPane.h"
#include "CallCommonSvc/Tool/CallPicture.h"
#include "CallCommonSvc/Tool/CallTicker.h"
#include "ScreenLayout.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

tagWMRECT ToRect(const LayoutRect& r) {
    return {r.x, r.y, r.w, r.h};
}

// A colour of the current theme as 0xRRGGBB, or `fallback` when the theme lacks the item.
std::uint32_t ThemeColour(unsigned styleID, std::uint32_t fallback) {
    if (WsGetStyleSetItem(WsGetCurrentStyleSet(), styleID) == nullptr) {
        return fallback;
    }
    return CallGetColorChangeableStyleItem(styleID, WS_DERIVE_AS_IS, 0) & 0xFFFFFF;
}

template <std::size_t N>
void CopyText(const std::u16string& text, unsigned short (&field)[N]) {
    std::memset(field, 0, sizeof(field));
    std::copy_n(text.begin(), std::min(text.size(), N - 1), field);
}

// Everything a rendering made, taken down in reverse order however it ends.
class Scene {
public:
    ~Scene() {
        for (int hTicker : m_tickers) {
            CallDestroyTicker(hTicker);
        }
        for (CCallPicture* picture : m_pictures) {
            picture->Destroy();
        }
        if (m_paneList != nullptr) {
            m_paneList->Destroy();
        }
        if (m_hWindow != -1) {
            tmxhost::DestroyWindow(m_hWindow);
        }
        for (auto& [path, bitmap] : m_loaded) {
            tmxhost::FreeBitmap(bitmap);
        }
    }

    bool LoadImages(const Layout& layout, std::string& error) {
        for (const LayoutImage& image : layout.images) {
            tagWMBITMAP*& bitmap = m_loaded[image.path];
            if (bitmap == nullptr) {
                // Only plain files: a device or a pipe could be read for ever.
                std::error_code failed;
                if (!std::filesystem::is_regular_file(image.path, failed)) {
                    m_loaded.erase(image.path);
                    error = image.key + ": cannot load \"" + image.path + "\": " +
                            (std::filesystem::exists(image.path, failed) ? "not a plain file"
                                                                         : "no such file");
                    return false;
                }
                std::string why;
                bitmap = tmxhost::LoadImage(image.path, &why);
                if (bitmap == nullptr) {
                    m_loaded.erase(image.path);
                    error = image.key + ": cannot load \"" + image.path + "\": " + why;
                    return false;
                }
            }
            m_images.push_back(bitmap);
        }
        return true;
    }

    tagWMBITMAP* Image(int index) const { return index == kNoImage ? nullptr : m_images[index]; }

    bool MakeWindow(const LayoutRect& r, std::string& error) {
        m_hWindow = tmxhost::CreateWindow(r.x, r.y, r.w, r.h);
        if (m_hWindow == -1) {
            error = "window: the host refused a window of " + std::to_string(r.w) + " x " +
                    std::to_string(r.h);
            return false;
        }
        // The whole window in the theme's screen background before any widget draws.
        int hGC = __WmCreateClientSubGC(m_hWindow, 0, 0, r.w, r.h, __FILE__, __LINE__);
        if (hGC != -1) {
            CallSetBgChangeableStyleItem(hGC, kStyleScreenBackground, WS_DERIVE_AS_IS, 0, -1);
            WmClearGC(hGC);
            _WmShowGC(hGC, 1);
            __WmDeleteGC(hGC, 0, __FILE__, __LINE__);
        }
        return true;
    }

    // The pane list: Create, then the background for every pane, then DrawShow.
    bool Panes(const Layout& layout, std::string& error) {
        std::vector<CallPaneInfo> infos(layout.panes.size());
        for (std::size_t i = 0; i < infos.size(); ++i) {
            const LayoutPane& pane = layout.panes[i];
            CallPaneInfo& info = infos[i];
            std::memset(&info, 0, sizeof(info));
            std::memcpy(info.szPaneID, pane.id.data(),
                        std::min(pane.id.size(), sizeof(info.szPaneID) - 1));
            info.iObjType = pane.kind == 0 ? CALL_PANE_TYPE_TEXT : CALL_PANE_TYPE_BITMAP;
            info.rect = ToRect(pane.rect);
            if (pane.kind == 0) {
                info.obj.text.x = pane.x;
                info.obj.text.y = pane.y;
                info.obj.text.color = Rgb565(pane.color.value_or(m_text));
                info.obj.text.font = pane.font;
                info.obj.text.align = pane.align;
                CopyText(pane.text, info.obj.text.szText);
            } else {
                info.obj.bitmap.x = pane.x;
                info.obj.bitmap.y = pane.y;
                info.obj.bitmap.pBitmap = Image(pane.image);
            }
        }
        const LayoutRect whole{0, 0, layout.window.w, layout.window.h};
        const tagWMRECT rect = ToRect(layout.hasPanesRect ? layout.panesRect : whole);
        m_paneList = new CCallPaneList();
        if (m_paneList->Create(m_hWindow, rect, infos.data(), static_cast<int>(infos.size())) !=
            1) {
            error = "panes: the pane list could not be made";
            return false;
        }
        if (layout.background != kNoImage) {
            m_paneList->SetBgImage(Image(layout.background));
        }
        m_paneList->DrawShow();
        return true;
    }

    bool Pictures(const Layout& layout, std::string& error) {
        for (std::size_t i = 0; i < layout.pictures.size(); ++i) {
            const LayoutPicture& p = layout.pictures[i];
            // The picture sets no colour of its own: its GC outlines in the window's foreground
            // colour, which holds until the frame is drawn.
            WmSetWindowFgColor(m_hWindow, Rgb565(p.color.value_or(m_frame)));
            auto* picture = new CCallPicture();
            m_pictures.push_back(picture);
            if (picture->Create(m_hWindow, p.rect.x, p.rect.y, p.rect.w, p.rect.h,
                                Image(p.image)) != 1) {
                error = "pictures[" + std::to_string(i) + "]: the picture could not be made";
                return false;
            }
            picture->DrawShow();
        }
        WmSetWindowFgColor(m_hWindow, 0xFFFF);
        return true;
    }

    bool Tickers(const Layout& layout, std::string& error) {
        for (std::size_t i = 0; i < layout.tickers.size(); ++i) {
            const LayoutTicker& t = layout.tickers[i];
            auto info = std::make_unique<CallTickerInfo>();
            std::memset(info.get(), 0, sizeof(CallTickerInfo));
            info->bmBackground.pBitmap = Image(t.background);
            for (std::size_t k = 0; k < t.bitmaps.size(); ++k) {
                info->bmObj[k].x = t.bitmaps[k].x;
                info->bmObj[k].y = t.bitmaps[k].y;
                info->bmObj[k].pBitmap = Image(t.bitmaps[k].image);
            }
            info->nTextCount = static_cast<int32_t>(t.texts.size());
            for (std::size_t k = 0; k < t.texts.size(); ++k) {
                info->txtObj[k].rect = ToRect(t.texts[k].rect);
                info->txtObj[k].color = Rgb565(t.texts[k].color.value_or(m_text));
                info->txtObj[k].font = t.texts[k].font;
                CopyText(t.texts[k].text, info->txtObj[k].szText);
            }
            info->aniObj.x = t.animationX;
            info->aniObj.y = t.animationY;
            info->aniObj.nDuration = t.duration;
            info->aniObj.nFrameCount = static_cast<int32_t>(t.frames.size());
            for (std::size_t k = 0; k < t.frames.size(); ++k) {
                info->aniObj.pBitmap[k] = Image(t.frames[k]);
            }
            tagWMRECT rect = ToRect(t.rect);
            int hTicker = CallCreateTicker(m_hWindow, &rect);
            if (hTicker == -1) {
                error = "tickers[" + std::to_string(i) + "]: the ticker could not be made";
                return false;
            }
            m_tickers.push_back(hTicker);
            CallDrawTicker(hTicker, info.get());
            CallShowTicker(hTicker);
        }
        return true;
    }

private:
    const std::uint32_t m_text = ThemeColour(kStylePrimaryText, 0xFFFFFF);
    const std::uint32_t m_frame = ThemeColour(kStylePictureFrame, 0xFFFFFF);
    std::map<std::string, tagWMBITMAP*> m_loaded;  // by path, each loaded once
    std::vector<tagWMBITMAP*> m_images;            // by layout image index
    int m_hWindow = -1;
    CCallPaneList* m_paneList = nullptr;
    std::vector<CCallPicture*> m_pictures;
    std::vector<int> m_tickers;
};

}  // namespace

bool RenderLayout(const Layout& layout, const std::function<bool(std::string& error)>& shown,
                  std::string& error) {
    if (!tmxhost::SetScreenSize(layout.screenWidth, layout.screenHeight)) {
        error = "screen: the host refused a screen of " + std::to_string(layout.screenWidth) +
                " x " + std::to_string(layout.screenHeight);
        return false;
    }
    Scene scene;
    if (!scene.LoadImages(layout, error) || !scene.MakeWindow(layout.window, error)) {
        return false;
    }
    if ((layout.hasPanes || layout.background != kNoImage) && !scene.Panes(layout, error)) {
        return false;
    }
    if (!scene.Pictures(layout, error) || !scene.Tickers(layout, error)) {
        return false;
    }
    tmxhost::Advance(layout.at);
    return shown(error);
}

}  // namespace callsvc
