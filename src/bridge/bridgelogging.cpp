#include "bridgelogging.h"

Q_LOGGING_CATEGORY(lcBridge, "kestrelvane.bridge")
