#pragma once

#include "trendstore.h"

#include <QColor>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QStringList>
#include <QTimer>
#include <QVariantList>

#include <deque>
#include <vector>

// Draws some series of a TrendStore as lines over one time axis that ends
// now (or where it was paused) and spans `spanSeconds`, scaled to the values
// shown. Each series is reduced to its lowest and highest value per pixel
// column; columns are fixed in time, so a frame only adds the samples that
// came since the last one and its cost follows the width of the item, not
// the number of samples. The lines are painted with QPainter, which every
// scene graph backend draws, the software one included (chosen where OpenGL
// would itself be a software rasterizer). While live it redraws at a steady
// rate so the axis scrolls.
class TrendPlot : public QQuickPaintedItem
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
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    QVariantList ticks() const { return m_ticks; }

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
    // The lines were brought up to date (each frame while live).
    void drawn();

protected:
    void updatePolish() override;
    void paint(QPainter *painter) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;

private:
    struct Point
    {
        float x;
        double value;
    };
    // The samples of one time column of one series.
    struct Column
    {
        qint64 index; // since the epoch, in column widths
        double least;
        double most;
        bool leastFirst;
    };
    // What is known of one shown series: its columns so far, and the
    // sequence number (TrendSeries::appended) of its next sample to take.
    struct SeriesColumns
    {
        const TrendSeries *series = nullptr;
        qint64 next = 0;
        std::deque<Column> columns;
    };

    void redraw();
    qint64 endTime() const;
    qint64 spanMs() const { return qint64(m_spanSeconds) * 1000; }
    void updateTimer();
    void setRange(double low, double high);
    void takeNewSamples(SeriesColumns &known, qint64 from, qint64 end, double msPerColumn) const;

    QPointer<TrendStore> m_store;
    QStringList m_series;
    int m_spanSeconds = 60;
    bool m_paused = false;
    qint64 m_pausedAt = 0;
    double m_minimum = 0;
    double m_maximum = 1;
    QVariantList m_ticks;
    QTimer m_frameTimer;
    std::vector<SeriesColumns> m_columns;
    double m_msPerColumn = 0;
    // Reduced points per shown series, from the last polish.
    std::vector<std::vector<Point>> m_lines;
};
