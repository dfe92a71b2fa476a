#include "common/rtf_reader.h"

#include "common/errors.h"
#include "common/file_io.h"

#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace common {
namespace {

// Windows code page 1252 for the bytes 0x80..0x9F; the other bytes map to
// the same code points (Latin-1).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0xFFFD};

char16_t FromAnsi(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kCp1252High[byte - 0x80];
    return byte;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct GroupState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0;   // 0: the document's default size
    int unicodeSkip = 1;  // \ucN: fallback characters after \uN
    bool skip = false;    // inside a destination that is not rendered
    Qt::Alignment alignment = Qt::AlignLeft;
};

class RtfParser {
public:
    RtfParser(const std::string& rtf, QTextDocument& document) : in_(rtf), cursor_(&document) {}

    void Run() {
        stack_.reserve(64);
        // One edit for the whole text: the document is laid out once at its
        // end, not again after every run of text (which made loading quadratic).
        cursor_.beginEditBlock();
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            switch (c) {
                case '{':
                    OpenGroup();
                    break;
                case '}':
                    CloseGroup();
                    break;
                case '\\':
                    ControlSequence();
                    break;
                case '\r':
                case '\n':
                    break;  // line ends in the file carry no meaning
                default:
                    Text(FromAnsi(static_cast<unsigned char>(c)));
                    break;
            }
        }
        Flush();
        cursor_.endEditBlock();
    }

private:
    void OpenGroup() {
        fallbackLeft_ = 0;
        destinationPending_ = false;
        ignorablePending_ = false;
        if (static_cast<int>(stack_.size()) >= kRtfMaxGroupDepth) {
            ++overflowDepth_;
            return;
        }
        stack_.push_back(state_);
        destinationPending_ = true;  // the first control word may start a destination
    }

    void CloseGroup() {
        fallbackLeft_ = 0;
        destinationPending_ = false;
        ignorablePending_ = false;
        if (overflowDepth_ > 0) {
            --overflowDepth_;
            return;
        }
        if (stack_.empty()) return;  // unbalanced: ignore
        SetState(stack_.back());
        stack_.pop_back();
    }

    // Changes the formatting state, flushing pending text first.
    void SetState(const GroupState& next) {
        if (next.bold != state_.bold || next.italic != state_.italic ||
            next.underline != state_.underline || next.halfPoints != state_.halfPoints ||
            next.alignment != state_.alignment)
            Flush();
        state_ = next;
    }

