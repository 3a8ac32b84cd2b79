#include "app/NoticeLines.h"

#include <algorithm>
#include <sstream>

namespace app {
namespace {

const std::string kEllipsis = "\xE2\x80\xA6";

// Drops the last character, keeping UTF-8 sequences whole.
void dropLastCharacter(std::string& text) {
    while (!text.empty()) {
        const char last = text.back();
        text.pop_back();
        if ((last & 0xC0) != 0x80) break;
    }
}

// The text with an ellipsis, shortened until it fits; at least one character stays.
std::string shortened(std::string text, float width, const TextMeasure& measure) {
    while (text.size() > 1 && measure(text + kEllipsis) > width) {
        std::string shorter = text;
        dropLastCharacter(shorter);
        if (shorter.empty()) break;
        text = shorter;
    }
    // No blank before the ellipsis: it would read as a word of its own.
    while (text.size() > 1 && text.back() == ' ') text.pop_back();
    return text + kEllipsis;
}

}  // namespace

std::vector<std::string> noticeLines(const std::string& text, float width, std::size_t maxLines,
                                     const TextMeasure& measure) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    std::vector<std::string> lines;
    for (const std::string& word : words) {
        if (!lines.empty() && measure(lines.back() + " " + word) <= width) {
            lines.back() += " " + word;
        } else {
            lines.push_back(word);
        }
    }
    for (std::string& line : lines) {
        if (measure(line) > width) line = shortened(line, width, measure);
    }
    maxLines = std::max<std::size_t>(maxLines, 1);
    if (lines.size() > maxLines) {
        // What does not fit is cut from the last line shown, which says so with its ellipsis.
        lines.resize(maxLines);
        std::string& last = lines.back();
        if (last.size() >= kEllipsis.size() && last.compare(last.size() - kEllipsis.size(), kEllipsis.size(), kEllipsis) == 0) {
            last.resize(last.size() - kEllipsis.size());
        }
        last = shortened(last, width, measure);
    }
    return lines;
}

}  // namespace app
