// The library's calculator: files in and out, and the notifications.
#include "calc/api/CalcSession.h"

#include "calc/core/BinaryObject.h"
#include "calc/core/StateFile.h"
#include "formats/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Calc {

namespace {

QString fullPath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(QDir::current(), path).absoluteFilePath());
}

bool readBytes(const QString &path, std::string &out, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    const QByteArray b = f.readAll();
    out.assign(b.constData(), static_cast<size_t>(b.size()));
    return true;
}

bool writeBytes(const QString &path, const std::string &bytes, QString *error)
{
    QString why;
    if (!ReplaceFile(path, QByteArray::fromStdString(bytes), &why)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return true;
}

Model modelOfLetter(char letter)
{
    Model m = Model::HP50G;
    if (!modelFromLetter(letter, m) && letter != 'G')
        m = Model::HP50G; // the other letters of the 49 family run as a 50g
    return m;
}

} // namespace

CalcSession::~CalcSession()
{
    stop();
}

bool CalcSession::read(const QString &statePath, const QString &portPath, Loaded &out,
                       QString *error)
{
    out.statePath = fullPath(statePath);
    std::string bytes;
    if (statePath.isEmpty() || !readBytes(out.statePath, bytes, error))
        return false;
    StateLoad load = loadState(bytes);
    if (!load.ok()) {
        if (error)
            *error = out.statePath + ": " + QString::fromStdString(load.error);
        return false;
    }
    const Model model = modelOfLetter(load.state.modelLetter);
    auto machine = std::make_shared<Machine>(model);
    if (!machine->restore(load.state)) {
        if (error)
            *error = out.statePath + ": not a state of this calculator";
        return false;
    }
    if (model == Model::HP48GX && !portPath.isEmpty()) {
        out.portPath = fullPath(portPath);
        if (!readBytes(out.portPath, out.portBytes, error))
            return false;
        const PortLoad port = loadPort(out.portBytes);
        if (!port.ok()) {
            if (error)
                *error = out.portPath + ": " + QString::fromStdString(port.error);
            return false;
        }
    }
    out.machine = std::move(machine);
    return true;
}

void CalcSession::take(Loaded &&l)
{
    std::shared_ptr<Machine> old;
    {
        std::lock_guard lk(m_mx);
        old = std::move(m_machine);
        m_machine = std::move(l.machine);
        m_statePath = l.statePath;
        m_portPath = l.portPath;
        m_portBytes = std::move(l.portBytes);
    }
    if (old)
        old->stop();
    m_machine->setHaltListener([this] {
        if (onHalt)
            onHalt(0);
    });
    m_machine->start();
}

bool CalcSession::create(const QString &stateFile, const QString &portFile, QString *error)
{
    Loaded l;
    if (!read(stateFile, portFile, l, error))
        return false;
    take(std::move(l));
    return true;
}

std::shared_ptr<Machine> CalcSession::machine() const
{
    std::lock_guard lk(m_mx);
    return m_machine;
}

QString CalcSession::stateFile() const
{
    std::lock_guard lk(m_mx);
    return m_statePath;
}

QString CalcSession::portFile() const
{
    std::lock_guard lk(m_mx);
    return m_portPath;
}

char CalcSession::modelLetter() const
{
    const auto m = machine();
    return m ? m->letter() : 0;
}

bool CalcSession::openStateFile(const QString &path, QString *error)
{
    Loaded l;
    // a 48GX keeps its card when it opens another 48GX state
    const QString port = portFile();
    if (!read(path, QString(), l, error))
        return false;
    if (l.machine->model() == Model::HP48GX && !port.isEmpty()) {
        std::lock_guard lk(m_mx);
        l.portPath = m_portPath;
        l.portBytes = m_portBytes;
    }
    take(std::move(l));
    if (onDocument)
        onDocument(stateFile().toStdString());
    return true;
}

bool CalcSession::writeState(const QString &path, QString *error)
{
    const auto m = machine();
    if (!m) {
        if (error)
            *error = QStringLiteral("No calculator");
        return false;
    }
    std::string bytes;
    if (!m->runWhenIdle(
            [&](Engine &) {
                bytes = Calc::saveState(m->capture());
                return true;
            },
            5000)) {
        if (error)
            *error = QStringLiteral("The calculator is busy");
        return false;
    }
    if (!writeBytes(path, bytes, error))
        return false;
    std::string portBytes;
    QString portPath;
    {
        std::lock_guard lk(m_mx);
        portBytes = m_portBytes;
        portPath = m_portPath;
    }
    return portPath.isEmpty() || writeBytes(portPath, portBytes, error);
}

bool CalcSession::saveState(QString *error)
{
    return writeState(stateFile(), error);
}

bool CalcSession::saveStateAs(const QString &path, QString *error)
{
    const QString full = fullPath(path);
    if (!writeState(full, error))
        return false;
    {
        std::lock_guard lk(m_mx);
        m_statePath = full;
    }
    if (onDocument)
        onDocument(full.toStdString());
    return true;
}

void CalcSession::windowClosed()
{
    if (onClose)
        onClose();
}

bool CalcSession::loadObject(const QString &path, int limitMs, QString *error)
{
    const auto m = machine();
    std::string bytes;
    if (!m || !readBytes(fullPath(path), bytes, error))
        return false;
    const DecodedObject obj = readObjectFile(bytes);
    if (!obj.ok()) {
        if (error)
            *error = QString::fromStdString(obj.error);
        return false;
    }
    return m->runWhenIdle(
        [&](Engine &e) {
            e.push(obj.value);
            return true;
        },
        limitMs);
}

bool CalcSession::saveObject(const QString &path, int limitMs, QString *error)
{
    const auto m = machine();
    if (!m)
        return false;
    std::string bytes;
    const bool hp48 = m->model() == Model::HP48GX;
    const bool ok = m->runWhenIdle(
        [&](Engine &e) {
            if (e.depth() == 0)
                return false;
            bytes = writeObjectFile(e.level(1), hp48);
            return true;
        },
        limitMs);
    return ok && writeBytes(fullPath(path), bytes, error);
}

void CalcSession::stop()
{
    std::shared_ptr<Machine> m = machine();
    if (m)
        m->stop();
}

} // namespace Calc
