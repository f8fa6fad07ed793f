// A bitmap centred in a box with a double frame around it, on a GC of its own.
#pragma once

#include "../H/CallWindow.h"
#include "../Platform/TmxGWESCore.h"

// The bitmap is borrowed; the picture owns its GC.
class CALLCOMMONSVC_API CCallPicture : public CCallWindow {
public:
    CCallPicture();
    virtual ~CCallPicture();

    // 1 drawn (or nothing to draw), 0 no GC or the parent window has gone.
    virtual int Draw();
    virtual int Show();
    // Takes a GC 3 pixels larger than {x, y, w, h} on every side. Nothing is drawn.
    virtual int Create(int hWinParent, int x, int y, int w, int h, tagWMBITMAP* pBitmap);
    virtual int Create(int hWinParent, tagWMRECT& rect, tagWMBITMAP* pBitmap);
    // Deletes the picture, which must come from new.
    virtual int Destroy();
    virtual int DrawShow();
    virtual int SetBitmap(tagWMBITMAP* pBitmap);

    // Outlines {x, y, w, h} grown by 1 and by 3 pixels, in the GC's foreground colour.
    int DrawFrame(int hGC, int x, int y, int w, int h);

    CCallPicture(const CCallPicture&) = delete;
    CCallPicture& operator=(const CCallPicture&) = delete;

private:
    int m_hWinParent;
    tagWMRECT m_rect;
    tagWMBITMAP* m_pBitmap;
    int m_hGC;
};
