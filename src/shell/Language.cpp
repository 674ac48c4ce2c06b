#include "shell/Language.h"

#include "shell/AppDialogs.h"
#include "shell/Globals.h"

#include <QAbstractButton>
#include <QAction>
#include <QDockWidget>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <QSet>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QStringDecoder>
#include <QTabWidget>
#include <QToolBar>

#include <algorithm>
#include <memory>

// The resource of a static library must be registered by hand.
static void initBuiltInTexts()
{
    Q_INIT_RESOURCE(BuiltInTexts);
}

namespace {

QString fold(const QString &name)
{
    return name.toCaseFolded();
}

QString decodeFile(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

// Zero bytes and control characters other than tab, CR and LF never belong in
// a language file; they are what a crash or a bad copy leaves behind.
bool looksDamaged(QStringView line)
{
    for (QChar c : line)
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\r')
            return true;
    return false;
}

TLanguageFile &builtInFile();

// One pair of matching quotes around a value goes; the blanks inside stay.
QString unquote(const QString &value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == '"' || first == '\'') && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

QString cut(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    // Never leave half of a surrogate pair behind.
    int n = length;
    if (text[n - 1].isHighSurrogate())
        --n;
    return text.left(n);
}

} // namespace

QString MissingLanguageText()
{
    return QStringLiteral("\u00BF...?");
}

// TLanguageFile -----------------------------------------------------------

TLanguageFile::TLanguageFile(const QString &path)
    : m_path(path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_exists = true;
    parse(file.readAll());
}

TLanguageFile TLanguageFile::fromBytes(const QByteArray &bytes)
{
    TLanguageFile file;
    file.m_exists = true;
    file.parse(bytes);
    return file;
}

void TLanguageFile::parse(const QByteArray &bytes)
{
    const QString text = decodeFile(bytes);
    Section *current = nullptr;
    for (QStringView rawLine : QStringTokenizer(text, u'\n')) {
        const QStringView line = rawLine.trimmed(); // also drops a CR
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (looksDamaged(line)) {
            m_damaged = true;
            continue;
        }
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed().toString();
            const QString key = fold(name);
            auto found = m_sectionIndex.constFind(key);
            if (found == m_sectionIndex.constEnd()) {
                m_sectionIndex.insert(key, m_sections.size());
                m_sections.push_back(Section{name, {}, {}});
                current = &m_sections.back();
            } else {
                current = &m_sections[*found];
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!current || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed().toString();
        if (key.isEmpty())
            continue;
        const QString folded = fold(key);
        if (current->values.contains(folded))
            continue;
        const QString value = unquote(line.mid(equals + 1).trimmed().toString());
        current->values.insert(folded, cut(value, MaxValueLength));
        current->keyOrder.append(key);
    }
}

const TLanguageFile::Section *TLanguageFile::findSection(const QString &name) const
{
    auto found = m_sectionIndex.constFind(fold(name));
    return found == m_sectionIndex.constEnd() ? nullptr : &m_sections[*found];
}

QString TLanguageFile::ReadText(const QString &key) const
{
    if (key.isEmpty())
        return MissingLanguageText();
    const Section *section = findSection(m_section);
    if (section) {
        auto found = section->values.constFind(fold(key));
        if (found != section->values.constEnd())
            return *found;
    }
    if (m_damaged && this != &builtInFile()) {
        TLanguageFile &builtIn = builtInFile();
        if (builtIn.contains(m_section, key)) {
            builtIn.setSection(m_section);
            return builtIn.ReadText(key);
        }
    }
    return MissingLanguageText();
}

bool TLanguageFile::contains(const QString &section, const QString &key) const
{
    const Section *s = findSection(section);
    return s && s->values.contains(fold(key));
}

QStringList TLanguageFile::sections() const
{
    QStringList names;
    for (const Section &s : m_sections)
        names << s.name;
    return names;
}

QStringList TLanguageFile::keys(const QString &section) const
{
    const Section *s = findSection(section);
    return s ? s->keyOrder : QStringList();
}

// Hints -------------------------------------------------------------------

QString ShortHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf('|');
    return bar < 0 ? hint : hint.left(bar);
}

QString LongHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf('|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

// Messages and labels -----------------------------------------------------

void LoadMessages(TLanguageFile &file)
{
    file.setSection(QStringLiteral("Messages"));
    for (int n = 1; n <= MessageCount; ++n)
        SetMessage(n, cut(file.ReadText(QStringLiteral("Message%1").arg(n)), MaxMessageLength));
}

void LoadLabels(TLanguageFile &file)
{
    file.setSection(QStringLiteral("Labels"));
    for (int n = 1; n <= LabelCount; ++n)
        SetLabel(n, cut(file.ReadText(QStringLiteral("Label%1").arg(n)), MaxMessageLength));
}

namespace {

TLanguageFile &builtInFile()
{
    static TLanguageFile file = [] {
        initBuiltInTexts();
        return TLanguageFile(QStringLiteral(":/language/builtin.lng"));
    }();
    return file;
}

QString builtInText(const char *section, const QString &key)
{
    TLanguageFile &file = builtInFile();
    if (!file.contains(QString::fromLatin1(section), key))
        return QString();
    file.setSection(QString::fromLatin1(section));
    return cut(file.ReadText(key), MaxMessageLength);
}

} // namespace

QString BuiltInMessage(int n)
{
    return builtInText("Messages", QStringLiteral("Message%1").arg(n));
}

QString BuiltInLabel(int n)
{
    return builtInText("Labels", QStringLiteral("Label%1").arg(n));
}

QString LanguageText(const QString &section, const QString &key)
{
    TLanguageFile file(LanguageFilePath);
    TLanguageFile &source = file.exists() ? file : builtInFile();
    source.setSection(section);
    return source.ReadText(key);
}

void InstallBuiltInMessagesAndLabels()
{
    TLanguageFile &file = builtInFile();
    LoadMessages(file);
    LoadLabels(file);
}

QString LanguageFileName(const TLanguageFile &file)
{
    if (file.contains(QStringLiteral("Language"), QStringLiteral("Language"))) {
        TLanguageFile reader = file;
        reader.setSection("Language");
        const QString name = reader.ReadText("Language").trimmed();
        if (!name.isEmpty())
            return name;
    }
    return QFileInfo(file.path()).completeBaseName();
}

QString LanguageFileLocale(const TLanguageFile &file)
{
    if (!file.contains(QStringLiteral("Language"), QStringLiteral("Locale")))
        return QString();
    TLanguageFile reader = file;
    reader.setSection("Language");
    return reader.ReadText("Locale").trimmed();
}

bool InstallToolkitTranslations(const QString &locale)
{
    static std::unique_ptr<QTranslator> qt;
    static std::unique_ptr<QTranslator> scintilla;
    for (std::unique_ptr<QTranslator> *installed : {&qt, &scintilla}) {
        if (*installed)
            QCoreApplication::removeTranslator(installed->get());
        installed->reset();
    }
    if (locale.isEmpty())
        return false;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale language(locale);
    auto load = [&](std::unique_ptr<QTranslator> &slot, const QString &base) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(language, base, QStringLiteral("_"), folder))
            return false;
        QCoreApplication::installTranslator(translator.get());
        slot = std::move(translator);
        return true;
    };
    load(scintilla, QStringLiteral("qscintilla"));
    return load(qt, QStringLiteral("qt"));
}

