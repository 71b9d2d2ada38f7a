#include "platform/windows/console_title.h"

namespace {

constexpr std::string_view kTitleStart = "\x1b]2;";

}  // namespace

TitledBytes takeWindowTitle(std::string_view bytes) {
    TitledBytes out;
    out.bytes.reserve(bytes.size());
    for (std::size_t at = 0;;) {
        const std::size_t start = bytes.find(kTitleStart, at);
        const std::size_t end =
            start == std::string_view::npos ? start : bytes.find('\a', start + kTitleStart.size());
        if (end == std::string_view::npos) {
            out.bytes.append(bytes.substr(at));
            return out;
        }
        out.bytes.append(bytes.substr(at, start - at));
        const std::size_t textStart = start + kTitleStart.size();
        out.title = std::string(bytes.substr(textStart, end - textStart));
        at = end + 1;
    }
}
