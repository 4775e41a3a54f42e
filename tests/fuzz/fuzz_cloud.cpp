// What arrives from the broker: a topic and a payload, routed and read as a
// reply and as a register-write result.
#include "cloudreply.h"
#include "devicerecord.h"
#include "fuzzinput.h"
#include "topicscheme.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const QString topic = QString::fromUtf8(input.bytes(input.byte()));
    const QString payload = QString::fromUtf8(input.rest());

    TopicScheme::routeOf(topic);
    const QString id = TopicScheme::deviceIdFromTopic(topic);
    if (!id.isNull() && id.contains(QLatin1Char('/')))
        std::abort();

    const CloudReply reply = CloudReply::read(payload);
    if (!reply.isDeviceList && !reply.devices.isEmpty())
        std::abort();
    const QString outcome = registerWriteOutcome(payload);
    if (!outcome.isNull() && outcome != QLatin1String("written")
        && outcome != QLatin1String("failed"))
        std::abort();
    return 0;
}
