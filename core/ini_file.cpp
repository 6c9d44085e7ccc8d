#include "ini_file.h"

#include <cstdint>
#include <filesystem>
#include <vector>

#include "channel_file.h"
#include "file_access.h"

namespace orvel {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

struct Line {
    std::size_t begin;
    std::size_t contentEnd;  // where "\r\n" or "\n" starts
    std::size_t end;         // after the line ending
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) {
            lines.push_back({pos, text.size(), text.size()});
            break;
        }
        const std::size_t contentEnd = nl > pos && text[nl - 1] == '\r' ? nl - 1 : nl;
        lines.push_back({pos, contentEnd, nl + 1});
        pos = nl + 1;
    }
    return lines;
}

enum class LineKind { Blank, Comment, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::string_view name;
    std::optional<std::string_view> value;  // none for a key line without '='
};

ParsedLine Parse(std::string_view content) {
    content = Trim(content);
    if (content.empty())
        return {};
    if (content.front() == ';')
        return {LineKind::Comment, {}, {}};
    if (content.front() == '[') {
        // The last ']' closes the name; a '[' line without one reads as a key line.
        const std::size_t close = content.rfind(']');
        if (close != std::string_view::npos) {
            return {LineKind::Section, Trim(content.substr(1, close - 1)), {}};
        }
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos)
        return {LineKind::Key, content, {}};
    return {LineKind::Key, Trim(content.substr(0, equals)), Trim(content.substr(equals + 1))};
}

std::string_view Content(const std::string& text, const Line& line, std::size_t index) {
    std::string_view content(text.data() + line.begin, line.contentEnd - line.begin);
    // Editors on the other platform like to start UTF-8 files with a mark that is not text.
    if (index == 0 && content.starts_with(kUtf8Bom))
        content.remove_prefix(kUtf8Bom.size());
    return content;
}

struct Location {
    std::optional<std::size_t> header;   // the first section of that name
    std::optional<std::size_t> key;      // the first line of that key inside it
    std::optional<std::size_t> lastKey;  // the section's last key line
};

Location Find(const std::string& text, const std::vector<Line>& lines, std::string_view section,
              std::string_view key) {
    Location location;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = Parse(Content(text, lines[i], i));
        if (parsed.kind == LineKind::Section) {
            if (location.header)
                break;
            if (SameName(parsed.name, section))
                location.header = i;
        } else if (parsed.kind == LineKind::Key && location.header) {
            location.lastKey = i;
            if (!location.key && SameName(parsed.name, key))
                location.key = i;
        }
    }
    return location;
}

// New lines follow the file's own convention; a file without any line break gets the ending
// the classic functions write.
std::string_view LineEnding(const std::string& text) {
    const std::size_t nl = text.find('\n');
    if (nl == std::string::npos)
        return "\r\n";
    return nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace

IniFile IniFile::FromText(std::string text) {
    IniFile ini;
    ini.text_ = std::move(text);
    ini.exists_ = true;
    return ini;
}

bool IniFile::Load(const std::string& path, IniFile& out, std::string& error) {
    std::error_code ec;
    if (std::filesystem::status(PathFromUtf8(path), ec).type() ==
        std::filesystem::file_type::not_found) {
        out = IniFile{};
        return true;
    }
    // A file too large to read whole is refused, never saved back cut short.
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, bytes, error))
        return false;
    out = FromText(std::string(bytes.begin(), bytes.end()));
    return true;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const std::vector<Line> lines = SplitLines(text_);
    const Location location = Find(text_, lines, section, key);
    if (!location.key)
        return std::nullopt;
    const ParsedLine parsed = Parse(Content(text_, lines[*location.key], *location.key));
    if (!parsed.value)
        return std::nullopt;
    std::string_view value = *parsed.value;
    // The classic reader drops one pair of matching quotes around a value.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    value = value.substr(0, value.find_first_of("\r\n"));
    const std::vector<Line> lines = SplitLines(text_);
    const Location location = Find(text_, lines, section, key);
    const std::string eol(LineEnding(text_));

    if (location.key) {
        const Line& line = lines[*location.key];
        std::string replacement(Parse(Content(text_, line, *location.key)).name);
        replacement += '=';
        replacement += value;
        text_.replace(line.begin, line.contentEnd - line.begin, replacement);
        return;
    }

    std::string added = std::string(key) + "=" + std::string(value) + eol;
    if (location.header) {
        const Line& anchor = lines[location.lastKey.value_or(*location.header)];
        // The anchor may be the file's last line without a break of its own.
        if (anchor.contentEnd == anchor.end)
            added.insert(0, eol);
        text_.insert(anchor.end, added);
        return;
    }

    if (!text_.empty() && text_.back() != '\n')
        text_ += eol;
    text_ += "[" + std::string(section) + "]" + eol + added;
}

void IniFile::Remove(std::string_view section, std::string_view key) {
    // Every line of the key goes: a second one left behind would win at the next read.
    const std::vector<Line> lines = SplitLines(text_);
    bool inSection = false;
    std::vector<const Line*> doomed;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = Parse(Content(text_, lines[i], i));
        if (parsed.kind == LineKind::Section) {
            if (inSection)
                break;
            inSection = SameName(parsed.name, section);
        } else if (parsed.kind == LineKind::Key && inSection && SameName(parsed.name, key)) {
            doomed.push_back(&lines[i]);
        }
    }
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        text_.erase((*it)->begin, (*it)->end - (*it)->begin);
}

bool IniFile::Save(const std::string& path, std::string& error) const {
    return WriteFileAtomically(path, text_, error);
}

}  // namespace orvel
