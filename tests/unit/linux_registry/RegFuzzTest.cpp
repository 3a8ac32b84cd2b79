// Random documents and random damage to real text: the parser must never crash, and whatever
// it accepts must survive being written and read again unchanged.
#include <gtest/gtest.h>

#include <random>

#include "TestFiles.h"
#include "platform/linux/registry/RegFormat.h"

namespace platform::linux_::registry {
namespace {

using Rng = std::mt19937;

std::size_t below(Rng& rng, std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); }

// Text rich in the characters the format gives a meaning to, plus bytes from the upper half.
std::string randomName(Rng& rng, std::size_t maxSize) {
    static constexpr std::string_view pool = "aZ09 \"\\[]=@;-,:()\xE9\xFF";
    std::string out(below(rng, maxSize + 1), ' ');
    for (auto& c : out) c = pool[below(rng, pool.size())];
    return out;
}

RegDocument randomDocument(Rng& rng) {
    static const char* roots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "hkey_users"};
    static const std::uint32_t types[] = {0, 1, 1, 2, 3, 3, 4, 4, 7, 11, 0x12345678};
    RegDocument doc;
    for (auto n = below(rng, 4); n-- > 0;) doc.preamble.push_back(";" + randomName(rng, 10) + "x");
    for (auto n = below(rng, 6); n-- > 0;) {
        std::string path = roots[below(rng, 3)];
        for (auto depth = below(rng, 4); depth-- > 0;) {
            auto part = randomName(rng, 8);
            std::erase(part, '\\');
            path += '\\' + part + "k";
        }
        addSection(doc, path);
        auto& section = *findSection(doc, path);
        for (auto count = below(rng, 6); count-- > 0;) {
            RegValue v{randomName(rng, 12), types[below(rng, std::size(types))], {}, {}};
            if (below(rng, 2) != 0) {
                auto text = randomName(rng, 20);
                v.data.assign(text.begin(), text.end());
                v.data.push_back(0);
            } else {
                for (auto size = below(rng, 120); size-- > 0;) v.data.push_back(static_cast<std::uint8_t>(rng()));
            }
            if (below(rng, 4) == 0) v.comments.push_back("; " + randomName(rng, 10) + ".");
            storeValue(section, std::move(v));
        }
        if (below(rng, 4) == 0) section.closingComments.push_back(";");
    }
    return doc;
}

void mutate(Rng& rng, std::string& text) {
    static constexpr char chars[] = "\0\r\n\t \"\\[]=@;-,:()0aFhexdword";
    static constexpr std::string_view pool{chars, sizeof chars - 1};
    auto at = below(rng, text.size() + 1);
    switch (below(rng, 5)) {
    case 0: if (at < text.size()) text[at] = pool[below(rng, pool.size())]; break;
    case 1: text.insert(at, 1, pool[below(rng, pool.size())]); break;
    case 2: text.erase(at, below(rng, 8)); break;
    case 3: text.resize(at); break;
    default: text.insert(at, text.substr(below(rng, text.size() + 1), below(rng, 40))); break;
    }
}

TEST(RegFuzz, RandomDocumentsComeBackUnchanged) {
    Rng rng(20240611);
    for (int i = 0; i < 3000; ++i) {
        auto doc = randomDocument(rng);
        auto text = serializeRegFile(doc);
        auto back = parseRegFile(text);
        ASSERT_TRUE(back.document) << back.error << "\n" << text;
        ASSERT_EQ(*back.document, doc) << text;
    }
}

TEST(RegFuzz, DamagedTextNeverCrashesAndWhatIsAcceptedIsStable) {
    Rng rng(7);
    int accepted = 0, refused = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string text = i % 2 ? std::string(regtest::kSampleFile) : serializeRegFile(randomDocument(rng));
        for (auto n = 1 + below(rng, 4); n-- > 0;) mutate(rng, text);
        auto first = parseRegFile(text);
        if (!first.document) {
            ++refused;
            continue;
        }
        ++accepted;
        auto again = serializeRegFile(*first.document);
        auto second = parseRegFile(again);
        ASSERT_TRUE(second.document) << second.error << "\nfrom:\n" << text;
        ASSERT_EQ(*second.document, *first.document) << "from:\n" << text;
    }
    // Both ways through the parser were taken often, or the test proved little.
    EXPECT_GT(accepted, 2000);
    EXPECT_GT(refused, 2000);
}

}  // namespace
}  // namespace platform::linux_::registry
