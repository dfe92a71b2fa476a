#include "myogrid/engine/parameter_table.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"

#include <exception>
#include <algorithm>

namespace myogrid {

namespace {

constexpr const char* kLineEnd = "\r\n";

std::size_t Index(Param p) { return static_cast<std::size_t>(p); }

// The first `count` characters of a UTF-8 text (a path may hold non-ASCII
// characters; a cut never splits one).
std::string CutCharacters(const std::string& text, std::size_t count) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80) {  // start of a character
            if (chars == count) return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

// Numbers go to the file in their plain forms ("0.5", not "0.50"); a text
// that is no number is kept as it is rather than lost.
std::string FileForm(Param p, const std::string& value) {
    if (IsRealParam(p)) {
        double real = 0;
        if (common::TryParseFloat(value, real)) return common::FormatGeneral(real);
    } else {
        std::int32_t integer = 0;
        if (common::TryParseInteger(value, integer)) return common::IntToText(integer);
    }
    return value;
}

// A line as a message may show it: control bytes as "?", long lines cut.
std::string Shown(const std::string& line) {
    constexpr std::size_t kShownCharacters = 60;
    std::string shown = CutCharacters(line, kShownCharacters);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return shown.size() < line.size() ? shown + "..." : shown;
}

bool HoldsControlByte(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
    return false;
}

std::string WithoutTrailingBlanks(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    return text;
}

}  // namespace

std::string FileFaultsMessage(const FileFaults& faults) {
    constexpr std::size_t kListedLines = 5;
    std::string message;
    if (!faults.badLines.empty()) {
        message = kBadLineMessage;
        const std::size_t listed = std::min(kListedLines, faults.badLines.size());
        for (std::size_t i = 0; i < listed; ++i) {
            const FileFaults::BadLine& bad = faults.badLines[i];
            message += "\nline " + common::IntToText(static_cast<std::int64_t>(bad.lineNumber)) +
                       ": " + (bad.line.empty() ? "empty or missing" : Shown(bad.line));
        }
        if (faults.badLines.size() > listed)
            message +=
                "\nand " +
                common::IntToText(static_cast<std::int64_t>(faults.badLines.size() - listed)) +
                " more lines without their key";
        message += "\nThe defaults are used for these entries.";
    }
    for (const std::string& note : faults.notes) {
        if (!message.empty()) message += "\n";
        message += note;
    }
    return message;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

ParameterTable::ParameterTable() = default;

ParameterTable ParameterTable::Defaults() {
    ParameterTable table;
    for (const ParameterDefinition& definition : kParameterDefinitions)
        table.values_[Index(definition.param)] = definition.defaultText;
    return table;
}

void ParameterTable::FixLaunchPaths() {
    bookFolder_ = FolderOf(BookPath);
    launchBrowser_ = BrowserPath;
}

std::int32_t ParameterTable::AsInteger(Param p) const { return common::ParseInteger(Value(p)); }

double ParameterTable::AsReal(Param p) const { return common::ParseFloat(Value(p)); }

std::optional<Param> ParameterTable::FindKey(const std::string& key) {
    for (const ParameterDefinition& definition : kParameterDefinitions)
        if (key == definition.key) return definition.param;
    return std::nullopt;
}

void ParameterTable::ReportLookup(const std::string& message) const {
    if (sink_) sink_(message);
}

std::int32_t ParameterTable::ParameterAsInteger(const std::string& key,
                                                const std::string& defaultText) const {
    if (const auto p = FindKey(key)) return AsInteger(*p);
    ReportLookup(kUnknownKeyMessage);
    return common::ParseInteger(defaultText);
}

double ParameterTable::ParameterAsReal(const std::string& key,
                                       const std::string& defaultText) const {
    if (const auto p = FindKey(key)) return AsReal(*p);
    ReportLookup(kUnknownKeyMessage);
    return common::ParseFloat(defaultText);
}

bool ParameterTable::StoreParameter(const std::string& key, const std::string& text) {
    const auto p = FindKey(key);
    if (!p) return false;
    Store(*p, text);
    return true;
}

void ParameterTable::AskForMissingFiles(StartupQuestions& questions) {
    if (!common::FileExists(BrowserPath)) {
        if (auto answer = questions.AskForFile(StartupFile::Browser)) BrowserPath = *answer;
        ParametersChanged = true;
    }
    if (!common::FileExists(BookPath)) {
        if (auto answer = questions.AskForFile(StartupFile::Book)) BookPath = *answer;
        ParametersChanged = true;
    }
}

bool ParameterTable::ReadAtStartup(StartupQuestions& questions, const std::string& fileName) {
    if (!common::FileExists(fileName)) {
        const auto sink = std::move(sink_);
        *this = Defaults();
        sink_ = sink;
        AskForMissingFiles(questions);
        ParametersChanged = true;
        FixLaunchPaths();
        return true;
    }
    std::string text;
    try {
        text = common::ReadFileStart(fileName, kMaxParameterFileBytes);
    } catch (const std::exception& e) {
        // The launcher still opens; nothing of the file was read.
        questions.ReportFailure(e.what());
        FixLaunchPaths();
        return true;
    }
    ParameterLineReader reader(text);
    FileFaults faults;
    // A bad line gives its entry the default; reading goes on so that the
    // one report lists every bad line.
    auto read = [&](const char* key, std::string& entry, const char* defaultText, bool whole) {
        if (auto value = reader.ReadParameterLine(key, whole)) {
            entry = std::move(*value);
        } else {
            faults.badLines.push_back({reader.LineNumber(), reader.LastLine()});
            entry = defaultText;
        }
    };
    // A path holding a control byte names no file anyone can pick; it is
    // dropped (and asked for) before the file system ever sees it.
    auto readPath = [&](const char* key, std::string& path, const char* what) {
        read(key, path, "", true);
        if (HoldsControlByte(path)) {
            faults.notes.push_back(std::string("The ") + what + " path in " + kParameterFileName +
                                   " holds a control character; it is not used.");
            path.clear();
        }
    };
    reader.SkipLine();  // [Path]
    ParametersChanged = false;
    readPath(kBrowserKey, BrowserPath, "browser");
    readPath(kBookKey, BookPath, "book");
    reader.SkipLine();  // empty line
    reader.SkipLine();  // [Parameters]
    for (const ParameterDefinition& definition : kParameterDefinitions)
        read(definition.key, values_[Index(definition.param)], definition.defaultText, false);
    // A seed line that is missing leaves the seed to the clock; one that
    // cannot be read does too, but says so. Neither makes the file bad.
    Seed.reset();
    if (const auto seedText = reader.ReadExtraLine(kSeedKey)) {
        std::uint64_t seed = 0;
        if (common::TryParseUnsigned64(WithoutTrailingBlanks(*seedText), seed)) {
            Seed = seed;
        } else {
            faults.notes.push_back("The line \"" + Shown(reader.ExtraLine()) + "\" of " +
                                   kParameterFileName +
                                   " holds no seed (a whole number from 0 to "
                                   "18446744073709551615); the runs are seeded from the clock.");
        }
    }
    if (!faults.badLines.empty()) ParametersChanged = true;
    if (!faults.Empty()) questions.ReportFileFaults(faults);
    AskForMissingFiles(questions);
    FixLaunchPaths();
    return faults.badLines.empty();
}

std::string ParameterTable::FileText() const {
    std::string text;
    text += "[Path]";
    text += kLineEnd;
    text += std::string(kBrowserKey) + BrowserPath + kLineEnd;
    text += std::string(kBookKey) + BookPath + kLineEnd;
    text += kLineEnd;
    text += "[Parameters]";
    text += kLineEnd;
    for (int i = 0; i < kParamCount; ++i) {
        const auto p = static_cast<Param>(i);
        text += std::string(KeyOf(p)) + FileForm(p, Value(p)) + kLineEnd;
    }
    if (Seed) text += std::string(kSeedKey) + common::UnsignedToText(*Seed) + kLineEnd;
    return text;
}

void ParameterTable::WriteFile(const std::string& path) const {
    common::WriteFileAtomically(path, FileText());
}

void StartupQuestions::ReportFileFaults(const FileFaults& faults) {
    ShowMessage(FileFaultsMessage(faults));
}

ParameterLineReader::ParameterLineReader(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size() && lines_.size() < static_cast<std::size_t>(kFileLineCount) + 1) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(std::move(line));
        start = end + 1;
    }
}

std::string ParameterLineReader::LastLine() const {
    return next_ >= 1 && next_ <= lines_.size() ? lines_[next_ - 1] : std::string();
}

std::string ParameterLineReader::ExtraLine() const {
    const auto index = static_cast<std::size_t>(kFileLineCount);
    return index < lines_.size() ? lines_[index] : std::string();
}

std::optional<std::string> ParameterLineReader::ReadExtraLine(const std::string& key) const {
    const std::string line = ExtraLine();
    if (line.rfind(key, 0) != 0) return std::nullopt;
    return line.substr(key.size());
}

std::optional<std::string> ParameterLineReader::ReadParameterLine(const std::string& key,
                                                                  bool whole) {
    // A file that ended early reads as empty lines.
    const std::string line = next_ < lines_.size() ? lines_[next_] : std::string();
    ++next_;
    if (line.find(key) == std::string::npos) return std::nullopt;
    // The value is taken from the fixed position after the key's length,
    // even when the key stands further right.
    std::string value = line.substr(key.size());
    return whole ? value : CutCharacters(value, kMaxValueLength);
}

}  // namespace myogrid
