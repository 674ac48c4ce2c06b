#pragma once

#include "formats/ObjectFile.h"

#include <QDialog>
#include <QImage>

class QCheckBox;
class QLabel;
class QSlider;
class QSpinBox;

// Import of an image into the picture editor: the size of the picture it
// becomes, the black-and-white threshold and the dither, with a preview of
// the result before it replaces the picture.
class TImageImportDialog : public QDialog
{
    Q_OBJECT
public:
    // image: the decoded image; maxSize: the size it is fitted into at first
    // (the picture's current size).
    TImageImportDialog(const QImage &image, QSize maxSize, QWidget *parent = nullptr);

    // The picture as the choices make it now.
    TGrob Picture() const;

    QSpinBox *WidthBox() const { return m_width; }
    QSpinBox *HeightBox() const { return m_height; }
    QCheckBox *KeepAspect() const { return m_keepAspect; }
    QSlider *Threshold() const { return m_threshold; }
    QCheckBox *Dither() const { return m_dither; }

private:
    void sizeChanged(bool widthChanged);
    void updatePreview();

    QImage m_image;
    QSpinBox *m_width;
    QSpinBox *m_height;
    QCheckBox *m_keepAspect;
    QSlider *m_threshold;
    QLabel *m_thresholdValue;
    QCheckBox *m_dither;
    QLabel *m_preview;
    bool m_adjusting = false;
};
