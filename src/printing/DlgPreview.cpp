#include "printing/DlgPreview.h"

#include "printing/PrintEngine.h"
#include "shell/Globals.h"
#include "shell/Language.h"

#include <QGraphicsItem>
#include <QGraphicsView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QIcon themed(const char *name)
{
    const QString text = QString::fromLatin1(name);
    QIcon icon = QIcon::fromTheme(text);
    if (icon.isNull())
        icon = QIcon::fromTheme(text + QStringLiteral("-symbolic"));
    return icon;
}

constexpr int HintPanelWidth = 480;

} // namespace

TPreviewDialog::TPreviewDialog(PrintEngine *engine, QWidget *parent)
    : QDialog(parent)
    , m_engine(engine)
{
    setObjectName(QStringLiteral("PreviewDialog"));
    setWindowTitle(QStringLiteral("Vista previa"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(20, 20));
    struct Def
    {
        const char *name;
        const char *icon;
        const char *caption;
        const char *hint;
        const char *shortcut;
    };
    const Def defs[] = {
        {"FirstCmd", "go-first", "Inicio", "Página inicial|Muestra la página inicial del documento", "Home"},
        {"PrevCmd", "go-previous", "Anterior", "Página anterior|Muestra la página anterior del documento", "PgUp"},
        {"NextCmd", "go-next", "Siguiente", "Página siguiente|Muestra la página siguiente del documento", "PgDown"},
        {"LastCmd", "go-last", "Fin", "Páginal final|Muestra la página final del documento", "End"},
    };
    auto make = [this](const Def &def) {
        auto *a = new QAction(themed(def.icon), QString::fromUtf8(def.caption), this);
        a->setObjectName(QString::fromLatin1(def.name));
        ApplyText(a, TextRole::Hint, QString::fromUtf8(def.hint));
        if (*def.shortcut)
            a->setShortcut(QKeySequence(QString::fromLatin1(def.shortcut)));
        return a;
    };
    for (const Def &def : defs)
        bar->addAction(make(def));
    connect(command(QStringLiteral("FirstCmd")), &QAction::triggered, this, &TPreviewDialog::FirstCmdExecute);
    connect(command(QStringLiteral("PrevCmd")), &QAction::triggered, this, &TPreviewDialog::PrevCmdExecute);
    connect(command(QStringLiteral("NextCmd")), &QAction::triggered, this, &TPreviewDialog::NextCmdExecute);
    connect(command(QStringLiteral("LastCmd")), &QAction::triggered, this, &TPreviewDialog::LastCmdExecute);
    bar->addSeparator();

    // The zoom button itself shows the whole page; its menu holds every scale.
    QAction *zoom = make({"ZoomCmd", "zoom-fit-best", "Zoom", "Acercar/Alejar|Muestra el documento a escala", ""});
    connect(zoom, &QAction::triggered, this, [this] { ZoomExecute(PreviewState::WholePageTag); });
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ZoomMenu"));
    const std::pair<const char *, int> scales[] = {
        {"ZoomPageWidth", PreviewState::PageWidthTag}, {"ZoomWholePage", PreviewState::WholePageTag},
        {"Zoom25", 25}, {"Zoom50", 50}, {"Zoom100", 100}, {"Zoom200", 200}, {"Zoom400", 400}};
    for (const auto &[name, tag] : scales) {
        const QString caption = tag == PreviewState::PageWidthTag ? QStringLiteral("Ancho de la página")
            : tag == PreviewState::WholePageTag                 ? QStringLiteral("Página completa")
                                                                : QStringLiteral("%1%").arg(tag);
        QAction *entry = menu->addAction(caption);
        entry->setObjectName(QString::fromLatin1(name));
        entry->setData(tag);
        const int scale = tag; // clang before 16 cannot capture a structured binding
        connect(entry, &QAction::triggered, this, [this, scale] { ZoomExecute(scale); });
    }
    m_zoomButton = new QToolButton(bar);
    m_zoomButton->setObjectName(QStringLiteral("ZoomButton"));
    m_zoomButton->setDefaultAction(zoom);
    m_zoomButton->setMenu(menu);
    m_zoomButton->setPopupMode(QToolButton::MenuButtonPopup);
    m_zoomButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_zoomButton->setAutoRaise(true);
    bar->addWidget(m_zoomButton);
    bar->addSeparator();

    QAction *print = make({"PrintCmd", "document-print", "Imprimir", "Imprimir|Imprime el documento mostrado", "Ctrl+P"});
    connect(print, &QAction::triggered, this, &TPreviewDialog::PrintCmdExecute);
    bar->addAction(print);
    QAction *close = make({"CloseCmd", "window-close", "Cerrar", "Cerrar|Cierra la ventana de vista previa", ""});
    connect(close, &QAction::triggered, this, &QDialog::accept);
    bar->addAction(close);

    m_preview = new QPrintPreviewWidget(engine, this);
    m_preview->setObjectName(QStringLiteral("SynEditPrintPreview"));
    m_preview->setViewMode(QPrintPreviewWidget::SinglePageView);
    m_preview->setZoomMode(QPrintPreviewWidget::FitInView);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter *) {
        QPainter painter(m_engine);
        m_engine->Print(painter);
    });
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &TPreviewDialog::pageReported);
    if (QGraphicsView *view = pageView())
        view->viewport()->installEventFilter(this);

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar"));
    status->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        m_panels[i] = new QLabel(status);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
    }
    m_panels[0]->setFixedWidth(HintPanelWidth);
    status->addWidget(m_panels[0]);
    status->addWidget(m_panels[1], 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_preview, 1);
    layout->addWidget(status);
    // The size it returns to when the user restores it.
    resize(900, 700);
    setWindowState(windowState() | Qt::WindowMaximized);
    loadTexts();
}

