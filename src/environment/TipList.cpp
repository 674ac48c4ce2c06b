#include "environment/TipList.h"

#include "shell/Globals.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>

QStringList TipList::parseLines(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    if (text.endsWith(u'\n'))
        text.chop(1);
    if (text.isEmpty() && bytes.isEmpty())
        return {};
    return text.split(u'\n');
}

bool TipList::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setTips({});
        return false;
    }
    setTips(parseLines(file.readAll()));
    return true;
}

void TipList::setTips(const QStringList &tips)
{
    m_tips = tips;
    m_index = m_tips.isEmpty() ? -1 : 0;
}

void TipList::setIndex(int index)
{
    if (index >= 0 && index < count())
        m_index = index;
}

QString TipList::current() const
{
    return m_index >= 0 ? m_tips.at(m_index) : QString();
}

void TipList::startAtRandom(QRandomGenerator &random)
{
    if (!m_tips.isEmpty())
        m_index = int(random.bounded(count()));
}

void TipList::next()
{
    if (!m_tips.isEmpty())
        m_index = (m_index + 1) % count();
}

void TipList::previous()
{
    if (!m_tips.isEmpty())
        m_index = (m_index + count() - 1) % count();
}

QString TipsFilePath(const QString &language)
{
    const QString own = AppFolder() + "TIPS-" + language + ".TXT";
    if (!language.isEmpty() && QFileInfo::exists(own))
        return own;
    return AppFolder() + "TIPS.TXT";
}
