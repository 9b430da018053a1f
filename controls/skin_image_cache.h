#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include "controls/skin_image.h"

namespace tq260 {

// Decoded skin images kept between paints. Decoding every image on every paint costs more
// than a paint may take, so each is decoded once and again only when its file changes
// (another size or modification time) or appears or disappears.
class SkinImageCache {
  public:
    // The image for the screen's density: on a screen of more than one device pixel per
    // logical pixel, the file's @2x twin where there is one (sharper scaled down to 1.25 or
    // 1.5 than the plain file scaled up).
    const SkinImage& image(const QString& path);
    void setDevicePixelRatio(qreal ratio) { ratio_ = ratio; }
    // Loads folder + fileName and draws it at (x, y); nothing when it cannot be loaded.
    void draw(QPainter& painter, const QString& folder, const QString& fileName, int x, int y);

  private:
    const SkinImage& loaded(const QString& path);

    struct Entry {
        SkinImage image;
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
    };
    QHash<QString, Entry> entries_;
    qreal ratio_ = 1;
};

}  // namespace tq260
