// Reads back the text a widget draws, from the paint calls themselves rather than from pixels:
// each string with its bounding rectangle (advance width, ascent and descent, through the
// painter's transform) in the widget's coordinates. A test can then ask what a view shows and
// whether it fits, through the real widget and its real drawing code.
#pragma once

#include <QGuiApplication>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QScreen>
#include <QTextItem>
#include <QTransform>
#include <QWidget>

#include <functional>
#include <memory>

struct DrawnText
{
    QString text;
    QRectF rect;
};

class TextProbe
{
public:
    /// Everything `widget` and its children draw as text, in drawing order.
    static QList<DrawnText> drawnTexts(QWidget &widget)
    {
        Device device(widget.size());
        QPainter painter(&device);
        widget.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        painter.end();
        return device.engine.texts;
    }

    /// Everything `paint` draws as text on a canvas of that size.
    static QList<DrawnText> drawnTexts(QSize size, const std::function<void(QPainter &)> &paint)
    {
        Device device(size);
        QPainter painter(&device);
        paint(painter);
        painter.end();
        return device.engine.texts;
    }

    /// The texts alone.
    static QStringList strings(QWidget &widget)
    {
        QStringList all;
        for (const DrawnText &drawn : drawnTexts(widget))
            all << drawn.text;
        return all;
    }

private:
    class Engine final : public QPaintEngine
    {
    public:
        Engine()
            : QPaintEngine(QPaintEngine::AllFeatures)
        {
        }
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &state) override
        {
            if (state.state() & QPaintEngine::DirtyTransform)
                mTransform = state.transform();
        }
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        // Shapes are not recorded; the base class's forms call one another, so each gets an end.
        using QPaintEngine::drawEllipse;
        using QPaintEngine::drawLines;
        using QPaintEngine::drawPoints;
        using QPaintEngine::drawPolygon;
        using QPaintEngine::drawRects;
        void drawPath(const QPainterPath &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawRects(const QRectF *, int) override {}
        void drawLines(const QLineF *, int) override {}
        void drawEllipse(const QRectF &) override {}
        void drawPoints(const QPointF *, int) override {}
        void drawImage(const QRectF &, const QImage &, const QRectF &, Qt::ImageConversionFlags) override {}
        void drawTextItem(const QPointF &origin, const QTextItem &item) override
        {
            const QRectF local(origin.x(), origin.y() - item.ascent(), item.width(), item.ascent() + item.descent());
            texts.append({item.text(), mTransform.mapRect(local)});
        }
        Type type() const override { return QPaintEngine::User; }

        QList<DrawnText> texts;

    private:
        QTransform mTransform;
    };

    class Device final : public QPaintDevice
    {
    public:
        explicit Device(QSize size)
            : mSize(size)
        {
        }
        ~Device() override = default;
        QPaintEngine *paintEngine() const override { return &engine; }
        mutable Engine engine;

    protected:
        int metric(PaintDeviceMetric metric) const override
        {
            // The screen's resolution, so fonts measure as they do for the widget itself.
            const QScreen *screen = QGuiApplication::primaryScreen();
            const int dpi = screen ? qRound(screen->logicalDotsPerInch()) : 96;
            switch (metric) {
            case PdmWidth: return mSize.width();
            case PdmHeight: return mSize.height();
            case PdmWidthMM: return qRound(mSize.width() * 25.4 / dpi);
            case PdmHeightMM: return qRound(mSize.height() * 25.4 / dpi);
            case PdmNumColors: return 0x7fffffff;
            case PdmDepth: return 32;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY: return dpi;
            case PdmDevicePixelRatio: return 1;
            case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
            default: return 0;
            }
        }

    private:
        QSize mSize;
    };
};
