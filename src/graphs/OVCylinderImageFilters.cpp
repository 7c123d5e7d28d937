// The cylinder's image warps, as per-pixel resampling of premultiplied images, row by row.
//
// The stroked faces are a thin line on a transparent image (a few percent of their pixels), so
// each row is worked on only in the columns that can read ink: the runs of ink in the input row,
// mapped to the output and widened by the interpolation's neighbours. Every other output pixel
// reads only transparent pixels and is transparent, as computing it would give.
#include "graphs/OVCylinderImageFilters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace {

using Pixel = std::array<double, 4>;
using Span = std::pair<int, int>; // columns [first, second)
using Spans = std::vector<Span>;

// floor for the positions the warps read, which stay far inside int's range.
int floorToInt(double v)
{
    const int i = int(v);
    return v < double(i) ? i - 1 : i;
}

// A channel rounded half away from zero (as lround) and clamped to 0..255.
int roundChannel(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 255.0)
        return 255;
    const int i = int(v);
    return v - double(i) >= 0.5 ? i + 1 : i;
}

Pixel unpack(QRgb p)
{
    return {double(qRed(p)), double(qGreen(p)), double(qBlue(p)), double(qAlpha(p))};
}

QRgb pack(const Pixel &p)
{
    return qRgba(roundChannel(p[0]), roundChannel(p[1]), roundChannel(p[2]), roundChannel(p[3]));
}

Pixel mix(const Pixel &a, const Pixel &b, double t)
{
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t,
            a[3] + (b[3] - a[3]) * t};
}

// The packed pixel of a row, transparent outside it.
QRgb rawAt(const QRgb *row, int width, int x)
{
    return row && 0 <= x && x < width ? row[x] : QRgb(0);
}

// Linear interpolation along a row of packed pixels at a position in pixel-centre coordinates
// (centre of pixel i at i + 0.5). Between two equal neighbours the interpolation gives that same
// pixel, so it is skipped.
QRgb sampleRow(const QRgb *row, int width, double x)
{
    const double fx = x - 0.5;
    const int x0 = floorToInt(fx);
    const QRgb a = rawAt(row, width, x0);
    const QRgb b = rawAt(row, width, x0 + 1);
    if (a == b)
        return a;
    return pack(mix(unpack(a), unpack(b), fx - x0));
}

// sampleRow on the two rows round y (above at floor(y - 0.5), below one further), with the same
// skip where all four neighbours are equal.
QRgb sampleRows(const QRgb *above, const QRgb *below, int width, double x, double y)
{
    const double fx = x - 0.5;
    const int x0 = floorToInt(fx);
    const QRgb a = rawAt(above, width, x0);
    const QRgb b = rawAt(above, width, x0 + 1);
    const QRgb c = rawAt(below, width, x0);
    const QRgb d = rawAt(below, width, x0 + 1);
    if (a == b && a == c && a == d)
        return a;
    const double fy = y - 0.5;
    const double tx = fx - x0;
    return pack(mix(mix(unpack(a), unpack(b), tx), mix(unpack(c), unpack(d), tx), fy - floorToInt(fy)));
}

const QRgb *rowOf(const QImage &image, int y)
{
    return 0 <= y && y < image.height() ? reinterpret_cast<const QRgb *>(image.constScanLine(y)) : nullptr;
}

QRgb *rowToWrite(QImage &image, int y)
{
    return reinterpret_cast<QRgb *>(image.scanLine(y));
}

// The first column from x on that holds ink, or the width.
int nextInk(const QRgb *row, int x, int width)
{
    // Eight at a time: the rows are mostly long transparent stretches.
    for (; x + 8 <= width; x += 8) {
        if ((row[x] | row[x + 1] | row[x + 2] | row[x + 3] | row[x + 4] | row[x + 5] | row[x + 6] | row[x + 7]) != 0)
            break;
    }
    while (x < width && row[x] == 0)
        ++x;
    return x;
}

