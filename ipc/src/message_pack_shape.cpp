#include "message_pack_shape.h"

#include <vector>

namespace ventoria::ipc {
namespace {

class Cursor {
  public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t left() const { return bytes_.size() - at_; }
    bool take(std::uint8_t& byte) {
        if (left() < 1) return false;
        byte = bytes_[at_++];
        return true;
    }
    // A big-endian unsigned number of `width` bytes.
    bool number(std::uint64_t width, std::uint64_t& value) {
        if (left() < width) return false;
        value = 0;
        for (std::uint64_t i = 0; i < width; ++i) value = value << 8 | bytes_[at_++];
        return true;
    }
    bool skip(std::uint64_t count) {
        if (left() < count) return false;
        at_ += static_cast<std::size_t>(count);
        return true;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// What follows a type byte.
struct Shape {
    enum Kind {
        invalid,
        bytes,         // `size` bytes of payload
        values,        // `size` values of a fixarray or fixmap
        sizedBytes,    // a `size`-byte length, `extra` bytes (an ext's type), then the payload
        countedArray,  // a `size`-byte count of values
        countedMap,    // a `size`-byte count of key-value pairs
    } kind = invalid;
    std::uint64_t size = 0;
    std::uint64_t extra = 0;
};

Shape shapeOf(std::uint8_t type) {
    if (type <= 0x7F || type >= 0xE0) return {Shape::bytes, 0};  // fixints
    if (type <= 0x8F) return {Shape::values, 2u * (type & 0x0Fu)};
    if (type <= 0x9F) return {Shape::values, type & 0x0Fu};
    if (type <= 0xBF) return {Shape::bytes, type & 0x1Fu};
    switch (type) {
        case 0xC0:  // nil
        case 0xC2:  // false
        case 0xC3:  // true
            return {Shape::bytes, 0};
        case 0xC4:
            return {Shape::sizedBytes, 1};  // bin 8, 16, 32
        case 0xC5:
            return {Shape::sizedBytes, 2};
        case 0xC6:
            return {Shape::sizedBytes, 4};
        case 0xC7:
            return {Shape::sizedBytes, 1, 1};  // ext 8, 16, 32
        case 0xC8:
            return {Shape::sizedBytes, 2, 1};
        case 0xC9:
            return {Shape::sizedBytes, 4, 1};
        case 0xCA:
            return {Shape::bytes, 4};  // float 32, 64
        case 0xCB:
            return {Shape::bytes, 8};
        case 0xCC:
        case 0xD0:
            return {Shape::bytes, 1};  // (u)int 8, 16, 32, 64
        case 0xCD:
        case 0xD1:
            return {Shape::bytes, 2};
        case 0xCE:
        case 0xD2:
            return {Shape::bytes, 4};
        case 0xCF:
        case 0xD3:
            return {Shape::bytes, 8};
        case 0xD4:
            return {Shape::bytes, 2};  // fixext 1, 2, 4, 8, 16 with their type byte
        case 0xD5:
            return {Shape::bytes, 3};
        case 0xD6:
            return {Shape::bytes, 5};
        case 0xD7:
            return {Shape::bytes, 9};
        case 0xD8:
            return {Shape::bytes, 17};
        case 0xD9:
            return {Shape::sizedBytes, 1};  // str 8, 16, 32
        case 0xDA:
            return {Shape::sizedBytes, 2};
        case 0xDB:
            return {Shape::sizedBytes, 4};
        case 0xDC:
            return {Shape::countedArray, 2};
        case 0xDD:
            return {Shape::countedArray, 4};
        case 0xDE:
            return {Shape::countedMap, 2};
        case 0xDF:
            return {Shape::countedMap, 4};
        default:
            return {};  // 0xC1 is never used
    }
}

}  // namespace

bool shallowMessagePack(std::span<const std::uint8_t> bytes, int maxDepth) {
    Cursor cursor(bytes);
    // Values still to come at each level: the document itself, then each open container.
    std::vector<std::uint64_t> open{1};
    while (!open.empty()) {
        if (open.back() == 0) {
            open.pop_back();
            continue;
        }
        --open.back();
        std::uint8_t type = 0;
        if (!cursor.take(type)) return false;
        auto shape = shapeOf(type);
        std::uint64_t count = shape.size;
        switch (shape.kind) {
            case Shape::invalid:
                return false;
            case Shape::bytes:
                if (!cursor.skip(shape.size)) return false;
                continue;
            case Shape::sizedBytes:
                if (!cursor.number(shape.size, count) || !cursor.skip(shape.extra + count)) {
                    return false;
                }
                continue;
            case Shape::values:
                break;
            case Shape::countedArray:
            case Shape::countedMap:
                if (!cursor.number(shape.size, count)) return false;
                if (shape.kind == Shape::countedMap) count *= 2;
                break;
        }
        if (count == 0) continue;
        if (static_cast<int>(open.size()) > maxDepth) return false;
        if (count > cursor.left()) return false;  // every value takes at least a byte
        open.push_back(count);
    }
    return cursor.left() == 0;
}

}  // namespace ventoria::ipc