    void ControlSequence() {
        if (pos_ >= in_.size()) return;
        const char c = in_[pos_];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            ControlWord();
            return;
        }
        ++pos_;
        const bool firstInGroup = destinationPending_;
        destinationPending_ = false;
        switch (c) {
            case '\\':
            case '{':
            case '}':
                Text(static_cast<char16_t>(c));
                break;
            case '~':
                Text(0x00A0);
                break;
            case '_':
                Text(0x2011);
                break;
            case '-':
                break;  // optional hyphen
            case '*':
                if (firstInGroup) ignorablePending_ = true;
                destinationPending_ = firstInGroup;
                break;
            case '\'': {
                const int hi = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
                const int lo = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
                if (hi < 0) break;  // a broken escape gives nothing
                if (lo < 0) {
                    ++pos_;
                    break;
                }
                pos_ += 2;
                Text(FromAnsi(static_cast<unsigned char>(hi * 16 + lo)));
                break;
            }
            case '\r':
            case '\n':
                Paragraph();
                break;
            default:
                break;
        }
    }

    void ControlWord() {
        std::string word;
        while (pos_ < in_.size()) {
            const char c = in_[pos_];
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) break;
            if (word.size() < 32) word.push_back(c);
            ++pos_;
        }
        bool hasParam = false;
        bool negative = false;
        std::int64_t param = 0;
        if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() &&
            in_[pos_ + 1] >= '0' && in_[pos_ + 1] <= '9') {
            negative = true;
            ++pos_;
        }
        while (pos_ < in_.size() && in_[pos_] >= '0' && in_[pos_] <= '9') {
            hasParam = true;
            if (param < 100000000000LL) param = param * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        if (negative) param = -param;
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;

        const bool firstInGroup = destinationPending_;
        destinationPending_ = false;
        const bool ignorable = ignorablePending_;
        ignorablePending_ = false;

        if (word == "bin") {
            // Binary data: the parameter counts raw bytes to step over.
            const std::int64_t left = static_cast<std::int64_t>(in_.size() - pos_);
            pos_ += static_cast<std::size_t>(std::clamp<std::int64_t>(param, 0, left));
            return;
        }
        if (firstInGroup && (ignorable || IsSkippedDestination(word))) {
            if (!state_.skip) Flush();
            state_.skip = true;
            return;
        }
        if (state_.skip) return;

        if (fallbackLeft_ > 0 && word != "u") {
            --fallbackLeft_;  // a control word standing in as fallback text
            return;
        }
        Apply(word, hasParam, param);
    }

    static bool IsSkippedDestination(const std::string& w) {
        static const char* const kSkipped[] = {"fonttbl",
                                               "colortbl",
                                               "stylesheet",
                                               "info",
                                               "pict",
                                               "header",
                                               "headerl",
                                               "headerr",
                                               "headerf",
                                               "footer",
                                               "footerl",
                                               "footerr",
                                               "footerf",
                                               "footnote",
                                               "object",
                                               "fldinst",
                                               "listtable",
                                               "listoverridetable",
                                               "rsidtbl",
                                               "generator",
                                               "xmlnstbl",
                                               "themedata",
                                               "colorschememapping",
                                               "datastore",
                                               "latentstyles",
                                               "filetbl",
                                               "revtbl",
                                               "pgdsctbl",
                                               "nonshppict",
                                               "shppict",
                                               "shp",
                                               "annotation",
                                               "atnid",
                                               "atnauthor",
                                               "comment",
                                               "title",
                                               "subject",
                                               "author",
                                               "operator",
                                               "keywords",
                                               "doccomm",
                                               "template",
                                               "bkmkstart",
                                               "bkmkend",
                                               "txe",
                                               "xe",
                                               "tc",
                                               "private",
                                               "objdata",
                                               "result",
                                               "userprops",
                                               "mmathPr",
                                               "pnseclvl",
                                               "pntext",
                                               "pntxta",
                                               "pntxtb",
                                               "listtext"};
        for (const char* s : kSkipped)
            if (w == s) return true;
        return false;
    }

    void Apply(const std::string& w, bool hasParam, std::int64_t param) {
        GroupState next = state_;
        const bool on = !hasParam || param != 0;
        if (w == "par" || w == "sect" || w == "page" || w == "row") {
            Paragraph();
        } else if (w == "line") {
            Text(0x2028);
        } else if (w == "tab" || w == "cell") {
            Text(u'\t');
        } else if (w == "b") {
            next.bold = on;
        } else if (w == "i") {
            next.italic = on;
        } else if (w == "ul") {
            next.underline = on;
        } else if (w == "ulnone") {
            next.underline = false;
        } else if (w == "fs") {
            // Half points, at most 48 points: larger letters make a long
            // text so tall that laying it out no longer ends in time.
            next.halfPoints =
                hasParam
                    ? static_cast<int>(std::clamp<std::int64_t>(param, 2, kRtfMaxFontHalfPoints))
                    : 24;
        } else if (w == "plain") {
            next.bold = next.italic = next.underline = false;
            next.halfPoints = 0;
        } else if (w == "pard") {
            next.alignment = Qt::AlignLeft;
        } else if (w == "ql") {
            next.alignment = Qt::AlignLeft;
        } else if (w == "qc") {
            next.alignment = Qt::AlignHCenter;
        } else if (w == "qr") {
            next.alignment = Qt::AlignRight;
        } else if (w == "qj") {
            next.alignment = Qt::AlignJustify;
        } else if (w == "uc") {
            next.unicodeSkip = static_cast<int>(std::clamp<std::int64_t>(param, 0, 16));
        } else if (w == "u") {
            std::int64_t code = param;
            if (code < 0) code += 65536;
            if (code < 0 || code > 0xFFFF) code = 0xFFFD;
            Text(static_cast<char16_t>(code), /*countsAsFallback=*/false);
            fallbackLeft_ = state_.unicodeSkip;
        } else if (w == "emdash") {
            Text(0x2014);
        } else if (w == "endash") {
            Text(0x2013);
        } else if (w == "bullet") {
            Text(0x2022);
        } else if (w == "lquote") {
            Text(0x2018);
        } else if (w == "rquote") {
            Text(0x2019);
        } else if (w == "ldblquote") {
            Text(0x201C);
        } else if (w == "rdblquote") {
            Text(0x201D);
        } else if (w == "emspace" || w == "enspace" || w == "qmspace") {
            Text(u' ');
        }
        SetState(next);
    }

    void Text(char16_t ch, bool countsAsFallback = true) {
        destinationPending_ = false;
        if (state_.skip) return;
        if (countsAsFallback && fallbackLeft_ > 0) {
            --fallbackLeft_;
            return;
        }
        // Surrogate pairs arrive as two \u escapes; a half without its
        // partner is replaced so the document never holds broken text.
        if (QChar::isHighSurrogate(ch)) {
            if (pendingHigh_) buffer_.append(QChar(0xFFFD));
            pendingHigh_ = ch;
            return;
        }
        if (pendingHigh_) {
            if (QChar::isLowSurrogate(ch)) {
                buffer_.append(QChar(pendingHigh_));
                buffer_.append(QChar(ch));
                pendingHigh_ = 0;
                CountTowardsUnbrokenRun(ch);
                return;
            }
            buffer_.append(QChar(0xFFFD));
            pendingHigh_ = 0;
        }
        if (QChar::isLowSurrogate(ch)) ch = 0xFFFD;
        if (ch == 0) return;
        buffer_.append(QChar(ch));
        CountTowardsUnbrokenRun(ch);
    }

    // Laying out a run that offers no line break costs time growing with the
    // square of its length; a zero-width space every so many characters
    // gives it break points without changing how the text looks.
    void CountTowardsUnbrokenRun(char16_t ch) {
        if (ch == u' ' || ch == u'\t' || ch == u'-' || ch == 0x2028 || ch == 0x200B) {
            unbrokenRun_ = 0;
        } else if (++unbrokenRun_ >= kRtfMaxUnbrokenRun) {
            buffer_.append(QChar(0x200B));
            unbrokenRun_ = 0;
        }
    }

    void Paragraph() {
        if (state_.skip) return;
        fallbackLeft_ = 0;
        Flush();
        FormatBlock();
        cursor_.insertBlock();
        unbrokenRun_ = 0;
        blockFormatted_ = false;
    }

    // The alignment of a paragraph is the one in force at its first text.
    void FormatBlock() {
        if (blockFormatted_) return;
        QTextBlockFormat block = cursor_.blockFormat();
        block.setAlignment(state_.alignment);
        cursor_.setBlockFormat(block);
        blockFormatted_ = true;
    }

    void Flush() {
        if (pendingHigh_) {
            buffer_.append(QChar(0xFFFD));
            pendingHigh_ = 0;
        }
        if (buffer_.isEmpty()) return;
        FormatBlock();
        QTextCharFormat format;
        format.setFontWeight(state_.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(state_.italic);
        format.setFontUnderline(state_.underline);
        if (state_.halfPoints > 0) format.setFontPointSize(state_.halfPoints / 2.0);
        cursor_.insertText(buffer_, format);
        buffer_.clear();
    }

    const std::string& in_;
    std::size_t pos_ = 0;
    QTextCursor cursor_;
    GroupState state_;
    std::vector<GroupState> stack_;
    int overflowDepth_ = 0;
    int fallbackLeft_ = 0;
    bool destinationPending_ = false;
    bool ignorablePending_ = false;
    bool blockFormatted_ = false;
    char16_t pendingHigh_ = 0;
    int unbrokenRun_ = 0;
    QString buffer_;
};

}  // namespace

void LoadRtfIntoDocument(const std::string& rtf, QTextDocument& document) {
    // Loading is not an edit: it must not fill the document's undo history.
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    RtfParser parser(rtf, document);
    parser.Run();
    document.setUndoRedoEnabled(undo);
    document.setModified(false);
}

void LoadRtfFile(const std::string& path, QTextDocument& document) {
    bool complete = true;
    const std::string rtf = ReadFileStart(path, kRtfMaxFileBytes, complete);
    LoadRtfIntoDocument(rtf, document);
    if (complete) return;
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock();
    cursor.insertText(QString::fromLatin1(kRtfCutMessage), QTextCharFormat());
    document.setModified(false);
}

}  // namespace common
