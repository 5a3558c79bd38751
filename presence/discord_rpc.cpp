#include "presence/discord_rpc.h"

#include "presence/discord_ipc.h"
#include "presence/discord_register.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

// Index of this file
// [SECTION] Where Discord listens
// [SECTION] The client and its I/O worker
// [SECTION] Entry points

using discord_ipc::Activity;
using discord_ipc::EncodeFrame;
using discord_ipc::Event;
using discord_ipc::Opcode;
using discord_ipc::Session;

// -----------------------------------------------------------------------------
// [SECTION] Where Discord listens
// -----------------------------------------------------------------------------
namespace {

// discord-ipc-0..9 in the runtime folder, then the same names where the
// Flatpak and Snap builds of Discord put them. Read once on the caller's
// thread: the worker never touches the environment.
std::vector<std::string> SocketCandidates() {
    const char* base = nullptr;
    for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR", "TMP", "TEMP"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            base = value;
            break;
        }
    }
    std::string root = base ? base : "/tmp";
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    std::vector<std::string> paths;
    for (const char* sub : {"", "/app/com.discordapp.Discord", "/snap.discord"}) {
        for (int i = 0; i < 10; ++i) {
            std::string path = root + sub + "/discord-ipc-" + std::to_string(i);
            // A path that does not fit sun_path would be cut and could name
            // another socket; it is skipped instead.
            if (path.size() < sizeof(sockaddr_un::sun_path)) paths.push_back(std::move(path));
        }
    }
    return paths;
}

int ConnectToAny(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return -1;
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, path.data(), path.size());
        // A Unix socket connects at once or fails at once (EAGAIN when the
        // listener's backlog is full), so this never blocks.
        if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0) return fd;
        close(fd);
    }
    return -1;
}

// -----------------------------------------------------------------------------
// [SECTION] The client and its I/O worker
// -----------------------------------------------------------------------------
using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kFirstRetry{500};
constexpr std::chrono::milliseconds kLastRetry{60000};
// A caller that polls rarely loses the oldest events, never its memory.
constexpr size_t kMaxQueuedEvents = 256;

class Client {
public:
    Client(std::string application_id, const DiscordEventHandlers* handlers)
        : application_id_(std::move(application_id)), socket_paths_(SocketCandidates()), pid_(getpid()) {
        if (handlers) handlers_ = *handlers;
    }

    ~Client() {
        if (thread_.joinable()) Stop();
        if (wake_fd_ >= 0) close(wake_fd_);
        ReapChild(true);
    }

    // False when the worker could not be set up; the object is then dropped.
    bool Start(pid_t register_child) {
        wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake_fd_ < 0) return false;
        child_ = register_child;
        // Through syscall(): glibc 2.36's <sys/pidfd.h> lacks C linkage in C++.
        if (child_ > 0) child_fd_ = static_cast<int>(syscall(SYS_pidfd_open, child_, 0));
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    void Stop() {
        stop_.store(true);
        Wake();
        thread_.join();
    }

    void QueuePresence(std::optional<Activity> activity) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            presence_ = std::move(activity);
            has_presence_ = true;
            presence_sent_ = false;
        }
        Wake();
    }

    std::deque<Event> TakeEvents() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::deque<Event> out;
        out.swap(events_);
        return out;
    }

    const DiscordEventHandlers& handlers() const { return handlers_; }

