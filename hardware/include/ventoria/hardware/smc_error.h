#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace ventoria::hardware {

// The error of every fallible hardware operation: an SMC call on a Mac, a kernel driver's file
// on Linux. The description is what a user may read.
class SMCError : public std::exception {
  public:
    enum class Case {
        openFailed,
        callFailed,
        smcResult,
        keyNotFound,
        serviceNotFound,
        driverRefused
    };

    static SMCError openFailed(std::int32_t code);
    static SMCError callFailed(std::string key, std::int32_t code);
    static SMCError smcResult(std::string key, std::uint8_t result);
    static SMCError keyNotFound(std::string key);
    static SMCError serviceNotFound();
    // A kernel driver's file could not be read or written: `file` is its name, `error` the
    // errno.
    static SMCError driverRefused(std::string file, int error);

    Case kind() const { return kind_; }
    const std::string& key() const { return key_; }
    std::int32_t code() const { return code_; }
    std::uint8_t result() const { return result_; }

    const std::string& description() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

  private:
    SMCError(Case kind, std::string key, std::int32_t code, std::uint8_t result);

    Case kind_;
    std::string key_;
    std::int32_t code_ = 0;
    std::uint8_t result_ = 0;
    std::string description_;
};

}  // namespace ventoria::hardware
