#include "fleettask.h"

QString FleetResult::statusText(Status status)
{
    switch (status) {
    case Status::Queued:
        return QStringLiteral("queued");
    case Status::Connecting:
        return QStringLiteral("connecting");
    case Status::Reading:
        return QStringLiteral("reading");
    case Status::Writing:
        return QStringLiteral("writing");
    case Status::Done:
        return QStringLiteral("done");
    case Status::Differs:
        return QStringLiteral("differs");
    case Status::Refused:
        return QStringLiteral("refused");
    case Status::NoAnswer:
        return QStringLiteral("no answer");
    case Status::LinkLost:
        return QStringLiteral("link lost");
    case Status::NotDone:
        return QStringLiteral("not done");
    case Status::Failed:
        return QStringLiteral("failed");
    }
    return {};
}
