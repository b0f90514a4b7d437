#include "engine/EngineFactory.h"

#include "engine/DSBASE.h"
#include "engine/DSCursor.h"

IDSBasePtr createDSBase() {
    return std::make_shared<DSBASE>();
}
IDSCursorPtr createDSCursor() {
    return std::make_shared<DSCursor>();
}
