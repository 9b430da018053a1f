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
    const SkinImage& image(const QString& path);
    // Loads folder + fileName and draws it at (x, y); nothing when it cannot be loaded.
    void draw(QPainter& painter, const QString& folder, const QString& fileName, int x, int y);

  private:
    struct Entry {
        SkinImage image;
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
    };
    QHash<QString, Entry> entries_;
};

}  // namespace tq260
