#include "common/ui/introduction_text.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "common/rtf_reader.h"

namespace common::ui {

void LoadIntroduction(QTextEdit& view, const std::string& path) {
    // Read into the view's own document: the text is replaced only when the
    // file could be read.
    QTextDocument* document = view.document();
    document->setDefaultFont(view.font());
    common::LoadRtfFile(path, *document);
    // The caret followed the inserted text to its end; the reader starts at the top.
    view.moveCursor(QTextCursor::Start);
}

}  // namespace common::ui
