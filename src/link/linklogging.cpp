#include "linklogging.h"

Q_LOGGING_CATEGORY(lcLink, "kestrelvane.link")
