#pragma once

// The byte layout of the icons make_assets writes and DecodeMaskedIcon reads: the directory,
// its one entry, then a BITMAPINFOHEADER, the 24-bit colour rows and the 1-bit AND mask rows.
// Both bitmaps are stored bottom row first, each row padded to 4 bytes; every field is
// little-endian. BitmapInfo and RowBytes are also the layout of a 24-bit .bmp.

#include <QByteArray>
#include <QColor>

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace tastiva::ico {

// ICONDIR. The defaults are the only values written or accepted.
struct Dir {
  std::uint16_t reserved = 0;
  std::uint16_t type = 1;  // icon, not cursor
  std::uint16_t count = 1;

  bool operator==(const Dir&) const = default;

  template <class Self, class F>
  static constexpr void Fields(Self& s, F&& f) {
    f(s.reserved);
    f(s.type);
    f(s.count);
  }
};

// ICONDIRENTRY.
struct DirEntry {
  std::uint8_t width = 0;  // 0 stands for 256
  std::uint8_t height = 0;
  std::uint8_t colours = 0;  // no palette
  std::uint8_t reserved = 0;
  std::uint16_t planes = 1;
  std::uint16_t bits = 24;
  std::uint32_t bytes = 0;   // from the BITMAPINFOHEADER to the end of the mask
  std::uint32_t offset = 0;  // of the BITMAPINFOHEADER

  template <class Self, class F>
  static constexpr void Fields(Self& s, F&& f) {
    f(s.width);
    f(s.height);
    f(s.colours);
    f(s.reserved);
    f(s.planes);
    f(s.bits);
    f(s.bytes);
    f(s.offset);
  }
};

// BITMAPINFOHEADER. In an icon the height counts the colour rows and the mask rows.
struct BitmapInfo {
  std::uint32_t size = 40;
  std::int32_t width = 0;
  std::int32_t height = 0;  // positive: bottom row first
  std::uint16_t planes = 1;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;  // none
  std::uint32_t image_size = 0;
  std::int32_t x_pixels_per_metre = 0;
  std::int32_t y_pixels_per_metre = 0;
  std::uint32_t colours_used = 0;
  std::uint32_t colours_important = 0;

  template <class Self, class F>
  static constexpr void Fields(Self& s, F&& f) {
    f(s.size);
    f(s.width);
    f(s.height);
    f(s.planes);
    f(s.bits);
    f(s.compression);
    f(s.image_size);
    f(s.x_pixels_per_metre);
    f(s.y_pixels_per_metre);
    f(s.colours_used);
    f(s.colours_important);
  }
};

// Bytes a header takes in the file.
template <class T>
constexpr qsizetype SizeOf() {
  qsizetype n = 0;
  T header{};
  T::Fields(header, [&n](const auto& field) { n += sizeof field; });
  return n;
}

static_assert(SizeOf<Dir>() == 6 && SizeOf<DirEntry>() == 16 && SizeOf<BitmapInfo>() == 40);
static_assert(BitmapInfo{}.size == SizeOf<BitmapInfo>());

template <class T>
void Put(QByteArray& out, const T& header) {
  T::Fields(header, [&out](auto field) {
    const auto bits = static_cast<std::make_unsigned_t<decltype(field)>>(field);
    for (std::size_t i = 0; i < sizeof field; ++i) {
      out.append(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
  });
}

// Reads the header that starts at `at`; false if the data ends before it does.
template <class T>
bool Get(const QByteArray& in, qsizetype at, T& header) {
  if (at < 0 || at > in.size() - SizeOf<T>()) return false;
  T::Fields(header, [&in, &at](auto& field) {
    using Field = std::remove_reference_t<decltype(field)>;
    std::make_unsigned_t<Field> bits = 0;
    for (auto i = static_cast<qsizetype>(sizeof field); i-- > 0;) {
      bits = static_cast<decltype(bits)>(bits << 8 | static_cast<std::uint8_t>(in[at + i]));
    }
    field = static_cast<Field>(bits);
    at += static_cast<qsizetype>(sizeof field);
  });
  return true;
}

// The image data follows the single directory entry.
inline constexpr qsizetype kImageOffset = SizeOf<Dir>() + SizeOf<DirEntry>();
inline constexpr int kMaxSide = 256;

// The BITMAPINFOHEADER height of an icon `side` pixels high.
constexpr std::int32_t InfoHeight(int side) {
  return 2 * side;
}

constexpr int Padded4(int bytes) {
  return (bytes + 3) / 4 * 4;
}

inline constexpr int kPixelBytes = BitmapInfo{}.bits / 8;

// Bytes in a row of pixels, padding included.
constexpr int RowBytes(int width) {
  return Padded4(width * kPixelBytes);
}

// Bytes in a row of the AND mask, padding included.
constexpr int MaskRowBytes(int width) {
  return Padded4((width + 7) / 8);
}

// The stored row of image line y, and the image line of stored row y.
constexpr int StoredRow(int y, int height) {
  return height - 1 - y;
}

// The mask bit of column x in its row; set means transparent.
constexpr int MaskByte(int x) {
  return x / 8;
}
constexpr std::uint8_t MaskBit(int x) {
  return static_cast<std::uint8_t>(0x80 >> (x % 8));
}

// A pixel is stored blue, green, red.
inline void StorePixel(char* at, QRgb colour) {
  at[0] = static_cast<char>(qBlue(colour));
  at[1] = static_cast<char>(qGreen(colour));
  at[2] = static_cast<char>(qRed(colour));
}
inline QRgb LoadPixel(const char* at) {
  const auto* bgr = reinterpret_cast<const std::uint8_t*>(at);
  return qRgb(bgr[2], bgr[1], bgr[0]);
}

// Where the parts of a width x height icon image lie when its BITMAPINFOHEADER starts at `info`.
struct ImageLayout {
  int row;       // bytes per colour row
  int mask_row;  // bytes per mask row
  qsizetype info;
  qsizetype colours;
  qsizetype mask;
  qsizetype end;
};

constexpr ImageLayout LayOut(int width, int height, qsizetype info = kImageOffset) {
  const int row = RowBytes(width);
  const int mask_row = MaskRowBytes(width);
  const qsizetype colours = info + SizeOf<BitmapInfo>();
  const qsizetype mask = colours + qsizetype{row} * height;
  return {row, mask_row, info, colours, mask, mask + qsizetype{mask_row} * height};
}

}  // namespace tastiva::ico
