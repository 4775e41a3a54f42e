#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The gateways a fleet run works on, as an integrator keeps them: a CSV file
// with a header row and one gateway a row. The column "gateway" says how the
// gateway is reached, "tcp://HOST[:PORT]" on the LAN or "mqtt://DEVICE-ID"
// through the broker it reports to; "name", "site" and "broker" (as the
// command line's --broker) are optional. A file is read whole and checked
// before anything is sent, so a bad row stops the run before it starts.
struct FleetInventory
{
    struct Gateway
    {
        enum class Transport { Direct, Cloud };

        Transport transport = Transport::Direct;
        QString host;     // direct
        quint16 port = 0; // direct: the command port
        QString deviceId; // cloud
        QString name;
        QString site;
        QString broker; // cloud, optional: as --broker
        int line = 0;   // where the row stands in the file, for messages

        // "tcp://127.0.0.1:8881" or "mqtt://KV-0001": the row's own key.
        QString address() const;
    };

    // Bounds that keep a wrong or hostile file from eating the machine.
    static constexpr qsizetype maxFileBytes = 4 * 1024 * 1024;
    static constexpr qsizetype maxGateways = 10000;
    static constexpr qsizetype maxFieldLength = 512;

    QList<Gateway> gateways;

    struct ReadResult;
    static ReadResult fromCsv(const QByteArray &csv);
    static ReadResult readFile(const QString &path);
};

struct FleetInventory::ReadResult
{
    std::optional<FleetInventory> inventory;
    QString error; // names the line and the column at fault
};
