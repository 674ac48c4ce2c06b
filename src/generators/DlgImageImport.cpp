#include "generators/DlgImageImport.h"

#include "generators/GrobModel.h"
#include "generators/PictureImage.h"
#include "shell/Language.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

TImageImportDialog::TImageImportDialog(const QImage &image, QSize maxSize, QWidget *parent)
    : QDialog(parent)
    , m_image(image)
{
    setObjectName(QStringLiteral("ImageImportDialog"));
    setWindowTitle(QStringLiteral("Importar imagen"));

    const QSize start = PictureImage::fittingSize(image.size(), maxSize.expandedTo(QSize(1, 1)));
    m_width = new QSpinBox(this);
    m_height = new QSpinBox(this);
    for (QSpinBox *box : {m_width, m_height})
        box->setRange(GrobModel::MinSize, GrobModel::MaxSize);
    m_width->setValue(start.width());
    m_height->setValue(start.height());
    m_keepAspect = new QCheckBox(QStringLiteral("Mantener la proporción"), this);
    m_keepAspect->setChecked(true);
    m_threshold = new QSlider(Qt::Horizontal, this);
    m_threshold->setRange(0, 256);
    m_threshold->setValue(128);
    m_thresholdValue = new QLabel(this);
    m_thresholdValue->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    m_dither = new QCheckBox(QStringLiteral("Tramado (Floyd-Steinberg)"), this);

    auto *form = new QFormLayout;
    auto *widthLabel = new QLabel(QStringLiteral("Ancho"), this);
    auto *heightLabel = new QLabel(QStringLiteral("Alto"), this);
    auto *thresholdLabel = new QLabel(QStringLiteral("Umbral"), this);
    form->addRow(widthLabel, m_width);
    form->addRow(heightLabel, m_height);
    form->addRow(QString(), m_keepAspect);
    auto *thresholdRow = new QHBoxLayout;
    thresholdRow->addWidget(m_threshold, 1);
    thresholdRow->addWidget(m_thresholdValue);
    form->addRow(thresholdLabel, thresholdRow);
    form->addRow(QString(), m_dither);

    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("Preview"));
    m_preview->setAlignment(Qt::AlignCenter);
    auto *previewArea = new QScrollArea(this);
    previewArea->setWidget(m_preview);
    previewArea->setWidgetResizable(true);
    previewArea->setMinimumSize(300, 200);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *top = new QHBoxLayout;
    top->addLayout(form);
    top->addWidget(previewArea, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(buttons);

    connect(m_width, &QSpinBox::valueChanged, this, [this] { sizeChanged(true); });
    connect(m_height, &QSpinBox::valueChanged, this, [this] { sizeChanged(false); });
    connect(m_threshold, &QSlider::valueChanged, this, &TImageImportDialog::updatePreview);
    connect(m_dither, &QCheckBox::toggled, this, &TImageImportDialog::updatePreview);

    loadWindowTexts(this, "PictureDialog", {
        {"DlgGrobImportTitle", this, TextRole::Title},
        {"DlgGrobImportWidth", widthLabel},
        {"DlgGrobImportHeight", heightLabel},
        {"DlgGrobImportKeepAspect", m_keepAspect},
        {"DlgGrobImportThreshold", thresholdLabel},
        {"DlgGrobImportDither", m_dither},
    });
    updatePreview();
}

void TImageImportDialog::sizeChanged(bool widthChanged)
{
    if (m_adjusting)
        return;
    if (m_keepAspect->isChecked() && !m_image.isNull()) {
        m_adjusting = true;
        const double ratio = double(m_image.height()) / m_image.width();
        if (widthChanged)
            m_height->setValue(std::max(1, int(std::lround(m_width->value() * ratio))));
        else
            m_width->setValue(std::max(1, int(std::lround(m_height->value() / ratio))));
        m_adjusting = false;
    }
    updatePreview();
}

TGrob TImageImportDialog::Picture() const
{
    return PictureImage::toPicture(m_image, QSize(m_width->value(), m_height->value()), m_threshold->value(),
                                   m_dither->isChecked());
}

void TImageImportDialog::updatePreview()
{
    m_thresholdValue->setText(QString::number(m_threshold->value()));
    // Shown on the editor's screen colours, enlarged so small pictures can
    // be judged.
    const TGrob picture = Picture();
    QImage shown(picture.Width, picture.Height, QImage::Format_RGB32);
    shown.fill(QColor(104, 145, 106));
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x)
            if (picture.pixel(x, y))
                shown.setPixel(x, y, qRgb(0, 0, 0));
    const int scale = std::clamp(400 / std::max(picture.Width, picture.Height), 1, 8);
    m_preview->setPixmap(QPixmap::fromImage(shown.scaled(shown.size() * scale)));
}
