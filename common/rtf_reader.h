#pragma once
// A small reader for rich text (RTF) files: paragraphs, line breaks, tabs,
// bold, italic, underline, font size, paragraph alignment and the character
// escapes. Tables of fonts, colours, styles, pictures and every other
// destination it does not render are skipped. Any input is accepted: broken
// files give whatever text could be recovered, in time linear in the input
// and with bounded memory for the group nesting.
#include <cstdint>
#include <string>

class QTextDocument;

namespace common {

// Groups nested deeper than this share the state of the deepest one.
inline constexpr int kRtfMaxGroupDepth = 200;
// A run of text without a break point gets one (a zero-width space) after
// this many characters, which keeps laying it out fast.
inline constexpr int kRtfMaxUnbrokenRun = 100;
// Larger font sizes are brought down to this (48 points).
inline constexpr int kRtfMaxFontHalfPoints = 96;
// More of a file is not read: far beyond any introduction, small enough to be
// laid out at once. A longer file ends with kRtfCutMessage.
inline constexpr std::int64_t kRtfMaxFileBytes = 256 * 1024;
inline constexpr const char* kRtfCutMessage =
    "[The rest of this text is not shown: the file is longer than 256 KB.]";

// Replaces the content of `document` with the rendered `rtf`.
void LoadRtfIntoDocument(const std::string& rtf, QTextDocument& document);

// Reads the file at `path` (its first kRtfMaxFileBytes) into `document`;
// throws AppError("Cannot open file %s") when it cannot be read, leaving
// `document` as it was.
void LoadRtfFile(const std::string& path, QTextDocument& document);

}  // namespace common
