// Archive installation: a mod's zip is unpacked into "available_addons".
//
// Index of this file
// [SECTION] Entry names
// [SECTION] Folders
// [SECTION] Extraction
//
// libarchive's seekable zip reader reads the central directory, so every
// method the mods are packed with (stored, deflate, bzip2, LZMA, xz, zstd),
// zip64 and UTF-8 names work. The archive is read twice: the first read takes
// the headers only (counts the entries, checks every name, collects the
// folders); the second writes the files. Nothing is written before every name
// has been checked.
#include "mods/archive.h"

#include "mods/installed_mods.h"
#include "platform/paths.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>

#include <clocale>
#include <locale.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

namespace {

constexpr size_t kBufferSize = 65536;

// -----------------------------------------------------------------------------
// [SECTION] Entry names
// -----------------------------------------------------------------------------

// The name as stored: UTF-8 when the archive says so (the file system takes
// UTF-8 names as they are); otherwise the raw bytes, never converted through
// the C locale.
const char* EntryName(archive_entry* entry) {
    if (const char* utf8 = archive_entry_pathname_utf8(entry)) return utf8;
    return archive_entry_pathname(entry);
}

std::vector<std::string_view> Components(std::string_view name) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/' || name[i] == '\\') {
            if (i > start) parts.push_back(name.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// A name that would put a file outside "available_addons": absolute, a drive
// name, or a parent-folder step. Backslashes count as separators, as they do
// wherever a path meets the file system.
bool LeavesTargetRoot(std::string_view name) {
    if (name.empty()) return true;
    if (name[0] == '/' || name[0] == '\\') return true;
    if (name.size() >= 2 && name[1] == ':') return true;
    for (std::string_view part : Components(name))
        if (part == "..") return true;
    return false;
}

bool IsLinkEntry(archive_entry* entry) {
    return archive_entry_filetype(entry) == AE_IFLNK || archive_entry_symlink(entry) != nullptr ||
           archive_entry_hardlink(entry) != nullptr;
}

// A symbolic link already on disk below "available_addons" would carry a
// file written "through" it anywhere; the whole path is checked before the
// archive writes. `checked` keeps the prefixes already known to be plain.
bool PassesThroughLink(std::string_view name, std::set<std::string>& checked) {
    std::string path = kAvailableAddonsDir;
    for (std::string_view part : Components(name)) {
        if (part == ".") continue;
        path += '/';
        path += part;
        if (checked.count(path)) continue;
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return true;
        checked.insert(path);
    }
    return false;
}

bool IsFolderEntry(std::string_view name) { return !name.empty() && name.back() == '/'; }

// libarchive converts names to the thread's locale. In the C locale a name
// flagged UTF-8 with letters beyond ASCII cannot be converted and comes back
// empty; under C.UTF-8 it passes as it is. Only this thread is switched.
class Utf8NamesOnThisThread {
public:
    Utf8NamesOnThisThread() : locale_(newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(0))) {
        if (locale_) previous_ = uselocale(locale_);
    }
    ~Utf8NamesOnThisThread() {
        if (!locale_) return;
        uselocale(previous_);
        freelocale(locale_);
    }
    Utf8NamesOnThisThread(const Utf8NamesOnThisThread&) = delete;
    Utf8NamesOnThisThread& operator=(const Utf8NamesOnThisThread&) = delete;

private:
    locale_t locale_;
    locale_t previous_ = static_cast<locale_t>(0);
};

// libarchive does not recognise a zip without entries (nothing but the end
// record); such an archive is valid and simply holds nothing.
bool IsEmptyZip(const std::string& fs_path) {
    std::ifstream in(fs_path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size < 22) return false;
    const std::streamoff tail_size = std::min<std::streamoff>(size, 22 + 65535);
    std::string tail(static_cast<size_t>(tail_size), '\0');
    in.seekg(size - tail_size);
    if (!in.read(tail.data(), tail_size)) return false;
    auto u16 = [&](size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(tail[at])) |
               static_cast<unsigned>(static_cast<unsigned char>(tail[at + 1])) << 8;
    };
    for (size_t at = tail.size() - 22 + 1; at-- > 0;) {
        if (tail.compare(at, 4, "PK\x05\x06") != 0) continue;
        // The end record closes the file (its comment runs to the end).
        if (at + 22 + u16(at + 20) != tail.size()) continue;
        return u16(at + 8) == 0 && u16(at + 10) == 0 && static_cast<std::streamoff>(at) + (size - tail_size) == 0;
    }
    return false;
}

// -----------------------------------------------------------------------------
// [SECTION] Extraction
// -----------------------------------------------------------------------------
struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveFree>;

// No read filters: a mod archive is a plain zip, and some of libarchive's
// filters hand the data to outside programs.
ArchivePtr OpenZip(const std::string& fs_path) {
    ArchivePtr a(archive_read_new());
    if (!a) return nullptr;
    archive_read_support_format_zip_seekable(a.get());
    if (archive_read_open_filename(a.get(), fs_path.c_str(), kBufferSize) != ARCHIVE_OK) return nullptr;
    return a;
}

// ARCHIVE_WARN from a header is a name that could not be converted; the raw
// bytes are then used, which is what this launcher wants.
bool HeaderOk(int r) { return r == ARCHIVE_OK || r == ARCHIVE_WARN; }

struct FileClose {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};

void SetProgress(std::atomic<int>* counter, int value) {
    if (counter) counter->store(value);
}

// Result of the first read.
struct Survey {
    bool ok = false;
    int entries = 0;
    std::vector<std::string> folders;  // target paths of the folder entries
};

