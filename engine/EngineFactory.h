#pragma once
// The engine's class factory: a new table object, a new cursor object.

#include "IDSBase.h"
#include "IDSCursor.h"

IDSBasePtr createDSBase();
IDSCursorPtr createDSCursor();
