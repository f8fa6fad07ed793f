// Framework bases for the applications and the call-screen widgets.
#pragma once

#include "../Mgr/CallTimer.h"
#include "CallInterface.h"

// A drawable object with its own timer table. Draw() and Show() are left to the widgets.
class CALLCOMMONSVC_API CCallWindow : public ICallGraphicObject, public CCallTimer {
public:
    CCallWindow();
    virtual ~CCallWindow();
};

// Base of the applications' documents.
class CALLCOMMONSVC_API CCallDocument : public ICallDocument {
public:
    CCallDocument();
    virtual ~CCallDocument();
};
