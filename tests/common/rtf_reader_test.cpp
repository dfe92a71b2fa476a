#include "common/rtf_reader.h"

#include "common/errors.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <random>
#include <string>

namespace {

QString Render(const std::string& rtf) {
    QTextDocument doc;
    common::LoadRtfIntoDocument(rtf, doc);
    return doc.toPlainText();
}

// The character format at the first occurrence of `needle`.
QTextCharFormat FormatOf(const QTextDocument& doc, const QString& needle) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(needle)) return it.fragment().charFormat();
    ADD_FAILURE() << "text not found: " << needle.toStdString();
    return {};
}

const std::string kSample =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Serif;}{\\f1 Sans;}}"
    "{\\colortbl;\\red0\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
    "{\\info{\\title Hidden title}{\\author Nobody}}"
    "{\\*\\generator some writer;}\\viewkind4\\uc1\\pard\\qc\\b\\fs32 Heading\\b0\\fs24\\par"
    "\\pard Plain {\\i italic} and {\\ul under}\\ulnone  text.\\line next line\\par "
    "Caf\\'e9 \\u8364? euro {\\uc2\\u945 xx alpha} done\\tab tabbed\\par "
    "{\\pict\\wmetafile8 0123456789abcdef}{\\*\\unknown hidden}\\{braces\\}\\\\\\par}";

TEST(RtfReader, RendersTextFormattingAndSkipsTables) {
    QTextDocument doc;
    common::LoadRtfIntoDocument(kSample, doc);
    const QString text = doc.toPlainText();

    // Paragraphs become blocks, \line a line separator inside a block.
    QStringList lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) lines << b.text();
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], "Heading");
    EXPECT_EQ(lines[1], QString("Plain italic and under text.") + QChar(0x2028) + "next line");
    EXPECT_EQ(lines[2], QString::fromUtf8("Café € euro α alpha done\ttabbed"));
    EXPECT_EQ(lines[3], "{braces}\\");

    // Nothing of the skipped destinations leaks into the text.
    for (const char* hidden : {"Serif", "Normal", "Hidden", "Nobody", "writer", "0123", "hidden"})
        EXPECT_FALSE(text.contains(hidden)) << hidden;

    EXPECT_EQ(FormatOf(doc, "Heading").fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(FormatOf(doc, "Heading").fontPointSize(), 16.0);
    EXPECT_EQ(doc.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_TRUE(FormatOf(doc, "italic").fontItalic());
    EXPECT_FALSE(FormatOf(doc, "Plain").fontItalic());
    EXPECT_NE(FormatOf(doc, "Plain").fontWeight(), QFont::Bold);
    EXPECT_TRUE(FormatOf(doc, "under").fontUnderline());
    EXPECT_FALSE(FormatOf(doc, " text.").fontUnderline());
    // The group's end restores the formatting outside it.
    EXPECT_FALSE(FormatOf(doc, " and ").fontItalic());
}

TEST(RtfReader, UnicodeEscapesAndTheirFallbacks) {
    // Negative values stand for code points above 32767.
    EXPECT_EQ(Render("{\\rtf1 \\u-3913?}"), QString(QChar(char16_t(65536 - 3913))));
    // \uc0: no fallback characters follow.
    EXPECT_EQ(Render("{\\rtf1\\uc0 \\u228 b}"), QString::fromUtf8("äb"));
    // The fallback may be a hex escape; it counts as one character.
    EXPECT_EQ(Render("{\\rtf1\\uc1 \\u228\\'e4b}"), QString::fromUtf8("äb"));
    // A surrogate pair in two escapes; a lone half becomes a replacement.
    EXPECT_EQ(Render("{\\rtf1\\uc0 \\u-10179\\u-8704}"), QString::fromUtf8("\xF0\x9F\x98\x80"));
    EXPECT_EQ(Render("{\\rtf1\\uc0 \\u-10179 x}"), QString(QChar(0xFFFD)) + "x");
    // A group end stops the skipping of fallback characters.
    EXPECT_EQ(Render("{\\rtf1{\\uc3\\u228 a}bc}"), QString::fromUtf8("äbc"));
}

TEST(RtfReader, BrokenEscapesAndUnbalancedGroups) {
    EXPECT_EQ(Render("{\\rtf1 a\\'zzb"), "azzb");
    EXPECT_EQ(Render("{\\rtf1 a\\'4"), "a");
    EXPECT_EQ(Render("}}}{\\rtf1 text}}}"), "text");
    EXPECT_EQ(Render("{\\rtf1 \\b bold"), "bold");
    EXPECT_EQ(Render("\\"), "");
    EXPECT_EQ(Render(""), "");
    // A binary run is stepped over, also when it claims more than there is.
    EXPECT_EQ(Render("{\\rtf1 a\\bin3 {}}b}"), "ab");
    EXPECT_EQ(Render("{\\rtf1 a\\bin99999999999999999999 b}"), "a");
    // Huge numbers are limited, not overflowed.
    EXPECT_EQ(Render("{\\rtf1\\fs999999999999999999999 x\\u99999999999999999 y}"),
              QString("x") + QChar(0xFFFD));
}

TEST(RtfReader, DeepNestingKeepsBoundedStateAndBalance) {
    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i) deep += "{\\i ";
    deep += "inner";
    for (int i = 0; i < 100000; ++i) deep += "}";
    deep += " outer}";
    QTextDocument doc;
    common::LoadRtfIntoDocument(deep, doc);
    EXPECT_EQ(doc.toPlainText(), "inner outer");
    // The groups beyond the limit still close in pairs: "outer" is upright.
    EXPECT_TRUE(FormatOf(doc, "inner").fontItalic());
    EXPECT_FALSE(FormatOf(doc, "outer").fontItalic());
}

