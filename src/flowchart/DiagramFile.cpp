#include "flowchart/DiagramFile.h"

#include "flowchart/DiagramBuilder.h"
#include "formats/SafeFile.h"

#include <QFile>

#include <cstring>

namespace DiagramFile {

namespace {

enum Tag : unsigned char {
    TagInt8 = 2,
    TagInt16 = 3,
    TagInt32 = 4,
    TagShortString = 6,
    TagLongString = 12,
    TagWideString = 18,
    TagUtf8String = 20,
};

const QString NoneName = QStringLiteral("None");

// Shape record and link record at their smallest: seven values and two.
constexpr qsizetype MinBytesPerShape = 7 * 2 + 2 * 2;

class Writer
{
public:
    void integer(qint32 v)
    {
        if (v >= -128 && v <= 127) {
            m_out += char(TagInt8);
            m_out += char(qint8(v));
        } else if (v >= -32768 && v <= 32767) {
            m_out += char(TagInt16);
            le(quint32(quint16(qint16(v))), 2);
        } else {
            m_out += char(TagInt32);
            le(quint32(v), 4);
        }
    }
    void string(const QString &s)
    {
        bool ascii = true;
        for (QChar c : s)
            ascii = ascii && c.unicode() < 128;
        if (!ascii) {
            const QByteArray utf8 = s.toUtf8();
            m_out += char(TagUtf8String);
            le(quint32(utf8.size()), 4);
            m_out += utf8;
        } else if (s.size() <= 255) {
            m_out += char(TagShortString);
            m_out += char(quint8(s.size()));
            m_out += s.toLatin1();
        } else {
            m_out += char(TagLongString);
            le(quint32(s.size()), 4);
            m_out += s.toLatin1();
        }
    }
    void name(const TShapeCustomControl *shape) { string(shape ? shape->Name : NoneName); }
    const QByteArray &bytes() const { return m_out; }

private:
    void le(quint32 v, int count)
    {
        for (int i = 0; i < count; ++i)
            m_out += char((v >> (8 * i)) & 0xFF);
    }
    QByteArray m_out;
};

// Reads values; every length is checked against what is left before
// anything is allocated.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes)
        : m_b(bytes)
    {
    }

    qsizetype remaining() const { return m_b.size() - m_pos; }
    bool atString() const
    {
        if (remaining() < 1)
            return false;
        const auto t = static_cast<unsigned char>(m_b[m_pos]);
        return t == TagShortString || t == TagLongString || t == TagWideString || t == TagUtf8String;
    }

    bool integer(int &v, QString &why)
    {
        if (remaining() < 1)
            return fail(why, "the file ends where a number should be");
        const auto tag = static_cast<unsigned char>(m_b[m_pos++]);
        const int size = tag == TagInt8 ? 1 : tag == TagInt16 ? 2 : tag == TagInt32 ? 4 : 0;
        if (!size)
            return fail(why, "a number has an unknown tag");
        if (remaining() < size)
            return fail(why, "the file ends inside a number");
        quint32 u = 0;
        for (int i = 0; i < size; ++i)
            u |= quint32(static_cast<unsigned char>(m_b[m_pos + i])) << (8 * i);
        m_pos += size;
        v = size == 1 ? qint8(u) : size == 2 ? qint16(u) : qint32(u);
        return true;
    }

    bool string(QString &s, QString &why)
    {
        if (remaining() < 1)
            return fail(why, "the file ends where a text should be");
        const auto tag = static_cast<unsigned char>(m_b[m_pos++]);
        quint32 length = 0;
        if (tag == TagShortString) {
            if (remaining() < 1)
                return fail(why, "the file ends inside a text");
            length = static_cast<unsigned char>(m_b[m_pos++]);
        } else if (tag == TagLongString || tag == TagWideString || tag == TagUtf8String) {
            if (remaining() < 4)
                return fail(why, "the file ends inside a text");
            for (int i = 0; i < 4; ++i)
                length |= quint32(static_cast<unsigned char>(m_b[m_pos + i])) << (8 * i);
            m_pos += 4;
        } else {
            return fail(why, "a text has an unknown tag");
        }
        const quint64 bytes = tag == TagWideString ? quint64(length) * 2 : length;
        if (bytes > quint64(remaining()))
            return fail(why, "a text is longer than the rest of the file");
        const char *data = m_b.constData() + m_pos;
        const auto n = static_cast<qsizetype>(bytes);
        if (tag == TagWideString) {
            s.resize(static_cast<qsizetype>(length));
            for (quint32 i = 0; i < length; ++i)
                s[i] = QChar(char16_t(static_cast<unsigned char>(data[2 * i])
                                      | static_cast<unsigned char>(data[2 * i + 1]) << 8));
        } else if (tag == TagUtf8String) {
            s = QString::fromUtf8(data, n);
        } else {
            s = FromCodePage(QByteArray(data, n));
        }
        m_pos += n;
        return true;
    }

private:
    static bool fail(QString &why, const char *text)
    {
        why = QString::fromLatin1(text);
        return false;
    }
    const QByteArray &m_b;
    qsizetype m_pos = 0;
};

struct ShapeRecord
{
    int kind = 0;
    QString name, caption;
    int height = 0, left = 0, top = 0, width = 0;
    int direction = ldOutgoing;
    QString link1, link2; // default or true and false, or destination
};

ReadStatus bad(QString *detail, const QString &why)
{
    if (detail)
        *detail = why;
    return ReadStatus::BadData;
}

} // namespace

QString FromCodePage(const QByteArray &bytes)
{
    // 0x80..0x9F; the rest of the code page is Latin-1.
    static constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString s(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        s[i] = QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b));
    }
    return s;
}

