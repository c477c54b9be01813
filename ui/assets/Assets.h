#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QString>

namespace tastiva {

// Registers the embedded pictures (:/MainIcon.ico, :/KeyPicture.ico, :/notice.bmp, the main
// icon's sizes).
// Linking ui_assets normally registers them already; calling this once before the first
// use guards against a linker that drops the resource object. Safe to call more than once.
void InitAssets();

// Decodes a one-image, 24-bit icon with its AND mask into an ARGB32 image whose masked
// pixels are transparent. Qt 6.4's icon reader ignores the mask of 16/24/32-bit icons and
// returns them fully opaque (the transparent ground comes out black), so load the .ico
// pictures through LoadMaskedIcon. Returns a null image for any other layout.
QImage DecodeMaskedIcon(const QByteArray& ico);

// The main icon of size x size pixels as the window carries it, null for a size not drawn:
// the same picture as :/MainIcon-<size>.png, stored raw so that the window, which maps only
// after its icon is set, need not decode PNGs.
QImage MainIconImage(int size);

// The window's icon in every size drawn for it up to largest, so title bars, task bars and
// switchers need not scale. Needs the application object.
QIcon MainWindowIcon(int largest = 256);

// Reads an icon file or resource, e.g. ":/KeyPicture.ico", through DecodeMaskedIcon.
QImage LoadMaskedIcon(const QString& path);

}  // namespace tastiva
