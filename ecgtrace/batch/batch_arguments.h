#pragma once
// What the batch commands share in reading their arguments.
#include <string>
#include <vector>

namespace ecgtrace {

// A command line refused: the reason, printed before the usage (status 2).
struct UsageError {
    std::string message;
};

// The value after the option args[i]; `i` moves onto it.
inline const std::string& OptionValue(const std::vector<std::string>& args, std::size_t& i) {
    if (i + 1 >= args.size()) throw UsageError{args[i] + " needs a value"};
    return args[++i];
}

// `wanted` is one of the arguments.
inline bool HasArgument(int argc, char** argv, const char* wanted) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == wanted) return true;
    return false;
}

}  // namespace ecgtrace
