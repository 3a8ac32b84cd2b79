// The settings file as the real program reads and writes it: what a first start stores, what a
// close stores, what the next start makes of it, and how it copes with a damaged file or with
// values that do not fit the screen.
#include <algorithm>
#include <cstdint>
#include <sstream>

#include "DesktopSuite.h"
#include "harness/TempDir.h"

namespace e2e {
namespace {

// A settings file with the language, and the magnifier's values if given.
std::string settings_text(int language, const std::vector<std::pair<std::string, int>>& magnifier = {}) {
    std::string text = "REGEDIT4\n\n[" + kOrlendaKey + "]\n" + word_line("Language", language) + "\n";
    if (!magnifier.empty()) {
        text += "\n[" + kMagnifierKey + "]\n";
        for (const auto& [name, value] : magnifier) text += word_line(name, value) + "\n";
    }
    return text;
}

std::filesystem::path settings_path(const TempDir& config_home) {
    return config_home.path() / "Orlenda" / "registry.reg";
}

std::vector<std::string> lines_containing(const std::string& text, const std::string& word) {
    std::vector<std::string> found;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find(word) != std::string::npos) found.push_back(line);
    }
    return found;
}

// The parser the checks below rely on; a parser that found nothing would make them pass or
// fail for the wrong reason.
TEST(RegFileParser, ReadsTwoByteValuesLowByteFirstFromTheirKey) {
    const RegFile file = RegFile::parse("REGEDIT4\r\n\r\n[" + kOrlendaKey + "]\r\n\"Language\"=hex:01,00\r\n\r\n[" +
                                        kMagnifierKey + "]\r\n\"WindowWidth\"=hex:88,13\r\n\"Zoom\"=hex:03\r\n");
    EXPECT_TRUE(file.has_header());
    EXPECT_EQ(file.word(kOrlendaKey, "Language"), 1);
    EXPECT_EQ(file.word(kMagnifierKey, "WindowWidth"), 5000);
    EXPECT_EQ(file.word(kMagnifierKey, "Language"), std::nullopt);  // another key
    EXPECT_EQ(file.word(kMagnifierKey, "Zoom"), std::nullopt);      // one byte only
    EXPECT_FALSE(RegFile::parse("\x01\x02garbage\n").has_header());
    EXPECT_EQ(word_line("WindowLeft", 1900), "\"WindowLeft\"=hex:6c,07");
}

class MagnifierSettings : public DesktopSuite<MagnifierSettings> {};

TEST_F(MagnifierSettings, FirstStartStoresEnglishAtOnce) {
    start();
    EXPECT_TRUE(stores_word(kOrlendaKey, "Language", 1));
    const auto file = stored_settings();
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->has_header()) << file_text();
    EXPECT_TRUE(run_->process().running()) << "the value must be stored while the program runs; " << run_->describe();
}

TEST_F(MagnifierSettings, ClosingStoresTheZoomAndTheOuterFrameInPixels) {
    start();
    // Sizes and positions that differ from every default and from each other, so a value stored
    // under the wrong name, or the client size instead of the frame's, shows.
    desktop().resize(window_, 310, 247);
    ASSERT_TRUE(has_client_size(310, 247));
    ASSERT_TRUE(place_client(Point{263, 171}));
    desktop().activate(window_);
    desktop().key({"KP_Add"});
    ASSERT_TRUE(shows_caption(zoom_caption(3)));
    const auto frame = desktop().frame_extents(window_);
    ASSERT_TRUE(frame) << "the window manager gave the window no frame extents";
    const Rect outer = desktop().outer_geometry(window_);
    ASSERT_TRUE(closes_cleanly());

    const auto file = stored_settings();
    ASSERT_TRUE(file) << run_->settings_file() << " is missing";
    EXPECT_EQ(file->word(kMagnifierKey, "Zoom"), 3) << file_text();
    EXPECT_EQ(file->word(kMagnifierKey, "WindowLeft"), outer.x) << "outer frame " << to_string(outer) << "\n"
                                                                << file_text();
    EXPECT_EQ(file->word(kMagnifierKey, "WindowTop"), outer.y) << "outer frame " << to_string(outer) << "\n"
                                                               << file_text();
    EXPECT_EQ(file->word(kMagnifierKey, "WindowWidth"), outer.width)
        << "outer frame " << to_string(outer) << " (frame " << to_string(*frame) << ")\n"
        << file_text();
    EXPECT_EQ(file->word(kMagnifierKey, "WindowHeight"), outer.height)
        << "outer frame " << to_string(outer) << " (frame " << to_string(*frame) << ")\n"
        << file_text();
    EXPECT_EQ(file->word(kOrlendaKey, "Language"), 1) << file_text();
}

