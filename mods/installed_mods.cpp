#include "mods/installed_mods.h"

#include "app/startup.h"
#include "platform/paths.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

std::vector<InstalledMod> installed_mods;
ConflictMap pending_conflicts;
std::string pending_mod;
bool conflict_pending = false;

// -----------------------------------------------------------------------------
// [SECTION] Listing
// -----------------------------------------------------------------------------
namespace {

// The engine mod folder as the file system sees it; empty when fsgame.ltx
// named none.
std::string ModDirFs() { return ToFsPath(mod_dir); }

void AppendFolders(const fs::path& where, bool enabled, std::vector<InstalledMod>& out) {
    std::error_code ec;
    if (!fs::is_directory(where, ec)) return;
    // A folder that goes away or turns unreadable half-way contributes what
    // was read before: never an exception on the frame thread.
    std::vector<InstalledMod> found;
    fs::directory_iterator it(where, ec), end;
    if (ec) return;
    for (; it != end; it.increment(ec)) {
        if (ec) break;
        std::error_code type_ec;
        if (!it->is_directory(type_ec)) continue;
        found.push_back(InstalledMod{it->path(), it->path().filename().string(), enabled});
    }
    out.insert(out.end(), found.begin(), found.end());
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The digit run from pos as the engine's launcher reads it: a 32-bit signed
// accumulator that wraps on overflow.
int32_t ReadNumber(const std::string& s, size_t& pos) {
    uint32_t value = 0;
    while (pos < s.size() && IsDigit(s[pos])) value = value * 10u + static_cast<uint32_t>(s[pos++] - '0');
    return static_cast<int32_t>(value);
}

}  // namespace

bool NaturalLess(const InstalledMod& a, const InstalledMod& b) {
    const std::string& x = a.name;
    const std::string& y = b.name;
    size_t i = 0, j = 0;
    for (;;) {
        if (i >= x.size() || j >= y.size()) return x.size() < y.size();
        if (IsDigit(x[i]) && IsDigit(y[j])) {
            const int32_t n = ReadNumber(x, i);
            const int32_t m = ReadNumber(y, j);
            if (n != m) return n < m;
            continue;
        }
        const auto cx = static_cast<signed char>(x[i]);
        const auto cy = static_cast<signed char>(y[j]);
        if (cx != cy) return cx < cy;
        ++i;
        ++j;
    }
}

std::vector<InstalledMod> ListInstalledMods() {
    std::vector<InstalledMod> mods;
    AppendFolders(kAvailableAddonsDir, false, mods);
    const std::string dir = ModDirFs();
    if (!dir.empty()) AppendFolders(dir, true, mods);
    // NaturalLess is not a strict weak order ("1a", "01" and "1b": the first
    // two tie, the last two tie, yet "1a" < "1b"), and std::sort may then run
    // past the array. A merge sort stays inside it whatever the comparator says.
    std::stable_sort(mods.begin(), mods.end(), NaturalLess);
    return mods;
}

// -----------------------------------------------------------------------------
// [SECTION] Hand-over between a worker and the frame thread
// -----------------------------------------------------------------------------
namespace {

std::mutex handover_mutex;
std::optional<std::vector<InstalledMod>> handed_over;  // guarded by handover_mutex
std::atomic<std::thread::id> frame_thread{std::thread::id()};

bool OnFrameThread() {
    const std::thread::id frame = frame_thread.load();
    // Before the first frame nothing runs beside the caller.
    return frame == std::thread::id() || frame == std::this_thread::get_id();
}

bool FoundInAddons(const InstalledMod& mod) { return mod.path.parent_path() == fs::path(kAvailableAddonsDir); }

// Replaces installed_mods with fresh, keeping every box whose state the user
// set and the disk does not show yet (ticked with a conflict pending, or a
// move that failed). The box is matched by the folder it was found in.
void SwapIn(std::vector<InstalledMod> fresh) {
    std::vector<std::pair<fs::path, bool>> unsettled;
    for (const InstalledMod& old : installed_mods)
        if (old.enabled == FoundInAddons(old)) unsettled.emplace_back(old.path, old.enabled);
    for (InstalledMod& mod : fresh)
        for (const auto& [path, enabled] : unsettled)
            if (mod.path == path) mod.enabled = enabled;
    installed_mods = std::move(fresh);
}

}  // namespace

void RefreshInstalledMods() {
    std::vector<InstalledMod> fresh = ListInstalledMods();
    if (OnFrameThread()) {
        SwapIn(std::move(fresh));
        return;
    }
    std::lock_guard lock(handover_mutex);
    handed_over = std::move(fresh);
}

void TakeRefreshedInstalledMods() {
    std::thread::id expected{};
    frame_thread.compare_exchange_strong(expected, std::this_thread::get_id());
    std::optional<std::vector<InstalledMod>> fresh;
    {
        std::lock_guard lock(handover_mutex);
        fresh.swap(handed_over);
    }
    if (fresh) SwapIn(std::move(*fresh));
}

// -----------------------------------------------------------------------------
// [SECTION] Files and conflicts
// -----------------------------------------------------------------------------
std::unordered_set<std::string> ListModFiles(const fs::path& folder) {
    std::unordered_set<std::string> files;
    std::error_code ec;
    if (!fs::exists(folder, ec)) return files;
    // The walk does not follow links to folders, so every entry lies below
    // the folder itself and its relative path is lexical: this keeps a linked
    // file at the place where the engine would see it (resolving it could put
    // it outside the mod) and spares a realpath per file.
    fs::recursive_directory_iterator it(folder, ec), end;
    if (ec) return {};
    for (; it != end; it.increment(ec)) {
        if (ec) return {};
        std::error_code type_ec;
        if (!it->is_regular_file(type_ec)) continue;
        files.insert(it->path().lexically_relative(folder).generic_string());
    }
    if (ec) return {};
    return files;
}

ConflictMap FindConflicts(const std::string& name) {
    ConflictMap conflicts;
    const std::unordered_set<std::string> files = ListModFiles(fs::path(kAvailableAddonsDir) / name);
    if (files.empty()) return conflicts;
    for (const InstalledMod& mod : ListInstalledMods()) {
        if (!mod.enabled) continue;
        const std::unordered_set<std::string> other = ListModFiles(mod.path);
        if (other.empty()) continue;
        for (const std::string& file : files)
            if (other.count(file)) conflicts[mod.name].push_back(file);
    }
    return conflicts;
}

// -----------------------------------------------------------------------------
// [SECTION] Moves
// -----------------------------------------------------------------------------
namespace {

std::atomic<bool> force_copy_moves{false};

// Names come from folder listings; anything that is not one plain folder name
// ("", ".", "..", a path) would move the wrong folder.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

// Another file system: copy the whole tree, then remove the source. A copy
// that fails takes its partial result away and leaves the source whole.
bool CopyThenRemove(const fs::path& source, const fs::path& destination) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(destination, ec))) return false;  // as rename onto a taken name
    fs::copy(source, destination, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (ec) {
        std::error_code cleanup;
        fs::remove_all(destination, cleanup);
        return false;
    }
    fs::remove_all(source, ec);
    // The mod is whole at its new place even when leftovers of the source
    // could not be removed.
    return true;
}

