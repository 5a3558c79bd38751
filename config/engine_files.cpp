#include "config/engine_files.h"

#include "config/text_util.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {

// Splits at every single space; two adjacent spaces give an empty word.
std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    size_t start = 0;
    while (true) {
        size_t sp = line.find(' ', start);
        if (sp == std::string_view::npos) {
            words.push_back(line.substr(start));
            return words;
        }
        words.push_back(line.substr(start, sp - start));
        start = sp + 1;
    }
}

// Fields of an fsgame.ltx value, split at '|' like a getline loop: a trailing
// '|' adds no field, empty text gives none.
std::vector<std::string> SplitFields(std::string_view text) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (start < text.size()) {
        size_t bar = text.find('|', start);
        if (bar == std::string_view::npos) {
            fields.push_back(Trim(text.substr(start)));
            break;
        }
        fields.push_back(Trim(text.substr(start, bar - start)));
        start = bar + 1;
    }
    return fields;
}

}  // namespace

PathAliases LoadPathAliases(const std::string& path) {
    std::string content;
    if (!ReadWholeFile(path, content)) throw std::runtime_error("Could not open file: " + path);
    PathAliases aliases;
    for (const std::string& line : SplitLines(content)) {
        if (line.empty() || line[0] == ';') continue;  // not trimmed first: " ;x" is a line
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string name = Trim(std::string_view(line).substr(0, eq));
        if (name.empty()) continue;
        std::vector<std::string> fields = SplitFields(std::string_view(line).substr(eq + 1));
        std::string resolved;
        if (fields.size() >= 3) {
            const std::string& root = fields[2];
            if (!root.empty() && root[0] == '$') {
                auto it = aliases.find(root);
                if (it != aliases.end()) resolved = it->second;
            } else {
                resolved = root;
            }
            for (size_t i = 3; i < fields.size(); ++i) resolved += fields[i];
        }
        if (!resolved.empty()) aliases[name] = resolved;
    }
    return aliases;
}

std::string FindUserValue(const std::string& content, const std::string& name) {
    for (const std::string& line : SplitLines(content)) {
        std::vector<std::string_view> words = SplitWords(line);
        if (words.size() >= 2 && words[0] == name) return std::string(words[1]);
    }
    return std::string();
}

std::string ReadUserValue(const std::string& name, const std::string& path) {
    std::string content;
    if (!ReadWholeFile(path, content)) return std::string();
    return FindUserValue(content, name);
}

float ReadUserFloat(const std::string& name, const std::string& path) {
    return static_cast<float>(std::atof(ReadUserValue(name, path).c_str()));
}

int ReadUserInt(const std::string& name, const std::string& path) {
    return std::atoi(ReadUserValue(name, path).c_str());
}

bool ReadUserSwitch(const std::string& name, const std::string& path) { return ReadUserValue(name, path) == "on"; }

bool ReadUserBit(const std::string& name, const std::string& path) { return ReadUserValue(name, path) == "1"; }

void WriteUserValue(const std::string& name, const std::string& value, const std::string& path) {
    const std::string fs_path = ToFsPath(path);
    std::string content, output;
    if (ReadWholeFile(path, content)) {
        for (const std::string& line : SplitLines(content)) {
            std::vector<std::string_view> words = SplitWords(line);
            if (words.size() >= 2 && words[0] == name)
                output += name + " " + value;
            else
                output += line;
            output += '\n';
        }
    } else {
        // A file that exists but cannot be read would be emptied by the
        // rewrite, losing the player's whole configuration: leave it alone.
        std::error_code ec;
        if (std::filesystem::exists(fs_path, ec) || ec) return;
    }
    // Written beside and renamed over the old file, so a crash or a full disk
    // in the middle of the write never leaves a truncated user.ltx.
    const std::string tmp = fs_path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return;
        out.write(output.data(), static_cast<std::streamsize>(output.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(tmp.c_str());
            return;
        }
    }
    if (std::rename(tmp.c_str(), fs_path.c_str()) != 0) std::remove(tmp.c_str());
}

std::string FormatUserFloat(float value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%f", static_cast<double>(value));
    return buf;
}

void WriteUserFloat(const std::string& name, float value, const std::string& path) {
    WriteUserValue(name, FormatUserFloat(value), path);
}

void WriteUserInt(const std::string& name, int value, const std::string& path) {
    WriteUserValue(name, std::to_string(value), path);
}

void WriteUserSwitch(const std::string& name, bool value, const std::string& path) {
    WriteUserValue(name, value ? "on" : "off", path);
}

void WriteUserBit(const std::string& name, bool value, const std::string& path) {
    WriteUserValue(name, value ? "1" : "0", path);
}