void TPreviewDialog::loadTexts()
{
    auto hint = TextRole::Hint;
    auto *bar = findChild<QToolBar *>(QStringLiteral("ToolBar"));
    auto entry = [this](const char *name) { return findChild<QAction *>(QString::fromLatin1(name)); };
    loadWindowTexts(this, "PreviewDialog",
                    {
                        {"DlgPreviewTitle", this, TextRole::Title},
                        {"DlgPreviewFirst", command(QStringLiteral("FirstCmd"))},
                        {"DlgPreviewFirstHint", command(QStringLiteral("FirstCmd")), hint},
                        {"DlgPreviewPrev", command(QStringLiteral("PrevCmd"))},
                        {"DlgPreviewPrevHint", command(QStringLiteral("PrevCmd")), hint},
                        {"DlgPreviewNext", command(QStringLiteral("NextCmd"))},
                        {"DlgPreviewNextHint", command(QStringLiteral("NextCmd")), hint},
                        {"DlgPreviewLast", command(QStringLiteral("LastCmd"))},
                        {"DlgPreviewLastHint", command(QStringLiteral("LastCmd")), hint},
                        {"DlgPreviewZoom", command(QStringLiteral("ZoomCmd"))},
                        {"DlgPreviewZoomHint", command(QStringLiteral("ZoomCmd")), hint},
                        {"DlgPreviewZoomWholePage", entry("ZoomWholePage")},
                        {"DlgPreviewZoomWholePageHint", entry("ZoomWholePage"), hint},
                        {"DlgPreviewZoomPageWidth", entry("ZoomPageWidth")},
                        {"DlgPreviewZoomPageWidthHint", entry("ZoomPageWidth"), hint},
                        {"DlgPreviewZoom25", entry("Zoom25")},
                        {"DlgPreviewZoom25Hint", entry("Zoom25"), hint},
                        // The four hint keys below are spelled so in the files.
                        {"DlgPreviewZoom50", entry("Zoom50")},
                        {"DlgPreviewZomm50Hint", entry("Zoom50"), hint},
                        {"DlgPreviewZoom100", entry("Zoom100")},
                        {"DlgPreviewZomm100Hint", entry("Zoom100"), hint},
                        {"DlgPreviewZoom200", entry("Zoom200")},
                        {"DlgPreviewZomm200Hint", entry("Zoom200"), hint},
                        {"DlgPreviewZoom400", entry("Zoom400")},
                        {"DlgPreviewZomm400Hint", entry("Zoom400"), hint},
                        {"DlgPreviewPrint", command(QStringLiteral("PrintCmd"))},
                        {"DlgPreviewPrintHint", command(QStringLiteral("PrintCmd")), hint},
                        {"DlgPreviewClose", command(QStringLiteral("CloseCmd"))},
                        {"DlgPreviewCloseHint", command(QStringLiteral("CloseCmd")), hint},
                        {"DlgPreviewToolBarTitle", bar},
                        {"DlgPreviewToolBarChevronHint", [bar](const QString &t) {
                             if (auto *chevron = bar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")))
                                 chevron->setToolTip(ShortHint(t));
                         }},
                    });
}

QAction *TPreviewDialog::command(const QString &name) const
{
    return findChild<QAction *>(name);
}

int TPreviewDialog::shownPercent() const
{
    return qRound(m_preview->zoomFactor() * 100.0);
}

void TPreviewDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The preview widget has laid the pages out on the printer by now, so the
    // pages are those of paper, whatever the screen; the scale chosen before
    // comes back and the first page shows.
    m_state.setPageCount(m_preview->pageCount());
    applyZoom();
    m_state.First();
    showPage();
}