bool MoveFolder(const fs::path& source, const fs::path& destination_parent, const fs::path& destination) {
    std::error_code ec;
    if (!fs::exists(source, ec)) return false;
    fs::create_directories(destination_parent, ec);
    if (ec) return false;
    if (force_copy_moves.load()) return CopyThenRemove(source, destination);
    fs::rename(source, destination, ec);
    if (!ec) return true;
    if (ec == std::errc::cross_device_link) return CopyThenRemove(source, destination);
    return false;
}

}  // namespace

bool EnableMod(const std::string& name) {
    const std::string dir = ModDirFs();
    if (dir.empty() || !IsPlainName(name)) return false;
    return MoveFolder(fs::path(kAvailableAddonsDir) / name, dir, fs::path(dir + "/" + name));
}

bool DisableMod(const std::string& name) {
    const std::string dir = ModDirFs();
    if (dir.empty() || !IsPlainName(name)) return false;
    return MoveFolder(fs::path(dir + "/" + name), kAvailableAddonsDir, fs::path(kAvailableAddonsDir) / name);
}

void ResetInstalledModsForTesting() {
    installed_mods.clear();
    pending_conflicts.clear();
    pending_mod.clear();
    conflict_pending = false;
    frame_thread.store(std::thread::id());
    std::lock_guard lock(handover_mutex);
    handed_over.reset();
    force_copy_moves.store(false);
}

void ForceCopyMovesForTesting(bool on) { force_copy_moves.store(on); }
