#include "fake_helper_connection.h"

#include <QCoreApplication>
#include <fstream>

#include "ventoria/app/helper_error.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::test {
namespace {

class FakeConnector final : public app::HelperConnector {
  public:
    explicit FakeConnector(FakeHelper& helper) : helper_(helper) {}
    std::shared_ptr<app::HelperConnection> connect(std::function<void()> invalidated) override {
        helper_.events.push_back("connect");
        auto connection = std::make_shared<FakeConnection>(helper_, std::move(invalidated));
        helper_.connections.push_back(connection);
        return connection;
    }

  private:
    FakeHelper& helper_;
};

class FakeInstaller final : public app::HelperInstaller {
  public:
    explicit FakeInstaller(FakeHelper& helper) : helper_(helper) {}
    void install() override {
        helper_.events.push_back("install");
        if (helper_.onInstall) helper_.onInstall();
        if (helper_.installFailure) {
            throw app::HelperError::installFailed(QString::fromStdString(*helper_.installFailure));
        }
    }

  private:
    FakeHelper& helper_;
};

}  // namespace

bool FakeConnection::send(const ipc::Message& message, ReplyHandler onReply, ErrorHandler onError) {
    if (helper_.badProxy) return false;
    helper_.events.emplace_back(ipc::selector(message));
    helper_.sent.push_back(message);
    bool version = std::holds_alternative<ipc::Version>(message);
    if (version && helper_.version) {
        onReply(ipc::toWire(*helper_.version));
    } else if (!version && helper_.answer) {
        // A status comes as data, everything else as text.
        if (std::holds_alternative<ipc::SmartStatus>(message)) {
            std::optional<ipc::Bytes> status;
            if (*helper_.answer) status = ipc::Bytes{**helper_.answer};
            onReply(ipc::toWire(status));
        } else {
            onReply(ipc::toWire(*helper_.answer));
        }
    } else {
        helper_.waiting.push_back({message, std::move(onReply), std::move(onError)});
    }
    return true;
}

void FakeConnection::invalidate() {
    ended = true;
    if (invalidated_) std::exchange(invalidated_, nullptr)();
}

std::unique_ptr<app::HelperConnector> FakeHelper::connector() {
    return std::make_unique<FakeConnector>(*this);
}

std::unique_ptr<app::HelperInstaller> FakeHelper::installer() {
    return std::make_unique<FakeInstaller>(*this);
}

SentRequest FakeHelper::take() {
    auto request = std::move(waiting.front());
    waiting.pop_front();
    return request;
}

void FakeHelper::endWaiting() {
    auto requests = std::move(waiting);
    for (auto& request : requests) request.error(QStringLiteral("The test is over."));
    // One pass resumes each request; the next lets its caller finish.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void placeHelperPlist() {
    auto path = platform::systemPath(app::kHelperPlistPath);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "<plist/>";
}

}  // namespace ventoria::test
