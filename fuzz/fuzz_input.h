// Takes a fuzzer's bytes apart into the arguments of one call, and reports a broken property
// as the crash that libFuzzer records.
#pragma once

#include "text/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace velkari::fuzz {

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size)
        : bytes_(reinterpret_cast<const char*>(data), size) {}

    bool TakeBool() { return (TakeByte() & 1) != 0; }
    // A value from lo to hi, both included.
    int TakeInt(int lo, int hi) {
        const int span = hi - lo + 1;
        const int raw = TakeByte() | (TakeByte() << 8);
        return lo + raw % span;
    }
    // A text of up to `longest` bytes, its length taken first.
    Text TakeText(size_t longest) {
        const size_t length = std::min<size_t>(TakeByte() % (longest + 1), bytes_.size());
        const std::string_view piece = bytes_.substr(0, length);
        bytes_.remove_prefix(length);
        return Text(piece);
    }
    Text Rest() {
        const Text rest(bytes_);
        bytes_ = {};
        return rest;
    }

  private:
    int TakeByte() {
        if (bytes_.empty()) {
            return 0;
        }
        const int byte = static_cast<unsigned char>(bytes_[0]);
        bytes_.remove_prefix(1);
        return byte;
    }

    std::string_view bytes_;
};

inline void Require(bool property, const char* what) {
    if (!property) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

inline bool Contains(const Text& text, const Text& part) {
    return text.View().find(part.View()) != std::string_view::npos;
}

} // namespace velkari::fuzz