void ReportMissingLanguageFile(const QString &path)
{
    ShowAppMessage(FormatText(Message(MsgFileNotFound), {path}), QMessageBox::Critical);
}

void ReportDamagedLanguageFile(const QString &path)
{
    static QSet<QString> reported;
    if (reported.contains(path))
        return;
    reported.insert(path);
    ShowAppMessage(FormatText(LanguageText("MainProgram", "LanguageFileDamaged"), {path}),
                   QMessageBox::Warning);
}

// Window texts ------------------------------------------------------------

WindowText::WindowText(const char *key, QObject *target, TextRole role)
    : key(QString::fromLatin1(key))
    , target(target)
    , role(role)
{
}

WindowText::WindowText(const char *key, std::function<void(const QString &)> apply)
    : key(QString::fromLatin1(key))
    , apply(std::move(apply))
{
}

namespace {

// A page of a tab widget sits in the tab widget's stack.
QTabWidget *tabWidgetOf(QWidget *page)
{
    auto *stack = qobject_cast<QStackedWidget *>(page->parentWidget());
    return stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
}

void setCaption(QObject *target, const QString &text)
{
    if (auto *action = qobject_cast<QAction *>(target))
        action->setText(text);
    else if (auto *menu = qobject_cast<QMenu *>(target))
        menu->setTitle(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(target))
        button->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(target))
        label->setText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(target))
        group->setTitle(text);
    else if (auto *widget = qobject_cast<QWidget *>(target)) {
        if (QTabWidget *tabs = tabWidgetOf(widget))
            tabs->setTabText(tabs->indexOf(widget), text);
        else
            widget->setWindowTitle(text); // docks, tool bars, windows
    } else if (target->metaObject()->indexOfProperty("text") >= 0)
        target->setProperty("text", text);
}

