#pragma once

#include <QColor>
#include <QImage>

#include <deque>
#include <utility>
#include <vector>

// The picture of a trend plot, one pixel column per column of time. Columns
// are fixed in time, so as time goes on the picture only moves left by whole
// pixels: a frame scrolls what is drawn and draws just the columns that
// changed since the last one, which keeps its cost to a few columns whatever
// the span and the number of samples shown. The whole picture is drawn again
// only when its size, its value range or its lines change.
class TrendCanvas
{
public:
    // The samples of one series in one time column: their extremes, in the
    // order they came.
    struct Column
    {
        qint64 index; // since the epoch, in column widths
        double least;
        double most;
        bool leastFirst;
    };
    using Columns = std::deque<Column>;

    struct Line
    {
        const Columns *columns;
        QColor color;
    };

    // The value axis: minimum at the bottom, maximum at the top, and the
    // values that get a grid line.
    struct Scale
    {
        double minimum;
        double maximum;
        std::vector<double> grid;
        bool operator==(const Scale &other) const
        {
            return minimum == other.minimum && maximum == other.maximum && grid == other.grid;
        }
    };

    // Shows the columns firstColumn .. firstColumn + size.width() - 1 of the
    // lines on the scale. The columns from `changedFrom` on may differ from
    // the last call; those before it are as they were, unless invalidate()
    // was called since.
    void draw(QSize size, qint64 firstColumn, const Scale &scale, const std::vector<Line> &lines,
              qint64 changedFrom);
    // The lines themselves changed (other series, other column widths): the
    // next draw starts afresh.
    void invalidate() { m_whole = true; }
    // The picture is opaque, so the scene below it need not be drawn.
    void setColors(const QColor &background, const QColor &grid);

    const QImage &image() const { return m_image; }
    // The first pixel column that changed since the last call: what lies
    // left of it was shown before as it is now. The image's width when
    // nothing changed.
    int takeChangedFrom() { return std::exchange(m_changedFrom, m_image.width()); }

private:
    void scrollLeft(int pixels);
    void drawFrom(qint64 column, const std::vector<Line> &lines);

    QImage m_image;
    qint64 m_firstColumn = 0;
    Scale m_scale{0, 0, {}};
    QColor m_background = Qt::black;
    QColor m_grid = Qt::darkGray;
    bool m_whole = true;
    int m_changedFrom = 0;
};
