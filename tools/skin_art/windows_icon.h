#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace art {

// A Windows icon file holding the images, square, at most 256 pixels: small sizes as 32-bit
// bitmaps, which every reader takes (the resource compiler, NSIS, the shell), 256 as PNG.
QByteArray windowsIcon(const QList<QImage>& images);

}  // namespace art
