// A backup file as it comes back from a shared folder: read, it is either a
// backup whose every value a page would accept, or refused with a message.
// What is accepted writes back to the same backup.
#include "fuzzinput.h"
#include "gatewaybackup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const GatewayBackup::ReadResult read = GatewayBackup::fromJson(input.rest());
    check(read.backup.has_value() == read.error.isEmpty());
    if (!read.backup)
        return 0;
    const GatewayBackup::ReadResult again = GatewayBackup::fromJson(read.backup->toJson());
    check(again.backup.has_value());
    check(again.backup->settings == read.backup->settings);
    check(again.backup->devices == read.backup->devices);
    check(again.backup->deviceId == read.backup->deviceId);
    return 0;
}
