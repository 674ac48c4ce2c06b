#include "printing/PreviewState.h"

#include <algorithm>

void PreviewState::setPageCount(int count)
{
    m_pageCount = std::max(1, count);
    m_page = std::clamp(m_page, 1, m_pageCount);
}

void PreviewState::First()
{
    m_page = 1;
}

void PreviewState::Prev()
{
    m_page = std::max(1, m_page - 1);
}

void PreviewState::Next()
{
    m_page = std::min(m_pageCount, m_page + 1);
}

void PreviewState::Last()
{
    m_page = m_pageCount;
}

void PreviewState::setPage(int page)
{
    m_page = std::clamp(page, 1, m_pageCount);
}

void PreviewState::ZoomTo(int tag)
{
    if (tag == PageWidthTag) {
        m_zoom = Zoom::PageWidth;
    } else if (tag == WholePageTag) {
        m_zoom = Zoom::WholePage;
    } else {
        m_zoom = Zoom::Percent;
        m_percent = std::clamp(tag, MinPercent, MaxPercent);
    }
}

void PreviewState::LeftClick(int shownPercent)
{
    const int next = m_zoom == Zoom::WholePage ? 100 : std::min(MaxPercent, shownPercent * 2);
    m_zoom = Zoom::Percent;
    m_percent = std::max(MinPercent, next);
}

void PreviewState::RightClick(int shownPercent)
{
    m_zoom = Zoom::Percent;
    m_percent = std::clamp(shownPercent / 2, MinPercent, MaxPercent);
}