TEST(RtfReader, MissingFileReportsAndKeepsDocument) {
    QTextDocument doc;
    doc.setPlainText("RichEdit1");
    try {
        common::LoadRtfFile("/nonexistent/dir/V13.rtf", doc);
        FAIL() << "no error";
    } catch (const common::AppError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file /nonexistent/dir/V13.rtf");
    }
    EXPECT_EQ(doc.toPlainText(), "RichEdit1");
}

// Crafted files within any limit stay cheap to lay out: long words get
// invisible break points, and more than the size limit is not read.
TEST(RtfReader, LongWordsGetBreakPointsAndLongFilesAreCut) {
    const std::string word(1000, 'w');
    const QString text = Render("{\\rtf1\\fs400 " + word + "}");
    EXPECT_EQ(text.count(QChar(0x200B)), 1000 / common::kRtfMaxUnbrokenRun);
    EXPECT_EQ(QString(text).remove(QChar(0x200B)).toStdString(), word);
    EXPECT_EQ(Render("{\\rtf1 " + std::string(99, 'a') + " b}").count(QChar(0x200B)), 0);
    QTextDocument big;
    common::LoadRtfIntoDocument("{\\rtf1\\fs400 big}", big);
    EXPECT_EQ(FormatOf(big, "big").fontPointSize(), 48);  // a tall text lays out slowly

    const QString path = QDir::temp().filePath(QStringLiteral("rtf_reader_long.rtf"));
    for (const std::int64_t size : {common::kRtfMaxFileBytes, common::kRtfMaxFileBytes + 1}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("{\\rtf1 ") + QByteArray(size - 7, 'x'));
        file.close();
        QTextDocument doc;
        common::LoadRtfFile(path.toStdString(), doc);
        const bool cut = size > common::kRtfMaxFileBytes;
        EXPECT_EQ(doc.lastBlock().text() == common::kRtfCutMessage, cut) << size;
        EXPECT_FALSE(doc.isModified());
    }
    QFile::remove(path);
}

std::string ShippedFile(const char* name) {
    QFile f(QString(ARRHYTHMICA_SOURCE_DIR) + "/data/ecgtrace/" + name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

TEST(RtfReader, ShippedIntroductionsRenderWithoutMarkup) {
    for (const char* name : {"V13.rtf", "V13b.rtf"}) {
        const std::string rtf = ShippedFile(name);
        ASSERT_FALSE(rtf.empty()) << name;
        const QString text = Render(rtf);
        EXPECT_GT(text.size(), 300) << name;
        EXPECT_FALSE(text.contains('\\')) << name;
        EXPECT_FALSE(text.contains('{')) << name;
    }
}

// Random damage of valid files: every result must come back quickly and
// without a crash (the sanitizers watch memory and undefined behaviour).
TEST(RtfReader, SurvivesRandomlyMutatedAndTruncatedInput) {
    std::mt19937 rng(20261208);
    std::string runs = "{\\rtf1 ";
    for (int i = 0; i < 300; ++i) runs += "{\\b x}{\\i y}";
    std::vector<std::string> seeds = {kSample, ShippedFile("V13.rtf"), ShippedFile("V13b.rtf"),
                                      runs + "}"};
    const std::string alphabet = "{}\\'*uc0123456789-abfi ?\r\n\xe9\x80\xff";
    for (int round = 0; round < 1500; ++round) {
        std::string s = seeds[round % seeds.size()];
        if (s.empty()) continue;
        const int edits = 1 + static_cast<int>(rng() % 40);
        for (int e = 0; e < edits && !s.empty(); ++e) {
            const std::size_t at = rng() % s.size();
            switch (rng() % 4) {
                case 0:
                    s[at] = alphabet[rng() % alphabet.size()];
                    break;
                case 1:
                    s.insert(at, 1, alphabet[rng() % alphabet.size()]);
                    break;
                case 2:
                    s.erase(at, 1 + rng() % 8);
                    break;
                default:
                    s[at] = static_cast<char>(rng() % 256);
                    break;
            }
        }
        if (rng() % 3 == 0) s.resize(rng() % (s.size() + 1));
        QTextDocument doc;
        if (round % 2) doc.documentLayout();  // half of them laid out, as in a text box
        common::LoadRtfIntoDocument(s, doc);
        EXPECT_LE(doc.characterCount(), static_cast<int>(s.size()) + 2);
    }
}

// A document that is laid out, as in a text box: every run of formatted text
// must not lay the growing paragraph out again.
TEST(RtfReader, ManyShortRunsInOneLaidOutParagraphLoad) {
    std::string body;
    for (int i = 0; i < 10000; ++i) body += "{\\b x}{\\i y}";
    QTextDocument doc;
    doc.documentLayout();  // a text box's document always has one
    common::LoadRtfIntoDocument("{\\rtf1 " + body + "}", doc);
    EXPECT_EQ(doc.toPlainText().remove(QChar(0x200B)).size(),
              20000);  // one word, break points aside
    EXPECT_EQ(doc.blockCount(), 1);
    EXPECT_TRUE(FormatOf(doc, "x").fontWeight() == QFont::Bold);
}

TEST(RtfReader, ManyTinyRunsEscapesAndParagraphsAllLoad) {
    // Many tiny formatted runs and escapes: the worst mix for a slow reader.
    std::string body;
    for (int i = 0; i < 20000; ++i) body += "{\\b x}\\'e9\\u228?\\par ";
    QTextDocument doc;
    common::LoadRtfIntoDocument("{\\rtf1 " + body + "}", doc);
    EXPECT_EQ(doc.blockCount(), 20001);
}

}  // namespace
