#include "ecgtrace/jpeg_figure.h"

#include "common/errors.h"
#include "common/file_io.h"

#include <QApplication>
#include <QCoreApplication>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

namespace ecgtrace {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to DecodeInto, which then reports the failure normally. A
// warning about damaged data and a file of too many scans jump back as well,
// so such a picture costs no more work than it took to notice.
struct Decoding {
    jpeg_error_mgr errors;  // first member: libjpeg hands back its address
    jpeg_progress_mgr progress;
    const std::atomic<bool>* cancelled = nullptr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
    QImage image;
};

[[noreturn]] void ExitOnError(j_common_ptr info) {
    auto* d = reinterpret_cast<Decoding*>(info->err);
    (*info->err->format_message)(info, d->message);
    std::longjmp(d->jump, 1);
}

// Warnings that leave the picture data whole.
bool IsHarmlessWarning(int code) {
    return code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM ||
           code == JWRN_NOT_SEQUENTIAL;
}

void OnMessage(j_common_ptr info, int level) {
    if (level >= 0) return;  // trace messages
    if (IsHarmlessWarning(info->err->msg_code)) {
        ++info->err->num_warnings;
        return;
    }
    // Damaged or missing data: the rest of the picture would be made up.
    ExitOnError(info);
}

void OnProgress(j_common_ptr info) {
    if (!info->is_decompressor) return;
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    auto* d = reinterpret_cast<Decoding*>(info->err);
    if (d->cancelled && d->cancelled->load()) {
        std::snprintf(d->message, sizeof d->message, "Decoding cancelled");
        std::longjmp(d->jump, 1);
    }
    if (decompress->input_scan_number <= kMaxJpegScans) return;
    std::snprintf(d->message, sizeof d->message, "Too many scans (more than %d)", kMaxJpegScans);
    std::longjmp(d->jump, 1);
}

// The picture as RGB. CMYK files written with an Adobe marker hold inverted
// values (255 is no ink), as nearly all of them do.
void ConvertCmykRow(const JSAMPLE* cmyk, uchar* rgb, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const int k = inverted ? cmyk[3] : 255 - cmyk[3];
        for (int c = 0; c < 3; ++c) {
            const int ink = inverted ? cmyk[c] : 255 - cmyk[c];
            rgb[c] = static_cast<uchar>(ink * k / 255);
        }
    }
}

void Refuse(Decoding* d, jpeg_decompress_struct* info, const char* why) {
    std::snprintf(d->message, sizeof d->message, "%s", why);
    jpeg_destroy_decompress(info);
}

