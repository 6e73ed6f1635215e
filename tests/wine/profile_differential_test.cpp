// The plug-in's profile adapter as it ships (win32::Win32CachedProfileFiles: the portable reader
// over the per-process file cache) against GetPrivateProfileStringW / GetPrivateProfileIntW
// under Wine, on awkward files from tests/data/profiles, on files written here (every UTF-8
// malformation, every ANSI byte, NULs, huge lines) and on the sample model files: every
// section and key the platform lists is asked for with several buffer sizes, in other letter
// cases and with blanks around the names. Then the adapter's own part: bare and relative
// names, files that change, and files too large to keep.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace {

using namespace std::string_view_literals;

std::u16string U16(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }
std::wstring W(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

// A folder of this source tree as Wine sees it: the Unix root is drive Z:.
std::wstring WinePath(const char* unixPath) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, unixPath, -1, nullptr, 0);
    std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, unixPath, -1, wide.data(), n);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return L"Z:" + wide;
}

std::wstring DataDir() { return WinePath(PROFILE_TEST_DATA_DIR); }
std::wstring ModelsDir() { return WinePath(PROFILE_TEST_MODELS_DIR); }

// Printable form of a text for failure messages.
std::string Show(std::u16string_view s) {
    std::string out;
    for (const char16_t c : s.substr(0, 80)) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[8];
            snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    if (s.size() > 80) out += "...(" + std::to_string(s.size()) + ")";
    return out;
}

std::string Show(std::wstring_view s) { return Show(U16(s)); }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << Show(path);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), written);
}

