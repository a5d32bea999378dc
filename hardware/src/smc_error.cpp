#include "ventoria/hardware/smc_error.h"

#include <cstring>
#include <utility>

namespace ventoria::hardware {
namespace {

std::string describe(SMCError::Case kind, const std::string& key, std::int32_t code,
                     std::uint8_t result) {
    switch (kind) {
        case SMCError::Case::openFailed:
            return "Failed to open AppleSMC (" + std::to_string(code) + ")";
        case SMCError::Case::callFailed:
            return "SMC call for " + key + " failed (" + std::to_string(code) + ")";
        case SMCError::Case::smcResult:
            return "SMC returned " + std::to_string(unsigned{result}) + " for " + key;
        case SMCError::Case::keyNotFound:
            return "SMC key " + key + " not found";
        case SMCError::Case::serviceNotFound:
            return "AppleSMC service not found";
        case SMCError::Case::driverRefused:
            return "The kernel refused " + key + " (" + std::strerror(code) + ")";
    }
    return {};
}

}  // namespace

SMCError::SMCError(Case kind, std::string key, std::int32_t code, std::uint8_t result)
    : kind_(kind),
      key_(std::move(key)),
      code_(code),
      result_(result),
      description_(describe(kind_, key_, code_, result_)) {}

SMCError SMCError::openFailed(std::int32_t code) {
    return {Case::openFailed, {}, code, 0};
}

SMCError SMCError::callFailed(std::string key, std::int32_t code) {
    return {Case::callFailed, std::move(key), code, 0};
}

SMCError SMCError::smcResult(std::string key, std::uint8_t result) {
    return {Case::smcResult, std::move(key), 0, result};
}

SMCError SMCError::keyNotFound(std::string key) {
    return {Case::keyNotFound, std::move(key), 0, 0};
}

SMCError SMCError::serviceNotFound() {
    return {Case::serviceNotFound, {}, 0, 0};
}

SMCError SMCError::driverRefused(std::string file, int error) {
    return {Case::driverRefused, std::move(file), error, 0};
}

}  // namespace ventoria::hardware