// Adds the runs of ink of a row (none for a null row) to `runs`.
void addInkRuns(const QRgb *row, int width, Spans &runs)
{
    if (!row)
        return;
    for (int x = nextInk(row, 0, width); x < width; x = nextInk(row, x, width)) {
        const int start = x;
        while (x < width && row[x] != 0)
            ++x;
        runs.emplace_back(start, x);
    }
}

Spans inkRuns(const QRgb *row, int width)
{
    Spans runs;
    addInkRuns(row, width, runs);
    return runs;
}

// The output columns that may read from the runs (in increasing order), where `toOutput` takes
// a source column to the output column that reads it (increasing), widened by two pixels for the
// interpolation's neighbours, clipped to the output and merged where they meet.
template <typename ToOutput>
void outputSpans(const Spans &runs, int width, ToOutput toOutput, Spans &spans)
{
    spans.clear();
    for (const auto &[first, last] : runs) {
        const double a = std::floor(toOutput(double(first))) - 2.0;
        const double b = std::ceil(toOutput(double(last))) + 2.0;
        const int from = int(std::clamp(a, 0.0, double(width)));
        const int to = int(std::clamp(b, 0.0, double(width)));
        if (from >= to)
            continue;
        if (!spans.empty() && from <= spans.back().second)
            spans.back().second = std::max(spans.back().second, to);
        else
            spans.emplace_back(from, to);
    }
}

// Writes the output row: transparent, with `pixel(x)` in the spans.
template <typename PixelAt>
void writeSpans(QRgb *output, int width, const Spans &spans, PixelAt pixel)
{
    std::fill(output, output + width, QRgb(0));
    for (const auto &[from, to] : spans) {
        for (int x = from; x < to; ++x)
            output[x] = pixel(x);
    }
}

// The arch's sideways shift of row y in an image `height` high.
double archShift(int y, int height, double bulgePixels)
{
    const double half = height / 2.0;
    const double p = std::clamp((y + 0.5 - half) / half, -1.0, 1.0);
    return std::cos(std::asin(p)) * bulgePixels;
}

// A row of the arch from the input row with its ink `runs`; the columns written go to `spans`.
void archRow(const QRgb *input, const Spans &runs, QRgb *output, int width, double shift, Spans &spans)
{
    outputSpans(runs, width, [shift](double x) { return x + shift; }, spans);
    writeSpans(output, width, spans, [&](int x) { return sampleRow(input, width, x + 0.5 - shift); });
}

// A row of the resize when the height is unchanged (the vertical interpolation weight is 0),
// from the input row with its ink `runs`; the columns written go to `spans`.
void resizeRow(const QRgb *input, const Spans &runs, QRgb *output, int width, double sx, Spans &spans)
{
    const double w = width;
    outputSpans(runs, width, [w, sx](double x) { return w / 2.0 + (x - w / 2.0) / sx; }, spans);
    writeSpans(output, width, spans, [&](int x) { return sampleRow(input, width, w / 2.0 + (x + 0.5 - w / 2.0) * sx); });
}

// For each output index along one axis of an area-average downscale: the source pixels the output
// pixel covers (`count` of them from `first`) and their weights (they sum to 1).
struct AreaWeights
{
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset; // into `weights`
    std::vector<double> weights;

    AreaWeights(int sourceLength, int outputLength)
    {
        const double step = double(sourceLength) / outputLength;
        for (int i = 0; i < outputLength; ++i) {
            const double from = i * step;
            const double to = std::min(double(sourceLength), (i + 1) * step);
            const int start = int(std::floor(from));
            first.push_back(start);
            offset.push_back(int(weights.size()));
            for (int s = start; s < to; ++s)
                weights.push_back((std::min(to, s + 1.0) - std::max(from, double(s))) / step);
            count.push_back(int(weights.size()) - offset.back());
        }
    }
};

// Scratch of the area-average rows, kept across rows.
struct AreaScratch
{
    std::vector<Pixel> blended; // the input's columns blended down the rows, where needed
    std::vector<const QRgb *> sources;
    Spans runs;
};

