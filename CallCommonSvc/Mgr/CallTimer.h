// Per-object numbered, repeating timers over the platform's window-manager or hard timers.
#pragma once

#include <functional>
#include <map>

#include "../H/CallAllocator.h"
#include "../H/CallInterface.h"

class CALLCOMMONSVC_API CCallTimer : public ICallTimer {
public:
    struct TimerInfo {
        uint32_t timerID;        // the owner's number for the timer
        int32_t hTimer;          // platform timer handle, never INVALID_HOBJ in the table
        uint32_t tickFrequency;  // period of the last Start, 0 until then
    };

    CCallTimer();
    virtual ~CCallTimer();

    virtual int SetTimer(unsigned long timerID, unsigned long tickFrequency);
    virtual int KillTimer(unsigned long timerID);
    virtual void OnTick(unsigned long timerID);
    virtual int OnCreate(char* name);
    virtual int OnStart(TimerInfo* pInfo);
    virtual int OnStop(TimerInfo* pInfo);
    virtual int OnDelete(TimerInfo* pInfo);

    int Create(unsigned long timerID);
    int Start(unsigned long timerID);
    int Start(unsigned long timerID, unsigned long tickFrequency);
    int Stop(unsigned long timerID);
    int Delete(unsigned long timerID);
    int AddElement(unsigned long timerID, const TimerInfo* pInfo);
    TimerInfo* GetElement(unsigned long timerID);
    int DeleteElement(unsigned long timerID);
    unsigned long GetTimerID(int hTimer);

    // The callback handed to the platform for every timer; param is the owning CCallTimer.
    static void TimerCallback(int hTimer, unsigned long param);

    // The table owns its records; a copy would free them twice.
    CCallTimer(const CCallTimer&) = delete;
    CCallTimer& operator=(const CCallTimer&) = delete;

protected:
    // Stops and deletes, through the hooks, every platform timer still in the table.
    void ReleaseAll();

private:
    typedef std::map<unsigned long, TimerInfo*, std::less<unsigned long>,
                     CCallAllocator<std::pair<const unsigned long, TimerInfo*> > >
        TimerMap;

    TimerMap m_map;
};

// The same manager over the platform's hard timers.
class CALLCOMMONSVC_API CCallHardTimer : public CCallTimer {
public:
    CCallHardTimer();
    virtual ~CCallHardTimer();

    virtual int OnCreate(char* name);
    virtual int OnStart(TimerInfo* pInfo);
    virtual int OnStop(TimerInfo* pInfo);
    virtual int OnDelete(TimerInfo* pInfo);
};
