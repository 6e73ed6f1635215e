#include "inf_file.h"

#include <cstddef>
#include <cstdint>
#include <map>

namespace inf {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

bool EndsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && EqualNoCase(text.substr(text.size() - end.size()), end);
}

namespace {

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16LE after its mark becomes UTF-8 (an unpaired surrogate becomes U+FFFD); a UTF-8
// signature is dropped; anything else is taken as it is.
std::string DecodeText(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return std::string(bytes.substr(3));
    if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE") return std::string(bytes);
    std::string out;
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        std::uint32_t code = unit(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        AppendUtf8(out, code);
    }
    return out;
}

std::string Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return "";
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// The line up to its comment: a ";" outside quotes.
std::string_view WithoutComment(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ';' && !quoted) return line.substr(0, i);
    }
    return line;
}

// Where the character c first stands outside quotes, or npos.
std::size_t FindOutsideQuotes(std::string_view text, char c, std::size_t from = 0) {
    bool quoted = false;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (text[i] == c && !quoted) return i;
    }
    return std::string_view::npos;
}

// Blanks trimmed, then the quotes taken out: "a ""b"" c" reads as a "b" c.
std::string Unquote(std::string_view field) {
    const std::string trimmed = Trim(field);
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < trimmed.size(); ++i) {
        if (trimmed[i] != '"') {
            out += trimmed[i];
        } else if (quoted && i + 1 < trimmed.size() && trimmed[i + 1] == '"') {
            out += '"';
            ++i;
        } else {
            quoted = !quoted;
        }
    }
    return out;
}

std::vector<std::string> SplitFields(std::string_view value) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = FindOutsideQuotes(value, ',', start);
        fields.push_back(Unquote(value.substr(start, comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

InfFile InfFile::Parse(std::string_view bytes) {
    InfFile file;
    const std::string text = DecodeText(bytes);
    std::map<std::string, std::size_t> index;  // lower-case name -> position in sections_
    Section* current = nullptr;

    // Logical lines: a "\" at the end of a line (after its comment is cut) joins the next.
    std::string pending;
    int pendingStart = 0;
    int number = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view physical(text.data() + pos, end - pos);
        pos = end + 1;
        ++number;
        if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);
        std::string part = Trim(WithoutComment(physical));
        if (pending.empty()) pendingStart = number;
        if (!part.empty() && part.back() == '\\') {
            part.pop_back();
            pending += part;
            if (pos <= text.size()) continue;
        } else {
            pending += part;
        }
        const std::string line = Trim(pending);
        pending.clear();
        if (line.empty()) continue;

        const std::string where = "line " + std::to_string(pendingStart) + ": ";
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string::npos) {
                file.problems_.push_back(where + "section name without \"]\": " + line);
                current = nullptr;
                continue;
            }
            const std::string name = Trim(std::string_view(line).substr(1, close - 1));
            auto [it, added] = index.emplace(Lower(name), file.sections_.size());
            if (added) file.sections_.push_back(Section{name, {}});
            current = &file.sections_[it->second];
            continue;
        }
        if (current == nullptr) {
            file.problems_.push_back(where + "a line outside any section: " + line);
            continue;
        }
        Line entry;
        entry.number = pendingStart;
        entry.text = line;
        const std::size_t equals = FindOutsideQuotes(line, '=');
        if (equals == std::string::npos) {
            entry.fields = SplitFields(line);
        } else {
            entry.hasKey = true;
            entry.key = Unquote(std::string_view(line).substr(0, equals));
            entry.fields = SplitFields(std::string_view(line).substr(equals + 1));
        }
        current->lines.push_back(std::move(entry));
    }

    // %strkey% tokens, once every section is known: [Strings] may come last. "%%" is one
    // percent sign; a number (a directory id such as %66000%) stays as written.
    std::map<std::string, std::string> strings;
    if (const Section* section = file.Find("Strings")) {
        for (const Line& line : section->lines) {
            if (line.hasKey && !line.fields.empty()) {
                strings.emplace(Lower(line.key), line.fields.front());
            }
        }
    }
    auto substitute = [&](std::string& value, int lineNumber) {
        std::string out;
        std::size_t i = 0;
        while (i < value.size()) {
            const std::size_t open = value.find('%', i);
            if (open == std::string::npos) break;
            const std::size_t close = value.find('%', open + 1);
            if (close == std::string::npos) break;
            out += value.substr(i, open - i);
            const std::string token = value.substr(open + 1, close - open - 1);
            if (token.empty()) {
                out += '%';
            } else if (auto found = strings.find(Lower(token)); found != strings.end()) {
                out += found->second;
            } else {
                out += '%' + token + '%';
                if (!AllDigits(token)) {
                    file.problems_.push_back("line " + std::to_string(lineNumber) + ": %" + token +
                                             "% is not defined in [Strings]");
                }
            }
            i = close + 1;
        }
        value = out + value.substr(i);
    };
    for (Section& section : file.sections_) {
        if (EqualNoCase(section.name, "Strings")) continue;
        for (Line& line : section.lines) {
            substitute(line.key, line.number);
            for (std::string& field : line.fields) substitute(field, line.number);
        }
    }
    return file;
}

const Section* InfFile::Find(std::string_view section) const {
    for (const Section& candidate : sections_) {
        if (EqualNoCase(candidate.name, section)) return &candidate;
    }
    return nullptr;
}

const Line* InfFile::FindKey(std::string_view section, std::string_view key) const {
    const Section* found = Find(section);
    if (found == nullptr) return nullptr;
    for (const Line& line : found->lines) {
        if (line.hasKey && EqualNoCase(line.key, key)) return &line;
    }
    return nullptr;
}

std::vector<std::string> InfFile::Values(std::string_view section, std::string_view key) const {
    std::vector<std::string> values;
    const Section* found = Find(section);
    if (found == nullptr) return values;
    for (const Line& line : found->lines) {
        if (!line.hasKey || !EqualNoCase(line.key, key)) continue;
        for (const std::string& field : line.fields) {
            if (!field.empty()) values.push_back(field);
        }
    }
    return values;
}

}  // namespace inf
