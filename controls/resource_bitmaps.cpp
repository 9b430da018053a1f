#include "controls/resource_bitmaps.h"

#include <QPixmap>
#include <QString>

namespace tq260 {

QImage resourceBitmap(int id, qreal density) {
    if (density > 1) {
        QImage dense(QStringLiteral(":/bitmaps/%1@2x.png").arg(id));
        if (!dense.isNull()) {
            dense.setDevicePixelRatio(2);
            return dense;
        }
    }
    return QImage(QStringLiteral(":/bitmaps/%1.png").arg(id));
}

QIcon applicationIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(resourceBitmap(kApplicationIcon)));
    icon.addPixmap(QPixmap::fromImage(resourceBitmap(kApplicationIcon, 2)));
    return icon;
}

}  // namespace tq260
