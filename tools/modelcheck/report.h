// What the model checker found: findings (values the plug-in would silently replace by a
// default or leave unused) and notes (facts worth knowing that are no fault), each naming the
// file, section and key it is about.
#pragma once

#include <string>
#include <vector>

namespace modelcheck {

struct Finding {
    std::u16string file;  // the file's name in the model's folder
    std::u16string section;
    std::u16string key;
    std::u16string message;
    friend bool operator==(const Finding&, const Finding&) = default;
};

struct Report {
    std::u16string profile;  // the model profile's file name
    // Empty when the profile could be read; otherwise why not, and nothing else is checked.
    std::u16string unreadable;
    std::vector<Finding> findings;
    std::vector<Finding> notes;
};

inline constexpr int kExitClean = 0;
inline constexpr int kExitFindings = 1;
inline constexpr int kExitUnreadable = 2;

// 0 clean, 1 with findings (notes alone do not count), 2 when the profile could not be read.
int ExitStatus(const Report& report);

// One line per finding ("FILE [SECTION] KEY: message"), then one per note ("note: ..."),
// then a count; UTF-8. Control characters of the model's texts show as "?".
std::string RenderText(const Report& report);

// {"profile": ..., "status": 0|1|2, "error": ... (status 2 only), "findings": [{"file",
// "section", "key", "message"}...], "notes": [...]}; UTF-8, one line.
std::string RenderJson(const Report& report);

// UTF-8 of UTF-16 text; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

}  // namespace modelcheck
