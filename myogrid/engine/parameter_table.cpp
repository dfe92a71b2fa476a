#include "myogrid/engine/parameter_table.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"

#include <exception>

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

}  // namespace

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
        if (auto answer = questions.AskForFile(kAskBrowserTitle, kAllFilesFilter))
            BrowserPath = *answer;
        ParametersChanged = true;
    }
    if (!common::FileExists(BookPath)) {
        if (auto answer = questions.AskForFile(kAskBookTitle, kAllFilesFilter)) BookPath = *answer;
        ParametersChanged = true;
    }
}

bool ParameterTable::ReadAtStartup(StartupQuestions& questions, const std::string& fileName) {
    bool allLinesGood = true;
    if (common::FileExists(fileName)) {
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
        // Each bad line is reported and leaves its entry as it was; reading
        // goes on so that every bad line is shown once.
        auto read = [&](const char* key, std::string& entry) {
            if (auto value = reader.ReadParameterLine(key)) {
                entry = *value;
            } else {
                questions.ReportBadLine(reader.LineNumber(), reader.LastLine());
                allLinesGood = false;
            }
        };
        reader.SkipLine();  // [Path]
        ParametersChanged = false;
        read(kBrowserKey, BrowserPath);
        read(kBookKey, BookPath);
        AskForMissingFiles(questions);
        reader.SkipLine();  // empty line
        reader.SkipLine();  // [Parameters]
        for (const ParameterDefinition& definition : kParameterDefinitions)
            read(definition.key, values_[Index(definition.param)]);
        // A seed line that is missing or unreadable leaves the seed to the
        // clock; it never makes the file bad.
        Seed.reset();
        std::uint64_t seed = 0;
        if (const auto text = reader.ReadExtraLine(kSeedKey);
            text && common::TryParseUnsigned64(*text, seed))
            Seed = seed;
    } else {
        const auto sink = std::move(sink_);
        *this = Defaults();
        sink_ = sink;
        AskForMissingFiles(questions);
        ParametersChanged = true;
    }
    FixLaunchPaths();
    return allLinesGood;
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

void StartupQuestions::ReportBadLine(std::size_t, const std::string&) {
    ShowMessage(kBadLineMessage);
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

std::optional<std::string> ParameterLineReader::ReadExtraLine(const std::string& key) const {
    const auto index = static_cast<std::size_t>(kFileLineCount);
    if (index >= lines_.size() || lines_[index].rfind(key, 0) != 0) return std::nullopt;
    return lines_[index].substr(key.size());
}

std::optional<std::string> ParameterLineReader::ReadParameterLine(const std::string& key) {
    // A file that ended early reads as empty lines.
    const std::string line = next_ < lines_.size() ? lines_[next_] : std::string();
    ++next_;
    if (line.find(key) == std::string::npos) return std::nullopt;
    // The value is taken from the fixed position after the key's length,
    // even when the key stands further right.
    return CutCharacters(line.substr(key.size()), kMaxValueLength);
}

}  // namespace myogrid
