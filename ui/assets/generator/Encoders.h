#pragma once

// The file formats make_assets writes its pictures in.

#include <QByteArray>
#include <QImage>

#include <vector>

namespace tastiva::make_assets {

// Windows icon: one 24-bit image with its AND mask, laid out as ui/assets/IcoLayout.h says.
QByteArray EncodeIco(const QImage& image);

// Uncompressed 24-bit BMP, bottom-up, with the header values the program's loader expects.
QByteArray EncodeBmp(const QImage& image);

QByteArray EncodePng(const QImage& image);

// Windows icon holding every image given, each as a PNG (as Windows reads icons since Vista),
// for the program file: Explorer and the Start menu take the size they show.
QByteArray EncodeIcoSet(const std::vector<QImage>& images);

// macOS icon holding the 128 px image (ic07) and the 256 px one (ic08) as PNGs.
QByteArray EncodeIcns(const QImage& image128, const QImage& image256);

}  // namespace tastiva::make_assets