QByteArray Write(const TDiagram &diagram)
{
    Writer w;
    w.string(QString::fromLatin1(Signature));
    w.integer(diagram.ShapeCount());
    for (const TShapeCustomControl *s : diagram.Shapes()) {
        w.integer(int(s->Kind()));
        w.string(s->Name);
        w.string(s->Caption());
        w.integer(s->Height());
        w.integer(s->Left());
        w.integer(s->Top());
        w.integer(s->Width());
    }
    for (const TShapeCustomControl *s : diagram.Shapes()) {
        w.integer(int(s->Kind()));
        if (auto *d = dynamic_cast<const TShapeDecision *>(s)) {
            w.name(d->TrueState());
            w.name(d->FalseState());
        } else if (auto *l = dynamic_cast<const TShapeLink *>(s)) {
            w.integer(l->Direction());
            w.name(l->Destination());
        } else {
            w.name(static_cast<const TShapeNode *>(s)->DefaultTransition());
        }
    }
    return w.bytes();
}

ReadStatus Read(const QByteArray &bytes, TDiagram &diagram, QString *detail)
{
    Q_ASSERT(diagram.ShapeCount() == 0);
    Reader r(bytes);
    QString why;
    QString signature;
    if (!r.atString())
        return bad(detail, QStringLiteral("the file does not start with a text"));
    if (!r.string(signature, why))
        return bad(detail, why);
    if (signature != QLatin1String(Signature)) {
        if (detail)
            *detail = QStringLiteral("the file does not start with the flowchart signature");
        return ReadStatus::BadSignature;
    }
    int count = 0;
    if (!r.integer(count, why))
        return bad(detail, why);
    if (count < 0 || qint64(count) * MinBytesPerShape > r.remaining())
        return bad(detail, QStringLiteral("the shape count %1 does not fit in the file").arg(count));

    std::vector<ShapeRecord> records(static_cast<size_t>(count));
    for (ShapeRecord &s : records) {
        if (!r.integer(s.kind, why) || !r.string(s.name, why) || !r.string(s.caption, why)
            || !r.integer(s.height, why) || !r.integer(s.left, why) || !r.integer(s.top, why)
            || !r.integer(s.width, why))
            return bad(detail, why);
        if (!IsShapeKind(s.kind))
            return bad(detail, QStringLiteral("a shape has the unknown kind %1").arg(s.kind));
    }
    for (ShapeRecord &s : records) {
        int kind = 0;
        if (!r.integer(kind, why))
            return bad(detail, why);
        if (kind != s.kind)
            return bad(detail, QStringLiteral("the links of shape \"%1\" are those of another kind").arg(s.name));
        bool ok = true;
        if (kind == int(ShapeKind::Condition) || kind == int(ShapeKind::Loop))
            ok = r.string(s.link1, why) && r.string(s.link2, why);
        else if (kind == int(ShapeKind::Link))
            ok = r.integer(s.direction, why) && r.string(s.link1, why);
        else
            ok = r.string(s.link1, why);
        if (!ok)
            return bad(detail, why);
    }

    // Everything is read; now the shapes are built, named and linked. A
    // diagram of our own first, so that a refused link leaves the caller's
    // diagram as it was.
    TDiagram staged;
    std::vector<TShapeCustomControl *> shapes;
    shapes.reserve(records.size());
    for (const ShapeRecord &s : records) {
        std::unique_ptr<TShapeCustomControl> shape = CreateShape(ShapeKind(s.kind));
        shape->SetCaption(s.caption);
        if (s.height != 0)
            shape->SetHeight(s.height);
        shape->SetLeft(s.left);
        shape->SetTop(s.top);
        if (s.width != 0)
            shape->SetWidth(s.width);
        shapes.push_back(shape.get());
        staged.AddShape(std::move(shape));
    }
    for (size_t i = 0; i < records.size(); ++i) {
        // An unnamed shape gets a name no other shape of the file has.
        shapes[i]->Name = records[i].name.isEmpty()
                              ? staged.UniqueName(QString::fromLatin1(shapes[i]->ClassName()))
                              : records[i].name;
    }
    for (size_t i = 0; i < records.size(); ++i) {
        const ShapeRecord &s = records[i];
        TShapeCustomControl *shape = shapes[i];
        TShapeCustomControl *first = staged.FindShape(s.link1);
        if (auto *d = dynamic_cast<TShapeDecision *>(shape)) {
            d->SetTrueState(first);
            d->SetFalseState(staged.FindShape(s.link2));
        } else if (auto *l = dynamic_cast<TShapeLink *>(shape)) {
            if (first == l)
                return bad(detail, QStringLiteral("the connector \"%1\" leads to itself").arg(s.name));
            l->SetDirection(s.direction == ldIncoming ? ldIncoming : ldOutgoing);
            l->SetDestination(first);
        } else {
            static_cast<TShapeNode *>(shape)->SetDefaultTransition(first);
        }
    }
    // Moving the shapes keeps their links: they are taken out in one go.
    for (TShapeCustomControl *s : shapes)
        s->SetSelected(false);
    diagram.Adopt(staged);
    diagram.SetState(nullptr);
    return ReadStatus::Ok;
}

ReadStatus Load(const QString &path, TDiagram &diagram, QString *detail)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return bad(detail, f.errorString());
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return bad(detail, f.errorString());
    return Read(bytes, diagram, detail);
}

bool Save(const QString &path, const TDiagram &diagram, QString *error)
{
    return ReplaceFile(path, Write(diagram), error);
}

} // namespace DiagramFile
