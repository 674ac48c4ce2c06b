#include "calc/service/ServiceFolder.h"

#include "formats/PrivateFolder.h"

namespace Calc::ServiceFolder {

QStringList Candidates()
{
    return PrivateFolder::Candidates(QStringLiteral("dde"));
}

bool IsPrivate(const QString &folder)
{
    return PrivateFolder::IsPrivate(folder);
}

QString Make(QString *error)
{
    return PrivateFolder::Make(QStringLiteral("dde"), error);
}

bool IsValidServiceName(const QString &service)
{
    return !service.isEmpty() && !service.contains('/') && !service.contains(QLatin1String("..")) &&
           !service.contains(QChar(0));
}

} // namespace Calc::ServiceFolder
