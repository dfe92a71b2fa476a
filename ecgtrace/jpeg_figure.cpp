#include "ecgtrace/jpeg_figure.h"

#include "common/errors.h"
#include "common/file_io.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace ecgtrace {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to DecodeInto, which then reports the failure normally.
struct Decoding {
    jpeg_error_mgr errors;  // first member: libjpeg hands back its address
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
    bool warned = false;
    QImage image;
};

void ExitOnError(j_common_ptr info) {
    auto* d = reinterpret_cast<Decoding*>(info->err);
    (*info->err->format_message)(info, d->message);
    std::longjmp(d->jump, 1);
}

void RecordMessage(j_common_ptr info, int level) {
    // Warnings (level -1) mean damaged or truncated data: the picture would
    // be partly made up, so it is refused after decoding.
    if (level >= 0) return;
    auto* d = reinterpret_cast<Decoding*>(info->err);
    if (!d->warned) {
        (*info->err->format_message)(info, d->message);
        d->warned = true;
    }
}

// Returns false with d->message set when decoding failed. No object with a
// destructor lives between setjmp and the calls that may jump.
bool DecodeInto(Decoding* d, const unsigned char* data, unsigned long size) {
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&d->errors);
    d->errors.error_exit = ExitOnError;
    d->errors.emit_message = RecordMessage;
    if (setjmp(d->jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    const long long pixels = static_cast<long long>(info.image_width) * info.image_height;
    if (pixels <= 0 || pixels > kMaxFigurePixels) {
        std::snprintf(d->message, sizeof d->message, "Picture too large (%u x %u)",
                      static_cast<unsigned>(info.image_width), static_cast<unsigned>(info.image_height));
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        std::snprintf(d->message, sizeof d->message, "Unsupported JPEG colour format");
        jpeg_destroy_decompress(&info);
        return false;
    }
    d->image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                      QImage::Format_RGB888);
    if (d->image.isNull()) {
        std::snprintf(d->message, sizeof d->message, "Not enough memory for the picture");
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = d->image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return !d->warned;
}

}  // namespace

QImage DecodeJpeg(const std::string& bytes, const std::string& name) {
    Decoding decoding;
    if (bytes.empty() ||
        !DecodeInto(&decoding, reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<unsigned long>(bytes.size()))) {
        const std::string why = bytes.empty() ? "Empty input file" : decoding.message;
        throw common::AppError(name + ": " + why);
    }
    return decoding.image;
}

QImage DecodeJpegFile(const std::string& path) {
    return DecodeJpeg(common::ReadWholeFile(path), path);
}

}  // namespace ecgtrace
