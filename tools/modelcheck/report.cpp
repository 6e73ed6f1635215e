#include "modelcheck/report.h"

#include <cstdio>
#include <string_view>

namespace modelcheck {
namespace {

void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The text with its control characters (and DEL) replaced, for a line of plain output.
std::u16string Printable(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if (c < 0x20 || c == 0x7F) c = u'?';
    }
    return out;
}

std::string JsonString(std::u16string_view text) {
    std::string out = "\"";
    for (const char c : ToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out.push_back(c);
        }
    }
    return out + "\"";
}

std::string JsonFindings(const std::vector<Finding>& findings) {
    std::string out = "[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        if (i > 0) out += ",";
        out += "{\"file\":" + JsonString(f.file) + ",\"section\":" + JsonString(f.section) +
               ",\"key\":" + JsonString(f.key) + ",\"message\":" + JsonString(f.message) + "}";
    }
    return out + "]";
}

std::string Line(const Finding& f) {
    return ToUtf8(Printable(f.file + u" [" + f.section + u"] " + f.key + u": " + f.message)) + "\n";
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendCodePoint(out, 0x10000 + ((char32_t{c} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            AppendCodePoint(out, 0xFFFD);
        } else {
            AppendCodePoint(out, c);
        }
    }
    return out;
}

int ExitStatus(const Report& report) {
    if (!report.unreadable.empty()) return kExitUnreadable;
    return report.findings.empty() ? kExitClean : kExitFindings;
}

std::string RenderText(const Report& report) {
    if (!report.unreadable.empty()) {
        return ToUtf8(Printable(report.profile + u": " + report.unreadable)) + "\n";
    }
    std::string out;
    for (const Finding& f : report.findings) out += Line(f);
    for (const Finding& f : report.notes) out += "note: " + Line(f);
    const std::size_t n = report.findings.size();
    out += ToUtf8(Printable(report.profile)) + ": " +
           (n == 0 ? std::string("no findings")
                   : std::to_string(n) + (n == 1 ? " finding" : " findings")) +
           "\n";
    return out;
}

std::string RenderJson(const Report& report) {
    std::string out = "{\"profile\":" + JsonString(report.profile) +
                      ",\"status\":" + std::to_string(ExitStatus(report));
    if (!report.unreadable.empty()) out += ",\"error\":" + JsonString(report.unreadable);
    out += ",\"findings\":" + JsonFindings(report.findings) +
           ",\"notes\":" + JsonFindings(report.notes) + "}\n";
    return out;
}

}  // namespace modelcheck
