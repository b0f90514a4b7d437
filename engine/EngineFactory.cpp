#include "EngineFactory.h"

#include "DSBASE.h"
#include "DSCursor.h"

IDSBasePtr createDSBase() {
    return std::make_shared<DSBASE>();
}
IDSCursorPtr createDSCursor() {
    return std::make_shared<DSCursor>();
}
