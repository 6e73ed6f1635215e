// A reader of setup information (INF) files, enough to check a printer driver package:
// sections, their lines, quoted fields and %strkey% tokens, read the way the setup
// functions read them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace inf {

// One line of a section: "key = field, field, ..." or, without an "=" outside quotes, fields
// only (the lines of a file list). Fields have their blanks trimmed, their quotes removed and
// their %strkey% tokens replaced from [Strings]; an empty field stays, so "a,,b" has three.
struct Line {
    int number = 0;  // where the line starts in the file, from 1
    bool hasKey = false;
    std::string key;  // empty without "="
    std::vector<std::string> fields;
    std::string text;  // the line without its comment and outer blanks, as written
};

struct Section {
    std::string name;  // as first written
    std::vector<Line> lines;
};

// A parsed INF file. Section and key names are compared without regard to ASCII case; a
// section named twice continues the first. A ";" outside quotes starts a comment, a "\" at
// the end of a line joins the next line to it, and "" inside quotes is one quote. The text
// is ASCII or UTF-8, or UTF-16LE after its byte-order mark.
class InfFile {
  public:
    static InfFile Parse(std::string_view bytes);

    const Section* Find(std::string_view section) const;
    // The first line of the section with this key, or null.
    const Line* FindKey(std::string_view section, std::string_view key) const;
    // All fields of every line of the section with this key ("CopyFiles=a,b" twice: a, b, ...).
    std::vector<std::string> Values(std::string_view section, std::string_view key) const;

    const std::vector<Section>& sections() const { return sections_; }
    // What could not be read: each names its line.
    const std::vector<std::string>& problems() const { return problems_; }

  private:
    std::vector<Section> sections_;
    std::vector<std::string> problems_;
};

std::string Lower(std::string_view text);
bool EqualNoCase(std::string_view a, std::string_view b);
bool EndsWithNoCase(std::string_view text, std::string_view end);

}  // namespace inf
