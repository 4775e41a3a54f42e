#pragma once

#include <QLoggingCategory>

// The backend's diagnostics: what it refused to send and what the broker
// session did, filterable apart from the toolkit's own.
Q_DECLARE_LOGGING_CATEGORY(lcBridge)
