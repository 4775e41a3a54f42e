#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The simulated gateway's state and its command language: the same texts
// answer over TCP and over MQTT. Pure, so both sides and the tests share it.
class GatewayModel
{
public:
    struct Device
    {
        QString name;
        int port = 1;
        int autoCrc = 1;
        QString poll;
        QString cmdHex;
    };

    struct Reply
    {
        QStringList lines;
        bool dropLink = false; // the gateway restarts after answering
    };

    GatewayModel();

    // The settings in the order "GETALL" lists them.
    QStringList settingKeys() const { return m_keys; }
    QString setting(const QString &key) const;
    void setSetting(const QString &key, const QString &value);

    // Points the gateway at a broker and names it: the device id appears in
    // its topics, as "Kestrelvane/<id>/pub/port1" and so on.
    void setBroker(const QString &host, quint16 port, const QString &user, const QString &password);
    void setDeviceId(const QString &deviceId);
    QString deviceId() const { return setting(QStringLiteral("deviceId")); }

    QList<Device> devices() const { return m_devices; }
    void setDevices(const QList<Device> &devices) { m_devices = devices; }

    void setRefuseSave(bool refuse) { m_refuseSave = refuse; }

    // How one gateway of a fleet misbehaves: it answers nothing at all, it
    // refuses every change (reads still answered), or its device list
    // announces one device more than it holds.
    enum class Fault { None, Silent, Refusing, CutList };
    void setFault(Fault fault) { m_fault = fault; }
    Fault fault() const { return m_fault; }
    // Faults of a gateway in the field: one setting it will not take (the
    // refusal names it), and a settings read it never answers.
    void setRefusedSetting(const QString &key) { m_refusedSetting = key; }
    void setSilentReadAll(bool silent) { m_silentReadAll = silent; }
    int saveCount() const { return m_saveCount; }

    Reply handle(const QString &command);

    QStringList getAllLines() const;
    QStringList deviceListLines() const;

private:
    Reply addDevice(const QString &arguments);
    Reply modifyDevice(const QString &arguments);
    Reply deleteDevice(const QString &arguments);

    QStringList m_keys;
    QList<QString> m_values;
    QList<Device> m_devices;
    bool m_refuseSave = false;
    Fault m_fault = Fault::None;
    QString m_refusedSetting;
    bool m_silentReadAll = false;
    int m_saveCount = 0;
};
