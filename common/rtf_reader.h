#pragma once
// A small reader for rich text (RTF) files: paragraphs, line breaks, tabs,
// bold, italic, underline, font size, paragraph alignment and the character
// escapes. Tables of fonts, colours, styles, pictures and every other
// destination it does not render are skipped. Any input is accepted: broken
// files give whatever text could be recovered, in time linear in the input
// and with bounded memory for the group nesting.
#include <string>

class QTextDocument;

namespace common {

// Groups nested deeper than this share the state of the deepest one.
inline constexpr int kRtfMaxGroupDepth = 200;

// Replaces the content of `document` with the rendered `rtf`.
void LoadRtfIntoDocument(const std::string& rtf, QTextDocument& document);

// Reads the file at `path` into `document`; throws AppError("Cannot open file
// %s") when it cannot be read, leaving `document` as it was.
void LoadRtfFile(const std::string& path, QTextDocument& document);

}  // namespace common
