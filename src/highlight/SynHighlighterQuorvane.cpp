#include "highlight/SynHighlighterQuorvane.h"

#include "shell/SettingsStore.h"

namespace {

// The attributes' own names; they are also the keys they are stored under.
const char *const kAttributeNames[TSynQuorvaneSyn::AttributeCount] = {
    "Null",
    "Comment",
    "Identifier",
    "Number",
    "Reserved Word",
    "Space",
    "String",
    "Symbol",
    "Branching",
    "Algebraic",
    "Variable",
};

constexpr unsigned char kLF = 10;
constexpr unsigned char kCR = 13;
constexpr unsigned char kLeftArrow = 0x8E; // starts local variable names
constexpr unsigned char kAngle = 0x80;

bool isBlank(unsigned char c)
{
    return c >= 1 && c <= 32 && c != kLF && c != kCR;
}

bool isLineEnd(unsigned char c)
{
    return c == 0 || c == kLF || c == kCR;
}

bool inPrefixedNumber(unsigned char c)
{
    switch (c) {
    case ')':
    case ',':
    case '.':
    case 'b':
    case 'd':
    case 'h':
    case 'o':
        return true;
    default:
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    }
}

bool inNumber(unsigned char c)
{
    switch (c) {
    case '+':
    case '-':
    case '.':
    case 'E':
    case 'b':
    case 'd':
    case 'e':
    case 'h':
    case 'o':
        return true;
    default:
        return c >= '0' && c <= '9';
    }
}

} // namespace

TSynQuorvaneSyn::TSynQuorvaneSyn(QObject *parent)
    : QObject(parent)
{
    for (int kind = 0; kind < AttributeCount; ++kind) {
        auto *attr = new HighlighterAttribute(QString::fromLatin1(kAttributeNames[kind]), this);
        connect(attr, &HighlighterAttribute::changed, this, [this, kind] {
            emit attributeChanged(kind);
        });
        m_attributes[kind] = attr;
    }
}

// --- Scanning ---------------------------------------------------------------

void TSynQuorvaneSyn::setLine(const char *line, int length, int lineNumber)
{
    m_line = line ? line : "";
    m_length = line ? length : 0;
    m_lineNumber = lineNumber;
    m_run = 0;
    next();
}

void TSynQuorvaneSyn::next()
{
    m_tokenStart = m_run;
    if (m_range == RangeString) {
        scanStringBody(false);
        return;
    }
    m_range = RangeNormal;
    dispatch();
}

void TSynQuorvaneSyn::dispatch()
{
    const unsigned char c = at(m_run);
    switch (c) {
    case 0:
        m_kind = Null;
        return;
    case kLF:
        m_kind = Space;
        ++m_run;
        return;
    case kCR:
        m_kind = Space;
        ++m_run;
        if (at(m_run) == kLF)
            ++m_run;
        return;
    case '"':
        ++m_run;
        m_range = RangeString;
        scanStringBody(true);
        return;
    case '#':
    case '(':
        scanPrefixedNumber();
        return;
    case '@':
        scanComment();
        return;
    case '\'':
    case '`':
        scanAlgebraic(c);
        return;
    default:
        break;
    }
    if (isBlank(c))
        scanSpace();
    else if (c == '.' || (c >= '0' && c <= '9'))
        scanNumber();
    else
        scanWord();
}

void TSynQuorvaneSyn::scanSpace()
{
    m_kind = Space;
    do
        ++m_run;
    while (isBlank(at(m_run)));
}

// Entered just past an opening quote, or at the start of a line that begins
// inside a string. Strings have no escape character.
void TSynQuorvaneSyn::scanStringBody(bool opening)
{
    const unsigned char c = at(m_run);
    if (isLineEnd(c) && !opening) {
        // The line end itself; the string goes on in the next line.
        if (c == 0) {
            m_kind = Null;
        } else {
            m_kind = Space;
            ++m_run;
            if (c == kCR && at(m_run) == kLF)
                ++m_run;
        }
        return;
    }
    // A quote that is the last byte of its line is still a string token of its
    // own; were it scanned as the end of line it would never be painted.
    m_kind = String;
    while (!isLineEnd(at(m_run))) {
        if (at(m_run++) == '"') {
            m_range = RangeNormal;
            return;
        }
    }
}

