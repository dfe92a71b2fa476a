#pragma once
// The introduction of a window: a rich text (RTF) file shown in a text view.
#include <string>

class QTextEdit;

namespace common::ui {

// Reads the file at `path` into `view` in the view's own font, with the
// reader's position at the top. Throws AppError("Cannot open file %s") when
// the file cannot be read, leaving the text shown before.
void LoadIntroduction(QTextEdit& view, const std::string& path);

}  // namespace common::ui