private:
    void Wake() {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(wake_fd_, &one, sizeof(one));
    }

    // Only events someone listens to are kept: the launcher never runs the
    // callbacks, and every reconnect would otherwise grow the queue for good.
    void Publish(std::vector<Event>& events) {
        if (events.empty()) return;
        std::lock_guard<std::mutex> lock(mutex_);
        for (Event& e : events) {
            if (!Wanted(e.kind)) continue;
            if (events_.size() >= kMaxQueuedEvents) events_.pop_front();
            events_.push_back(std::move(e));
        }
        events.clear();
    }

    bool Wanted(Event::Kind kind) const {
        switch (kind) {
            case Event::Kind::Ready: return handlers_.ready != nullptr;
            case Event::Kind::Disconnected: return handlers_.disconnected != nullptr;
            case Event::Kind::Errored: return handlers_.errored != nullptr;
            case Event::Kind::JoinGame: return handlers_.joinGame != nullptr;
            case Event::Kind::SpectateGame: return handlers_.spectateGame != nullptr;
            case Event::Kind::JoinRequest: return handlers_.joinRequest != nullptr;
        }
        return false;
    }

    // The xdg-mime child of the registration: reaped here so it never stays
    // a zombie, without the caller waiting for it.
    void ReapChild(bool final_attempt) {
        if (child_ <= 0) return;
        if (waitpid(child_, nullptr, WNOHANG) != 0 || final_attempt) {
            child_ = -1;
            if (child_fd_ >= 0) close(child_fd_);
            child_fd_ = -1;
        }
    }

    // Frames the latest presence when one is waiting and the session can take
    // it. After a reconnect the last one is sent again: Discord forgets an
    // activity with its connection.
    void QueueOutgoingPresence(std::string& out) {
        std::optional<Activity> activity;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!has_presence_ || presence_sent_) return;
            activity = presence_;
            presence_sent_ = true;
        }
        out += EncodeFrame(Opcode::Frame, discord_ipc::SetActivityPayload(pid_, activity, ++nonce_));
    }

    void Subscribe(std::string& out) {
        const std::pair<bool, const char*> wanted[] = {
            {handlers_.joinGame != nullptr, "ACTIVITY_JOIN"},
            {handlers_.spectateGame != nullptr, "ACTIVITY_SPECTATE"},
            {handlers_.joinRequest != nullptr, "ACTIVITY_JOIN_REQUEST"},
        };
        for (const auto& [on, event] : wanted)
            if (on) out += EncodeFrame(Opcode::Frame, discord_ipc::SubscribePayload(event, ++nonce_));
    }

    void Run();

    const std::string application_id_;
    const std::vector<std::string> socket_paths_;
    const int pid_;
    DiscordEventHandlers handlers_{};
    int wake_fd_ = -1;
    pid_t child_ = -1;  // worker-owned once the thread runs
    int child_fd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    uint64_t nonce_ = 0;  // worker only

    std::mutex mutex_;  // guards everything below
    std::optional<Activity> presence_;
    bool has_presence_ = false;
    bool presence_sent_ = false;
    std::deque<Event> events_;
};

void Client::Run() {
    int sock = -1;
    std::optional<Session> session;
    std::string out;  // bytes not yet written to the socket
    std::vector<Event> events;
    std::chrono::milliseconds retry = kFirstRetry;
    Clock::time_point next_connect = Clock::now();

    const auto disconnect = [&](int code, const char* message) {
        session->Closed(code, message, events);
        Publish(events);
        close(sock);
        sock = -1;
        session.reset();
        out.clear();
        next_connect = Clock::now() + retry;
        retry = std::min(retry * 2, kLastRetry);
    };

    while (!stop_.load()) {
        if (sock < 0 && Clock::now() >= next_connect) {
            sock = ConnectToAny(socket_paths_);
            if (sock >= 0) {
                session.emplace(application_id_);
                out = session->HandshakeFrame();
                {
                    // A fresh connection has no activity on Discord's side yet.
                    std::lock_guard<std::mutex> lock(mutex_);
                    presence_sent_ = false;
                }
            } else {
                next_connect = Clock::now() + retry;
                retry = std::min(retry * 2, kLastRetry);
            }
        }
        if (sock >= 0 && session->ready()) QueueOutgoingPresence(out);

        if (sock >= 0 && !out.empty()) {
            const ssize_t n = send(sock, out.data(), out.size(), MSG_NOSIGNAL);
            if (n > 0) {
                out.erase(0, static_cast<size_t>(n));
            } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                disconnect(1, "Pipe closed");
                continue;
            }
        }

        pollfd fds[3];
        nfds_t count = 0;
        fds[count++] = {wake_fd_, POLLIN, 0};
        const int sock_index = sock >= 0 ? static_cast<int>(count) : -1;
        if (sock >= 0) fds[count++] = {sock, static_cast<short>(POLLIN | (out.empty() ? 0 : POLLOUT)), 0};
        const int child_index = child_fd_ >= 0 ? static_cast<int>(count) : -1;
        if (child_fd_ >= 0) fds[count++] = {child_fd_, POLLIN, 0};

        int timeout = -1;
        if (sock < 0) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next_connect - Clock::now());
            timeout = static_cast<int>(std::max<int64_t>(0, wait.count()));
        }
        // Without a pidfd the child is looked for now and then instead.
        if (child_ > 0 && child_fd_ < 0) timeout = timeout < 0 ? 250 : std::min(timeout, 250);

        const int ready = poll(fds, count, timeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;  // cannot wait any more; Shutdown still joins us
        }
        if (fds[0].revents & POLLIN) {
            uint64_t value = 0;
            [[maybe_unused]] const ssize_t n = read(wake_fd_, &value, sizeof(value));
        }
        if (child_ > 0 && (child_index < 0 || fds[child_index].revents)) ReapChild(false);

        if (sock_index >= 0 && (fds[sock_index].revents & (POLLIN | POLLHUP | POLLERR))) {
            char buffer[16 * 1024];
            while (sock >= 0) {
                const ssize_t n = recv(sock, buffer, sizeof(buffer), 0);
                if (n > 0) {
                    const bool was_ready = session->ready();
                    const bool keep = session->Receive(buffer, static_cast<size_t>(n), out, events);
                    if (!was_ready && session->ready()) {
                        retry = kFirstRetry;
                        Subscribe(out);
                    }
                    Publish(events);
                    if (!keep) disconnect(2, "Connection closed");
                } else if (n == 0) {
                    disconnect(1, "Pipe closed");
                } else {
                    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) disconnect(1, "Pipe closed");
                    break;
                }
            }
        }
    }

    if (sock >= 0) close(sock);
}

