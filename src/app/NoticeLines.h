#pragma once
// A notice laid out for the view: broken into lines at blanks so that each fits the width, with
// a word or a last line that cannot fit shortened and ended with an ellipsis.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace app {

// The width, in pixels, a text takes when printed.
using TextMeasure = std::function<float(const std::string&)>;

// At most `maxLines` lines (at least one) of `text`, each no wider than `width` where a single
// character fits; nothing for an empty text.
std::vector<std::string> noticeLines(const std::string& text, float width, std::size_t maxLines,
                                     const TextMeasure& measure);

}  // namespace app
