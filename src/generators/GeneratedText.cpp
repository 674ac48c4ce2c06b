#include "generators/GeneratedText.h"

#include "calc/core/Compiler.h"
#include "calc/core/Errors.h"
#include "formats/CalcCharset.h"
#include "shell/Globals.h"
#include "shell/Language.h"

#include <QList>

#include <algorithm>
#include <string_view>

QByteArray GeneratedText::withCaretMarker() const
{
    QByteArray out = bytes;
    out.insert(std::clamp<qsizetype>(caret, 0, bytes.size()), '|');
    return out;
}

GeneratedText &GeneratedText::operator<<(QByteArrayView piece)
{
    bytes.append(piece);
    return *this;
}

namespace GeneratorText {

namespace {

// Calls line(text) for each line and breakAt() after each line break.
template<typename Line, typename Break>
void splitLines(QByteArrayView text, Line line, Break lineBreak)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        line(text.sliced(start, i - start));
        lineBreak();
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    line(text.sliced(start));
}

} // namespace

QList<QByteArray> Lines(QByteArrayView text)
{
    QList<QByteArray> lines;
    splitLines(text, [&](QByteArrayView l) { lines << l.toByteArray(); }, [] {});
    // As a text box counts them: a final line break opens no line of its own.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() == 1 && lines.first().isEmpty())
        lines.clear();
    return lines;
}

QByteArray CrLfLines(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size() + 16);
    splitLines(text, [&](QByteArrayView l) { out += l; }, [&] { out += CRLF; });
    return out;
}

QString CompileProblem(const QByteArray &code, bool is49)
{
    Calc::CompileOptions options;
    options.is49 = is49;
    try {
        Calc::compileText(std::string_view(code.constData(), size_t(code.size())), options);
        return QString();
    } catch (const Calc::CalcError &error) {
        const QString message = QString::fromStdString(error.message);
        if (error.position < 0)
            return message;
        // Line and column (from 1) of the place where the compiler stopped.
        const QByteArray before = code.left(std::min<qsizetype>(error.position, code.size()));
        const qsizetype lineStart = before.lastIndexOf('\n') + 1;
        const int line = int(before.count('\n')) + 1;
        const int column = int(before.size() - lineStart) + 1;
        // The user never sees the code, so the line is quoted: it names the
        // text that holds the fault.
        qsizetype lineEnd = code.indexOf('\r', lineStart);
        if (lineEnd < 0)
            lineEnd = code.indexOf('\n', lineStart);
        QString quoted = CalcCharset::decode(code.mid(lineStart, lineEnd < 0 ? -1 : lineEnd - lineStart)).trimmed();
        if (quoted.size() > 40)
            quoted = quoted.left(39) + QChar(0x2026);
        return FormatText(LanguageText("GeneratorWindows", "CompileProblemAt"), {message, line, column, quoted});
    }
}

} // namespace GeneratorText
