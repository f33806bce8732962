#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace quorlin::host {

// How the host's code fails. Where the build has exceptions, raise throws the error and the
// catch sites around it add what they know (the file's name). The browser's build has none:
// raise keeps the message, after the words of the innermost Context (what that catch site
// would have added), and traps; the page reads message() from the module's memory and starts a
// fresh instance for the next file.
class Failure {
public:
    template <class Error> [[noreturn]] static void raise(const Error& error) {
#if defined(__cpp_exceptions)
        throw Error(error);
#else
        keep(words, error.what());
        __builtin_trap();
#endif
    }

    // Memory ran out: kept without the words of a context, as the program's own last catch
    // says it.
    [[noreturn]] static void outOfMemory() {
        keep(nullptr, "out of memory");
        __builtin_trap();
    }

    // What the last failure raised without exceptions said; empty before one.
    static std::string_view message() {
        return {text, length};
    }

    // While it lives, a failure raised without exceptions is told after `prefix`, which must
    // outlive it. Contexts nest; the innermost counts.
    class Context {
    public:
        explicit Context(const std::string& prefix) : outer(words) { words = &prefix; }
        ~Context() { words = outer; }
        Context(const Context&) = delete;
        Context& operator=(const Context&) = delete;

    private:
        const std::string* outer;
    };

private:
    // Room for one line however long the message: memory may be what ran out.
    static constexpr std::size_t capacity = 1024;

    static void keep(const std::string* prefix, const char* what) {
        std::string_view parts[] = {prefix != nullptr ? *prefix : std::string_view{}, what};
        length = 0;
        for (std::string_view part : parts) {
            std::size_t count = std::min(part.size(), capacity - length);
            std::copy_n(part.data(), count, text + length);
            length += count;
        }
    }

    static inline const std::string* words = nullptr;
    static inline char text[capacity] = {};
    static inline std::size_t length = 0;
};

} // namespace quorlin::host
