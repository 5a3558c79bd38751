#include "screens/version_check.h"

#include "config/launcher_settings.h"
#include "config/localisation.h"
#include "platform/paths.h"
#include "platform/pe_version.h"
#include "platform/ui_probe.h"

#include <curl/curl.h>

std::string engine_version;
bool version_checked = false;
bool version_is_latest = false;
std::string latest_version_text;

namespace {

size_t AppendBody(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

}  // namespace

std::string ReadEngineVersion(const std::string& path) {
    const auto v = ReadProductVersionFromFile(path);
    if (!v) return std::string();
    return std::to_string((*v)[0]) + "." + std::to_string((*v)[1]) + "." + std::to_string((*v)[2]) +
           std::to_string((*v)[3]);
}

std::string FetchLatestVersion(const std::string& address, const std::string& remove) {
    std::string body;
    if (CURL* curl = curl_easy_init()) {
        curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
        // The whole launcher waits for this request: give up on a dead
        // connection instead of hanging forever.
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 15L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
        if (curl_easy_perform(curl) != CURLE_OK) body = "Error!";
        curl_easy_cleanup(curl);
    }
    static const std::string kName = "GAME_VERSION";
    if (body.size() < kName.size()) return std::string();
    const size_t p = body.find(kName);
    if (p == std::string::npos) return std::string();
    // The name ends the file, or one byte follows it: no version to take.
    if (body.size() - p < kName.size() + 2) return std::string();
    std::string version;
    for (char c : body.substr(p + kName.size() + 2, 10)) {
        if (remove.find(c) == std::string::npos) version += c;
    }
    return version;
}

bool CheckEngineVersion(const std::string& installed) {
    const std::string latest = FetchLatestVersion(launcher_settings.engine_version_link, std::string(" \"\t"));
    latest_version_text = "(Last version: " + latest + ")";
    version_checked = true;
    return installed == latest;
}

void UpdateEngineVersion() {
    if (engine_version.empty()) engine_version = ReadEngineVersion(GetGameRoot() + "\\bin\\Halcyon.exe");
    if (!version_checked) version_is_latest = CheckEngineVersion(engine_version);
}

EngineVersionLine ComposeEngineVersionLine() {
    const std::string label = LookupText("ui_launcher_engine_version_text");
    if (launcher_settings.disable_check_version) {
        return {ToUtf8(label + engine_version), ImVec4(1.0f, 1.0f, 1.0f, 1.0f)};
    }
    if (version_is_latest) {
        return {ToUtf8(label + engine_version + " " + LookupText("ui_launcher_engine_version_actual_text")),
                ImVec4(0.2f, 0.8f, 0.2f, 1.0f)};
    }
    return {ToUtf8(label + engine_version + " " + latest_version_text), ImVec4(1.0f, 0.0f, 0.0f, 1.0f)};
}

void DrawEngineVersionLine() {
    const EngineVersionLine line = ComposeEngineVersionLine();
    ImGui::PushStyleColor(ImGuiCol_Text, line.colour);
    ImGui::TextUnformatted(line.text.c_str(), line.text.c_str() + line.text.size());
    ProbeItem("version_line", line.text);
    ImGui::PopStyleColor();
}

void ResetVersionCheckForTesting() {
    engine_version.clear();
    version_checked = false;
    version_is_latest = false;
    latest_version_text.clear();
}
