#include "controls/resource_bitmaps.h"

#include <QString>

namespace tq260 {

QImage resourceBitmap(int id) {
    return QImage(QStringLiteral(":/bitmaps/%1.png").arg(id));
}

}  // namespace tq260
