#pragma once

#include "printing/PrintSettings.h"

#include <QDialog>
#include <QTextBlock>
#include <QTextCharFormat>

#include <array>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPrinter;
class QPushButton;
class QTabWidget;
class QTextBlock;
class QTextEdit;
class QToolButton;

// The page setup window: margins in a chosen unit, the print options, and
// the header and the footer as three boxes each (left, centre and right
// items, one item per line, each line with its own font).
//
// It lives from start to exit and takes its texts again when the language
// changes. Every use loads it from the settings first; OK stores it back,
// Cancel changes nothing.
class TPageDialog : public QDialog
{
    Q_OBJECT

public:
    // How a modal window is shown: exec() unless a test answers instead.
    using ModalRunner = std::function<int(QDialog *)>;
    // Asks for a font, preset with the given one; false when cancelled.
    using FontChooser = std::function<bool(QFont &font, QWidget *parent)>;

    enum Band { Header = 0, Footer = 1 };
    // The boxes of a band, in this order.
    enum Box { LeftBox = 0, CenterBox = 1, RightBox = 2 };

    // printer: the one the Printer button sets up.
    explicit TPageDialog(QPrinter *printer, QWidget *parent = nullptr);

    // FilePageSetup: loads the window, shows it modally and on OK stores it
    // into settings; true then.
    bool Execute(PrintSettings &settings);

    void loadFrom(const PrintSettings &settings);
    void storeTo(PrintSettings &settings) const;

    void setModalRunner(ModalRunner run) { m_run = std::move(run); }
    void setFontChooser(FontChooser choose) { m_chooseFont = std::move(choose); }

    // The box the commands act on: the last of the six that had the focus.
    QTextEdit *currentBox() const { return m_current; }
    // Gives box the focus, which makes it the current one.
    void setCurrentBox(QTextEdit *box);

    // The commands of the header and footer tool bar ("PageNumCmd" ...).
    QAction *command(const QString &name) const;
    void InsertField(const QString &field);
    void FontCmdExecute();
    void ToggleLineStyle(int styleBit);
    void SetLineFont(const QFont &font);

    // The font and colour of one line of a box, as an item would take them.
    static QFont lineFont(const QTextBlock &block, const QFont &boxFont);
    static QColor lineColor(const QTextBlock &block);

    QComboBox *units() const { return m_units; }
    QDoubleSpinBox *marginBox(Margin which) const { return m_margins[size_t(which)]; }
    QTextEdit *textBox(Band band, Box box) const { return m_boxes[band][box]; }
    QCheckBox *frameBox(Band band, int frameBit) const;
    QCheckBox *mirrorPositionBox(Band band) const { return m_mirrorPosition[band]; }
    QToolButton *colorButton(Band band, bool shade) const { return shade ? m_shadeColor[band] : m_lineColor[band]; }
    QCheckBox *optionBox(const QString &name) const;
    QTabWidget *pages() const { return m_pages; }
    QPushButton *printerButton() const { return m_printerButton; }

    // The values the ten boxes stand for, in millimetres, kept exactly so
    // that switching units back and forth does not move a margin.
    const std::array<long double, MarginCount> &millimeters() const { return m_mm; }

private:
    QWidget *buildMarginsPage();
    QWidget *buildHeaderFooterPage();
    QWidget *buildBand(Band band);
    void loadTexts();
    void showMargins();
    void marginEdited(int index, double value);
    void unitChanged(int index);
    void loadBand(Band band, const HeaderFooter &source);
    void storeBand(Band band, HeaderFooter &target) const;
    void applyToLine(const std::function<void(QTextCharFormat &, const QTextBlock &)> &change);
    void focusMoved(QWidget *now);
    void updateCommands();
    void printerSetup();

    QPrinter *m_printer;
    ModalRunner m_run;
    FontChooser m_chooseFont;

    QTabWidget *m_pages = nullptr;
    QComboBox *m_units = nullptr;
    std::array<QDoubleSpinBox *, MarginCount> m_margins{};
    std::array<QLabel *, MarginCount> m_marginLabels{};
    std::array<long double, MarginCount> m_mm{};
    MarginUnit m_unit = MarginUnit::Centimeters;
    bool m_showing = false;
    QTextEdit *m_boxes[2][3] = {};
    QCheckBox *m_line[2] = {};
    QCheckBox *m_box[2] = {};
    QCheckBox *m_shade[2] = {};
    QCheckBox *m_mirrorPosition[2] = {};
    QToolButton *m_lineColor[2] = {};
    QToolButton *m_shadeColor[2] = {};
    QTextEdit *m_current = nullptr;
    QPushButton *m_printerButton = nullptr;
};
