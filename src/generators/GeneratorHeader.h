#pragma once

#include <QWidget>

// The band at the top of the generator windows: the command's name and a
// line about the window over a gradient (green unless the window says
// otherwise), with a large "?".
class TGeneratorHeader : public QWidget
{
    Q_OBJECT
public:
    explicit TGeneratorHeader(QWidget *parent = nullptr);

    QString title() const { return m_title; }
    QString description() const { return m_description; }
    void setTitle(const QString &title);
    void setDescription(const QString &description);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The green the gradient starts from, at the top (RGB 98, 150, 0).
    static QColor GradientTop();
    // Another colour for the top of the gradient (the matrix writer and the
    // picture editor start from RGB 0, 128, 192).
    void setGradientTop(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_title;
    QString m_description;
    QColor m_top = GradientTop();
};
