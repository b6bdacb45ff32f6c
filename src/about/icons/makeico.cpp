// Regenerates mirka.ico (the Windows resource icon) from mirka.svg, so both
// always show the same picture: mirka_makeico <svg> <ico>.
// Every size is stored as a PNG entry, which Windows reads since Vista.
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QtEndian>
#include <cstdio>

static QByteArray renderPng(QSvgRenderer &svg, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    svg.render(&p);
    p.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

template <typename T> static void put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: mirka_makeico <svg> <ico>\n");
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QList<int> sizes{16, 24, 32, 48, 64, 256};
    QList<QByteArray> images;
    for (int size : sizes)
        images << renderPng(svg, size);

    QByteArray ico;
    put<quint16>(ico, 0); // reserved
    put<quint16>(ico, 1); // icon
    put<quint16>(ico, quint16(sizes.size()));
    quint32 offset = 6 + 16 * quint32(sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const quint8 side = sizes[i] >= 256 ? 0 : quint8(sizes[i]); // 0 means 256
        ico.append(char(side)).append(char(side)).append('\0').append('\0');
        put<quint16>(ico, 1);  // colour planes
        put<quint16>(ico, 32); // bits per pixel
        put<quint32>(ico, quint32(images[i].size()));
        put<quint32>(ico, offset);
        offset += quint32(images[i].size());
    }
    for (const QByteArray &png : images)
        ico += png;

    QSaveFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(ico) != ico.size() || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