// Returns false with d->message set when decoding failed. No object with a
// destructor lives between setjmp and the calls that may jump; `cmykRow`
// is allocated from libjpeg's pool, freed with the decompressor.
bool DecodeInto(Decoding* d, const unsigned char* data, unsigned long size) {
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&d->errors);
    d->errors.error_exit = ExitOnError;
    d->errors.emit_message = OnMessage;
    if (setjmp(d->jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    d->progress.progress_monitor = OnProgress;
    info.progress = &d->progress;
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    const long long pixels = static_cast<long long>(info.image_width) * info.image_height;
    if (pixels <= 0 || pixels > kMaxFigurePixels) {
        std::snprintf(d->message, sizeof d->message, "Picture too large (%u x %u)",
                      static_cast<unsigned>(info.image_width),
                      static_cast<unsigned>(info.image_height));
        jpeg_destroy_decompress(&info);
        return false;
    }
    // What the decoder would keep besides the picture: every coefficient
    // of a progressive file, two bytes each, 64 per block.
    long long coefficientBytes = 0;
    if (info.progressive_mode || info.buffered_image)
        for (int c = 0; c < info.num_components; ++c)
            coefficientBytes += static_cast<long long>(info.comp_info[c].width_in_blocks + 1) *
                                (info.comp_info[c].height_in_blocks + 1) * 128;
    if (coefficientBytes > kMaxJpegDecoderBytes) {
        Refuse(d, &info, "Picture needs too much memory to decode");
        return false;
    }
    info.mem->max_memory_to_use = static_cast<long>(kMaxJpegDecoderBytes);
    jpeg_start_decompress(&info);
    if (info.output_components != (cmyk ? 4 : 3)) {
        Refuse(d, &info, "Unsupported JPEG colour format");
        return false;
    }
    d->image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                      QImage::Format_RGB888);
    if (d->image.isNull()) {
        Refuse(d, &info, "Not enough memory for the picture");
        return false;
    }
    JSAMPARRAY cmykRow = cmyk ? (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info),
                                                          JPOOL_IMAGE, info.output_width * 4, 1)
                              : nullptr;
    while (info.output_scanline < info.output_height) {
        uchar* line = d->image.scanLine(static_cast<int>(info.output_scanline));
        if (cmyk) {
            if (jpeg_read_scanlines(&info, cmykRow, 1) == 1)
                ConvertCmykRow(cmykRow[0], line, info.output_width, info.saw_Adobe_marker);
        } else {
            JSAMPROW row = line;
            jpeg_read_scanlines(&info, &row, 1);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

QImage DecodeJpeg(const std::string& bytes, const std::string& name,
                  const std::atomic<bool>* cancelled) {
    Decoding decoding;
    decoding.cancelled = cancelled;
    if (bytes.empty() ||
        !DecodeInto(&decoding, reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<unsigned long>(bytes.size()))) {
        const std::string why = bytes.empty() ? "Empty input file" : decoding.message;
        throw common::AppError(name + ": " + why);
    }
    return decoding.image;
}

QImage DecodeJpegFile(const std::string& path, const std::atomic<bool>* cancelled) {
    bool complete = false;
    const std::string bytes = common::ReadFileStart(path, kMaxFigureFileBytes, complete);
    if (!complete) throw common::AppError(path + ": Picture file too large");
    return DecodeJpeg(bytes, path, cancelled);
}

// --- decoding away from the window ---------------------------------------------------

FigureDecoder::FigureDecoder() : worker_([this] { Work(); }) {}

FigureDecoder::~FigureDecoder() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        cancelled_ = true;
    }
    wake_.notify_all();
    worker_.join();
    if (busy_) QApplication::restoreOverrideCursor();
}

void FigureDecoder::Request(const std::string& path, Shown shown, Failed failed) {
    current_ = Job{path, std::move(shown), std::move(failed)};
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending_ = {++generation_, path};
        posted_ = false;
        cancelled_ = true;  // the decoding running now is of no use any more
    }
    wake_.notify_all();
    if (!busy_) QApplication::setOverrideCursor(Qt::WaitCursor);
    busy_ = true;
}

void FigureDecoder::Work() {
    for (;;) {
        std::pair<std::uint64_t, std::string> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || pending_.has_value(); });
            if (stopping_) return;
            job = std::move(*pending_);
            pending_.reset();
            cancelled_ = false;
        }
        QImage image;
        std::string failure;
        try {
            image = DecodeJpegFile(job.second, &cancelled_);
        } catch (const std::exception& e) {
            failure = e.what();
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) return;
            if (job.first != generation_) continue;  // superseded: nobody waits for it
            posted_ = true;
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation = job.first, image, failure] { Deliver(generation, image, failure); },
            Qt::QueuedConnection);
        wake_.notify_all();
    }
}

void FigureDecoder::Deliver(std::uint64_t generation, const QImage& image,
                            const std::string& failure) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (generation != generation_) return;  // a newer request is on its way
        posted_ = false;
    }
    busy_ = false;
    QApplication::restoreOverrideCursor();
    Job job = std::move(*current_);
    current_.reset();
    if (failure.empty()) {
        job.shown(image);
    } else {
        job.failed(failure);
    }
}

bool FigureDecoder::WaitUntilDelivered(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (busy_) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!wake_.wait_until(lock, deadline, [this] { return posted_; })) return false;
        }
        QCoreApplication::sendPostedEvents(this);
    }
    return true;
}

}  // namespace ecgtrace
