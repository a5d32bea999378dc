#include "ventoria/hardware/smc_reader.h"

#include <IOKit/IOKitLib.h>

#include <algorithm>
#include <cmath>

#include "ventoria/hardware/smc_codec.h"

namespace ventoria::hardware {

static_assert(sizeof(io_connect_t) == sizeof(std::uint32_t), "a Mach port name is 32 bits");

SMCReader::SMCReader() {
    io_service_t service =
        IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSMC"));
    if (service == 0) throw SMCError::serviceNotFound();
    io_connect_t connection = 0;
    kern_return_t opened = IOServiceOpen(service, mach_task_self_, 0, &connection);
    IOObjectRelease(service);
    if (opened != KERN_SUCCESS) throw SMCError::openFailed(opened);
    connection_ = connection;
}

SMCReader::~SMCReader() {
    IOServiceClose(connection_);
}

SMCParam SMCReader::callSMC(const SMCParam& input, const std::string& label) {
    SMCParam output;
    std::size_t outputSize = sizeof(SMCParam);
    kern_return_t rc = IOConnectCallStructMethod(connection_, kSMCSelector, &input,
                                                 sizeof(SMCParam), &output, &outputSize);
    if (rc != KERN_SUCCESS) throw SMCError::callFailed(label, rc);
    if (output.result == kSMCKeyNotFound) throw SMCError::keyNotFound(label);
    if (output.result != 0) throw SMCError::smcResult(label, output.result);
    return output;
}

KeyInfo SMCReader::keyInfo(const std::string& key) {
    if (auto cached = infoCache_.find(key); cached != infoCache_.end()) return cached->second;
    SMCParam input;
    input.key = fourCharCode(key);
    input.command = static_cast<std::uint8_t>(SMCCommand::readKeyInfo);
    auto output = callSMC(input, key);
    KeyInfo info{output.infoSize, keyString(output.infoType)};
    infoCache_.emplace(key, info);
    return info;
}

std::optional<KeyInfo> SMCReader::findKey(const std::string& key) {
    try {
        return keyInfo(key);
    } catch (const SMCError& error) {
        if (error.kind() == SMCError::Case::keyNotFound) return std::nullopt;
        throw;
    }
}

KeyBytes SMCReader::read(const std::string& key) {
    auto info = keyInfo(key);
    SMCParam input;
    input.key = fourCharCode(key);
    input.infoSize = info.size;
    input.command = static_cast<std::uint8_t>(SMCCommand::readBytes);
    auto output = callSMC(input, key);
    auto count = std::min<std::size_t>(info.size, sizeof output.bytes);
    return {info, std::vector<std::uint8_t>(output.bytes, output.bytes + count)};
}

std::vector<std::string> SMCReader::allKeys() {
    double count = 0;
    try {
        auto keyCount = read("#KEY");
        count = decode(keyCount.bytes, keyCount.info.type);
    } catch (const SMCError&) {
        count = 0;
    }
    // A count that is no number at all enumerates nothing; one beyond any real SMC stops at
    // the most keys one could hold, so a bad count cannot wedge its caller for days.
    auto total = std::isfinite(count) && count > 0
                     ? static_cast<std::uint64_t>(std::min<double>(count, kMaxKeyCount))
                     : 0;
    std::vector<std::string> keys;
    for (std::uint64_t index = 0; index < total; ++index) {
        if (auto key = keyAt(static_cast<std::uint32_t>(index))) keys.push_back(std::move(*key));
    }
    return keys;
}

std::optional<std::string> SMCReader::keyAt(std::uint32_t index) {
    SMCParam input;
    input.index = index;
    input.command = static_cast<std::uint8_t>(SMCCommand::keyAtIndex);
    try {
        return keyString(callSMC(input, "#" + std::to_string(index)).key);
    } catch (const SMCError&) {
        return std::nullopt;
    }
}

}  // namespace ventoria::hardware
