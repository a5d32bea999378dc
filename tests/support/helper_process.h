#pragma once
// The real VentoriaHelper, started on the test's system root, and a raw client that speaks
// the protocol frame by frame, so a test can also misbehave on purpose.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ventoria/ipc/framing.h"
#include "ventoria/ipc/messages.h"

namespace ventoria::test {

// Polls `condition` until it holds or `timeout` passes; true when it held.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds timeout = std::chrono::seconds(10));

class HelperProcess {
  public:
    HelperProcess();  // starts the daemon and waits until it listens
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Sends `signal` and waits for the exit; the exit status, or -1 when it did not exit.
    int stop(int signal);
    bool running();
    pid_t pid() const { return pid_; }
    // The daemon's resident memory in KiB, as the kernel reports it now.
    long residentKiB();

  private:
    pid_t pid_ = -1;
};

// The daemon's exit status when its hand-back bound passed before the fans were handed back.
inline constexpr int kNotHandedBack = 3;

// SIGTERM while a fault is injected: the helper hands the fans back on its way out (0), or,
// when the fault outlasts its bound, says so (kNotHandedBack) and a successor started once
// `clearFault` has run hands them back by itself.
void expectTerminationHandsBack(std::optional<HelperProcess>& helper,
                                const std::function<void()>& clearFault,
                                const std::function<bool()>& handedBack);

// A reply's value as one text: the text or data it carried, or nothing for nil. A request the
// helper did not understand reads "not understood: " and the reason.
std::optional<std::string> valueOf(const ipc::Reply& reply);

class RawClient {
  public:
    RawClient();  // connects to the helper's socket
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    void sendBytes(const std::vector<std::uint8_t>& bytes);
    // Closes our sending side only, as a peer does that has said all it will say.
    void halfClose();
    int fd() const { return fd_; }
    // Sends a request under the next id and returns the id.
    std::uint64_t send(ipc::Message message);
    // The next reply, or nothing when the helper closed the connection (or 10 s passed).
    std::optional<ipc::Reply> receive();
    // Sends and waits for the matching reply's value (see valueOf).
    std::optional<std::string> call(ipc::Message message);
    // True once the helper has closed its side, within `wait`.
    bool closedByHelper(std::chrono::milliseconds wait = std::chrono::seconds(5));
    // True once the helper has closed its side, within `wait`, even with its replies unread.
    bool hungUpOn(std::chrono::milliseconds wait);

  private:
    int fd_ = -1;
    std::uint64_t nextId_ = 1;
    ipc::FrameReader reader_;
};

}  // namespace ventoria::test
