#pragma once

#include <QStringList>

// The entries of the link's port list: "Auto", then the serial ports the
// system knows, sorted, each once.
QStringList SendPortEntries(QStringList systemPorts);
// The ports the system lists now (/dev/ttyUSB0 ...).
QStringList SystemSerialPorts();
