#include "config/launcher_settings.h"

#include "config/text_util.h"

#include "config/localisation.h"
#include "platform/message_box.h"
#include "platform/paths.h"

#include <array>

LauncherSettings launcher_settings = DefaultLauncherSettings();

namespace {

constexpr const char kSection[] = "launcher_options";

// When a key is taken from the file: on every frame (hand edits show up while
// the launcher runs), or once per process (the player changes these from the
// launcher itself, so the in-memory value is the reference afterwards).
enum class ReadWhen { EveryFrame, Once };

// One row per key of launcher.ini. Exactly one of `text`/`flag` is set.
struct KeySpec {
    const char* key;
    std::string LauncherSettings::*text;
    bool LauncherSettings::*flag;
    const char* text_default;
    bool flag_default;
    ReadWhen when;
};

constexpr auto Text(const char* key, std::string LauncherSettings::*field, const char* def,
                    ReadWhen when = ReadWhen::EveryFrame) {
    return KeySpec{key, field, nullptr, def, false, when};
}
constexpr auto Flag(const char* key, bool LauncherSettings::*field, bool def) {
    return KeySpec{key, nullptr, field, nullptr, def, ReadWhen::EveryFrame};
}

// The built-in defaults, in reading order.
constexpr std::array kKeys = {
    Text("vk_link", &LauncherSettings::vk_link, "https://vk.com/velmorateam"),
    Text("discord_link", &LauncherSettings::discord_link, "https://discord.gg/velmorateam"),
    Text("appro_link", &LauncherSettings::appro_link, "https://forum.modostroy-zone.ru/members/velmorateam/topics/"),
    Text("boosty_link", &LauncherSettings::boosty_link, "https://boosty.to/velmorateam"),
    Text("github_link", &LauncherSettings::github_link, "https://github.com/velmorateam"),
    Text("mods_ini_link", &LauncherSettings::mods_ini_link,
         "https://raw.githubusercontent.com/velmorateam/velmora-addons/main/mods_descr.ini"),
    Text("mods_images_link", &LauncherSettings::mods_images_link,
         "https://raw.githubusercontent.com/velmorateam/velmora-addons/main/previews/"),
    Flag("quick_start", &LauncherSettings::quick_start, false),
    Flag("disable_check_version", &LauncherSettings::disable_check_version, false),
    Flag("enable_mod_manager", &LauncherSettings::enable_mod_manager, true),
    Flag("enable_download_manager", &LauncherSettings::enable_download_manager, true),
    Text("engine_runner", &LauncherSettings::engine_runner, ""),
    Text("engine_version_link", &LauncherSettings::engine_version_link,
         "https://raw.githubusercontent.com/velmorateam/halcyon-engine/main/src/build_version.h"),
    Text("language", &LauncherSettings::language, "rus", ReadWhen::Once),
    Text("custom_user_key", &LauncherSettings::custom_user_key, "", ReadWhen::Once),
};

// Whether `language` and `custom_user_key` have been taken from the file.
bool once_keys_read = false;

void ReadKey(const IniFile& store, const KeySpec& spec, LauncherSettings& into) {
    if (spec.text)
        into.*spec.text = store.GetString(kSection, spec.key, spec.text_default);
    else
        into.*spec.flag = store.GetBool(kSection, spec.key, spec.flag_default);
}

}  // namespace

LauncherSettings DefaultLauncherSettings() {
    LauncherSettings s;
    for (const KeySpec& spec : kKeys) {
        if (spec.text)
            s.*spec.text = spec.text_default;
        else
            s.*spec.flag = spec.flag_default;
    }
    return s;
}

std::string LauncherIniPath() { return GetGameRoot() + "\\launcher.ini"; }

std::optional<IniFile> ReadLauncherSettings() {
    IniFile store;
    const std::string path = LauncherIniPath();
    if (!FileExists(path)) store.Save(path);  // creates an empty file
    if (!store.Load(path)) {
        ShowError("Error", "Failed to create launcher config file!");
        return std::nullopt;
    }
    if (!FileExists(path) || !store.HasSection(kSection)) return store;

    for (const KeySpec& spec : kKeys)
        if (spec.when == ReadWhen::EveryFrame) ReadKey(store, spec, launcher_settings);

    if (!once_keys_read) {
        once_keys_read = true;
        for (const KeySpec& spec : kKeys)
            if (spec.when == ReadWhen::Once) ReadKey(store, spec, launcher_settings);
        // The chosen language's texts go over the Russian ones that
        // EnsureTextTable loaded first; keys it lacks keep their Russian text.
        CurrentLanguage = launcher_settings.language;
        LoadLanguageFile(LanguageFilePath(CurrentLanguage));
    }
    return store;
}

namespace {
// The INI reader trims values and strips one pair of surrounding quotes. Extra
// command-line text such as " -nointro" must begin with its own space, which a
// plain "key =  -nointro" line would lose at the next start (the engine would
// then get "bin/Halcyon.exe-nointro"); quoting such a value keeps it whole.
std::string StoredForm(const std::string& value) {
    const bool edge_space = !value.empty() && (IsClassicSpace(value.front()) || IsClassicSpace(value.back()));
    const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return edge_space || quoted ? "\"" + value + "\"" : value;
}
}  // namespace

void SaveLauncherSetting(IniFile& store, const std::string& key, const std::string& value) {
    store.SetValue(kSection, key, StoredForm(value));
    store.Save(LauncherIniPath());
    // The once-read keys are never taken from the file again, so the memory
    // copy must follow what the player just wrote.
    for (const KeySpec& spec : kKeys)
        if (spec.when == ReadWhen::Once && spec.text && key == spec.key) launcher_settings.*spec.text = value;
}

void ResetLauncherSettingsForTesting() {
    launcher_settings = DefaultLauncherSettings();
    once_keys_read = false;
}
