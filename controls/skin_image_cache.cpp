#include "controls/skin_image_cache.h"

#include <QFileInfo>

namespace tq260 {

const SkinImage& SkinImageCache::image(const QString& path) {
    if (ratio_ > 1) {
        const SkinImage& dense = loaded(denseSkinName(path));
        if (!dense.isEmpty()) return dense;
    }
    return loaded(path);
}

const SkinImage& SkinImageCache::loaded(const QString& path) {
    const QFileInfo file(path);
    const bool exists = file.exists();
    const qint64 size = exists ? file.size() : 0;
    const QDateTime modified = exists ? file.lastModified() : QDateTime();
    auto found = entries_.find(path);
    if (found == entries_.end() || found->exists != exists || found->size != size ||
        found->modified != modified) {
        found = entries_.insert(path, Entry{SkinImage::load(path), exists, size, modified});
    }
    return found->image;
}

void SkinImageCache::draw(QPainter& painter, const QString& folder, const QString& fileName, int x,
                          int y) {
    image(folder + fileName).draw(painter, x, y);
}

}  // namespace tq260
