#include "trendcanvas.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cstring>

void TrendCanvas::setColors(const QColor &background, const QColor &grid)
{
    if (background == m_background && grid == m_grid)
        return;
    m_background = background;
    m_background.setAlpha(255);
    m_grid = grid;
    m_whole = true;
}

void TrendCanvas::draw(QSize size, qint64 firstColumn, const Scale &scale,
                       const std::vector<Line> &lines, qint64 changedFrom)
{
    if (size.isEmpty()) {
        m_image = QImage();
        m_whole = true;
        return;
    }
    if (m_image.size() != size) {
        m_image = QImage(size, QImage::Format_RGB32);
        m_whole = true;
    }
    const qint64 shift = firstColumn - m_firstColumn;
    if (!(scale == m_scale) || shift < 0 || shift >= size.width())
        m_whole = true;

    qint64 from = firstColumn;
    if (!m_whole) {
        // What scrolls in on the right is new, whatever changed before it.
        from = std::min(changedFrom, m_firstColumn + size.width());
        scrollLeft(int(shift));
    }
    if (m_whole || shift > 0)
        m_changedFrom = 0;
    m_firstColumn = firstColumn;
    m_scale = scale;
    m_whole = false;
    if (from < firstColumn + size.width())
        drawFrom(from, lines);
}

void TrendCanvas::scrollLeft(int pixels)
{
    if (pixels <= 0)
        return;
    const auto bytes = std::size_t(m_image.width() - pixels) * sizeof(QRgb);
    for (int y = 0; y < m_image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(y));
        std::memmove(line, line + pixels, bytes);
    }
}

namespace {

// The last column before `index`, or the first of all when none is before it.
TrendCanvas::Columns::const_iterator before(const TrendCanvas::Columns &columns, qint64 index)
{
    const auto it = std::lower_bound(
        columns.begin(), columns.end(), index,
        [](const TrendCanvas::Column &column, qint64 i) { return column.index < i; });
    return it == columns.begin() ? it : std::prev(it);
}

} // namespace

// A line enters a column from its previous one, which may lie several
// columns back where samples are sparse: the redraw starts there, so that
// the segment between is drawn whole, and takes in the segment that enters
// that column too, clipped.
void TrendCanvas::drawFrom(qint64 column, const std::vector<Line> &lines)
{
    qint64 start = column;
    for (const Line &line : lines) {
        const auto previous = before(*line.columns, column);
        if (previous != line.columns->end())
            start = std::min(start, previous->index);
    }
    const int left = int(std::clamp<qint64>(start - m_firstColumn, 0, m_image.width()));
    const QRect region(left, 0, m_image.width() - left, m_image.height());
    m_changedFrom = std::min(m_changedFrom, left);
    QPainter painter(&m_image);
    painter.fillRect(region, m_background);
    painter.setClipRect(region);

    // Pixel centres: the top row is the maximum, the bottom row the minimum.
    const double scale = (m_image.height() - 1) / (m_scale.maximum - m_scale.minimum);
    const auto y = [&](double value) { return (m_scale.maximum - value) * scale + 0.5; };
    for (const double value : m_scale.grid)
        painter.fillRect(region.left(), int(y(value)), region.width(), 1, m_grid);

    QPolygonF points;
    for (const Line &line : lines) {
        const Columns &columns = *line.columns;
        auto it = before(columns, m_firstColumn + left);
        points.clear();
        for (; it != columns.end(); ++it) {
            const double x = double(it->index - m_firstColumn) + 0.5;
            points.append({x, y(it->leastFirst ? it->least : it->most)});
            if (it->least != it->most)
                points.append({x, y(it->leastFirst ? it->most : it->least)});
        }
        painter.setPen(QPen(line.color, 0));
        painter.drawPolyline(points);
    }
}
