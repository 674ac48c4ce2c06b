#include "printing/PageLayout.h"

#include "printing/PrintSettings.h"

#include <algorithm>

PageGeometry LayoutPage(const PrintSettings &settings,
                        const QSizeF &paper,
                        qreal dotsPerInch,
                        int page,
                        qreal headerTextHeight,
                        qreal footerTextHeight)
{
    const auto length = [&](Margin which) {
        return std::max<qreal>(0.0, qreal(settings.millimeters[size_t(which)]) * dotsPerInch / 25.4);
    };
    const bool even = page % 2 == 0;
    qreal left = length(Margin::Left);
    qreal right = length(Margin::Right);
    if (settings.mirrorMargins && even)
        std::swap(left, right);
    if (settings.mirrorMargins && even)
        right += length(Margin::Gutter);
    else
        left += length(Margin::Gutter);
    const qreal top = length(Margin::Top);
    const qreal bottom = length(Margin::Bottom);
    const qreal internal = length(Margin::HFInternalMargin);

    PageGeometry g;
    g.internalMargin = internal;
    const qreal bandLeft = left;
    const qreal bandRight = std::max(bandLeft, paper.width() - right);
    g.textLeft = bandLeft + internal + length(Margin::LeftHFTextIndent);
    g.textRight = bandRight - internal - length(Margin::RightHFTextIndent);

    qreal bodyTop = top;
    qreal bodyBottom = paper.height() - bottom;
    if (headerTextHeight > 0) {
        g.header = QRectF(bandLeft, length(Margin::Header), bandRight - bandLeft, headerTextHeight + 2 * internal);
        bodyTop = std::max(bodyTop, g.header.bottom() + internal);
    }
    if (footerTextHeight > 0) {
        const qreal height = footerTextHeight + 2 * internal;
        const qreal footerTop = std::min(paper.height() - length(Margin::Footer), paper.height() - height);
        g.footer = QRectF(bandLeft, footerTop, bandRight - bandLeft, height);
        bodyBottom = std::min(bodyBottom, g.footer.top() - internal);
    }

    // Margins that leave no room would leave the text nowhere to go.
    const qreal minWidth = paper.width() / 5;
    const qreal minHeight = paper.height() / 5;
    qreal bodyLeft = left;
    qreal bodyRight = paper.width() - right;
    if (bodyRight - bodyLeft < minWidth) {
        bodyLeft = std::clamp(bodyLeft, 0.0, paper.width() - minWidth);
        bodyRight = bodyLeft + minWidth;
    }
    if (bodyBottom - bodyTop < minHeight) {
        bodyTop = std::clamp(bodyTop, 0.0, paper.height() - minHeight);
        bodyBottom = bodyTop + minHeight;
    }
    g.body = QRectF(QPointF(bodyLeft, bodyTop), QPointF(bodyRight, bodyBottom));
    return g;
}
