// An INI document read and written the way the classic private-profile functions do it, except
// that an edit touches only the line it concerns: comments, blank lines, other keys and the
// file's line endings survive byte for byte, so a file the user keeps by hand stays theirs.
//
// Names of sections and keys match without regard to ASCII case, and blanks around names and
// values are dropped. A value is the rest of its line, literally: no quotes, no comments. A line
// whose first non-blank character is ';' is a comment. When a section or a key occurs twice, the
// first one counts (a second section of the same name is never searched).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvel {

// The blanks dropped around names and values: space, tab, CR, vertical tab and form feed.
bool IsBlank(char c);

class IniFile {
public:
    IniFile() = default;

    static IniFile FromText(std::string text);

    // A missing file is not an error: `out` becomes an empty document and exists() false.
    static bool Load(const std::string& path, IniFile& out, std::string& error);

    // nullopt when the section or key is missing, or the key's line has no '='.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Rewrites the key's line as "key=value" (the key keeps its spelling, the line its ending),
    // or adds the line after the section's last key, or appends the section at the end. A line
    // break in `value` ends it: a profile line cannot hold one.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // Deletes every line of the key in the section (reading takes the first, so a later one
    // would take its place); the section stays, even when it becomes empty.
    void Remove(std::string_view section, std::string_view key);

    const std::string& Text() const { return text_; }
    bool exists() const { return exists_; }

    // Replaces the file whole or not at all.
    bool Save(const std::string& path, std::string& error) const;

private:
    std::string text_;
    bool exists_ = false;
};

}  // namespace orvel
