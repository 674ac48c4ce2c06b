#include "environment/SerialPortList.h"

#include <QSerialPortInfo>

#include <algorithm>

QStringList SendPortEntries(QStringList systemPorts)
{
    systemPorts.removeAll(QString());
    std::sort(systemPorts.begin(), systemPorts.end());
    systemPorts.erase(std::unique(systemPorts.begin(), systemPorts.end()), systemPorts.end());
    systemPorts.prepend(QStringLiteral("Auto"));
    return systemPorts;
}

QStringList SystemSerialPorts()
{
    QStringList names;
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts())
        names << port.systemLocation();
    return names;
}
