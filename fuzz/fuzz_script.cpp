// libFuzzer target over the script parser: any bytes, as a teacher's file,
// Excel or a damaged disk may give them. The parser refuses bad input with
// one message line; it never crashes, and what it accepts is whole.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/script/script.h"

namespace {

const std::vector<std::string> kPins{"RD", "sec", "min", "heu", "dat", "moi", "ann", "init"};

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const host::Script script = host::parse_script(text, kPins);
    if (!script.error.empty()) {
        // One line of printable text: no NUL, no line end, no byte-order mark.
        require(script.error.find_first_of(std::string("\0\r\n", 3)) == std::string::npos);
        require(script.error.find("\xEF\xBB\xBF") == std::string::npos);
        return 0;
    }
    require(!script.steps.empty() && script.steps.size() <= host::kMostScriptSteps);
    require(script.separator == ',' || script.separator == ';' || script.separator == '\t');
    for (const auto& step : script.steps) {
        require(step.size() == kPins.size());
        for (double value : step)
            require(std::isfinite(value));
    }
    return 0;
}