// -----------------------------------------------------------------------------
// [SECTION] Entry points
// -----------------------------------------------------------------------------
std::mutex client_mutex;
std::unique_ptr<Client> client;  // guarded by client_mutex
std::atomic<bool> fail_next_initialize{false};

}  // namespace

void Discord_Initialize(const char* applicationId, DiscordEventHandlers* handlers, int autoRegister,
                        const char* /*optionalSteamId*/) {
    std::lock_guard<std::mutex> lock(client_mutex);
    if (client || !applicationId) return;
    const bool injected_failure = fail_next_initialize.exchange(false);
    // The worker's object is the one thing that can fail here; without it
    // nothing runs and Discord_IsRunning says so.
    std::unique_ptr<Client> created(injected_failure ? nullptr
                                                     : new (std::nothrow) Client(applicationId, handlers));
    if (!created) return;
    const pid_t child = autoRegister ? RegisterUrlScheme(applicationId) : -1;
    if (created->Start(child)) client = std::move(created);
}

void Discord_Shutdown() {
    std::unique_ptr<Client> stopping;
    {
        std::lock_guard<std::mutex> lock(client_mutex);
        stopping.swap(client);
    }
    stopping.reset();  // stops and joins the worker
}

void Discord_RunCallbacks() {
    std::deque<Event> events;
    DiscordEventHandlers h{};
    {
        std::lock_guard<std::mutex> lock(client_mutex);
        if (!client) return;
        events = client->TakeEvents();
        h = client->handlers();
    }
    // Outside the lock, so a handler may call back into the library.
    for (const Event& e : events) {
        DiscordUser user{e.user_id.c_str(), e.username.c_str(), e.discriminator.c_str(), e.avatar.c_str()};
        switch (e.kind) {
            case Event::Kind::Ready:
                if (h.ready) h.ready(&user);
                break;
            case Event::Kind::Disconnected:
                if (h.disconnected) h.disconnected(e.code, e.message.c_str());
                break;
            case Event::Kind::Errored:
                if (h.errored) h.errored(e.code, e.message.c_str());
                break;
            case Event::Kind::JoinGame:
                if (h.joinGame) h.joinGame(e.message.c_str());
                break;
            case Event::Kind::SpectateGame:
                if (h.spectateGame) h.spectateGame(e.message.c_str());
                break;
            case Event::Kind::JoinRequest:
                if (h.joinRequest) h.joinRequest(&user);
                break;
        }
    }
}

void Discord_UpdatePresence(const DiscordRichPresence* presence) {
    std::optional<Activity> activity;
    if (presence) activity = discord_ipc::CopyActivity(*presence);
    std::lock_guard<std::mutex> lock(client_mutex);
    if (client) client->QueuePresence(std::move(activity));
}

void Discord_ClearPresence() { Discord_UpdatePresence(nullptr); }

bool Discord_IsRunning() {
    std::lock_guard<std::mutex> lock(client_mutex);
    return client != nullptr;
}

void Discord_FailNextInitializeForTesting(bool fail) { fail_next_initialize.store(fail); }
