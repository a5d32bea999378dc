#include "helper_process.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "os_calls.h"
#include "process.h"
#include "ventoria/ipc/protocol.h"

extern char** environ;

namespace ventoria::test {

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

HelperProcess::HelperProcess() {
    std::string path = program("VentoriaHelper");
    char* argv[] = {path.data(), nullptr};
    if (posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv, environ) != 0) {
        throw std::runtime_error("cannot start VentoriaHelper");
    }
    // Listening, not just bound: the socket file appears a moment before connections are
    // taken.
    auto accepts = [] {
        int fd = unixStreamSocket();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        auto socketFile = ipc::socketPath().string();
        std::strncpy(address.sun_path, socketFile.c_str(), sizeof address.sun_path - 1);
        bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return connected;
    };
    if (!eventually([&] { return accepts() || !running(); })) {
        throw std::runtime_error("VentoriaHelper never listened");
    }
}

HelperProcess::~HelperProcess() {
    if (pid_ > 0) stop(SIGKILL);
}

bool HelperProcess::running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

int HelperProcess::stop(int signal) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

long HelperProcess::residentKiB() {
    return test::residentKiB(pid_);
}

void expectTerminationHandsBack(std::optional<HelperProcess>& helper,
                                const std::function<void()>& clearFault,
                                const std::function<bool()>& handedBack) {
    int status = helper->stop(SIGTERM);
    EXPECT_TRUE(status == 0 || status == kNotHandedBack) << status;
    clearFault();
    if (status == 0) {
        EXPECT_TRUE(handedBack());
        return;
    }
    helper.emplace();
    EXPECT_TRUE(eventually(handedBack));
}

RawClient::RawClient() {
    fd_ = unixStreamSocket();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    auto path = ipc::socketPath().string();
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        throw std::runtime_error("cannot connect to the helper");
    }
}

RawClient::~RawClient() {
    ::close(fd_);
}

void RawClient::sendBytes(const std::vector<std::uint8_t>& bytes) {
    sendQuietly(fd_, bytes.data(), bytes.size());
}

void RawClient::halfClose() {
    ::shutdown(fd_, SHUT_WR);
}

std::uint64_t RawClient::send(ipc::Message message) {
    ipc::Request request{nextId_++, std::move(message)};
    sendBytes(ipc::frame(ipc::encodeRequest(request)));
    return request.id;
}

std::optional<ipc::Reply> RawClient::receive() {
    for (;;) {
        if (auto payload = reader_.next()) return ipc::decodeReply(*payload);
        pollfd ready{fd_, POLLIN, 0};
        if (poll(&ready, 1, 10'000) <= 0) return std::nullopt;
        std::uint8_t buffer[4096];
        auto n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0 || !reader_.feed(std::span(buffer, static_cast<std::size_t>(n)))) {
            return std::nullopt;
        }
    }
}

std::optional<std::string> valueOf(const ipc::Reply& reply) {
    if (const auto* problem = std::get_if<ipc::NotUnderstood>(&reply.content)) {
        return "not understood: " + problem->reason;
    }
    const auto& value = std::get<ipc::WireValue>(reply.content);
    if (value.kind == ipc::WireValue::Kind::nil) return std::nullopt;
    return value.data;
}

std::optional<std::string> RawClient::call(ipc::Message message) {
    auto id = send(std::move(message));
    for (;;) {
        auto reply = receive();
        if (!reply) throw std::runtime_error("the helper did not answer");
        if (reply->id == id) return valueOf(*reply);
    }
}

bool RawClient::closedByHelper(std::chrono::milliseconds wait) {
    pollfd ready{fd_, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(wait.count())) <= 0) return false;
    std::uint8_t byte;
    auto n = ::recv(fd_, &byte, 1, MSG_PEEK);
    // Closing with our bytes still unread makes the kernel reset the connection.
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

bool RawClient::hungUpOn(std::chrono::milliseconds wait) {
    pollfd ready{fd_, 0, 0};  // a hang-up is reported whatever is asked for
    return poll(&ready, 1, static_cast<int>(wait.count())) == 1 && (ready.revents & POLLHUP);
}

}  // namespace ventoria::test
