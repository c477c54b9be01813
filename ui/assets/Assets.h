#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tastiva {

// Registers the embedded pictures (:/MainIcon.ico, :/KeyPicture.ico, :/notice.bmp).
// Linking ui_assets normally registers them already; calling this once before the first
// use guards against a linker that drops the resource object. Safe to call more than once.
void InitAssets();

// Decodes a one-image, 24-bit icon with its AND mask into an ARGB32 image whose masked
// pixels are transparent. Qt 6.4's icon reader ignores the mask of 16/24/32-bit icons and
// returns them fully opaque (the transparent ground comes out black), so load the .ico
// pictures through LoadMaskedIcon. Returns a null image for any other layout.
QImage DecodeMaskedIcon(const QByteArray& ico);

// Reads an icon file or resource, e.g. ":/KeyPicture.ico", through DecodeMaskedIcon.
QImage LoadMaskedIcon(const QString& path);

}  // namespace tastiva
