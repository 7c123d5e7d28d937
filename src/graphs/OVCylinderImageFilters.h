// The image warps that put the flat drawings of the cylinder's faces onto the cylinder: the
// area filter shrinks a face to the cylinder's size, the arch filter bends vertical lines into half ellipses (each row moves sideways by
// bulgePixels x cos(asin(p)), p running from -1 at the top to 1 at the bottom), and the resize
// filter scales an image about its centre to a new size within the same canvas.
//
// The arch and resize filters read the input at pixel centres with linear interpolation on
// premultiplied pixels (the arch within its row, the resize on both axes); what falls outside the
// input is transparent, and their output has the input's size. The area filter averages the
// source area under each output pixel. Work is spent only where the input holds ink: the faces
// are a thin line on a transparent image. A null input gives a null output. Plain values; any
// thread.
#pragma once

#include <QImage>
#include <QSizeF>

class OVHorizontalArchFilter
{
public:
    void setInputImage(const QImage &image) { mInputImage = image; }
    /// Sideways shift of the middle row, in pixels; positive moves it right.
    void setInputBulgePixels(double pixels) { mBulgePixels = pixels; }
    QImage outputImage() const;

private:
    QImage mInputImage;
    double mBulgePixels = 0.0;
};

class OVResizeInCenterFilter
{
public:
    void setInputImage(const QImage &image) { mInputImage = image; }
    /// The size the image's content takes, centred in the unchanged canvas.
    void setInputNewSize(const QSizeF &size) { mNewSize = size; }
    QImage outputImage() const;

private:
    QImage mInputImage;
    QSizeF mNewSize;
};

class OVAreaScaleFilter
{
public:
    void setInputImage(const QImage &image) { mInputImage = image; }
    /// The output's size; a larger size than the input's is scaled up smoothly.
    void setOutputSize(const QSize &size) { mSize = size; }
    QImage outputImage() const;

private:
    QImage mInputImage;
    QSize mSize;
};

/// The three warps a face of the cylinder goes through, in one pass over the rows: averaged down
/// to the cylinder's size, shrunk about its centre to the face's width (the height unchanged),
/// then bent. The same pixels as the three filters in turn.
class OVCylinderFaceWarp
{
public:
    void setOutputSize(const QSize &size) { mSize = size; }
    void setFaceWidth(double width) { mFaceWidth = width; }
    void setBulgePixels(double pixels) { mBulgePixels = pixels; }
    /// Warps `face` into `output`, reusing its pixels when it already has the size.
    void apply(const QImage &face, QImage &output) const;

private:
    QSize mSize;
    double mFaceWidth = 0.0;
    double mBulgePixels = 0.0;
};
