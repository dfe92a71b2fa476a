#pragma once
// Myogrid's model parameters as text under fixed keys, the two paths needed
// to open the book, and the file "Myogrid.par" that keeps them.
#include "myogrid/engine/parameter_source.h"
#include "myogrid/engine/parameter_definitions.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace myogrid {

inline constexpr int kFileLineCount = 39;  // the 36 keys, "[Path]", an empty line, "[Parameters]"
// An optional line after them keeps the seed of the model window's runs;
// readers of the 39 lines never look at it.
inline constexpr const char* kSeedKey = "seed=";
// Far beyond any sane "Myogrid.par"; more of a file is never read.
inline constexpr std::size_t kMaxParameterFileBytes = 1 << 20;
inline constexpr std::size_t kMaxValueLength = 80;
inline constexpr const char* kParameterFileName = "Myogrid.par";
inline constexpr const char* kBadLineMessage = "Error in Myogrid.par!";
inline constexpr const char* kUnknownKeyMessage = "Error in Myogrid.par!; default used";

// Keys of the two paths at the head of the file.
inline constexpr const char* kBrowserKey = "Browser=";
inline constexpr const char* kBookKey = "Book=";

inline const char* KeyOf(Param p) { return DefinitionOf(p).key; }
// The value used when there is no file ("10", "0.5", "-0.22", ...).
inline const char* DefaultOf(Param p) { return DefinitionOf(p).defaultText; }

// What was wrong with a parameter file that was read all the same.
struct FileFaults {
    struct BadLine {
        std::size_t lineNumber;  // from 1
        std::string line;        // empty past the end of the file
    };
    // Lines without their key; their entries took the defaults.
    std::vector<BadLine> badLines;
    // Faults that cost no line: an unreadable seed, a path that cannot be one.
    std::vector<std::string> notes;
    bool Empty() const { return badLines.empty() && notes.empty(); }
};

// The text of the one box that reports a file's faults: "Error in
// Myogrid.par!" with the first bad lines listed and the rest counted, then
// the notes.
std::string FileFaultsMessage(const FileFaults& faults);

// The files start-up asks the user for when they are missing.
enum class StartupFile {
    Browser,  // the web browser that opens the book's chapters
    Book,     // the book's title page
};

// The questions start-up may have to put to the user; the window answers
// them with its dialogs (and chooses their texts), tests with fixed answers.
class StartupQuestions {
public:
    virtual ~StartupQuestions() = default;
    // Where `file` is; the chosen full path, or nothing on cancel.
    virtual std::optional<std::string> AskForFile(StartupFile file) = 0;
    // A message with an error sign and one "OK" button ("Error in Myogrid.par!").
    virtual void ShowMessage(const std::string& message) = 0;
    // A failure (file that cannot be read) for the error box.
    virtual void ReportFailure(const std::string& message) = 0;
    // Everything wrong with the file, once, after it has been read and
    // before any path is asked for. The windows show FileFaultsMessage.
    virtual void ReportFileFaults(const FileFaults& faults);
};

class ParameterTable {
public:
    // An empty table: empty paths and values, flag clear.
    ParameterTable();
    // Paths empty, every parameter at its default.
    static ParameterTable Defaults();

    std::string BrowserPath;
    std::string BookPath;
    bool ParametersChanged = false;
    // The seed chosen for the model window's runs; nothing: from the clock.
    std::optional<std::uint64_t> Seed;

    // Fixed at the end of start-up: the folder part of BookPath with its
    // trailing separator, and the browser used for launching.
    const std::string& BookFolder() const { return bookFolder_; }
    const std::string& LaunchBrowser() const { return launchBrowser_; }
    void FixLaunchPaths();

    const std::string& Value(Param p) const { return values_[static_cast<std::size_t>(p)]; }
    void Store(Param p, const std::string& text) { values_[static_cast<std::size_t>(p)] = text; }
    // Conversions; throw AppError with the standard conversion message.
    std::int32_t AsInteger(Param p) const;
    double AsReal(Param p) const;

    // Look-up by key ("dimension=" ...), first exact match among the 34
    // parameter keys. An unknown key reports kUnknownKeyMessage through the
    // message sink and converts `defaultText` instead.
    std::int32_t ParameterAsInteger(const std::string& key, const std::string& defaultText) const;
    double ParameterAsReal(const std::string& key, const std::string& defaultText) const;
    // Returns false (and changes nothing) for an unknown key.
    bool StoreParameter(const std::string& key, const std::string& text);
    static std::optional<Param> FindKey(const std::string& key);

    // Where look-up messages go (the window shows them in a message box).
    void SetMessageSink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }

    // Start-up: reads `fileName` when it exists, otherwise takes the
    // defaults; asks for missing browser and book files; fixes the launch
    // paths. A line without its key gives its entry the default and the
    // table counts as changed, so that "exit" offers to save a whole file.
    // Returns false when a line was bad (reported by then).
    bool ReadAtStartup(StartupQuestions& questions,
                       const std::string& fileName = kParameterFileName);

    // The 39 lines of the file, then the seed line when a seed is kept; CR LF
    // line ends.
    std::string FileText() const;
    // Replaces `path` atomically; throws AppError on failure.
    void WriteFile(const std::string& path) const;

    friend bool operator==(const ParameterTable& a, const ParameterTable& b) {
        return a.BrowserPath == b.BrowserPath && a.BookPath == b.BookPath &&
               a.values_ == b.values_ && a.Seed == b.Seed;
    }

private:
    void AskForMissingFiles(StartupQuestions& questions);
    void ReportLookup(const std::string& message) const;

    std::array<std::string, kParamCount> values_;
    std::string bookFolder_;
    std::string launchBrowser_;
    std::function<void(const std::string&)> sink_;
};

// Reads the lines of an open parameter file one by one.
class ParameterLineReader {
public:
    // Only the lines the file layout has are kept.
    explicit ParameterLineReader(const std::string& text);
    void SkipLine() { ++next_; }
    // The line read last: its number (from 1) and its text.
    std::size_t LineNumber() const { return next_; }
    std::string LastLine() const;
    // Reads the next line expecting `key` in it. The value is the text after
    // the first key-length characters (wherever the key stands), cut to 80
    // characters unless `whole` (paths are never cut: a cut path names
    // another file). Nothing when the key is not in the line (or the file
    // has ended).
    std::optional<std::string> ReadParameterLine(const std::string& key, bool whole = false);
    // The line after the 39 of the layout when it starts with `key`: the
    // rest of it (no cut). Nothing otherwise; ExtraLine() is that line.
    std::optional<std::string> ReadExtraLine(const std::string& key) const;
    std::string ExtraLine() const;

private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

// The folder part of `path` including its trailing separator.
std::string FolderOf(const std::string& path);

// A ParameterSource over a table (batch tool, tests).
class ParameterTableSource : public ParameterSource {
public:
    explicit ParameterTableSource(const ParameterTable& table) : table_(table) {}
    std::int32_t Integer(Param p) const override { return table_.AsInteger(p); }
    double Real(Param p) const override { return table_.AsReal(p); }

private:
    const ParameterTable& table_;
};

}  // namespace myogrid
