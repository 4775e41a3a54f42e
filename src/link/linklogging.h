#pragma once

#include <QLoggingCategory>

// The conversation with a gateway: commands that went unanswered or met a
// lost link, filterable apart from the backend's own diagnostics.
Q_DECLARE_LOGGING_CATEGORY(lcLink)
