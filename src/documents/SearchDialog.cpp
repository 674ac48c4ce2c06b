#include "documents/SearchDialog.h"

#include "formats/CalcCharset.h"
#include "shell/Globals.h"
#include "shell/Language.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

// Documents hold only the calculator's characters: a text with any other one
// could never be found, and as a replacement it could not be written.
class CalcTextValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        return CalcCharset::canEncode(input) ? Acceptable : Invalid;
    }
};

QComboBox *makeTextCombo(QWidget *parent, const char *name)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    // The list is the history, kept by the window itself; inline completion
    // would also change the case of a typed text, which matters to a
    // case-sensitive search.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setValidator(new CalcTextValidator(combo));
    combo->setMinimumContentsLength(30);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

void setItems(QComboBox *combo, const QStringList &items, const QString &text)
{
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

} // namespace

TSearchDialog::TSearchDialog(QWidget *parent)
    : TSearchDialog(parent, false)
{
}

TSearchDialog::TSearchDialog(QWidget *parent, bool withReplace)
    : QDialog(parent)
{
    setObjectName(withReplace ? "ReplaceDialog" : "SearchDialog");
    setWindowTitle(withReplace ? QStringLiteral("Reemplazar texto")
                               : QStringLiteral("Buscar texto"));

    LabelSearch = new QLabel(QStringLiteral("Buscar:"), this);
    TextToSearch = makeTextCombo(this, "TextToSearch");
    LabelSearch->setBuddy(TextToSearch);

    GroupOptions = new QGroupBox(QStringLiteral("Opciones"), this);
    CaseSensitive = new QCheckBox(QStringLiteral("Coincidir mayúsculas y minúsculas"));
    WholeWords = new QCheckBox(QStringLiteral("Sólo palabras completas"));
    FromCursor = new QCheckBox(QStringLiteral("Buscar desde el cursor"));
    SelectedOnly = new QCheckBox(QStringLiteral("Solo el texto seleccionado"));
    auto *options = new QVBoxLayout(GroupOptions);
    for (QCheckBox *box : {CaseSensitive, WholeWords, FromCursor, SelectedOnly})
        options->addWidget(box);

    GroupDirection = new QGroupBox(QStringLiteral("Dirección"), this);
    DirectionDown = new QRadioButton(QStringLiteral("Abajo"));
    DirectionUp = new QRadioButton(QStringLiteral("Arriba"));
    DirectionDown->setChecked(true);
    auto *direction = new QVBoxLayout(GroupDirection);
    direction->addWidget(DirectionDown);
    direction->addWidget(DirectionUp);
    direction->addStretch();

    Ok = new QPushButton(QStringLiteral("Aceptar"), this);
    Cancel = new QPushButton(QStringLiteral("Cancelar"), this);
    Ok->setDefault(true);
    connect(Ok, &QPushButton::clicked, this, &TSearchDialog::accept);
    connect(Cancel, &QPushButton::clicked, this, &TSearchDialog::reject);

    auto *texts = new QGridLayout;
    texts->addWidget(LabelSearch, 0, 0);
    texts->addWidget(TextToSearch, 0, 1);
    if (withReplace) {
        LabelReplace = new QLabel(QStringLiteral("Reemplazar con:"), this);
        TextToReplace = makeTextCombo(this, "TextToReplace");
        LabelReplace->setBuddy(TextToReplace);
        texts->addWidget(LabelReplace, 1, 0);
        texts->addWidget(TextToReplace, 1, 1);
        // Tab goes from one text to the other before the options.
        setTabOrder(TextToSearch, TextToReplace);
        setTabOrder(TextToReplace, CaseSensitive);
    }
    texts->setColumnStretch(1, 1);

    auto *groups = new QHBoxLayout;
    groups->addWidget(GroupOptions, 1);
    groups->addWidget(GroupDirection);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Ok);
    buttons->addWidget(Cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(texts);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    loadWindowTexts(this,
                    "SearchReplaceDialog",
                    {
                        {"DlgSearchTitle", this, TextRole::Title},
                        {"DlgSearchReplaceSearch", LabelSearch},
                        {"DlgSearchReplaceOptions", GroupOptions},
                        {"DlgSearchReplaceCaseSensitive", CaseSensitive},
                        {"DlgSearchReplaceWholeWords", WholeWords},
                        {"DlgSearchReplaceFromCursor", FromCursor},
                        {"DlgSearchReplaceSelectedOnly", SelectedOnly},
                        {"DlgSearchReplaceDirection", GroupDirection},
                        {"DlgSearchReplaceDirectionDown", DirectionDown},
                        {"DlgSearchReplaceDirectionUp", DirectionUp},
                        {"DlgSearchReplaceOk", Ok},
                        {"DlgSearchReplaceCancel", Cancel},
                    });
    // A missing file has been reported once already; the replace window then
    // keeps its own built-in texts too.
    if (withReplace && QFileInfo::exists(LanguageFilePath)) {
        loadWindowTexts(this,
                        "SearchReplaceDialog",
                        {
                            {"DlgReplaceTitle", this, TextRole::Title},
                            {"DlgReplaceReplaceWith", LabelReplace},
                        });
    }

    TextToSearch->setFocus();
}

void TSearchDialog::readState(const SearchState &state)
{
    setItems(TextToSearch, state.searchHistory, state.searchText);
    TextToSearch->lineEdit()->selectAll();
    if (TextToReplace)
        setItems(TextToReplace, state.replaceHistory, state.replaceText);
    CaseSensitive->setChecked(state.caseSensitive);
    WholeWords->setChecked(state.wholeWords);
    FromCursor->setChecked(state.fromCursor);
    SelectedOnly->setChecked(state.selectedOnly);
    (state.backwards ? DirectionUp : DirectionDown)->setChecked(true);
}

void TSearchDialog::writeState(SearchState &state) const
{
    state.searchText = TextToSearch->currentText();
    state.searchHistory = historyOf(itemsOf(TextToSearch));
    if (TextToReplace) {
        state.replaceText = TextToReplace->currentText();
        state.replaceHistory = historyOf(itemsOf(TextToReplace));
    }
    state.caseSensitive = CaseSensitive->isChecked();
    state.wholeWords = WholeWords->isChecked();
    state.fromCursor = FromCursor->isChecked();
    state.selectedOnly = SelectedOnly->isChecked();
    state.backwards = DirectionUp->isChecked();
}

void TSearchDialog::accept()
{
    for (QComboBox *combo : {TextToSearch, TextToReplace}) {
        if (!combo)
            continue;
        const QString text = combo->currentText();
        QStringList items = itemsOf(combo);
        moveToTop(items, text);
        setItems(combo, items, text);
    }
    QDialog::accept();
}

TReplaceDialog::TReplaceDialog(QWidget *parent)
    : TSearchDialog(parent, true)
{
}
