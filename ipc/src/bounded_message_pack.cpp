#include "bounded_message_pack.h"

#include <string>
#include <utility>
#include <vector>

namespace ventoria::ipc {
namespace {

using nlohmann::json;

// The document, built value by value from the reader's events. Returning false from an event
// ends the parse there.
class BoundedBuilder {
  public:
    BoundedBuilder(json& root, int maxDepth) : root_(root), maxDepth_(maxDepth) {}

    bool null() { return put(nullptr); }
    bool boolean(bool value) { return put(value); }
    bool number_integer(json::number_integer_t value) { return put(value); }
    bool number_unsigned(json::number_unsigned_t value) { return put(value); }
    bool number_float(json::number_float_t value, const std::string& /*unused*/) {
        return put(value);
    }
    bool string(std::string& value) { return put(std::move(value)); }
    // With its subtype, which an ext value carries.
    bool binary(json::binary_t& value) {
        json data = json::binary({});
        data.get_binary() = std::move(value);
        return put(std::move(data));
    }
    bool key(std::string& name) {
        key_ = std::move(name);
        return true;
    }
    bool start_object(std::size_t size) { return open(json::object(), size); }
    bool start_array(std::size_t size) { return open(json::array(), size); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t /*unused*/, const std::string& /*unused*/,
                     const nlohmann::json::exception& /*unused*/) {
        return false;
    }

  private:
    // Where the next value goes: the root, the end of the open array, or the open map's key.
    json* place(json value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        json& container = *open_.back();
        if (container.is_array()) {
            container.push_back(std::move(value));
            return &container.back();
        }
        json& slot = container[key_];  // a repeated key keeps its last value, as from_msgpack
        slot = std::move(value);
        return &slot;
    }
    bool put(json value) {
        place(std::move(value));
        return true;
    }
    // An empty container opens no level: nothing in it can nest further.
    bool open(json container, std::size_t size) {
        if (size != 0 && static_cast<int>(open_.size()) >= maxDepth_) return false;
        open_.push_back(place(std::move(container)));
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    json& root_;
    int maxDepth_;
    // Only the innermost open container grows, so pointers to the ones around it stay valid.
    std::vector<json*> open_;
    std::string key_;
};

}  // namespace

std::optional<json> parseMessagePack(std::span<const std::uint8_t> bytes, int maxDepth) {
    json document;
    BoundedBuilder builder(document, maxDepth);
    if (!json::sax_parse(bytes.begin(), bytes.end(), &builder, json::input_format_t::msgpack,
                         true)) {
        return std::nullopt;
    }
    return document;
}

}  // namespace ventoria::ipc
