#pragma once
// A table case's name, as GoogleTest takes it: its words, joined by underscores.

#include <cctype>
#include <string>

namespace ventoria::test {

// For INSTANTIATE_TEST_SUITE_P over cases with a `name` of words.
struct CaseName {
    template <typename Info>
    std::string operator()(const Info& each) const {
        std::string name = each.param.name;
        for (auto& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        }
        return name;
    }
};

}  // namespace ventoria::test
