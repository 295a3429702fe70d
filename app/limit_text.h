// Reading the size limit typed into the settings dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The limit in MiB that the text of the limit box gives, or nothing when the
// text is refused. Only the first 31 bytes count. Blanks and tabs may stand
// around an unsigned decimal number; a value above 4294967295 gives
// 4294967295; 0 is accepted only from text whose first non-blank byte is the
// digit 0; a leading minus sign and any other byte are refused.
std::optional<std::uint32_t> ParseLimitText(std::string_view text);