void TSynQuorvaneSyn::scanPrefixedNumber()
{
    m_kind = Number;
    ++m_run;
    while (inPrefixedNumber(at(m_run)))
        ++m_run;
}

void TSynQuorvaneSyn::scanNumber()
{
    m_kind = Number;
    ++m_run;
    for (unsigned char c = at(m_run); inNumber(c); c = at(m_run)) {
        // "1..5" is the number 1 followed by the number ..5.
        if (c == '.' && at(m_run + 1) == '.')
            break;
        ++m_run;
    }
}

void TSynQuorvaneSyn::scanComment()
{
    m_kind = Comment;
    ++m_run;
    while (!isLineEnd(at(m_run))) {
        if (at(m_run++) == '@')
            break;
    }
}

void TSynQuorvaneSyn::scanAlgebraic(unsigned char quote)
{
    m_kind = Algebraic;
    ++m_run;
    if (at(m_run) == quote && at(m_run + 1) == quote)
        m_run += 2;
    while (!isLineEnd(at(m_run))) {
        if (at(m_run++) == quote)
            break;
    }
}

void TSynQuorvaneSyn::scanWord()
{
    // Only a blank, a control byte or the end of the line ends a word: quotes
    // and @ inside it are part of it, and so is every byte above 127.
    do
        ++m_run;
    while (at(m_run) > 32);
    m_kind = wordKind(QByteArrayView(m_line + m_tokenStart, m_run - m_tokenStart));
}

int TSynQuorvaneSyn::wordKind(QByteArrayView word) const
{
    if (word.isEmpty())
        return Null;
    refreshWordKinds();
    if (!m_wordKinds.isEmpty()) {
        auto it = m_wordKinds.constFind(QByteArray::fromRawData(word.data(), word.size()));
        if (it != m_wordKinds.constEnd())
            return it.value();
    }
    const unsigned char first = static_cast<unsigned char>(word.front());
    if (first == '$')
        return Variable;
    if ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first == '_' ||
        first == kLeftArrow)
        return Identifier;
    if (first == kAngle)
        return Number;
    return Symbol;
}

void TSynQuorvaneSyn::refreshWordKinds() const
{
    const std::array<quint64, 4> revisions = {m_specialSymbols.revision(),
                                              m_variableWords.revision(),
                                              m_branchWords.revision(),
                                              m_keyWords.revision()};
    if (revisions == m_wordKindsRevisions)
        return;
    m_wordKinds.clear();
    // Rule order: the first list that holds the word decides its kind.
    const std::pair<const KeywordList *, int> order[] = {
        {&m_specialSymbols, Symbol},
        {&m_variableWords, Variable},
        {&m_branchWords, Branch},
        {&m_keyWords, Key},
    };
    for (const auto &[list, kind] : order) {
        for (const QByteArray &word : list->lines())
            m_wordKinds.insert(word, m_wordKinds.value(word, kind));
    }
    m_wordKindsRevisions = revisions;
}

// --- Attributes -------------------------------------------------------------

HighlighterAttribute *TSynQuorvaneSyn::attribute(int kind) const
{
    return kind >= 0 && kind < AttributeCount ? m_attributes[kind] : nullptr;
}

HighlighterAttribute *TSynQuorvaneSyn::defaultAttribute(AttributeRole role) const
{
    switch (role) {
    case CommentRole:
        return m_attributes[Comment];
    case IdentifierRole:
        return m_attributes[Identifier];
    case KeywordRole:
        return m_attributes[Key];
    case StringRole:
        return m_attributes[String];
    case WhitespaceRole:
        return m_attributes[Space];
    case SymbolRole:
        return m_attributes[Symbol];
    case OtherRole:
        break;
    }
    return nullptr;
}

