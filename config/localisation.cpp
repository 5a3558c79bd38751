#include "config/localisation.h"

#include "config/launcher_settings.h"
#include "platform/codepage.h"
#include "platform/paths.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <unordered_map>

namespace fs = std::filesystem;

std::string CurrentLanguage = "rus";

namespace {

using Table = std::unordered_map<std::string, std::string>;

// No table until the first load that leaves an entry: lookups then show the
// keys and EnsureTextTable retries on every frame.
std::unique_ptr<Table> text_table;

// Cuts the text between the first `open` in `entry` and the next `close`
// after it; empty when either is missing.
std::string_view Between(std::string_view entry, std::string_view open, std::string_view close) {
    const size_t b = entry.find(open);
    if (b == std::string_view::npos) return {};
    const size_t start = b + open.size();
    const size_t e = entry.find(close, start);
    if (e == std::string_view::npos) return {};
    return entry.substr(start, e - start);
}

// The engine's string tables are read with a plain substring scan, not an XML
// reader: entities, CDATA and inner tags stay as written.
void ParseInto(std::string_view content, Table& table) {
    static constexpr std::string_view kOpen = "<string";
    static constexpr std::string_view kClose = "</string>";
    size_t pos = 0;
    while (true) {
        const size_t b = content.find(kOpen, pos);
        if (b == std::string_view::npos) return;
        const size_t e = content.find(kClose, b);
        if (e == std::string_view::npos) return;
        const std::string_view entry = content.substr(b, e + kClose.size() - b);
        const std::string_view key = Between(entry, "id=\"", "\"");
        const std::string_view text = Between(entry, "<text>", "</text>");
        if (!key.empty() && !text.empty()) table[std::string(key)] = std::string(text);
        pos = e + kClose.size();
    }
}

// A text-mode read on Windows turns CR LF into LF; the files are shared with
// Windows builds, so do the same here.
std::string DropCrBeforeLf(const std::string& raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        out += raw[i];
    }
    return out;
}

}  // namespace

std::string LookupText(const std::string& key) {
    if (!text_table) return key;
    auto it = text_table->find(key);
    return it == text_table->end() ? key : it->second;
}

std::string ToUtf8(std::string_view text) { return Cp1251ToUtf8(text); }

bool LoadLanguageFile(const std::string& path) {
    // A load asked for while no table exists is not carried out: the next
    // frame's EnsureTextTable loads CurrentLanguage instead.
    if (!text_table) return false;
    std::ifstream in(ToFsPath(path), std::ios::binary);
    if (!in) return false;
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    ParseInto(DropCrBeforeLf(raw), *text_table);
    return !text_table->empty();
}

std::string LanguageFilePath(const std::string& lang) {
    return GetGameRoot() + "\\LauncherFiles\\text\\" + lang + "\\st_velmora_launcher.xml";
}

std::vector<std::string> DiscoverLanguages() {
    std::vector<std::string> names;
    std::error_code ec;
    // A folder that cannot be listed, or an entry that cannot be examined,
    // simply offers nothing: the selector falls back to "eng".
    fs::directory_iterator it("LauncherFiles/text", ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        if (!it->is_directory(type_ec) || type_ec) continue;
        const std::string name = it->path().filename().string();
        if (name == "." || name == "..") continue;
        if (FileExists("LauncherFiles/text/" + name + "/st_velmora_launcher.xml")) names.push_back(name);
    }
    if (names.empty()) names.push_back("eng");
    return names;
}

void ChangeLanguage(IniFile& store, const std::string& name) {
    SaveLauncherSetting(store, "language", name);
    launcher_settings.language = name;
    CurrentLanguage = name;
    LoadLanguageFile(LanguageFilePath(name));
}

void EnsureTextTable() {
    if (text_table) return;
    text_table = std::make_unique<Table>();
    if (!LoadLanguageFile(LanguageFilePath(CurrentLanguage))) text_table.reset();
}

int InitialLanguagePosition(const std::vector<std::string>& languages, const std::string& current) {
    for (size_t i = 0; i < languages.size(); ++i)
        if (languages[i] == current) return static_cast<int>(i);
    return current == "rus" ? 0 : 1;
}

void ResetLocalisationForTesting() {
    text_table.reset();
    CurrentLanguage = "rus";
}