std::wstring ScratchDir() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"profile_differential";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::u16string AsciiCase(std::u16string_view s, bool upper) {
    std::u16string out(s);
    for (char16_t& c : out) {
        if (upper && c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        if (!upper && c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    return out;
}

// Letter case of every letter, as the platform maps it.
std::u16string FullCase(std::u16string_view s, bool upper) {
    std::wstring w = W(s);
    if (!w.empty()) {
        if (upper) {
            CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
        } else {
            CharLowerBuffW(w.data(), static_cast<DWORD>(w.size()));
        }
    }
    return U16(w);
}

// The NUL-separated list the section functions return, cut at the empty entry.
std::vector<std::u16string> SplitList(const std::vector<wchar_t>& buffer, DWORD length) {
    std::vector<std::u16string> out;
    std::size_t at = 0;
    while (at < length && buffer[at] != L'\0') {
        std::size_t end = at;
        while (end < length && buffer[end] != L'\0') ++end;
        out.push_back(U16(std::wstring_view(buffer.data() + at, end - at)));
        at = end + 1;
    }
    return out;
}

constexpr DWORD kListUnits = 1u << 20;

// The sections and keys the platform lists, the nameless section first.
std::vector<std::pair<std::u16string, std::vector<std::u16string>>> Listing(
    const std::wstring& path) {
    std::vector<wchar_t> buffer(kListUnits);
    const DWORD n = GetPrivateProfileSectionNamesW(buffer.data(), kListUnits, path.c_str());
    std::vector<std::u16string> sections = SplitList(buffer, n);
    sections.insert(sections.begin(), std::u16string());
    std::vector<std::pair<std::u16string, std::vector<std::u16string>>> out;
    std::set<std::u16string> seen;
    for (const std::u16string& section : sections) {
        if (!seen.insert(section).second) continue;
        const DWORD m =
            GetPrivateProfileSectionW(W(section).c_str(), buffer.data(), kListUnits, path.c_str());
        std::vector<std::u16string> keys;
        for (const std::u16string& entry : SplitList(buffer, m)) {
            keys.push_back(entry.substr(0, entry.find(u'=')));
        }
        out.emplace_back(section, std::move(keys));
    }
    return out;
}

class ProfileDifferential : public ::testing::Test {
  protected:
    // One GetPrivateProfileStringW call, on Wine and on the reader, compared: length, text
    // and the reader's writes staying inside the buffer.
    void String(const std::wstring& path, std::u16string_view section, std::u16string_view key,
                std::u16string_view def, std::uint32_t units) {
        ++compared_;
        std::vector<wchar_t> wine(units + 2, L'#');
        const DWORD wineLength =
            GetPrivateProfileStringW(W(section).c_str(), W(key).c_str(), W(def).c_str(),
                                     wine.data() + 1, units, path.c_str());
        std::u16string ours(units + 2, u'#');
        const std::uint32_t ourLength =
            reader_.GetString(section, key, def, ours.data() + 1, units, U16(path));
        const std::string where = Show(path) + " [" + Show(section) + "] " + Show(key) +
                                  " default " + Show(def) + " units " + std::to_string(units);
        EXPECT_EQ(wineLength, ourLength) << where;
        EXPECT_TRUE(ours.front() == u'#' && ours.back() == u'#') << where;
        if (units == 0 || wineLength != ourLength || ourLength >= units) return;
        EXPECT_EQ(Show(std::wstring_view(wine.data() + 1, wineLength + 1)),
                  Show(std::u16string_view(ours.data() + 1, ourLength + 1)))
            << where;
    }

    void Int(const std::wstring& path, std::u16string_view section, std::u16string_view key,
             std::int32_t def) {
        ++compared_;
        const UINT wine =
            GetPrivateProfileIntW(W(section).c_str(), W(key).c_str(), def, path.c_str());
        EXPECT_EQ(wine, reader_.GetInt(section, key, def, U16(path)))
            << Show(path) << " [" << Show(section) << "] " << Show(key);
    }

    enum class Depth {
        kValues,    // each value whole and cut by one, in other case, and as an integer
        kThorough,  // also the smallest sizes and the sizes around the length, more name
                    // variants and missing keys with awkward defaults
    };

    // Every key the platform lists.
    void Sweep(const std::wstring& path, Depth depth = Depth::kThorough) {
        const bool thorough = depth == Depth::kThorough;
        std::vector<wchar_t> full(1 << 18);
        for (const auto& [section, keys] : Listing(path)) {
            for (const std::u16string& key : keys) {
                ++keysSwept_;
                const DWORD length = GetPrivateProfileStringW(
                    W(section).c_str(), W(key).c_str(), L"\"dflt\" ", full.data(),
                    static_cast<DWORD>(full.size()), path.c_str());
                std::set<std::uint32_t> sizes = {4096};
                if (length > 0) sizes.insert(length);
                if (thorough) {
                    sizes.insert({0, 1, 2, 3, length + 1, length + 2});
                }
                for (const std::uint32_t units : sizes) {
                    String(path, section, key, u"\"dflt\" ", units);
                }
                String(path, AsciiCase(section, true), AsciiCase(key, false), u"D", 4096);
                Int(path, section, key, -77);
                if (!thorough) continue;
                String(path, AsciiCase(section, false), AsciiCase(key, true), u"D", 4096);
                String(path, FullCase(section, true), FullCase(key, false), u"D", 4096);
                String(path, FullCase(section, false), FullCase(key, true), u"D", 4096);
                String(path, u" \t" + section + u"\x1A ", u"\r\n" + key + u" ", u"D", 4096);
                String(path, section, key + u"?", u"'quoted default'  ", 9);
            }
            if (!thorough) continue;
            String(path, section, u"missing", u"   ", 8);
            Int(path, section, u"missing", 5);
        }
    }

    win32::Win32CachedProfileFiles reader_;
    int compared_ = 0;
    std::size_t keysSwept_ = 0;
};

TEST_F(ProfileDifferential, AwkwardFilesFromTheSourceTree) {
    const std::wstring dir = DataDir();
    for (const wchar_t* name : {L"awkward.ini", L"line_ends.ini", L"japanese_utf16.ini",
                                L"utf8_bom.ini", L"cp1252.ini"}) {
        const std::wstring path = dir + L"\\" + name;
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str())) << Show(path);
        Sweep(path);
    }

    // What the listing cannot reach: repeated and hidden sections, lines without '=',
    // missing keys with every kind of default, and buffers around a quoted value.
    const std::wstring awkward = dir + L"\\awkward.ini";
    struct Query {
        std::u16string_view section, key, def;
        std::uint32_t units;
    };
    const Query queries[] = {
        {u"Model", u"Second", u"D", 64},
        {u"model", u"NAME", u"D", 64},
        {u"MODEL", u"Third", u"D", 64},
        {u"Model", u"NoEquals", u"D", 64},
        {u"Spaced Section", u"x", u"D", 64},
        {u" Spaced Section ", u"x", u"D", 64},
        {u"Header", u"y", u"D", 64},
        {u"Header] trailing text", u"y", u"D", 64},
        {u"Brackets]", u"z", u"D", 64},
        {u"Brackets]", u"[NoClose", u"D", 64},
        {u"Brackets]", u"w", u"D", 64},
        {u"", u"hidden", u"D", 64},
        {u"", u"top", u"D", 64},
        {u"Model", u"", u"D", 64},
        {u"", u"", u"D", 64},
        {u"Model", u";Comment", u"D", 64},
        {u"Model", u"; Indented", u"D", 64},
        {u"Model", u"# Hash", u"D", 64},
        {u"Model", u"QuotedLong", u"D", 20},
        {u"Model", u"QuotedLong", u"D", 21},
        {u"Model", u"QuotedLong", u"D", 22},
        {u"Model", u"EmptyQuotes", u"D", 2},
        {u"Model", u"Missing", u"\"dflt\" ", 64},
        {u"Model", u"Missing", u"   ", 64},
        {u"Model", u"Missing", u"\tdflt\t", 64},
        {u"Model", u"Missing", u"'0123456789'", 11},
        {u"Model", u"Missing", u"0123456789", 4},
        {u"Nowhere", u"Missing", u"\"dflt\"", 64},
        {u"Last", u"NoNewline", u"D", 5},
    };
    for (const Query& q : queries) String(awkward, q.section, q.key, q.def, q.units);
    Int(awkward, u"Model", u"Missing", -5);
    Int(awkward, u"Nowhere", u"Plain", 0x7FFFFFFF);

    // An absent file in an existing folder reads as an empty one. (For a file in a missing
    // folder Wine copies the default without removing its quotes; the reader cannot tell
    // the two apart and answers like the first.)
    const std::wstring absent = dir + L"\\absent.ini";
    String(absent, u"Model", u"Name", u"\"dflt\"  ", 64);
    String(absent, u"Model", u"Name", u"dflt", 3);
    Int(absent, u"Model", u"Name", -7);
    EXPECT_GT(compared_, 1000);
}

TEST_F(ProfileDifferential, WrittenFiles) {
    const std::wstring dir = ScratchDir();
    std::vector<std::pair<std::wstring, std::string>> files;

    // Every byte that can lead a UTF-8 sequence, followed by the continuation patterns
    // that decide between a character and the replacement marks.
    {
        const std::string tails[] = {"",         "\x80",         "\xBF",         "\x9F\xBF",
                                     "\xA0\x80", "\x90\x80\x80", "\x8F\xBF\xBF", "\x80\x80\x80",
                                     "x",        "\x80x",        "\x80\x80x"};
        // One key per lead byte, its value every pattern after that lead in turn.
        std::string text = "\xEF\xBB\xBF[U]\n";
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            text.append("k").append(std::to_string(lead)).append("=");
            for (const std::string& tail : tails) {
                text.append(1, static_cast<char>(lead)).append(tail).append("|");
            }
            text.append("\n");
        }
        files.emplace_back(L"utf8_sequences.ini", text + "end=\xF0\x9F\x98");
        files.emplace_back(L"utf8_cut_newline.ini", "\xEF\xBB\xBF[U]\nk=\xE3\n");
    }
    // Every ANSI byte inside names and values and around them (trimmed or not).
    {
        std::string text = "[B]\n";
        for (int b = 1; b <= 0xFF; ++b) {
            if (b == '\r' || b == '\n') continue;
            const char c = static_cast<char>(b);
            text += std::string(1, c) + "n" + std::to_string(b) + c + "=" + c + "v" + c + "\n";
        }
        files.emplace_back(L"ansi_bytes.ini", text);
    }
    {
        const std::u16string text = u"[Be]\r\nk=\u65E5\u672C \"q\"\r\n[\u00C4]\r\nx=1";
        std::string be = "\xFE\xFF";
        std::string le;
        for (const char16_t c : text) {
            be += static_cast<char>(c >> 8);
            be += static_cast<char>(c & 0xFF);
            le += static_cast<char>(c & 0xFF);
            le += static_cast<char>(c >> 8);
        }
        files.emplace_back(L"utf16be.ini", be);
        files.emplace_back(L"utf16_without_bom.ini", le);
    }
    files.emplace_back(L"nulls.ini", std::string("[A\0b]\nk\0x=1\nab \0 =2\nv=a \0 b\nq=\"x\0\"\n"
                                                 "[ B \0 ]\nk=2\n\0lead=3\n[C]\n=1\n\0x\n"sv));
    files.emplace_back(L"empty.ini", "");
    files.emplace_back(L"utf16_bom_only.ini", "\xFF\xFE");
    files.emplace_back(L"utf8_bom_only.ini", "\xEF\xBB\xBF");
    files.emplace_back(L"huge.ini", "[H]\nv=" + std::string(100000, 'x') + "\n" +
                                        std::string(30000, 'k') + "=kv\n[ " +
                                        std::string(5000, 'S') + " ]\nk=\"" +
                                        std::string(70000, 'q') + "\"\n");
    for (const auto& [name, bytes] : files) WriteBytes(dir + L"\\" + name, bytes);
    for (const auto& [name, bytes] : files) {
        const bool bulky = name == L"utf8_sequences.ini" || name == L"ansi_bytes.ini";
        Sweep(dir + L"\\" + name, bulky ? Depth::kValues : Depth::kThorough);
    }

    const std::wstring nulls = dir + L"\\nulls.ini";
    for (const std::u16string_view section : {u"A", u"B", u"B ", u"C"}) {
        for (const std::u16string_view key : {u"k", u"ab", u"ab ", u"v", u"q", u"", u"lead"}) {
            String(nulls, section, key, u"D", 16);
        }
    }
    EXPECT_GT(keysSwept_, 300u);
}

