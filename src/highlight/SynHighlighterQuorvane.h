#pragma once

#include "highlight/HighlighterAttribute.h"
#include "highlight/KeywordList.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <array>

class SettingsStore;

// The UserRPL scanner: splits one line of calculator bytes at a time into
// tokens of eleven kinds. It knows nothing of widgets; an editor adapter feeds
// it lines and keeps the one value that carries over from line to line (the
// range: inside a string or not) per line.
//
// UserRPL words are separated by white space, so apart from strings,
// algebraics, comments and numbers the scanner takes whole blank-delimited
// words and classifies them by four word lists and by their first byte.
class TSynQuorvaneSyn : public QObject
{
    Q_OBJECT

public:
    // The kind number is also the index of the attribute that paints it.
    enum TokenKind : int {
        Null = 0, // end of line, never painted
        Comment = 1,
        Identifier = 2,
        Number = 3,
        Key = 4,
        Space = 5,
        String = 6,
        Symbol = 7,
        Branch = 8,
        Algebraic = 9,
        Variable = 10,
    };
    static constexpr int AttributeCount = 11;

    // Range values kept per line. 0 is what a widget stores for a line it has
    // never asked about; it behaves like RangeNormal.
    enum Range : int { RangeUnknown = 0, RangeString = 1, RangeNormal = 2 };

    enum AttributeRole {
        CommentRole,
        IdentifierRole,
        KeywordRole,
        StringRole,
        WhitespaceRole,
        SymbolRole,
        OtherRole,
    };

    explicit TSynQuorvaneSyn(QObject *parent = nullptr);

    static QString languageName() { return QStringLiteral("Quorvane"); }

    // --- Scanning -----------------------------------------------------------
    // Begins a line and scans its first token with the current range. The
    // bytes are not copied and must outlive the scan of the line; scanning
    // stops at length or at the first zero byte, whichever comes first.
    void setLine(const char *line, int length, int lineNumber = 0);
    void setLine(const QByteArray &line, int lineNumber = 0)
    {
        setLine(line.constData(), int(line.size()), lineNumber);
    }
    void next();
    bool atEol() const { return m_kind == Null; }

    QByteArray token() const { return QByteArray(m_line + m_tokenStart, m_run - m_tokenStart); }
    int tokenPos() const { return m_tokenStart; }
    int tokenLength() const { return m_run - m_tokenStart; }
    int tokenKind() const { return m_kind; }
    HighlighterAttribute *tokenAttribute() const { return attribute(m_kind); }
    int lineNumber() const { return m_lineNumber; }

    int range() const { return m_range; }
    void setRange(int range) { m_range = range; }
    void resetRange() { m_range = RangeNormal; }

    // --- Attributes ---------------------------------------------------------
    static constexpr int attributeCount() { return AttributeCount; }
    // The attribute of a kind 0 to 10, or nullptr.
    HighlighterAttribute *attribute(int kind) const;
    HighlighterAttribute *defaultAttribute(AttributeRole role) const;

    HighlighterAttribute *commentAttri() const { return m_attributes[Comment]; }
    HighlighterAttribute *identifierAttri() const { return m_attributes[Identifier]; }
    HighlighterAttribute *numberAttri() const { return m_attributes[Number]; }
    HighlighterAttribute *keyAttri() const { return m_attributes[Key]; }
    HighlighterAttribute *spaceAttri() const { return m_attributes[Space]; }
    HighlighterAttribute *stringAttri() const { return m_attributes[String]; }
    HighlighterAttribute *symbolAttri() const { return m_attributes[Symbol]; }
    HighlighterAttribute *branchAttri() const { return m_attributes[Branch]; }
    HighlighterAttribute *algebraicAttri() const { return m_attributes[Algebraic]; }
    HighlighterAttribute *variableAttri() const { return m_attributes[Variable]; }

    // The colours the main window gives the attributes before it reads the
    // stored ones. Attributes start out with no colour and no style.
    void setStartupColors();

    // --- Word lists ---------------------------------------------------------
    // The lists themselves, to which the loader adds lines directly.
    KeywordList &keyWords() { return m_keyWords; }
    KeywordList &branchWords() { return m_branchWords; }
    KeywordList &specialSymbols() { return m_specialSymbols; }
    KeywordList &variableWords() { return m_variableWords; }
    const KeywordList &keyWords() const { return m_keyWords; }
    const KeywordList &branchWords() const { return m_branchWords; }
    const KeywordList &specialSymbols() const { return m_specialSymbols; }
    const KeywordList &variableWords() const { return m_variableWords; }

    // Replacing a list's contents tells the editors to colour again.
    void setKeyWords(const QByteArrayList &lines);
    void setBranchWords(const QByteArrayList &lines);
    void setSpecialSymbols(const QByteArrayList &lines);
    void setVariableWords(const QByteArrayList &lines);

    bool isKeyword(QByteArrayView word) const { return m_keyWords.contains(word); }

    // The kind a blank-delimited word gets (the rules of the word scanner).
    int wordKind(QByteArrayView word) const;

    // --- Copying and persistence --------------------------------------------
    // Colours and styles of all eleven attributes (not their names), then the
    // four lists, list by list.
    void assign(const TSynQuorvaneSyn &other);

    // The attributes live under the key "Highlighter" of the settings store,
    // one subkey per attribute name with "Background", "Foreground" and
    // "Style". Loading changes nothing when the key is missing and applies
    // only the values that are present and numeric; saving writes all three
    // values of all eleven attributes.
    void loadFromStore(const SettingsStore &store);
    void saveToStore(SettingsStore &store) const;
    static QString settingsGroup() { return QStringLiteral("Highlighter"); }

signals:
    // One attribute's colours or style changed: repaint, no rescan needed.
    void attributeChanged(int kind);
    // A word list was replaced: every line must be scanned again.
    void highlightingChanged();

private:
    unsigned char at(int i) const
    {
        return i < m_length ? static_cast<unsigned char>(m_line[i]) : 0;
    }

    void dispatch();
    void scanSpace();
    void scanStringBody(bool opening);
    void scanPrefixedNumber();
    void scanNumber();
    void scanComment();
    void scanAlgebraic(unsigned char quote);
    void scanWord();
    void refreshWordKinds() const;

    const char *m_line = "";
    int m_length = 0;
    int m_lineNumber = 0;
    int m_run = 0;
    int m_tokenStart = 0;
    int m_kind = Null;
    int m_range = RangeNormal;

    std::array<HighlighterAttribute *, AttributeCount> m_attributes{};

    KeywordList m_keyWords;
    KeywordList m_branchWords;
    KeywordList m_specialSymbols;
    KeywordList m_variableWords;

    // One lookup for all four lists, built in rule order so that the first
    // list that holds a word decides. Rebuilt when any list's revision moves.
    mutable QHash<QByteArray, int> m_wordKinds;
    mutable std::array<quint64, 4> m_wordKindsRevisions{~0ull, ~0ull, ~0ull, ~0ull};
};
