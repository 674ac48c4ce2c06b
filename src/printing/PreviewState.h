#pragma once

// The page and the scale of the print preview, and the rules that change
// them; the preview window only shows what this holds.
class PreviewState
{
public:
    enum class Zoom { WholePage, PageWidth, Percent };

    // The drop-down zoom entries carry their scale as this tag.
    static constexpr int PageWidthTag = -2;
    static constexpr int WholePageTag = -1;
    static constexpr int MinPercent = 25;
    static constexpr int MaxPercent = 400;

    int page() const { return m_page; }
    int pageCount() const { return m_pageCount; }
    // The page stays within the new count.
    void setPageCount(int count);

    void First();
    void Prev(); // not below 1
    void Next(); // not above the page count
    void Last();
    void setPage(int page);

    Zoom zoom() const { return m_zoom; }
    // The percentage last chosen (100 until one is), shown in Percent mode.
    int percent() const { return m_percent; }
    // A drop-down entry: PageWidthTag, WholePageTag or a percentage.
    void ZoomTo(int tag);
    // The mouse on the page, shownPercent being the scale it shows now: the
    // left button goes from the whole page to 100 % and otherwise doubles,
    // at most 400 %; the right (or middle) one halves, at least 25 %.
    void LeftClick(int shownPercent);
    void RightClick(int shownPercent);

private:
    int m_page = 1;
    int m_pageCount = 1;
    Zoom m_zoom = Zoom::WholePage;
    int m_percent = 100;
};
