#pragma once

#include <QLoggingCategory>

// Start-up's diagnostics: the interface that failed to load.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
