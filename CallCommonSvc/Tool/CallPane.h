// Call-screen panes: one line of text or one bitmap on a sub-GC of a window, and the pane list
// that builds a screen area from a table of pane descriptions.
#pragma once

#include <map>

#include "../H/CallAllocator.h"
#include "../H/CallWindow.h"
#include "../Platform/TmxGWESCore.h"

#define CALL_PANE_TEXT_MAX 128  // 16-bit units of a pane's text
#define CALL_PANE_ID_MAX 128    // bytes of a pane's name
#define CALL_PANE_TYPE_TEXT 0
#define CALL_PANE_TYPE_BITMAP 1
#define CALL_PANE_INDEX_MAX 6

// Content of a text pane. x and y place the text box relative to the pane.
typedef struct CallPaneText {
    int32_t x;
    int32_t y;
    uint16_t color;  // RGB565
    int32_t font;
    int32_t align;
    unsigned short szText[CALL_PANE_TEXT_MAX];  // zero-terminated within the field
} CallPaneText;

// Content of a bitmap pane. The bitmap is borrowed.
typedef struct CallPaneBitmap {
    int32_t x;
    int32_t y;
    tagWMBITMAP* pBitmap;
} CallPaneBitmap;

typedef union CallPaneObj {
    CallPaneText text;
    CallPaneBitmap bitmap;
} CallPaneObj;

// Description of one pane of a pane list. rect is in the parent window's coordinates.
typedef struct CallPaneInfo {
    char szPaneID[CALL_PANE_ID_MAX];
    int32_t iObjType;  // CALL_PANE_TYPE_
    tagWMRECT rect;
    CallPaneObj obj;
} CallPaneInfo;

static_assert(offsetof(CallPaneText, color) == 8 && offsetof(CallPaneText, font) == 12 &&
                  offsetof(CallPaneText, szText) == 20 && sizeof(CallPaneText) == 276,
              "text pane record layout");
static_assert(offsetof(CallPaneBitmap, pBitmap) == 8 && sizeof(CallPaneBitmap) == 8 + sizeof(void*),
              "bitmap pane record layout");
static_assert(offsetof(CallPaneObj, text) == 0 && offsetof(CallPaneObj, bitmap) == 0,
              "both contents start at the union's first byte");
static_assert(offsetof(CallPaneInfo, iObjType) == 128 && offsetof(CallPaneInfo, rect) == 132 &&
                  offsetof(CallPaneInfo, obj) == (sizeof(void*) == 8 ? 152 : 148),
              "pane description layout");

// Common base of the panes: parent window, rectangle and the borrowed background image.
class CALLCOMMONSVC_API CCallPane : public CCallWindow {
public:
    CCallPane();
    CCallPane(int hWinParent, tagWMRECT& rect);
    virtual ~CCallPane();

    virtual int GetParentWindow(int& hWin) const;
    virtual int GetGect(tagWMRECT& rect) const;
    virtual int SetBgImage(tagWMBITMAP* pBitmap);
    virtual int GetBgImage(tagWMBITMAP& bitmap) const;
    virtual int DrawShow() = 0;
    virtual int SetValue(CallPaneObj& value) = 0;

protected:
    // Paints the background strip under the pane into hGC; srcX is the strip's column.
    void DrawBackground(int hGC, int srcX);

    tagWMBITMAP* m_pbmBG;
    tagWMRECT m_rect;
    int m_hWinParent;
};

// A pane with one line of text. Owns its GC; a text object lives for one Draw().
class CALLCOMMONSVC_API CCallPaneText : public CCallPane {
public:
    CCallPaneText();
    CCallPaneText(int hWinParent, tagWMRECT& rect, CallPaneText* pText);
    virtual ~CCallPaneText();

    // 1 drawn, 0 no GC, -1 empty text or no text object.
    virtual int Draw();
    virtual int Show();
    virtual int DrawShow();
    // Takes only the text of value; position, colour, font and alignment stay.
    virtual int SetValue(CallPaneObj& value);
    // Takes 128 units from pszText.
    virtual int SetValue(const unsigned short* pszText);
    virtual int GetGC();

private:
    int m_hGC;
    CallPaneText m_Text;
};

// A pane with one borrowed bitmap. Owns its GC.
class CALLCOMMONSVC_API CCallPaneBitmap : public CCallPane {
public:
    CCallPaneBitmap();
    CCallPaneBitmap(int hWinParent, tagWMRECT& rect, CallPaneBitmap* pBitmap);
    virtual ~CCallPaneBitmap();

    // 1 drawn, -1 no bitmap or no GC.
    virtual int Draw();
    virtual int Show();
    virtual int DrawShow();
    virtual int SetValue(CallPaneObj& value);
    virtual int GetGC();

private:
    int m_hGC;
    CallPaneBitmap m_Bitmap;
};

// Orders pane names by AcStrcmp.
struct CallPaneNameLess {
    bool operator()(const char* a, const char* b) const { return AcStrcmp(a, b) < 0; }
};

// A screen area built from pane descriptions. Owns its GC, its panes and their name copies;
// borrows the background image. Panes are reached by name, and walked in name order.
class CALLCOMMONSVC_API CCallPaneList : public CCallWindow {
public:
    CCallPaneList();
    virtual ~CCallPaneList();

    virtual int Draw();
    virtual int Show();
    virtual int DrawShow();
    virtual int DrawShow(const char* pszPaneName);

    int Create(int hWinParent, const tagWMRECT& rect, CallPaneInfo* pInfo, int nPaneCnt);
    int Create(int hWinParent, const tagWMRECT& rect, CallPaneInfo& info);
    // These two return 1 whatever the rectangle form returned.
    int Create(int hWinParent, int x, int y, int w, int h, CallPaneInfo* pInfo, int nPaneCnt);
    int Create(int hWinParent, int x, int y, int w, int h, CallPaneInfo& info);
    int SetBgImage(tagWMBITMAP* pBitmap);
    int SetPaneInfo(CallPaneInfo& info);
    int SetPaneValue(const char* pszPaneName, CallPaneObj& value);
    // 1 drawn, 0 null name, -1 unknown name. The list's background is not repainted.
    int Draw(const char* pszPaneName);
    // Deletes the list, which must come from new.
    int Destroy();

    CCallPaneList(const CCallPaneList&) = delete;
    CCallPaneList& operator=(const CCallPaneList&) = delete;

private:
    typedef std::map<char*, CCallPane*, CallPaneNameLess,
                     CCallAllocator<std::pair<char* const, CCallPane*> > >
        PaneMap;

    // Makes the pane that info describes on the list's window; NULL for an unknown kind.
    CCallPane* NewPane(int hWinParent, CallPaneInfo& info, int* phGC);
    // Stores pPane under a copy of info's name. False, with the pane deleted, when no copy could
    // be made.
    bool AddPane(CallPaneInfo& info, CCallPane* pPane);

    int m_hWinParent;
    tagWMRECT m_rect;
    tagWMBITMAP* m_pbmBG;
    int m_hGC;
    int m_ahPaneGC[CALL_PANE_INDEX_MAX];
    PaneMap m_mapPane;
};
