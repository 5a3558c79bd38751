#include "config/ini_file.h"

#include "config/text_util.h"
#include "platform/paths.h"

#include <cstdio>
#include <stdexcept>

namespace {

// Reads the whole file; false when it cannot be opened or read. A plain
// ifstream "opens" a directory and then yields nothing, which would make an
// unreadable launcher.ini look like an empty one, so read errors count here.
bool ReadFileStrict(const std::string& path, std::string& out) {
    FILE* f = std::fopen(ToFsPath(path).c_str(), "rb");
    if (!f) return false;
    std::string content;
    char buf[16384];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return false;
    out = std::move(content);
    return true;
}

}  // namespace

// -----------------------------------------------------------------------------
// [SECTION] Section
// -----------------------------------------------------------------------------

const std::string* IniFile::Section::Find(const std::string& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
}

void IniFile::Section::Set(const std::string& key, const std::string& value) {
    auto it = index_.find(key);
    if (it != index_.end()) {
        entries_[it->second].second = value;  // keeps the key's first position
        return;
    }
    index_.emplace(key, entries_.size());
    entries_.emplace_back(key, value);
}

// -----------------------------------------------------------------------------
// [SECTION] Load and Save
// -----------------------------------------------------------------------------

bool IniFile::Load(const std::string& path) {
    std::string content;
    if (!ReadFileStrict(path, content)) return false;

    sections_.clear();
    index_.clear();
    std::string current;
    // SplitLines treats CR before LF as the line end; Trim removes any other
    // stray CR, so both line-end styles load alike.
    for (const std::string& raw : SplitLines(content)) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            current = Trim(std::string_view(line).substr(1, line.size() - 2));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || current.empty()) continue;
        std::string key = Trim(std::string_view(line).substr(0, eq));
        std::string value = Trim(std::string_view(line).substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        SetValue(current, key, value);
    }
    return true;
}

void IniFile::Save(const std::string& path) const {
    std::string out;
    for (const auto& [name, section] : sections_) {
        out += '[';
        out += name;
        out += "]\n";
        for (const auto& [key, value] : section) {
            out += key;
            out += " = ";
            out += value;
            out += '\n';
        }
        out += '\n';
    }
    FILE* f = std::fopen(ToFsPath(path).c_str(), "wb");
    if (!f) return;
    if (!out.empty()) std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
}

// -----------------------------------------------------------------------------
// [SECTION] Access
// -----------------------------------------------------------------------------

std::string IniFile::GetString(const std::string& section, const std::string& key, const std::string& def) const {
    auto it = index_.find(section);
    if (it == index_.end()) return def;
    const std::string* value = sections_[it->second].second.Find(key);
    return value ? *value : def;
}

bool IniFile::GetBool(const std::string& section, const std::string& key, bool def) const {
    std::string text = GetString(section, key, "");
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (text == "true" || text == "yes" || text == "1") return true;
    if (text == "false" || text == "no" || text == "0") return false;
    return def;
}

bool IniFile::HasSection(const std::string& section) const { return index_.count(section) != 0; }

const IniFile::Section& IniFile::GetSection(const std::string& section) const {
    auto it = index_.find(section);
    // A caller that skipped HasSection gets an exception rather than a read
    // through a dangling reference.
    if (it == index_.end()) throw std::out_of_range("IniFile: no section " + section);
    return sections_[it->second].second;
}

void IniFile::SetValue(const std::string& section, const std::string& key, const std::string& value) {
    auto it = index_.find(section);
    if (it == index_.end()) {
        it = index_.emplace(section, sections_.size()).first;
        sections_.emplace_back(section, Section());
    }
    sections_[it->second].second.Set(key, value);
}

std::vector<std::string> IniFile::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const auto& entry : sections_) names.push_back(entry.first);
    return names;
}
