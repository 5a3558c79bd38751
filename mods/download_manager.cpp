#include "mods/download_manager.h"

#include "mods/archive.h"
#include "mods/registry.h"
#include "mods/transfer.h"
#include "platform/paths.h"

#include <cstdio>
#include <filesystem>
#include <future>
#include <mutex>
#include <vector>

namespace DownloadManager {

namespace {

std::mutex pending_mutex;
std::vector<std::future<bool>> pending;  // every task started and not yet collected

void Out(const std::string& text) { DiagnosticLine(stdout, text); }
void Err(const std::string& text) { DiagnosticLine(stderr, text); }

TransferCounters CountersOf(ModStatus* status) {
    if (!status) return {};
    return {&status->bytes_received, &status->bytes_announced};
}

void Install(const std::string& archive, ModStatus& status) {
    ExtractProgress progress{&status.current_entry, &status.entry_count};
    ExtractArchive(archive, &progress);
}

// Installation begins before the transfer flag drops, so the entry never
// looks idle (and offers its download button) between the two phases.
void BeginInstalling(ModStatus& status) {
    status.current_entry = 0;
    status.entry_count = 0;
    status.installing = true;
}

}  // namespace

std::string VolumeBase(const std::string& link_or_path) {
    // Only a dot in the last segment counts: the dots of a host name must not
    // turn a link into a request to another host.
    const size_t sep = link_or_path.find_last_of("/\\");
    const size_t dot = link_or_path.rfind('.');
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return link_or_path;
    return link_or_path.substr(0, dot);
}

std::string VolumeName(const std::string& base, int n) { return base + ".part" + std::to_string(n) + ".zip"; }

bool DownloadPart(const std::string& link, const std::string& destination, CURL* transfer, ModStatus* status) {
    CURL* curl = transfer ? transfer : NewTransfer();
    if (!curl) {
        Err("Ошибка инициализации CURL");
        return false;
    }
    const bool own = curl != transfer;
    std::FILE* file = OpenForWriting(destination);
    if (!file) {
        Err("Ошибка открытия файла для записи: " + destination);
        if (own) curl_easy_cleanup(curl);
        return false;
    }
    if (own && status) status->transfer_live = true;
    const TransferResult result = TransferToFile(curl, link, file, CountersOf(status));
    if (!result.Ok()) {
        Err("Ошибка скачивания: " + DescribeFailure(result));
        std::error_code ec;
        std::filesystem::remove(ToFsPath(destination), ec);
    }
    if (own) {
        if (status) status->transfer_live = false;
        curl_easy_cleanup(curl);
    }
    return result.Ok();
}

bool DownloadMultiVolume(const std::string& link, const std::string& destination, ModStatus& status) {
    const std::string link_base = VolumeBase(link);
    const std::string dest_base = VolumeBase(destination);

    int count = 0;
    while (count < kMaxVolumes) {
        CURL* probe = NewTransfer();
        if (!probe) break;
        const TransferResult r = ProbeUrl(probe, VolumeName(link_base, count + 1));
        curl_easy_cleanup(probe);
        if (!r.Ok()) break;
        ++count;
    }
    if (count == 0) {
        Out("Это не многотомный архив, скачиваем как обычный файл");
        return false;
    }
    Out("Найдено частей: " + std::to_string(count));
    status.downloading = true;
    // Without a shared transfer each part makes its own.
    CURL* shared = NewTransfer();
    if (shared) status.transfer_live = true;
    auto release = [&] {
        if (shared) curl_easy_cleanup(shared);
        shared = nullptr;
        status.transfer_live = false;
        status.downloading = false;
    };

    std::vector<std::string> volumes;
    for (int n = 1; n <= count; ++n) {
        Out("Скачивание части " + std::to_string(n) + "/" + std::to_string(count));
        const std::string path = VolumeName(dest_base, n);
        if (!DownloadPart(VolumeName(link_base, n), path, shared, &status)) {
            Err("Ошибка скачивания части " + std::to_string(n));
            release();
            return false;
        }
        volumes.push_back(path);
    }
    Out("Скачивание основного файла");
    if (!DownloadPart(link, destination, shared, &status)) {
        Err("Ошибка скачивания основного файла!");
        release();
        return false;
    }

    BeginInstalling(status);
    release();
    Out("Распаковка архива...");
    // Volumes first, so the main archive's files replace equal paths.
    for (int n = 1; n <= count; ++n) {
        Out("Распаковка части " + std::to_string(n) + "/" + std::to_string(count));
        Install(volumes[n - 1], status);
    }
    Out("Распаковка основного файла");
    Install(destination, status);
    status.installing = false;
    Out("Многотомный архив успешно скачан и распакован");
    return true;
}

bool DownloadFile(const std::string& link, const std::string& destination, ModStatus& status) {
    if (DownloadMultiVolume(link, destination, status)) {
        Out("Многотомный архив успешно скачан и распакован");
        return true;
    }
    // The single-file attempt is a download too: its progress shows and the
    // download button stays hidden.
    status.downloading = true;
    CURL* curl = NewTransfer();
    if (!curl) {
        Err("Ошибка инициализации CURL");
        return false;
    }
    std::FILE* file = OpenForWriting(destination);
    if (!file) {
        Err("Ошибка открытия файла для записи");
        curl_easy_cleanup(curl);
        return false;
    }
    status.transfer_live = true;
    const TransferResult result = TransferToFile(curl, link, file, CountersOf(&status));
    curl_easy_cleanup(curl);
    if (!result.Ok()) {
        status.transfer_live = false;
        Err("Ошибка: " + DescribeFailure(result));
        // A truncated archive left behind would pass for a download later.
        std::error_code ec;
        std::filesystem::remove(ToFsPath(destination), ec);
        return false;
    }
    BeginInstalling(status);
    status.transfer_live = false;
    Install(destination, status);
    status.installing = false;
    return true;
}

bool DownloadFileAsync(const std::string& link, const std::string& destination, const std::string& id,
                       std::shared_ptr<ModStatus> status) {
    if (!status || status->task_running.exchange(true)) return false;
    status->downloading = true;

    auto task = [link, destination, id, status]() -> bool {
        bool ok = false;
        try {
            ok = DownloadFile(link, destination, *status);
            // Only a download that went through is remembered across runs.
            if (ok) RecordDownloadedMod(id);
        } catch (...) {
            // A file-system error in the installer must not leave the entry
            // looking busy for ever.
        }
        status->transfer_live = false;
        status->installing = false;
        status->downloaded = ok;
        status->downloading = false;
        status->task_running = false;
        return ok;
    };

    std::lock_guard<std::mutex> lock(pending_mutex);
    // Finished tasks need not wait for the end of the process.
    std::erase_if(pending, [](std::future<bool>& f) {
        return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    try {
        pending.push_back(std::async(std::launch::async, std::move(task)));
    } catch (const std::system_error&) {
        status->downloading = false;
        status->task_running = false;
        return false;
    }
    return true;
}

void WaitForPendingTasks() {
    for (;;) {
        std::vector<std::future<bool>> batch;
        {
            std::lock_guard<std::mutex> lock(pending_mutex);
            if (pending.empty()) return;
            batch.swap(pending);
        }
        for (std::future<bool>& f : batch) f.wait();
    }
}

void ResetDownloadsForTesting() {
    WaitForPendingTasks();
    ResetCatalogueForTesting();
    ResetTransferForTesting();
}

}  // namespace DownloadManager