TEST_F(ProfileDifferential, SampleModelFiles) {
    const std::wstring dir = ModelsDir();
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            const std::size_t dot = name.rfind(L'.');
            if (dot == std::wstring::npos) continue;
            const std::u16string ext = AsciiCase(U16(name.substr(dot)), true);
            if (ext == u".INI" || ext == u".DAT" || ext == u".VER") {
                paths.push_back(dir + L"\\" + name);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    if (paths.empty()) GTEST_SKIP() << "no model files in " << Show(dir);
    for (const std::wstring& path : paths) Sweep(path);
    EXPECT_GT(compared_, static_cast<int>(paths.size()) * 10);
}

TEST_F(ProfileDifferential, BareAndRelativeNamesAndChangedFiles) {
    // A name without a folder lies in the Windows folder, for both.
    wchar_t windows[MAX_PATH] = {};
    ASSERT_NE(0u, GetWindowsDirectoryW(windows, MAX_PATH));
    WriteBytes(std::wstring(windows) + L"\\cvl_bare_name.ini", "[S]\r\nk=in windows\r\n");
    String(L"cvl_bare_name.ini", u"S", u"k", u"D", 64);
    Int(L"cvl_bare_name.ini", u"S", u"k", 5);

    // A relative path is read from the current folder of the moment: after a change of
    // folder the same name is another file.
    const std::wstring scratch = ScratchDir();
    wchar_t previous[MAX_PATH] = {};
    ASSERT_NE(0u, GetCurrentDirectoryW(MAX_PATH, previous));
    for (const wchar_t* folder : {L"\\one", L"\\two"}) {
        const std::wstring dir = scratch + folder;
        CreateDirectoryW(dir.c_str(), nullptr);
        CreateDirectoryW((dir + L"\\sub").c_str(), nullptr);
        WriteBytes(dir + L"\\sub\\rel.ini", "[S]\nk=" + std::string(folder, folder + 4) + "\n");
    }
    for (const wchar_t* folder : {L"\\one", L"\\two", L"\\one"}) {
        ASSERT_TRUE(SetCurrentDirectoryW((scratch + folder).c_str()));
        String(L"sub\\rel.ini", u"S", u"k", u"D", 64);
        String(L"sub/../sub/rel.ini", u"S", u"k", u"D", 64);
    }
    SetCurrentDirectoryW(previous);

    // A file rewritten with the same size, and one that goes away, show once the adapter's
    // half-second window has passed: the cache compares real sizes and write times.
    const std::wstring changing = scratch + L"\\changing.ini";
    WriteBytes(changing, "[S]\nk=first\n");
    String(changing, u"S", u"k", u"D", 64);
    WriteBytes(changing, "[S]\nk=later\n");
    Sleep(600);
    String(changing, u"S", u"k", u"D", 64);
    ASSERT_TRUE(DeleteFileW(changing.c_str()));
    Sleep(600);
    String(changing, u"S", u"k", u"\"D\"", 64);
    WriteBytes(changing, "[S]\nk=back again\n");
    Sleep(600);
    String(changing, u"S", u"k", u"D", 64);

    // A file above 16 MB is refused, so the adapter never holds more than that of one file;
    // it reads as an empty file (where the platform reads it).
    const std::wstring huge = scratch + L"\\huge_16mb.ini";
    WriteBytes(huge, "[S]\nk=v\n" + std::string((16u << 20) - 8, ';') + "\n");
    char16_t value[8];
    EXPECT_EQ(1u, reader_.GetString(u"S", u"k", u"D", value, 8, U16(huge)));
    EXPECT_EQ(u"D", std::u16string_view(value));
    DeleteFileW(huge.c_str());
}

}  // namespace
