// Code signatures through the Security framework's C interface.

#include "ventoria/app/code_signature.h"

#include <Security/Security.h>

namespace ventoria::app {
namespace {

std::optional<std::string> teamOfValid(SecStaticCodeRef code) {
    if (SecStaticCodeCheckValidity(code, kSecCSDefaultFlags, nullptr) != errSecSuccess) {
        return std::nullopt;
    }
    CFDictionaryRef information = nullptr;
    if (SecCodeCopySigningInformation(code, kSecCSSigningInformation, &information) !=
        errSecSuccess) {
        return std::nullopt;
    }
    std::optional<std::string> team;
    auto value = CFDictionaryGetValue(information, kSecCodeInfoTeamIdentifier);
    char text[128];
    if (value && CFGetTypeID(value) == CFStringGetTypeID() &&
        CFStringGetCString(static_cast<CFStringRef>(value), text, sizeof text,
                           kCFStringEncodingUTF8)) {
        team = text;
    }
    CFRelease(information);
    return team;
}

// The team of `code`, which this takes ownership of; nothing when `created` failed.
std::optional<std::string> teamOf(OSStatus created, SecStaticCodeRef code) {
    if (created != errSecSuccess) return std::nullopt;
    auto team = teamOfValid(code);
    CFRelease(code);
    return team;
}

}  // namespace

std::optional<std::string> signingTeam(const std::filesystem::path& path) {
    const auto& native = path.native();
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8*>(native.c_str()),
        static_cast<CFIndex>(native.size()), false);
    if (!url) return std::nullopt;
    SecStaticCodeRef code = nullptr;
    OSStatus status = SecStaticCodeCreateWithPath(url, kSecCSDefaultFlags, &code);
    CFRelease(url);
    return teamOf(status, code);
}

std::optional<std::string> ownSigningTeam() {
    SecCodeRef self = nullptr;
    if (SecCodeCopySelf(kSecCSDefaultFlags, &self) != errSecSuccess) return std::nullopt;
    SecStaticCodeRef code = nullptr;
    OSStatus status = SecCodeCopyStaticCode(self, kSecCSDefaultFlags, &code);
    CFRelease(self);
    return teamOf(status, code);
}

}  // namespace ventoria::app
