#include "formats/ObjectFile.h"

#include "formats/NibbleText.h"
#include "formats/Prologs.h"
#include "formats/SafeFile.h"

#include <QCoreApplication>
#include <QFile>

namespace {

constexpr qsizetype SignatureSize = 8;
constexpr qsizetype PrologSize = 5;
constexpr qsizetype FieldSize = 5;

QString tr(const char *text)
{
    return QCoreApplication::translate("ObjectFile", text);
}

} // namespace

QByteArray ReadFileBytes(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = tr("Cannot read %1: %2").arg(path, file.errorString());
        return {};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = tr("Cannot read %1: %2").arg(path, file.errorString());
        return {};
    }
    return bytes;
}

bool WriteFileBytes(const QByteArray &bytes, const QString &path, QString *error)
{
    // QSaveFile's commit() does not see a write that fails in the final
    // flush (a full disk); ReplaceFile checks every step.
    QString why;
    if (ReplaceFile(path, bytes, &why))
        return true;
    if (error)
        *error = tr("Cannot write %1: %2").arg(path, why);
    return false;
}

QByteArray ObjectFileSignature(bool hp48Series)
{
    return hp48Series ? QByteArrayLiteral("HPHP48-W") : QByteArrayLiteral("HPHP49-W");
}

bool IsObjectFile(const QByteArray &bytes)
{
    return bytes.size() >= SignatureSize && bytes.startsWith("HPHP4");
}

QByteArray ObjectFileNibbles(const QByteArray &bytes)
{
    return IsObjectFile(bytes) ? BytesToNibbleText(bytes.mid(SignatureSize)) : QByteArray();
}

QByteArray MakeObjectFile(const QByteArray &nibbleText, bool hp48Series)
{
    return ObjectFileSignature(hp48Series) + NibbleTextToBytes(nibbleText);
}

qsizetype TGrob::rowDigits(int width)
{
    return 2 * ((qsizetype(qMax(0, width)) + 7) / 8);
}

TGrob TGrob::blank(int width, int height)
{
    TGrob g;
    g.Width = qMax(0, width);
    g.Height = qMax(0, height);
    g.Data = QByteArray(rowDigits(g.Width) * g.Height, '0');
    return g;
}

namespace {

int nibbleAt(const QByteArray &data, qsizetype pos)
{
    return qMax(0, HexDigitValue(data[pos]));
}

} // namespace

bool TGrob::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return false;
    const qsizetype pos = y * rowDigits(Width) + x / 4;
    return pos < Data.size() && (nibbleAt(Data, pos) >> (x % 4)) & 1;
}

void TGrob::setPixel(int x, int y, bool dark)
{
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return;
    const qsizetype pos = y * rowDigits(Width) + x / 4;
    if (pos >= Data.size())
        return;
    int n = nibbleAt(Data, pos);
    n = dark ? n | (1 << (x % 4)) : n & ~(1 << (x % 4));
    Data[pos] = "0123456789ABCDEF"[n];
}

QByteArray GrobNibbleText(const TGrob &grob)
{
    const QByteArray body = NibbleField(grob.Height) + NibbleField(grob.Width) + grob.Data;
    return NibbleField(Prolog::Grob) + NibbleField(body.size() + FieldSize) + body;
}

TGrob GrobFromNibbleText(const QByteArray &nibbleText)
{
    if (!nibbleText.startsWith(NibbleField(Prolog::Grob)))
        return {};
    // The size field is not trusted: files from other tools disagree on it,
    // and the rows follow from the dimensions anyway.
    const qsizetype dims = PrologSize + FieldSize;
    const std::int64_t height = ReadNibbleField(nibbleText, dims);
    const std::int64_t width = ReadNibbleField(nibbleText, dims + FieldSize);
    if (height < 0 || width < 0)
        return {};
    const qsizetype start = dims + 2 * FieldSize;
    const std::int64_t needed = TGrob::rowDigits(int(width)) * height;
    // A file cut short would leave rows without pixels; anything after the
    // last row is not part of the picture.
    if (needed > nibbleText.size() - start)
        return {};
    TGrob g;
    g.Width = int(width);
    g.Height = int(height);
    g.Data = nibbleText.mid(start, needed);
    return g;
}

TGrob ReadGrobFile(const QString &path, QString *error)
{
    return GrobFromNibbleText(ObjectFileNibbles(ReadFileBytes(path, error)));
}

bool WriteGrobFile(const TGrob &grob, const QString &path, bool hp48Series, QString *error)
{
    return WriteFileBytes(MakeObjectFile(GrobNibbleText(grob), hp48Series), path, error);
}

QByteArray StringNibbleText(const QByteArray &characters)
{
    const QByteArray body = BytesToNibbleText(characters);
    return NibbleField(Prolog::String) + NibbleField(body.size() + FieldSize) + body;
}

QByteArray CommandLineWrapper(const QByteArray &text, bool run, bool hp48Series)
{
    const WrapperPointers &pointers = hp48Series ? Wrapper48 : Wrapper49;
    QByteArray nibbles = NibbleField(Prolog::Program) + StringNibbleText(text);
    nibbles += NibbleField(pointers.compile);
    if (run)
        nibbles += NibbleField(pointers.run);
    return nibbles + NibbleField(Prolog::Semi);
}

QByteArray StringFromNibbleText(const QByteArray &nibbleText, bool *ok)
{
    if (ok)
        *ok = false;
    if (!nibbleText.startsWith(NibbleField(Prolog::String)))
        return {};
    const qsizetype start = PrologSize + FieldSize;
    QByteArray body = nibbleText.mid(start);
    // The size field says where the string ends when other data follows it;
    // a field that does not fit the file is ignored and the rest is taken.
    const std::int64_t size = ReadNibbleField(nibbleText, PrologSize);
    if (size >= FieldSize && size - FieldSize <= body.size())
        body.truncate(size - FieldSize);
    body.truncate(body.size() & ~qsizetype(1));
    if (ok)
        *ok = true;
    return NibbleTextToBytes(body);
}

QByteArray BreakLongLines(QByteArray s, int width)
{
    qsizetype count = 0;
    qsizetype lastBlank = -1;
    bool inQuotes = false;
    bool inBrackets = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char ch = s[i];
        if (ch == '"')
            inQuotes = !inQuotes;
        else if (ch == '[')
            inBrackets = true;
        else if (ch == ']')
            inBrackets = false;
        ++count;
        if (ch == ' ' && !inQuotes && !inBrackets) {
            if (count > width) {
                if (lastBlank >= 0) {
                    s[lastBlank] = '\n';
                    count = i - lastBlank;
                } else {
                    s[i] = '\n';
                    count = 0;
                }
                lastBlank = -1;
            } else {
                lastBlank = i;
            }
        }
        // A line feed of the text starts a new line whatever the old one's
        // length, or a long unbreakable line would break the next one early.
        if (ch == '\n') {
            count = 0;
            lastBlank = -1;
        }
    }
    return s;
}

QByteArray ReadStringObjectFile(const QString &path, int width, QString *error)
{
    return BreakLongLines(StringFromNibbleText(ObjectFileNibbles(ReadFileBytes(path, error))),
                          width);
}
