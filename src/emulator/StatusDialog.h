#pragma once

#include <QWidget>

class QLabel;

// The small window that import and export show while the calculator
// converts: a caption bar, the file being read and what it becomes. It
// paints itself and is shown without blocking anything.
class TStatusDialog : public QWidget
{
    Q_OBJECT
public:
    explicit TStatusDialog(QWidget *parent = nullptr);

    // Sets the caption and the two panels and repaints at once.
    void SetStatus(const QString &caption, const QString &source, const QString &target);

    QLabel *FileSource = nullptr;
    QLabel *LabelAs = nullptr;
    QLabel *FileTarget = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
