#pragma once
// A system root of the test's own, removed afterwards, and named in VENTORIA_SYSROOT for this
// process and every process it starts.

#include <filesystem>

namespace ventoria::test {

class TemporaryRoot {
  public:
    TemporaryRoot();
    ~TemporaryRoot();
    TemporaryRoot(const TemporaryRoot&) = delete;
    TemporaryRoot& operator=(const TemporaryRoot&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace ventoria::test
