#include "restoreplan.h"

#include "gatewayrules.h"

namespace {

QString replaceIdentifierLevels(const QString &topic, const QString &from, const QString &to)
{
    QStringList levels = topic.split(QLatin1Char('/'));
    for (QString &level : levels) {
        if (level == from)
            level = to;
    }
    return levels.join(QLatin1Char('/'));
}

QString pollText(const QVariantMap &device)
{
    const auto seconds = GatewayRules::pollSeconds(device.value(QStringLiteral("poll")).toString());
    return seconds ? QString::number(*seconds) : device.value(QStringLiteral("poll")).toString();
}

QString portNumber(const QVariantMap &device)
{
    return device.value(QStringLiteral("port")).toString().remove(QStringLiteral("port"));
}

bool sameDevice(const QVariantMap &a, const QVariantMap &b)
{
    return a.value(QStringLiteral("name")).toString() == b.value(QStringLiteral("name")).toString()
           && portNumber(a) == portNumber(b)
           && a.value(QStringLiteral("autoCRC")).toInt()
                  == b.value(QStringLiteral("autoCRC")).toInt()
           && pollText(a) == pollText(b)
           && a.value(QStringLiteral("cmdHex"))
                      .toString()
                      .compare(b.value(QStringLiteral("cmdHex")).toString(), Qt::CaseInsensitive)
                  == 0;
}

} // namespace

QString RestorePlan::deviceFields(const QVariantMap &device)
{
    return QStringList{portNumber(device),
                       QString::number(device.value(QStringLiteral("autoCRC")).toInt()),
                       pollText(device), device.value(QStringLiteral("cmdHex")).toString(),
                       device.value(QStringLiteral("name")).toString()}
        .join(QLatin1Char(','));
}

QString RestorePlan::deviceText(const QVariantMap &device)
{
    return QStringLiteral("%1, %2, CRC=%3, poll=%4s, cmd=%5")
        .arg(device.value(QStringLiteral("name")).toString(),
             device.value(QStringLiteral("port")).toString())
        .arg(device.value(QStringLiteral("autoCRC")).toInt())
        .arg(pollText(device), device.value(QStringLiteral("cmdHex")).toString());
}

RestorePlan RestorePlan::build(const GatewayBackup &file, const GatewayBackup &current,
                               bool keepFileIdentity, bool withSettings)
{
    RestorePlan plan;
    plan.m_fromAnotherGateway = file.deviceId != current.deviceId;
    const bool adapt = plan.m_fromAnotherGateway && !keepFileIdentity;
    const QStringList topics = GatewayRules::topicKeys();
    const QStringList passwords = GatewayRules::passwordKeys();

    const QStringList keys = withSettings ? GatewayRules::editableKeys() : QStringList();
    for (const QString &key : keys) {
        QString value = file.settings.value(key);
        if (value.isEmpty())
            continue;
        Line line;
        if (adapt && topics.contains(key) && !file.deviceId.isEmpty()
            && !current.deviceId.isEmpty()) {
            const QString adapted = replaceIdentifierLevels(value, file.deviceId, current.deviceId);
            if (adapted != value)
                line.note = QStringLiteral("identifier %1 replaced by %2")
                                .arg(file.deviceId, current.deviceId);
            value = adapted;
        }
        const QString old = current.settings.value(key);
        if (value == old)
            continue;
        line.kind = Kind::Setting;
        line.key = key;
        line.oldValue = old;
        line.newValue = value;
        line.command = QStringLiteral("SET %1 %2").arg(key, value);
        line.secret = passwords.contains(key);
        if (adapt && key == QLatin1String("staticIP")) {
            line.ticked = false;
            line.note = QStringLiteral("the file comes from gateway %1").arg(file.deviceId);
        }
        plan.m_lines.append(line);
    }

    const qsizetype common = qMin(file.devices.size(), current.devices.size());
    for (qsizetype i = 0; i < common; ++i) {
        const QVariantMap wanted = file.devices[i].toMap();
        const QVariantMap present = current.devices[i].toMap();
        if (sameDevice(wanted, present))
            continue;
        Line line;
        line.kind = Kind::DeviceChange;
        line.position = int(i);
        line.oldValue = deviceText(present);
        line.newValue = deviceText(wanted);
        line.command = QStringLiteral("rs485mod %1,%2").arg(i).arg(deviceFields(wanted));
        plan.m_lines.append(line);
    }
    for (qsizetype i = common; i < file.devices.size(); ++i) {
        const QVariantMap wanted = file.devices[i].toMap();
        Line line;
        line.kind = Kind::DeviceAdd;
        line.position = int(i);
        line.newValue = deviceText(wanted);
        line.command = QStringLiteral("rs485add ") + deviceFields(wanted);
        plan.m_lines.append(line);
    }
    for (qsizetype i = current.devices.size() - 1; i >= common; --i) {
        Line line;
        line.kind = Kind::DeviceDelete;
        line.position = int(i);
        line.oldValue = deviceText(current.devices[i].toMap());
        line.command = QStringLiteral("rs485del %1").arg(i);
        plan.m_lines.append(line);
    }
    return plan;
}

void RestorePlan::setTicked(int index, bool ticked)
{
    if (index >= 0 && index < m_lines.size())
        m_lines[index].ticked = ticked;
}

QList<RestorePlan::Line> RestorePlan::tickedLines() const
{
    QList<Line> ticked;
    for (const Line &line : m_lines) {
        if (line.ticked)
            ticked.append(line);
    }
    return ticked;
}

QString RestorePlan::describe(const Line &line)
{
    const QString hidden = QStringLiteral("(hidden)");
    switch (line.kind) {
    case Kind::Setting:
        if (line.secret)
            return QStringLiteral("%1: %2 -> %2").arg(line.key, hidden);
        return QStringLiteral("%1: \"%2\" -> \"%3\"").arg(line.key, line.oldValue, line.newValue);
    case Kind::DeviceChange:
        return QStringLiteral("change device %1: %2 -> %3")
            .arg(line.position)
            .arg(line.oldValue, line.newValue);
    case Kind::DeviceAdd:
        return QStringLiteral("add device: %1").arg(line.newValue);
    case Kind::DeviceDelete:
        return QStringLiteral("delete device %1: %2").arg(line.position).arg(line.oldValue);
    }
    return {};
}

QStringList RestorePlan::describe() const
{
    QStringList text;
    for (const Line &line : m_lines) {
        QString entry =
            (line.ticked ? QStringLiteral("[x] ") : QStringLiteral("[ ] ")) + describe(line);
        if (!line.note.isEmpty())
            entry += QStringLiteral("  (%1)").arg(line.note);
        text.append(entry);
    }
    return text;
}

QVariantList RestorePlan::toVariantList() const
{
    static const char *const kinds[] = {"setting", "change", "add", "delete"};
    QVariantList list;
    for (const Line &line : m_lines) {
        list.append(QVariantMap{
            {QStringLiteral("kind"), QString::fromLatin1(kinds[int(line.kind)])},
            {QStringLiteral("text"), describe(line)},
            {QStringLiteral("note"), line.note},
            {QStringLiteral("ticked"), line.ticked},
        });
    }
    return list;
}
