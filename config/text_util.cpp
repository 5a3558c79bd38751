#include "config/text_util.h"

#include "platform/paths.h"

#include <fstream>
#include <iterator>

bool IsClassicSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string Trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && IsClassicSpace(text[b])) ++b;
    while (e > b && IsClassicSpace(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    std::ifstream in(ToFsPath(path), std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::vector<std::string> SplitLines(std::string_view content) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t nl = content.find('\n', start);
        if (nl == std::string_view::npos) {
            lines.emplace_back(content.substr(start));
            break;
        }
        size_t end = nl;
        if (end > start && content[end - 1] == '\r') --end;
        lines.emplace_back(content.substr(start, end - start));
        start = nl + 1;
    }
    return lines;
}
