// The demo's local web server: serves a folder on 127.0.0.1 so the launcher's
// version check and mods manager work without the internet.
//
//   demo_server ROOT PORT [THROTTLE_BYTES_PER_SECOND]
//
// Files larger than 1 MiB are sent at the throttled rate (default 2 MiB/s) so a
// download's progress bar is seen moving. Missing files answer 404.
#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: demo_server ROOT PORT [BYTES_PER_SECOND]\n");
        return 2;
    }
    const fs::path root = fs::weakly_canonical(argv[1]);
    const int port = std::atoi(argv[2]);
    const long long rate = argc > 3 ? std::atoll(argv[3]) : 2LL * 1024 * 1024;

    httplib::Server server;
    auto handler = [&](const httplib::Request& req, httplib::Response& res) {
        const fs::path file = fs::weakly_canonical(root / req.path.substr(1));
        const std::string rel = file.lexically_relative(root).generic_string();
        std::error_code ec;
        if (rel.empty() || rel.rfind("..", 0) == 0 || !fs::is_regular_file(file, ec)) {
            res.status = 404;
            res.set_content("not found", "text/plain");
            return;
        }
        const auto size = static_cast<size_t>(fs::file_size(file, ec));
        if (size <= (1u << 20)) {
            std::ifstream in(file, std::ios::binary);
            std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            res.set_content(body, "application/octet-stream");
            return;
        }
        auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
        res.set_content_provider(size, "application/octet-stream",
                                 [in, rate](size_t offset, size_t length, httplib::DataSink& sink) {
                                     const size_t chunk = std::min<size_t>(length, 64 * 1024);
                                     std::string buf(chunk, '\0');
                                     in->seekg(static_cast<std::streamoff>(offset));
                                     in->read(buf.data(), static_cast<std::streamsize>(chunk));
                                     sink.write(buf.data(), static_cast<size_t>(in->gcount()));
                                     std::this_thread::sleep_for(std::chrono::microseconds(chunk * 1000000 / rate));
                                     return true;
                                 });
    };
    server.Get(".*", handler);
    std::printf("demo_server: serving %s on http://127.0.0.1:%d/\n", root.c_str(), port);
    std::fflush(stdout);
    return server.listen("127.0.0.1", port) ? 0 : 1;
}
