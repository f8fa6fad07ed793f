// Effect sounds through the platform's effect-sound player, with the effect types this object
// started remembered so that Stop() can end them all.
#pragma once

#include <functional>
#include <set>

#include "../../H/CallAllocator.h"
#include "../../H/CallInterface.h"
#include "../../Platform/TmxAppFrmwk.h"

class CALLCOMMONSVC_API CCallSound : public ICallSound {
public:
    CCallSound();
    // Releases the player; sounds still playing are left to the platform.
    virtual ~CCallSound();

    virtual int Play(int iEffectType, int bRepeat, int bVib, int (*pfnCallback)(void*));
    virtual int Play(int iEffectType, int iSndType, int bRepeat, int bVib,
                     int (*pfnCallback)(void*));
    virtual int Stop(int iEffectType);
    // Stops every started type once, in ascending order; 1 whatever the platform answered.
    virtual int Stop();
    virtual int SetPath(int iEffectType, SndOutDevPath path);
    virtual int SetVolume(int iEffectType, int volume);
    virtual int Repeat(int iEffectType, int bRepeat);

protected:
    typedef std::set<int, std::less<int>, CCallAllocator<int> > EffectTypeSet;

    EffectTypeSet m_EffectTypes;  // started through Play, not yet stopped
    AppSndEffectPlayer* m_pPlayObj;

private:
    bool HasPlayer() const;
    void RememberStarted(int iEffectType);
};