Survey SurveyArchive(const std::string& archive_path, const std::string& fs_path) {
    Survey survey;
    ArchivePtr a = OpenZip(fs_path);
    if (!a) {
        if (IsEmptyZip(fs_path))
            survey.ok = true;
        else
            std::printf("Cannot open zip file %s\n", archive_path.c_str());
        return survey;
    }
    std::set<std::string> checked;
    for (;;) {
        archive_entry* entry = nullptr;
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF) break;
        if (!HeaderOk(r)) {
            // The reader bids on the first header: no format means no zip.
            if (survey.entries == 0 && archive_format(a.get()) == 0) {
                if (IsEmptyZip(fs_path)) break;
                std::printf("Cannot open zip file %s\n", archive_path.c_str());
            } else {
                std::printf("Could not read file info\n");
            }
            return survey;
        }
        const char* raw = EntryName(entry);
        if (!raw) {
            std::printf("Could not read file info\n");
            return survey;
        }
        const std::string name = raw;
        if (LeavesTargetRoot(name) || IsLinkEntry(entry) || PassesThroughLink(name, checked)) {
            std::printf("Unsafe path in archive: %s\n", name.c_str());
            return survey;
        }
        if (IsFolderEntry(name)) survey.folders.push_back(std::string(kAvailableAddonsDir) + "/" + name);
        ++survey.entries;
    }
    survey.ok = true;
    return survey;
}

// The second read: every file entry is written. False after its line when an
// entry fails.
bool WriteEntries(const std::string& archive_path, const std::string& fs_path, int entries, ExtractProgress* progress,
                  std::vector<char>& buffer) {
    ArchivePtr a = OpenZip(fs_path);
    if (!a) {
        std::printf("Cannot open zip file %s\n", archive_path.c_str());
        return false;
    }
    std::vector<char> stream_buffer(kBufferSize);
    for (int i = 1; i <= entries; ++i) {
        if (progress) SetProgress(progress->current_entry, i);
        archive_entry* entry = nullptr;
        const int r = archive_read_next_header(a.get(), &entry);
        const char* raw = HeaderOk(r) ? EntryName(entry) : nullptr;
        if (!raw) {
            std::printf("Could not read file info\n");
            return false;
        }
        const std::string name = raw;
        // The file may have changed since the first read.
        if (LeavesTargetRoot(name) || IsLinkEntry(entry)) {
            std::printf("Unsafe path in archive: %s\n", name.c_str());
            return false;
        }
        const std::string target = std::string(kAvailableAddonsDir) + "/" + name;
        if (IsFolderEntry(name)) continue;

        if (archive_entry_is_encrypted(entry)) {
            std::printf("Could not open file %s in zip\n", name.c_str());
            return false;
        }
        // The first block stands in for opening the entry: an unsupported
        // method or a damaged header shows here, before the target exists.
        // An entry the directory gives as empty is not read at all: the LZMA
        // decoder fails on the end marker of an empty stream.
        const bool empty = archive_entry_size_is_set(entry) && archive_entry_size(entry) == 0;
        ssize_t n = empty ? 0 : archive_read_data(a.get(), buffer.data(), buffer.size());
        if (n < 0) {
            std::printf("Could not open file %s in zip\n", name.c_str());
            return false;
        }
        const size_t cut = target.find_last_of("/\\");
        if (cut != std::string::npos) MakeDirectoryPath(target.substr(0, cut));
        std::unique_ptr<FILE, FileClose> out(std::fopen(ToFsPath(target).c_str(), "wb"));
        if (!out) {
            std::printf("Could not open destination file %s\n", target.c_str());
            return false;
        }
        std::setvbuf(out.get(), stream_buffer.data(), _IOFBF, stream_buffer.size());
        std::printf("Extracting: %s\n", target.c_str());
        while (n > 0) {
            if (std::fwrite(buffer.data(), 1, static_cast<size_t>(n), out.get()) != static_cast<size_t>(n)) {
                std::printf("Error writing extracted file\n");
                return false;
            }
            n = archive_read_data(a.get(), buffer.data(), buffer.size());
        }
        if (n < 0) {
            // A damaged stream or a checksum mismatch: the data on disk is not
            // what the archive holds.
            std::printf("Error %d reading zip file\n", static_cast<int>(n));
            return false;
        }
        // A full disk may show only when the last buffered block goes out.
        if (std::fclose(out.release()) != 0) {
            std::printf("Error writing extracted file\n");
            return false;
        }
    }
    return true;
}

}  // namespace

// -----------------------------------------------------------------------------
// [SECTION] Folders
// -----------------------------------------------------------------------------
bool MakeDirectoryPath(const std::string& path) {
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/' && path[i] != '\\') continue;
        const std::string prefix = path.substr(0, i);
        if (prefix.empty() || prefix.back() == ':') continue;
        if (prefix.back() == '/' || prefix.back() == '\\') continue;  // "a//b": the step was taken already
        if (mkdir(ToFsPath(prefix).c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return true;
}

bool ExtractArchive(const std::string& archive_path, ExtractProgress* progress) {
    const Utf8NamesOnThisThread utf8_names;
    const std::string fs_path = ToFsPath(archive_path);
    if (progress) SetProgress(progress->current_entry, 0);
    const Survey survey = SurveyArchive(archive_path, fs_path);
    std::fflush(stdout);
    if (!survey.ok) return false;
    if (progress) SetProgress(progress->entry_count, survey.entries);
    for (const std::string& folder : survey.folders) MakeDirectoryPath(folder);

    std::vector<char> buffer(kBufferSize, 0);
    const bool written = survey.entries == 0 || WriteEntries(archive_path, fs_path, survey.entries, progress, buffer);
    std::fflush(stdout);
    if (!written) return false;

    RefreshInstalledMods();
    if (std::remove(fs_path.c_str()) != 0) std::printf("Warning: Could not delete archive file %s\n", archive_path.c_str());
    std::fflush(stdout);
    return true;
}
