#include "trendplot.h"

#include "privatefile.h"
#include "trendcsv.h"
#include "trendstore.h"

#include <QDateTime>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QUrl>

#include <cmath>
#include <limits>

namespace {

// A step of 1, 2 or 5 times a power of ten that cuts the span into about
// five parts, so the axis labels read well and stay put while values move
// within them.
double niceStep(double span)
{
    const double raw = span / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normalized = raw / magnitude;
    const double factor = normalized <= 1 ? 1 : normalized <= 2 ? 2 : normalized <= 5 ? 5 : 10;
    return factor * magnitude;
}

} // namespace

TrendPlot::TrendPlot(QQuickItem *parent)
    : QQuickItem(parent)
{
    setFlag(ItemHasContents);
    m_frameTimer.setInterval(frameIntervalMs);
    connect(&m_frameTimer, &QTimer::timeout, this, &TrendPlot::redraw);
    setRange(0, 1);
}

void TrendPlot::setBackgroundColor(const QColor &color)
{
    if (m_backgroundColor == color)
        return;
    m_backgroundColor = color;
    emit backgroundColorChanged();
    redraw();
}

void TrendPlot::setGridColor(const QColor &color)
{
    if (m_gridColor == color)
        return;
    m_gridColor = color;
    emit gridColorChanged();
    redraw();
}

void TrendPlot::setStore(TrendStore *store)
{
    if (m_store == store)
        return;
    m_store = store;
    emit storeChanged();
    updateTimer();
    redraw();
}

void TrendPlot::setSeries(const QStringList &series)
{
    if (m_series == series)
        return;
    m_series = series;
    emit seriesChanged();
    updateTimer();
    redraw();
}

void TrendPlot::setSpanSeconds(int seconds)
{
    seconds = qMax(1, seconds);
    if (m_spanSeconds == seconds)
        return;
    m_spanSeconds = seconds;
    emit spanSecondsChanged();
    redraw();
}

void TrendPlot::setPaused(bool paused)
{
    if (m_paused == paused)
        return;
    if (paused)
        m_pausedAt = endTime();
    m_paused = paused;
    emit pausedChanged();
    updateTimer();
    redraw();
}

// Both in one go: an update asked for while polishing would cost a second
// frame. For the same reason the axis announces its move here, before the
// frame, not while polishing.
void TrendPlot::redraw()
{
    polish();
    update();
    emit advanced();
}

qint64 TrendPlot::endTime() const
{
    if (m_paused)
        return m_pausedAt;
    return m_store ? m_store->now() : QDateTime::currentMSecsSinceEpoch();
}

void TrendPlot::updateTimer()
{
    const bool live = !m_paused && m_store && !m_series.isEmpty() && isVisible() && window();
    if (live && !m_frameTimer.isActive())
        m_frameTimer.start();
    else if (!live)
        m_frameTimer.stop();
}

void TrendPlot::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        redraw();
}

void TrendPlot::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemVisibleHasChanged || change == ItemSceneChange)
        updateTimer();
}

QColor TrendPlot::colorAt(int index)
{
    static const QColor colors[] = {"#6FE7E7", "#f6e599", "#e67e22", "#a8e6a8", "#e74c3c",
                                    "#9b59b6", "#3498db", "#f1c40f", "#1abc9c", "#ecf0f1"};
    constexpr int count = int(std::size(colors));
    return colors[((index % count) + count) % count];
}

// Reduces the shown series to pixel columns and brings the picture up to
// date here, on the interface thread, where the store lives; the scene graph
// only takes the picture as a texture.
void TrendPlot::updatePolish()
{
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1;
    const QSize pixels(qRound(width() * ratio), qRound(height() * ratio));
    const qsizetype shown = m_series.size();
    if (!m_store || pixels.isEmpty()) {
        m_columns.clear();
        m_canvas.draw({}, 0, m_scale, {}, 0);
        return;
    }
    const qint64 end = endTime();
    const qint64 from = end - spanMs();
    const double msPerColumn = double(spanMs()) / pixels.width();
    if (msPerColumn != m_msPerColumn || m_columns.size() != std::size_t(shown)) {
        m_columns.assign(std::size_t(shown), {});
        m_msPerColumn = msPerColumn;
        m_canvas.invalidate();
    }

    // Columns are fixed in time (multiples of their width since the epoch),
    // not to the moving left edge: a sample stays in its column from frame
    // to frame, so the lines glide instead of flickering, and the picture
    // only ever moves by whole columns.
    const auto firstColumn = qint64(std::floor(double(from) / msPerColumn));
    qint64 changedFrom = std::numeric_limits<qint64>::max();
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    std::vector<TrendCanvas::Line> lines;
    lines.reserve(std::size_t(shown));
    for (qsizetype s = 0; s < shown; ++s) {
        SeriesColumns &known = m_columns[std::size_t(s)];
        const TrendSeries *series = m_store->series(m_series[s]);
        // A store emptied and filled again may hand out a new series at the
        // old one's address; it cannot have had as many samples yet.
        if (series != known.series || (series && known.next > series->appended())) {
            known = {series, 0, {}};
            m_canvas.invalidate();
        }
        if (series)
            changedFrom = qMin(changedFrom, takeNewSamples(known, from, end, msPerColumn));
        // One column before the left edge stays, for the line to enter from.
        while (known.columns.size() > 1 && known.columns[1].index < firstColumn)
            known.columns.pop_front();
        for (const Column &column : known.columns) {
            if (column.index >= firstColumn) {
                low = qMin(low, column.least);
                high = qMax(high, column.most);
            }
        }
        lines.push_back({&known.columns, colorAt(int(s))});
    }
    if (low <= high)
        setRange(low, high);
    m_canvas.setColors(m_backgroundColor, m_gridColor);
    m_canvas.draw(pixels, firstColumn, m_scale, lines, changedFrom);
}