TEST_F(MagnifierSettings, ClosingPartlyAboveAndLeftOfTheScreenStoresLeftAndTopAsZero) {
    start();
    desktop().move(window_, -60, -40);
    const auto moved = wait_for_value([&] { return desktop().outer_geometry(window_); },
                                      [](const Rect& r) { return r.x < 0 && r.y < 0; }, kTimeout);
    ASSERT_TRUE(moved.ok) << "test set-up: the window manager kept the outer frame at " << to_string(moved.last);
    ASSERT_TRUE(closes_cleanly());
    const auto file = stored_settings();
    ASSERT_TRUE(file) << run_->settings_file() << " is missing";
    EXPECT_EQ(file->word(kMagnifierKey, "WindowLeft"), 0) << "outer frame was " << to_string(moved.last) << "\n"
                                                          << file_text();
    EXPECT_EQ(file->word(kMagnifierKey, "WindowTop"), 0) << "outer frame was " << to_string(moved.last) << "\n"
                                                         << file_text();
}

TEST_F(MagnifierSettings, NextStartOpensWithTheSavedOuterSizePositionAndZoom) {
    TempDir config_home("magnifier-e2e-config");
    start({}, config_home.path());
    desktop().resize(window_, 320, 240);
    ASSERT_TRUE(has_client_size(320, 240));
    ASSERT_TRUE(place_client(Point{301, 207}));
    desktop().activate(window_);
    desktop().key({"KP_Add"});
    ASSERT_TRUE(shows_caption(zoom_caption(3)));
    ASSERT_TRUE(closes_cleanly());
    const auto saved = stored_settings();
    ASSERT_TRUE(saved);
    const auto left = saved->word(kMagnifierKey, "WindowLeft");
    const auto top = saved->word(kMagnifierKey, "WindowTop");
    const auto width = saved->word(kMagnifierKey, "WindowWidth");
    const auto height = saved->word(kMagnifierKey, "WindowHeight");
    ASSERT_TRUE(left && top && width && height) << "the first run stored no placement:\n" << file_text();
    const Rect stored{*left, *top, *width, *height};

    start({}, config_home.path());
    EXPECT_TRUE(shows_caption(zoom_caption(3)));
    const auto frame = desktop().frame_extents(window_);
    ASSERT_TRUE(frame) << "the window manager gave the window no frame extents";
    EXPECT_TRUE(has_client_size(stored.width - frame->left - frame->right, stored.height - frame->top - frame->bottom))
        << "stored outer frame " << to_string(stored) << ", frame " << to_string(*frame);
    const auto outer = wait_for_value([&] { return desktop().outer_geometry(window_); },
                                      [&](const Rect& r) { return r == stored; }, kTimeout);
    EXPECT_TRUE(outer.ok) << "the outer frame is " << to_string(outer.last) << " (client "
                          << to_string(desktop().client_geometry(window_)) << ", frame " << to_string(*frame)
                          << "), the stored one " << to_string(stored);
}

// Started under the C locale, which cannot hold the accents: the legacy title properties that
// older window managers and tools read must still say "Nagyító", not its UTF-8 bytes re-encoded.
TEST_F(MagnifierSettings, LanguageZeroShowsTheCaptionAndKeyHintInHungarian) {
    // The hint is compared with the English one painted over the same view: same window place,
    // same cursor, so only the text can make the bottom rows differ.
    const Point place{1500, 760};
    const Point cursor{400, 300};
    start();
    ASSERT_TRUE(place_client(place));
    ASSERT_TRUE(shows_magnified(cursor, 2));
    const Image english = grab_screen(x(), desktop().client_geometry(window_));

    TempDir config_home("magnifier-e2e-config");
    write_file(settings_path(config_home), settings_text(0));
    start({{"LC_ALL", "C"}}, config_home.path(), "^Nagy");
    EXPECT_TRUE(shows_caption(kHungarianCaption));
    EXPECT_EQ(desktop().text_property(window_, "WM_NAME"), kHungarianCaption);
    if (auto icon_name = desktop().text_property(window_, "WM_ICON_NAME")) {
        EXPECT_EQ(*icon_name, kHungarianCaption);  // Qt leaves it unset; where set, it must read right
    }
    ASSERT_TRUE(place_client(place));
    ASSERT_TRUE(shows_magnified(cursor, 2));
    const Image hungarian = grab_screen(x(), desktop().client_geometry(window_));
    ASSERT_EQ(english.width, hungarian.width);
    ASSERT_EQ(english.height, hungarian.height);

    // A hint is there at all: the bottom rows are not just the magnified screen.
    const ScreenModel screen = pattern_screen(kScreenWidth, kScreenHeight);
    const Magnification view{cursor, english.width, english.height, 2};
    const auto hint_rows = [&](int, int cy) { return cy >= english.height - kHintRows; };
    EXPECT_NE(compare_magnified_where(english, view, screen, hint_rows, 1), "") << "no hint painted in English";
    EXPECT_NE(compare_magnified_where(hungarian, view, screen, hint_rows, 1), "") << "no hint painted in Hungarian";
    long long different = 0;
    for (int y = english.height - kHintRows; y < english.height; ++y) {
        for (int x = 0; x < english.width; ++x) different += english.at(x, y) != hungarian.at(x, y);
    }
    EXPECT_GT(different, 50) << "the key hint looks the same in English and in Hungarian";
}

