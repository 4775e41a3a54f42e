// The direct link's receive path without a socket: bytes in arbitrary splits
// through the line framer, each line read as the port and the pending command
// make the backend read it.
#include "devicerecord.h"
#include "fuzzinput.h"
#include "gatewayreply.h"
#include "lineframer.h"
#include "monitordecoder.h"

namespace {

const char *const commands[] = {
    "GETALL",
    "GET rs485list",
    "SET mqttPass a+b",
    "SAVE",
    "rs485add m,port1,1,10s,010300000002",
    "rs485mod 0 m,port2,0,5s,01",
    "rs485del 0",
    "REBOOT",
    "",
    "SET ",
    "SET  x",
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t choice = input.byte();
    const QString command = QString::fromLatin1(commands[choice % std::size(commands)]);
    const bool monitor = choice & 0x80;
    // A small limit lets the fuzzer reach the overflow path with short inputs.
    LineFramer framer(input.byte() & 1 ? 64 : LineFramer::defaultMaxPending);
    MonitorDecoder decoder;

    while (!input.atEnd()) {
        framer.append(input.bytes(input.byte() % 32 + 1));
        framer.takeOverflow();
        check(framer.pendingSize() <= 64 * 1024 + 32);
        QString line;
        while (framer.nextLine(line)) {
            check(!line.isEmpty() && !line.contains(QLatin1Char('\n')));
            if (monitor) {
                decoder.decode(line);
                continue;
            }
            // A line such as "=x" is stored under an empty key, as the gateway
            // protocol has it; only shape and safety are checked here.
            const GatewayReply reply = GatewayReply::read(command, line);
            if (reply.setting)
                check(!reply.setting->first.contains(QLatin1Char('=')));
            if (reply.device)
                check(DeviceRecord::isDeviceLine(line));
        }
    }
    return 0;
}
