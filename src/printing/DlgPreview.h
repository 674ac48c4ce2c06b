#pragma once

#include "printing/PreviewState.h"

#include <QDialog>

#include <functional>

class PrintEngine;
class QGraphicsView;
class QLabel;
class QPrintPreviewWidget;
class QToolButton;

// The print preview: the pages as the print engine lays them out on the
// chosen printer, one at a time, with a tool bar to move between them, to
// zoom and to print. Made for each use and destroyed when it closes.
//
// The mouse zooms on the page: the left button goes from the whole page to
// 100 % and then doubles, the right one halves (PreviewState holds the rules).
class TPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    TPreviewDialog(PrintEngine *engine, QWidget *parent = nullptr);

    // What PrintCmd does before the preview is refreshed.
    void setPrintHandler(std::function<void()> print) { m_print = std::move(print); }

    const PreviewState &state() const { return m_state; }
    QPrintPreviewWidget *preview() const { return m_preview; }
    QAction *command(const QString &name) const;
    QToolButton *zoomButton() const { return m_zoomButton; }
    QLabel *statusPanel(int index) const { return m_panels[index]; }
    // The scale the page is shown at, in percent.
    int shownPercent() const;

    void FirstCmdExecute();
    void PrevCmdExecute();
    void NextCmdExecute();
    void LastCmdExecute();
    void ZoomExecute(int tag);
    void PrintCmdExecute();
    // A click on the page with the given button, at a point of the page's
    // view (none: its middle), which stays in view.
    void PageClicked(Qt::MouseButton button, const QPoint &at = QPoint());

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyZoom();
    QGraphicsView *pageView() const;
    void showPage();
    void pageReported();
    void loadTexts();

    PrintEngine *m_engine;
    PreviewState m_state;
    QPrintPreviewWidget *m_preview = nullptr;
    QToolButton *m_zoomButton = nullptr;
    QLabel *m_panels[2] = {};
    std::function<void()> m_print;
    bool m_shown = false;
    bool m_moving = false;
};