// One output row of an area-average downscale of `input`; the columns written go to `spans`.
void areaRow(const QImage &input, const AreaWeights &columns, const AreaWeights &rows, int y, QRgb *output,
             int outputWidth, AreaScratch &scratch, Spans &spans)
{
    const int width = input.width();
    const int firstRow = rows.first[size_t(y)];
    const int rowCount = rows.count[size_t(y)];
    const double *rowWeights = &rows.weights[size_t(rows.offset[size_t(y)])];
    scratch.sources.clear();
    scratch.runs.clear();
    for (int k = 0; k < rowCount; ++k) {
        scratch.sources.push_back(rowOf(input, firstRow + k));
        addInkRuns(scratch.sources.back(), width, scratch.runs);
    }
    std::sort(scratch.runs.begin(), scratch.runs.end());
    const double step = double(width) / outputWidth;
    outputSpans(scratch.runs, outputWidth, [step](double x) { return x / step; }, spans);
    std::fill(output, output + outputWidth, QRgb(0));
    for (const auto &[from, to] : spans) {
        // The source columns these output pixels read, blended down the rows.
        const int sourceFrom = columns.first[size_t(from)];
        const int sourceTo = std::min(width, columns.first[size_t(to - 1)] + columns.count[size_t(to - 1)]);
        for (int s = sourceFrom; s < sourceTo; ++s) {
            Pixel sum{};
            for (int k = 0; k < rowCount; ++k) {
                const QRgb *source = scratch.sources[size_t(k)];
                if (!source || source[s] == 0)
                    continue;
                const Pixel p = unpack(source[s]);
                for (size_t c = 0; c < 4; ++c)
                    sum[c] += p[c] * rowWeights[k];
            }
            scratch.blended[size_t(s)] = sum;
        }
        for (int x = from; x < to; ++x) {
            const int first = columns.first[size_t(x)];
            const double *weights = &columns.weights[size_t(columns.offset[size_t(x)])];
            Pixel p{};
            for (int k = 0; k < columns.count[size_t(x)]; ++k) {
                const Pixel &b = scratch.blended[size_t(first + k)];
                for (size_t c = 0; c < 4; ++c)
                    p[c] += b[c] * weights[k];
            }
            // Truncated, as QImage's smooth scaling does, so that the faces look as they do
            // through it.
            output[x] = qRgba(int(p[0]), int(p[1]), int(p[2]), int(p[3]));
        }
    }
}

QImage premultiplied(const QImage &image)
{
    return image.format() == QImage::Format_ARGB32_Premultiplied
               ? image
               : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// `image` made a premultiplied image of the size with the input's pixel ratio, reusing its pixels
// when it already is one; the caller writes every pixel.
void prepareOutput(QImage &image, const QImage &input, const QSize &size)
{
    if (image.size() != size || image.format() != QImage::Format_ARGB32_Premultiplied)
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(input.devicePixelRatio());
}

} // namespace

QImage OVHorizontalArchFilter::outputImage() const
{
    if (mInputImage.isNull())
        return QImage();
    const QImage input = premultiplied(mInputImage);
    QImage output;
    prepareOutput(output, input, input.size());
    Spans spans;
    for (int y = 0; y < input.height(); ++y) {
        const QRgb *row = rowOf(input, y);
        archRow(row, inkRuns(row, input.width()), rowToWrite(output, y), input.width(),
                archShift(y, input.height(), mBulgePixels), spans);
    }
    return output;
}

