// The call screen of an incoming call, drawn with the library's widgets: name, number, state,
// the caller's picture, an area for the ringtone's video or Flash, a group badge and a ticker.
// A PNG of the screen is written at each step when a folder is given.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CallCommonSvc/Platform/TmxGWESCore.h"

class CCallPaneList;
class CCallPicture;

namespace callsvc {

// A bitmap whose pixels the program owns; widgets borrow it.
struct DemoBitmap {
    tagWMBITMAP record{};
    std::vector<std::uint32_t> pixels;  // 16-bit pixels use the low halves of a packed array
};

class CallScreen {
public:
    // `folder` empty: draw only.
    explicit CallScreen(std::string folder);
    ~CallScreen();

    // Draws the ringing call: name, number, state, photo and media panes, the badge picture and
    // the ringing ticker with `ticker`. `photo` (borrowed; null: a drawn silhouette) is the
    // caller's thumbnail. False when a widget refused.
    bool Ring(const std::string& name, const std::string& number, const std::string& ticker,
              const tagWMBITMAP* photo = nullptr);
    // A window over the media pane, whose overlay GC the ringtone plays in; -1 when it cannot be
    // made. CloseMediaWindow removes it and shows the pane again.
    int OpenMediaWindow();
    void CloseMediaWindow();
    static tagWMRECT MediaRect();
    // Shows a new state line and, unless `ticker` is empty, a still ticker with that text in
    // place of the ringing one.
    void SetState(const std::string& state, const std::string& ticker = "");
    // Writes the screen as DIR/NN-slug.png; the path, or "" when no folder was given. False when
    // the file could not be written.
    bool Save(const std::string& slug, std::string& path, std::string& error);
    // Writes the screen as DIR/name.
    bool SaveAs(const std::string& name, std::string& path, std::string& error);

    CallScreen(const CallScreen&) = delete;
    CallScreen& operator=(const CallScreen&) = delete;

private:
    bool ShowTicker(const std::string& text, bool animate);

    std::string m_folder;
    int m_saved = 0;
    int m_hWindow = -1;
    int m_hMediaWindow = -1;
    CCallPaneList* m_panes = nullptr;
    CCallPicture* m_picture = nullptr;
    int m_hTicker = -1;
    std::vector<std::unique_ptr<DemoBitmap>> m_bitmaps;
    DemoBitmap* m_band = nullptr;
    DemoBitmap* m_frames[3] = {};
};

}  // namespace callsvc