void TPreviewDialog::applyZoom()
{
    switch (m_state.zoom()) {
    case PreviewState::Zoom::WholePage:
        m_preview->fitInView();
        break;
    case PreviewState::Zoom::PageWidth:
        m_preview->fitToWidth();
        break;
    case PreviewState::Zoom::Percent:
        m_preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
        m_preview->setZoomFactor(m_state.percent() / 100.0);
        break;
    }
}

void TPreviewDialog::showPage()
{
    m_moving = true;
    m_preview->setCurrentPage(m_state.page());
    // A page taller than the window shows from its top, not its middle.
    if (QGraphicsView *view = pageView(); view && m_state.zoom() != PreviewState::Zoom::WholePage) {
        QGraphicsItem *page = view->itemAt(view->viewport()->rect().center());
        while (page && page->parentItem())
            page = page->parentItem();
        if (page) {
            const int top = view->mapFromScene(page->sceneBoundingRect().topLeft()).y();
            if (top < 0 || top > view->viewport()->height() / 2)
                view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + top - 8);
        }
    }
    m_moving = false;
    m_panels[1]->setText(FormatText(QStringLiteral(" %s: %d"), {Label(LblPage), m_state.page()}));
}

void TPreviewDialog::pageReported()
{
    m_state.setPageCount(m_preview->pageCount());
    if (!m_moving)
        m_state.setPage(m_preview->currentPage());
    m_panels[1]->setText(FormatText(QStringLiteral(" %s: %d"), {Label(LblPage), m_state.page()}));
}

void TPreviewDialog::FirstCmdExecute()
{
    m_state.First();
    showPage();
}

void TPreviewDialog::PrevCmdExecute()
{
    m_state.Prev();
    showPage();
}

void TPreviewDialog::NextCmdExecute()
{
    m_state.Next();
    showPage();
}

void TPreviewDialog::LastCmdExecute()
{
    m_state.Last();
    showPage();
}

void TPreviewDialog::ZoomExecute(int tag)
{
    m_state.ZoomTo(tag);
    applyZoom();
    showPage();
}

void TPreviewDialog::PageClicked(Qt::MouseButton button, const QPoint &at)
{
    QGraphicsView *view = pageView();
    const QPointF spot = view ? view->mapToScene(at.isNull() ? view->viewport()->rect().center() : at) : QPointF();
    if (button == Qt::LeftButton)
        m_state.LeftClick(shownPercent());
    else
        m_state.RightClick(shownPercent());
    applyZoom();
    // The spot clicked stays in view.
    if (view)
        view->centerOn(spot);
    pageReported();
}

QGraphicsView *TPreviewDialog::pageView() const
{
    return m_preview->findChild<QGraphicsView *>();
}

void TPreviewDialog::PrintCmdExecute()
{
    if (m_print)
        m_print();
    m_preview->updatePreview();
    m_state.setPageCount(m_preview->pageCount());
    showPage();
}

bool TPreviewDialog::event(QEvent *event)
{
    // The hint of the command under the mouse goes to the first panel.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent *>(event)->tip();
        m_panels[0]->setText(tip.isEmpty() ? QString() : u' ' + tip);
        return true;
    }
    return QDialog::event(event);
}

bool TPreviewDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton
            || mouse->button() == Qt::MiddleButton) {
            PageClicked(mouse->button(), mouse->position().toPoint());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