TEST_F(MagnifierSettings, LanguageTwoShowsEnglishAndIsWrittenBackAsTwo) {
    TempDir config_home("magnifier-e2e-config");
    write_file(settings_path(config_home), settings_text(2));
    start({}, config_home.path());
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
    EXPECT_TRUE(stores_word(kOrlendaKey, "Language", 2));
    ASSERT_TRUE(closes_cleanly());
    const auto file = stored_settings();
    ASSERT_TRUE(file);
    // The close wrote the file (its placement is there), and kept the language as it found it.
    EXPECT_TRUE(file->word(kMagnifierKey, "Zoom").has_value()) << file_text();
    EXPECT_EQ(file->word(kOrlendaKey, "Language"), 2) << file_text();
}

TEST_F(MagnifierSettings, DamagedFileIsKeptAsideAndTheProgramStartsAsOnAFirstRun) {
    // Bytes no settings file holds: NULs, control characters, bytes above 0x7f.
    std::string damaged;
    std::uint32_t state = 12345;
    for (int i = 0; i < 300; ++i) {
        state = state * 1103515245u + 12345u;
        damaged += static_cast<char>(state >> 24);
    }
    damaged[0] = '\0';
    TempDir config_home("magnifier-e2e-config");
    write_file(settings_path(config_home), damaged);

    start({}, config_home.path());
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
    EXPECT_TRUE(has_client_size(200, 200));
    EXPECT_TRUE(stores_word(kOrlendaKey, "Language", 1));
    const auto fresh = stored_settings();
    ASSERT_TRUE(fresh);
    EXPECT_TRUE(fresh->has_header()) << file_text();

    const auto kept = settings_path(config_home).string() + ".damaged";
    ASSERT_TRUE(std::filesystem::exists(kept)) << "no " << kept << "; " << run_->describe();
    EXPECT_TRUE(read_file(kept) == damaged) << kept << " differs from the damaged file";

    std::vector<std::string> said;
    wait_until([&] { return !(said = lines_containing(run_->process().stderr_text(), "damaged")).empty(); }, kTimeout);
    EXPECT_EQ(said.size(), 1u) << "stderr: " << run_->process().stderr_text();
    EXPECT_TRUE(run_->process().running()) << run_->describe();
}

TEST_F(MagnifierSettings, SavedSizeLargerThanTheScreenIsBoundedByTheScreen) {
    TempDir config_home("magnifier-e2e-config");
    write_file(
        settings_path(config_home),
        settings_text(
            1, {{"Zoom", 2}, {"WindowLeft", 0}, {"WindowTop", 0}, {"WindowWidth", 5000}, {"WindowHeight", 5000}}));
    start({}, config_home.path());
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
    const Rect screen{0, 0, kScreenWidth, kScreenHeight};
    const auto outer = wait_for_value([&] { return desktop().outer_geometry(window_); },
                                      [&](const Rect& r) {
                                          return r.width <= screen.width && r.height <= screen.height && r.x >= 0 &&
                                                 r.y >= 0 && r.x + r.width <= screen.width &&
                                                 r.y + r.height <= screen.height;
                                      },
                                      kTimeout);
    EXPECT_TRUE(outer.ok) << "the outer frame is " << to_string(outer.last) << ", not inside the screen "
                          << to_string(screen) << "; client " << to_string(desktop().client_geometry(window_));
    EXPECT_TRUE(run_->process().running()) << run_->describe();
}

TEST_F(MagnifierSettings, SavedLeftPastTheRightEdgeIsPulledBackSoTheWholeWidthShows) {
    // 1900 + 202 would end 182 pixels past the 1920-pixel screen.
    TempDir config_home("magnifier-e2e-config");
    write_file(
        settings_path(config_home),
        settings_text(
            1, {{"Zoom", 2}, {"WindowLeft", 1900}, {"WindowTop", 100}, {"WindowWidth", 202}, {"WindowHeight", 225}}));
    start({}, config_home.path());
    const auto frame = desktop().frame_extents(window_);
    ASSERT_TRUE(frame) << "the window manager gave the window no frame extents";
    ASSERT_EQ(frame->left + frame->right, 2)
        << "test set-up: the width 202 assumes 1-pixel frame sides, not " << to_string(*frame);
    const Rect expected{kScreenWidth - 202, 100, 202, 225};
    const auto outer = wait_for_value([&] { return desktop().outer_geometry(window_); },
                                      [&](const Rect& r) { return r == expected; }, kTimeout);
    EXPECT_TRUE(outer.ok) << "the outer frame is " << to_string(outer.last) << " (client "
                          << to_string(desktop().client_geometry(window_)) << ", frame " << to_string(*frame)
                          << "), expected " << to_string(expected);
}

}  // namespace
}  // namespace e2e
