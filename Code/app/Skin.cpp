#include "Skin.h"

#include <QBitmap>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

QImage RenderSkin(const QString& name, const QSize& size, qreal pixelRatio) {
    QSvgRenderer renderer(QStringLiteral(":/skin/") + name);
    if (!renderer.isValid() || size.isEmpty()) return {};
    QImage picture(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(picture.size())));
    }
    picture.setDevicePixelRatio(pixelRatio);
    return picture;
}

QPixmap SkinPixmap(const QString& name, const QSize& size, qreal pixelRatio) {
    return QPixmap::fromImage(RenderSkin(name, size, pixelRatio));
}

QImage CutKeyColour(const QImage& picture) {
    if (picture.isNull()) return picture;
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = result.pixel(0, result.height() - 1);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
    }
    result.setDevicePixelRatio(picture.devicePixelRatio());
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QRegion OutlineOf(const QImage& picture) {
    if (picture.isNull()) return {};
    QImage mask = picture.createAlphaMask(Qt::ThresholdAlphaDither);
    const qreal ratio = picture.devicePixelRatio();
    if (ratio != 1.0)
        mask = mask.scaled((QSizeF(mask.size()) / ratio).toSize(), Qt::IgnoreAspectRatio,
                           Qt::FastTransformation);
    return QRegion(QBitmap::fromImage(mask));
}

TButtonPictures LoadButtonPictures(const QString& name, const QSize& size, qreal pixelRatio) {
    const QImage strip = RenderSkin(QStringLiteral("buttons/") + name + QStringLiteral(".svg"),
                                    QSize(size.width() * 3, size.height()), pixelRatio);
    TButtonPictures pictures;
    if (strip.isNull()) return pictures;
    const int w = static_cast<int>(size.width() * pixelRatio);
    const int h = static_cast<int>(size.height() * pixelRatio);
    auto slice = [&](int index) {
        QPixmap pixmap = QPixmap::fromImage(strip.copy(index * w, 0, w, h));
        pixmap.setDevicePixelRatio(pixelRatio);
        return pixmap;
    };
    pictures.Up = slice(0);
    pictures.Hot = slice(1);
    pictures.Down = slice(2);
    return pictures;
}

QString WindowStyleSheet() {
    QString sheet;
    for (const char* name : {":/skin/main.qss", ":/skin/windows.qss"}) {
        QFile file(name);
        if (file.open(QIODevice::ReadOnly)) sheet += QString::fromUtf8(file.readAll());
    }
    return sheet;
}