QImage OVResizeInCenterFilter::outputImage() const
{
    if (mInputImage.isNull())
        return QImage();
    const QImage input = premultiplied(mInputImage);
    QImage output;
    prepareOutput(output, input, input.size());
    // A zero size shows nothing (every source point lies at infinity).
    if (mNewSize.width() <= 0.0 || mNewSize.height() <= 0.0) {
        output.fill(Qt::transparent);
        return output;
    }
    const int width = input.width();
    const double w = input.width();
    const double h = input.height();
    const double sx = w / mNewSize.width();
    const double sy = h / mNewSize.height();
    Spans spans;
    for (int y = 0; y < input.height(); ++y) {
        if (sy == 1.0) {
            const QRgb *row = rowOf(input, y);
            resizeRow(row, inkRuns(row, width), rowToWrite(output, y), width, sx, spans);
            continue;
        }
        const double sourceY = h / 2.0 + (y + 0.5 - h / 2.0) * sy;
        const int y0 = floorToInt(sourceY - 0.5);
        const QRgb *above = rowOf(input, y0);
        const QRgb *below = rowOf(input, y0 + 1);
        Spans runs = inkRuns(above, width);
        addInkRuns(below, width, runs);
        std::sort(runs.begin(), runs.end());
        outputSpans(runs, width, [w, sx](double x) { return w / 2.0 + (x - w / 2.0) / sx; }, spans);
        writeSpans(rowToWrite(output, y), width, spans, [&](int x) {
            return sampleRows(above, below, width, w / 2.0 + (x + 0.5 - w / 2.0) * sx, sourceY);
        });
    }
    return output;
}

QImage OVAreaScaleFilter::outputImage() const
{
    if (mInputImage.isNull() || mSize.isEmpty())
        return QImage();
    const QImage input = premultiplied(mInputImage);
    if (mSize.width() > input.width() || mSize.height() > input.height())
        return input.scaled(mSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage output;
    prepareOutput(output, input, mSize);
    const AreaWeights columns(input.width(), mSize.width());
    const AreaWeights rows(input.height(), mSize.height());
    AreaScratch scratch;
    scratch.blended.resize(size_t(input.width()));
    Spans spans;
    for (int y = 0; y < mSize.height(); ++y)
        areaRow(input, columns, rows, y, rowToWrite(output, y), mSize.width(), scratch, spans);
    return output;
}

void OVCylinderFaceWarp::apply(const QImage &face, QImage &output) const
{
    if (face.isNull() || mSize.isEmpty()) {
        output = QImage();
        return;
    }
    const QImage input = premultiplied(face);
    if (mSize.width() > input.width() || mSize.height() > input.height()) {
        OVAreaScaleFilter scale;
        scale.setInputImage(input);
        scale.setOutputSize(mSize);
        OVResizeInCenterFilter resize;
        resize.setInputImage(scale.outputImage());
        resize.setInputNewSize(QSizeF(mFaceWidth, mSize.height()));
        OVHorizontalArchFilter arch;
        arch.setInputImage(resize.outputImage());
        arch.setInputBulgePixels(mBulgePixels);
        output = arch.outputImage();
        return;
    }
    prepareOutput(output, input, mSize);
    const int width = mSize.width();
    const AreaWeights columns(input.width(), width);
    const AreaWeights rows(input.height(), mSize.height());
    AreaScratch scratch;
    scratch.blended.resize(size_t(input.width()));
    std::vector<QRgb> scaled(static_cast<size_t>(width));
    std::vector<QRgb> resized(static_cast<size_t>(width));
    Spans scaledSpans, resizedSpans, archedSpans;
    const double sx = double(width) / mFaceWidth;
    // Each stage's row depends only on the same row of the stage before, so a row passes through
    // all three at once; the columns a stage wrote are where the next one finds its ink.
    for (int y = 0; y < mSize.height(); ++y) {
        areaRow(input, columns, rows, y, scaled.data(), width, scratch, scaledSpans);
        if (mFaceWidth > 0.0) {
            resizeRow(scaled.data(), scaledSpans, resized.data(), width, sx, resizedSpans);
        } else {
            std::fill(resized.begin(), resized.end(), QRgb(0));
            resizedSpans.clear();
        }
        archRow(resized.data(), resizedSpans, rowToWrite(output, y), width, archShift(y, mSize.height(), mBulgePixels),
                archedSpans);
    }
}
