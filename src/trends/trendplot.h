#pragma once

#include "trendcanvas.h"
#include "trendstore.h"

#include <QColor>
#include <QPointer>
#include <QQuickItem>
#include <QStringList>
#include <QTimer>
#include <QVariantList>

#include <vector>

// Draws some series of a TrendStore as lines over one time axis that ends
// now (or where it was paused) and spans `spanSeconds`, scaled to the values
// shown. Each series is reduced to its lowest and highest value per pixel
// column; columns are fixed in time, so a frame only takes the samples that
// came since the last one and draws only the columns they changed (see
// TrendCanvas): its cost follows what arrived, not the span or the number of
// samples shown. The picture is painted with QPainter and shown as image
// nodes, which every scene graph backend draws, the software one included
// (chosen where OpenGL would itself be a software rasterizer). While live it
// redraws at a steady rate so the axis scrolls.
class TrendPlot : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(TrendStore *store READ store WRITE setStore NOTIFY storeChanged)
    Q_PROPERTY(QStringList series READ series WRITE setSeries NOTIFY seriesChanged)
    Q_PROPERTY(int spanSeconds READ spanSeconds WRITE setSpanSeconds NOTIFY spanSecondsChanged)
    Q_PROPERTY(bool paused READ isPaused WRITE setPaused NOTIFY pausedChanged)
    // The value range of the vertical axis and its labelled steps.
    Q_PROPERTY(double minimum READ minimum NOTIFY rangeChanged)
    Q_PROPERTY(double maximum READ maximum NOTIFY rangeChanged)
    Q_PROPERTY(QVariantList ticks READ ticks NOTIFY rangeChanged)
    // The plot paints its own background and the grid lines at the ticks:
    // it is opaque, so what lies below it need not be drawn each frame.
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor NOTIFY
                   backgroundColorChanged)
    Q_PROPERTY(QColor gridColor READ gridColor WRITE setGridColor NOTIFY gridColorChanged)

public:
    static constexpr int frameIntervalMs = 25;

    explicit TrendPlot(QQuickItem *parent = nullptr);

    TrendStore *store() const { return m_store; }
    void setStore(TrendStore *store);
    QStringList series() const { return m_series; }
    void setSeries(const QStringList &series);
    int spanSeconds() const { return m_spanSeconds; }
    void setSpanSeconds(int seconds);
    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);
    double minimum() const { return m_scale.minimum; }
    double maximum() const { return m_scale.maximum; }
    QVariantList ticks() const { return m_ticks; }
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color);
    QColor gridColor() const { return m_gridColor; }
    void setGridColor(const QColor &color);

    // The colour of the n-th shown series (the legend uses the same).
    Q_INVOKABLE static QColor colorAt(int index);
    // The local time at the horizontal position x, "hh:mm:ss.zzz".
    Q_INVOKABLE QString timeAt(qreal x) const;
    // Per shown series, its value nearest to the time at x (an empty text
    // when it has none close by): a list of {name, value, color}.
    Q_INVOKABLE QVariantList valuesAt(qreal x) const;
    // Writes the shown series over the shown time span to the file as CSV.
    // Returns an empty text, or what went wrong.
    Q_INVOKABLE QString exportCsv(const QUrl &file) const;

signals:
    void storeChanged();
    void seriesChanged();
    void spanSecondsChanged();
    void pausedChanged();
    void rangeChanged();
    void backgroundColorChanged();
    void gridColorChanged();
    // The time axis moved on: each frame while live, and when the span or
    // the series change. Emitted before the frame is drawn, so what follows
    // from it is drawn in the same frame.
    void advanced();

protected:
    void updatePolish() override;
    QSGNode *updatePaintNode(QSGNode *node, UpdatePaintNodeData *) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;

private:
    using Column = TrendCanvas::Column;
    // What is known of one shown series: its columns so far, and the
    // sequence number (TrendSeries::appended) of its next sample to take.
    struct SeriesColumns
    {
        const TrendSeries *series = nullptr;
        qint64 next = 0;
        TrendCanvas::Columns columns;
    };

    void redraw();
    qint64 endTime() const;
    qint64 spanMs() const { return qint64(m_spanSeconds) * 1000; }
    void updateTimer();
    void setRange(double low, double high);
    // Returns the first column the new samples went into.
    qint64 takeNewSamples(SeriesColumns &known, qint64 from, qint64 end, double msPerColumn) const;

    QPointer<TrendStore> m_store;
    QStringList m_series;
    int m_spanSeconds = 60;
    bool m_paused = false;
    qint64 m_pausedAt = 0;
    TrendCanvas::Scale m_scale{0, 1, {}};
    QVariantList m_ticks;
    QColor m_backgroundColor = Qt::black;
    QColor m_gridColor = Qt::darkGray;
    QTimer m_frameTimer;
    std::vector<SeriesColumns> m_columns;
    double m_msPerColumn = 0;
    TrendCanvas m_canvas;
    // Touched only while the scene graph syncs.
    QSize m_shownSize;
    static constexpr int stripWidth = 64;
};
