// An inventory file as an integrator hands it over: every input is either a
// list of usable gateways or refused with a message, never a crash or a hang.
#include "fleetinventory.h"
#include "fuzzinput.h"
#include "topicscheme.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const FleetInventory::ReadResult read = FleetInventory::fromCsv(input.rest());
    check(read.inventory.has_value() == read.error.isEmpty());
    if (!read.inventory)
        return 0;
    check(!read.inventory->gateways.isEmpty());
    QSet<QString> addresses;
    for (const FleetInventory::Gateway &gateway : read.inventory->gateways) {
        if (gateway.transport == FleetInventory::Gateway::Transport::Cloud)
            check(TopicScheme::isUsableDeviceId(gateway.deviceId) && !gateway.deviceId.isEmpty());
        else
            check(gateway.port > 0 && !gateway.host.isEmpty());
        check(!addresses.contains(gateway.address()));
        addresses.insert(gateway.address());
    }
    return 0;
}
