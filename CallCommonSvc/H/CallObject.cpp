#include "CallObject.h"

#include "CallWindow.h"

CALL_DEFINE_MEMSTUB_OPERATORS(CCallObject)

CCallWindow::CCallWindow() {}
CCallWindow::~CCallWindow() {}

CCallDocument::CCallDocument() {}
CCallDocument::~CCallDocument() {}
