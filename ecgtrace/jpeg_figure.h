#pragma once
// Whole-image decoding of the book's JPEG figures with libjpeg. Every
// failure of the decoder comes back as an AppError; nothing ever ends the
// process.
#include <QImage>
#include <string>

namespace ecgtrace {

// Pictures above this many pixels are refused instead of decoded.
inline constexpr long long kMaxFigurePixels = 40'000'000;

// Decodes JPEG bytes; `name` is the file name used in messages.
QImage DecodeJpeg(const std::string& bytes, const std::string& name);

// Reads and decodes a file: "Cannot open file %s" when it cannot be read,
// the decoder's message (after the file name) when it is not a complete JPEG.
QImage DecodeJpegFile(const std::string& path);

}  // namespace ecgtrace
