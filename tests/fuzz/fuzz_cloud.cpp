// What arrives from the broker: a topic and a payload, routed and read as a
// reply and as a register-write result.
#include "cloudreply.h"
#include "devicerecord.h"
#include "fuzzinput.h"
#include "topicscheme.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const QString topic = QString::fromUtf8(input.bytes(input.byte()));
    const QString payload = QString::fromUtf8(input.rest());

    TopicScheme::routeOf(topic);
    const QString id = TopicScheme::deviceIdFromTopic(topic);
    check(id.isNull() || !id.contains(QLatin1Char('/')));

    const CloudReply reply = CloudReply::read(payload);
    check(reply.isDeviceList || reply.devices.isEmpty());
    const QString outcome = registerWriteOutcome(payload);
    check(outcome.isNull() || outcome == QLatin1String("written")
          || outcome == QLatin1String("failed"));
    return 0;
}
