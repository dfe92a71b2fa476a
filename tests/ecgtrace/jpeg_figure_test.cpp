// Decoding of the book's figures: what is shown, what is refused, and that
// no file costs more than a bounded amount of work.
#include "ecgtrace/jpeg_figure.h"

#include "common/errors.h"
#include "support/jpeg_maker.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>
#include <QFile>
#include <cstdlib>

namespace {

using testing_support::JpegRecipe;
using testing_support::MakeJpeg;

std::string RefusalOf(const std::string& bytes) {
    try {
        ecgtrace::DecodeJpeg(bytes, "x.jpg");
    } catch (const common::AppError& e) {
        return e.what();
    }
    return "shown";
}

// Red on the left, blue on the right, as every made picture is.
void ExpectRedAndBlue(const QImage& image) {
    ASSERT_FALSE(image.isNull());
    const int y = image.height() / 2;
    const QRgb left = image.pixel(image.width() / 4, y);
    const QRgb right = image.pixel(image.width() * 3 / 4, y);
    EXPECT_GT(qRed(left), 230);
    EXPECT_LT(qGreen(left), 30);
    EXPECT_LT(qBlue(left), 30);
    EXPECT_LT(qRed(right), 30);
    EXPECT_LT(qGreen(right), 30);
    EXPECT_GT(qBlue(right), 230);
}

// Random damage to a valid JPEG never crashes the decoder nor ends the
// process; every failure is an ordinary error.
TEST(JpegFigure, DamagedInputsFailCleanly) {
    for (const int scans : {0, 20}) {
        JpegRecipe recipe;
        recipe.width = 40;
        recipe.height = 30;
        recipe.scans = scans;
        const std::string good = MakeJpeg(recipe);
        EXPECT_EQ(ecgtrace::DecodeJpeg(good, "x.jpg").size(), QSize(40, 30));
        EXPECT_THROW(ecgtrace::DecodeJpeg("", "x.jpg"), common::AppError);
        std::srand(7);
        int failures = 0;
        for (int round = 0; round < 300; ++round) {
            std::string s = good;
            const int edits = 1 + std::rand() % 20;
            for (int e = 0; e < edits; ++e)
                s[std::rand() % s.size()] = static_cast<char>(std::rand() % 256);
            if (round % 3 == 0) s.resize(std::rand() % s.size());
            try {
                ecgtrace::DecodeJpeg(s, "x.jpg");
            } catch (const common::AppError&) {
                ++failures;
            }
        }
        EXPECT_GT(failures, 50);
    }
}

TEST(JpegFigure, OversizedPictureRefusedBeforeDecoding) {
    // A header claiming 60000 x 60000 pixels (SOF0 patched), no real data.
    std::string s = MakeJpeg(16, 16);
    const size_t sof = s.find("\xFF\xC0", 0, 2);
    ASSERT_NE(sof, std::string::npos);
    s[sof + 5] = '\xEA';
    s[sof + 6] = '\x60';
    s[sof + 7] = '\xEA';
    s[sof + 8] = '\x60';
    EXPECT_NE(RefusalOf(s).find("too large"), std::string::npos) << RefusalOf(s);
}

// A tiny progressive file may claim a picture whose coefficients alone
// need hundreds of megabytes: refused before decoding. So is any decoding
// whose request was cancelled.
TEST(JpegFigure, ProgressiveFileNeedingTooMuchMemoryAndCancelledDecodingRefused) {
    JpegRecipe recipe;
    recipe.scans = 10;
    std::string s = MakeJpeg(recipe);
    const size_t sof = s.find("\xFF\xC2", 0, 2);
    ASSERT_NE(sof, std::string::npos);
    s[sof + 5] = '\x17';  // 6000 x 6000: 36 M pixels, within the pixel limit
    s[sof + 6] = '\x70';
    s[sof + 7] = '\x17';
    s[sof + 8] = '\x70';
    EXPECT_EQ(RefusalOf(s), "x.jpg: Picture needs too much memory to decode");

    const std::atomic<bool> cancelled{true};
    try {
        ecgtrace::DecodeJpeg(MakeJpeg(64, 48), "x.jpg", &cancelled);
        FAIL() << "decoded";
    } catch (const common::AppError& e) {
        EXPECT_STREQ(e.what(), "x.jpg: Decoding cancelled");
    }
}

// Stray bytes between two markers make libjpeg warn, but every picture
// byte is intact: the figure is shown. Damaged picture data is refused.
TEST(JpegFigure, HarmlessWarningsShowDamagedDataRefuses) {
    const std::string good = MakeJpeg(64, 48);
    std::string stray = good;
    const size_t dqt = stray.find("\xFF\xDB", 0, 2);
    ASSERT_NE(dqt, std::string::npos);
    stray.insert(dqt, "\x12\x34\x56");
    ExpectRedAndBlue(ecgtrace::DecodeJpeg(stray, "x.jpg"));

    // An unknown JFIF major revision (APP0 version byte) is only a warning too.
    std::string revision = good;
    const size_t jfif = revision.find("JFIF");
    ASSERT_NE(jfif, std::string::npos);
    revision[jfif + 5] = 2;
    ExpectRedAndBlue(ecgtrace::DecodeJpeg(revision, "x.jpg"));

    // The picture data cut short: the rest would be made up.
    const std::string cut = good.substr(0, good.size() - 40);
    EXPECT_EQ(RefusalOf(cut), "x.jpg: Premature end of JPEG file");
    // A marker in the middle of the picture data.
    std::string marker = good;
    const size_t sos = marker.find("\xFF\xDA", 0, 2);
    ASSERT_NE(sos, std::string::npos);
    const size_t middle = sos + (marker.size() - sos) / 2;
    marker[middle] = '\xFF';
    marker[middle + 1] = '\xD4';  // RST4 where no restart belongs
    EXPECT_NE(RefusalOf(marker).find("Corrupt JPEG data"), std::string::npos) << RefusalOf(marker);
}

TEST(JpegFigure, CmykAndYcckShownInColour) {
    JpegRecipe recipe;
    recipe.cmyk = true;
    ExpectRedAndBlue(ecgtrace::DecodeJpeg(MakeJpeg(recipe), "x.jpg"));
    recipe.cmyk = false;
    recipe.ycck = true;
    ExpectRedAndBlue(ecgtrace::DecodeJpeg(MakeJpeg(recipe), "x.jpg"));
}

// Each scan of a progressive file passes over the whole picture: a file of
// many scans is refused once the limit is passed, not after all of them.
TEST(JpegFigure, ProgressiveFilesOfTooManyScansRefused) {
    JpegRecipe recipe;
    recipe.width = 400;
    recipe.height = 250;
    recipe.scans = ecgtrace::kMaxJpegScans;
    ExpectRedAndBlue(ecgtrace::DecodeJpeg(MakeJpeg(recipe), "x.jpg"));

    recipe.scans = ecgtrace::kMaxJpegScans + 1;
    EXPECT_EQ(RefusalOf(MakeJpeg(recipe)), "x.jpg: Too many scans (more than 24)");

    recipe.scans = 1800;
    EXPECT_EQ(RefusalOf(MakeJpeg(recipe)), "x.jpg: Too many scans (more than 24)");
}

TEST(JpegFigure, HugeFileRefusedUnread) {
    testing_support::ScopedWorkDir dir;
    QFile file("Fig4-3.jpg");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const std::string good = MakeJpeg(64, 48);
    file.write(good.data(), static_cast<qint64>(good.size()));
    ASSERT_TRUE(file.resize(ecgtrace::kMaxFigureFileBytes + 1));  // sparse: costs no disk
    file.close();
    try {
        ecgtrace::DecodeJpegFile("Fig4-3.jpg");
        FAIL() << "shown";
    } catch (const common::AppError& e) {
        EXPECT_STREQ(e.what(), "Fig4-3.jpg: Picture file too large");
    }
    ASSERT_TRUE(QFile::resize("Fig4-3.jpg", ecgtrace::kMaxFigureFileBytes));
    ExpectRedAndBlue(ecgtrace::DecodeJpegFile("Fig4-3.jpg"));  // bytes after EOI are ignored
}

}  // namespace
