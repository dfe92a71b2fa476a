#pragma once
// Whole-image decoding of the book's JPEG figures with libjpeg. Every
// failure of the decoder comes back as an AppError; nothing ever ends the
// process, and no file costs more than a bounded amount of time and memory.
#include <QImage>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace ecgtrace {

// Pictures above this many pixels are refused instead of decoded.
inline constexpr long long kMaxFigurePixels = 40'000'000;
// Progressive files of more scans are refused: every scan passes over the
// whole picture again; encoders write 10 to 18 (four colour components).
inline constexpr int kMaxJpegScans = 24;
// Figure files above this size are refused unread.
inline constexpr std::int64_t kMaxFigureFileBytes = 64 * 1024 * 1024;
// The decoder's own memory (a progressive file keeps every coefficient of
// the picture, two bytes per pixel and component): a file that needs more is
// refused before decoding.
inline constexpr long long kMaxJpegDecoderBytes = 64LL * 1024 * 1024;

// Decodes JPEG bytes; `name` is the file name used in messages. Grey,
// colour and CMYK (also YCCK) pictures come back as RGB. Harmless warnings
// of the decoder (stray bytes between markers, an unknown JFIF revision)
// are ignored; errors and damaged picture data refuse the picture.
// Decoding stops with "Decoding cancelled" soon after `cancelled` turns true.
QImage DecodeJpeg(const std::string& bytes, const std::string& name,
                  const std::atomic<bool>* cancelled = nullptr);

// Reads and decodes a file: "Cannot open file %s" when it cannot be read,
// the decoder's message (after the file name) when it is not a complete JPEG.
QImage DecodeJpegFile(const std::string& path, const std::atomic<bool>* cancelled = nullptr);

// Decodes figure files on a thread of its own, so that a large or crafted
// file never stops the window from answering. A request supersedes the one
// before it (which is cancelled); only the latest result is delivered, on
// the thread that owns this object, with a wait cursor shown meanwhile.
class FigureDecoder : public QObject {
public:
    using Shown = std::function<void(const QImage&)>;
    using Failed = std::function<void(const std::string&)>;

    FigureDecoder();
    ~FigureDecoder() override;

    void Request(const std::string& path, Shown shown, Failed failed);
    // A request is decoding or its result not yet delivered.
    bool Busy() const { return busy_; }
    // Runs the event loop until the latest result is delivered (tests);
    // false when that took longer than `timeoutMs`.
    bool WaitUntilDelivered(int timeoutMs = 60000);

private:
    void Work();
    void Deliver(std::uint64_t generation, const QImage& image, const std::string& failure);

    struct Job {
        std::string path;
        Shown shown;
        Failed failed;
    };
    bool busy_ = false;
    std::optional<Job> current_;  // the latest request, read on the owning thread
    std::uint64_t generation_ = 0;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::pair<std::uint64_t, std::string>> pending_;  // generation, path
    bool stopping_ = false;
    bool posted_ = false;
    std::atomic<bool> cancelled_{false};
    std::thread worker_;
};

}  // namespace ecgtrace
