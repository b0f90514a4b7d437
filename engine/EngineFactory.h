#pragma once
// The engine's class factory: a new table object, a new cursor object.

#include "engine/IDSBase.h"
#include "engine/IDSCursor.h"

IDSBasePtr createDSBase();
IDSCursorPtr createDSCursor();
