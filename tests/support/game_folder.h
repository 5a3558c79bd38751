#pragma once
// A temporary game folder for tests: created empty (or with an fsgame.ltx),
// made the working directory and the launcher's folder (GetGameRoot), and
// removed afterwards. The launcher's process-wide state is reset on entry.
#include <filesystem>
#include <string>

class TempGameFolder {
public:
    // fsgame: content of fsgame.ltx; an empty string writes no file.
    explicit TempGameFolder(const std::string& fsgame = DefaultFsgame());
    ~TempGameFolder();
    TempGameFolder(const TempGameFolder&) = delete;
    TempGameFolder& operator=(const TempGameFolder&) = delete;

    const std::filesystem::path& path() const { return root_; }
    std::string Path(const std::string& relative) const { return (root_ / relative).string(); }

    void Write(const std::string& relative, const std::string& content) const;  // creates folders
    std::string Read(const std::string& relative) const;                         // "" when missing

    // Copies the stub engine (it logs its command line to engine_log.txt) to
    // the given place in the game folder, creating its folder.
    void InstallStubEngine(const std::string& relative = "bin/Halcyon.exe") const;
    // The last line the stub engine logged, without its line feed; "" when none.
    std::string LastEngineLogLine() const;

    // $app_data_root$ = appdata\ , $mod_dir$ = appdata\mods\ (below an
    // undefined root alias, as the engine writes them).
    static std::string DefaultFsgame();

private:
    std::filesystem::path root_;
    std::filesystem::path previous_cwd_;
};

// A fresh temporary folder removed at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Resets every process-wide state of the launcher to its start value.
void ResetLauncherState();
