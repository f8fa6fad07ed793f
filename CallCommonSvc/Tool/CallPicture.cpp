#include "CallPicture.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\Tool\\CallPicture";

// Pixels between the requested box and the picture's GC.
const int kMargin = 3;
}  // namespace

CCallPicture::CCallPicture()
    : m_hWinParent(INVALID_HOBJ), m_rect(), m_pBitmap(NULL), m_hGC(INVALID_HOBJ) {}

CCallPicture::~CCallPicture() {
    if (m_hGC != INVALID_HOBJ && WmIsGCValid(m_hGC)) {
        __WmDeleteGC(m_hGC, 0, kSourcePath, __LINE__);
        m_hGC = INVALID_HOBJ;
    }
}

int CCallPicture::Create(int hWinParent, int x, int y, int w, int h, tagWMBITMAP* pBitmap) {
    if (!CALL_REQUIRE(WmIsWindowValid(hWinParent))) {
        return 0;
    }
    m_hWinParent = hWinParent;
    m_rect.x = x - kMargin;
    m_rect.y = y - kMargin;
    m_rect.w = w + 2 * kMargin;
    m_rect.h = h + 2 * kMargin;
    m_pBitmap = pBitmap;
    // A second Create replaces the GC of the first.
    if (m_hGC != INVALID_HOBJ && WmIsGCValid(m_hGC)) {
        __WmDeleteGC(m_hGC, 0, kSourcePath, __LINE__);
    }
    m_hGC = __WmCreateWindowSubGC(m_hWinParent, m_rect.x, m_rect.y, m_rect.w, m_rect.h, kSourcePath,
                                  __LINE__);
    if (!CALL_REQUIRE(m_hGC != INVALID_HOBJ)) {
        return 0;
    }
    return 1;
}

int CCallPicture::Create(int hWinParent, tagWMRECT& rect, tagWMBITMAP* pBitmap) {
    if (!CALL_REQUIRE(WmIsWindowValid(hWinParent))) {
        return 0;
    }
    return Create(hWinParent, rect.x, rect.y, rect.w, rect.h, pBitmap);
}

int CCallPicture::SetBitmap(tagWMBITMAP* pBitmap) {
    if (!CALL_REQUIRE(pBitmap != NULL)) {
        return 0;
    }
    m_pBitmap = pBitmap;
    return 1;
}

int CCallPicture::Draw() {
    if (m_hGC == INVALID_HOBJ) {
        return 0;
    }
    if (!CALL_REQUIRE(WmIsWindowValid(m_hWinParent))) {
        return 0;
    }
    if (m_pBitmap == NULL) {
        return 1;
    }
    const int width = m_pBitmap->rectW;
    const int height = m_pBitmap->rectH;
    const int left = m_rect.w / 2 - width / 2;
    const int top = m_rect.h / 2 - height / 2;
    DrawFrame(m_hGC, left, top, width, height);
    WmDrawBitmap(m_hGC, left, top, m_pBitmap);
    return 1;
}

int CCallPicture::Show() {
    if (m_hGC != INVALID_HOBJ) {
        _WmShowGC(m_hGC, 1);
    }
    return 1;
}

int CCallPicture::DrawShow() {
    Draw();
    Show();
    return 1;
}

int CCallPicture::DrawFrame(int hGC, int x, int y, int w, int h) {
    if (!CALL_REQUIRE(hGC != INVALID_HOBJ)) {
        return 0;
    }
    WmDrawRect(hGC, x - 1, y - 1, w + 2, h + 2);
    WmDrawRect(hGC, x - kMargin, y - kMargin, w + 2 * kMargin, h + 2 * kMargin);
    return 1;
}

int CCallPicture::Destroy() {
    delete this;
    return 1;
}
