#pragma once
// The recent past of what the model's polls read: chip and case temperature and the fan
// level, for the Details chart and `ventoriactl history`. A ring of fixed size, built once:
// recording never allocates, and memory stays bounded however long the application runs.
// Nothing goes to disk.

#include <chrono>
#include <cstddef>
#include <optional>
#include <vector>

namespace ventoria::app {

struct HistorySample {
    std::chrono::system_clock::time_point at;  // the wall clock's time, as people read it
    // Where the sample stands among the others: the wall clock may be set back or forward at
    // any time, and the chart is never drawn from one that jumped.
    std::chrono::steady_clock::time_point monotonic;
    std::optional<double> chip;     // °C
    std::optional<double> chassis;  // °C
    double level = 0;               // mean fan speed fraction, 0…1

    bool operator==(const HistorySample&) const = default;
};

class History {
  public:
    // How far back the history reaches.
    static constexpr std::chrono::minutes kSpan{30};
    // The samples kSpan holds at one per `pollInterval`: 900 at the application's 2 s.
    static std::size_t capacityFor(std::chrono::milliseconds pollInterval);

    explicit History(std::size_t capacity);

    // Adds the newest sample; when full, the oldest gives way.
    void record(const HistorySample& sample);
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return ring_.size(); }
    // The samples, oldest first.
    std::vector<HistorySample> samples() const;

  private:
    std::vector<HistorySample> ring_;
    std::size_t next_ = 0;  // where the next sample goes
    std::size_t size_ = 0;
};

}  // namespace ventoria::app