void TSynQuorvaneSyn::setStartupColors()
{
    struct Startup
    {
        int kind;
        ColorValue foreground;
        int style;
    };
    const Startup startup[] = {
        {Comment, rgbColor(128, 128, 128), StyleItalic},
        {Identifier, rgbColor(0, 0, 0), 0},
        {Number, rgbColor(255, 128, 0), 0},
        {Key, rgbColor(0, 0, 128), StyleBold},
        {Space, rgbColor(255, 255, 255), 0},
        {String, rgbColor(0, 0, 255), 0},
        {Symbol, rgbColor(0, 128, 0), 0},
        {Branch, rgbColor(128, 0, 128), StyleBold},
        {Algebraic, rgbColor(0, 0, 255), 0},
        {Variable, rgbColor(255, 0, 0), 0},
    };
    for (const Startup &s : startup) {
        HighlighterAttribute *attr = m_attributes[s.kind];
        attr->setForeground(s.foreground);
        attr->setBackground(rgbColor(255, 255, 255));
        attr->setStyle(s.style);
    }
}

// --- Word lists -------------------------------------------------------------

void TSynQuorvaneSyn::setKeyWords(const QByteArrayList &lines)
{
    m_keyWords.setLines(lines);
    emit highlightingChanged();
}

void TSynQuorvaneSyn::setBranchWords(const QByteArrayList &lines)
{
    m_branchWords.setLines(lines);
    emit highlightingChanged();
}

void TSynQuorvaneSyn::setSpecialSymbols(const QByteArrayList &lines)
{
    m_specialSymbols.setLines(lines);
    emit highlightingChanged();
}

void TSynQuorvaneSyn::setVariableWords(const QByteArrayList &lines)
{
    m_variableWords.setLines(lines);
    emit highlightingChanged();
}

// --- Copying and persistence ------------------------------------------------

void TSynQuorvaneSyn::assign(const TSynQuorvaneSyn &other)
{
    if (&other == this)
        return;
    for (int kind = 0; kind < AttributeCount; ++kind)
        m_attributes[kind]->assign(*other.m_attributes[kind]);
    // A list that is the same already is left alone, so that copying colours
    // back and forth does not make every editor scan its text again.
    if (m_keyWords.lines() != other.m_keyWords.lines())
        setKeyWords(other.m_keyWords.lines());
    if (m_branchWords.lines() != other.m_branchWords.lines())
        setBranchWords(other.m_branchWords.lines());
    if (m_specialSymbols.lines() != other.m_specialSymbols.lines())
        setSpecialSymbols(other.m_specialSymbols.lines());
    if (m_variableWords.lines() != other.m_variableWords.lines())
        setVariableWords(other.m_variableWords.lines());
}

void TSynQuorvaneSyn::loadFromStore(const SettingsStore &store)
{
    if (!store.subKeys(QString()).contains(settingsGroup()))
        return;
    const QStringList stored = store.subKeys(settingsGroup());
    for (HighlighterAttribute *attr : m_attributes) {
        if (!stored.contains(attr->name()))
            continue;
        const QString key = settingsGroup() + QLatin1Char('/') + attr->name();
        // A value that is missing or not a number reads as this default.
        constexpr int absent = -1;
        const int background = store.readInt(key, QStringLiteral("Background"), absent);
        if (background >= 0)
            attr->setBackground(ColorValue(background));
        const int foreground = store.readInt(key, QStringLiteral("Foreground"), absent);
        if (foreground >= 0)
            attr->setForeground(ColorValue(foreground));
        const int style = store.readInt(key, QStringLiteral("Style"), absent);
        if (style >= 0)
            attr->setStyle(style);
    }
}

void TSynQuorvaneSyn::saveToStore(SettingsStore &store) const
{
    for (const HighlighterAttribute *attr : m_attributes) {
        const QString key = settingsGroup() + QLatin1Char('/') + attr->name();
        store.writeInt(key, QStringLiteral("Background"), int(attr->background()));
        store.writeInt(key, QStringLiteral("Foreground"), int(attr->foreground()));
        store.writeInt(key, QStringLiteral("Style"), attr->style());
    }
}
