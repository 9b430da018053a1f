#include "windows_icon.h"

#include <QBuffer>
#include <QtEndian>

namespace art {

namespace {

void put16(QByteArray& out, int value) {
    const quint16 little = qToLittleEndian(static_cast<quint16>(value));
    out.append(reinterpret_cast<const char*>(&little), 2);
}

void put32(QByteArray& out, qint64 value) {
    const quint32 little = qToLittleEndian(static_cast<quint32>(value));
    out.append(reinterpret_cast<const char*>(&little), 4);
}

// A DIB as icons hold it: the header gives twice the height (colour rows, then the mask's),
// rows run bottom-up, and the all-zero mask leaves transparency to the alpha channel.
QByteArray bitmapEntry(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    const int maskRow = ((size + 31) / 32) * 4;
    QByteArray out;
    put32(out, 40);
    put32(out, size);
    put32(out, size * 2);
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, size * size * 4 + maskRow * size);
    for (int i = 0; i < 4; ++i) put32(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        // ARGB32 is B, G, R, A in memory on a little-endian machine: the DIB order.
        for (int x = 0; x < size; ++x) put32(out, image.pixel(x, y));
    }
    out.append(QByteArray(maskRow * size, '\0'));
    return out;
}

QByteArray pngEntry(const QImage& image) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

}  // namespace

QByteArray windowsIcon(const QList<QImage>& images) {
    QList<QByteArray> entries;
    for (const QImage& image : images) {
        entries << (image.width() >= 256 ? pngEntry(image) : bitmapEntry(image));
    }
    QByteArray out;
    put16(out, 0);
    put16(out, 1);  // an icon, not a cursor
    put16(out, static_cast<int>(images.size()));
    qint64 offset = 6 + 16 * images.size();
    for (qsizetype i = 0; i < images.size(); ++i) {
        const int size = images[i].width();
        out.append(static_cast<char>(size >= 256 ? 0 : size));  // 0 stands for 256
        out.append(static_cast<char>(size >= 256 ? 0 : size));
        out.append('\0');  // no palette
        out.append('\0');
        put16(out, 1);
        put16(out, 32);
        put32(out, entries[i].size());
        put32(out, offset);
        offset += entries[i].size();
    }
    for (const QByteArray& entry : entries) out.append(entry);
    return out;
}

}  // namespace art
