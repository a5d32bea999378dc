#include "key_table.h"

#include <algorithm>

#include "ventoria/sim/value_codec.h"
#include "ventoria/sim/virtual_mac.h"

namespace ventoria::sim {
namespace {

void storeCount(MachineState& state) {
    if (auto* count = findKey(state, "#KEY")) {
        auto bytes = encodeValue("ui32", state.keyCount, count->size);
        std::copy_n(bytes->begin(), std::min<std::size_t>(bytes->size(), kKeyDataSize),
                    count->bytes);
    }
}

}  // namespace

KeyRecord* findKey(MachineState& state, std::uint32_t code) {
    auto* end = state.keys + state.keyCount;
    auto* it = std::lower_bound(state.keys, end, code,
                                [](const KeyRecord& k, std::uint32_t c) { return k.code < c; });
    return it != end && it->code == code ? it : nullptr;
}

KeyRecord* findKey(MachineState& state, std::string_view name) {
    return findKey(state, codeOf(name));
}

KeyRecord& putKey(MachineState& state, const KeyRecord& record) {
    if (auto* existing = findKey(state, record.code)) {
        *existing = record;
        return *existing;
    }
    if (state.keyCount == kMaxKeys) throw SimError("the virtual SMC's key table is full");
    auto* end = state.keys + state.keyCount;
    auto* at = std::lower_bound(state.keys, end, record.code,
                                [](const KeyRecord& k, std::uint32_t c) { return k.code < c; });
    std::move_backward(at, end, end + 1);
    *at = record;
    ++state.keyCount;
    storeCount(state);
    return *findKey(state, record.code);
}

}  // namespace ventoria::sim
