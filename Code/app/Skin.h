// The skin: the SVG pictures in skin/, compiled into the program and
// rendered at the size a window or control needs.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QSize>
#include <QString>

// ":/skin/" + name, rendered to size (device-independent pixels) at the
// given pixel ratio onto a transparent picture. A null image when the
// picture is missing.
QImage RenderSkin(const QString& name, const QSize& size, qreal pixelRatio = 1.0);
QPixmap SkinPixmap(const QString& name, const QSize& size, qreal pixelRatio = 1.0);

// Makes every pixel of the picture's transparent colour, the colour of its
// bottom-left pixel, fully transparent.
QImage CutKeyColour(const QImage& picture);

// The window outline of a picture: the pixels that are at least half opaque,
// in device-independent pixels.
QRegion OutlineOf(const QImage& picture);

// A picture button's up, down and hot pictures. A button's SVG holds the
// three side by side, each size wide: up, hot, down.
struct TButtonPictures {
    QPixmap Up;
    QPixmap Down;
    QPixmap Hot;
};
TButtonPictures LoadButtonPictures(const QString& name, const QSize& size, qreal pixelRatio = 1.0);

// The style sheets of the progress window and the Options dialog: the main
// window's sheet followed by the one for the other windows.
QString WindowStyleSheet();
