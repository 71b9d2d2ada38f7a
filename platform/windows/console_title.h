#pragma once
// The window title of a frame's bytes, for a console that is given its
// title through the API: wine's console does not read the title sequence
// (OSC 2) and would show it as text, so the sequences are taken out of the
// bytes before they are written and the title is set with SetConsoleTitleW.
#include <optional>
#include <string>
#include <string_view>

// `bytes` without its title sequences (ESC ] 2 ; text BEL), and the text of
// the last of them, if any. A sequence without its BEL is left as it is.
struct TitledBytes {
    std::string bytes;
    std::optional<std::string> title;
};
TitledBytes takeWindowTitle(std::string_view bytes);