qint64 TrendPlot::takeNewSamples(SeriesColumns &known, qint64 from, qint64 end,
                                 double msPerColumn) const
{
    const TrendSeries &series = *known.series;
    const qint64 firstHeld = series.appended() - series.size();
    qsizetype i =
        known.next > firstHeld ? qsizetype(known.next - firstHeld) : series.lowerBound(from);
    qint64 changedFrom = std::numeric_limits<qint64>::max();
    for (; i < series.size(); ++i) {
        const TrendSeries::Sample &sample = series.at(i);
        if (sample.time > end) // paused: later samples wait for the resume
            break;
        const qint64 index = qint64(std::floor(double(sample.time) / msPerColumn));
        changedFrom = qMin(changedFrom, index);
        if (known.columns.empty() || known.columns.back().index != index) {
            known.columns.push_back({index, sample.value, sample.value, true});
            continue;
        }
        Column &column = known.columns.back();
        if (sample.value < column.least) {
            column.least = sample.value;
            column.leastFirst = false;
        } else if (sample.value > column.most) {
            column.most = sample.value;
            column.leastFirst = true;
        }
    }
    known.next = firstHeld + i;
    return changedFrom;
}

void TrendPlot::setRange(double low, double high)
{
    double step = high > low ? niceStep(high - low) : (low != 0 ? niceStep(std::abs(low)) : 0.25);
    double minimum = std::floor(low / step) * step;
    double maximum = std::ceil(high / step) * step;
    if (maximum <= minimum) {
        minimum -= step;
        maximum += step;
    }
    if (minimum == m_scale.minimum && maximum == m_scale.maximum && !m_ticks.isEmpty())
        return;
    m_scale = {minimum, maximum, {}};
    for (int i = 0; i <= 20 && minimum + i * step <= maximum + step / 2; ++i)
        m_scale.grid.push_back(minimum + i * step);
    m_ticks.clear();
    for (const double tick : m_scale.grid)
        m_ticks.append(tick);
    emit rangeChanged();
}

// The picture reaches the scene graph in strips, and only the strips that
// changed are sent again: between two steps of the axis a frame sends just
// the newest one, and only its part of the window is drawn anew.
QSGNode *TrendPlot::updatePaintNode(QSGNode *node, UpdatePaintNodeData *)
{
    const QImage &image = m_canvas.image();
    int changedFrom = m_canvas.takeChangedFrom();
    if (image.isNull()) {
        delete node;
        return nullptr;
    }
    const int strips = (image.width() + stripWidth - 1) / stripWidth;
    if (!node || node->childCount() != strips || m_shownSize != image.size()) {
        delete node;
        node = new QSGNode;
        for (int i = 0; i < strips; ++i) {
            QSGImageNode *strip = window()->createImageNode();
            // It deletes the texture it is given, and the one before on each new one.
            strip->setOwnsTexture(true);
            strip->setFiltering(QSGTexture::Nearest);
            node->appendChildNode(strip);
        }
        m_shownSize = image.size();
        changedFrom = 0;
    }
    const qreal ratio = image.width() / qMax(width(), 1.0);
    int left = 0;
    for (QSGNode *child = node->firstChild(); child; child = child->nextSibling()) {
        const QRect part(left, 0, qMin(stripWidth, image.width() - left), image.height());
        left += stripWidth;
        if (part.right() < changedFrom)
            continue;
        auto *strip = static_cast<QSGImageNode *>(child);
        strip->setTexture(window()->createTextureFromImage(image.copy(part)));
        strip->setRect(QRectF(part.x() / ratio, 0, part.width() / ratio, height()));
    }
    return node;
}

QString TrendPlot::timeAt(qreal x) const
{
    if (width() <= 0)
        return {};
    const qint64 time = endTime() - spanMs() + qint64(x / width() * spanMs());
    return QDateTime::fromMSecsSinceEpoch(time).toString(QStringLiteral("hh:mm:ss.zzz"));
}

QVariantList TrendPlot::valuesAt(qreal x) const
{
    QVariantList values;
    if (!m_store || width() <= 0)
        return values;
    const qint64 time = endTime() - spanMs() + qint64(x / width() * spanMs());
    // Close enough: three pixel columns, or a second on the short spans.
    const qint64 reach = qMax<qint64>(1000, qint64(3 * spanMs() / width()));
    for (qsizetype s = 0; s < m_series.size(); ++s) {
        QString text;
        if (const TrendSeries *series = m_store->series(m_series[s])) {
            const qsizetype next = series->lowerBound(time);
            qsizetype nearest = -1;
            for (const qsizetype i : {next - 1, next}) {
                if (i < 0 || i >= series->size())
                    continue;
                if (nearest < 0
                    || std::abs(series->at(i).time - time)
                           < std::abs(series->at(nearest).time - time))
                    nearest = i;
            }
            if (nearest >= 0 && std::abs(series->at(nearest).time - time) <= reach)
                text = QString::number(series->at(nearest).value, 'g', 7);
        }
        values.append(QVariantMap{{QStringLiteral("name"), m_series[s]},
                                  {QStringLiteral("value"), text},
                                  {QStringLiteral("color"), colorAt(int(s))}});
    }
    return values;
}

QString TrendPlot::exportCsv(const QUrl &file) const
{
    if (!m_store)
        return tr("Nothing to export.");
    const QString path = PrivateFile::localPath(file.toString());
    const qint64 end = endTime();
    const QString error =
        PrivateFile::write(path, TrendCsv::write(*m_store, m_series, end - spanMs(), end));
    return error.isEmpty() ? QString() : tr("Could not write %1: %2").arg(path, error);
}
