#pragma once
// Whole-image decoding of the book's JPEG figures with libjpeg. Every
// failure of the decoder comes back as an AppError; nothing ever ends the
// process, and no file costs more than a bounded amount of time and memory.
#include <QImage>
#include <cstdint>
#include <string>

namespace ecgtrace {

// Pictures above this many pixels are refused instead of decoded.
inline constexpr long long kMaxFigurePixels = 40'000'000;
// Progressive files of more scans are refused: every scan passes over the
// whole picture again; encoders write 10 to 18 (four colour components).
inline constexpr int kMaxJpegScans = 24;
// Figure files above this size are refused unread.
inline constexpr std::int64_t kMaxFigureFileBytes = 64 * 1024 * 1024;

// Decodes JPEG bytes; `name` is the file name used in messages. Grey,
// colour and CMYK (also YCCK) pictures come back as RGB. Harmless warnings
// of the decoder (stray bytes between markers, an unknown JFIF revision)
// are ignored; errors and damaged picture data refuse the picture.
QImage DecodeJpeg(const std::string& bytes, const std::string& name);

// Reads and decodes a file: "Cannot open file %s" when it cannot be read,
// the decoder's message (after the file name) when it is not a complete JPEG.
QImage DecodeJpegFile(const std::string& path);

}  // namespace ecgtrace
