#include "fleettask.h"

QString FleetResult::statusText(Status status)
{
    // In the order of Status.
    static const char *const texts[] = {"queued",    "connecting", "reading", "writing",
                                        "done",      "differs",    "refused", "no answer",
                                        "link lost", "not done",   "failed"};
    static_assert(std::size(texts) == int(Status::Failed) + 1);
    return QLatin1String(texts[int(status)]);
}
