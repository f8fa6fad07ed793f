// The one implementation of the ticker, animated on timer 1 of its own timer table.
#pragma once

#include "../Mgr/CallTimer.h"
#include "CallTicker.h"

class CALLCOMMONSVC_API CCallTickerImpl : public CCallTicker, public CCallTimer {
public:
    CCallTickerImpl();
    virtual ~CCallTickerImpl();

    // 1, or 0 without a GC.
    virtual int Draw();
    virtual int Show();
    // The new GC's handle, or -1.
    virtual int Create(int hWin, tagWMRECT* pRect);
    // Deletes the ticker, which must come from new.
    virtual int Destroy();
    virtual int Draw(CallTickerInfo* pTickerInfo);
    // One animation step on timer 1.
    virtual void OnTick(unsigned long timerID);

private:
    int m_hTicker;
    int m_nAniOrder;
    CallTickerInfo m_TickerInfo;
};
