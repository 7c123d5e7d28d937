// The two image warps that put the flat drawings of the cylinder's faces onto the cylinder:
// the arch filter bends vertical lines into half ellipses (each row moves sideways by
// bulgePixels x cos(asin(p)), p running from -1 at the top to 1 at the bottom), and the resize
// filter scales an image about its centre to a new size within the same canvas.
//
// Both read the input at pixel centres with linear interpolation on premultiplied pixels (the
// arch within its row, the resize on both axes); what falls outside the input is transparent.
// The output has the input's size; a null input gives a null output. Plain values; any thread.
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