void setHint(QObject *target, const QString &hint)
{
    if (auto *action = qobject_cast<QAction *>(target)) {
        action->setToolTip(ShortHint(hint));
        action->setStatusTip(LongHint(hint));
    } else if (auto *widget = qobject_cast<QWidget *>(target)) {
        widget->setToolTip(ShortHint(hint));
        widget->setStatusTip(LongHint(hint));
    }
}

std::vector<QPointer<WindowTexts>> &longLivedWindows()
{
    static std::vector<QPointer<WindowTexts>> windows;
    return windows;
}

} // namespace

void ApplyText(QObject *target, TextRole role, const QString &text)
{
    if (!target)
        return;
    switch (role) {
    case TextRole::Caption:
        setCaption(target, text);
        break;
    case TextRole::Title:
        if (auto *widget = qobject_cast<QWidget *>(target))
            widget->setWindowTitle(text);
        break;
    case TextRole::Hint:
        setHint(target, text);
        break;
    }
}

WindowTexts::WindowTexts(QObject *owner, const QString &section,
                         std::initializer_list<WindowText> texts, Lifetime lifetime)
    : QObject(owner)
    , m_section(section)
    , m_texts(texts)
    , m_lifetime(lifetime)
{
    if (m_lifetime == ReloadOnLanguageChange)
        longLivedWindows().emplace_back(this);
}

WindowTexts::~WindowTexts()
{
    auto &windows = longLivedWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

bool WindowTexts::load()
{
    TLanguageFile file(LanguageFilePath);
    if (!file.exists()) {
        ReportMissingLanguageFile(LanguageFilePath);
        return false;
    }
    applyFrom(file);
    if (file.isDamaged())
        ReportDamagedLanguageFile(LanguageFilePath);
    return true;
}

void WindowTexts::applyFrom(TLanguageFile &file)
{
    file.setSection(m_section);
    for (const WindowText &text : m_texts) {
        const QString value = file.ReadText(text.key);
        if (text.apply)
            text.apply(value);
        else
            ApplyText(text.target, text.role, value);
    }
}

WindowTexts *loadWindowTexts(QObject *owner, const QString &section,
                             std::initializer_list<WindowText> texts,
                             WindowTexts::Lifetime lifetime)
{
    auto *windowTexts = new WindowTexts(owner, section, texts, lifetime);
    windowTexts->load();
    return windowTexts;
}

void ReloadLongLivedWindowTexts()
{
    // The order in which the long-lived windows report a missing file.
    static const QStringList first = {QStringLiteral("PageSetupDialog"),
                                      QStringLiteral("ConfigEnvironmentDialog"),
                                      QStringLiteral("ConfigEditorDialog")};
    std::vector<QPointer<WindowTexts>> windows = longLivedWindows();
    std::stable_sort(windows.begin(), windows.end(), [](const auto &a, const auto &b) {
        auto rank = [](const QPointer<WindowTexts> &w) {
            const qsizetype i = w ? first.indexOf(w->section()) : -1;
            return i < 0 ? first.size() : i;
        };
        return rank(a) < rank(b);
    });
    for (const QPointer<WindowTexts> &window : windows)
        if (window)
            window->load();
}
